#include "reference/database_diff.h"

#include "image/channel_record.h"
#include "image/settings_area.h"
#include "image/transponders.h"
#include "reference/reference_list.h"

#include <algorithm>
#include <array>
#include <bit>

namespace cs {

namespace {

// Marks the members of one longest strictly increasing subsequence of `values`: the elements
// that kept their relative order. The others are the fewest that moved.
std::vector<std::uint8_t> keptInOrder(const std::vector<std::size_t>& values) {
    const std::size_t n = values.size();
    std::vector<std::size_t> tails;      // index of the last element of the best run of each length
    std::vector<std::ptrdiff_t> before(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                         [&](std::size_t t, std::size_t v) { return values[t] < v; });
        if (at != tails.begin())
            before[i] = static_cast<std::ptrdiff_t>(*(at - 1));
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<std::uint8_t> kept(n, 0);
    for (std::ptrdiff_t i = tails.empty() ? -1 : static_cast<std::ptrdiff_t>(tails.back()); i >= 0; i = before[static_cast<std::size_t>(i)])
        kept[static_cast<std::size_t>(i)] = 1;
    return kept;
}

// The flag bits that are compared as fields of their own.
constexpr std::uint8_t kNamedFlagBits = channel_bits::kPolarisation | channel_bits::kVideoPresent | channel_bits::kScrambled;

bool otherBytesDiffer(const ChannelRecord& a, const ChannelRecord& b) {
    const ConstBytes x = a.bytes();
    const ConstBytes y = b.bytes();
    for (std::size_t i = 0; i < channel_field::kCrc; ++i) {
        if (i < channel_field::kNameSize)
            continue;  // the name is compared up to its end; what follows the NUL is no field
        if (i >= channel_field::kListPositions && i < channel_field::kListPositions + 2 * channel_field::kListCount)
            continue;  // favourite lists are compared as lists
        if ((i >= channel_field::kVideoPid && i < channel_field::kVideoPid + 4) ||
            (i >= channel_field::kFrequency && i < channel_field::kFrequency + 2) ||
            i == channel_field::kSatellite || (i >= channel_field::kServiceId && i < channel_field::kServiceId + 2))
            continue;
        if (i == channel_field::kSymbolRate) {
            // The symbol rate's upper byte is the OFDM byte on DVB-T: compared as "other" there.
            continue;
        }
        if (i == channel_field::kOfdm) {
            if (a.satellite() == kSatelliteDvbT && b.satellite() == kSatelliteDvbT && x[i] != y[i])
                return true;
            continue;
        }
        const std::uint8_t mask = i == channel_field::kFlags ? static_cast<std::uint8_t>(~kNamedFlagBits) : 0xFF;
        if ((x[i] & mask) != (y[i] & mask))
            return true;
    }
    return false;
}

unsigned fieldsDiffering(const ChannelDatabase& a, std::size_t slotA, const ChannelDatabase& b, std::size_t slotB) {
    const ChannelRecord& x = a.record(slotA);
    const ChannelRecord& y = b.record(slotB);
    unsigned f = 0;
    if (x.name() != y.name())
        f |= diff_field::kName;
    if (x.frequency() != y.frequency())
        f |= diff_field::kFrequency;
    if (x.polarisation() != y.polarisation())
        f |= diff_field::kPolarisation;
    const bool dvbt = x.satellite() == kSatelliteDvbT && y.satellite() == kSatelliteDvbT;
    if (dvbt ? x.bytes()[channel_field::kSymbolRate] != y.bytes()[channel_field::kSymbolRate] : x.symbolRate() != y.symbolRate())
        f |= diff_field::kSymbolRate;
    if (x.videoPid() != y.videoPid())
        f |= diff_field::kVideoPid;
    if (x.audioPid() != y.audioPid())
        f |= diff_field::kAudioPid;
    if (x.satellite() != y.satellite())
        f |= diff_field::kSatellite;
    if (a.providerName(slotA) != b.providerName(slotB))
        f |= diff_field::kProvider;
    if (x.videoPresent() != y.videoPresent())
        f |= diff_field::kTvRadio;
    if (x.scrambled() != y.scrambled())
        f |= diff_field::kScrambled;
    if (x.serviceId() != y.serviceId() || otherBytesDiffer(x, y))
        f |= diff_field::kOther;
    return f;
}

// The in-use transponder records, sorted: the table as a set.
std::vector<TransponderRecord> transponderSet(const TransponderTable& table) {
    std::vector<TransponderRecord> set;
    for (const TransponderRecord& t : table)
        if (t.inUse())
            set.push_back(t);
    std::sort(set.begin(), set.end(), [](const TransponderRecord& p, const TransponderRecord& q) {
        return std::lexicographical_compare(p.bytes().begin(), p.bytes().end(), q.bytes().begin(), q.bytes().end());
    });
    return set;
}

// Bit for bit, so that a position that is no number still equals itself.
bool sameSatellite(const SatelliteEntry& x, const SatelliteEntry& y) {
    return x.name == y.name && x.side == y.side && std::bit_cast<std::uint32_t>(x.position) == std::bit_cast<std::uint32_t>(y.position);
}

bool bytesDiffer(ConstBytes x, ConstBytes y, std::size_t from, std::size_t to) {
    return !std::equal(x.begin() + static_cast<std::ptrdiff_t>(from), x.begin() + static_cast<std::ptrdiff_t>(to),
                       y.begin() + static_cast<std::ptrdiff_t>(from));
}

std::vector<SettingsPart> settingsDiffering(const ChannelDatabase& a, const ChannelDatabase& b) {
    const SettingsModel& x = a.flash().settings();
    const SettingsModel& y = b.flash().settings();
    const ConstBytes wx = x.settings.bytes();
    const ConstBytes wy = y.settings.bytes();
    std::vector<SettingsPart> parts;
    // Entries 0..63 are the receiver's; the others exist only in the editor.
    constexpr std::size_t receiverSatellites = 64;
    const std::size_t antennaEnd =
        WorkingSettings::antennaOffset + WorkingSettings::antennaCount * AntennaSettings::size;
    if (!std::equal(x.satellites.begin(), x.satellites.begin() + receiverSatellites, y.satellites.begin(), sameSatellite) ||
        bytesDiffer(wx, wy, WorkingSettings::antennaOffset, antennaEnd))
        parts.push_back(SettingsPart::Satellites);
    if (bytesDiffer(wx, wy, WorkingSettings::converterListOffset, WorkingSettings::antennaOffset))
        parts.push_back(SettingsPart::Converters);
    if (transponderSet(a.flash().transponders()) != transponderSet(b.flash().transponders()))
        parts.push_back(SettingsPart::Transponders);
    if (bytesDiffer(wx, wy, antennaEnd, WorkingSettings::size))
        parts.push_back(SettingsPart::Receiver);
    const std::size_t listsA = favouriteListCount(x.listCount);
    bool lists = listsA != favouriteListCount(y.listCount);
    for (std::size_t k = 1; k <= listsA && !lists; ++k)
        lists = x.listName(k) != y.listName(k);
    if (lists)
        parts.push_back(SettingsPart::Lists);
    return parts;
}

} // namespace

std::string_view diffFieldName(unsigned bit) {
    static constexpr std::array<std::string_view, diff_field::kCount> names = {
        "name",      "frequency", "polarisation", "symbolRate", "videoPid", "audioPid",
        "satellite", "provider",  "tvRadio",      "scrambled",  "other",    "position"};
    for (unsigned i = 0; i < diff_field::kCount; ++i)
        if (bit == (1u << i))
            return names[i];
    return {};
}

std::string_view channelChangeName(ChannelChange change) {
    switch (change) {
    case ChannelChange::Added: return "added";
    case ChannelChange::Removed: return "removed";
    case ChannelChange::Renamed: return "renamed";
    case ChannelChange::Moved: return "moved";
    case ChannelChange::Changed: return "changed";
    }
    return {};
}

std::string_view settingsPartName(SettingsPart part) {
    switch (part) {
    case SettingsPart::Satellites: return "satellites";
    case SettingsPart::Converters: return "converters";
    case SettingsPart::Transponders: return "transponders";
    case SettingsPart::Receiver: return "receiver";
    case SettingsPart::Lists: return "lists";
    }
    return {};
}

std::size_t DatabaseDiff::count(ChannelChange change) const {
    return static_cast<std::size_t>(
        std::count_if(channels.begin(), channels.end(), [&](const ChannelDifference& d) { return d.change == change; }));
}

bool DatabaseDiff::same() const {
    return channels.empty() && settings.empty() &&
           std::all_of(lists.begin(), lists.end(), [](const ListDifference& l) { return l.empty(); });
}

std::vector<std::uint16_t> mainListSlots(const ChannelDatabase& db) {
    std::vector<std::uint16_t> slots;
    const std::size_t cap = std::min(db.capacity(), kMaxChannelSlots);
    slots.reserve(cap);
    for (std::size_t i = 0; i < cap; ++i)
        if (db.entry(i).inUse())
            slots.push_back(static_cast<std::uint16_t>(i));
    return slots;
}

DatabaseDiff compareDatabases(const ChannelDatabase& a, const ChannelDatabase& b) {
    DatabaseDiff diff;
    const std::vector<std::uint16_t> slotsA = mainListSlots(a);
    const std::vector<std::uint16_t> slotsB = mainListSlots(b);
    const ReferenceList reference = referenceFromDatabase(a);
    const ReferenceMatch match = matchReference(b, reference);

    // Place of each B slot in B's main list (1-based) and the A channel matched with it.
    std::vector<std::size_t> positionB(kMaxChannelSlots, 0);
    for (std::size_t i = 0; i < slotsB.size(); ++i)
        positionB[slotsB[i]] = i + 1;
    std::vector<int> fromA(kMaxChannelSlots, -1);

    // Which matched channels kept their relative order in the main list.
    std::vector<std::size_t> matchedA;  // indices into slotsA
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < slotsA.size(); ++i) {
        if (match.slot[i] < 0)
            continue;
        fromA[static_cast<std::size_t>(match.slot[i])] = static_cast<int>(i);
        matchedA.push_back(i);
        order.push_back(positionB[static_cast<std::size_t>(match.slot[i])]);
    }
    const std::vector<std::uint8_t> kept = keptInOrder(order);
    std::vector<std::uint8_t> movedA(slotsA.size(), 0);
    for (std::size_t k = 0; k < matchedA.size(); ++k)
        movedA[matchedA[k]] = !kept[k];

    auto entry = [&](ChannelChange change, std::size_t i, int slotB, unsigned fields) {
        ChannelDifference d;
        d.change = change;
        d.slotA = static_cast<int>(slotsA[i]);
        d.nameA = reference.channels[i].name;
        d.positionA = i + 1;
        d.match = match.kind[i];
        d.fields = fields;
        if (slotB >= 0) {
            d.slotB = slotB;
            d.nameB = std::string(b.record(static_cast<std::size_t>(slotB)).name());
            d.positionB = positionB[static_cast<std::size_t>(slotB)];
        }
        diff.channels.push_back(std::move(d));
    };
    for (std::size_t i = 0; i < slotsA.size(); ++i) {
        const int slotB = match.slot[i];
        if (slotB < 0) {
            entry(ChannelChange::Removed, i, -1, 0);
            continue;
        }
        const unsigned fields = fieldsDiffering(a, slotsA[i], b, static_cast<std::size_t>(slotB));
        if (fields & diff_field::kName)
            entry(ChannelChange::Renamed, i, slotB, diff_field::kName);
        if (movedA[i])
            entry(ChannelChange::Moved, i, slotB, diff_field::kPosition);
        if (fields & ~diff_field::kName)
            entry(ChannelChange::Changed, i, slotB, fields & ~diff_field::kName);
    }
    for (std::uint16_t slot : slotsB) {
        if (fromA[slot] >= 0)
            continue;
        ChannelDifference d;
        d.change = ChannelChange::Added;
        d.slotB = slot;
        d.nameB = std::string(b.record(slot).name());
        d.positionB = positionB[slot];
        diff.channels.push_back(std::move(d));
    }

    // Favourite lists: members by their matched channel, moves among the members kept.
    const std::size_t listsA = favouriteListCount(a.flash().settings().listCount);
    const std::size_t listsB = favouriteListCount(b.flash().settings().listCount);
    for (std::size_t k = 1; k <= std::max(listsA, listsB); ++k) {
        ListDifference list;
        list.number = k;
        struct Kept {
            std::uint16_t positionA;
            std::uint16_t positionB;
            int slotB;
        };
        std::vector<Kept> both;
        for (std::size_t i = 0; i < slotsA.size(); ++i) {
            const std::uint16_t pa = k <= listsA ? a.record(slotsA[i]).listPosition(k) : 0;
            if (!pa)
                continue;
            const int slotB = match.slot[i];
            const std::uint16_t pb = slotB >= 0 && k <= listsB ? b.record(static_cast<std::size_t>(slotB)).listPosition(k) : 0;
            if (pb)
                both.push_back({pa, pb, slotB});
            else
                list.removedSlots.push_back(slotsA[i]);
        }
        for (std::uint16_t slot : slotsB) {
            const std::uint16_t pb = k <= listsB ? b.record(slot).listPosition(k) : 0;
            if (!pb)
                continue;
            const int i = fromA[slot];
            const bool wasMember = i >= 0 && k <= listsA && a.record(slotsA[static_cast<std::size_t>(i)]).listPosition(k);
            if (!wasMember)
                list.addedSlots.push_back(slot);
        }
        std::stable_sort(both.begin(), both.end(), [](const Kept& p, const Kept& q) { return p.positionA < q.positionA; });
        std::vector<std::size_t> places;
        for (const Kept& m : both)
            places.push_back(m.positionB);
        const std::vector<std::uint8_t> keptInList = keptInOrder(places);
        for (std::size_t m = 0; m < both.size(); ++m)
            if (!keptInList[m])
                list.movedSlots.push_back(both[m].slotB);
        diff.lists.push_back(std::move(list));
    }

    diff.settings = settingsDiffering(a, b);
    return diff;
}

bool canTake(ChannelChange change) {
    return change == ChannelChange::Removed || change == ChannelChange::Renamed || change == ChannelChange::Moved;
}

TakeSummary takeFromOther(ChannelDatabase& shown, const ChannelDatabase& other, const DatabaseDiff& diff,
                          const std::vector<std::size_t>& entries) {
    TakeSummary summary;
    const std::vector<std::uint16_t> slotsA = mainListSlots(other);
    std::vector<int> indexOfA(kMaxChannelSlots, -1);
    for (std::size_t i = 0; i < slotsA.size(); ++i)
        indexOfA[slotsA[i]] = static_cast<int>(i);
    const ReferenceMatch match = matchReference(shown, referenceFromDatabase(other));
    // The shown slot of each channel of `other` once everything is taken (-1: not there).
    std::vector<int> target(match.slot.begin(), match.slot.end());
    std::vector<std::uint8_t> place(slotsA.size(), 0);  // to be put behind its predecessor

    std::vector<std::uint8_t> used(kMaxChannelSlots, 0);
    for (std::uint16_t slot : mainListSlots(shown))
        used[slot] = 1;
    std::size_t nextFree = 0;
    const std::size_t cap = std::min(shown.capacity(), kMaxChannelSlots);
    for (std::size_t k : entries) {
        if (k >= diff.channels.size() || !canTake(diff.channels[k].change) || diff.channels[k].slotA < 0 ||
            indexOfA[static_cast<std::size_t>(diff.channels[k].slotA)] < 0) {
            ++summary.refused;
            continue;
        }
        const ChannelDifference& d = diff.channels[k];
        const auto i = static_cast<std::size_t>(indexOfA[static_cast<std::size_t>(d.slotA)]);
        if (d.change == ChannelChange::Renamed && target[i] >= 0) {
            shown.record(static_cast<std::size_t>(target[i])).setName(d.nameA);
            ++summary.renamed;
        } else if (d.change == ChannelChange::Moved && target[i] >= 0) {
            place[i] = 1;
            ++summary.moved;
        } else if (d.change == ChannelChange::Removed && target[i] < 0) {
            while (nextFree < cap && used[nextFree])
                ++nextFree;
            if (nextFree >= cap || !shown.insertRecord(nextFree, other.record(slotsA[i]), other.providerName(slotsA[i]))) {
                ++summary.refused;
                continue;
            }
            used[nextFree] = 1;
            target[i] = static_cast<int>(nextFree);
            place[i] = 1;
            ++summary.restored;
        } else {
            ++summary.refused;
        }
    }
    if (std::find(place.begin(), place.end(), 1) == place.end()) {
        if (summary.renamed)
            shown.requestFullSort();
        return summary;
    }

    // The new main-list order: the channels that stay, each placed channel right behind the
    // channel that precedes it in `other` (or first when none does).
    std::vector<std::uint8_t> placed(kMaxChannelSlots, 0);
    for (std::size_t i = 0; i < slotsA.size(); ++i)
        if (place[i])
            placed[static_cast<std::size_t>(target[i])] = 1;
    std::vector<std::uint16_t> order;
    for (std::uint16_t slot : mainListSlots(shown))
        if (!placed[slot])
            order.push_back(slot);
    for (std::size_t i = 0; i < slotsA.size(); ++i) {
        if (!place[i])
            continue;
        auto at = order.begin();
        for (std::size_t j = i; j-- > 0;) {
            if (target[j] < 0)
                continue;
            const auto found = std::find(order.begin(), order.end(), static_cast<std::uint16_t>(target[j]));
            if (found != order.end()) {
                at = found + 1;
                break;
            }
        }
        order.insert(at, static_cast<std::uint16_t>(target[i]));
    }
    reorderSlots(shown, order);
    return summary;
}

} // namespace cs
