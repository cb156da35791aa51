// The Qt adapter: BMP files and images become JPEG for a slot; slot bitmaps become QImages.
#include "pictures/picture_qimage.h"

#include "pictures/picture_slot.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace cs {
namespace {

TEST(PictureQImage, BmpFileBecomesAJpegOfTheSamePicture) {
    QTemporaryDir dir;
    QImage bmp(500, 400, QImage::Format_RGB32);
    for (int y = 0; y < bmp.height(); ++y)
        for (int x = 0; x < bmp.width(); ++x)
            bmp.setPixel(x, y, x < 250 ? qRgb(250, 20, 20) : qRgb(20, 20, 250));
    const QString path = dir.filePath("pic.bmp");
    ASSERT_TRUE(bmp.save(path, "BMP"));

    const JpegEncodeResult jpeg = jpegFromImageFile(path.toStdString());
    ASSERT_TRUE(jpeg.data) << jpeg.error;
    EXPECT_EQ(*jpeg.data, *encodeJpeg(bitmapFromImage(bmp)).data);  // the encoder's defaults

    PictureSlot slot;
    NullLog log;
    ASSERT_TRUE(slot.load(*jpeg.data, "pic.bmp", log));
    EXPECT_FALSE(slot.modified());
    const QImage shown = imageFromBitmap(slot.bitmap());
    ASSERT_EQ(shown.size(), QSize(500, 400));
    EXPECT_NEAR(qRed(shown.pixel(100, 200)), 250, 8);
    EXPECT_NEAR(qBlue(shown.pixel(400, 200)), 250, 8);

    EXPECT_FALSE(jpegFromImageFile(dir.filePath("missing.bmp").toStdString()).data);
}

TEST(PictureQImage, GrayAndOddWidthBitmapsSurviveTheRoundTrip) {
    for (int channels : {1, 3}) {
        SCOPED_TRACE(channels);
        Bitmap b = makeBitmap(13, 5, channels);  // rows not a multiple of four bytes
        for (std::size_t i = 0; i < b.pixels.size(); ++i)
            b.pixels[i] = static_cast<std::uint8_t>(i * 7);
        const QImage image = imageFromBitmap(b);
        EXPECT_EQ(image.format(), channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        const Bitmap back = bitmapFromImage(image);
        EXPECT_EQ(back.channels, channels);
        EXPECT_EQ(back.pixels, b.pixels);
    }
}

} // namespace
} // namespace cs
