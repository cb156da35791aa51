#pragma once
// A reference list of channels: what identifies each channel on air, its name and its place,
// taken from another open database or from a CSV as the export writes it
// (position,name,satellite,frequency,polarisation,service_id).
#include "database/channel_database.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

inline constexpr std::string_view kReferenceCsvHeader = "position,name,satellite,frequency,polarisation,service_id";

struct ReferenceChannel {
    std::uint32_t position = 0;        // 1-based place in the reference
    std::string name;                  // as stored in a record (single-byte characters)
    std::uint8_t satellite = 0;        // 1..63, 64 DVB-T, 65 DVB-C
    std::uint16_t frequency = 0;       // as stored
    unsigned polarisation = 0;         // 0 H, 1 V
    std::uint16_t serviceId = 0;
    std::array<std::uint16_t, 8> listPositions{};  // favourite lists 1..8 (database references only)
    bool nameAltered = false;          // characters a record cannot hold became '?' when it was read
};

// More rows than any receiver's list could ever have: such a CSV is refused, not held in memory.
inline constexpr std::size_t kMaxReferenceRows = 1000000;

struct ReferenceList {
    std::vector<ReferenceChannel> channels;  // in reference order
    bool fromDatabase = false;               // list positions, list count and names are known
    std::uint8_t listCount = 0;
    std::array<std::string, 8> listNames;
};

// The channels of `slots` (a view, in view order) as CSV with the header line; names as UTF-8.
std::string exportReferenceCsv(const ChannelDatabase& db, std::span<const std::uint16_t> slots);

struct CsvReadResult {
    ReferenceList list;
    std::string error;  // empty when the text was read; otherwise what is wrong and on which line
    bool ok() const { return error.empty(); }
};
// Reads a CSV whose header names the six columns (in any order; other columns are ignored), of at
// most kMaxReferenceRows rows.
// Rows come back ordered by position (rows of one position keep their file order).
CsvReadResult readReferenceCsv(std::string_view text);

// The channels of an open database in the order of its channel table (the order the receiver
// numbers them in), with every channel's list positions and the database's favourite lists.
ReferenceList referenceFromDatabase(const ChannelDatabase& db);

// UTF-8 to the single-byte characters of records (code points above 255 become '?'; bytes
// that are no valid UTF-8 are taken as they are). `replaced` tells whether any became '?'.
std::string utf8ToLatin1(std::string_view text, bool* replaced = nullptr);

} // namespace cs
