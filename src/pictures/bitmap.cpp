#include "pictures/bitmap.h"

#include <algorithm>
#include <cmath>

namespace cs {

Bitmap makeBitmap(int width, int height, int channels) {
    Bitmap b;
    b.width = width;
    b.height = height;
    b.channels = channels;
    b.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(channels), 0);
    return b;
}

namespace {

// Source samples and weights contributing to each destination position along one axis.
struct AxisWeights {
    std::vector<int> first;     // first source index per destination index
    std::vector<int> count;     // number of contributors per destination index
    std::vector<float> weights; // `maxTaps` weights per destination index
    int maxTaps = 0;
};

AxisWeights axisWeights(int sourceLength, int destLength) {
    AxisWeights a;
    const double scale = static_cast<double>(sourceLength) / destLength;
    const double support = std::max(1.0, scale);
    a.maxTaps = static_cast<int>(std::ceil(support)) * 2 + 1;
    a.first.resize(static_cast<std::size_t>(destLength));
    a.count.resize(static_cast<std::size_t>(destLength));
    a.weights.assign(static_cast<std::size_t>(destLength) * static_cast<std::size_t>(a.maxTaps), 0.0f);
    for (int i = 0; i < destLength; ++i) {
        const double center = (i + 0.5) * scale - 0.5;
        int lo = static_cast<int>(std::floor(center - support)) + 1;
        int hi = static_cast<int>(std::ceil(center + support)) - 1;
        lo = std::max(lo, 0);
        hi = std::min(hi, sourceLength - 1);
        if (hi < lo) // tiny sources: fall back to the nearest sample
            lo = hi = std::clamp(static_cast<int>(std::lround(center)), 0, sourceLength - 1);
        hi = std::min(hi, lo + a.maxTaps - 1);
        float* w = &a.weights[static_cast<std::size_t>(i) * static_cast<std::size_t>(a.maxTaps)];
        double sum = 0;
        for (int j = lo; j <= hi; ++j) {
            double v = 1.0 - std::abs(j - center) / support;
            if (v < 0)
                v = 0;
            w[j - lo] = static_cast<float>(v);
            sum += v;
        }
        if (sum <= 0) {
            w[0] = 1.0f;
            hi = lo;
            sum = 1.0;
        }
        for (int j = lo; j <= hi; ++j)
            w[j - lo] = static_cast<float>(w[j - lo] / sum);
        a.first[static_cast<std::size_t>(i)] = lo;
        a.count[static_cast<std::size_t>(i)] = hi - lo + 1;
    }
    return a;
}

} // namespace

Bitmap resampleBitmap(const Bitmap& source, int width, int height) {
    if (source.empty() || width <= 0 || height <= 0)
        return {};
    const int ch = source.channels;
    if (source.width == width && source.height == height)
        return source;

    const AxisWeights horizontal = axisWeights(source.width, width);
    const AxisWeights vertical = axisWeights(source.height, height);

    // Horizontal pass into floats (source height x destination width), then vertical pass.
    const std::size_t midStride = static_cast<std::size_t>(width) * static_cast<std::size_t>(ch);
    std::vector<float> mid(static_cast<std::size_t>(source.height) * midStride);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* row = &source.pixels[static_cast<std::size_t>(y) * source.stride()];
        float* out = &mid[static_cast<std::size_t>(y) * midStride];
        for (int x = 0; x < width; ++x) {
            const int first = horizontal.first[static_cast<std::size_t>(x)];
            const int count = horizontal.count[static_cast<std::size_t>(x)];
            const float* w = &horizontal.weights[static_cast<std::size_t>(x) * static_cast<std::size_t>(horizontal.maxTaps)];
            for (int c = 0; c < ch; ++c) {
                float acc = 0;
                for (int k = 0; k < count; ++k)
                    acc += w[k] * row[static_cast<std::size_t>(first + k) * static_cast<std::size_t>(ch) + static_cast<std::size_t>(c)];
                out[static_cast<std::size_t>(x) * static_cast<std::size_t>(ch) + static_cast<std::size_t>(c)] = acc;
            }
        }
    }

    Bitmap result = makeBitmap(width, height, ch);
    std::vector<float> acc(midStride);
    for (int y = 0; y < height; ++y) {
        const int first = vertical.first[static_cast<std::size_t>(y)];
        const int count = vertical.count[static_cast<std::size_t>(y)];
        const float* w = &vertical.weights[static_cast<std::size_t>(y) * static_cast<std::size_t>(vertical.maxTaps)];
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int k = 0; k < count; ++k) {
            const float* in = &mid[static_cast<std::size_t>(first + k) * midStride];
            for (std::size_t i = 0; i < midStride; ++i)
                acc[i] += w[k] * in[i];
        }
        std::uint8_t* out = &result.pixels[static_cast<std::size_t>(y) * result.stride()];
        for (std::size_t i = 0; i < midStride; ++i)
            out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(acc[i]), 0L, 255L));
    }
    return result;
}

} // namespace cs
