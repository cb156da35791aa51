#pragma once
// Reading the published transponder lists of satellites ("satellites.xml": <satellites> holding
// <sat name= position= flags=> with <transponder frequency= symbol_rate= polarization=
// fec_inner= system= modulation= />) through expat. The reader is bounded: the file's size, the
// depth of elements, the number of transponders; a document that declares an entity or refers
// to an external one is refused, so nothing is ever expanded or fetched.
#include "image/transponders.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

inline constexpr std::uint64_t kSatellitesXmlMaxBytes = 16u << 20;
inline constexpr int kSatellitesXmlMaxDepth = 8;
inline constexpr std::size_t kSatellitesXmlMaxTransponders = 200000;

// Why an entry of the file is not taken. The value is what the command line prints as a number
// and the window turns into its text.
enum class TransponderSkip {
    MissingValue = 1,   // frequency, symbol rate or polarisation missing or not a number
    System,             // neither DVB-S nor DVB-S2
    Modulation,         // not QPSK (8PSK, APSK, ...)
    Fec,                // a code rate the receiver does not know
    Polarisation,       // circular (left, right) or unknown
    Frequency,          // outside 9750..12900 MHz
    SymbolRate,         // outside 1000..30000 kS/s
    TableFull,          // no free record left in the transponder table
};
// English words for a reason ("system is not DVB-S or DVB-S2"), for the command line.
std::string_view transponderSkipText(TransponderSkip reason);

// A transponder as the receiver stores it.
struct XmlTransponder {
    std::uint16_t frequencyMhz = 0;
    std::uint16_t symbolRateKs = 0;
    unsigned polarisation = 0;  // 0 horizontal, 1 vertical
    unsigned fec = 0;           // the receiver's code: 0 none, 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8, 6 auto
    bool s2 = false;            // DVB-S2 (QPSK)
};

struct SkippedTransponder {
    std::uint64_t frequencyKhz = 0;  // as read (0 when missing)
    char polarisation = '?';         // 'H', 'V', 'L', 'R' or '?'
    TransponderSkip reason = TransponderSkip::MissingValue;
};

struct XmlSatellite {
    std::string name;
    int position = 0;  // tenths of a degree, east positive
    std::vector<XmlTransponder> transponders;
    std::vector<SkippedTransponder> skipped;
};

struct SatellitesXml {
    bool ok = false;
    std::string error;  // why the file was refused: not XML, too deep, an entity, ...
    std::vector<XmlSatellite> satellites;

    // The first <sat> at this position; nullptr when none.
    const XmlSatellite* atPosition(int position) const;
};

SatellitesXml parseSatellitesXml(std::string_view text);
// Reads a regular file of at most kSatellitesXmlMaxBytes.
SatellitesXml readSatellitesXml(const std::string& path);

// A satellite entry's position in tenths of a degree, east positive (side 1 east, 0 west).
int satellitePositionTenths(float degrees, unsigned side);

} // namespace cs
