#pragma once
// The steps that can be undone and redone, the position between them, and the position of the
// state last saved or opened (for the modified flag). A new step drops the steps that could have
// been redone; beyond kMaxSteps steps or kMaxBytes of differences the oldest steps go first.
#include "undo/state_difference.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace cs::undo {

inline constexpr std::size_t kMaxSteps = 100;
inline constexpr std::size_t kMaxBytes = 64u * 1024u * 1024u;

struct UndoStep {
    std::string name;
    StateDifference difference;
};

class UndoHistory {
public:
    explicit UndoHistory(std::size_t maxSteps = kMaxSteps, std::size_t maxBytes = kMaxBytes)
        : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

    // An empty history whose position is the saved one (a file was just opened).
    void clear();
    void push(std::string name, StateDifference difference);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    // The step the next undo or redo would take; empty names when there is none.
    const std::string& undoName() const;
    const std::string& redoName() const;
    // Move the position and hand out the step's difference (nullptr when there is none).
    const StateDifference* undo();
    const StateDifference* redo();

    void markSaved() { saved_ = position_; }
    // Whether the position is the one last saved or opened; false once that state was dropped.
    bool atSaved() const { return saved_ && *saved_ == position_; }

    std::size_t size() const { return steps_.size(); }
    std::size_t position() const { return position_; }
    std::size_t memoryBytes() const { return bytes_; }

private:
    void dropOldest();

    std::size_t maxSteps_;
    std::size_t maxBytes_;
    std::deque<UndoStep> steps_;
    std::size_t position_ = 0;      // steps_[0, position_) are done
    std::optional<std::size_t> saved_ = 0;
    std::size_t bytes_ = 0;
};

} // namespace cs::undo
