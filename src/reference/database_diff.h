#pragma once
// What changed between two databases: a user's list before and after a rescan or an upload.
// Channels are matched as ordering like a reference matches them (the same service first, then
// a name that is unique on both sides); what is left over was added or removed.
#include "database/channel_database.h"
#include "reference/reference_order.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

enum class ChannelChange : std::uint8_t { Added, Removed, Renamed, Moved, Changed };

// The fields a "changed" channel differs in (bits).
namespace diff_field {
inline constexpr unsigned kName = 1u << 0;
inline constexpr unsigned kFrequency = 1u << 1;
inline constexpr unsigned kPolarisation = 1u << 2;
inline constexpr unsigned kSymbolRate = 1u << 3;
inline constexpr unsigned kVideoPid = 1u << 4;
inline constexpr unsigned kAudioPid = 1u << 5;
inline constexpr unsigned kSatellite = 1u << 6;
inline constexpr unsigned kProvider = 1u << 7;
inline constexpr unsigned kTvRadio = 1u << 8;
inline constexpr unsigned kScrambled = 1u << 9;
inline constexpr unsigned kOther = 1u << 10;     // any other byte of the record (FEC, language, locks, ...)
inline constexpr unsigned kPosition = 1u << 11;  // the place in the main list
inline constexpr unsigned kCount = 12;
} // namespace diff_field

// The field's name as the command line writes it ("frequency", "symbolRate", ...).
std::string_view diffFieldName(unsigned bit);
// The change's name as the command line writes it ("added", "removed", ...).
std::string_view channelChangeName(ChannelChange change);

// One change of one channel. A channel that was renamed and moved gives two entries, so each
// count equals the number of entries of its kind.
struct ChannelDifference {
    ChannelChange change = ChannelChange::Added;
    int slotA = -1;              // -1: the channel is not in A (added)
    int slotB = -1;              // -1: the channel is not in B (removed)
    std::string nameA, nameB;    // as stored (single-byte characters)
    unsigned fields = 0;         // diff_field bits
    MatchKind match = MatchKind::None;
    std::size_t positionA = 0;   // 1-based place in A's main list (0: not there)
    std::size_t positionB = 0;
};

struct ListDifference {
    std::size_t number = 0;  // favourite list 1..8
    std::vector<int> addedSlots;    // B slots now in the list
    std::vector<int> removedSlots;  // A slots no longer in it
    std::vector<int> movedSlots;    // B slots whose place among the kept members changed
    bool empty() const { return addedSlots.empty() && removedSlots.empty() && movedSlots.empty(); }
};

enum class SettingsPart : std::uint8_t { Satellites, Converters, Transponders, Receiver, Lists };
std::string_view settingsPartName(SettingsPart part);

struct DatabaseDiff {
    std::vector<ChannelDifference> channels;  // A's main-list order, then the added in B's
    std::vector<ListDifference> lists;        // lists 1..max(list count of A, of B)
    std::vector<SettingsPart> settings;       // the settings parts that differ

    std::size_t count(ChannelChange change) const;
    // No channel, list or settings part differs.
    bool same() const;
};

// `a` is the earlier (or other) database, `b` the later one. A channel's position is its place
// in the main list, which follows the channel table; "moved" names the fewest channels whose
// relative order changed, so a channel added or removed moves none of the others. Favourite
// lists are compared the same way on their members. Transponders are compared as a set (a save
// sorts the table); the satellites with their antenna settings, the converters and the
// receiver's other settings as the editor keeps them.
DatabaseDiff compareDatabases(const ChannelDatabase& a, const ChannelDatabase& b);

// "Take from the other file": `shown` takes back from `other` what the chosen entries of
// compareDatabases(other, shown) name: a removed channel comes back (with its provider, without
// list places), a renamed one gets its old name, a moved one its old place. Channels that come
// back or move go right behind the channel that precedes them in `other`. Added and changed
// entries are not taken. Slots of `shown` change; compare again afterwards.
struct TakeSummary {
    std::size_t restored = 0;
    std::size_t renamed = 0;
    std::size_t moved = 0;
    std::size_t refused = 0;  // entries that cannot be taken, or no free slot was left
    std::size_t total() const { return restored + renamed + moved; }
};
TakeSummary takeFromOther(ChannelDatabase& shown, const ChannelDatabase& other, const DatabaseDiff& diff,
                          const std::vector<std::size_t>& entries);
bool canTake(ChannelChange change);

// The in-use slots of the channel table ascending: the main list's order.
std::vector<std::uint16_t> mainListSlots(const ChannelDatabase& db);

} // namespace cs
