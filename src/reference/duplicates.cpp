#include "reference/duplicates.h"

#include "image/channel_record.h"
#include "image/channel_table.h"
#include "reference/channel_identity.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
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
    // The satellite and the comparable name, zero-padded, as three big-endian words: sorting
    // 8000 of them compares integers instead of following a string each (names hold no NUL, so
    // equal words are equal names).
    struct Named {
        std::array<std::uint64_t, 3> key;
        std::uint16_t slot;
        bool empty;
    };
    auto namedKey = [](std::uint8_t satellite, const std::string& name) {
        std::array<std::uint8_t, 24> bytes{};
        bytes[0] = satellite;
        std::copy_n(name.begin(), std::min(name.size(), bytes.size() - 1), bytes.begin() + 1);
        std::array<std::uint64_t, 3> key{};
        for (std::size_t w = 0; w < key.size(); ++w) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + 8 * w, 8);
            key[w] = std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
        }
        return key;
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
        const std::string name = comparableName(r.name());
        names.push_back({namedKey(r.satellite(), name), slot, name.empty()});
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
        return a.key != b.key ? a.key < b.key : a.slot < b.slot;
    });
    for (std::size_t start = 0; start < names.size();) {
        std::size_t end = start + 1;
        while (end < names.size() && names[end].key == names[start].key)
            ++end;
        if (end - start > 1 && !names[start].empty) {
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
