#include "undo/undo_history.h"

namespace cs::undo {

namespace {
const std::string kNoName;
}

void UndoHistory::clear() {
    steps_.clear();
    position_ = 0;
    saved_ = 0;
    bytes_ = 0;
}

void UndoHistory::push(std::string name, StateDifference difference) {
    while (steps_.size() > position_) {
        bytes_ -= steps_.back().difference.memoryBytes();
        steps_.pop_back();
    }
    // The saved state lay on the branch just dropped: no position reaches it any more.
    if (saved_ && *saved_ > position_)
        saved_.reset();
    difference.shrink();
    bytes_ += difference.memoryBytes();
    steps_.push_back({std::move(name), std::move(difference)});
    ++position_;
    while (steps_.size() > 1 && (steps_.size() > maxSteps_ || bytes_ > maxBytes_))
        dropOldest();
}

void UndoHistory::dropOldest() {
    bytes_ -= steps_.front().difference.memoryBytes();
    steps_.pop_front();
    --position_;
    if (saved_) {
        if (*saved_ == 0)
            saved_.reset();
        else
            --*saved_;
    }
}

const std::string& UndoHistory::undoName() const { return canUndo() ? steps_[position_ - 1].name : kNoName; }

const std::string& UndoHistory::redoName() const { return canRedo() ? steps_[position_].name : kNoName; }

const StateDifference* UndoHistory::undo() {
    if (!canUndo())
        return nullptr;
    return &steps_[--position_].difference;
}

const StateDifference* UndoHistory::redo() {
    if (!canRedo())
        return nullptr;
    return &steps_[position_++].difference;
}

} // namespace cs::undo
