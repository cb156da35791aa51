#include "reference/duplicate_choice.h"

#include <algorithm>
#include <map>

namespace cs {

namespace {

using Group = std::vector<std::uint16_t>;

// For each slot the group of `groups` holding it (a slot is in at most one group of a kind).
std::map<std::uint16_t, const Group*> groupOfSlot(const std::vector<Group>& groups) {
    std::map<std::uint16_t, const Group*> of;
    for (const Group& g : groups)
        for (std::uint16_t slot : g)
            of.emplace(slot, &g);
    return of;
}

} // namespace

std::vector<std::uint16_t> defaultDuplicateChoice(const DuplicateGroups& groups) {
    std::vector<std::uint16_t> chosen;
    for (const Group& g : groups.services)
        chosen.insert(chosen.end(), g.begin() + (g.empty() ? 0 : 1), g.end());
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

DuplicatePlan planDuplicateRemoval(const DuplicateGroups& groups, std::span<const std::uint16_t> chosen) {
    std::vector<std::uint16_t> set(chosen.begin(), chosen.end());
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    auto isChosen = [&set](std::uint16_t slot) { return std::binary_search(set.begin(), set.end(), slot); };
    auto firstUnchosen = [&isChosen](const Group* g) -> int {
        if (g)
            for (std::uint16_t slot : *g)
                if (!isChosen(slot))
                    return slot;
        return -1;
    };
    const auto serviceGroup = groupOfSlot(groups.services);
    const auto nameGroup = groupOfSlot(groups.names);

    DuplicatePlan plan;
    std::map<std::uint16_t, std::vector<std::uint16_t>> byKeeper;
    for (std::uint16_t slot : set) {
        const auto s = serviceGroup.find(slot);
        const auto n = nameGroup.find(slot);
        if (s == serviceGroup.end() && n == nameGroup.end())
            continue;
        int keeper = firstUnchosen(s == serviceGroup.end() ? nullptr : s->second);
        if (keeper < 0)
            keeper = firstUnchosen(n == nameGroup.end() ? nullptr : n->second);
        if (keeper < 0)
            plan.unkept.push_back(slot);
        else
            byKeeper[static_cast<std::uint16_t>(keeper)].push_back(slot);
    }
    for (auto& [keep, remove] : byKeeper)
        plan.removals.push_back({keep, std::move(remove)});
    return plan;
}

std::vector<std::size_t> listMemberships(const ChannelDatabase& db, std::uint16_t slot) {
    std::vector<std::size_t> lists;
    const std::size_t count = favouriteListCount(db.flash().settings().listCount);
    for (std::size_t list = 1; list <= count; ++list)
        if (db.record(slot).listPosition(list) > 0)
            lists.push_back(list);
    return lists;
}

std::vector<std::uint32_t> tableNumbers(const ChannelDatabase& db) {
    std::vector<std::uint32_t> numbers(db.capacity(), 0);
    std::uint32_t next = 1;
    for (std::size_t slot = 0; slot < db.capacity(); ++slot)
        if (db.entry(slot).inUse())
            numbers[slot] = next++;
    return numbers;
}

} // namespace cs
