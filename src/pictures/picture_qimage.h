#pragma once
// Qt side of the pictures: BMP files and clipboard images become JPEG data for a slot, and a
// slot's bitmap becomes a QImage to show. Kept out of the core library.
#include "pictures/bitmap.h"
#include "pictures/jpeg_codec.h"

#include <QImage>
#include <string>

namespace cs {

Bitmap bitmapFromImage(const QImage& image);
QImage imageFromBitmap(const Bitmap& bitmap);

// Encodes an image with the encoder's default settings, as pasted or imported pictures are.
JpegEncodeResult jpegFromImage(const QImage& image);

// Reads a picture file that Qt decodes itself (BMP above all) and encodes it as JPEG.
JpegEncodeResult jpegFromImageFile(const std::string& path);

} // namespace cs
