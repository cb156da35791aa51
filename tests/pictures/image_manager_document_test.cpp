// The image manager's document: a failed open keeps the pictures, picture files by type, huge
// pictures refused from their header, export, effects, the commands offered and when unsaved
// changes are at stake.
#include "pictures/image_manager_document.h"

#include "fixtures/image_builder.h"
#include "fixtures/picture_store_fixture.h"
#include "jpeg_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cs {
namespace {

namespace fx = cs::fixtures;
using pictest::JpegRecipe;
using pictest::makeJpeg;

std::vector<std::uint8_t> jpegOf(int w, int h, std::uint32_t seed = 1) {
    JpegRecipe s;
    s.width = w;
    s.height = h;
    s.seed = seed;
    return makeJpeg(s);
}

// A small picture whose frame header claims another size: only the header is believed.
std::vector<std::uint8_t> claimingSize(std::uint16_t width, std::uint16_t height) {
    std::vector<std::uint8_t> jpeg = jpegOf(400, 300);
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    ADD_FAILURE() << "no baseline frame header";
    return jpeg;
}

TEST(ImageManagerDocument, PictureFileTypesByExtensionInAnyCase) {
    const struct {
        const char* name;
        std::optional<PictureFileType> type;
    } cases[] = {{"a.jpg", PictureFileType::Jpeg}, {"b.JPEG", PictureFileType::Jpeg}, {"c.JpG", PictureFileType::Jpeg},
                 {"d.bmp", PictureFileType::Bmp},  {"/x.y/E.BMP", PictureFileType::Bmp}, {"f.png", std::nullopt},
                 {"jpg", std::nullopt},            {"g.jpg.txt", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(pictureFileType(c.name), c.type) << c.name;
    EXPECT_TRUE(isJpegFileName("out.JPEG"));
    EXPECT_FALSE(isJpegFileName("out.bmp"));
}

TEST(ImageManagerDocument, PicturesAbove16MegapixelsAreRefusedFromTheirHeader) {
    EXPECT_FALSE(pictureSizeProblem(4000, 4000));  // exactly 16 million
    EXPECT_TRUE(pictureSizeProblem(4001, 4000));
    EXPECT_TRUE(pictureSizeProblem(65535, 65535));

    NullLog log;
    ImageManagerDocument doc(log);
    ASSERT_TRUE(doc.loadPicture(jpegOf(720, 576), "kept.jpg"));
    const auto kept = doc.currentSlot().encodedData();
    const ManagerResult r = doc.loadPicture(claimingSize(5000, 4000), "huge.jpg");
    ASSERT_FALSE(r);
    EXPECT_NE(r.error.find("5000 x 4000"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("16 megapixels"), std::string::npos) << r.error;
    EXPECT_EQ(doc.currentSlot().fileName(), "kept.jpg");
    EXPECT_EQ(doc.currentSlot().encodedData(), kept);
}

TEST(ImageManagerDocument, UndecodablePicturesAreReportedAndChangeNothing) {
    fx::TempDir dir;
    NullLog log;
    ImageManagerDocument doc(log);
    std::vector<std::uint8_t> truncated = jpegOf(720, 576);
    truncated.resize(200);  // header intact, no picture data
    const std::vector<std::uint8_t> notJpeg(1000, 0x42);
    for (const auto& bytes : {truncated, notJpeg}) {
        const ManagerResult r = doc.loadPicture(bytes, "bad.jpg");
        EXPECT_FALSE(r);
        EXPECT_FALSE(r.error.empty());
        EXPECT_FALSE(doc.currentSlot().loaded());
    }
    const ManagerResult missing = doc.importJpegFile((dir / "missing.jpg").string());
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error.find("missing.jpg"), std::string::npos);
    EXPECT_FALSE(doc.store().anyLoaded());
}

TEST(ImageManagerDocument, AFailedOpenKeepsTheShownPictures) {
    fx::TempDir dir;
    NullLog log;
    ImageManagerDocument doc(log);
    doc.setPage(PicturePage::Radio);
    ASSERT_TRUE(doc.loadPicture(jpegOf(720, 576, 3), "radio.jpg"));
    const auto before = doc.currentSlot().encodedData();

    fx::PictureStoreFixture wrongAddress;
    wrongAddress.address = 0x80000;
    const auto bad = dir / "bad.dsp";
    fx::writeFixtureFile(bad, fx::makePictureStoreFile(wrongAddress));
    const ManagerResult r = doc.openStore(bad.string());
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("bad.dsp"), std::string::npos);
    EXPECT_EQ(doc.page(), PicturePage::Radio);
    EXPECT_EQ(doc.currentSlot().encodedData(), before);
    EXPECT_TRUE(doc.hasUnsavedChanges());

    // A good store replaces all three pages, even those it does not fill.
    fx::PictureStoreFixture logoOnly;
    const auto logo = jpegOf(720, 576, 9);
    logoOnly.entries = {{0, "mlogo25k.jpg", static_cast<std::uint32_t>(logo.size()), 4128, logo}};
    const auto good = dir / "good.dsp";
    fx::writeFixtureFile(good, fx::makePictureStoreFile(logoOnly));
    ASSERT_TRUE(doc.openStore(good.string()));
    EXPECT_EQ(doc.page(), PicturePage::Logo);
    EXPECT_EQ(doc.currentSlot().encodedData(), logo);
    EXPECT_FALSE(doc.store().slot(1).loaded());
    EXPECT_FALSE(doc.hasUnsavedChanges());
    EXPECT_FALSE(doc.needsSaveBeforeSend());
    EXPECT_EQ(doc.store().currentPath(), good.string());
}

TEST(ImageManagerDocument, EffectsCommandsAndMemoryFollowThePage) {
    NullLog log;
    ImageManagerDocument doc(log);
    EXPECT_FALSE(doc.commands().save);
    EXPECT_FALSE(doc.hasUnsavedChanges());  // a new, empty store has nothing to lose
    EXPECT_TRUE(doc.needsSaveBeforeSend());
    EXPECT_EQ(doc.memoryText("Used memory"), "Used memory 0 Kbytes ");

    const auto source = jpegOf(720, 576);
    ASSERT_TRUE(doc.loadPicture(source, "a.jpg"));
    EXPECT_TRUE(doc.commands().save);
    EXPECT_TRUE(doc.commands().picture);
    ASSERT_TRUE(doc.applyEffects({1, true, 50}));
    EXPECT_EQ(doc.menuEffects(), (PictureEffects{1, true, 50}));
    EXPECT_EQ(doc.currentSlot().bitmap().width, 360);
    EXPECT_TRUE(doc.currentSlot().modified());
    ASSERT_TRUE(doc.applyEffects({}));
    EXPECT_EQ(doc.currentSlot().encodedData(), source);
    EXPECT_FALSE(doc.currentSlot().modified());
    EXPECT_TRUE(doc.store().modified());

    doc.setPage(PicturePage::Background);
    EXPECT_FALSE(doc.commands().picture);
    EXPECT_TRUE(doc.commands().save);
    EXPECT_EQ(doc.menuEffects(), PictureEffects{});
    EXPECT_EQ(doc.memoryUse().used, source.size() + 4128);
    EXPECT_EQ(doc.memoryBarValue(), static_cast<int>(source.size() + 4128));

    doc.setPage(PicturePage::Logo);
    doc.clearPicture();
    EXPECT_FALSE(doc.store().anyLoaded());
    EXPECT_EQ(doc.memoryBarValue(), 0);
}

TEST(ImageManagerDocument, ExportWritesTheStoredJpegUnderAJpegName) {
    fx::TempDir dir;
    NullLog log;
    ImageManagerDocument doc(log);
    EXPECT_FALSE(doc.exportPicture((dir / "none.jpg").string()));
    ASSERT_TRUE(doc.loadPicture(jpegOf(1024, 768), "big.jpg"));
    const auto out = dir / "out.JPG";
    ASSERT_TRUE(doc.exportPicture(out.string()));
    EXPECT_EQ(fx::readFixtureFile(out), doc.currentSlot().encodedData());
    const ManagerResult png = doc.exportPicture((dir / "out.png").string());
    EXPECT_FALSE(png);
    EXPECT_NE(png.error.find(".jpg"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

} // namespace
} // namespace cs
