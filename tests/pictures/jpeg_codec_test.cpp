// JPEG decoding with libjpeg's scaling and grayscale output, encoding with the quality rule, and
// failure results instead of crashes for anything that is not a sound JPEG.
#include "pictures/jpeg_codec.h"

#include "jpeg_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace cs {
namespace {

using pictest::JpegRecipe;
using pictest::makeJpeg;

TEST(JpegDecode, ScalesWithLibjpegAndGivesGrayWhenAsked) {
    const auto jpeg = makeJpeg({});
    struct Case {
        int denominator;
        bool gray;
        int width, height, channels;
    };
    for (const Case& c : {Case{1, false, 720, 576, 3}, Case{2, false, 360, 288, 3}, Case{4, true, 180, 144, 1},
                          Case{8, false, 90, 72, 3}}) {
        SCOPED_TRACE(c.denominator);
        const JpegDecodeResult r = decodeJpeg(jpeg, c.denominator, c.gray);
        ASSERT_TRUE(r.bitmap) << r.error;
        EXPECT_EQ(r.bitmap->width, c.width);
        EXPECT_EQ(r.bitmap->height, c.height);
        EXPECT_EQ(r.bitmap->channels, c.channels);
        EXPECT_EQ(r.bitmap->pixels.size(), static_cast<std::size_t>(c.width * c.height * c.channels));
    }
    EXPECT_FALSE(decodeJpeg(jpeg, 3).bitmap);
}

TEST(JpegDecode, KeepsColoursOfRgbGrayProgressiveAndCmykPictures) {
    // Solid colour pictures: the centre pixel must come back close to the colour written.
    JpegRecipe solid;
    solid.width = 64;
    solid.height = 48;
    solid.pattern = pictest::Pattern::Solid;
    JpegRecipe progressive = solid;
    progressive.progressive = true;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> jpeg;
        int r, g, b;
    };
    const Case cases[] = {
        {"baseline", makeJpeg(solid), 200, 80, 40},
        {"progressive", makeJpeg(progressive), 200, 80, 40},
        // Adobe CMYK: stored 255 means no ink, so this is pure red.
        {"cmyk", pictest::makeCmykJpeg(32, 32, 255, 0, 0, 255), 255, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JpegDecodeResult r = decodeJpeg(c.jpeg);
        ASSERT_TRUE(r.bitmap) << r.error;
        ASSERT_EQ(r.bitmap->channels, 3);
        const std::size_t centre = (static_cast<std::size_t>(r.bitmap->height / 2) * r.bitmap->width + r.bitmap->width / 2) * 3;
        EXPECT_NEAR(r.bitmap->pixels[centre], c.r, 6);
        EXPECT_NEAR(r.bitmap->pixels[centre + 1], c.g, 6);
        EXPECT_NEAR(r.bitmap->pixels[centre + 2], c.b, 6);
        const JpegDecodeResult gray = decodeJpeg(c.jpeg, 1, true);
        ASSERT_TRUE(gray.bitmap) << gray.error;
        EXPECT_EQ(gray.bitmap->channels, 1);
        EXPECT_NEAR(gray.bitmap->pixels[centre / 3], (c.r * 299 + c.g * 587 + c.b * 114) / 1000, 6);
    }
}

std::vector<std::uint8_t> withSofDimensions(std::vector<std::uint8_t> jpeg, std::uint16_t width, std::uint16_t height) {
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no SOF marker";
    return jpeg;
}

TEST(JpegDecode, RefusesBrokenDataWithAMessage) {
    const auto good = makeJpeg({});
    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 100);
    std::vector<std::uint8_t> notJpeg = {'B', 'M', 1, 2, 3, 4, 5, 6};
    std::vector<std::uint8_t> soiThenGarbage = {0xFF, 0xD8, 0xFF, 0x01, 0x00, 0x00, 0x12};
    const auto huge = withSofDimensions(good, 65000, 65000);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
    };
    for (const Case& c : {Case{"empty", {}}, Case{"not a JPEG", notJpeg}, Case{"bad marker", soiThenGarbage},
                          Case{"cut inside the header", headerOnly}, Case{"claims 65000 x 65000", huge}}) {
        SCOPED_TRACE(c.name);
        const JpegDecodeResult r = decodeJpeg(c.data);
        EXPECT_FALSE(r.bitmap);
        EXPECT_FALSE(r.error.empty());
    }
    // The header of the huge one is still readable: only decoding is refused.
    const JpegHeaderResult info = readJpegInfo(huge);
    ASSERT_TRUE(info.info) << info.error;
    EXPECT_EQ(info.info->width, 65000);
}

// A few hundred bytes must not buy seconds of work or hundreds of megabytes: pixels, scans and the
// decoder's memory are bounded.
TEST(JpegDecode, BoundsPixelsScansAndDecoderMemory) {
    const auto cmyk = pictest::makeCmykJpeg(16, 16, 10, 20, 30, 40, /*progressive=*/true);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
        const char* says;
    };
    const Case refused[] = {
        {"progressive CMYK claiming 8192 x 8192", withSofDimensions(cmyk, 8192, 8192), "too large"},
        {"just over 16 megapixels", withSofDimensions(makeJpeg({.width = 16, .height = 16}), 4097, 4096), "too large"},
        // 16 megapixels exactly passes the pixel bound; its coefficients (128 MB) do not fit.
        {"progressive CMYK claiming 4096 x 4096", withSofDimensions(cmyk, 4096, 4096), ""},
        {"128 scans", makeJpeg({.width = 32, .height = 32, .grayscale = true, .manyScans = true}), "too many scans"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        const JpegDecodeResult r = decodeJpeg(c.data);
        EXPECT_FALSE(r.bitmap);
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_FALSE(r.error.empty());
    }
    // Within the bounds: 4096 x 4096 baseline, and the ten scans of an ordinary progressive file.
    const auto large = decodeJpeg(makeJpeg({.width = 4096, .height = 4096, .pattern = pictest::Pattern::Solid, .quality = 50}));
    ASSERT_TRUE(large.bitmap) << large.error;
    EXPECT_EQ(large.bitmap->width, 4096);
    const auto progressive = decodeJpeg(makeJpeg({.width = 64, .height = 48, .progressive = true}));
    EXPECT_TRUE(progressive.bitmap) << progressive.error;
}

TEST(JpegDecode, TruncatedPictureDecodesWithAWarning) {
    auto jpeg = makeJpeg({});
    jpeg.resize(jpeg.size() / 2);
    const JpegDecodeResult r = decodeJpeg(jpeg);
    ASSERT_TRUE(r.bitmap) << r.error;
    EXPECT_EQ(r.bitmap->width, 720);
    EXPECT_FALSE(r.warning.empty());
}

TEST(JpegEncode, DefaultQualityIsTheEncodersOwnAndOthersArePassedOn) {
    const JpegDecodeResult decoded = decodeJpeg(makeJpeg({}));
    ASSERT_TRUE(decoded.bitmap);
    const Bitmap& b = *decoded.bitmap;
    const auto byDefault = encodeJpeg(b);
    const auto q75 = encodeJpeg(b, 75);
    const auto q10 = encodeJpeg(b, 10);
    ASSERT_TRUE(byDefault.data && q75.data && q10.data);
    // libjpeg's own default is quality 75: the same tables and so the same bytes.
    EXPECT_EQ(*byDefault.data, *q75.data);
    EXPECT_LT(q10.data->size(), byDefault.data->size());
    EXPECT_GT(pictest::jpegFacts(*q10.data).firstQuantValue, pictest::jpegFacts(*q75.data).firstQuantValue);

    // Decoding what we encoded gives back the picture, close enough for a lossy codec.
    const JpegDecodeResult again = decodeJpeg(*byDefault.data);
    ASSERT_TRUE(again.bitmap);
    ASSERT_EQ(again.bitmap->pixels.size(), b.pixels.size());
    long long diff = 0;
    for (std::size_t i = 0; i < b.pixels.size(); ++i)
        diff += std::abs(static_cast<int>(b.pixels[i]) - static_cast<int>(again.bitmap->pixels[i]));
    EXPECT_LT(static_cast<double>(diff) / static_cast<double>(b.pixels.size()), 4.0);
}

TEST(JpegEncode, GrayBitmapGivesSingleComponentJpegAndBadInputFails) {
    Bitmap gray = makeBitmap(40, 30, 1);
    for (std::size_t i = 0; i < gray.pixels.size(); ++i)
        gray.pixels[i] = static_cast<std::uint8_t>(i);
    const auto encoded = encodeJpeg(gray);
    ASSERT_TRUE(encoded.data) << encoded.error;
    const auto facts = pictest::jpegFacts(*encoded.data);
    EXPECT_EQ(facts.components, 1);
    EXPECT_EQ(facts.width, 40);

    Bitmap inconsistent = gray;
    inconsistent.pixels.resize(10);
    EXPECT_FALSE(encodeJpeg(Bitmap{}).data);
    EXPECT_FALSE(encodeJpeg(inconsistent).data);
    EXPECT_FALSE(encodeJpeg(gray, 0).data);
    EXPECT_FALSE(encodeJpeg(gray, 101).data);
}

TEST(BitmapResample, StretchesToTheExactSizeWithoutShiftingColours) {
    Bitmap b = makeBitmap(1024, 768, 3);
    // Left half red, right half blue.
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            std::uint8_t* p = &b.pixels[(static_cast<std::size_t>(y) * b.width + x) * 3];
            p[0] = x < 512 ? 255 : 0;
            p[2] = x < 512 ? 0 : 255;
        }
    for (auto [w, h] : {std::pair{720, 576}, std::pair{1100, 800}, std::pair{3, 2}}) {
        const Bitmap r = resampleBitmap(b, w, h);
        ASSERT_EQ(r.width, w);
        ASSERT_EQ(r.height, h);
        ASSERT_EQ(r.pixels.size(), static_cast<std::size_t>(w * h * 3));
        EXPECT_EQ(r.pixels[0], 255);                                         // top-left stays red
        EXPECT_EQ(r.pixels[(static_cast<std::size_t>(h) * w - 1) * 3 + 2], 255);  // bottom-right stays blue
        EXPECT_EQ(r.pixels[1], 0);
    }
    const Bitmap tiny = makeBitmap(1, 1, 1);
    EXPECT_EQ(resampleBitmap(tiny, 720, 576).pixels.size(), 720u * 576u);
}

} // namespace
} // namespace cs
