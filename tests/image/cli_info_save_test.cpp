// `channelsettings-cli info` and `save` run as real processes on generated files: their JSON,
// their messages and their exit codes.
#include "fixtures/image_builder.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;

using cs::clitest::CliRun;
using cs::clitest::runCli;

std::string demoInfoJson(const fx::DemoFacts& f) {
    std::string s = "{\"result\": 0, \"typeFile\": 0, \"kind\": \"settings.dsp (R7/R8)\", \"capacity\": 8000, "
                    "\"base\": true, \"config\": true, \"ba2\": true, \"ba3\": true, \"channels\": " +
                    std::to_string(f.channels) + ", \"providers\": " + std::to_string(f.providers) +
                    ", \"transponders\": " + std::to_string(f.transponders) + ", \"satellites\": [";
    for (std::size_t i = 0; i < f.satellites.size(); ++i)
        s += (i ? ", " : "") + std::to_string(f.satellites[i]);
    s += "], \"lists\": [";
    for (std::size_t i = 0; i < f.lists.size(); ++i)
        s += std::string(i ? ", " : "") + "{\"number\": " + std::to_string(f.lists[i].number) + ", \"name\": \"" +
             f.lists[i].name + "\", \"channels\": " + std::to_string(f.lists[i].channels) + "}";
    // The file information numbers that follow are checked with their own tests.
    return s + "], \"free\": " + std::to_string(8000 - f.channels) + ", \"tv\": ";
}

TEST(CliInfo, DescribesTheDemoDatabase) {
    fx::TempDir dir;
    fx::writeFile(dir / "demo.dsp", fx::demoDatabase());
    const CliRun r = runCli(dir.path(), {"info", (dir / "demo.dsp").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, demoInfoJson(fx::demoFacts()).size()), demoInfoJson(fx::demoFacts()));
    EXPECT_NE(r.out.find(", \"damagedRecords\": 0, "), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST(CliInfo, FilesThatAreNoDatabaseStillPrintTheObjectAndExit2) {
    fx::TempDir dir;
    fx::writeFile(dir / "sw.dsp", fx::softwareImage());
    fx::writeFile(dir / "pictures.dsp", fx::pictureStoreHeaderImage());
    fx::writeFile(dir / "bad.dsp", fx::truncated(fx::DatabaseImageBuilder(fx::DatabaseFileKind::Channels).build(), 1000));
    const std::string empty = ", \"kind\": \"\", \"capacity\": 0, \"base\": false, \"config\": false, \"ba2\": false, "
                              "\"ba3\": false, \"channels\": 0, \"providers\": 0, \"transponders\": 0, "
                              "\"satellites\": [], \"lists\": [], \"free\": 0, \"tv\": 0, \"radio\": 0, \"freeToAir\": 0, "
                              "\"scrambled\": 0, \"damagedRecords\": 0, \"duplicates\": {\"services\": 0, \"names\": 0}, "
                              "\"checks\": {\"settingsArea\": \"absent\", \"providerArea\": \"absent\"}, \"perSatellite\": []}\n";
    struct Case {
        std::string file;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {"missing.dsp", "{\"result\": 1, \"typeFile\": -1" + empty, "File missing.dsp doesn't  exist\n"},
        {"bad.dsp", "{\"result\": 2, \"typeFile\": -1" + empty,
         "File bad.dsp is not a valid format for database programs\n"},
        {"sw.dsp", "{\"result\": 26, \"typeFile\": 1" + empty, ""},
        {"pictures.dsp", "{\"result\": 42, \"typeFile\": 2" + empty, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const CliRun r = runCli(dir.path(), {"info", (dir / c.file).string()});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, c.out);
        if (!c.err.empty())
            EXPECT_EQ(r.err, c.err);
        else
            EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
    }
    EXPECT_EQ(runCli(dir.path(), {"info"}).exitCode, 1);
}

TEST(CliSave, InPlaceKeepsABackupAndOutWritesAnotherFileWithoutOne) {
    fx::TempDir dir;
    // Two valid channels with a gap and an invalid record between them, one provider for both.
    fx::ChannelFields a, b;
    a.name = "One";
    a.providerNumber = 4;
    b.name = "Two";
    b.providerNumber = 4;
    const auto original = fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings)
                              .channel(1, a)
                              .rawRecord(2, fx::encodeChannelRecord(fx::withBadCrc(fx::ChannelFields{})))
                              .channel(7, b)
                              .provider(10, 4, "Four")
                              .build();
    const auto path = dir / "list.dsp";
    fx::writeFile(path, original);

    const CliRun r = runCli(dir.path(), {"save", path.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"saved\": \"" + path.string() + "\", \"channels\": 2, \"providers\": 1, \"backup\": \"" +
                         (dir / "list.BAK").string() + "\"}\n");
    EXPECT_TRUE(fx::readFile(dir / "list.BAK") == original);
    const auto saved = fx::readFile(path);
    ASSERT_EQ(saved.size(), original.size());
    const auto l = fx::layoutOf(fx::DatabaseFileKind::Settings, 0x60040);
    EXPECT_TRUE(fx::recordCrcValid(std::span(saved).subspan(l.base + 64, 64)));
    EXPECT_EQ(saved[l.base + 128 + 46], 0xFF);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 4), 1);
    EXPECT_EQ(fx::getU16(saved, l.providerBlock() + 6), 1);
    EXPECT_TRUE(fx::providerAreaValid(saved, l));

    const CliRun again = runCli(dir.path(), {"info", path.string()});
    EXPECT_NE(again.out.find("\"channels\": 2, \"providers\": 1,"), std::string::npos) << again.out;

    const CliRun copy = runCli(dir.path(), {"save", path.string(), "--out", (dir / "copy.dsp").string()});
    ASSERT_EQ(copy.exitCode, 0) << copy.err;
    EXPECT_NE(copy.out.find("\"backup\": null"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "copy.BAK"));
    EXPECT_EQ(fx::readFile(dir / "copy.dsp").size(), original.size());
}

TEST(CliSave, ExitCodesForABadInputAndAFailedWrite) {
    fx::TempDir dir;
    fx::writeFile(dir / "sw.dsp", fx::softwareImage());
    fx::writeFile(dir / "db.dsp", fx::DatabaseImageBuilder(fx::DatabaseFileKind::Channels).build());

    const CliRun notDb = runCli(dir.path(), {"save", (dir / "sw.dsp").string()});
    EXPECT_EQ(notDb.exitCode, 2);
    EXPECT_FALSE(fs::exists(dir / "sw.BAK"));

    const CliRun missing = runCli(dir.path(), {"save", (dir / "none.dsp").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "File none.dsp doesn't  exist\n");

    const auto target = dir / "no-folder" / "out.dsp";
    const CliRun failed = runCli(dir.path(), {"save", (dir / "db.dsp").string(), "--out", target.string()});
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_NE(failed.err.find("Unable to save file " + target.string()), std::string::npos) << failed.err;
    EXPECT_EQ(failed.out, "");

    EXPECT_EQ(runCli(dir.path(), {"save", (dir / "db.dsp").string(), "--bogus"}).exitCode, 1);
}

TEST(CliSave, APlainSaveWhoseBackupCannotBeMadeSaysWhyAndLeavesTheFile) {
    fx::TempDir dir;
    const auto path = dir / "db.dsp";
    const auto content = fx::DatabaseImageBuilder(fx::DatabaseFileKind::Channels).build();
    fx::writeFile(path, content);
    fs::create_directory(dir / "db.BAK");

    const CliRun r = runCli(dir.path(), {"save", path.string()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Unable to save file " + path.string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("db.BAK"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Save as"), std::string::npos) << r.err;
    EXPECT_TRUE(fx::readFile(path) == content);
}

} // namespace
