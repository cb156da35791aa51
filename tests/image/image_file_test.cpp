// Reading, classifying and validating image files: the kinds table, the order in which kinds are
// tried, the area checks and the open log, all against images the fixture generator builds at
// literal offsets.
#include "common/log_sink.h"
#include "fixtures/image_builder.h"
#include "image/image_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

namespace fx = cs::fixtures;
using fx::DatabaseFileKind;

struct KindCase {
    const char* what;
    DatabaseFileKind kind;
    std::size_t fileSize;
    std::optional<std::uint32_t> address;  // header overrides
    std::optional<std::uint32_t> length;
    std::string_view text;
    std::size_t capacity;
    bool base;
    bool config;
};

fx::ImageBytes buildKind(const KindCase& c) {
    fx::DatabaseImageBuilder b(c.kind, c.fileSize);
    if (c.address)
        b.headerAddress(*c.address);
    if (c.length)
        b.headerLength(*c.length);
    return b.build();
}

TEST(ImageKinds, EveryRowOfTheKindsTableIsRecognisedWithItsAreas) {
    const KindCase cases[] = {
        {"R7/R8 full", DatabaseFileKind::SettingsR78, 0x90040, {}, {}, "settings.dsp (R7/R8)", 8000, true, true},
        {"R7/R8 without CONFIG", DatabaseFileKind::SettingsR78, 0x80040, {}, {}, "settings.dsp (R7/R8)", 8000, true, false},
        {"R7/R8 other length", DatabaseFileKind::SettingsR78, 0x90040, {}, 0x3FFFF, "settings.dsp (R7/R8)", 8000, true, true},
        {"settings", DatabaseFileKind::Settings, 0x60040, {}, {}, "settings.dsp", 4000, true, true},
        {"settings small", DatabaseFileKind::Settings, 0x50040, {}, {}, "settings.dsp", 4000, true, true},
        {"settings crossed length", DatabaseFileKind::Settings, 0x50040, {}, 0x2FFFF, "settings.dsp", 4000, true, true},
        {"channels", DatabaseFileKind::Channels, 0x40040, {}, {}, "channels.dsp", 4000, true, false},
        {"channels in a settings-sized file", DatabaseFileKind::Channels, 0x60040, {}, {}, "channels.dsp", 4000, true, false},
        {"channels 0x50040", DatabaseFileKind::Channels, 0x50040, {}, {}, "channels.dsp", 4000, true, false},
        {"config", DatabaseFileKind::Config, 0x10040, {}, {}, "config.dsp", 0, false, true},
        {"config at 0x110000", DatabaseFileKind::Config, 0x10040, 0x110000, {}, "config.dsp", 0, false, true},
        {"config in a settings-sized file", DatabaseFileKind::Config, 0x60040, {}, {}, "config.dsp", 0, false, true},
        {"config in a channels-sized file", DatabaseFileKind::Config, 0x40040, 0x110000, {}, "config.dsp", 0, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto bytes = buildKind(c);
        const auto layout = fx::layoutOf(c.kind, c.fileSize);
        cs::NullLog log;
        cs::ImageFile image;
        ASSERT_EQ(image.readImageBytes(bytes, log), cs::kImageDatabase);
        image.locateAreas(log);
        EXPECT_EQ(image.kindText(), c.text);
        EXPECT_EQ(image.channelCapacity(), c.capacity);
        EXPECT_EQ(image.fileSize(), c.fileSize);
        EXPECT_EQ(image.hasBase(), c.base);
        EXPECT_EQ(image.hasConfig(), c.config);
        if (c.base) {
            EXPECT_EQ(image.baseArea().data() - image.payload().data() + 64, static_cast<std::ptrdiff_t>(layout.base));
        }
        if (c.config) {
            EXPECT_EQ(*image.configOffset() + 64, layout.config);
            // Fresh builder images carry valid BA_2 and BA_3.
            EXPECT_TRUE(image.hasSettingsArea());
            EXPECT_TRUE(image.hasProviderArea());
        }
        EXPECT_EQ(image.kindNumber(), c.kind == DatabaseFileKind::Channels ? 2 : c.kind == DatabaseFileKind::Config ? 3 : 1);
    }
}

TEST(ImageKinds, HeadersThatMatchNoRowForTheFileSizeAreNotRecognised) {
    struct Case {
        const char* what;
        std::size_t size;
        std::uint32_t address, length;
    };
    const Case cases[] = {
        {"R7/R8 length in a settings-sized file", 0x60040, 0xD0000, 0x47FFF},
        {"settings length in an R7/R8-sized file", 0x90040, 0xD0000, 0x2FFFF},
        {"config header in an R7/R8-sized file", 0x90040, 0xF0000, 0x7FFF},
        {"channels header in a config-sized file", 0x10040, 0xD0000, 0x1FFFF},
        {"config length with the database address", 0x40040, 0xD0000, 0x7FFF},
        {"unknown address", 0x60040, 0xE0000, 0x2FFFF},
        {"unknown size", 0x60042, 0xD0000, 0x2FFFF},
        {"payload of a plausible size with a zero header", 0x60040, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cs::NullLog log;
        cs::ImageFile image;
        EXPECT_EQ(image.readImageBytes(fx::headerOnlyImage(c.size, c.address, c.length), log), cs::kImageNotRecognised);
        EXPECT_FALSE(image.hasImage());
    }
}

TEST(ImageKinds, SoftwarePluginAndPictureStoreHeadersAreTriedBeforeTheDatabaseKinds) {
    struct Case {
        const char* what;
        fx::ImageBytes bytes;
        cs::ImageKind read;      // readImageFile
        cs::ImageKind classify;  // classifyImageFile
    };
    const Case cases[] = {
        {"main software", fx::softwareImage(), cs::kImageSoftware, cs::kImageSoftware},
        {"first plug-in address", fx::pluginImage(0x78000), cs::kImageSoftware, cs::kImageSoftware},
        {"last plug-in address", fx::pluginImage(0xCFFFF), cs::kImageSoftware, cs::kImageSoftware},
        {"just below the plug-in range", fx::headerOnlyImage(0x10040, 0x77FFF, 0x7FFF), cs::kImageNotRecognised,
         cs::kImageDatabase},
        {"picture store", fx::pictureStoreHeaderImage(), cs::kImagePictureStore, cs::kImagePictureStore},
        // The picture-store address wins even in a file of a database's size.
        {"picture store of database size", fx::headerOnlyImage(0x60040, 0x90000, 0x2FFFF), cs::kImagePictureStore,
         cs::kImagePictureStore},
        {"picture store without flag bit 7", fx::pictureStoreHeaderImage(false), cs::kImageNotRecognised,
         cs::kImageNotRecognised},
        {"database without flag bit 7", fx::DatabaseImageBuilder(DatabaseFileKind::Settings).headerFlags(0x0001).build(),
         cs::kImageNotRecognised, cs::kImageNotRecognised},
        // The probe checks only the size of a database; the reader checks address and length too.
        {"database size with a foreign header", fx::headerOnlyImage(0x40040, 0x1234, 0x1), cs::kImageNotRecognised,
         cs::kImageDatabase},
        {"valid database", fx::DatabaseImageBuilder(DatabaseFileKind::Channels).build(), cs::kImageDatabase, cs::kImageDatabase},
        {"software image over the size limit", fx::softwareImage(0xE0002), cs::kImageNotRecognised,
         cs::kImageNotRecognised},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cs::NullLog log;
        cs::ImageFile image;
        EXPECT_EQ(image.readImageBytes(c.bytes, log), c.read);
        EXPECT_EQ(cs::classifyImageBytes(c.bytes), c.classify);
    }
}

TEST(ImageKinds, ClassifyingAFileOnDiskAgreesWithTheProbeOfItsBytes) {
    fx::TempDir dir;
    const auto db = fx::DatabaseImageBuilder(DatabaseFileKind::Settings).build();
    fx::writeFile(dir / "a.dsp", db);
    fx::writeFile(dir / "sw.dsp", fx::softwareImage());
    fx::writeFile(dir / "pic.dsp", fx::pictureStoreHeaderImage());
    EXPECT_EQ(cs::classifyImageFile((dir / "a.dsp").string()), cs::kImageDatabase);
    EXPECT_EQ(cs::classifyImageFile((dir / "sw.dsp").string()), cs::kImageSoftware);
    EXPECT_EQ(cs::classifyImageFile((dir / "pic.dsp").string()), cs::kImagePictureStore);
    EXPECT_EQ(cs::classifyImageFile((dir / "missing.dsp").string()), cs::kImageNotRecognised);
    EXPECT_EQ(cs::classifyImageFile(dir.path().string()), cs::kImageNotRecognised);
}

TEST(ImageRead, ShortOversizeAndTruncatedFilesAreNotRecognised) {
    const auto db = fx::DatabaseImageBuilder(DatabaseFileKind::SettingsR78).build();
    const std::vector<std::pair<const char*, fx::ImageBytes>> cases = {
        {"empty", {}},
        {"one byte", fx::ImageBytes(1, 0x3A)},
        {"header cut short", fx::truncated(db, 63)},
        {"header only", fx::truncated(db, 64)},
        {"payload one byte short", fx::truncated(db, db.size() - 1)},
        {"over the size limit", fx::oversizeImage()},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        cs::NullLog log;
        cs::ImageFile image;
        EXPECT_EQ(image.readImageBytes(bytes, log), cs::kImageNotRecognised);
        EXPECT_EQ(cs::classifyImageBytes(bytes), cs::kImageNotRecognised);
        EXPECT_FALSE(image.hasImage());
    }
}

TEST(ImageRead, AFailedReadLeavesTheHeldDatabaseAndItsAreasAsTheyWere) {
    const auto db = fx::DatabaseImageBuilder(DatabaseFileKind::Settings)
                        .channel(0, fx::ChannelFields{})
                        .settingsCrc(fx::AreaCrc::Wrong)
                        .build();
    cs::NullLog log;
    cs::ImageFile image;
    ASSERT_EQ(image.readImageBytes(db, log), cs::kImageDatabase);
    image.locateAreas(log);
    const std::vector<std::uint8_t> payload(image.payload().begin(), image.payload().end());

    const fx::ImageBytes others[] = {fx::softwareImage(), fx::pictureStoreHeaderImage(),
                                     fx::DatabaseImageBuilder(DatabaseFileKind::Channels).headerLength(0x1234).build(),
                                     fx::truncated(fx::DatabaseImageBuilder(DatabaseFileKind::Channels).build(), 0x20000)};
    for (const auto& other : others) {
        EXPECT_NE(image.readImageBytes(other, log), cs::kImageDatabase);
        EXPECT_EQ(image.kindText(), "settings.dsp");
        EXPECT_EQ(image.fileSize(), db.size());
        EXPECT_TRUE(image.hasConfig());
        EXPECT_FALSE(image.hasSettingsArea());
        EXPECT_TRUE(image.hasProviderArea());
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), image.payload().begin(), image.payload().end()));
    }

    // A database image does replace it.
    ASSERT_EQ(image.readImageBytes(fx::DatabaseImageBuilder(DatabaseFileKind::Channels).build(), log), cs::kImageDatabase);
    image.locateAreas(log);
    EXPECT_EQ(image.kindText(), "channels.dsp");
    EXPECT_FALSE(image.hasConfig());
}

TEST(AreaChecks, SettingsAndProviderAreasAreAbsentWhenTheirChecksFail) {
    struct Case {
        const char* what;
        fx::ProviderLayout layout;
        fx::AreaCrc settingsCrc, providerCrc;
        std::optional<std::uint32_t> verify;
        bool settingsBlock, providerBlock;
    };
    const std::uint32_t good = fx::kProviderVerify;
    const Case cases[] = {
        {"all valid, basic", fx::ProviderLayout::Basic, fx::AreaCrc::Valid, fx::AreaCrc::Valid, {}, true, true},
        {"all valid, R7/R8", fx::ProviderLayout::R78, fx::AreaCrc::Valid, fx::AreaCrc::Valid, {}, true, true},
        {"BA_2 CRC wrong", fx::ProviderLayout::Basic, fx::AreaCrc::Wrong, fx::AreaCrc::Valid, {}, false, true},
        {"BA_2 CRC word with upper half set", fx::ProviderLayout::Basic, fx::AreaCrc::UpperHalfNonZero, fx::AreaCrc::Valid,
         {}, false, true},
        {"BA_3 CRC wrong", fx::ProviderLayout::Basic, fx::AreaCrc::Valid, fx::AreaCrc::Wrong, {}, true, false},
        {"BA_3 CRC word with upper half set", fx::ProviderLayout::R78, fx::AreaCrc::Valid, fx::AreaCrc::UpperHalfNonZero,
         {}, true, false},
        {"provider_verify wrong, basic", fx::ProviderLayout::Basic, fx::AreaCrc::Valid, fx::AreaCrc::Valid, good ^ 1, true,
         false},
        {"provider_verify wrong, R7/R8", fx::ProviderLayout::R78, fx::AreaCrc::Valid, fx::AreaCrc::Valid, 0, true, false},
        {"both wrong", fx::ProviderLayout::R78, fx::AreaCrc::Wrong, fx::AreaCrc::Wrong, {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fx::DatabaseImageBuilder b(DatabaseFileKind::SettingsR78);
        b.providerLayout(c.layout).settingsCrc(c.settingsCrc).providerCrc(c.providerCrc);
        if (c.verify)
            b.providerVerify(*c.verify);
        cs::NullLog log;
        cs::ImageFile image;
        ASSERT_EQ(image.readImageBytes(b.build(), log), cs::kImageDatabase);
        image.locateAreas(log);
        EXPECT_EQ(image.hasSettingsArea(), c.settingsBlock);
        EXPECT_EQ(image.hasProviderArea(), c.providerBlock);
        EXPECT_EQ(image.settingsArea().empty(), !c.settingsBlock);
        EXPECT_EQ(image.providerArea().empty(), !c.providerBlock);
        EXPECT_EQ(image.providerCapacity(), !c.providerBlock ? 0u : c.layout == fx::ProviderLayout::R78 ? 623u : 700u);
        EXPECT_TRUE(image.hasConfig());
    }
}

TEST(ImageLog, ReadingAndLocatingWriteTheDiagnosticLinesInTheirFormats) {
    cs::MemoryLog log;
    cs::ImageFile image;
    ASSERT_EQ(image.readImageBytes(fx::DatabaseImageBuilder(DatabaseFileKind::SettingsR78).providerLayout(fx::ProviderLayout::R78).build(),
                                   log),
              cs::kImageDatabase);
    image.locateAreas(log);
    const std::vector<std::string> expected = {
        "size=0x47FFF adress=0xD0000 flags=0x80",
        "HEADER_ADDRESS=0xD0000",
        "settings.dsp (R7/R8)",
        "got.Area BASE",
        "got.Area CONFIG",
        "BA_2 CRC_OK",
        "BA_3 CRC_OK dla kanalow CH5 MAX=8000",
    };
    EXPECT_EQ(log.lines(), expected);

    log.clear();
    ASSERT_EQ(image.readImageBytes(fx::DatabaseImageBuilder(DatabaseFileKind::Settings).providerCrc(fx::AreaCrc::Wrong).build(), log),
              cs::kImageDatabase);
    image.locateAreas(log);
    EXPECT_TRUE(log.contains("BA_3 CRC_ERROR dla kanalow CH1 MAX=4000"));

    log.clear();
    image.readImageBytes(fx::softwareImage(), log);
    EXPECT_TRUE(log.contains("0x08000 MainSoftware"));
    log.clear();
    image.readImageBytes(fx::pluginImage(0x80000), log);
    EXPECT_EQ(log.lines().back(), "PLUGINS AREA");
    EXPECT_EQ(log.lines().front().rfind("size=", 0), 0u);
}

TEST(ImageHeader, RefreshForSaveSetsColonsDateAndFlagBit7AndNothingElse) {
    auto bytes = fx::headerOnlyImage(64, 0xD0000, 0x2FFFF, 0x0101);
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 16; i < 52; ++i)
        bytes[i] = static_cast<std::uint8_t>(0xC0 + i);
    bytes[54] = 0x5A;
    bytes[55] = 0xA5;
    cs::ImageHeader header{std::span<const std::uint8_t>(bytes)};
    EXPECT_FALSE(header.validRegion());
    header.refreshForSave("20250607");
    const auto out = header.bytes();
    for (std::size_t i = 0; i < 64; ++i) {
        if (i < 16)
            EXPECT_EQ(out[i], ':') << i;
        else if (i >= 24 && i < 32)
            EXPECT_EQ(out[i], "20250607"[i - 24]) << i;
        else if (i == 52)
            EXPECT_EQ(out[i], 0x81);
        else
            EXPECT_EQ(out[i], bytes[i]) << i;
    }
    EXPECT_TRUE(header.validRegion());
    EXPECT_EQ(header.date(), "20250607");
    EXPECT_EQ(cs::todayAsHeaderDate().size(), 8u);
}

} // namespace
