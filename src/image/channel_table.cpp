#include "image/channel_table.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace cs {

std::size_t baseAreaSize(std::size_t channelCapacity) {
    if (channelCapacity == 0)
        return 0;
    return channelCapacity > 4000 ? 0x80000 : 0x40000;
}

void loadChannelTable(ConstBytes baseArea, std::size_t capacity, std::span<ChannelRecord> records) {
    const std::size_t n = std::min(capacity, records.size());
    for (std::size_t i = 0; i < n; ++i)
        records[i] = ChannelRecord(slice(baseArea, i * ChannelRecord::size, ChannelRecord::size));
}

std::size_t countValidChannels(ConstBytes baseArea, std::size_t capacity) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < capacity; ++i)
        if (isValidChannelRecord(ChannelRecord(slice(baseArea, i * ChannelRecord::size, ChannelRecord::size))))
            ++count;
    return count;
}

std::size_t writeChannelTable(Bytes baseArea, std::size_t capacity, std::span<const ChannelRecord> records,
                              const std::function<bool(std::size_t slot)>& slotInUse, LogSink& log) {
    const std::size_t areaSize = baseAreaSize(capacity);
    if (areaSize == 0 || baseArea.size() < areaSize)
        return 0;
    auto area = slice(baseArea, 0, areaSize);
    std::memset(area.data(), 0xFF, area.size());

    // Formatting a line per channel is a large part of a save; skip it when nobody reads it.
    const bool logging = log.keepsLines();
    const std::size_t n = std::min(capacity, records.size());
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!slotInUse(i))
            continue;
        ChannelRecord copy = records[i];
        copy.setStoredCrc(recordCrc(copy));
        if (logging) {
            const std::string name(copy.name());
            logf(log, "Save %04d / %04d %s", static_cast<int>(i), static_cast<int>(out), name.c_str());
        }
        auto dst = slice(area, out * ChannelRecord::size, ChannelRecord::size);
        std::copy(copy.bytes().begin(), copy.bytes().end(), dst.begin());
        ++out;
    }
    logf(log, "Saved chann=%d", static_cast<int>(out));
    return out;
}

} // namespace cs
