#pragma once
// An import file (.dsx) read into memory: decoded, checked against its CRC, with its description,
// its component directory and the position of each component block. Reading never applies
// anything; the chooser state and the applying live beside it.
#include "common/regular_file.h"
#include "common/byte_order.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

// Byte layout of a decoded import file.
namespace dsx {
inline constexpr std::size_t kDirectory = 132;            // 32 entries of 12 bytes
inline constexpr std::size_t kDirectoryEntries = 32;
inline constexpr std::size_t kEntrySize = 12;
inline constexpr std::size_t kEntryMarker = 0;            // u32
inline constexpr std::size_t kEntryBlockSize = 4;         // u32, bytes
inline constexpr std::size_t kEntryType = 8;              // u32
inline constexpr std::size_t kCrc = 516;                  // u16
inline constexpr std::uint16_t kCrcPlaceholder = 0x1234;  // the CRC field's value while the CRC runs
inline constexpr std::size_t kDescription = 520;          // NUL-terminated text
inline constexpr std::size_t kDescriptionMax = 255;       // what the description buffer holds
inline constexpr std::size_t kMinFileSize = kDescription; // through the CRC and its spare word
inline constexpr std::size_t kFileSizeLimit = 272385;     // a file of this size or more is refused
inline constexpr std::uint32_t kValidMarker = 2561;       // 0x0A01
} // namespace dsx

// Channel-base block (component type 1).
namespace dsx_channel_base {
inline constexpr std::size_t kChannels = 0;      // u16 record count
inline constexpr std::size_t kShownCount = 0;    // u32: what the chooser shows as the count
inline constexpr std::size_t kProviders = 4;     // u16 provider record count
inline constexpr std::size_t kRecords = 24;      // channel records, then providers, then numbers
inline constexpr std::size_t kHeaderSize = 24;
} // namespace dsx_channel_base

// Colour-profile block (type 4): four profiles of 64 bytes, profile 1 first.
namespace dsx_colour_profiles {
inline constexpr std::size_t kProfileSize = 64;
inline constexpr std::size_t kProfileCount = 4;
inline constexpr std::size_t kSize = kProfileSize * kProfileCount;
} // namespace dsx_colour_profiles

// Receiver-settings block (type 8): an image of the 4096-byte working settings record.
namespace dsx_receiver_settings {
inline constexpr std::size_t kSize = 4096;
} // namespace dsx_receiver_settings

enum class ComponentType : std::uint32_t {
    None = 0,
    ChannelBase = 1,
    TransponderList = 2,
    ColourProfiles = 4,
    ReceiverSettings = 8,
};

// True for the four types the chooser lists.
bool isListedComponentType(std::uint32_t type);

struct DirectoryEntry {
    std::uint32_t marker = 0;
    std::uint32_t size = 0;
    std::uint32_t type = 0;
};

// A listed component: its directory entry and where its block starts in the decoded file. The
// block may reach past the end of the file; blockInFile tells.
struct ImportComponent {
    std::size_t entry = 0;
    ComponentType type = ComponentType::None;
    std::uint32_t marker = 0;
    std::uint32_t size = 0;
    std::uint64_t offset = 0;

    bool validMarker() const { return marker == dsx::kValidMarker; }
};

// The counts at the head of a channel-base block.
struct ChannelBaseCounts {
    bool readable = false;        // the six count bytes lie inside the file
    std::uint16_t channels = 0;   // c
    std::uint16_t providers = 0;  // p
    std::uint32_t shown = 0;      // the 32-bit value the chooser shows
    std::uint64_t needed = 0;     // bytes the counts call for: 24 + 64c + 24p + 2c
};

// Result codes of reading an import file; they match the two failures the editor reports.
enum ImportReadResult : int {
    kImportRead = 0,
    kImportNoAccess = 1,        // cannot be opened or sized
    kImportNotInterpreted = 2,  // too large, short read, too small or CRC mismatch
};

// The bit exchange of the file encoding: bits 0 and 7 swap, bits 1 and 6 swap. Its own inverse.
std::uint8_t exchangeBits(std::uint8_t byte);
void exchangeBits(Bytes bytes);

// CRC-16/XMODEM of a decoded file with its CRC field taken as 0x1234 (the file is not changed).
std::uint16_t importFileCrc(ConstBytes decoded);

class ImportFile {
public:
    // Decodes and checks a whole encoded file. On anything but kImportRead this object is left
    // empty.
    ImportReadResult parse(ConstBytes encoded);

    void clear();

    ConstBytes bytes() const { return decoded_; }
    // The description as the editor holds it: at most 255 bytes (cut when the file's is longer).
    const std::string& description() const { return description_; }
    bool descriptionCut() const { return descriptionCut_; }
    // The length of the file's own description, which decides where the blocks start.
    std::size_t descriptionLength() const { return descriptionLength_; }
    // The description split at character 10.
    std::vector<std::string> descriptionLines() const;
    // The description as UTF-8: kept when it is valid UTF-8, otherwise read as Windows-1250.
    std::string descriptionUtf8() const;

    const std::array<DirectoryEntry, dsx::kDirectoryEntries>& directory() const { return directory_; }
    // The listed components in directory order.
    const std::vector<ImportComponent>& components() const { return components_; }
    // The component of directory entry `entry`, or nullptr when that entry is not listed.
    const ImportComponent* componentOfEntry(std::size_t entry) const;

    // True when the whole block lies inside the file.
    bool blockInFile(const ImportComponent& component) const;
    // The block's bytes that lie inside the file (all of it when blockInFile).
    ConstBytes blockBytes(const ImportComponent& component) const;
    ChannelBaseCounts channelBaseCounts(const ImportComponent& component) const;

private:
    std::vector<std::uint8_t> decoded_;
    std::string description_;
    std::size_t descriptionLength_ = 0;
    bool descriptionCut_ = false;
    std::array<DirectoryEntry, dsx::kDirectoryEntries> directory_{};
    std::vector<ImportComponent> components_;
};

// Reads, decodes and checks a file: kImportNoAccess when it cannot be opened or sized,
// kImportNotInterpreted when it is too large, cannot be read whole or fails its checks. Only a
// regular file is read; `problem` (when given) tells what the path is otherwise.
ImportReadResult readImportFile(const std::string& path, ImportFile& out, FileProblem* problem = nullptr);

} // namespace cs
