#include "reference/duplicates.h"

#include "image/channel_record.h"
#include "image/channel_table.h"
#include "reference/channel_identity.h"

#include <algorithm>
#include <string>

namespace cs {

namespace {

void sortGroups(std::vector<std::vector<std::uint16_t>>& groups) {
    for (auto& g : groups)
        std::sort(g.begin(), g.end());
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.front() < b.front(); });
}

} // namespace

DuplicateGroups findDuplicates(const ChannelDatabase& db) {
    DuplicateGroups groups;
    struct Keyed {
        std::uint32_t key;
        std::uint16_t frequency;
        std::uint16_t slot;
    };
    struct Named {
        std::uint8_t satellite;
        std::string name;
        std::uint16_t slot;
    };
    std::vector<Keyed> services;
    std::vector<Named> names;
    const std::size_t cap = std::min(db.capacity(), kMaxChannelSlots);
    services.reserve(cap);
    names.reserve(cap);
    for (std::size_t i = 0; i < cap; ++i) {
        if (!db.entry(i).inUse())
            continue;
        const ChannelRecord& r = db.record(i);
        const auto slot = static_cast<std::uint16_t>(i);
        services.push_back({serviceKey(r.satellite(), r.polarisation(), r.serviceId()), r.frequency(), slot});
        names.push_back({r.satellite(), comparableName(r.name()), slot});
    }

    std::sort(services.begin(), services.end(), [](const Keyed& a, const Keyed& b) {
        return a.key != b.key ? a.key < b.key : a.frequency != b.frequency ? a.frequency < b.frequency : a.slot < b.slot;
    });
    // Within one key, neighbours in frequency that the tolerance accepts belong together.
    for (std::size_t start = 0; start < services.size();) {
        std::size_t end = start + 1;
        const auto satellite = static_cast<std::uint8_t>(services[start].key >> 17);
        const unsigned polarisation = (services[start].key >> 16) & 1u;
        while (end < services.size() && services[end].key == services[start].key &&
               sameTransmission(satellite, services[end - 1].frequency, polarisation, services[end].frequency,
                                polarisation))
            ++end;
        if (end - start > 1) {
            auto& g = groups.services.emplace_back();
            for (std::size_t k = start; k < end; ++k)
                g.push_back(services[k].slot);
        }
        start = end;
    }

    std::sort(names.begin(), names.end(), [](const Named& a, const Named& b) {
        if (a.satellite != b.satellite)
            return a.satellite < b.satellite;
        const int c = a.name.compare(b.name);
        return c != 0 ? c < 0 : a.slot < b.slot;
    });
    for (std::size_t start = 0; start < names.size();) {
        std::size_t end = start + 1;
        while (end < names.size() && names[end].satellite == names[start].satellite &&
               names[end].name == names[start].name)
            ++end;
        if (end - start > 1 && !names[start].name.empty()) {
            auto& g = groups.names.emplace_back();
            for (std::size_t k = start; k < end; ++k)
                g.push_back(names[k].slot);
        }
        start = end;
    }
    sortGroups(groups.services);
    sortGroups(groups.names);
    return groups;
}

std::size_t removeDuplicates(ChannelDatabase& db, std::span<const DuplicateRemoval> removals) {
    const std::size_t cap = std::min(db.capacity(), kMaxChannelSlots);
    std::vector<std::uint8_t> kept(kMaxChannelSlots, 0);
    for (const DuplicateRemoval& r : removals)
        if (r.keep < cap)
            kept[r.keep] = 1;
    for (std::size_t i = 0; i < cap; ++i)
        db.entry(i).setMarked(false);

    std::size_t marked = 0;
    for (const DuplicateRemoval& removal : removals) {
        if (removal.keep >= cap || !db.entry(removal.keep).inUse())
            continue;
        ChannelRecord& keep = db.record(removal.keep);
        for (std::uint16_t slot : removal.remove) {
            if (slot >= cap || kept[slot] || !db.entry(slot).inUse() || db.entry(slot).marked())
                continue;
            const ChannelRecord& gone = db.record(slot);
            for (std::size_t k = 1; k <= channel_field::kListCount; ++k)
                if (gone.listPosition(k) != 0 && keep.listPosition(k) == 0)
                    keep.setListPosition(k, gone.listPosition(k));
            db.entry(slot).setMarked(true);
            ++marked;
        }
    }
    if (marked == 0)
        return 0;
    // Deleting acts on the marked channels of the current view: the whole main list.
    ViewSettings view;
    ViewRequest request;
    db.selectChannels(request, view);
    return db.deleteMarked();
}

} // namespace cs
