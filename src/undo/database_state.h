#pragma once
// A snapshot of everything a change of the open database can touch: the channel records and
// their entries (provider names, editor fields), the display order, the provider work area, the
// satellites, favourite-list names and count, the working settings record, and the transponder
// table. The snapshot is one flat buffer of fixed layout, so that the difference of two of them
// is a list of byte runs and no command needs undo code of its own.
#include "common/zeroed_buffer.h"
#include "undo/state_difference.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cs {
class ChannelDatabase;
}

namespace cs::undo {

// What the last takeChanges found, for naming the step.
struct ChangeSummary {
    std::size_t channelsBefore = 0;
    std::size_t channelsAfter = 0;
    std::size_t channelsChanged = 0;   // slots whose record or entry changed
    std::string lastChannelName;       // the name after the change of the last such slot
    bool channelRenamedOnly = false;   // one slot changed, and only its record's name
    std::size_t listsBefore = 0;
    std::size_t listsAfter = 0;
    std::size_t renamedList = 0;       // a list 1..8 whose name changed, 0 none
    std::string listNameBefore;        // of the removed, renamed or added list
    std::string listNameAfter;
    std::size_t renamedSatellite = 65536;  // satellite entry whose name changed; none when large
    std::string satelliteNameAfter;
    bool orderChanged = false;         // the display order
    bool settingsChanged = false;      // satellites, converters, working settings
    bool transpondersChanged = false;
};

class DatabaseState {
public:
    explicit DatabaseState(ChannelDatabase& db);

    // Takes the live state as it stands (a file was opened).
    void capture();
    // Compares the live state with the snapshot, takes the changes into the snapshot and returns
    // them; empty when nothing changed.
    StateDifference takeChanges();
    // Applies a step's difference to the snapshot (undo or redo), then writes the snapshot back
    // into the live database.
    void step(const StateDifference& difference);
    // Writes the snapshot into the live database and makes the database's derived state follow.
    void restore();

    std::span<const std::uint8_t> bytes() const { return snapshot_; }
    const ChangeSummary& lastChanges() const { return summary_; }

private:
    ChangeSummary summary_;
    ChannelDatabase& db_;
    ZeroedBuffer snapshot_;
};

} // namespace cs::undo
