#include "pictures/picture_qimage.h"

#include <QString>
#include <cstring>

namespace cs {

Bitmap bitmapFromImage(const QImage& image) {
    if (image.isNull())
        return {};
    const bool gray = image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16;
    const QImage converted = image.convertToFormat(gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    Bitmap b = makeBitmap(converted.width(), converted.height(), gray ? 1 : 3);
    for (int y = 0; y < converted.height(); ++y)
        std::memcpy(&b.pixels[static_cast<std::size_t>(y) * b.stride()], converted.constScanLine(y), b.stride());
    return b;
}

QImage imageFromBitmap(const Bitmap& bitmap) {
    if (bitmap.empty())
        return {};
    QImage image(bitmap.width, bitmap.height, bitmap.channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(image.scanLine(y), &bitmap.pixels[static_cast<std::size_t>(y) * bitmap.stride()], bitmap.stride());
    return image;
}

JpegEncodeResult jpegFromImage(const QImage& image) {
    if (image.isNull())
        return {std::nullopt, "no picture"};
    return encodeJpeg(bitmapFromImage(image));
}

JpegEncodeResult jpegFromImageFile(const std::string& path) {
    QImage image;
    if (!image.load(QString::fromStdString(path)))
        return {std::nullopt, "cannot read the picture " + path};
    return jpegFromImage(image);
}

} // namespace cs
