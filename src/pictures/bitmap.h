#pragma once
// A decoded picture in memory: 8-bit samples, one (gray) or three (RGB) per pixel, rows top to
// bottom without padding. This is what the image manager shows and what the encoder takes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace cs {

struct Bitmap {
    int width = 0;
    int height = 0;
    int channels = 0;  // 1 gray, 3 RGB
    std::vector<std::uint8_t> pixels;

    bool empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
    std::size_t stride() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(channels); }
};

// A bitmap of the given size filled with zeros; channels must be 1 or 3.
Bitmap makeBitmap(int width, int height, int channels);

// Stretches `source` to exactly width x height with a triangle filter whose support widens when
// shrinking, so a large photo becomes a smooth picture instead of an aliased one.
Bitmap resampleBitmap(const Bitmap& source, int width, int height);

} // namespace cs
