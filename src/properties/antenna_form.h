#pragma once
// The Satellites and Converters pages' working copies: the antenna switching of satellites 1..63
// and the eight converters, copied from the working settings record when a page opens and copied
// back on OK only when something changed.
#include "image/settings_area.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::properties {

inline constexpr std::size_t kAntennaSatellites = 63;  // satellites 1..63

// The six lists of one band, in the order the page shows them.
enum class BandControl { Converter, Power, ToneBurst, Diseqc, Motor, Input };
inline constexpr std::size_t kBandControls = 6;
inline constexpr std::size_t kBands = 3;  // Ku, C, L/S
inline constexpr std::size_t kAntennaControls = kBands * kBandControls;

// The field a band's list edits.
AntennaField antennaFieldOf(std::size_t band, BandControl control);
// Entries of the fixed lists (position = code); empty outside.
std::string_view diseqcText(unsigned code);      // "A / LNB 1" .. "DiSEqC OFF"
std::string_view motorText(unsigned code);       // "DiSeqC brak" .. "All Goto X"
std::string_view toneBurstText(unsigned code);   // "" (the text of "TextOFF"), "A", "B"
inline constexpr int kDiseqcEntries = 5;
inline constexpr int kMotorEntries = 4;
inline constexpr int kToneBurstEntries = 3;
inline constexpr int kConverterEntries = 8;
inline constexpr int kOnOffEntries = 2;
int entryCount(BandControl control);

// "%d. %s %d %d %d": screen number, band text, LOF1, LOF2, threshold.
std::string converterChoiceText(std::size_t index, const Converter& converter);
// "%02d. %s": screen number and band text.
std::string converterTitle(std::size_t index, const Converter& converter);

// List positions of one satellite: nothing where the stored code has no entry.
using AntennaPositions = std::array<std::optional<int>, kAntennaControls>;

class AntennaForm {
public:
    explicit AntennaForm(const WorkingSettings& settings);

    const AntennaSettings& antenna(std::size_t satellite) const;  // 1..63
    AntennaPositions positions(std::size_t satellite) const;
    // A list changed: every list with a selection is written into the satellite's record.
    void applyPositions(std::size_t satellite, const AntennaPositions& positions);
    // The three motor modes of all 63 satellites ("All satellites - No motor" 0, "GOTO X" 3).
    void setAllMotorModes(unsigned mode);

    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }
    void clearChanged() { changed_ = false; }
    // OK: copies the records back when they changed. True when it wrote.
    bool store(WorkingSettings& settings) const;

private:
    std::array<AntennaSettings, kAntennaSatellites + 1> records_{};  // index = satellite number
    bool changed_ = false;
};

// The lines a satellite choice writes to the log: its name, then the seven fields of each band.
std::vector<std::string> antennaDumpLines(std::string_view satelliteName, const AntennaSettings& antenna,
                                          const WorkingSettings& settings);

// Converter values: 5000..30000 MHz.
inline constexpr int kConverterMin = 5000;
inline constexpr int kConverterMax = 30000;
// Converters 1..3 (index 0..2) are fixed.
inline constexpr std::size_t kFirstEditableConverter = 3;
enum class ConverterValue { Lof1, Lof2, Threshold };

class ConverterForm {
public:
    explicit ConverterForm(const WorkingSettings& settings);

    const Converter& converter(std::size_t index) const { return converters_.at(index); }
    static bool editable(std::size_t index) { return index >= kFirstEditableConverter && index < 8; }

    enum class Edit { Stored, Ignored, Refused };
    // A value box lost focus: not a number leaves the value as it is (Ignored); outside
    // 5000..30000 is Refused; otherwise it is stored.
    Edit edit(std::size_t index, ConverterValue value, std::string_view text);

    bool changed() const { return changed_; }
    bool store(WorkingSettings& settings) const;

private:
    std::array<Converter, 8> converters_{};
    bool changed_ = false;
};

} // namespace cs::properties
