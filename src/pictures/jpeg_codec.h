#pragma once
// JPEG decoding and encoding through libjpeg. Every libjpeg error becomes a failure result with
// libjpeg's message; nothing is printed and nothing ends the process.
#include "common/byte_order.h"
#include "pictures/bitmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cs {

// Pictures larger than this are refused before any pixel memory is taken: a few bytes of header
// can otherwise claim a 65500 x 65500 picture. The receiver shows 720 x 576.
inline constexpr std::uint64_t kMaxJpegPixels = 16ull * 1024 * 1024;
// A legitimate progressive JPEG has a dozen scans; hundreds of tiny scans only burn time.
inline constexpr int kMaxJpegScans = 100;
// The decoder's own working memory (a progressive picture keeps all its coefficients); beyond it
// the decoder fails rather than growing. Enough for a 16-megapixel progressive colour picture.
inline constexpr long kMaxJpegDecoderMemory = 64L * 1024 * 1024;

struct JpegInfo {
    int width = 0;
    int height = 0;
    int components = 0;
};

struct JpegHeaderResult {
    std::optional<JpegInfo> info;
    std::string error;
};

struct JpegDecodeResult {
    std::optional<Bitmap> bitmap;
    std::string error;    // why decoding failed
    std::string warning;  // first warning of a picture that still decoded (e.g. truncated data)
};

struct JpegEncodeResult {
    std::optional<std::vector<std::uint8_t>> data;
    std::string error;
};

// Reads the header only: size and number of components.
JpegHeaderResult readJpegInfo(ConstBytes data);

// Decodes with libjpeg's own scaling (scaleDenominator 1, 2, 4 or 8) into RGB, or into a single
// gray channel when `grayscale` is set.
JpegDecodeResult decodeJpeg(ConstBytes data, int scaleDenominator = 1, bool grayscale = false,
                            std::uint64_t maxPixels = kMaxJpegPixels);

// Encodes a gray or RGB bitmap. Without a quality the encoder's own defaults are used as they
// stand; otherwise the quality (1..100) goes to jpeg_set_quality.
JpegEncodeResult encodeJpeg(const Bitmap& bitmap, std::optional<int> quality = std::nullopt);

} // namespace cs
