#pragma once
// What the main window asks the database to show: the view request of one selection and the
// view settings the window owns (its tool-bar filters, order mode and provider filter).
#include <cstdint>
#include <vector>

namespace cs {

inline constexpr std::uint8_t kAllSatellites = 0;

// Order modes of the views that are not favourite lists.
enum OrderMode : std::uint8_t { kOrderProgram = 0, kOrderTransponder = 1, kOrderAlphabet = 2 };

// Provider filter modes.
enum ProviderFilter : std::uint8_t {
    kProviderAll = 0,       // everything passes
    kProviderMarked = 1,    // providers marked with bit 0
    kProviderNone = 2,      // channels without provider
    kProviderSingle = 3,    // the one provider marked with bit 1
};

// Bits of ViewRequest::tvRadio: bit 0 hides radio, bit 1 hides TV (both set: both shown).
inline constexpr std::uint8_t kHideRadio = 0x01;
inline constexpr std::uint8_t kHideTv = 0x02;
// Bits of ViewRequest::freeScrambled: bit 1 hides free, bit 2 hides scrambled (both: both shown).
inline constexpr std::uint8_t kHideFree = 0x02;
inline constexpr std::uint8_t kHideScrambled = 0x04;

struct ViewRequest {
    std::uint8_t list = 0;           // favourite list 1..8; 0 none
    std::uint8_t satellite = 0;      // 1..65; 0 all
    std::uint8_t tvRadio = 0;        // kHideRadio / kHideTv
    std::uint8_t freeScrambled = 0;  // kHideFree / kHideScrambled
    std::uint16_t count = 0;         // filled by selectChannels
    bool useMainFilter = false;      // take satellite and filters from the ViewSettings
};

// The TV/radio filter value of the tool-bar items "TV / RADIO", "TV only", "RADIO only" (0, 1, 2).
constexpr std::uint8_t tvRadioBits(unsigned item) { return item == 1 ? kHideRadio : item == 2 ? kHideTv : 0; }
// The free/scrambled filter value of the items "FTA / CA", "FTA only", "CA only" (0, 1, 2).
constexpr std::uint8_t freeScrambledBits(unsigned item) {
    return item == 1 ? kHideScrambled : item == 2 ? kHideFree : 0;
}

struct ViewSettings {
    std::uint8_t satelliteFilter = 0;  // satellite of the current view, 0 all
    std::uint8_t filterBits = 0;       // bit 0 TV/radio filter on; bits 1-2 free/scrambled filter
    std::uint8_t orderMode = kOrderProgram;
    std::uint8_t providerFilterMode = kProviderAll;
    bool caFilterActive = false;             // coding-system filter switched on
    std::vector<std::uint16_t> caChecked;    // CA-system identifiers checked in that filter
    bool showNumbers = false;                // numbering mode: row numbers as captions
};

} // namespace cs
