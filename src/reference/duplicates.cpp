#include "reference/duplicates.h"

#include "image/channel_record.h"
#include "image/channel_table.h"
#include "reference/channel_identity.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>

namespace cs {

namespace {

void sortGroups(std::vector<std::vector<std::uint16_t>>& groups) {
    for (auto& g : groups)
        std::sort(g.begin(), g.end());
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.front() < b.front(); });
}

// For each of `count` items, the index of the first item with an equal key (itself when it is
// the first). A hash table finds them in one pass: with 8000 channels and few duplicates this is
// several times cheaper than sorting every key.
template <typename Hash, typename Equal>
std::vector<std::uint32_t> firstWithEqualKey(std::size_t count, Hash hash, Equal equal) {
    constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    const std::size_t size = std::bit_ceil(2 * count + 2);
    std::vector<std::uint32_t> table(size, kEmpty);
    std::vector<std::uint32_t> first(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t h = hash(i) & (size - 1);
        while (table[h] != kEmpty && !equal(table[h], i))
            h = (h + 1) & (size - 1);
        if (table[h] == kEmpty)
            table[h] = static_cast<std::uint32_t>(i);
        first[i] = table[h];
    }
    return first;
}

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// The satellite and the comparable name (trimmed of blanks, ASCII letters lowered, as
// comparableName gives it), zero-padded, as three words (names hold no NUL, so equal words are
// equal names). Built from the record's bytes in place: no string per name.
struct NameKey {
    std::uint64_t words[3];
    bool empty;
    bool operator==(const NameKey& o) const {
        return words[0] == o.words[0] && words[1] == o.words[1] && words[2] == o.words[2];
    }
};

NameKey nameKey(const ChannelRecord& r) {
    std::array<std::uint8_t, 24> bytes{};
    bytes[0] = r.satellite();
    std::string_view name = r.name();
    const auto first = name.find_first_not_of(' ');
    name = first == std::string_view::npos ? std::string_view() : name.substr(first, name.find_last_not_of(' ') - first + 1);
    name = name.substr(0, bytes.size() - 1);
    for (std::size_t k = 0; k < name.size(); ++k) {
        const char c = name[k];
        bytes[k + 1] = static_cast<std::uint8_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    NameKey key{{}, name.empty()};
    std::memcpy(key.words, bytes.data(), bytes.size());
    return key;
}

} // namespace

DuplicateGroups findDuplicates(const ChannelDatabase& db) {
    DuplicateGroups groups;
    struct Service {
        std::uint32_t key;
        std::uint16_t frequency;
        std::uint16_t slot;
    };
    std::vector<Service> services;
    std::vector<NameKey> names;  // in the order of services: names[i] is services[i].slot's
    const std::size_t cap = std::min(db.capacity(), kMaxChannelSlots);
    services.reserve(cap);
    names.reserve(cap);
    for (std::size_t i = 0; i < cap; ++i) {
        if (!db.entry(i).inUse())
            continue;
        const ChannelRecord& r = db.record(i);
        const auto slot = static_cast<std::uint16_t>(i);
        services.push_back({serviceKey(r.satellite(), r.polarisation(), r.serviceId()), r.frequency(), slot});
        names.push_back(nameKey(r));
    }

    // Services: channels with one key, then within a key neighbours in frequency that the
    // tolerance accepts belong together. Only keys held by two or more channels are sorted.
    const std::vector<std::uint32_t> sameService = firstWithEqualKey(
        services.size(), [&](std::size_t i) { return mix(services[i].key); },
        [&](std::size_t a, std::size_t b) { return services[a].key == services[b].key; });
    std::vector<std::uint16_t> holders(services.size(), 0);
    for (std::uint32_t f : sameService)
        ++holders[f];
    std::vector<Service> shared;
    for (std::size_t i = 0; i < services.size(); ++i)
        if (holders[sameService[i]] > 1)
            shared.push_back(services[i]);
    std::sort(shared.begin(), shared.end(), [](const Service& a, const Service& b) {
        return a.key != b.key ? a.key < b.key : a.frequency != b.frequency ? a.frequency < b.frequency : a.slot < b.slot;
    });
    for (std::size_t start = 0; start < shared.size();) {
        std::size_t end = start + 1;
        const auto satellite = static_cast<std::uint8_t>(shared[start].key >> 17);
        const unsigned polarisation = (shared[start].key >> 16) & 1u;
        while (end < shared.size() && shared[end].key == shared[start].key &&
               sameTransmission(satellite, shared[end - 1].frequency, polarisation, shared[end].frequency, polarisation))
            ++end;
        if (end - start > 1) {
            auto& g = groups.services.emplace_back();
            for (std::size_t k = start; k < end; ++k)
                g.push_back(shared[k].slot);
        }
        start = end;
    }

    // Names: every channel with the same key as an earlier one joins that one's group.
    const std::vector<std::uint32_t> sameName = firstWithEqualKey(
        names.size(),
        [&](std::size_t i) { return mix(names[i].words[0] ^ mix(names[i].words[1] ^ mix(names[i].words[2]))); },
        [&](std::size_t a, std::size_t b) { return names[a] == names[b]; });
    constexpr std::uint32_t kNoGroup = 0xFFFFFFFFu;
    std::vector<std::uint32_t> groupOf(names.size(), kNoGroup);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::uint32_t f = sameName[i];
        if (f == i || names[i].empty)
            continue;
        if (groupOf[f] == kNoGroup) {
            groupOf[f] = static_cast<std::uint32_t>(groups.names.size());
            groups.names.push_back({services[f].slot});
        }
        groups.names[groupOf[f]].push_back(services[i].slot);
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
