// Writes starting inputs for the picture fuzz targets: a few small JPEG pictures (baseline, gray)
// and picture stores holding them.
#include "common/log_sink.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_store_format.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace cs;
using Pictures = std::array<ConstBytes, picture_store_format::kPictureCount>;

namespace {

void save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<std::uint8_t> picture(int w, int h, int channels, int quality) {
    Bitmap b = makeBitmap(w, h, channels);
    for (std::size_t i = 0; i < b.pixels.size(); ++i)
        b.pixels[i] = static_cast<std::uint8_t>(i * 31 / 7);
    return *encodeJpeg(b, quality).data;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s STORE_CORPUS JPEG_CORPUS\n", argv[0]);
        return 1;
    }
    const std::string stores = argv[1], jpegs = argv[2];
    const auto small = picture(16, 8, 3, 50);
    const auto gray = picture(24, 16, 1, 75);
    const auto wide = picture(400, 300, 3, 10);
    save(jpegs + "/seed-small.jpg", small);
    save(jpegs + "/seed-gray.jpg", gray);
    save(jpegs + "/seed-wide.jpg", wide);
    NullLog log;
    save(stores + "/seed-one.dsp", picture_store_format::buildPictureStore(Pictures{ConstBytes{}, ConstBytes{}, small}, "20240101", log).file);
    save(stores + "/seed-three.dsp", picture_store_format::buildPictureStore(Pictures{small, gray, small}, "20240101", log).file);
    return 0;
}
