// Opening and saving through the working image: the result codes, what a failed open leaves
// alone, byte-exact round trips, the header and integrity values refreshed by a save, and the
// save that never loses the previous file.
#include "common/log_sink.h"
#include "fixtures/image_builder.h"
#include "image/flash.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using fx::ChannelFields;
using fx::DatabaseFileKind;

constexpr const char* kDate = "20991231";

cs::SaveOptions fixedDate() {
    cs::SaveOptions o;
    o.date = kDate;
    return o;
}

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An image already in the form a save produces: compact channel table, providers numbered in
// the order a save assigns them, sorted transponders, non-trivial carried bytes everywhere.
fx::ImageBytes canonicalImage(DatabaseFileKind kind, std::size_t size) {
    fx::DatabaseImageBuilder b(kind, size);
    b.fillCarried(77).headerIdent("ID-12345");
    const auto& l = b.layout();
    const bool hasConfig = l.config != fx::ImageLayout::npos;
    if (l.base != fx::ImageLayout::npos) {
        const char* providers[] = {"", "Alpha", "Alpha", "Solo", "Beta", "Alpha", "Beta", ""};
        for (std::size_t i = 0; i < 8; ++i) {
            ChannelFields s;
            s.name = "Channel " + std::to_string(i);
            s.serviceId = static_cast<std::uint16_t>(100 + i);
            s.satellite = static_cast<std::uint8_t>(i < 6 ? 28 : 64);
            if (s.satellite == 64) {
                s.frequency = 5060;
                s.symbolRate = 0;
            }
            s.listPositions[0] = static_cast<std::uint16_t>(i % 2 ? i : 0);
            s.carried = fx::CarriedChannelBytes::pattern(static_cast<std::uint8_t>(i));
            // Numbers as a save assigns them: Alpha second seen at record 2 -> 1, Beta -> 2.
            const std::string p = providers[i];
            s.providerNumber = p == "Alpha" ? 1 : p == "Beta" ? 2 : 0;
            b.channel(i, s);
        }
        if (hasConfig) {
            b.provider(0, 1, "Alpha").provider(1, 2, "Beta");
            // "Solo" is carried by one channel only and therefore has no number.
        }
    }
    if (hasConfig) {
        b.defaultSatellites().listCount(3).listName(1, "Sport").listName(2, "News").listName(3, "Kids");
        b.converter(0, fx::ConverterFields{}).converter(3, fx::ConverterFields{5150, 5750, 0, 1, 0x5C});
        b.transponder(fx::satelliteTransponder(5, 11000, 27500, 2, 0));
        b.transponder(fx::satelliteTransponder(5, 11000, 27500, 2, 1));
        b.transponder(fx::satelliteTransponder(28, 10744, 22000, 4, 0));
        b.transponder(fx::dvbtTransponder(506000));
        b.transponder(fx::dvbcTransponder(3460, 6900, 3));
    }
    return b.build();
}

TEST(OpenImage, ResultCodes) {
    fx::TempDir dir;
    fx::writeFile(dir / "db.dsp", fx::DatabaseImageBuilder(DatabaseFileKind::Settings).build());
    fx::writeFile(dir / "sw.dsp", fx::softwareImage());
    fx::writeFile(dir / "plugin.dsp", fx::pluginImage(0xA0000));
    fx::writeFile(dir / "pictures.dsp", fx::pictureStoreHeaderImage());
    fx::writeFile(dir / "garbage.dsp", std::vector<std::uint8_t>(0x60040, 0x3A));
    fx::writeFile(dir / "empty.dsp", {});
    ASSERT_EQ(::mkfifo((dir / "fifo.dsp").c_str(), 0600), 0);

    struct Case {
        std::string path;
        cs::OpenResult code;
    };
    const Case cases[] = {
        {"", cs::OpenResult::NoFile},
        {(dir / "missing.dsp").string(), cs::OpenResult::NoFile},
        {dir.path().string(), cs::OpenResult::NoFile},
        {(dir / "garbage.dsp").string(), cs::OpenResult::NotDatabase},
        {(dir / "empty.dsp").string(), cs::OpenResult::NotDatabase},
        {(dir / "fifo.dsp").string(), cs::OpenResult::NotDatabase},
        {(dir / "sw.dsp").string(), cs::OpenResult::Software},
        {(dir / "plugin.dsp").string(), cs::OpenResult::Software},
        {(dir / "pictures.dsp").string(), cs::OpenResult::PictureStore},
        {(dir / "db.dsp").string(), cs::OpenResult::Loaded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        cs::NullLog log;
        cs::Flash flash(log);
        EXPECT_EQ(flash.openImage(c.path), c.code);
        EXPECT_EQ(flash.loaded(), c.code == cs::OpenResult::Loaded);
    }
}

TEST(OpenImage, LoadsTheTablesAndWritesTheOpenLog) {
    fx::TempDir dir;
    fx::writeFile(dir / "a.dsp", canonicalImage(DatabaseFileKind::Settings, 0x60040));
    cs::MemoryLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage((dir / "a.dsp").string()), cs::OpenResult::Loaded);

    EXPECT_EQ(flash.settings().listCount, 3);
    EXPECT_EQ(flash.settings().listName(2), "News");
    EXPECT_EQ(cs::countTransponders(flash.transponders()), 5u);
    EXPECT_EQ(flash.records()[7].name(), "Channel 7");
    EXPECT_FALSE(flash.records()[8] == flash.records()[7]);
    cs::PlainChannelSlots& slots = flash.plainSlots();
    EXPECT_EQ(slots.channelCount(), 8u);
    EXPECT_EQ(slots.providerName(1), "Alpha");
    EXPECT_EQ(slots.providerName(3), "");
    EXPECT_EQ(slots.verifiedProviders(flash), 2u);
    EXPECT_EQ(slots.listMembers(flash, 1), 4u);
    const auto used = slots.usedSatellites(flash);
    EXPECT_EQ(used.count(), 2u);
    EXPECT_TRUE(used[28] && used[64]);

    EXPECT_TRUE(log.contains("channel count=8"));
    EXPECT_TRUE(log.contains("listy_tem[]=Sport"));
    EXPECT_TRUE(log.contains("SYSTEM_INFO=16"));
    EXPECT_TRUE(log.contains("iTypeFile=0"));
    const auto lines = log.lines();
    const auto crcLine = std::find_if(lines.begin(), lines.end(), [](const std::string& s) { return s.rfind("CRC BA_3=0x", 0) == 0; });
    ASSERT_NE(crcLine, lines.end());
    EXPECT_NE(crcLine->find("  provider_verify=58AD7C01"), std::string::npos);
    EXPECT_TRUE(log.contains("BA_3 obliczone 0x" +
                             std::string(crcLine->substr(std::string("CRC BA_3=0x").size(), 4)) +
                             " provider_verify=58AD7C01"));

    log.clear();
    fx::writeFile(dir / "sw.dsp", fx::softwareImage());
    EXPECT_EQ(flash.openImage((dir / "sw.dsp").string()), cs::OpenResult::Software);
    EXPECT_EQ(log.lines().back(), "iTypeFile=1");
    EXPECT_FALSE(log.contains("channel count=8"));
}

TEST(OpenImage, AFailedOpenKeepsThePreviousDatabaseSoItsSaveWritesItsOwnBytes) {
    fx::TempDir dir;
    const auto original = canonicalImage(DatabaseFileKind::SettingsR78, 0x90040);
    fx::writeFile(dir / "list.dsp", original);
    fx::writeFile(dir / "sw.dsp", fx::softwareImage(0x90000));
    fx::writeFile(dir / "pictures.dsp", fx::pictureStoreHeaderImage(true, 0x90000));
    fx::writeFile(dir / "broken.dsp", fx::truncated(fx::DatabaseImageBuilder(DatabaseFileKind::Channels).build(), 0x30000));

    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage((dir / "list.dsp").string()), cs::OpenResult::Loaded);
    EXPECT_EQ(flash.openImage((dir / "sw.dsp").string()), cs::OpenResult::Software);
    EXPECT_EQ(flash.openImage((dir / "pictures.dsp").string()), cs::OpenResult::PictureStore);
    EXPECT_EQ(flash.openImage((dir / "broken.dsp").string()), cs::OpenResult::NotDatabase);
    EXPECT_EQ(flash.openImage((dir / "nothing.dsp").string()), cs::OpenResult::NoFile);

    EXPECT_EQ(flash.path(), (dir / "list.dsp").string());
    EXPECT_EQ(flash.image().kindText(), "settings.dsp (R7/R8)");
    ASSERT_EQ(flash.saveImage(flash.path(), true, fixedDate()), cs::SaveResult::Saved);
    auto saved = fx::readFile(dir / "list.dsp");
    ASSERT_EQ(saved.size(), original.size());
    std::copy_n(kDate, 8, saved.begin() + 24);
    auto expected = original;
    std::copy_n(kDate, 8, expected.begin() + 24);
    EXPECT_TRUE(saved == expected);
}

TEST(SaveImage, OpeningAndSavingACanonicalImageChangesOnlyTheHeaderDate) {
    struct Case {
        const char* what;
        fx::ImageBytes bytes;
    };
    const Case cases[] = {
        {"demo database", fx::demoDatabase()},
        {"R7/R8 0x90040", canonicalImage(DatabaseFileKind::SettingsR78, 0x90040)},
        {"R7/R8 0x80040", canonicalImage(DatabaseFileKind::SettingsR78, 0x80040)},
        {"settings 0x60040", canonicalImage(DatabaseFileKind::Settings, 0x60040)},
        {"settings 0x50040", canonicalImage(DatabaseFileKind::Settings, 0x50040)},
        {"channels 0x60040", canonicalImage(DatabaseFileKind::Channels, 0x60040)},
        {"config 0x40040", canonicalImage(DatabaseFileKind::Config, 0x40040)},
    };
    fx::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = dir / "in.dsp";
        fx::writeFile(path, c.bytes);
        cs::NullLog log;
        cs::Flash flash(log);
        ASSERT_EQ(flash.openImage(path.string()), cs::OpenResult::Loaded);
        ASSERT_EQ(flash.saveImage((dir / "out.dsp").string(), false, fixedDate()), cs::SaveResult::Saved);
        const auto saved = fx::readFile(dir / "out.dsp");
        ASSERT_EQ(saved.size(), c.bytes.size());
        EXPECT_EQ(std::string(saved.begin() + 24, saved.begin() + 32), kDate);
        std::size_t differing = 0, first = 0;
        for (std::size_t i = 0; i < saved.size(); ++i)
            if ((i < 24 || i >= 32) && saved[i] != c.bytes[i] && differing++ == 0)
                first = i;
        EXPECT_EQ(differing, 0u) << "first difference at file offset 0x" << std::hex << first;
    }
}

TEST(SaveImage, RefreshesHeaderCrcsAndCompactionButKeepsUninterpretedHeaderBytes) {
    fx::DatabaseImageBuilder b(DatabaseFileKind::Settings);
    b.fillCarried(5).headerIdent("KEEPME!!").headerFlags(0x0181);
    const std::uint8_t junk[16] = {'x', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    b.poke(0, junk);
    ChannelFields a, c;
    a.name = "First";
    a.providerNumber = 9;
    c.name = "Second";
    c.providerNumber = 9;
    b.channel(2, a).channel(6, c).rawRecord(4, fx::encodeChannelRecord(fx::withBadCrc(ChannelFields{})));
    b.provider(5, 9, "Nine");
    const std::uint8_t dirty[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    b.pokeSettingsArea(2048, dirty);
    const auto original = b.build();

    fx::TempDir dir;
    fx::writeFile(dir / "a.dsp", original);
    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage((dir / "a.dsp").string()), cs::OpenResult::Loaded);
    ASSERT_EQ(flash.saveImage((dir / "a.dsp").string(), false, fixedDate()), cs::SaveResult::Saved);
    const auto saved = fx::readFile(dir / "a.dsp");
    const auto l = fx::layoutOf(DatabaseFileKind::Settings, 0x60040);

    ASSERT_EQ(saved.size(), original.size());
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 16), std::string(16, ':'));
    EXPECT_TRUE(std::equal(saved.begin() + 16, saved.begin() + 24, original.begin() + 16));
    EXPECT_EQ(std::string(saved.begin() + 24, saved.begin() + 32), kDate);
    EXPECT_TRUE(std::equal(saved.begin() + 32, saved.begin() + 52, original.begin() + 32));
    EXPECT_EQ(fx::getU16(saved, 52), 0x0181);
    EXPECT_TRUE(std::equal(saved.begin() + 54, saved.begin() + 64, original.begin() + 54));

    EXPECT_TRUE(fx::settingsCrcValid(saved, l));
    EXPECT_TRUE(fx::providerAreaValid(saved, l));
    EXPECT_EQ(fx::getU32(saved, l.settingsBlock() + 2048), 0u);
    EXPECT_EQ(fx::getU32(saved, l.settingsBlock() + 2052), 0u);
    // Channels 2 and 6 become records 0 and 1 and share provider 1, "Nine" renumbered.
    EXPECT_EQ(cs::ChannelRecord(std::span(saved).subspan(l.base, 64)).name(), "First");
    EXPECT_EQ(cs::ChannelRecord(std::span(saved).subspan(l.base + 64, 64)).name(), "Second");
    EXPECT_EQ(saved[l.base + 128], 0xFF);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 4), 1);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 6), 1);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 4 + 2 * 2), 0);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 4 + 2 * 6), 0);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 8004 + 2), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&saved[l.providerBlock() + 8004 + 4])), "Nine");
    EXPECT_EQ(saved[l.providerBlock() + 8004 + 5 * 24 + 23], 0) << "the old record 6 is cleared";
    EXPECT_EQ(flash.lastSave().channelsWritten, 2u);
    EXPECT_EQ(flash.lastSave().providers.providers, 1u);
}

TEST(SaveImage, AreasThatFailedTheirChecksAreWrittenBackUnchanged) {
    const auto l = fx::layoutOf(DatabaseFileKind::SettingsR78, 0x90040);
    const auto original = fx::DatabaseImageBuilder(DatabaseFileKind::SettingsR78)
                              .fillCarried(3)
                              .listCount(2)
                              .listName(1, "A")
                              .provider(0, 1, "P")
                              .providerNumber(0, 1)
                              .providerNumber(1, 1)
                              .channel(0, ChannelFields{})
                              .settingsCrc(fx::AreaCrc::UpperHalfNonZero)
                              .providerCrc(fx::AreaCrc::Wrong)
                              .build();
    fx::TempDir dir;
    fx::writeFile(dir / "a.dsp", original);
    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage((dir / "a.dsp").string()), cs::OpenResult::Loaded);
    EXPECT_FALSE(flash.image().hasSettingsArea());
    EXPECT_FALSE(flash.image().hasProviderArea());
    EXPECT_EQ(flash.settings().listName(1), "1") << "defaults stay when BA_2 is absent";
    ASSERT_EQ(flash.saveImage((dir / "b.dsp").string(), false, fixedDate()), cs::SaveResult::Saved);
    const auto saved = fx::readFile(dir / "b.dsp");
    EXPECT_TRUE(std::equal(saved.begin() + l.settingsBlock(), saved.begin() + l.settingsBlock() + 8192, original.begin() + l.settingsBlock()));
    EXPECT_TRUE(std::equal(saved.begin() + l.providerBlock(), saved.begin() + l.providerBlock() + 32768, original.begin() + l.providerBlock()));
}

TEST(SaveImage, NothingOpenFailsWithoutCreatingAFile) {
    fx::TempDir dir;
    cs::NullLog log;
    cs::Flash flash(log);
    EXPECT_EQ(flash.saveImage((dir / "a.dsp").string(), true), cs::SaveResult::Failed);
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(SaveImage, PlainSaveKeepsTheSingleBackupAndSaveAsMakesNone) {
    fx::TempDir dir;
    const auto path = dir / "list.dsp";
    const auto first = fx::DatabaseImageBuilder(DatabaseFileKind::Channels).channel(3, ChannelFields{}).build();
    fx::writeFile(path, first);
    fx::writeFile(dir / "list.BAK", std::vector<std::uint8_t>{1, 2, 3});
    ::chmod(path.c_str(), 0640);

    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage(path.string()), cs::OpenResult::Loaded);
    ASSERT_EQ(flash.saveImage(path.string(), true, fixedDate()), cs::SaveResult::Saved);
    EXPECT_TRUE(flash.lastSave().backupMade);
    EXPECT_TRUE(fx::readFile(dir / "list.BAK") == first) << "the older backup is replaced";
    const auto afterFirstSave = fx::readFile(path);
    EXPECT_FALSE(afterFirstSave == first);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the saved file keeps the permissions of the one it replaces";

    cs::SaveOptions later = fixedDate();
    later.date = "21000101";
    ASSERT_EQ(flash.saveImage(path.string(), true, later), cs::SaveResult::Saved);
    EXPECT_TRUE(fx::readFile(dir / "list.BAK") == afterFirstSave);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"list.BAK", "list.dsp"}));

    ASSERT_EQ(flash.saveImage((dir / "copy.dsp").string(), false, later), cs::SaveResult::Saved);
    EXPECT_FALSE(flash.lastSave().backupMade);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"copy.dsp", "list.BAK", "list.dsp"}));
    EXPECT_TRUE(fx::readFile(dir / "copy.dsp") == fx::readFile(path));
}

TEST(SaveImage, APlainSaveWhoseBackupCannotBeMadeIsRefusedAndChangesNothing) {
    fx::TempDir dir;
    const auto path = dir / "list.dsp";
    const auto content = fx::DatabaseImageBuilder(DatabaseFileKind::Channels).channel(3, ChannelFields{}).build();
    fx::writeFile(path, content);
    fs::create_directory(dir / "list.BAK");  // something in the way of the backup

    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage(path.string()), cs::OpenResult::Loaded);
    EXPECT_EQ(flash.saveImage(path.string(), true, fixedDate()), cs::SaveResult::BackupRefused);
    EXPECT_FALSE(flash.lastSave().backupMade);
    EXPECT_NE(flash.lastSave().error.find("list.BAK"), std::string::npos) << flash.lastSave().error;
    EXPECT_NE(flash.lastSave().error.find("Save as"), std::string::npos) << flash.lastSave().error;
    EXPECT_TRUE(fx::readFile(path) == content) << "the file on disk stays as it was";
    EXPECT_TRUE(fs::is_directory(dir / "list.BAK"));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"list.BAK", "list.dsp"})) << "no temporary file is left";

    // Save as needs no backup and still works.
    EXPECT_EQ(flash.saveImage((dir / "copy.dsp").string(), false, fixedDate()), cs::SaveResult::Saved);
}

TEST(SaveImage, BackupNameReplacesOnlyTheFileNamesExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"list.dsp", "list.BAK"},
        {"/data/list.DSP", "/data/list.BAK"},
        {"/data/v1.2/list", "/data/v1.2/list.BAK"},
        {"archive.tar.dsp", "archive.tar.BAK"},
    };
    for (const auto& [file, bak] : cases)
        EXPECT_EQ(cs::backupPathFor(file), fs::path(bak)) << file;
}

TEST(SaveImage, SavingThroughASymbolicLinkWritesTheLinkedFile) {
    fx::TempDir dir;
    fx::writeFile(dir / "real.dsp", fx::DatabaseImageBuilder(DatabaseFileKind::Channels).build());
    fs::create_symlink("real.dsp", dir / "link.dsp");
    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage((dir / "link.dsp").string()), cs::OpenResult::Loaded);
    ASSERT_EQ(flash.saveImage((dir / "link.dsp").string(), true, fixedDate()), cs::SaveResult::Saved);
    EXPECT_TRUE(fs::is_symlink(dir / "link.dsp"));
    const auto real = fx::readFile(dir / "real.dsp");
    EXPECT_EQ(std::string(real.begin() + 24, real.begin() + 32), kDate);
    EXPECT_TRUE(fs::exists(dir / "real.BAK"));
}

// Limits the size of files this process may write, so that a write fails part-way as on a full
// disk (it works for root too, unlike permission bits).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*previous_)(int) = SIG_DFL;
};

TEST(SaveImage, AFailedWriteLeavesTheFileAndItsBackupUntouched) {
    fx::TempDir dir;
    const auto path = dir / "list.dsp";
    const auto content = fx::DatabaseImageBuilder(DatabaseFileKind::Settings).channel(0, ChannelFields{}).build();
    const std::vector<std::uint8_t> oldBackup = {9, 8, 7};
    fx::writeFile(path, content);
    fx::writeFile(dir / "list.BAK", oldBackup);

    cs::NullLog log;
    cs::Flash flash(log);
    ASSERT_EQ(flash.openImage(path.string()), cs::OpenResult::Loaded);
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(flash.saveImage(path.string(), true, fixedDate()), cs::SaveResult::Failed);
    }
    EXPECT_FALSE(flash.lastSave().error.empty());
    EXPECT_TRUE(fx::readFile(path) == content);
    EXPECT_TRUE(fx::readFile(dir / "list.BAK") == oldBackup);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"list.BAK", "list.dsp"})) << "no temporary file is left";

    // A folder that does not exist fails before anything is touched.
    EXPECT_EQ(flash.saveImage((dir / "no-such-folder" / "x.dsp").string(), false), cs::SaveResult::Failed);
    // Once the disk has room again the same save succeeds.
    EXPECT_EQ(flash.saveImage(path.string(), true, fixedDate()), cs::SaveResult::Saved);
    EXPECT_TRUE(fx::readFile(dir / "list.BAK") == content);
}

TEST(SaveImage, ReopeningASavedDemoGivesTheSameChannelsAndProviders) {
    fx::TempDir dir;
    fx::writeFile(dir / "demo.dsp", fx::demoDatabase());
    const auto facts = fx::demoFacts();
    cs::NullLog log;
    cs::Flash first(log);
    ASSERT_EQ(first.openImage((dir / "demo.dsp").string()), cs::OpenResult::Loaded);
    EXPECT_EQ(first.plainSlots().channelCount(), static_cast<std::size_t>(facts.channels));
    EXPECT_EQ(first.plainSlots().verifiedProviders(first), static_cast<std::size_t>(facts.providers));
    ASSERT_EQ(first.saveImage((dir / "saved.dsp").string(), false, fixedDate()), cs::SaveResult::Saved);

    cs::Flash second(log);
    ASSERT_EQ(second.openImage((dir / "saved.dsp").string()), cs::OpenResult::Loaded);
    ASSERT_EQ(second.plainSlots().channelCount(), first.plainSlots().channelCount());
    std::size_t j = 0;
    for (std::size_t i = 0; i < first.channelCapacity(); ++i) {
        if (!first.plainSlots().slotInUse(i))
            continue;
        ASSERT_TRUE(second.plainSlots().slotInUse(j));
        EXPECT_EQ(second.records()[j], first.records()[i]) << i;
        EXPECT_EQ(second.plainSlots().providerName(j), first.plainSlots().providerName(i)) << i;
        ++j;
    }
}

} // namespace
