#pragma once
// What an open database holds, in numbers: for the file information window and the command
// line's `info`. A user would rather look than read, so the channels per satellite come along.
#include "database/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cs {

// The state of an area's check word: the area is absent, or its check passed or failed.
enum class AreaCheck : std::uint8_t { Absent, Passed, Failed };

struct SatelliteCount {
    std::uint8_t satellite = 0;  // 1..63, 64 DVB-T, 65 DVB-C
    std::string name;            // as the editor names it (single-byte characters)
    std::size_t channels = 0;
};

struct ListFacts {
    std::size_t number = 0;
    std::string name;  // as stored
    std::size_t channels = 0;
};

struct FileFacts {
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t free = 0;
    std::size_t tv = 0;
    std::size_t radio = 0;
    std::size_t freeToAir = 0;
    std::size_t scrambled = 0;
    std::size_t damagedRecords = 0;  // slots neither erased nor valid when the image was read
    std::size_t transponders = 0;
    std::size_t duplicateServices = 0;  // groups of channels that are one service
    std::size_t duplicateNames = 0;     // groups that share a name on one satellite
    AreaCheck settingsCheck = AreaCheck::Absent;   // BA_2
    AreaCheck providerCheck = AreaCheck::Absent;   // BA_3
    std::vector<ListFacts> lists;
    std::vector<SatelliteCount> perSatellite;  // used satellites ascending
};

// The numbers of the open database (providers are counted by the caller from the tree's list).
FileFacts fileFacts(const ChannelDatabase& db);


} // namespace cs
