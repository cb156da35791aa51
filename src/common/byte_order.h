#pragma once
// Little-endian access to the receiver's bytes. Every record field is read and written through
// these helpers with named offsets; an access outside the span is a programming error and stops
// the program at once instead of reading or writing foreign memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace cs {

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

[[noreturn]] inline void byteAccessOutOfRange(std::size_t offset, std::size_t width, std::size_t size) {
    std::fprintf(stderr, "byte access out of range: offset %zu width %zu size %zu\n", offset, width, size);
    std::abort();
}

inline void checkRange(std::size_t size, std::size_t offset, std::size_t width) {
    if (offset > size || width > size - offset)
        byteAccessOutOfRange(offset, width, size);
}

// True when [offset, offset + width) lies inside a buffer of `size` bytes.
constexpr bool fits(std::size_t size, std::size_t offset, std::size_t width) {
    return offset <= size && width <= size - offset;
}

inline std::uint8_t readU8(ConstBytes b, std::size_t off) {
    checkRange(b.size(), off, 1);
    return b[off];
}
inline std::uint16_t readU16(ConstBytes b, std::size_t off) {
    checkRange(b.size(), off, 2);
    return static_cast<std::uint16_t>(b[off] | (b[off + 1] << 8));
}
inline std::uint32_t readU32(ConstBytes b, std::size_t off) {
    checkRange(b.size(), off, 4);
    return static_cast<std::uint32_t>(b[off]) | (static_cast<std::uint32_t>(b[off + 1]) << 8) |
           (static_cast<std::uint32_t>(b[off + 2]) << 16) | (static_cast<std::uint32_t>(b[off + 3]) << 24);
}
inline void writeU8(Bytes b, std::size_t off, std::uint8_t v) {
    checkRange(b.size(), off, 1);
    b[off] = v;
}
inline void writeU16(Bytes b, std::size_t off, std::uint16_t v) {
    checkRange(b.size(), off, 2);
    b[off] = static_cast<std::uint8_t>(v);
    b[off + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void writeU32(Bytes b, std::size_t off, std::uint32_t v) {
    checkRange(b.size(), off, 4);
    for (int i = 0; i < 4; ++i)
        b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A sub-range of a buffer, checked.
inline ConstBytes slice(ConstBytes b, std::size_t off, std::size_t len) {
    checkRange(b.size(), off, len);
    return b.subspan(off, len);
}
inline Bytes slice(Bytes b, std::size_t off, std::size_t len) {
    checkRange(b.size(), off, len);
    return b.subspan(off, len);
}

} // namespace cs
