// The picture store file: allocation, header, reading with its checks, writing that the reader
// always accepts, and the memory figure.
#include "pictures/picture_store.h"

#include "fixtures/image_builder.h"
#include "fixtures/picture_store_fixture.h"
#include "jpeg_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace cs {
namespace {

namespace fs = std::filesystem;
using fixtures::PictureEntryFixture;
using fixtures::PictureStoreFixture;
using fixtures::fillerBytes;
using fixtures::makePictureStoreFile;

using fixtures::TempDir;

using Pictures = std::array<std::vector<std::uint8_t>, 3>;

picture_store_format::BuiltStore build(const Pictures& pictures, LogSink& log) {
    return picture_store_format::buildPictureStore({pictures[0], pictures[1], pictures[2]}, "20240229", log);
}

// ------------------------------------------------------------------ writing

TEST(PictureStoreWrite, BackgroundOnlyStore) {
    MemoryLog log;
    const auto built = build(Pictures{{{}, {}, fillerBytes(10000, 3)}}, log);
    const auto& f = built.file;
    ASSERT_EQ(f.size(), 64u + 14336u);
    EXPECT_EQ(fixtures::storeUsedSize(f), 14336u);
    EXPECT_EQ(fixtures::storeEntry(f, 0).size, 0u);
    EXPECT_EQ(fixtures::storeEntry(f, 1).size, 0u);
    const auto e = fixtures::storeEntry(f, 2);
    EXPECT_EQ(e.name, "background.jpg");
    EXPECT_EQ(e.size, 10000u);
    EXPECT_EQ(e.offset, 4128u);
    EXPECT_TRUE(std::equal(f.begin() + 64 + 4128, f.begin() + 64 + 4128 + 10000, fillerBytes(10000, 3).begin()));
    EXPECT_EQ(f[64 + 4128 + 10000], 0xFF);  // unused bytes of the allocation
    EXPECT_EQ(std::string(f.begin() + 64, f.begin() + 64 + 16), "FILE SYSTEM 2001");
    EXPECT_TRUE(std::all_of(f.begin() + 64 + 20, f.begin() + 64 + 32, [](auto b) { return b == 0; }));

    // Header, field by field.
    EXPECT_EQ(std::string(f.begin(), f.begin() + 16), std::string(16, ':'));
    EXPECT_EQ(std::string(f.begin() + 16, f.begin() + 32), "MOVRINDA20240229");
    EXPECT_EQ(fixtures::storeU32(f, 32), 0xFFFFFFFFu);
    EXPECT_EQ(fixtures::storeU32(f, 36), 0u);
    EXPECT_EQ(std::string(f.begin() + 40, f.begin() + 48), "        ");
    EXPECT_EQ(fixtures::storeU32(f, 48), 0u);
    EXPECT_EQ(fixtures::storeU32(f, 52), 0x0080u);
    EXPECT_EQ(fixtures::storeU32(f, 56), 0x90000u);
    EXPECT_EQ(fixtures::storeU32(f, 60), 7168u);  // (14336 + 1) / 2

    EXPECT_EQ(log.lines().front(), "-+==CreateDspPictureFile==+-");
    EXPECT_TRUE(log.contains("load jpg size=10000 background.jpg"));
}

TEST(PictureStoreWrite, AllocationTable) {
    struct Case {
        const char* name;
        std::array<std::size_t, 3> sizes;
        std::array<std::uint32_t, 3> offsets;  // 0 = entry unused
        std::uint32_t used;
    };
    const Case cases[] = {
        {"logo 513, radio 100", {513, 100, 0}, {4128, 5120, 0}, 5632},
        {"gap in slot 1", {1, 0, 1}, {4128, 0, 4608}, 5120},
        // A first picture within 32 bytes below a multiple of 512 (or on one) must not run into
        // the second: 4128 + 500 ends past 4608.
        {"first picture ends after 4608", {500, 100, 0}, {4128, 5120, 0}, 5632},
        {"exact multiples", {512, 1024, 512}, {4128, 5120, 6144}, 6656},
        // One picture filling the payload: used 65024 is the last 512 boundary under 65472.
        {"largest single picture", {0, 60896, 0}, {0, 4128, 0}, 65024},
        // Data would end below 65473 but the allocation would carry the file past 65536 bytes.
        {"rounded allocation too large", {0, 60897, 0}, {0, 0, 0}, 4128},
        {"data itself past 65473", {0, 61345, 0}, {0, 0, 0}, 4128},
        {"middle left out, others kept", {100, 64000, 100}, {4128, 0, 4608}, 5120},
        {"last left out", {30000, 30000, 1000}, {4128, 34304, 0}, 64512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryLog log;
        std::array<std::vector<std::uint8_t>, 3> pics;
        for (int n = 0; n < 3; ++n)
            pics[n] = fillerBytes(c.sizes[n], static_cast<std::uint32_t>(n + 1));
        const auto built = build(pics, log);
        if (c.offsets == std::array<std::uint32_t, 3>{}) {
            EXPECT_TRUE(built.file.empty());  // nothing stored: no file
            EXPECT_TRUE(built.plan.leftOut[1]);
            continue;
        }
        EXPECT_EQ(fixtures::storeUsedSize(built.file), c.used);
        EXPECT_EQ(built.file.size(), 64u + c.used);
        EXPECT_LE(built.file.size(), 65536u);
        for (int n = 0; n < 3; ++n) {
            const auto e = fixtures::storeEntry(built.file, n);
            const bool stored = c.offsets[n] != 0;
            EXPECT_EQ(e.offset, c.offsets[n]) << "entry " << n;
            EXPECT_EQ(e.size, stored ? c.sizes[n] : 0u) << "entry " << n;
            EXPECT_EQ(built.plan.leftOut[n], !stored && c.sizes[n] != 0) << "entry " << n;
            if (built.plan.leftOut[n]) {
                const auto lines = log.lines();
                EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                        [](const std::string& l) { return l.rfind("ERROR SIZE! ", 0) == 0; }));
            }
        }
    }
}

TEST(PictureStoreWrite, NothingStoredWritesNothing) {
    MemoryLog log;
    EXPECT_TRUE(build(Pictures{}, log).file.empty());
    EXPECT_TRUE(log.contains("ERROR::return FALSE"));
    EXPECT_TRUE(build(Pictures{{fillerBytes(70000, 1), {}, {}}}, log).file.empty());
}

// Whatever the sizes, the writer produces a store the reader takes back with the same pictures,
// aligned and without overlap.
TEST(PictureStoreWrite, EveryWrittenStoreIsReadBack) {
    std::mt19937 rng(20240229);
    std::uniform_int_distribution<int> kind(0, 3);
    for (int round = 0; round < 300; ++round) {
        std::array<std::vector<std::uint8_t>, 3> pics;
        for (int n = 0; n < 3; ++n) {
            const int k = kind(rng);
            const std::size_t size = k == 0 ? 0 : k == 1 ? rng() % 2000 + 1 : k == 2 ? rng() % 40000 + 1 : rng() % 1024 + 60400;
            pics[n] = fillerBytes(size, static_cast<std::uint32_t>(round * 3 + n));
        }
        NullLog log;
        const auto built = build(pics, log);
        if (built.file.empty())
            continue;
        const auto parsed = picture_store_format::parsePictureStore(built.file, log);
        ASSERT_TRUE(parsed.ok()) << "round " << round;
        std::uint32_t previousEnd = 0;
        for (const auto& e : parsed.store.entries) {
            EXPECT_EQ(std::vector<std::uint8_t>(picture_store_format::entryData(built.file, e).begin(),
                                                picture_store_format::entryData(built.file, e).end()),
                      pics[e.index]);
            EXPECT_GE(e.offset, previousEnd);
            EXPECT_TRUE(e.offset == 4128 || e.offset % 512 == 0);
            previousEnd = e.offset + e.size;
        }
        EXPECT_LE(previousEnd, parsed.store.usedSize);
        EXPECT_EQ(parsed.store.usedSize + 64u, built.file.size());
    }
}

// ------------------------------------------------------------------ reading

PictureStoreFixture backgroundOnly() {
    PictureStoreFixture s;
    s.entries.push_back({2, "background.jpg", 10000, 4128, fillerBytes(10000, 9)});
    s.usedSize = 14336;
    return s;
}

TEST(PictureStoreRead, LoadsTheEntriesIntoTheirSlotsAndLogs) {
    TempDir dir;
    const auto file = makePictureStoreFile(backgroundOnly());
    fixtures::writeFixtureFile(dir / "store.dsp", file);
    PictureStore store;
    store.setModified(true);
    MemoryLog log;
    ASSERT_TRUE(readPictureStore((dir / "store.dsp").string(), store, log));
    EXPECT_FALSE(store.slot(0).loaded());
    EXPECT_FALSE(store.slot(1).loaded());
    ASSERT_TRUE(store.slot(2).loaded());
    EXPECT_EQ(store.slot(2).sourceData(), fillerBytes(10000, 9));
    EXPECT_EQ(store.slot(2).encodedData(), fillerBytes(10000, 9));  // kept although not a JPEG
    EXPECT_EQ(store.slot(2).fileName(), "");
    EXPECT_EQ(store.currentPath(), (dir / "store.dsp").string());
    EXPECT_FALSE(store.modified());

    const auto first = fillerBytes(8, 9);
    for (const char* line : {"sizeof(FILESYS_INFO)=32 sizeof(FILESYS_INFO)=32", "addres=0x90000 WORD",
                             "size=0x1c00 WORD, size=14336", "FileReadSize=14400 (z 64 HEADER)",
                             "FileReadSize(WithoutHeader)=14336", "filesys_info->size=14336 b", "---------------",
                             "background.jpg", "file_info->size =10000 b", "file_info->wsk =0x1020 offset 4128 b"})
        EXPECT_TRUE(log.contains(line)) << line;
    EXPECT_TRUE(log.contains(format("%02X %02X %02X %02X %02X %02X %02X %02X", first[0], first[1], first[2], first[3],
                                    first[4], first[5], first[6], first[7])));
}

TEST(PictureStoreRead, ScanStopsAtTheFirstUsedEntryAbove2) {
    TempDir dir;
    PictureStoreFixture s;
    s.entries.push_back({1, "x_radio1.jpg", 100, 4128, fillerBytes(100, 1)});
    s.entries.push_back({5, "other.jpg", 100, 4608, fillerBytes(100, 2)});
    s.entries.push_back({2, "background.jpg", 100, 5120, fillerBytes(100, 3)});
    fixtures::writeFixtureFile(dir / "a.dsp", makePictureStoreFile(s));
    PictureStore store;
    NullLog log;
    ASSERT_TRUE(readPictureStore((dir / "a.dsp").string(), store, log));
    EXPECT_TRUE(store.slot(1).loaded());
    EXPECT_TRUE(store.slot(2).loaded());  // entry 2 comes before entry 5

    PictureStoreFixture only5;
    only5.entries.push_back({5, "other.jpg", 100, 4128, fillerBytes(100, 2)});
    only5.entries.push_back({6, "more.jpg", 100, 4608, fillerBytes(100, 2)});
    fixtures::writeFixtureFile(dir / "b.dsp", makePictureStoreFile(only5));
    PictureStore empty;
    ASSERT_TRUE(readPictureStore((dir / "b.dsp").string(), empty, log));
    EXPECT_FALSE(empty.anyLoaded());
    EXPECT_EQ(picture_store_format::parsePictureStore(makePictureStoreFile(only5), log).store.entries.size(), 0u);
}

TEST(PictureStoreRead, RefusedFilesLeaveTheStoreAsItWas) {
    auto withAddress = [](std::uint32_t address) {
        PictureStoreFixture s = backgroundOnly();
        s.address = address;
        return makePictureStoreFile(s);
    };
    auto withEntry = [](std::uint32_t size, std::uint32_t offset) {
        PictureStoreFixture s;
        s.entries.push_back({0, "mlogo25k.jpg", 100, 4128, fillerBytes(100, 1)});
        s.entries.push_back({1, "x_radio1.jpg", size, offset, {}});
        s.usedSize = 8192;
        return makePictureStoreFile(s);
    };
    PictureStoreFixture tooShort;
    tooShort.payloadSize = 4000;
    std::vector<std::uint8_t> tooLarge = withAddress(0x90000);
    tooLarge.resize(65537, 0xFF);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        const char* logLine;
    };
    const Case cases[] = {
        {"address 0x8000", withAddress(0x8000), "error_4"},
        {"above 65536 bytes", tooLarge, "error_1"},
        {"no complete header", std::vector<std::uint8_t>(40, ':'), "error_2"},
        {"empty file", {}, "error_2"},
        {"payload without the entry table", makePictureStoreFile(tooShort), nullptr},
        {"entry ends past the payload", withEntry(4000, 4608), nullptr},
        {"entry starts past the payload", withEntry(10, 70000), nullptr},
        {"size wraps around", withEntry(0xFFFFFFF0u, 4608), nullptr},
    };
    TempDir dir;
    NullLog quiet;
    const auto keep = pictest::makeJpeg({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::writeFixtureFile(dir / "bad.dsp", c.file);
        PictureStore store;
        ASSERT_TRUE(store.slot(0).load(keep, "keep.jpg", quiet));
        store.setCurrentPath("previous.dsp");
        store.setModified(true);
        MemoryLog log;
        EXPECT_FALSE(readPictureStore((dir / "bad.dsp").string(), store, log));
        if (c.logLine) {
            EXPECT_TRUE(log.contains(c.logLine));
        }
        EXPECT_EQ(store.slot(0).fileName(), "keep.jpg");
        EXPECT_EQ(store.slot(0).sourceData(), keep);
        EXPECT_FALSE(store.slot(1).loaded());
        EXPECT_EQ(store.currentPath(), "previous.dsp");
        EXPECT_TRUE(store.modified());
        EXPECT_FALSE(picture_store_format::parsePictureStore(c.file, quiet).ok());
    }
    PictureStore store;
    EXPECT_FALSE(readPictureStore((dir / "missing.dsp").string(), store, quiet));
}

// ------------------------------------------------------------------ files and the model

TEST(PictureStoreFile, WriteThenReadGivesTheSamePictures) {
    TempDir dir;
    PictureStore store;
    NullLog log;
    pictest::JpegRecipe logo, radio, background;
    logo.width = 1024;
    logo.height = 768;
    radio.width = 400;
    radio.height = 300;
    radio.grayscale = true;
    background.pattern = pictest::Pattern::Solid;
    ASSERT_TRUE(store.slot(0).load(pictest::makeJpeg(logo), "logo.jpg", log));
    ASSERT_TRUE(store.slot(1).load(pictest::makeJpeg(radio), "radio.jpg", log));
    ASSERT_TRUE(store.slot(2).load(pictest::makeJpeg(background), "bg.jpg", log));
    ASSERT_TRUE(store.slot(0).render({1, false, 50}, log));

    const std::string path = (dir / "out.dsp").string();
    const auto result = writePictureStore(path, store, log);
    ASSERT_TRUE(result.written) << result.error;
    EXPECT_EQ(store.currentPath(), path);
    EXPECT_FALSE(store.modified());
    const auto file = fixtures::readFixtureFile(path);
    EXPECT_EQ(std::string(file.begin() + 24, file.begin() + 32), todayStamp());

    PictureStore again;
    ASSERT_TRUE(readPictureStore(path, again, log));
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(again.slot(n).sourceData(), store.slot(n).encodedData());
        EXPECT_TRUE(again.slot(n).decodable());
        EXPECT_EQ(again.slot(n).bitmap().width, store.slot(n).bitmap().width);
    }
    EXPECT_EQ(again.slot(1).bitmap().width, 400);
}

TEST(PictureStoreFile, FailedOrEmptySaveKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = (dir / "keep.dsp").string();
    const std::vector<std::uint8_t> previous = {1, 2, 3};
    fixtures::writeFixtureFile(path, previous);
    PictureStore store;
    store.setModified(true);
    MemoryLog log;
    const auto none = writePictureStore(path, store, log);
    EXPECT_FALSE(none.written);
    EXPECT_EQ(fixtures::readFixtureFile(path), previous);
    EXPECT_TRUE(store.modified());

    NullLog quiet;
    ASSERT_TRUE(store.slot(0).load(pictest::makeJpeg({}), "", quiet));
    const auto noFolder = writePictureStore((dir / "missing" / "x.dsp").string(), store, log);
    EXPECT_FALSE(noFolder.written);
    EXPECT_FALSE(noFolder.error.empty());
    EXPECT_TRUE(store.currentPath().empty());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(PictureStoreModel, MemoryFigureAndResets) {
    PictureStore store;
    NullLog log;
    EXPECT_EQ(store.memoryUse().used, 0u);
    EXPECT_FALSE(store.memoryUse().errorSize());

    ASSERT_TRUE(store.slot(2).load(pictest::makeJpegOfSize(720, 576, 10000), "", log));
    EXPECT_EQ(store.memoryUse().used, 14128u);
    EXPECT_EQ(pictureMemoryText("Memory used:", store.memoryUse()), "Memory used: 13 Kbytes ");

    // 20481 + 20481 + 20000 + 4128 = 65090 stays under 65536, but the rounded allocations do not
    // fit: the background would be left out, and that shows as an error.
    ASSERT_TRUE(store.slot(0).load(pictest::makeJpegOfSize(720, 576, 20481), "", log));
    ASSERT_TRUE(store.slot(1).load(pictest::makeJpegOfSize(720, 576, 20481), "", log));
    ASSERT_TRUE(store.slot(2).load(pictest::makeJpegOfSize(720, 576, 20000), "", log));
    PictureMemoryUse use = store.memoryUse();
    EXPECT_EQ(use.used, 65090u);
    EXPECT_FALSE(use.overLimit);
    EXPECT_EQ(use.leftOut, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(pictureMemoryText("M", use), "M 63 Kbytes ERROR SIZE!");

    ASSERT_TRUE(store.slot(2).load(pictest::makeJpegOfSize(720, 576, 30000), "", log));
    EXPECT_TRUE(store.memoryUse().overLimit);

    store.slot(0).render({1, true, 10}, log);
    store.setCurrentPath("x.dsp");
    store.setModified(false);
    store.reset();
    EXPECT_FALSE(store.anyLoaded());
    EXPECT_TRUE(store.modified());
    EXPECT_TRUE(store.currentPath().empty());
    EXPECT_EQ(store.slot(0).effects(), PictureEffects{});
    EXPECT_EQ(store.memoryUse().used, 0u);
}

} // namespace
} // namespace cs
