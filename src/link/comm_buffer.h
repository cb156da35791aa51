#pragma once
// TVaCommBuffer: a growable byte FIFO, used for the port's output buffer and for the YModem
// worker's input queue. Reading from the front only moves an offset; the storage is compacted
// when the consumed part outgrows the rest, so a steady stream costs no allocations.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cs::link {

class TVaCommBuffer {
public:
    explicit TVaCommBuffer(std::size_t capacity = 0);

    std::size_t Size() const { return data_.size() - head_; }
    bool Empty() const { return Size() == 0; }

    // Appends the bytes at the back.
    void Write(std::span<const std::uint8_t> bytes);
    // Takes up to out.size() bytes from the front; returns how many.
    std::size_t Read(std::span<std::uint8_t> out);
    // Copies up to out.size() bytes from the front without taking them.
    std::size_t Peek(std::span<std::uint8_t> out) const;
    // Drops up to n bytes from the front.
    void Remove(std::size_t n);
    void Clear();

    // The waiting bytes, front first; valid until the next change.
    std::span<const std::uint8_t> Data() const { return {data_.data() + head_, Size()}; }

private:
    void compact();

    std::vector<std::uint8_t> data_;
    std::size_t head_ = 0;
};

} // namespace cs::link
