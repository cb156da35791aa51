#include "undo/state_difference.h"

#include <cassert>

namespace cs::undo {

void StateDifference::addRun(std::size_t offset, std::span<const std::uint8_t> before,
                             std::span<const std::uint8_t> after) {
    assert(before.size() == after.size());
    if (before.empty())
        return;
    if (!runs_.empty() && runs_.back().offset + runs_.back().length == offset)
        runs_.back().length += static_cast<std::uint32_t>(before.size());
    else
        runs_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(before.size())});
    for (std::size_t i = 0; i < before.size(); ++i)
        bytes_.push_back(static_cast<std::uint8_t>(before[i] ^ after[i]));
}

void StateDifference::applyTo(std::span<std::uint8_t> snapshot) const {
    std::size_t at = 0;
    for (const ChangedRun& run : runs_) {
        std::uint8_t* target = snapshot.data() + run.offset;
        for (std::uint32_t i = 0; i < run.length; ++i)
            target[i] ^= bytes_[at + i];
        at += run.length;
    }
}

} // namespace cs::undo
