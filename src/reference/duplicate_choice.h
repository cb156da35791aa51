#pragma once
// What the duplicates window decides: which channels start chosen for removal, and which channel
// of a group keeps the list places of each chosen one.
#include "database/channel_database.h"
#include "reference/duplicates.h"

#include <cstdint>
#include <span>
#include <vector>

namespace cs {

// Every channel of a same-service group but its first. Same-name groups start unchosen: they
// may be different services that merely share a name.
std::vector<std::uint16_t> defaultDuplicateChoice(const DuplicateGroups& groups);

struct DuplicatePlan {
    std::vector<DuplicateRemoval> removals;  // one per kept channel, ordered by it
    // Chosen channels with no unchosen channel left in any of their groups: nothing would take
    // their list places, so the plan is refused while there are any.
    std::vector<std::uint16_t> unkept;
    bool ok() const { return unkept.empty(); }
};

// Each chosen channel is kept by the first unchosen channel of its same-service group, or, when
// that group is chosen whole (or it has none), of its same-name group. Chosen slots outside
// every group are ignored.
DuplicatePlan planDuplicateRemoval(const DuplicateGroups& groups, std::span<const std::uint16_t> chosen);

// The favourite lists (1..count) a channel belongs to.
std::vector<std::size_t> listMemberships(const ChannelDatabase& db, std::uint16_t slot);

// The number the receiver gives each slot: its place among the channels of the channel table
// (1-based; 0 for a free slot).
std::vector<std::uint32_t> tableNumbers(const ChannelDatabase& db);

} // namespace cs
