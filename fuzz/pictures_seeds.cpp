// Starting inputs of the picture targets: small JPEG pictures (colour, gray, wide, truncated) and
// picture stores holding them.
#include "fuzz_seeds.h"

#include "common/log_sink.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_store_format.h"

#include <array>

namespace cs::fuzzseeds {
namespace {

using Pictures = std::array<ConstBytes, picture_store_format::kPictureCount>;

std::vector<std::uint8_t> picture(int w, int h, int channels, int quality) {
    Bitmap b = makeBitmap(w, h, channels);
    for (std::size_t i = 0; i < b.pixels.size(); ++i)
        b.pixels[i] = static_cast<std::uint8_t>(i * 31 / 7);
    return *encodeJpeg(b, quality).data;
}

} // namespace

bool pictureSeeds(std::string_view target, Seeds& seeds) {
    const auto small = picture(16, 8, 3, 50);
    const auto gray = picture(24, 16, 1, 75);
    if (target == "pictures_jpeg_fuzz") {
        seeds.input("small.jpg", small);
        seeds.input("gray.jpg", gray);
        seeds.input("wide.jpg", picture(200, 40, 3, 10));
        auto cut = small;
        cut.resize(cut.size() * 2 / 3);
        seeds.input("cut.jpg", cut);
        for (std::uint8_t marker : {0xD8, 0xC0, 0xC2, 0xC4, 0xDA, 0xDB, 0xDD, 0xD9, 0xE0, 0xEE})
            seeds.word(std::vector<std::uint8_t>{0xFF, marker});
        seeds.word("JFIF");
        seeds.word("Adobe");
    } else if (target == "pictures_store_fuzz") {
        NullLog log;
        seeds.input("one.dsp", picture_store_format::buildPictureStore(Pictures{ConstBytes{}, ConstBytes{}, small}, "20240101", log).file);
        seeds.input("three.dsp", picture_store_format::buildPictureStore(Pictures{small, gray, small}, "20240101", log).file);
        seeds.word(std::vector<std::uint8_t>{0x00, 0x00, 0x09, 0x00});  // the store's flash address
        seeds.word(".jpg");
        seeds.word(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF});
    } else {
        return false;
    }
    return true;
}

} // namespace cs::fuzzseeds
