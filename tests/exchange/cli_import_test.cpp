// `channelsettings-cli dsx` and `import` run as real processes on generated files: their JSON,
// their messages, their exit codes and the files they write.
#include "exchange_test_support.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace cs;
using namespace cs::extest;

using cs::clitest::CliRun;
using cs::clitest::runCli;

// Entry 0: ten channels with three providers; entry 2: colour profiles whose marker is not
// 2561; entry 5: receiver settings.
fx::DsxRecipe pack() {
    fx::ChannelBaseFixture base;
    for (int i = 0; i < 10; ++i)
        base.records.push_back(fx::encodeChannelRecord(tv("Imported " + std::to_string(i), static_cast<std::uint16_t>(i + 1))));
    base.providers = {{1, "Alpha"}, {2, "Beta"}, {3, "Gamma"}};
    base.providerNumbers = {1, 1, 2, 2, 3, 3, 1, 2, 3, 0};
    fx::DsxRecipe recipe;
    recipe.description = "Pack \"one\"\nsecond line";
    recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
                       {2, fx::kDsxColourProfiles, 77, fx::colourProfilesBlock(), {}},
                       {5, fx::kDsxReceiverSettings, fx::kDsxMarker, fx::receiverSettingsBlock(9), {}}};
    return recipe;
}

fx::ImageBytes database() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.provider(0, 1, "Old");
    for (std::size_t i = 0; i < 30; ++i)
        b.channel(i, tv("Old " + std::to_string(i), static_cast<std::uint16_t>(i + 1), 1));
    return b.build();
}

TEST(CliDsx, ListsDescriptionAndComponents) {
    fx::TempDir dir;
    const auto dsx = writeDsx(dir, pack());
    const CliRun r = runCli(dir.path(), {"dsx", dsx.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"description\": \"Pack \\\"one\\\"\\nsecond line\", \"components\": ["
                     "{\"entry\": 0, \"type\": 1, \"size\": 756, \"marker\": 2561, \"channels\": 10, \"providers\": 3}, "
                     "{\"entry\": 2, \"type\": 4, \"size\": 256, \"marker\": 77}, "
                     "{\"entry\": 5, \"type\": 8, \"size\": 4096, \"marker\": 2561}]}\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliDsx, FilesFailingTheirChecksExitWithTheEditorsMessage) {
    fx::TempDir dir;
    fx::ImageBytes bad = fx::encodeDsx(pack());
    bad[700] ^= 0x04;
    fx::writeFile(dir / "bad.dsx", bad);
    CliRun r = runCli(dir.path(), {"dsx", (dir / "bad.dsx").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Plik bad.dsx nie został poprawnie zinterpretowany\n");

    r = runCli(dir.path(), {"dsx", (dir / "gone.dsx").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Brak dostępu do pliku gone.dsx\n");

    r = runCli(dir.path(), {"import", (dir / "x.dsp").string()});
    EXPECT_EQ(r.exitCode, 1);
}

TEST(CliImport, ChannelBaseSavedAsSaveAsWithItsProviders) {
    fx::TempDir dir;
    const auto dsp = dir / "db.dsp";
    fx::writeFile(dsp, database());
    const auto dsx = writeDsx(dir, pack());
    const auto out = dir / "out.dsp";
    const CliRun r = runCli(dir.path(), {"import", dsp.string(), dsx.string(), "--out", out.string(), "--components", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"saved\": \"" + out.string() + "\", \"channels\": 10, \"providers\": 3, \"backup\": null}\n");
    EXPECT_NE(r.err.find("entry 0: channel base imported, 10 channels"), std::string::npos) << r.err;
    EXPECT_EQ(fx::readFile(dsp), database());
    EXPECT_FALSE(fs::exists(dir / "db.BAK"));

    NullLog log;
    Flash flash(log);
    ChannelDatabase db(flash);
    ASSERT_EQ(flash.openImage(out.string()), OpenResult::Loaded);
    ASSERT_EQ(db.channelCount(), 10u);
    const char* providers[] = {"Alpha", "Alpha", "Beta", "Beta", "Gamma", "Gamma", "Alpha", "Beta", "Gamma", ""};
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(db.record(i).name(), "Imported " + std::to_string(i));
        EXPECT_EQ(db.entry(i).provider(), providers[i]) << i;
    }
}

TEST(CliImport, SubItemsInPlaceWithBackup) {
    fx::TempDir dir;
    const auto dsp = dir / "db.dsp";
    fx::writeFile(dsp, database());
    const auto dsx = writeDsx(dir, pack());
    const CliRun r = runCli(dir.path(), {"import", dsp.string(), dsx.string(), "--components", "5:2+3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"saved\": \"" + dsp.string() + "\", \"channels\": 30, \"providers\": 1, \"backup\": \"" +
                         (dir / "db.BAK").string() + "\"}\n");
    EXPECT_EQ(fx::readFile(dir / "db.BAK"), database());

    NullLog log;
    Flash flash(log);
    ASSERT_EQ(flash.openImage(dsp.string()), OpenResult::Loaded);
    const fx::ImageBytes block = fx::receiverSettingsBlock(9);
    EXPECT_EQ(flash.settings().settings.converter(7).lof1, fx::getU16(block, 7 * 8));
}

TEST(CliImport, EveryComponentByDefaultAndInvalidMarkersSkipped) {
    fx::TempDir dir;
    const auto dsp = dir / "db.dsp";
    fx::writeFile(dsp, database());
    const CliRun r = runCli(dir.path(), {"import", dsp.string(), writeDsx(dir, pack()).string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("entry 0: channel base imported"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("entry 2: Directory entry 2 (colour profiles) is not marked as valid"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("entry 5: receiver settings imported"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\"channels\": 10"), std::string::npos) << r.out;
}

TEST(CliImport, RefusalsAndBadArgumentsWriteNothing) {
    fx::TempDir dir;
    const auto dsp = dir / "db.dsp";
    fx::writeFile(dsp, database());
    fx::DsxRecipe tooShort = pack();
    tooShort.components.push_back({9, fx::kDsxColourProfiles, fx::kDsxMarker, fx::ImageBytes(10, 1), {}});
    const auto dsx = writeDsx(dir, tooShort);
    struct Case {
        std::vector<std::string> extra;
        int exitCode;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"--components", "0,9"}, 2, "entry 9: The block of the colour profiles (entry 9) has 10 bytes, fewer than the 256"},
        {{"--components", "3"}, 1, "directory entry 3 is not a component of this file"},
        {{"--components", "0:1"}, 1, "directory entry 0 has no sub-items"},
        {{"--components", "5:9"}, 1, "malformed sub-items"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"import", dsp.string(), dsx.string()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const CliRun r = runCli(dir.path(), args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.extra.back();
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(fx::readFile(dsp), database());
        EXPECT_FALSE(fs::exists(dir / "db.BAK"));
    }

    // A database that does not open, and an import file that fails its checks.
    fx::writeFile(dir / "bad.dsx", fx::ImageBytes(600, 0x55));
    CliRun r = runCli(dir.path(), {"import", dsp.string(), (dir / "bad.dsx").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Plik bad.dsx nie został poprawnie zinterpretowany\n");
    r = runCli(dir.path(), {"import", (dir / "none.dsp").string(), dsx.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "File none.dsp doesn't  exist\n");
}

} // namespace
