#pragma once
// The difference between two snapshots of the same size: the changed byte runs, kept as the
// exclusive-or of the old and the new bytes. Applying it once turns the old snapshot into the new
// one, applying it again turns the new one back, so one copy serves both undo and redo.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cs::undo {

struct ChangedRun {
    std::uint32_t offset = 0;  // in the snapshot
    std::uint32_t length = 0;  // bytes
};

class StateDifference {
public:
    bool empty() const { return runs_.empty(); }
    const std::vector<ChangedRun>& runs() const { return runs_; }
    // Memory the difference holds (runs and bytes, with the vectors' reserve).
    std::size_t memoryBytes() const {
        return sizeof(*this) + runs_.capacity() * sizeof(ChangedRun) + bytes_.capacity();
    }

    // Adds the run [offset, offset + before.size()) that changed from `before` to `after`;
    // a run that starts where the previous one ended is joined to it.
    void addRun(std::size_t offset, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);
    // Turns one side of the difference into the other within `snapshot`.
    void applyTo(std::span<std::uint8_t> snapshot) const;
    void shrink() {
        runs_.shrink_to_fit();
        bytes_.shrink_to_fit();
    }

private:
    std::vector<ChangedRun> runs_;
    std::vector<std::uint8_t> bytes_;  // the runs' exclusive-or bytes, one after another
};

} // namespace cs::undo
