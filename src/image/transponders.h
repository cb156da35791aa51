#pragma once
// The receiver's transponder table at the start of CONFIG and the editor's in-memory copy.
#include "common/byte_order.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace cs {

inline constexpr std::size_t kTransponderSlots = 3840;
inline constexpr std::uint8_t kDvbtSatellite = 64;
inline constexpr std::uint8_t kDvbcSatellite = 65;

// What a satellite transponder (1..63) can hold, in MHz and kS/s.
inline constexpr int kSatelliteTransponderMhzMin = 9750;
inline constexpr int kSatelliteTransponderMhzMax = 12900;
inline constexpr int kSatelliteSymbolRateMin = 1000;
inline constexpr int kSatelliteSymbolRateMax = 30000;
// Two transponders of one satellite and polarisation closer than this (MHz) are one.
inline constexpr int kTransponderDuplicateMhz = 6;

// Byte layout of the table, offsets from the start of CONFIG.
namespace transponder_table {
inline constexpr std::size_t kFormatOffset = 0;    // u16, written as 100
inline constexpr std::size_t kCountOffset = 2;     // u16 number of records
inline constexpr std::size_t kReservedOffset = 4;  // u16, written as 0
inline constexpr std::size_t kRecordsOffset = 6;
inline constexpr std::uint16_t kFormatWord = 100;
} // namespace transponder_table

// One 6-byte record; what bytes 1..5 mean depends on the satellite number in byte 0.
class TransponderRecord {
public:
    static constexpr std::size_t size = 6;
    static constexpr std::size_t satelliteOffset = 0;
    static constexpr std::size_t modeOffset = 1;        // DVB-S: FEC, polarisation, IQ; DVB-C: QAM, IQ
    static constexpr std::size_t frequencyOffset = 2;   // u16: MHz (DVB-S), 0.1 MHz (DVB-C)
    static constexpr std::size_t symbolRateOffset = 4;  // u16, kS/s
    static constexpr std::size_t dvbtFrequencyOffset = 1; // 24-bit kHz

    std::uint8_t satellite() const { return bytes_[satelliteOffset]; }
    void setSatellite(std::uint8_t satellite) { bytes_[satelliteOffset] = satellite; }
    // In use when the satellite byte is 1..65; anything else is a free slot.
    bool inUse() const { return satellite() >= 1 && satellite() <= kDvbcSatellite; }

    // DVB-S (satellites 1..63)
    unsigned fec() const;             // bits 0-2 of byte 1
    void setFec(unsigned code);
    unsigned polarisation() const;    // bit 3: 0 horizontal, 1 vertical
    void setPolarisation(unsigned bit);
    unsigned iqMode() const;          // bits 4-5
    void setIqMode(unsigned mode);
    // DVB-S and DVB-C
    std::uint16_t frequency() const;
    void setFrequency(std::uint16_t value);
    std::uint16_t symbolRate() const;
    void setSymbolRate(std::uint16_t kss);
    // DVB-T (satellite 64)
    std::uint32_t dvbtFrequency() const; // kHz
    void setDvbtFrequency(std::uint32_t khz); // 24 bits kept
    // DVB-C (satellite 65)
    unsigned dvbcConstellation() const; // bits 0-3 of byte 1
    void setDvbcConstellation(unsigned code);
    unsigned dvbcIqMode() const;        // bits 4-7
    void setDvbcIqMode(unsigned mode);

    // Order within one satellite: DVB-T its frequency, DVB-C its frequency field,
    // DVB-S frequency x 2 + polarisation bit.
    std::uint32_t sortKey() const;

    std::span<std::uint8_t, size> bytes() { return bytes_; }
    std::span<const std::uint8_t, size> bytes() const { return bytes_; }
    bool operator==(const TransponderRecord&) const = default;

private:
    std::array<std::uint8_t, size> bytes_{};
};

inline constexpr std::size_t kTransponderTableSize =
    transponder_table::kRecordsOffset + kTransponderSlots * TransponderRecord::size;

using TransponderTable = std::array<TransponderRecord, kTransponderSlots>;

// Open: clear the table and, when CONFIG is present (an empty span means absent), copy every
// in-use record among the first min(count, 3840) in order, without gaps. Returns the number copied.
std::size_t loadTransponders(TransponderTable& table, ConstBytes config);

// Save: rebuild the table in CONFIG from the in-use records, grouped by satellite 1..65 and
// sorted by sortKey; unused slots become 0xFF. Returns the number written.
std::size_t saveTransponders(const TransponderTable& table, Bytes config);

// Number of in-use records.
std::size_t countTransponders(const TransponderTable& table);

// The records of one satellite number, as indices into the table, ordered by sortKey.
struct TransponderList {
    std::array<std::uint16_t, kTransponderSlots> index{};
    std::size_t count = 0;
    std::span<const std::uint16_t> indices() const { return {index.data(), count}; }
};
TransponderList transponderList(unsigned satellite, const TransponderTable& table);

} // namespace cs
