#pragma once
// Undo and redo of the open database: after each change the caller records a step; the step is
// the difference between the snapshot taken after the previous step and the state now.
#include "common/text_lookup.h"
#include "undo/database_state.h"
#include "undo/undo_history.h"

#include <string>

namespace cs::undo {

class DatabaseUndo {
public:
    explicit DatabaseUndo(ChannelDatabase& db) : state_(db) {}

    // A file was opened: a new history, and this state is the saved one.
    void restart();
    // Records the change since the last step as one step; false when nothing changed. Without a
    // name the step is named from what changed, in the words of `texts`.
    bool record(std::string name, const TextLookup& texts = {});
    // Sets the live database back (forward) one step; false when there is none.
    bool undo();
    bool redo();
    void markSaved() { history_.markSaved(); }
    // The database differs from the state last saved or opened.
    bool modified() const { return !history_.atSaved(); }

    const UndoHistory& history() const { return history_; }
    const DatabaseState& state() const { return state_; }

private:
    DatabaseState state_;
    UndoHistory history_;
};

} // namespace cs::undo
