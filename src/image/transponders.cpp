#include "image/transponders.h"

#include <algorithm>

namespace cs {

namespace {

constexpr std::uint8_t kFecMask = 0x07;
constexpr std::uint8_t kPolarisationBit = 0x08;
constexpr unsigned kPolarisationShift = 3;
constexpr std::uint8_t kIqMask = 0x30;
constexpr unsigned kIqShift = 4;
constexpr std::uint8_t kDvbcConstellationMask = 0x0F;
constexpr std::uint8_t kDvbcIqMask = 0xF0;
constexpr unsigned kDvbcIqShift = 4;

// Byte 1 packs two or three fields; a setter changes only its own bits.
void setModeBits(Bytes record, std::uint8_t mask, unsigned shift, unsigned value) {
    const auto old = readU8(record, TransponderRecord::modeOffset);
    writeU8(record, TransponderRecord::modeOffset, static_cast<std::uint8_t>((old & ~mask) | ((value << shift) & mask)));
}

std::size_t recordOffset(std::size_t slot) {
    return transponder_table::kRecordsOffset + slot * TransponderRecord::size;
}

// Orders by satellite number, then by the key within the satellite.
bool tableOrder(const TransponderRecord& a, const TransponderRecord& b) {
    if (a.satellite() != b.satellite())
        return a.satellite() < b.satellite();
    return a.sortKey() < b.sortKey();
}

} // namespace

unsigned TransponderRecord::fec() const { return readU8(bytes(), modeOffset) & kFecMask; }
void TransponderRecord::setFec(unsigned code) { setModeBits(bytes(), kFecMask, 0, code); }

unsigned TransponderRecord::polarisation() const {
    return (readU8(bytes(), modeOffset) & kPolarisationBit) >> kPolarisationShift;
}
void TransponderRecord::setPolarisation(unsigned bit) {
    setModeBits(bytes(), kPolarisationBit, kPolarisationShift, bit);
}

unsigned TransponderRecord::iqMode() const { return (readU8(bytes(), modeOffset) & kIqMask) >> kIqShift; }
void TransponderRecord::setIqMode(unsigned mode) {
    setModeBits(bytes(), kIqMask, kIqShift, mode);
}

std::uint16_t TransponderRecord::frequency() const { return readU16(bytes(), frequencyOffset); }
void TransponderRecord::setFrequency(std::uint16_t value) { writeU16(bytes(), frequencyOffset, value); }

std::uint16_t TransponderRecord::symbolRate() const { return readU16(bytes(), symbolRateOffset); }
void TransponderRecord::setSymbolRate(std::uint16_t kss) { writeU16(bytes(), symbolRateOffset, kss); }

std::uint32_t TransponderRecord::dvbtFrequency() const {
    return static_cast<std::uint32_t>(readU8(bytes(), dvbtFrequencyOffset)) |
           static_cast<std::uint32_t>(readU16(bytes(), dvbtFrequencyOffset + 1)) << 8;
}
void TransponderRecord::setDvbtFrequency(std::uint32_t khz) {
    writeU8(bytes(), dvbtFrequencyOffset, static_cast<std::uint8_t>(khz));
    writeU16(bytes(), dvbtFrequencyOffset + 1, static_cast<std::uint16_t>(khz >> 8));
}

unsigned TransponderRecord::dvbcConstellation() const { return readU8(bytes(), modeOffset) & kDvbcConstellationMask; }
void TransponderRecord::setDvbcConstellation(unsigned code) {
    setModeBits(bytes(), kDvbcConstellationMask, 0, code);
}

unsigned TransponderRecord::dvbcIqMode() const { return (readU8(bytes(), modeOffset) & kDvbcIqMask) >> kDvbcIqShift; }
void TransponderRecord::setDvbcIqMode(unsigned mode) {
    setModeBits(bytes(), kDvbcIqMask, kDvbcIqShift, mode);
}

std::uint32_t TransponderRecord::sortKey() const {
    if (satellite() == kDvbtSatellite)
        return dvbtFrequency();
    if (satellite() == kDvbcSatellite)
        return frequency();
    return static_cast<std::uint32_t>(frequency()) * 2 + polarisation();
}

std::size_t loadTransponders(TransponderTable& table, ConstBytes config) {
    table.fill(TransponderRecord{});
    if (config.size() < kTransponderTableSize)
        return 0;
    // The stored count may claim more records than there are slots.
    const std::size_t stored = readU16(config, transponder_table::kCountOffset);
    const std::size_t count = std::min(stored, kTransponderSlots);
    std::size_t loaded = 0;
    for (std::size_t slot = 0; slot < count; ++slot) {
        TransponderRecord record;
        const auto src = slice(config, recordOffset(slot), TransponderRecord::size);
        std::copy(src.begin(), src.end(), record.bytes().begin());
        if (record.inUse())
            table[loaded++] = record;
    }
    return loaded;
}

std::size_t saveTransponders(const TransponderTable& table, Bytes config) {
    if (config.size() < kTransponderTableSize)
        return 0;
    TransponderTable collected;
    std::size_t count = 0;
    for (const auto& record : table)
        if (record.inUse())
            collected[count++] = record;
    // Stable, so records with equal keys keep their table order and a second save of the same
    // table writes the same bytes.
    std::stable_sort(collected.begin(), collected.begin() + static_cast<std::ptrdiff_t>(count), tableOrder);

    const auto area = slice(config, 0, kTransponderTableSize);
    std::fill(area.begin(), area.end(), std::uint8_t{0xFF});
    for (std::size_t i = 0; i < count; ++i) {
        const auto dst = slice(config, recordOffset(i), TransponderRecord::size);
        std::copy(collected[i].bytes().begin(), collected[i].bytes().end(), dst.begin());
    }
    writeU16(config, transponder_table::kFormatOffset, transponder_table::kFormatWord);
    writeU16(config, transponder_table::kCountOffset, static_cast<std::uint16_t>(count));
    writeU16(config, transponder_table::kReservedOffset, 0);
    return count;
}

std::size_t countTransponders(const TransponderTable& table) {
    return static_cast<std::size_t>(
        std::count_if(table.begin(), table.end(), [](const TransponderRecord& r) { return r.inUse(); }));
}

TransponderList transponderList(unsigned satellite, const TransponderTable& table) {
    TransponderList list;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].inUse() && table[i].satellite() == satellite)
            list.index[list.count++] = static_cast<std::uint16_t>(i);
    std::stable_sort(list.index.begin(), list.index.begin() + static_cast<std::ptrdiff_t>(list.count),
                     [&table](std::uint16_t a, std::uint16_t b) { return table[a].sortKey() < table[b].sortKey(); });
    return list;
}

} // namespace cs
