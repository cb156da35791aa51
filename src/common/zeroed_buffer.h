#pragma once
// A zero-filled block of bytes whose memory is only touched where it is used. Large blocks come
// from the kernel already zeroed and calloc does not fill them again, so a buffer made at start
// and filled later (the undo snapshot) costs no page of memory until then.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <span>

namespace cs {

class ZeroedBuffer {
public:
    explicit ZeroedBuffer(std::size_t size)
        : data_(static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1))), size_(size) {
        if (!data_)
            throw std::bad_alloc();
    }

    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    operator std::span<std::uint8_t>() { return {data_.get(), size_}; }
    operator std::span<const std::uint8_t>() const { return {data_.get(), size_}; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> data_;
    std::size_t size_;
};

} // namespace cs
