// The loadable BMP reader (see bmp_module.h): Qt reads the file, and the pixels leave in the
// same gray or RGB layout the rest of the pictures code uses.
#include "pictures/bmp_module.h"
#include "pictures/picture_qimage.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

namespace {

int fail(char* error, std::size_t errorSize, const std::string& why) {
    if (error && errorSize > 0)
        std::snprintf(error, errorSize, "%s", why.c_str());
    return 1;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int csDecodeBmpFile(const char* path, cs::BitmapAllocator allocate,
                                                                       void* context, char* error,
                                                                       std::size_t errorSize) {
    static_assert(std::is_same_v<decltype(&csDecodeBmpFile), cs::DecodeBmpFile>);
    try {
        QImage image;
        if (!image.load(QString::fromStdString(path)))
            return fail(error, errorSize, std::string("cannot read the picture ") + path);
        const cs::Bitmap bitmap = cs::bitmapFromImage(image);
        unsigned char* pixels = allocate(context, bitmap.width, bitmap.height, bitmap.channels);
        if (!pixels)
            return fail(error, errorSize, "no room for the picture");
        std::memcpy(pixels, bitmap.pixels.data(), bitmap.pixels.size());
        return 0;
    } catch (const std::exception& e) {
        return fail(error, errorSize, e.what());
    }
}
