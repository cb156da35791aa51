#pragma once
// Duplicates in one database: channels that are the same service (satellite, service ID and,
// on a satellite, polarisation, at frequencies sameTransmission accepts), and channels that share
// a name (as comparableName compares it) on one satellite. A name on two satellites is no
// duplicate: it is the same programme received two ways.
#include "database/channel_database.h"

#include <cstdint>
#include <span>
#include <vector>

namespace cs {

struct DuplicateGroups {
    // Each group holds two or more slots, ascending; groups ordered by their first slot.
    std::vector<std::vector<std::uint16_t>> services;
    std::vector<std::vector<std::uint16_t>> names;
};

DuplicateGroups findDuplicates(const ChannelDatabase& db);

// One removal: the channels of `remove` go; the favourite lists they belong to and `keep` does
// not take `keep` in their place.
struct DuplicateRemoval {
    std::uint16_t keep = 0;
    std::vector<std::uint16_t> remove;
};

// Removes the channels in one step. A channel named as removed and kept in another removal
// stays. Returns how many channels were removed.
std::size_t removeDuplicates(ChannelDatabase& db, std::span<const DuplicateRemoval> removals);

} // namespace cs
