#include "image/transponder_merge.h"

#include <algorithm>
#include <cstdlib>

namespace cs {

namespace {

TransponderRecord recordOf(unsigned satellite, const XmlTransponder& t, unsigned iqMode) {
    TransponderRecord r;
    r.setSatellite(static_cast<std::uint8_t>(satellite));
    r.setFec(t.fec);
    r.setPolarisation(t.polarisation);
    r.setIqMode(iqMode);
    r.setFrequency(t.frequencyMhz);
    r.setSymbolRate(t.symbolRateKs);
    return r;
}

std::uint32_t changeKey(const TransponderChange& c) {
    const TransponderRecord& r = c.kind == TransponderChangeKind::Remove ? c.before : c.after;
    return r.sortKey();
}

} // namespace

TransponderMergePlan planTransponderMerge(const TransponderTable& table, unsigned satellite, const XmlSatellite& listed) {
    TransponderMergePlan plan;
    plan.satellite = satellite;
    plan.skipped = listed.skipped;
    const TransponderList own = transponderList(satellite, table);
    std::vector<bool> taken(own.count, false);
    // Listed in frequency order, so that of two neighbours each takes its nearer record.
    std::vector<XmlTransponder> wanted = listed.transponders;
    std::stable_sort(wanted.begin(), wanted.end(), [](const XmlTransponder& a, const XmlTransponder& b) {
        return std::pair(a.frequencyMhz, a.polarisation) < std::pair(b.frequencyMhz, b.polarisation);
    });
    // The same transponder listed twice is taken once.
    wanted.erase(std::unique(wanted.begin(), wanted.end(),
                             [](const XmlTransponder& a, const XmlTransponder& b) {
                                 return a.frequencyMhz == b.frequencyMhz && a.polarisation == b.polarisation;
                             }),
                 wanted.end());
    for (const XmlTransponder& t : wanted) {
        std::optional<std::size_t> best;
        int bestDistance = kTransponderDuplicateMhz;
        for (std::size_t i = 0; i < own.count; ++i) {
            const TransponderRecord& r = table[own.index[i]];
            if (taken[i] || r.polarisation() != t.polarisation)
                continue;
            const int distance = std::abs(static_cast<int>(r.frequency()) - static_cast<int>(t.frequencyMhz));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        TransponderChange change;
        if (!best) {
            change.kind = TransponderChangeKind::Add;
            change.after = recordOf(satellite, t, 0);
            plan.changes.push_back(change);
            continue;
        }
        taken[*best] = true;
        const std::uint16_t slot = own.index[*best];
        const TransponderRecord& before = table[slot];
        const TransponderRecord after = recordOf(satellite, t, before.iqMode());
        if (after == before) {
            ++plan.unchanged;
            continue;
        }
        change.kind = TransponderChangeKind::Change;
        change.slot = slot;
        change.before = before;
        change.after = after;
        plan.changes.push_back(change);
    }
    for (std::size_t i = 0; i < own.count; ++i) {
        if (taken[i])
            continue;
        TransponderChange change;
        change.kind = TransponderChangeKind::Remove;
        change.slot = own.index[i];
        change.before = table[own.index[i]];
        plan.changes.push_back(change);
    }
    std::stable_sort(plan.changes.begin(), plan.changes.end(),
                     [](const TransponderChange& a, const TransponderChange& b) { return changeKey(a) < changeKey(b); });
    return plan;
}

TransponderMergeCounts applyTransponderMerge(TransponderTable& table, const TransponderMergePlan& plan) {
    TransponderMergeCounts counts;
    counts.skipped = plan.skipped.size();
    for (const TransponderChange& c : plan.changes)
        if (c.chosen && c.kind == TransponderChangeKind::Remove && c.slot && table[*c.slot] == c.before) {
            table[*c.slot] = TransponderRecord{};
            ++counts.removed;
        }
    for (const TransponderChange& c : plan.changes)
        if (c.chosen && c.kind == TransponderChangeKind::Change && c.slot && table[*c.slot] == c.before) {
            table[*c.slot] = c.after;
            ++counts.changed;
        }
    std::size_t next = 0;
    for (const TransponderChange& c : plan.changes) {
        if (!c.chosen || c.kind != TransponderChangeKind::Add)
            continue;
        while (next < table.size() && table[next].inUse())
            ++next;
        if (next == table.size()) {
            ++counts.skipped;
            continue;
        }
        table[next] = c.after;
        ++counts.added;
    }
    return counts;
}

} // namespace cs
