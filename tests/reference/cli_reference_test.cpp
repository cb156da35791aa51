// `channelsettings-cli export`, `order` and `duplicates` as real processes on generated files:
// the CSV, the JSON summaries, the saved files with their backup, and the exit codes.
#include "fixtures/image_builder.h"
#include "support/cli_runner.h"

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "image/flash.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using cs::clitest::CliRun;
using cs::clitest::runCli;

fx::ChannelFields ch(std::string name, std::uint16_t sid, std::uint16_t frequency, std::uint8_t satellite = 28) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.frequency = frequency;
    s.satellite = satellite;
    return s;
}

// Sorted by hand: C, A, B on satellite 28, D on DVB-T; list 1 holds B then C.
fx::ImageBytes sortedImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(1).listName(1, "Fav");
    fx::ChannelFields c = ch("C, the third", 3, 11300);
    c.listPositions[0] = 2;
    fx::ChannelFields bb = ch("B", 2, 11200);
    bb.listPositions[0] = 1;
    b.channel(0, c).channel(1, ch("A", 1, 11100)).channel(2, bb).channel(3, ch("D", 4, 4745, 64));
    return b.build();
}

// The same services after a rescan: another slot order, B renamed, a new E, no lists, and a
// duplicate of A on a neighbouring frequency.
fx::ImageBytes rescannedImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    b.channel(0, ch("D", 4, 4745, 64)).channel(1, ch("E", 9, 12000)).channel(2, ch("A", 1, 11104));
    b.channel(3, ch("B new", 2, 11200)).channel(4, ch("C, the third", 3, 11300)).channel(5, ch("A", 1, 11096));
    return b.build();
}

class CliReference : public ::testing::Test {
protected:
    void SetUp() override {
        fx::writeFile(path("sorted.dsp"), sortedImage());
        fx::writeFile(path("rescan.dsp"), rescannedImage());
    }
    std::string path(const char* name) const { return (dir.path() / name).string(); }
    CliRun run(std::vector<std::string> args) { return runCli(dir.path(), args); }
    void writeText(const char* name, const std::string& text) { std::ofstream(path(name), std::ios::binary) << text; }
    // Names in the order of the saved channel table, and of list 1.
    static std::vector<std::string> tableNames(const std::string& file, std::size_t list = 0) {
        cs::NullLog log;
        cs::Flash flash{log};
        cs::ChannelDatabase db{flash};
        EXPECT_EQ(flash.openImage(file), cs::OpenResult::Loaded);
        std::vector<std::pair<std::uint16_t, std::string>> rows;
        for (std::size_t s = 0; s < db.capacity(); ++s)
            if (db.entry(s).inUse() && (list == 0 || db.record(s).listPosition(list) != 0))
                rows.emplace_back(list ? db.record(s).listPosition(list) : static_cast<std::uint16_t>(s),
                                  std::string(db.record(s).name()));
        std::sort(rows.begin(), rows.end());
        std::vector<std::string> names;
        for (auto& r : rows)
            names.push_back(r.second);
        return names;
    }
    fx::TempDir dir;
};

TEST_F(CliReference, ExportPrintsTheViewAsCsv) {
    const CliRun all = run({"export", path("sorted.dsp")});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out, "position,name,satellite,frequency,polarisation,service_id\n"
                       "1,A,28,11100,H,1\n2,B,28,11200,H,2\n3,\"C, the third\",28,11300,H,3\n4,D,64,4745,H,4\n");
    const CliRun list = run({"export", path("sorted.dsp"), "--list", "1"});
    EXPECT_EQ(list.out, "position,name,satellite,frequency,polarisation,service_id\n"
                        "1,B,28,11200,H,2\n2,\"C, the third\",28,11300,H,3\n");
    EXPECT_EQ(run({"export", path("sorted.dsp"), "--satellite", "64"}).out,
              "position,name,satellite,frequency,polarisation,service_id\n1,D,64,4745,H,4\n");
    EXPECT_EQ(run({"export", path("sorted.dsp"), "--provider", "2"}).out, all.out);  // none has a provider

    EXPECT_EQ(run({"export", path("sorted.dsp"), "--list", "1", "--satellite", "28"}).exitCode, 1);
    EXPECT_EQ(run({"export", path("sorted.dsp"), "--list", "9"}).exitCode, 1);
    EXPECT_EQ(run({"export", path("sorted.dsp"), "--provider", "7"}).exitCode, 1);
    EXPECT_EQ(run({"export", path("missing.dsp")}).exitCode, 2);
    fx::writeFile(path("soft.dsp"), fx::softwareImage());
    EXPECT_EQ(run({"export", path("soft.dsp")}).exitCode, 2);
}

TEST_F(CliReference, OrderByADatabaseSavesInPlaceWithABackupAndTakesNamesAndLists) {
    const auto before = fx::readFile(path("rescan.dsp"));
    const CliRun r = run({"order", path("rescan.dsp"), path("sorted.dsp"), "--names", "--lists"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"matchedByService\": 4, \"matchedByName\": 0, \"unmatched\": 2, \"saved\": \"" +
                         path("rescan.dsp") + "\", \"backup\": \"" + (dir.path() / "rescan.BAK").string() + "\"}\n");
    EXPECT_EQ(fx::readFile(path("rescan.BAK")), before);
    // A at 11104 is nearer to the reference's 11100 than its twin at 11096: the twin follows.
    EXPECT_EQ(tableNames(path("rescan.dsp")), (std::vector<std::string>{"C, the third", "A", "B", "D", "E", "A"}));
    EXPECT_EQ(tableNames(path("rescan.dsp"), 1), (std::vector<std::string>{"B", "C, the third"}));
}

TEST_F(CliReference, OrderByAnExportedCsvToAnotherFileAndThenAFavouriteList) {
    writeText("sorted.csv", run({"export", path("sorted.dsp")}).out);
    const CliRun r = run({"order", path("rescan.dsp"), path("sorted.csv"), "--out", path("out.dsp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"matchedByService\": 4, \"matchedByName\": 0, \"unmatched\": 2, \"saved\": \"" +
                         path("out.dsp") + "\", \"backup\": null}\n");
    EXPECT_FALSE(fs::exists(path("out.BAK")));
    EXPECT_EQ(tableNames(path("out.dsp")), (std::vector<std::string>{"A", "B new", "C, the third", "D", "E", "A"}));

    writeText("list.csv", "position,name,satellite,frequency,polarisation,service_id\n1,C,28,11300,H,3\n2,A,28,11100,H,1\n");
    const CliRun l = run({"order", path("sorted.dsp"), path("list.csv"), "--list", "1"});
    ASSERT_EQ(l.exitCode, 0) << l.err;
    EXPECT_EQ(l.out.rfind("{\"matchedByService\": 2, \"matchedByName\": 0, \"unmatched\": 1, \"saved\": ", 0), 0u) << l.out;
    EXPECT_EQ(tableNames(path("sorted.dsp"), 1), (std::vector<std::string>{"C, the third", "A", "B"}));
}

TEST_F(CliReference, OrderRefusesWhatItCannotUseAndLeavesTheFileAlone) {
    writeText("bad.csv", "position,name\n1,A\n");
    writeText("good.csv", "position,name,satellite,frequency,polarisation,service_id\n1,A,28,11100,H,1\n");
    const auto before = fx::readFile(path("rescan.dsp"));
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string says;
    } cases[] = {
        {{"order", path("rescan.dsp"), path("bad.csv")}, 2, ""},
        {{"order", path("rescan.dsp"), path("nothing.csv")}, 2, ""},
        {{"order", path("nothing.dsp"), path("good.csv")}, 2, ""},
        {{"order", path("rescan.dsp"), path("good.csv"), "--lists"}, 1, ""},
        {{"order", path("rescan.dsp"), path("good.csv"), "--list", "1"}, 1, ""},  // the file has no lists
        {{"order", path("rescan.dsp"), path("good.csv"), "--list", "0"}, 1, ""},
        {{"order", path("rescan.dsp")}, 1, ""},
        {{"order", path("rescan.dsp"), dir.path().string()}, 2, "is a folder, not a file"},
        {{"order", path("rescan.dsp"), path("fifo")}, 2, "fifo is a named pipe (FIFO), not a file"},  // it would wait
        {{"order", path("rescan.dsp"), path("loop")}, 2, "loop is a symbolic link loop"},
    };
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_symlink("loop", path("loop"));
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(r.err.empty());
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args.back() << ": " << r.err;
    }
    EXPECT_EQ(fx::readFile(path("rescan.dsp")), before);
    EXPECT_FALSE(fs::exists(path("rescan.BAK")));
}

TEST_F(CliReference, ListsAreRebuiltOnlyFromAReferenceThatHasListsAndMatches) {
    // A reference with lists that shares no channel, and one that shares channels but has no lists.
    fx::DatabaseImageBuilder other(fx::DatabaseFileKind::Settings);
    fx::ChannelFields stranger = ch("Stranger", 77, 12500);
    stranger.listPositions[0] = 1;
    other.defaultSatellites().listCount(2).listName(1, "Other").channel(0, stranger);
    fx::writeFile(path("other.dsp"), other.build());
    const struct {
        const char* reference;
        const char* says;
    } cases[] = {
        {"other.dsp", "favourite lists left as they were: no channel of the reference matched\n"},
        {"rescan.dsp", "favourite lists left as they were: the reference has no favourite lists\n"},
    };
    for (const auto& c : cases) {
        fx::writeFile(path("sorted.dsp"), sortedImage());
        const CliRun r = run({"order", path("sorted.dsp"), path(c.reference), "--lists", "--out", path("out.dsp")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.reference << ": " << r.err;
        const CliRun info = run({"info", path("out.dsp")});
        EXPECT_NE(info.out.find("\"lists\": [{\"number\": 1, \"name\": \"Fav\", \"channels\": 2}]"), std::string::npos)
            << c.reference << ": " << info.out;
        EXPECT_EQ(tableNames(path("out.dsp"), 1), (std::vector<std::string>{"B", "C, the third"})) << c.reference;
    }
}

TEST_F(CliReference, NamesThatCannotBeTakenAsTheyAreAreCounted) {
    // A Cyrillic name has no single-byte form; an embedded NUL would cut the name unseen.
    writeText("names.csv", std::string("position,name,satellite,frequency,polarisation,service_id\n") +
                               "1,\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9,28,11100,H,1\n" +
                               std::string("2,B\0cut,28,11200,H,2\n", 21) + "3,Plain C,28,11300,H,3\n");
    const CliRun r = run({"order", path("sorted.dsp"), path("names.csv"), "--names", "--out", path("out.dsp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("2 names were changed to fit the receiver"), std::string::npos) << r.err;
}

TEST_F(CliReference, OrderThroughALinkReportsTheBackupBesideTheFile) {
    fs::create_directory(path("real"));
    fx::writeFile(dir.path() / "real" / "list.dsp", sortedImage());
    fs::create_symlink(dir.path() / "real" / "list.dsp", path("link.dsp"));
    const CliRun r = run({"order", path("link.dsp"), path("rescan.dsp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path backup = dir.path() / "real" / "list.BAK";
    EXPECT_TRUE(fs::exists(backup));
    EXPECT_FALSE(fs::exists(path("link.BAK")));
    EXPECT_NE(r.out.find("\"backup\": \"" + backup.string() + "\""), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_symlink(path("link.dsp")));
}

TEST_F(CliReference, DuplicatesPrintsTheGroupsBySlot) {
    const CliRun r = run({"duplicates", path("rescan.dsp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"services\": [[2, 5]], \"names\": [[2, 5]]}\n");
    EXPECT_EQ(run({"duplicates", path("sorted.dsp")}).out, "{\"services\": [], \"names\": []}\n");
    EXPECT_EQ(run({"duplicates", path("missing.dsp")}).exitCode, 2);
    EXPECT_EQ(run({"duplicates"}).exitCode, 1);
}

} // namespace
