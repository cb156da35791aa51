#pragma once
// JPEG pictures for the tests, made in code with libjpeg directly (not through src/pictures).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cs::pictest {

enum class Pattern { Gradient, Noise, Solid };

struct JpegRecipe {
    int width = 720;
    int height = 576;
    Pattern pattern = Pattern::Gradient;
    int quality = 90;
    bool grayscale = false;
    bool progressive = false;
    // Progressive with one scan per coefficient and bit (grayscale only): 128 scans, where
    // encoders write about ten.
    bool manyScans = false;
    std::uint32_t seed = 1;
};

std::vector<std::uint8_t> makeJpeg(const JpegRecipe& recipe);

// A solid-colour picture whose four stored CMYK samples are given as they are written (Adobe
// convention: 255 = no ink).
std::vector<std::uint8_t> makeCmykJpeg(int width, int height, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                                       std::uint8_t k, bool progressive = false);

// A picture padded after its end marker to exactly `size` bytes (decoders stop at the marker).
std::vector<std::uint8_t> makeJpegOfSize(int width, int height, std::size_t size);

struct JpegFacts {
    bool ok = false;
    int width = 0;
    int height = 0;
    int components = 0;
    int firstQuantValue = 0;  // luminance table entry 0: tells the quality apart
    std::string error;
};
JpegFacts jpegFacts(const std::vector<std::uint8_t>& jpeg);

// Decoded RGB (or gray) samples, for comparing colours.
std::vector<std::uint8_t> decodeSamples(const std::vector<std::uint8_t>& jpeg, int& width, int& height,
                                        int& components);

} // namespace cs::pictest
