#pragma once
// The two blocks that carry channels from one editor process to another through the system
// clipboard: a 12-byte info block and 120 bytes per channel (the 64-byte stored record followed
// by the 56-byte in-memory entry as the writer held it). Decoding is a pure function over the
// bytes found on the clipboard: it never reads past them and hands back only channels whose
// names and satellite numbers may enter the image.
#include "database/channel_entry.h"
#include "image/channel_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cs::editing {

// Format names the peers register; they must stay exactly as written.
inline constexpr std::string_view kInfoFormatName = "Terva.Tool Info_Channel";
inline constexpr std::string_view kDataFormatName = "Terva.Tool Data_Channel";

inline constexpr std::size_t kInfoBlockSize = 12;
inline constexpr std::size_t kEntryBlockSize = 56;
inline constexpr std::size_t kDataEntrySize = ChannelRecord::size + kEntryBlockSize;  // 120

// Offsets inside the 56-byte entry copy (the two leading pointers mean nothing to a reader and
// are written as zero).
namespace entry_block {
inline constexpr std::size_t kSortKey = 8;
inline constexpr std::size_t kCaSystems = 12;  // 3 x u16
inline constexpr std::size_t kPmtPid = 18;
inline constexpr std::size_t kSecondPid = 20;
inline constexpr std::size_t kFlags = 22;
inline constexpr std::size_t kRemoval = 23;
inline constexpr std::size_t kProviderName = 24;  // 19 bytes, NUL-terminated
} // namespace entry_block

struct ClipboardInfo {
    std::uint32_t count = 0;       // channels in the data block
    std::uint32_t owner = 0;       // token of the writing process
    std::uint8_t sourceList = 0;   // favourite list the channels were taken from (0 none)
    bool cut = false;
};

// A channel read from another process's data block, ready for matching and insertion.
struct PastedChannel {
    ChannelRecord record;
    std::string providerName;
    std::array<std::uint16_t, ChannelEntry::kCaSystems> caSystems{};
    std::uint16_t pmtPid = 0;
    std::uint16_t secondPid = 0;
};

struct DecodedClipboard {
    ClipboardInfo info;
    std::vector<PastedChannel> channels;
    std::size_t dropped = 0;  // entries refused (satellite number outside 1..65)
};

std::array<std::uint8_t, kInfoBlockSize> encodeInfo(const ClipboardInfo& info);
// Nothing when fewer than 12 bytes are given.
std::optional<ClipboardInfo> decodeInfo(std::span<const std::uint8_t> bytes);

// Appends one 120-byte data entry for a channel.
void appendDataEntry(std::vector<std::uint8_t>& out, const ChannelRecord& record, const ChannelEntry& entry);

// The channels of the two blocks. The count is bounded by the whole entries present in `data`;
// a short info block or a count of zero yields nothing. Names and provider names keep only the
// characters 32..125 and end within their fields; a record whose satellite number is outside
// 1..65 is dropped and counted.
DecodedClipboard decodeClipboard(std::span<const std::uint8_t> info, std::span<const std::uint8_t> data);

// The token that stands for this process as the clipboard's owner.
std::uint32_t processOwnerToken();

} // namespace cs::editing
