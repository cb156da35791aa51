#include "editing/clipboard_blocks.h"

#include "common/byte_order.h"
#include "editing/name_rules.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <unistd.h>

namespace cs::editing {

std::array<std::uint8_t, kInfoBlockSize> encodeInfo(const ClipboardInfo& info) {
    std::array<std::uint8_t, kInfoBlockSize> out{};
    writeU32(out, 0, info.count);
    writeU32(out, 4, info.owner);
    out[8] = info.sourceList;
    out[9] = info.cut ? 1 : 0;
    return out;
}

std::optional<ClipboardInfo> decodeInfo(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kInfoBlockSize)
        return std::nullopt;
    ClipboardInfo info;
    info.count = readU32(bytes, 0);
    info.owner = readU32(bytes, 4);
    info.sourceList = bytes[8];
    info.cut = bytes[9] != 0;
    return info;
}

void appendDataEntry(std::vector<std::uint8_t>& out, const ChannelRecord& record, const ChannelEntry& entry) {
    const std::size_t at = out.size();
    out.resize(at + kDataEntrySize, 0);
    const auto rec = record.bytes();
    std::copy(rec.begin(), rec.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    std::span<std::uint8_t> e(out.data() + at + ChannelRecord::size, kEntryBlockSize);
    writeU32(e, entry_block::kSortKey, static_cast<std::uint32_t>(entry.sortKey));
    for (std::size_t k = 0; k < ChannelEntry::kCaSystems; ++k)
        writeU16(e, entry_block::kCaSystems + 2 * k, entry.caSystems[k]);
    writeU16(e, entry_block::kPmtPid, entry.pmtPid);
    writeU16(e, entry_block::kSecondPid, entry.secondPid);
    e[entry_block::kFlags] = entry.flags;
    e[entry_block::kRemoval] = entry.removal;
    std::copy(entry.providerName.begin(), entry.providerName.end(), e.begin() + entry_block::kProviderName);
}

namespace {

std::string_view fieldText(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t size) {
    return {reinterpret_cast<const char*>(bytes.data() + offset), size};
}

} // namespace

DecodedClipboard decodeClipboard(std::span<const std::uint8_t> info, std::span<const std::uint8_t> data) {
    DecodedClipboard out;
    const auto head = decodeInfo(info);
    if (!head)
        return out;
    out.info = *head;
    // Only whole entries that are really there count, whatever the info block claims.
    const std::size_t present = data.size() / kDataEntrySize;
    const std::size_t count = std::min<std::size_t>(head->count, present);
    out.channels.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto item = data.subspan(i * kDataEntrySize, kDataEntrySize);
        PastedChannel c{ChannelRecord(item.first(ChannelRecord::size)), {}, {}, 0, 0};
        const unsigned satellite = c.record.satellite();
        if (satellite < kFirstSatellite || satellite > kSatelliteDvbC) {
            ++out.dropped;
            continue;
        }
        c.record.setName(nameFromField(fieldText(item, channel_field::kName, channel_field::kNameSize),
                                       channel_field::kNameSize - 1));
        const auto e = item.subspan(ChannelRecord::size);
        c.providerName = nameFromField(fieldText(e, entry_block::kProviderName, ChannelEntry::kProviderNameSize),
                                       ChannelEntry::kProviderNameMax);
        for (std::size_t k = 0; k < ChannelEntry::kCaSystems; ++k)
            c.caSystems[k] = readU16(e, entry_block::kCaSystems + 2 * k);
        c.pmtPid = readU16(e, entry_block::kPmtPid) & 0x1FFF;
        c.secondPid = readU16(e, entry_block::kSecondPid) & 0x1FFF;
        out.channels.push_back(std::move(c));
    }
    return out;
}

std::uint32_t processOwnerToken() {
    // Two processes must never share a token: the process id, mixed with a random value so that a
    // reused id of a finished editor does not count as this one.
    static const std::uint32_t token = [] {
        std::random_device rd;
        std::uint32_t t = (static_cast<std::uint32_t>(rd()) << 16) ^ static_cast<std::uint32_t>(::getpid());
        return t == 0 ? 1u : t;
    }();
    return token;
}

} // namespace cs::editing
