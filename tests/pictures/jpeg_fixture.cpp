#include "jpeg_fixture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace cs::pictest {
namespace {

struct Failure {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

extern "C" void fixtureErrorExit(j_common_ptr cinfo) {
    auto* f = static_cast<Failure*>(cinfo->client_data);
    (*cinfo->err->format_message)(cinfo, f->text);
    std::longjmp(f->jump, 1);
}

extern "C" void fixtureQuiet(j_common_ptr) {}

std::uint8_t sample(const JpegRecipe& s, int x, int y, int c, std::uint32_t& rng) {
    switch (s.pattern) {
    case Pattern::Solid: return static_cast<std::uint8_t>(c == 0 ? 200 : c == 1 ? 80 : 40);
    case Pattern::Noise:
        rng ^= rng << 13;
        rng ^= rng >> 17;
        rng ^= rng << 5;
        return static_cast<std::uint8_t>(rng);
    case Pattern::Gradient:
    default:
        if (c == 0)
            return static_cast<std::uint8_t>(x * 255 / std::max(1, s.width - 1));
        if (c == 1)
            return static_cast<std::uint8_t>(y * 255 / std::max(1, s.height - 1));
        return static_cast<std::uint8_t>((x + y) * 255 / std::max(1, s.width + s.height - 2));
    }
}

bool compress(jpeg_compress_struct& cinfo, Failure& f, const JpegRecipe& s, const std::vector<std::uint8_t>& pixels,
              int components, J_COLOR_SPACE space, unsigned char** out, unsigned long* outSize) {
    if (setjmp(f.jump) != 0)
        return false;
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = static_cast<JDIMENSION>(s.width);
    cinfo.image_height = static_cast<JDIMENSION>(s.height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, s.quality, TRUE);
    if (s.progressive)
        jpeg_simple_progression(&cinfo);
    static const std::vector<jpeg_scan_info> manyScans = [] {
        // DC first and refined, then every AC coefficient on its own, first and refined.
        std::vector<jpeg_scan_info> scans = {{1, {0}, 0, 0, 0, 1}, {1, {0}, 0, 0, 1, 0}};
        for (int refine = 0; refine < 2; ++refine)
            for (int k = 1; k < 64; ++k)
                scans.push_back({1, {0}, k, k, refine, 1 - refine});
        return scans;
    }();
    if (s.manyScans && components == 1) {
        cinfo.scan_info = manyScans.data();
        cinfo.num_scans = static_cast<int>(manyScans.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(pixels.data()) + cinfo.next_scanline * stride;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

std::vector<std::uint8_t> encode(const JpegRecipe& s, const std::vector<std::uint8_t>& pixels, int components,
                                 J_COLOR_SPACE space) {
    Failure f{};
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&f.mgr);
    f.mgr.error_exit = fixtureErrorExit;
    cinfo.client_data = &f;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok = compress(cinfo, f, s, pixels, components, space, &out, &outSize);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> result;
    if (ok)
        result.assign(out, out + outSize);
    std::free(out);
    if (!ok)
        throw std::runtime_error(std::string("fixture JPEG encoding failed: ") + f.text);
    return result;
}

bool decompress(jpeg_decompress_struct& cinfo, Failure& f, const std::vector<std::uint8_t>& jpeg, bool pixels,
                JpegFacts& facts, std::vector<std::uint8_t>& samples) {
    if (setjmp(f.jump) != 0)
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    facts.width = static_cast<int>(cinfo.image_width);
    facts.height = static_cast<int>(cinfo.image_height);
    facts.components = cinfo.num_components;
    if (cinfo.quant_tbl_ptrs[0] != nullptr)
        facts.firstQuantValue = cinfo.quant_tbl_ptrs[0]->quantval[0];
    if (pixels) {
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * static_cast<std::size_t>(cinfo.output_components);
        samples.resize(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = samples.data() + cinfo.output_scanline * stride;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        facts.components = cinfo.output_components;
        jpeg_finish_decompress(&cinfo);
    }
    return true;
}

JpegFacts inspect(const std::vector<std::uint8_t>& jpeg, bool pixels, std::vector<std::uint8_t>& samples) {
    JpegFacts facts;
    Failure f{};
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&f.mgr);
    f.mgr.error_exit = fixtureErrorExit;
    f.mgr.output_message = fixtureQuiet;
    cinfo.client_data = &f;
    facts.ok = decompress(cinfo, f, jpeg, pixels, facts, samples);
    if (!facts.ok)
        facts.error = f.text;
    jpeg_destroy_decompress(&cinfo);
    return facts;
}

} // namespace

std::vector<std::uint8_t> makeJpeg(const JpegRecipe& recipe) {
    const int components = recipe.grayscale ? 1 : 3;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(recipe.width) * static_cast<std::size_t>(recipe.height) *
                                     static_cast<std::size_t>(components));
    std::uint32_t rng = recipe.seed * 2654435761u + 7;
    std::size_t i = 0;
    for (int y = 0; y < recipe.height; ++y)
        for (int x = 0; x < recipe.width; ++x)
            for (int c = 0; c < components; ++c)
                pixels[i++] = sample(recipe, x, y, c, rng);
    return encode(recipe, pixels, components, recipe.grayscale ? JCS_GRAYSCALE : JCS_RGB);
}

std::vector<std::uint8_t> makeCmykJpeg(int width, int height, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                                       std::uint8_t k, bool progressive) {
    JpegRecipe s;
    s.progressive = progressive;
    s.width = width;
    s.height = height;
    s.quality = 95;
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {c, m, y, k});
    return encode(s, pixels, 4, JCS_CMYK);
}

std::vector<std::uint8_t> makeJpegOfSize(int width, int height, std::size_t size) {
    JpegRecipe s;
    s.width = width;
    s.height = height;
    s.pattern = Pattern::Solid;
    s.quality = 50;
    std::vector<std::uint8_t> jpeg = makeJpeg(s);
    if (jpeg.size() > size)
        throw std::invalid_argument("picture already larger than the requested size");
    jpeg.resize(size, 0);
    return jpeg;
}

JpegFacts jpegFacts(const std::vector<std::uint8_t>& jpeg) {
    std::vector<std::uint8_t> unused;
    return inspect(jpeg, false, unused);
}

std::vector<std::uint8_t> decodeSamples(const std::vector<std::uint8_t>& jpeg, int& width, int& height,
                                        int& components) {
    std::vector<std::uint8_t> samples;
    JpegFacts f = inspect(jpeg, true, samples);
    if (!f.ok)
        throw std::runtime_error("fixture decoding failed: " + f.error);
    width = f.width;
    height = f.height;
    components = f.components;
    return samples;
}

} // namespace cs::pictest
