// A picture slot: loading, the size rule, effects, and which JPEG a save will store.
#include "pictures/picture_slot.h"

#include "jpeg_fixture.h"
#include "pictures/jpeg_codec.h"

#include <gtest/gtest.h>

namespace cs {
namespace {

using pictest::JpegRecipe;
using pictest::makeJpeg;

std::vector<std::uint8_t> jpegOf(int w, int h) {
    JpegRecipe s;
    s.width = w;
    s.height = h;
    return makeJpeg(s);
}

TEST(PictureSlot, ImportOutsideTheSizeRangeIsStretchedTo720x576AndMarkedModified) {
    const auto source = jpegOf(1024, 768);
    PictureSlot slot;
    MemoryLog log;
    ASSERT_TRUE(slot.load(source, "big.jpg", log));
    EXPECT_TRUE(slot.loaded());
    EXPECT_TRUE(slot.modified());
    EXPECT_EQ(slot.fileName(), "big.jpg");
    EXPECT_EQ(slot.sourceData(), source);
    EXPECT_EQ(slot.bitmap().width, 720);
    EXPECT_EQ(slot.bitmap().height, 576);
    // Re-encoded from the shown bitmap with the encoder's default quality.
    const auto expected = encodeJpeg(slot.bitmap());
    ASSERT_TRUE(expected.data);
    EXPECT_EQ(slot.encodedData(), *expected.data);
    const auto facts = pictest::jpegFacts(slot.encodedData());
    EXPECT_EQ(facts.width, 720);
    EXPECT_EQ(facts.height, 576);
    EXPECT_EQ(slot.hint(), format("720 x 576, size=%d Kbytes Modified", static_cast<int>(slot.encodedSize() / 1024)));
    EXPECT_TRUE(log.contains("LoadPictureFile big.jpg empty=0"));
    EXPECT_TRUE(log.contains("ShowPicture 720 x 576"));
}

TEST(PictureSlot, SizeRuleBoundaries) {
    struct Case {
        int w, h;
        bool stretched;
    };
    for (const Case& c : {Case{720, 576, false}, Case{360, 288, false}, Case{500, 400, false}, Case{359, 288, true},
                          Case{360, 287, true}, Case{721, 576, true}, Case{720, 577, true}, Case{200, 100, true}}) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
        const auto source = jpegOf(c.w, c.h);
        PictureSlot slot;
        NullLog log;
        ASSERT_TRUE(slot.load(source, "", log));
        EXPECT_EQ(slot.modified(), c.stretched);
        EXPECT_EQ(slot.bitmap().width, c.stretched ? 720 : c.w);
        EXPECT_EQ(slot.bitmap().height, c.stretched ? 576 : c.h);
        if (!c.stretched) {
            EXPECT_EQ(slot.encodedData(), source);  // the imported bytes, untouched
        }
    }
}

TEST(PictureSlot, EffectsRenderFromTheSourceAndDefaultsReturnToIt) {
    const auto source = jpegOf(720, 576);
    PictureSlot slot;
    NullLog log;
    ASSERT_TRUE(slot.load(source, "pic.jpg", log));
    EXPECT_FALSE(slot.modified());
    EXPECT_EQ(slot.hint(), format("720 x 576, size=%d Kbytes ", static_cast<int>(source.size() / 1024)));

    // Half, then FullSize at quality 100: back to the very source bytes, unmodified.
    ASSERT_TRUE(slot.render({1, false, 100}, log));
    EXPECT_NE(slot.encodedData(), source);
    ASSERT_TRUE(slot.render({0, false, 100}, log));
    EXPECT_EQ(slot.encodedData(), source);
    EXPECT_FALSE(slot.modified());

    struct Step {
        PictureEffects effects;
        int width, height, channels;
        bool modified;
    };
    const Step steps[] = {
        {{1, false, 100}, 360, 288, 3, true},  // half still fits the range
        {{2, false, 100}, 720, 576, 3, true},  // quarter (180 x 144) is stretched back up
        {{3, true, 100}, 720, 576, 1, true},   // eighth, gray
        {{0, false, 50}, 720, 576, 3, true},   // only the quality: re-encoded
        {{0, false, 100}, 720, 576, 3, false}, // all defaults: the source again
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(::testing::Message() << s.effects.scale << "/" << s.effects.grayscale << "/" << s.effects.quality);
        ASSERT_TRUE(slot.render(s.effects, log));
        EXPECT_EQ(slot.effects(), s.effects);
        EXPECT_EQ(slot.bitmap().width, s.width);
        EXPECT_EQ(slot.bitmap().height, s.height);
        EXPECT_EQ(slot.bitmap().channels, s.channels);
        EXPECT_EQ(slot.modified(), s.modified);
        const auto facts = pictest::jpegFacts(slot.encodedData());
        EXPECT_EQ(facts.width, s.width);
        EXPECT_EQ(facts.components, s.channels);
    }
    EXPECT_EQ(slot.encodedData(), source);
    EXPECT_EQ(slot.sourceData(), source);
}

TEST(PictureSlot, Quality100MeansTheEncodersDefault) {
    PictureSlot slot;
    NullLog log;
    ASSERT_TRUE(slot.load(jpegOf(720, 576), "", log));
    ASSERT_TRUE(slot.render({1, false, 100}, log));
    const auto at100 = slot.encodedData();
    ASSERT_TRUE(slot.render({1, false, 75}, log));
    EXPECT_EQ(slot.encodedData(), at100);
    ASSERT_TRUE(slot.render({1, false, 10}, log));
    EXPECT_LT(slot.encodedSize(), at100.size());
}

TEST(PictureSlot, GrayscaleGivesASingleChannelPicture) {
    PictureSlot slot;
    NullLog log;
    ASSERT_TRUE(slot.load(jpegOf(640, 480), "", log));
    ASSERT_TRUE(slot.render({0, true, 100}, log));
    EXPECT_EQ(slot.bitmap().channels, 1);
    EXPECT_EQ(slot.bitmap().pixels.size(), 640u * 480u);
    int w = 0, h = 0, comps = 0;
    pictest::decodeSamples(slot.encodedData(), w, h, comps);
    EXPECT_EQ(comps, 1);
    EXPECT_EQ(pictest::jpegFacts(slot.encodedData()).components, 1);
}

TEST(PictureSlot, BadDataLeavesTheSlotAsItWas) {
    const auto good = jpegOf(720, 576);
    PictureSlot slot;
    MemoryLog log;
    ASSERT_TRUE(slot.load(good, "good.jpg", log));
    ASSERT_TRUE(slot.render({1, false, 100}, log));
    const auto encodedBefore = slot.encodedData();

    const std::vector<std::uint8_t> garbage = {0xFF, 0xD8, 0x00, 0x11, 0x22};
    const SlotResult r = slot.load(garbage, "bad.jpg", log);
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(slot.fileName(), "good.jpg");
    EXPECT_EQ(slot.sourceData(), good);
    EXPECT_EQ(slot.encodedData(), encodedBefore);
    EXPECT_EQ(slot.effects(), (PictureEffects{1, false, 100}));

    PictureSlot empty;
    EXPECT_FALSE(empty.render({1, false, 100}, log));
    EXPECT_FALSE(empty.loaded());
}

// A truncated or corrupt picture would go to the receiver as it is: a slot refuses it with the
// decoder's words, while one read back from a store keeps its bytes.
TEST(PictureSlot, PictureThatDecodesOnlyWithWarningsIsRefused) {
    auto truncated = jpegOf(720, 576);
    truncated.resize(truncated.size() / 2);
    PictureSlot slot;
    MemoryLog log;
    const SlotResult r = slot.load(truncated, "cut.jpg", log);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("Premature end of JPEG file"), std::string::npos) << r.error;
    EXPECT_FALSE(slot.loaded());

    slot.loadStored(truncated, log);
    EXPECT_TRUE(slot.loaded());
    EXPECT_EQ(slot.encodedData(), truncated);
}

TEST(PictureSlot, UndecodableStoredPictureKeepsItsBytes) {
    const std::vector<std::uint8_t> stored = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5};
    PictureSlot slot;
    MemoryLog log;
    slot.loadStored(stored, log);
    EXPECT_TRUE(slot.loaded());
    EXPECT_FALSE(slot.decodable());
    EXPECT_FALSE(slot.modified());
    EXPECT_EQ(slot.encodedData(), stored);
    EXPECT_TRUE(slot.bitmap().empty());
    EXPECT_FALSE(slot.render({1, false, 100}, log));
    EXPECT_EQ(slot.encodedData(), stored);

    slot.clear();
    EXPECT_FALSE(slot.loaded());
    EXPECT_EQ(slot.encodedSize(), 0u);
}

} // namespace
} // namespace cs
