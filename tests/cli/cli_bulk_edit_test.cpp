// `channelsettings-cli rename` and `transponders` as real processes on generated files: their
// JSON summaries, what the saved files hold, the backup, and the refusals that write nothing.
#include "fixtures/image_builder.h"
#include "fixtures/satellites_xml_fixture.h"
#include "support/cli_runner.h"

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "image/flash.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using cs::clitest::CliRun;
using cs::clitest::runCli;

fx::ImageBytes bulkImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(1).listName(1, "Fav");
    fx::SatelliteFields astra;
    astra.name = "Test 19.2E";
    astra.position = 19.2f;
    astra.side = 1;
    b.satellite(5, astra);
    const char* names[] = {"HD Sport", "News", "HD Fifteen chars", "hd Kino"};
    for (std::uint16_t i = 0; i < std::size(names); ++i) {
        fx::ChannelFields s;
        s.name = names[i];
        s.serviceId = static_cast<std::uint16_t>(i + 1);
        s.frequency = static_cast<std::uint16_t>(11000 + 20 * i);
        s.satellite = 5;
        if (i >= 2)
            s.listPositions[0] = static_cast<std::uint16_t>(i - 1);
        b.channel(i, s);
    }
    b.transponder(fx::satelliteTransponder(5, 11000, 27500, 3, 0));
    b.transponder(fx::satelliteTransponder(5, 11040, 22000, 3, 1, 1));
    b.transponder(fx::satelliteTransponder(5, 12500, 27500, 3, 0));
    b.transponder(fx::satelliteTransponder(6, 11040, 22000, 3, 1));
    return b.build();
}

struct Opened {
    cs::NullLog log;
    cs::Flash flash{log};
    cs::ChannelDatabase db{flash};
};

class CliBulkEdit : public ::testing::Test {
protected:
    void SetUp() override {
        fx::writeFile(path("bulk.dsp"), bulkImage());
        const std::vector<fx::XmlTransponderEntry> listed = {
            fx::xmlTransponder(11000, 27500, 0),         // as stored
            fx::xmlTransponder(11043, 27500, 1),         // moved a little: changed
            fx::xmlTransponder(11700, 27500, 1, 4),      // new
            fx::xmlTransponder(11800, 27500, 0, 3, 1, 2),  // 8PSK: skipped
            fx::xmlTransponder(11900, 27500, 2),         // circular: skipped
        };
        writeText("satellites.xml",
                  fx::satellitesXmlText({{"Other", "130", {fx::xmlTransponder(11000, 27500, 0)}}, {"Astra", "192", listed}}));
    }
    std::string path(const char* name) const { return (dir.path() / name).string(); }
    CliRun run(std::vector<std::string> args) { return runCli(dir.path(), args); }
    void writeText(const char* name, const std::string& text) { std::ofstream(path(name), std::ios::binary) << text; }
    static std::unique_ptr<Opened> open(const std::string& file) {
        auto o = std::make_unique<Opened>();
        EXPECT_EQ(o->flash.openImage(file), cs::OpenResult::Loaded);
        return o;
    }
    static std::vector<std::string> names(const std::string& file) {
        const auto o = open(file);
        std::vector<std::string> out;
        for (std::size_t s = 0; s < 4; ++s)
            out.emplace_back(o->db.record(s).name());
        return out;
    }
    static std::vector<std::pair<unsigned, unsigned>> transponders(const std::string& file, unsigned satellite) {
        const auto o = open(file);
        std::vector<std::pair<unsigned, unsigned>> out;
        for (const std::uint16_t i : cs::transponderList(satellite, o->flash.transponders()).indices())
            out.emplace_back(o->flash.transponders()[i].frequency(), o->flash.transponders()[i].polarisation());
        return out;
    }
    fx::TempDir dir;
};

TEST_F(CliBulkEdit, RenameMovesAPrefixThroughTheNameRules) {
    struct Case {
        std::vector<std::string> options;
        std::string summary;
        std::vector<std::string> names;
    } cases[] = {
        {{"--find", "^HD (.*)$", "--replace", "$1 HD", "--regex"},
         "{\"renamed\": 2, \"unchanged\": 2, \"cut\": 1}",
         {"Sport HD", "News", "Fifteen chars H", "hd Kino"}},
        {{"--find", "^HD (.*)$", "--replace", "$1 HD", "--regex", "--ignore-case"},
         "{\"renamed\": 3, \"unchanged\": 1, \"cut\": 1}",
         {"Sport HD", "News", "Fifteen chars H", "Kino HD"}},
        {{"--find", "HD", "--replace", "UHD"},
         "{\"renamed\": 2, \"unchanged\": 2, \"cut\": 1}",
         {"UHD Sport", "News", "UHD Fifteen cha", "hd Kino"}},
        {{"--find", "hd", "--replace", "", "--ignore-case", "--list", "1"},
         "{\"renamed\": 2, \"unchanged\": 0, \"cut\": 2}",  // leading blanks go
         {"HD Sport", "News", "Fifteen chars", "Kino"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"rename", path("bulk.dsp")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"--out", path("out.dsp")});
        const CliRun r = run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.summary + "\n") << c.options[1];
        EXPECT_EQ(names(path("out.dsp")), c.names) << c.options[1];
    }
    EXPECT_FALSE(fs::exists(path("bulk.BAK")));
}

TEST_F(CliBulkEdit, RenameInPlaceKeepsABackupAndRefusesBadArguments) {
    const auto before = fx::readFile(path("bulk.dsp"));
    const CliRun r = run({"rename", path("bulk.dsp"), "--find", "News", "--replace", "Nachrichten"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"renamed\": 1, \"unchanged\": 3, \"cut\": 0}\n");
    EXPECT_EQ(fx::readFile(path("bulk.BAK")), before);
    EXPECT_EQ(names(path("bulk.dsp"))[1], "Nachrichten");

    const auto saved = fx::readFile(path("bulk.dsp"));
    const std::vector<std::string> refused[] = {
        {"rename", path("bulk.dsp"), "--find", "(", "--replace", "x", "--regex"},
        {"rename", path("bulk.dsp"), "--find", "", "--replace", "x"},
        {"rename", path("bulk.dsp"), "--find", "a"},
        {"rename", path("bulk.dsp"), "--find", "a", "--replace", "b", "--list", "9"},
        {"rename", path("bulk.dsp"), "--find", "a", "--replace", "b", "--list", "2"},  // the file has one list
    };
    for (const auto& args : refused) {
        const CliRun bad = run(args);
        EXPECT_EQ(bad.exitCode, 1) << args[3];
        EXPECT_TRUE(bad.out.empty());
        EXPECT_FALSE(bad.err.empty());
    }
    EXPECT_EQ(run({"rename", path("missing.dsp"), "--find", "a", "--replace", "b"}).exitCode, 2);
    EXPECT_EQ(fx::readFile(path("bulk.dsp")), saved);
}

TEST_F(CliBulkEdit, TranspondersFollowTheSatOfTheSatellitesPosition) {
    const CliRun r = run({"transponders", path("bulk.dsp"), "--from", path("satellites.xml"), "--satellite", "5",
                          "--out", path("out.dsp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"added\": 1, \"changed\": 1, \"removed\": 1, \"skipped\": 2}\n");
    EXPECT_NE(r.err.find("11800000 kHz H: modulation is not QPSK"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("11900000 kHz L: circular"), std::string::npos) << r.err;
    EXPECT_EQ(transponders(path("out.dsp"), 5),
              (std::vector<std::pair<unsigned, unsigned>>{{11000, 0}, {11043, 1}, {11700, 1}}));
    EXPECT_EQ(transponders(path("out.dsp"), 6), (std::vector<std::pair<unsigned, unsigned>>{{11040, 1}}));

    // --position picks another <sat>: 13.0E lists 11000 H only.
    const CliRun other = run({"transponders", path("bulk.dsp"), "--from", path("satellites.xml"), "--satellite",
                              "5", "--position", "130"});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    EXPECT_EQ(other.out, "{\"added\": 0, \"changed\": 0, \"removed\": 2, \"skipped\": 0}\n");
    EXPECT_TRUE(fs::exists(path("bulk.BAK")));
    EXPECT_EQ(transponders(path("bulk.dsp"), 5), (std::vector<std::pair<unsigned, unsigned>>{{11000, 0}}));
}

TEST_F(CliBulkEdit, TranspondersRefuseBadListsAndWriteNothing) {
    writeText("broken.xml", "<satellites><sat name=\"a\" position=\"192\">");
    writeText("entity.xml", "<?xml version=\"1.0\"?><!DOCTYPE satellites [<!ENTITY a \"x\">]><satellites/>");
    fs::create_directory(path("folder.xml"));
    const auto before = fx::readFile(path("bulk.dsp"));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"--from", path("broken.xml"), "--satellite", "5"}, 2},
        {{"--from", path("entity.xml"), "--satellite", "5"}, 2},
        {{"--from", path("folder.xml"), "--satellite", "5"}, 2},
        {{"--from", path("missing.xml"), "--satellite", "5"}, 2},
        {{"--from", path("satellites.xml"), "--satellite", "5", "--position", "282"}, 2},  // no such <sat>
        {{"--from", path("satellites.xml"), "--satellite", "64"}, 1},
        {{"--from", path("satellites.xml"), "--satellite", "5", "--position", "east"}, 1},
        {{"--satellite", "5"}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"transponders", path("bulk.dsp")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = run(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << " " << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(fx::readFile(path("bulk.dsp")), before);
    EXPECT_FALSE(fs::exists(path("bulk.BAK")));
}

} // namespace
