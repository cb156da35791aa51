#pragma once
// The channel table at the start of the BASE area: channelCapacity slots of 64 bytes. It is read
// into the in-memory record array at open and written back compacted at save.
#include "common/byte_order.h"
#include "common/log_sink.h"
#include "image/channel_record.h"

#include <array>
#include <cstddef>
#include <functional>
#include <span>

namespace cs {

// The in-memory record array has room for the largest table the receiver has.
inline constexpr std::size_t kMaxChannelSlots = 8192;
using ChannelRecordArray = std::array<ChannelRecord, kMaxChannelSlots>;

// Size of the BASE area for a channel capacity (0x80000 for 8000 slots, 0x40000 for 4000).
std::size_t baseAreaSize(std::size_t channelCapacity);

// Copies `capacity` records from the BASE channel table into `records` (slot i to slot i).
void loadChannelTable(ConstBytes baseArea, std::size_t capacity, std::span<ChannelRecord> records);

// Number of slots of the BASE channel table that hold a valid record.
std::size_t countValidChannels(ConstBytes baseArea, std::size_t capacity);

// Fills the BASE area with 0xFF and writes the in-use records of `records` consecutively from
// slot 0, each copy with a fresh record CRC; `records` themselves are not changed. Returns the
// number of records written.
std::size_t writeChannelTable(Bytes baseArea, std::size_t capacity, std::span<const ChannelRecord> records,
                              const std::function<bool(std::size_t slot)>& slotInUse, LogSink& log);

} // namespace cs
