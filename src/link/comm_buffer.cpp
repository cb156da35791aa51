#include "link/comm_buffer.h"

#include <algorithm>

namespace cs::link {

TVaCommBuffer::TVaCommBuffer(std::size_t capacity) { data_.reserve(capacity); }

void TVaCommBuffer::compact() {
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

void TVaCommBuffer::Write(std::span<const std::uint8_t> bytes) {
    compact();
    data_.insert(data_.end(), bytes.begin(), bytes.end());
}

std::size_t TVaCommBuffer::Peek(std::span<std::uint8_t> out) const {
    const std::size_t n = std::min(out.size(), Size());
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(head_), n, out.begin());
    return n;
}

std::size_t TVaCommBuffer::Read(std::span<std::uint8_t> out) {
    const std::size_t n = Peek(out);
    Remove(n);
    return n;
}

void TVaCommBuffer::Remove(std::size_t n) {
    head_ += std::min(n, Size());
    compact();
}

void TVaCommBuffer::Clear() {
    data_.clear();
    head_ = 0;
}

} // namespace cs::link
