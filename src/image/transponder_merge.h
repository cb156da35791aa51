#pragma once
// Bringing one satellite's transponder list up to date from a <sat> of satellites.xml: which
// records are added, changed and removed, and carrying out the chosen ones within the table's
// capacity.
#include "image/satellites_xml.h"
#include "image/transponders.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cs {

enum class TransponderChangeKind { Add, Change, Remove };

struct TransponderChange {
    TransponderChangeKind kind = TransponderChangeKind::Add;
    std::optional<std::uint16_t> slot;  // the record changed or removed
    TransponderRecord before;            // Change, Remove
    TransponderRecord after;             // Add, Change
    bool chosen = true;                  // carried out by applyTransponderMerge
};

struct TransponderMergePlan {
    unsigned satellite = 0;
    std::vector<TransponderChange> changes;          // adds, changes and removes, by frequency
    std::vector<SkippedTransponder> skipped;         // the file's entries the receiver cannot hold
    std::size_t unchanged = 0;
};

struct TransponderMergeCounts {
    std::size_t added = 0;
    std::size_t changed = 0;
    std::size_t removed = 0;
    std::size_t skipped = 0;  // the file's skipped entries and the adds that found no free record
};

// Compares satellite `satellite` (1..63) of the table with the listed transponders: a listed
// transponder takes the nearest unmatched record of its polarisation closer than 6 MHz (a
// change when frequency, symbol rate or code rate differ; the record's IQ mode stays); the
// others are added; records matched by none are removed.
TransponderMergePlan planTransponderMerge(const TransponderTable& table, unsigned satellite, const XmlSatellite& listed);

// Carries out the chosen changes: removes first, then changes, then adds into the lowest free
// records; an add that finds no free record is counted as skipped (TableFull).
TransponderMergeCounts applyTransponderMerge(TransponderTable& table, const TransponderMergePlan& plan);

} // namespace cs
