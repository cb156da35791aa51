#include "reference/reference_order.h"

#include "image/channel_record.h"
#include "image/settings_area.h"
#include "reference/channel_identity.h"
#include "reference/database_diff.h"

#include <algorithm>
#include <unordered_map>

namespace cs {

namespace {

std::vector<std::uint16_t> listSlots(ChannelDatabase& db, std::size_t list) {
    ViewSettings view;
    ViewRequest request;
    request.list = static_cast<std::uint8_t>(list);
    db.selectChannels(request, view);
    return {db.result().begin(), db.result().end()};
}

} // namespace

ReferenceMatch matchReference(const ChannelDatabase& db, const ReferenceList& reference) {
    const std::size_t n = reference.channels.size();
    ReferenceMatch match{std::vector<int>(n, -1), std::vector<MatchKind>(n, MatchKind::None)};

    // The database's channels sorted by service key, then frequency.
    struct Keyed {
        std::uint32_t key;
        std::uint16_t frequency;
        std::uint16_t slot;
    };
    std::vector<Keyed> index;
    for (std::uint16_t slot : mainListSlots(db)) {
        const ChannelRecord& r = db.record(slot);
        index.push_back({serviceKey(r.satellite(), r.polarisation(), r.serviceId()), r.frequency(), slot});
    }
    std::sort(index.begin(), index.end(), [](const Keyed& a, const Keyed& b) {
        return a.key != b.key ? a.key < b.key : a.frequency != b.frequency ? a.frequency < b.frequency : a.slot < b.slot;
    });
    std::vector<std::uint8_t> taken(kMaxChannelSlots, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const ReferenceChannel& ref = reference.channels[i];
        const std::uint32_t key = serviceKey(ref.satellite, ref.polarisation, ref.serviceId);
        auto it = std::lower_bound(index.begin(), index.end(), key,
                                   [](const Keyed& k, std::uint32_t v) { return k.key < v; });
        int best = -1;
        int bestDistance = 0;
        for (; it != index.end() && it->key == key; ++it) {
            if (taken[it->slot] ||
                !sameTransmission(ref.satellite, ref.frequency, ref.polarisation, it->frequency, ref.polarisation))
                continue;
            const int distance = std::abs(static_cast<int>(it->frequency) - static_cast<int>(ref.frequency));
            if (best < 0 || distance < bestDistance) {
                best = it->slot;
                bestDistance = distance;
            }
        }
        if (best >= 0) {
            taken[static_cast<std::size_t>(best)] = 1;
            match.slot[i] = best;
            match.kind[i] = MatchKind::Service;
        }
    }

    // Names that occur once among the unmatched of each side.
    struct NameCount {
        int count = 0;
        int where = -1;
    };
    std::unordered_map<std::string, NameCount> referenceNames, databaseNames;
    for (std::size_t i = 0; i < n; ++i) {
        if (match.slot[i] >= 0)
            continue;
        NameCount& c = referenceNames[comparableName(reference.channels[i].name)];
        ++c.count;
        c.where = static_cast<int>(i);
    }
    for (const Keyed& k : index) {
        if (taken[k.slot])
            continue;
        NameCount& c = databaseNames[comparableName(db.record(k.slot).name())];
        ++c.count;
        c.where = k.slot;
    }
    for (const auto& [name, ref] : referenceNames) {
        if (ref.count != 1 || name.empty())
            continue;
        const auto found = databaseNames.find(name);
        if (found == databaseNames.end() || found->second.count != 1)
            continue;
        match.slot[static_cast<std::size_t>(ref.where)] = found->second.where;
        match.kind[static_cast<std::size_t>(ref.where)] = MatchKind::Name;
    }
    return match;
}

std::vector<std::uint16_t> reorderSlots(ChannelDatabase& db, const std::vector<std::uint16_t>& order) {
    std::vector<std::uint16_t> targets = order;
    std::sort(targets.begin(), targets.end());
    std::vector<ChannelRecord> records(order.size());
    std::vector<ChannelEntry> entries(order.size());
    std::vector<std::uint16_t> providers(order.size());
    ProviderWorkArea& work = db.flash().providerWork();
    for (std::size_t i = 0; i < order.size(); ++i) {
        records[i] = db.record(order[i]);
        entries[i] = db.entry(order[i]);
        providers[i] = work.providerNumber(order[i]);
    }
    std::vector<std::uint16_t> newSlot(kMaxChannelSlots);
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i)
        newSlot[i] = static_cast<std::uint16_t>(i);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint16_t to = targets[i];
        db.record(to) = records[i];
        ChannelEntry& e = db.entry(to);
        e = entries[i];
        e.slot = to;
        e.flags |= entry_flags::kChanged;
        work.setProviderNumber(to, providers[i]);
        newSlot[order[i]] = to;
    }
    db.requestFullSort();
    return newSlot;
}

OrderSummary orderLikeReference(ChannelDatabase& db, const ReferenceList& reference, const OrderOptions& options) {
    OrderSummary summary;
    const ReferenceMatch match = matchReference(db, reference);
    // Lists are rebuilt from a database reference that has favourite lists and shares channels
    // with this one; otherwise rebuilding would only empty them.
    bool referenceHasLists = false;
    bool anyMatch = false;
    for (std::size_t i = 0; i < reference.channels.size(); ++i) {
        const auto& positions = reference.channels[i].listPositions;
        referenceHasLists = referenceHasLists || std::any_of(positions.begin(), positions.end(), [](auto p) { return p != 0; });
        anyMatch = anyMatch || match.slot[i] >= 0;
    }
    const bool asked = options.rebuildLists && reference.fromDatabase;
    if (asked && (!referenceHasLists || reference.listCount == 0))
        summary.listsKept = OrderSummary::ListsKept::ReferenceHasNoLists;
    else if (asked && !anyMatch)
        summary.listsKept = OrderSummary::ListsKept::NothingMatched;
    const bool rebuild = asked && summary.listsKept == OrderSummary::ListsKept::No;
    // Positions in a list the database does not have would stay in the records unseen.
    const std::size_t lists = rebuild ? reference.listCount : favouriteListCount(db.flash().settings().listCount);
    if (options.list > lists)
        return summary;
    const std::size_t list = options.list;

    // The reference channels whose order is applied, in that order.
    std::vector<std::size_t> sequence;
    sequence.reserve(reference.channels.size());
    for (std::size_t i = 0; i < reference.channels.size(); ++i)
        if (list == 0 || !reference.fromDatabase || reference.channels[i].listPositions[list - 1] != 0)
            sequence.push_back(i);
    if (list != 0 && reference.fromDatabase)
        std::stable_sort(sequence.begin(), sequence.end(), [&](std::size_t a, std::size_t b) {
            return reference.channels[a].listPositions[list - 1] < reference.channels[b].listPositions[list - 1];
        });

    std::vector<std::uint8_t> placed(kMaxChannelSlots, 0);
    std::vector<std::uint16_t> order;
    for (std::size_t i : sequence) {
        if (match.slot[i] < 0) {
            summary.missing.push_back(i);
            continue;
        }
        (match.kind[i] == MatchKind::Service ? summary.matchedByService : summary.matchedByName)++;
        const auto slot = static_cast<std::uint16_t>(match.slot[i]);
        placed[slot] = 1;
        order.push_back(slot);
    }

    if (options.takeNames) {
        for (std::size_t i : sequence) {
            if (match.slot[i] < 0)
                continue;
            ChannelRecord& r = db.record(static_cast<std::size_t>(match.slot[i]));
            if (r.name() != reference.channels[i].name) {
                r.setName(reference.channels[i].name);
                ++summary.renamed;
            }
            if (r.name() != reference.channels[i].name || reference.channels[i].nameAltered)
                ++summary.namesAltered;
        }
    }
    if (rebuild) {
        SettingsModel& settings = db.flash().settings();
        settings.listCount = reference.listCount;
        for (std::size_t k = 1; k <= kMaxFavouriteLists; ++k)
            settings.setListName(k, k <= reference.listCount ? reference.listNames[k - 1] : std::string());
        for (std::uint16_t slot : mainListSlots(db))
            for (std::size_t k = 1; k <= kMaxFavouriteLists; ++k)
                db.record(slot).setListPosition(k, 0);
        for (std::size_t i = 0; i < reference.channels.size(); ++i) {
            if (match.slot[i] < 0)
                continue;
            ChannelRecord& r = db.record(static_cast<std::size_t>(match.slot[i]));
            for (std::size_t k = 1; k <= reference.listCount; ++k)
                r.setListPosition(k, reference.channels[i].listPositions[k - 1]);
        }
        summary.listsRebuilt = true;
    }

    const std::size_t matchedCount = order.size();
    if (list == 0) {
        for (std::uint16_t slot : mainListSlots(db))
            if (!placed[slot])
                order.push_back(slot);
        const std::vector<std::uint16_t> newSlot = reorderSlots(db, order);
        for (std::size_t k = matchedCount; k < order.size(); ++k)
            summary.unmatchedSlots.push_back(newSlot[order[k]]);
    } else {
        for (std::uint16_t slot : listSlots(db, list)) {
            if (!placed[slot]) {
                order.push_back(slot);
                summary.unmatchedSlots.push_back(slot);
            }
        }
        for (std::uint16_t slot : mainListSlots(db))
            db.record(slot).setListPosition(list, 0);
        std::uint16_t position = 0;
        for (std::uint16_t slot : order)
            db.record(slot).setListPosition(list, ++position);
    }
    summary.unmatched = summary.unmatchedSlots.size();
    return summary;
}

} // namespace cs
