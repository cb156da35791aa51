// `channelsettings-cli diff` as a real process on generated files: the exact JSON of an edited
// copy, a file against itself and against its own save, and the exit codes of diff and cmp.
#include "fixtures/image_builder.h"
#include "json_value.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fx = cs::fixtures;
using cs::clitest::CliRun;
using cs::clitest::runCli;

fx::ChannelFields ch(std::string name, std::uint16_t sid, std::uint16_t frequency, std::uint16_t listPosition = 0) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.frequency = frequency;
    s.satellite = 28;
    s.listPositions[0] = listPosition;
    return s;
}

// Four channels, list 1 holding B then C.
fx::ImageBytes before() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(1).listName(1, "Fav");
    b.channel(0, ch("A", 1, 11000)).channel(1, ch("B", 2, 11100, 1)).channel(2, ch("C", 3, 11200, 2));
    b.channel(3, ch("D", 4, 11300));
    return b.build();
}

// B renamed "B\xE9" (Latin-1), D gone, E new, A moved behind C, list 1 holds C then B, a
// converter changed.
fx::ImageBytes after() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(1).listName(1, "Fav");
    b.channel(0, ch("B\xE9", 2, 11100, 2)).channel(1, ch("C", 3, 11200, 1)).channel(2, ch("A", 1, 11000));
    b.channel(3, ch("E", 5, 11400));
    b.converter(1, fx::ConverterFields{5150, 5750, 0, 1, 0});
    return b.build();
}

class CliDiff : public ::testing::Test {
protected:
    void SetUp() override {
        fx::writeFile(path("before.dsp"), before());
        fx::writeFile(path("after.dsp"), after());
    }
    std::string path(const char* name) const { return (dir.path() / name).string(); }
    CliRun run(std::vector<std::string> args) { return runCli(dir.path(), args); }
    fx::TempDir dir;
};

TEST_F(CliDiff, EditedCopyPrintsEveryChangeAndExitsOne) {
    const CliRun r = run({"diff", path("before.dsp"), path("after.dsp")});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "{\"added\": 1, \"removed\": 1, \"renamed\": 1, \"moved\": 1, \"changed\": 0, "
              "\"lists\": [{\"number\": 1, \"added\": 0, \"removed\": 0, \"moved\": 1}], "
              "\"settings\": [\"converters\"], \"channels\": ["
              "{\"change\": \"moved\", \"slotA\": 0, \"slotB\": 2, \"nameA\": \"A\", \"nameB\": \"A\", \"fields\": [\"position\"]}, "
              "{\"change\": \"renamed\", \"slotA\": 1, \"slotB\": 0, \"nameA\": \"B\", \"nameB\": \"B\xC3\xA9\", \"fields\": [\"name\"]}, "
              "{\"change\": \"removed\", \"slotA\": 3, \"slotB\": null, \"nameA\": \"D\", \"nameB\": null, \"fields\": []}, "
              "{\"change\": \"added\", \"slotA\": null, \"slotB\": 3, \"nameA\": null, \"nameB\": \"E\", \"fields\": []}]}\n");
    std::string error;
    ASSERT_TRUE(cs::clitest::parseJson(r.out, &error)) << error;
}

TEST_F(CliDiff, AFileEqualsItselfAndItsOwnSave) {
    const std::string empty =
        "{\"added\": 0, \"removed\": 0, \"renamed\": 0, \"moved\": 0, \"changed\": 0, "
        "\"lists\": [{\"number\": 1, \"added\": 0, \"removed\": 0, \"moved\": 0}], \"settings\": [], \"channels\": []}\n";
    CliRun r = run({"diff", path("before.dsp"), path("before.dsp")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, empty);

    fx::writeFile(path("demo.dsp"), fx::demoDatabase());
    ASSERT_EQ(run({"save", path("demo.dsp"), "--out", path("saved.dsp")}).exitCode, 0);
    r = run({"diff", path("demo.dsp"), path("saved.dsp")});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    const auto json = cs::clitest::parseJson(r.out);
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)["channels"].items.size(), 0u);
    EXPECT_EQ((*json)["settings"].items.size(), 0u);
    EXPECT_EQ((*json)["lists"].items.size(), 4u);
}

TEST_F(CliDiff, TroubleExitsTwoAsDiffAndCmpDo) {
    std::ofstream(path("text.dsp")) << "no database here";
    std::filesystem::create_directory(path("folder.dsp"));
    struct Case {
        std::vector<std::string> args;
        const char* says;  // a part of the message on standard error
    };
    const Case cases[] = {
        {{"diff", path("before.dsp"), path("text.dsp")}, "text.dsp is not a valid format"},
        {{"diff", path("text.dsp"), path("before.dsp")}, "text.dsp is not a valid format"},
        {{"diff", path("before.dsp"), path("missing.dsp")}, "missing.dsp"},
        {{"diff", path("folder.dsp"), path("before.dsp")}, "folder.dsp"},
        {{"diff", path("before.dsp")}, "usage"},
        {{"diff", path("before.dsp"), path("after.dsp"), path("after.dsp")}, "usage"},
        {{"diff", "--fast", path("before.dsp"), path("after.dsp")}, "usage"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.says;
        EXPECT_EQ(r.out, "") << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

} // namespace
