// channelsettings-cli pictures: listing, extracting and packing, run as a real process on files
// made by the fixtures.
#include "fixtures/picture_store_fixture.h"
#include "jpeg_fixture.h"
#include "pictures/picture_store.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <unistd.h>

namespace cs {
namespace {

namespace fs = std::filesystem;
using fixtures::fillerBytes;
using fixtures::readFixtureFile;
using fixtures::writeFixtureFile;

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "cs-pictures-cli-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

using cs::clitest::CliRun;
using cs::clitest::runCli;

std::vector<std::uint8_t> backgroundStore() {
    fixtures::PictureStoreFixture s;
    s.entries.push_back({2, "background.jpg", 10000, 4128, fillerBytes(10000, 4)});
    s.usedSize = 14336;
    return fixtures::makePictureStoreFile(s);
}

TEST(CliPictures, ListsTheStoreAsJson) {
    TempDir dir;
    writeFixtureFile(dir / "store.dsp", backgroundStore());
    const CliRun r = runCli(dir.path(), {"pictures", dir / "store.dsp"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"used\": 14336, \"entries\": [{\"index\": 2, \"name\": \"background.jpg\", \"size\": 10000, "
                     "\"offset\": 4128}]}\n");
}

TEST(CliPictures, RefusesWhatIsNotAStore) {
    TempDir dir;
    fixtures::PictureStoreFixture software;
    software.address = 0x8000;
    writeFixtureFile(dir / "software.dsp", fixtures::makePictureStoreFile(software));
    fixtures::PictureStoreFixture broken;
    broken.entries.push_back({0, "mlogo25k.jpg", 50000, 4128, {}});
    writeFixtureFile(dir / "broken.dsp", fixtures::makePictureStoreFile(broken));
    for (const std::string name : {"software.dsp", "broken.dsp", "missing.dsp"}) {
        SCOPED_TRACE(name);
        const CliRun list = runCli(dir.path(), {"pictures", dir / name});
        EXPECT_EQ(list.exitCode, 2);
        EXPECT_TRUE(list.out.empty());
        EXPECT_NE(list.err.find("not a picture store"), std::string::npos) << list.err;
        EXPECT_EQ(runCli(dir.path(), {"pictures", dir / name, "--extract", dir / "out"}).exitCode, 2);
    }
    EXPECT_FALSE(fs::exists(dir / "out"));
    EXPECT_EQ(runCli(dir.path(), {"pictures", dir / "software.dsp", "--logo", "x.jpg"}).exitCode, 1);
}

TEST(CliPictures, ExtractWritesEachPictureUnderItsEntryName) {
    TempDir dir;
    fixtures::PictureStoreFixture s;
    s.entries.push_back({0, "mlogo25k.jpg", 700, 4128, fillerBytes(700, 1)});
    s.entries.push_back({1, "../escape.jpg", 300, 5120, fillerBytes(300, 2)});
    s.entries.push_back({2, "mlogo25k.jpg", 200, 5632, fillerBytes(200, 3)});
    writeFixtureFile(dir / "store.dsp", fixtures::makePictureStoreFile(s));
    const CliRun r = runCli(dir.path(), {"pictures", dir / "store.dsp", "--extract", dir / "pics"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFixtureFile(dir / "pics/mlogo25k.jpg"), fillerBytes(700, 1));
    // A name that would leave the folder, or clash with another, gets a plain one instead.
    EXPECT_FALSE(fs::exists(dir / "escape.jpg"));
    EXPECT_EQ(readFixtureFile(dir / "pics/entry1.jpg"), fillerBytes(300, 2));
    EXPECT_EQ(readFixtureFile(dir / "pics/entry2.jpg"), fillerBytes(200, 3));
    EXPECT_EQ(r.out, (dir / "pics/mlogo25k.jpg") + "\n" + (dir / "pics/entry1.jpg") + "\n" + (dir / "pics/entry2.jpg") + "\n");
}

TEST(CliPictures, PackBuildsAStoreFromJpegAndBmpFiles) {
    TempDir dir;
    pictest::JpegRecipe big;
    big.width = 1024;
    big.height = 768;
    writeFixtureFile(dir / "logo.jpg", pictest::makeJpeg(big));
    QImage bmp(400, 300, QImage::Format_RGB32);
    bmp.fill(QColor(10, 200, 30));
    ASSERT_TRUE(bmp.save(QString::fromStdString(dir / "radio.bmp"), "BMP"));
    pictest::JpegRecipe fits;
    fits.pattern = pictest::Pattern::Solid;
    const auto background = pictest::makeJpeg(fits);
    writeFixtureFile(dir / "background.jpg", background);

    const CliRun r = runCli(dir.path(), {"pictures", dir / "new.dsp", "--pack", "--logo", dir / "logo.jpg", "--radio",
                                      dir / "radio.bmp", "--background", dir / "background.jpg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"used\": ", 0), 0u);

    PictureStore store;
    NullLog log;
    ASSERT_TRUE(readPictureStore(dir / "new.dsp", store, log));
    EXPECT_EQ(store.slot(0).bitmap().width, 720);  // stretched from 1024 x 768
    EXPECT_EQ(store.slot(0).bitmap().height, 576);
    EXPECT_EQ(store.slot(1).bitmap().width, 400);
    ASSERT_EQ(store.slot(1).bitmap().channels, 3);
    EXPECT_NEAR(store.slot(1).bitmap().pixels[1], 200, 6);
    EXPECT_EQ(store.slot(2).sourceData(), background);  // fits: stored as it was
    EXPECT_NE(r.out.find("\"name\": \"background.jpg\", \"size\": " + std::to_string(background.size())),
              std::string::npos);

    // Packing again replaces the store with only the pictures given.
    const CliRun again = runCli(dir.path(), {"pictures", dir / "new.dsp", "--pack", "--background", dir / "background.jpg"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    PictureStore replaced;
    ASSERT_TRUE(readPictureStore(dir / "new.dsp", replaced, log));
    EXPECT_FALSE(replaced.slot(0).loaded());
    EXPECT_TRUE(replaced.slot(2).loaded());
}

TEST(CliPictures, PackLeavesOutWhatDoesNotFitAndGuardsOtherFiles) {
    TempDir dir;
    pictest::JpegRecipe noise;
    noise.pattern = pictest::Pattern::Noise;
    noise.quality = 95;
    const auto tooBig = pictest::makeJpeg(noise);
    ASSERT_GT(tooBig.size(), 65536u);
    writeFixtureFile(dir / "noise.jpg", tooBig);
    pictest::JpegRecipe small;
    small.pattern = pictest::Pattern::Solid;
    writeFixtureFile(dir / "small.jpg", pictest::makeJpeg(small));

    const CliRun partly = runCli(dir.path(), {"pictures", dir / "s.dsp", "--pack", "--logo", dir / "noise.jpg", "--background",
                                           dir / "small.jpg"});
    EXPECT_EQ(partly.exitCode, 0) << partly.err;
    EXPECT_NE(partly.err.find("logo"), std::string::npos);
    const auto written = readFixtureFile(dir / "s.dsp");
    EXPECT_EQ(fixtures::storeEntry(written, 0).size, 0u);
    EXPECT_EQ(fixtures::storeEntry(written, 2).offset, 4128u);

    // Nothing fits: no file at all.
    EXPECT_EQ(runCli(dir.path(), {"pictures", dir / "none.dsp", "--pack", "--logo", dir / "noise.jpg"}).exitCode, 2);
    EXPECT_FALSE(fs::exists(dir / "none.dsp"));

    // A database or any other non-store file is never overwritten.
    const auto database = fillerBytes(0x10040, 5);
    writeFixtureFile(dir / "settings.dsp", database);
    EXPECT_EQ(runCli(dir.path(), {"pictures", dir / "settings.dsp", "--pack", "--logo", dir / "small.jpg"}).exitCode, 2);
    EXPECT_EQ(readFixtureFile(dir / "settings.dsp"), database);

    // Not a picture, or no picture named.
    writeFixtureFile(dir / "text.jpg", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(runCli(dir.path(), {"pictures", dir / "t.dsp", "--pack", "--logo", dir / "text.jpg"}).exitCode, 2);
    EXPECT_EQ(runCli(dir.path(), {"pictures", dir / "t.dsp", "--pack"}).exitCode, 1);
    EXPECT_FALSE(fs::exists(dir / "t.dsp"));
}

} // namespace
} // namespace cs
