#pragma once
// Ordering the main list or one favourite list like a reference: after a rescan the receiver's
// list comes back in scan order; the user's old image (or a CSV kept from it) gives the order
// back. Channels are matched by what identifies them on air, then by a name that is unique.
#include "database/channel_database.h"
#include "reference/reference_list.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cs {

enum class MatchKind : std::uint8_t { None, Service, Name };

// For each reference channel the slot of the database channel it was matched with (-1 none)
// and how. Every database channel is matched at most once.
struct ReferenceMatch {
    std::vector<int> slot;
    std::vector<MatchKind> kind;
};
// Same service first (satellite, service ID, polarisation and frequency as channelsEqual
// compares them; the nearest frequency wins), then, among what is left on both sides, a name
// (blanks around it and letter case ignored) that occurs once on each side.
ReferenceMatch matchReference(const ChannelDatabase& db, const ReferenceList& reference);

struct OrderOptions {
    std::size_t list = 0;       // 0 the main list; 1..8 that favourite list
    bool takeNames = false;     // matched channels take the reference's names
    bool rebuildLists = false;  // favourite lists as the reference has them (database references)
};

struct OrderSummary {
    std::size_t matchedByService = 0;
    std::size_t matchedByName = 0;
    std::size_t unmatched = 0;                  // channels of the ordered list the reference lacks
    std::vector<std::uint16_t> unmatchedSlots;  // their slots after the ordering, in their new order
    std::vector<std::size_t> missing;           // reference channels (indices) found nowhere
    std::size_t renamed = 0;
    // Names that could not be taken as the reference has them: characters a record cannot hold
    // became '?', or the name was cut (at its length limit or an embedded NUL).
    std::size_t namesAltered = 0;
    bool listsRebuilt = false;
    // Lists asked to be rebuilt but kept as they were: the reference has no favourite list
    // members, or none of its channels matched.
    enum class ListsKept : std::uint8_t { No, ReferenceHasNoLists, NothingMatched } listsKept = ListsKept::No;
};

// Matched channels take the reference's order, the others follow in their previous relative
// order. The main list's own order is the order of the channel table (the receiver numbers its
// channels in that order; the editor's views group and sort it): it is changed by moving the
// channels between their slots. A favourite list is ordered by renumbering its positions: the
// matched channels of the whole database in the reference's order (of that list, for a database
// reference), then the list's other members. A list the database does not have (after the
// lists are rebuilt, when they are) leaves everything as it was.
OrderSummary orderLikeReference(ChannelDatabase& db, const ReferenceList& reference, const OrderOptions& options);

// Moves the in-use channels so that the slots they occupy, ascending, hold them in `order`
// (each in-use slot once). Records, editor fields and provider numbers move together. Returns
// for every old slot its new slot.
std::vector<std::uint16_t> reorderSlots(ChannelDatabase& db, const std::vector<std::uint16_t>& order);

} // namespace cs
