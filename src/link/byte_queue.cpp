#include "link/byte_queue.h"

#include <algorithm>

namespace cs::link {

ByteQueue::ByteQueue(std::size_t capacity) { data_.reserve(capacity); }

void ByteQueue::compact() {
    if (head_ == 0)
        return;
    if (head_ == data_.size()) {
        data_.clear();
    } else if (head_ >= data_.size() - head_) {
        data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(head_));
    } else {
        return;
    }
    head_ = 0;
}

void ByteQueue::append(std::span<const std::uint8_t> bytes) {
    compact();
    data_.insert(data_.end(), bytes.begin(), bytes.end());
}

std::size_t ByteQueue::peek(std::span<std::uint8_t> out) const {
    const std::size_t n = std::min(out.size(), size());
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(head_), n, out.begin());
    return n;
}

std::size_t ByteQueue::take(std::span<std::uint8_t> out) {
    const std::size_t n = peek(out);
    drop(n);
    return n;
}

void ByteQueue::drop(std::size_t n) {
    head_ += std::min(n, size());
    compact();
}

void ByteQueue::clear() {
    data_.clear();
    head_ = 0;
}

} // namespace cs::link
