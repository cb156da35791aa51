#include "undo/database_undo.h"

#include "undo/step_names.h"

namespace cs::undo {

void DatabaseUndo::restart() {
    state_.capture();
    history_.clear();
}

bool DatabaseUndo::record(std::string name, const TextLookup& texts) {
    StateDifference difference = state_.takeChanges();
    if (difference.empty())
        return false;
    if (name.empty())
        name = stepName(state_.lastChanges(), texts);
    history_.push(std::move(name), std::move(difference));
    return true;
}

// Anything changed since the last step without being recorded (a save renumbering providers)
// is left behind: undo and redo always arrive at a state recorded in the history.
bool DatabaseUndo::undo() {
    const StateDifference* difference = history_.undo();
    if (!difference)
        return false;
    state_.step(*difference);
    return true;
}

bool DatabaseUndo::redo() {
    const StateDifference* difference = history_.redo();
    if (!difference)
        return false;
    state_.step(*difference);
    return true;
}

} // namespace cs::undo
