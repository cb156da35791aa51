#include "pictures/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

// libjpeg reports fatal errors through error_exit, which must not return. We leave libjpeg with
// longjmp back into a small function that holds nothing but plain values, so no C++ destructor
// is ever skipped; every C++ object lives in the caller of that function. All callbacks find
// their context through client_data.

namespace cs {
namespace {

struct CodecContext {
    jpeg_error_mgr errorManager{};
    std::jmp_buf jump{};
    char error[JMSG_LENGTH_MAX] = {};
    char warning[JMSG_LENGTH_MAX] = {};
    jpeg_decompress_struct* decompress = nullptr;
    jpeg_progress_mgr progress{};

    // Memory source.
    jpeg_source_mgr source{};
    const std::uint8_t* input = nullptr;
    std::size_t inputSize = 0;

    // Growing memory destination (malloc'd: libjpeg callbacks must not throw).
    jpeg_destination_mgr destination{};
    std::uint8_t* output = nullptr;
    std::size_t outputCapacity = 0;

    ~CodecContext() { std::free(output); }
};

CodecContext& contextOf(j_common_ptr cinfo) { return *static_cast<CodecContext*>(cinfo->client_data); }
CodecContext& contextOf(j_decompress_ptr cinfo) { return *static_cast<CodecContext*>(cinfo->client_data); }
CodecContext& contextOf(j_compress_ptr cinfo) { return *static_cast<CodecContext*>(cinfo->client_data); }

extern "C" void onErrorExit(j_common_ptr cinfo) {
    CodecContext& ctx = contextOf(cinfo);
    (*cinfo->err->format_message)(cinfo, ctx.error);
    std::longjmp(ctx.jump, 1);
}

// Called for warnings and traces; keeps the first warning instead of printing it.
extern "C" void onOutputMessage(j_common_ptr cinfo) {
    CodecContext& ctx = contextOf(cinfo);
    if (ctx.warning[0] == '\0')
        (*cinfo->err->format_message)(cinfo, ctx.warning);
}

extern "C" void onProgress(j_common_ptr cinfo) {
    CodecContext& ctx = contextOf(cinfo);
    if (ctx.decompress != nullptr && ctx.decompress->input_scan_number > kMaxJpegScans) {
        std::snprintf(ctx.error, sizeof ctx.error, "too many scans (more than %d)", kMaxJpegScans);
        std::longjmp(ctx.jump, 1);
    }
}

extern "C" void sourceInit(j_decompress_ptr) {}

// At the end of the data libjpeg gets a fake end-of-image marker, with a warning, as its own
// file source does: a truncated picture still decodes.
const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};
extern "C" boolean sourceFill(j_decompress_ptr cinfo) {
    CodecContext& ctx = contextOf(cinfo);
    if (ctx.warning[0] == '\0')
        std::snprintf(ctx.warning, sizeof ctx.warning, "Premature end of JPEG file");
    ++cinfo->err->num_warnings;
    cinfo->src->next_input_byte = kFakeEoi;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

extern "C" void sourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    while (static_cast<std::size_t>(count) > src->bytes_in_buffer) {
        count -= static_cast<long>(src->bytes_in_buffer);
        sourceFill(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

extern "C" void sourceTerm(j_decompress_ptr) {}

[[noreturn]] void failOutOfMemory(CodecContext& ctx) {
    std::snprintf(ctx.error, sizeof ctx.error, "out of memory for the encoded picture");
    std::longjmp(ctx.jump, 1);
}

extern "C" void destinationInit(j_compress_ptr cinfo) {
    CodecContext& ctx = contextOf(cinfo);
    ctx.outputCapacity = 64 * 1024;
    ctx.output = static_cast<std::uint8_t*>(std::malloc(ctx.outputCapacity));
    if (ctx.output == nullptr)
        failOutOfMemory(ctx);
    cinfo->dest->next_output_byte = ctx.output;
    cinfo->dest->free_in_buffer = ctx.outputCapacity;
}

// libjpeg calls this only when the whole buffer is full.
extern "C" boolean destinationGrow(j_compress_ptr cinfo) {
    CodecContext& ctx = contextOf(cinfo);
    const std::size_t grown = ctx.outputCapacity * 2;
    auto* bigger = static_cast<std::uint8_t*>(std::realloc(ctx.output, grown));
    if (bigger == nullptr)
        failOutOfMemory(ctx);
    ctx.output = bigger;
    cinfo->dest->next_output_byte = ctx.output + ctx.outputCapacity;
    cinfo->dest->free_in_buffer = grown - ctx.outputCapacity;
    ctx.outputCapacity = grown;
    return TRUE;
}

extern "C" void destinationTerm(j_compress_ptr) {}

void installErrorHandling(CodecContext& ctx, jpeg_error_mgr*& err, void*& clientData) {
    err = jpeg_std_error(&ctx.errorManager);
    ctx.errorManager.error_exit = onErrorExit;
    ctx.errorManager.output_message = onOutputMessage;
    clientData = &ctx;
}

void attachSource(CodecContext& ctx, jpeg_decompress_struct& cinfo, ConstBytes data) {
    ctx.input = data.data();
    ctx.inputSize = data.size();
    ctx.source.init_source = sourceInit;
    ctx.source.fill_input_buffer = sourceFill;
    ctx.source.skip_input_data = sourceSkip;
    ctx.source.resync_to_restart = jpeg_resync_to_restart;
    ctx.source.term_source = sourceTerm;
    ctx.source.next_input_byte = ctx.input;
    ctx.source.bytes_in_buffer = ctx.inputSize;
    cinfo.src = &ctx.source;
}

// Owns the libjpeg objects for the C++ caller.
struct DecompressGuard {
    jpeg_decompress_struct& cinfo;
    ~DecompressGuard() { jpeg_destroy_decompress(&cinfo); }
};
struct CompressGuard {
    jpeg_compress_struct& cinfo;
    ~CompressGuard() { jpeg_destroy_compress(&cinfo); }
};

// The setjmp frames. They hold only plain values; `info` and `out` belong to the caller.
bool runReadHeader(CodecContext& ctx, jpeg_decompress_struct& cinfo, ConstBytes data, JpegInfo& info) {
    if (setjmp(ctx.jump) != 0)
        return false;
    jpeg_create_decompress(&cinfo);
    attachSource(ctx, cinfo, data);
    jpeg_read_header(&cinfo, TRUE);
    info.width = static_cast<int>(cinfo.image_width);
    info.height = static_cast<int>(cinfo.image_height);
    info.components = cinfo.num_components;
    return true;
}

// Step one of decoding: header and output size. The caller then sizes the bitmap.
bool runStartDecode(CodecContext& ctx, jpeg_decompress_struct& cinfo, ConstBytes data, int scaleDenominator,
                    bool grayscale, std::uint64_t maxPixels) {
    if (setjmp(ctx.jump) != 0)
        return false;
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxJpegDecoderMemory;
    ctx.decompress = &cinfo;
    ctx.progress.progress_monitor = onProgress;
    cinfo.progress = &ctx.progress;
    attachSource(ctx, cinfo, data);
    jpeg_read_header(&cinfo, TRUE);
    if (static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height > maxPixels) {
        std::snprintf(ctx.error, sizeof ctx.error, "picture of %u x %u pixels is too large (more than %llu megapixels)",
                      cinfo.image_width, cinfo.image_height,
                      static_cast<unsigned long long>(maxPixels / (1024 * 1024)));
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // libjpeg converts CMYK to nothing else; the caller converts those samples itself.
    cinfo.out_color_space = cmyk ? JCS_CMYK : (grayscale ? JCS_GRAYSCALE : JCS_RGB);
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned int>(scaleDenominator);
    jpeg_start_decompress(&cinfo);
    return true;
}

bool runReadRows(CodecContext& ctx, jpeg_decompress_struct& cinfo, std::uint8_t* pixels, std::size_t stride) {
    if (setjmp(ctx.jump) != 0)
        return false;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels + static_cast<std::size_t>(cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

bool runEncode(CodecContext& ctx, jpeg_compress_struct& cinfo, const Bitmap& bitmap, int quality) {
    if (setjmp(ctx.jump) != 0)
        return false;
    jpeg_create_compress(&cinfo);
    ctx.destination.init_destination = destinationInit;
    ctx.destination.empty_output_buffer = destinationGrow;
    ctx.destination.term_destination = destinationTerm;
    cinfo.dest = &ctx.destination;
    cinfo.image_width = static_cast<JDIMENSION>(bitmap.width);
    cinfo.image_height = static_cast<JDIMENSION>(bitmap.height);
    cinfo.input_components = bitmap.channels;
    cinfo.in_color_space = bitmap.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (quality > 0)
        jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = bitmap.stride();
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<std::uint8_t*>(bitmap.pixels.data()) + static_cast<std::size_t>(cinfo.next_scanline) * stride;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

// Adobe writes CMYK inverted (marked by its APP14 segment); others write it plain. Converts in
// place: pixel i's result never reaches beyond its own samples, so no second buffer is needed.
void cmykToRgb(std::vector<std::uint8_t>& samples, std::size_t pixelCount, bool inverted, bool grayscale) {
    std::uint8_t* cmyk = samples.data();
    std::uint8_t* out = samples.data();
    for (std::size_t i = 0; i < pixelCount; ++i) {
        int c = cmyk[i * 4], m = cmyk[i * 4 + 1], y = cmyk[i * 4 + 2], k = cmyk[i * 4 + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const int r = c * k / 255, g = m * k / 255, b = y * k / 255;
        if (grayscale) {
            out[i] = static_cast<std::uint8_t>((r * 299 + g * 587 + b * 114 + 500) / 1000);
        } else {
            out[i * 3] = static_cast<std::uint8_t>(r);
            out[i * 3 + 1] = static_cast<std::uint8_t>(g);
            out[i * 3 + 2] = static_cast<std::uint8_t>(b);
        }
    }
    samples.resize(pixelCount * (grayscale ? 1 : 3));
}

} // namespace

JpegHeaderResult readJpegInfo(ConstBytes data) {
    JpegHeaderResult result;
    CodecContext ctx;
    jpeg_decompress_struct cinfo{};
    installErrorHandling(ctx, cinfo.err, cinfo.client_data);
    DecompressGuard guard{cinfo};
    JpegInfo info;
    if (runReadHeader(ctx, cinfo, data, info))
        result.info = info;
    else
        result.error = ctx.error;
    return result;
}

JpegDecodeResult decodeJpeg(ConstBytes data, int scaleDenominator, bool grayscale, std::uint64_t maxPixels) {
    JpegDecodeResult result;
    if (scaleDenominator != 1 && scaleDenominator != 2 && scaleDenominator != 4 && scaleDenominator != 8) {
        result.error = "unsupported scale 1/" + std::to_string(scaleDenominator);
        return result;
    }
    CodecContext ctx;
    jpeg_decompress_struct cinfo{};
    installErrorHandling(ctx, cinfo.err, cinfo.client_data);
    DecompressGuard guard{cinfo};
    if (!runStartDecode(ctx, cinfo, data, scaleDenominator, grayscale, maxPixels)) {
        result.error = ctx.error;
        return result;
    }
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    const int components = cinfo.output_components;
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                      static_cast<std::size_t>(components));
    if (!runReadRows(ctx, cinfo, samples.data(), static_cast<std::size_t>(width) * static_cast<std::size_t>(components))) {
        result.error = ctx.error;
        return result;
    }
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    if (cmyk)
        cmykToRgb(samples, static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                  cinfo.saw_Adobe_marker != 0, grayscale);
    Bitmap b;
    b.width = width;
    b.height = height;
    b.channels = cmyk ? (grayscale ? 1 : 3) : components;
    b.pixels = std::move(samples);
    result.bitmap = std::move(b);
    result.warning = ctx.warning;
    return result;
}

JpegEncodeResult encodeJpeg(const Bitmap& bitmap, std::optional<int> quality) {
    JpegEncodeResult result;
    if (bitmap.empty() || (bitmap.channels != 1 && bitmap.channels != 3) ||
        bitmap.pixels.size() != bitmap.stride() * static_cast<std::size_t>(bitmap.height)) {
        result.error = "no picture to encode";
        return result;
    }
    if (bitmap.width > JPEG_MAX_DIMENSION || bitmap.height > JPEG_MAX_DIMENSION) {
        result.error = "picture too large for JPEG";
        return result;
    }
    if (quality && (*quality < 1 || *quality > 100)) {
        result.error = "JPEG quality must be 1..100";
        return result;
    }
    CodecContext ctx;
    jpeg_compress_struct cinfo{};
    installErrorHandling(ctx, cinfo.err, cinfo.client_data);
    CompressGuard guard{cinfo};
    if (!runEncode(ctx, cinfo, bitmap, quality.value_or(0))) {
        result.error = ctx.error;
        return result;
    }
    const std::size_t size = ctx.outputCapacity - ctx.destination.free_in_buffer;
    result.data.emplace(ctx.output, ctx.output + size);
    return result;
}

} // namespace cs
