// Fuzz targets of the picture store (built twice):
//  - default: parse a store file, and any store that parses must survive being rebuilt from its
//    own entries and parsed again;
//  - CS_FUZZ_PICTURE_JPEG: decode data as a picture into a slot and render it with effects.
#include "common/log_sink.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_slot.h"
#include "pictures/picture_store_format.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace cs;

#ifndef CS_FUZZ_PICTURE_JPEG

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NullLog log;
    ConstBytes file(data, size);
    const picture_store_format::ParseResult parsed = picture_store_format::parsePictureStore(file, log);
    if (!parsed.ok())
        return 0;
    std::array<ConstBytes, picture_store_format::kPictureCount> pictures{};
    for (const picture_store_format::StoreEntry& e : parsed.store.entries)
        pictures[static_cast<std::size_t>(e.index)] = picture_store_format::entryData(file, e);
    const picture_store_format::BuiltStore built = picture_store_format::buildPictureStore(pictures, "20240101", log);
    if (built.file.empty())
        return 0;
    // What the writer produces, the reader must take back with the same pictures.
    const picture_store_format::ParseResult again = picture_store_format::parsePictureStore(built.file, log);
    if (!again.ok())
        std::abort();
    for (const picture_store_format::StoreEntry& e : again.store.entries) {
        const ConstBytes a = picture_store_format::entryData(built.file, e);
        const ConstBytes b = pictures[static_cast<std::size_t>(e.index)];
        if (a.size() != b.size() || std::memcmp(a.data(), b.data(), a.size()) != 0)
            std::abort();
    }
    return 0;
}

#else

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ConstBytes jpeg(data, size);
    // Huge pictures are legal but only slow the search down; the size guard itself is unit-tested.
    const JpegHeaderResult header = readJpegInfo(jpeg);
    if (!header.info || static_cast<std::uint64_t>(header.info->width) * header.info->height > 512 * 512)
        return 0;
    const std::uint8_t pick = data[size - 1];
    const int denominator = 1 << (pick & 3);
    const bool gray = (pick & 4) != 0;
    const JpegDecodeResult decoded = decodeJpeg(jpeg, denominator, gray);
    if (decoded.bitmap) {
        const Bitmap& b = *decoded.bitmap;
        if (b.channels != (gray ? 1 : 3) || b.pixels.size() != b.stride() * static_cast<std::size_t>(b.height))
            std::abort();
    }
    // The whole slot path (stretching to 720 x 576 and encoding) is slow; take it for some inputs.
    if ((pick & 0xF0) != 0xF0 || !decoded.bitmap)
        return 0;
    NullLog log;
    PictureSlot slot;
    if (!slot.load(jpeg, "fuzz.jpg", log))
        return 0;
    if (slot.encodedData().empty() || slot.bitmap().empty())
        std::abort();
    const PictureEffects effects{pick & 3, gray, (pick & 8) ? 10 : 100};
    if (!slot.render(effects, log) || slot.bitmap().empty())
        std::abort();
    return 0;
}

#endif
