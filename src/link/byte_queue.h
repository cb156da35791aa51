#pragma once
// ByteQueue: a growable byte FIFO, used for the port's output buffer and for the YModem
// worker's input queue. Reading from the front only moves an offset; the storage is compacted
// when the consumed part outgrows the rest, so a steady stream costs no allocations.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cs::link {

class ByteQueue {
public:
    explicit ByteQueue(std::size_t capacity = 0);

    std::size_t size() const { return data_.size() - head_; }
    bool empty() const { return size() == 0; }

    // Appends the bytes at the back.
    void append(std::span<const std::uint8_t> bytes);
    // Takes up to out.size() bytes from the front; returns how many.
    std::size_t take(std::span<std::uint8_t> out);
    // Copies up to out.size() bytes from the front without taking them.
    std::size_t peek(std::span<std::uint8_t> out) const;
    // Drops up to n bytes from the front.
    void drop(std::size_t n);
    void clear();

    // The waiting bytes, front first; valid until the next change.
    std::span<const std::uint8_t> data() const { return {data_.data() + head_, size()}; }

private:
    void compact();

    std::vector<std::uint8_t> data_;
    std::size_t head_ = 0;
};

} // namespace cs::link
