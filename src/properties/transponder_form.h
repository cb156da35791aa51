#pragma once
// The transponder-list page's working copy of the whole transponder table, the rows it shows for
// one satellite, and the record the transponder dialog builds with its duplicate rule.
#include "image/transponder_merge.h"
#include "image/transponders.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::properties {

// The texts of one row: caption "%03d)", frequency, polarisation or constellation, symbol rate,
// FEC (empty for cable and terrestrial), IQ mode.
struct TransponderRow {
    std::uint16_t slot = 0;
    std::array<std::string, 6> texts;
};
TransponderRow transponderRow(std::size_t number, std::uint16_t slot, const TransponderRecord& record);

// Symbol rates the transponder dialog offers.
inline constexpr std::array<std::string_view, 6> kOfferedSymbolRates = {"5632", "7804", "17632", "22000", "27500",
                                                                         "30000"};
// What the transponder dialog accepts for a satellite transponder.
inline constexpr int kTransponderFrequencyMin = kSatelliteTransponderMhzMin;
inline constexpr int kTransponderFrequencyMax = kSatelliteTransponderMhzMax;
inline constexpr int kTransponderSymbolRateMin = kSatelliteSymbolRateMin;
inline constexpr int kTransponderSymbolRateMax = kSatelliteSymbolRateMax;
inline constexpr int kDuplicateDistanceMhz = kTransponderDuplicateMhz;

class TransponderForm {
public:
    explicit TransponderForm(const TransponderTable& table);

    const TransponderTable& table() const { return *table_; }
    const TransponderRecord& record(std::uint16_t slot) const { return (*table_)[slot]; }

    // The slots of one satellite in list order.
    std::vector<std::uint16_t> slotsOf(unsigned satellite) const;
    std::vector<TransponderRow> rows(unsigned satellite) const;

    std::optional<std::uint16_t> firstFreeSlot() const;
    // True when another in-use record of the record's satellite (not `except`) has the same
    // polarisation and a frequency less than 6 MHz away.
    bool isDuplicate(const TransponderRecord& candidate, std::optional<std::uint16_t> except) const;

    // Stores a record the dialog built into a slot; only satellite bytes 1..64 are kept.
    bool put(std::uint16_t slot, const TransponderRecord& record);
    // Frees the slots (all 6 bytes 0).
    void erase(const std::vector<std::uint16_t>& slots);

    // Carries out the chosen changes of an update from satellites.xml on the working copy.
    TransponderMergeCounts applyMerge(const TransponderMergePlan& plan);

    bool changed() const { return changed_; }
    bool store(TransponderTable& table) const;

private:
    std::unique_ptr<TransponderTable> table_;
    bool changed_ = false;
};

// What the transponder dialog's boxes hold.
struct TransponderInput {
    unsigned satellite = 0;
    std::string frequency;        // MHz (satellite)
    std::string symbolRate;       // kS/s (satellite)
    int polarisation = 0;
    int fec = 0;
    int iqMode = 0;
    std::string terrestrialFrequency;  // MHz (DVB-T)
};

struct TransponderBuild {
    enum class Outcome { Built, Invalid, Duplicate, Nothing } outcome = Outcome::Nothing;
    TransponderRecord record;  // all zero unless Built
    bool clearLog = false;     // the log window's list is cleared (satellite values that were taken)
};

// OK in the transponder dialog: DVB-T takes its MHz as kHz (24 bits); every other satellite
// takes frequency 9750..12900 and symbol rate 1000..30000, and is refused as a duplicate of a row
// of the same satellite.
TransponderBuild buildTransponder(const TransponderInput& input, const TransponderForm& form,
                                  std::optional<std::uint16_t> changing);

} // namespace cs::properties
