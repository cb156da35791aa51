// What the window's commands decide without a window: which duplicates start chosen and which
// channel keeps the list places of each chosen one; reading a reference file and why one is
// refused; the export file's name and its safe write.
#include "database/database_test_support.h"
#include "reference/duplicate_choice.h"
#include "reference/export_file.h"
#include "reference/reference_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <fstream>

namespace {

using namespace cs::dbtest;
using Groups = std::vector<std::vector<std::uint16_t>>;

TEST(DuplicateChoice, SameServiceCopiesStartChosenSameNamesDoNot) {
    cs::DuplicateGroups groups;
    groups.services = {{2, 5, 9}, {4, 7}};
    groups.names = {{1, 3}};
    EXPECT_EQ(cs::defaultDuplicateChoice(groups), (Slots{5, 7, 9}));
}

TEST(DuplicateChoice, EachChosenChannelIsKeptByItsGroup) {
    cs::DuplicateGroups groups;
    groups.services = {{2, 5, 9}, {4, 7}};
    groups.names = {{1, 3}, {7, 8}};
    const struct {
        const char* what;
        Slots chosen;
        std::vector<cs::DuplicateRemoval> removals;
        Slots unkept;
    } cases[] = {
        {"the default choice", {5, 7, 9}, {{2, {5, 9}}, {4, {7}}}, {}},
        {"the first one chosen, the next one keeps", {2}, {{5, {2}}}, {}},
        {"a whole same-name group is refused", {1, 3}, {}, {1, 3}},
        {"a whole same-service group is refused", {2, 5, 9}, {}, {2, 5, 9}},
        {"a whole service group falls back to the name group", {4, 7}, {{8, {7}}}, {4}},
        {"slots outside every group are ignored", {6, 3}, {{1, {3}}}, {}},
    };
    for (const auto& c : cases) {
        const cs::DuplicatePlan plan = cs::planDuplicateRemoval(groups, c.chosen);
        ASSERT_EQ(plan.removals.size(), c.removals.size()) << c.what;
        for (std::size_t i = 0; i < c.removals.size(); ++i) {
            EXPECT_EQ(plan.removals[i].keep, c.removals[i].keep) << c.what;
            EXPECT_EQ(plan.removals[i].remove, c.removals[i].remove) << c.what;
        }
        EXPECT_EQ(plan.unkept, c.unkept) << c.what;
        EXPECT_EQ(plan.ok(), c.unkept.empty()) << c.what;
    }
}

TEST(DuplicateChoice, MembershipsAndReceiverNumbers) {
    auto b = settingsImage();
    b.listCount(2).listName(1, "A").listName(2, "B");
    fx::ChannelFields member = tv("Member", 2);
    member.listPositions = {1, 3};
    b.channel(2, tv("First", 1)).channel(6, member);
    OpenDatabase open(b.build());
    EXPECT_EQ(cs::listMemberships(open.db, 6), (std::vector<std::size_t>{1, 2}));
    EXPECT_TRUE(cs::listMemberships(open.db, 2).empty());
    const auto numbers = cs::tableNumbers(open.db);
    EXPECT_EQ(numbers[2], 1u);
    EXPECT_EQ(numbers[6], 2u);
    EXPECT_EQ(numbers[3], 0u);
}

TEST(ReferenceFile, DatabaseOrCsvOtherwiseTheReasonIsTyped) {
    fx::TempDir dir;
    auto b = settingsImage();
    b.channel(0, tv("Alpha", 1)).channel(1, tv("Bravo", 2));
    fx::writeFile(dir / "old.dsp", b.build());
    const cs::ReferenceFileResult database = cs::readReferenceFile((dir / "old.dsp").string());
    ASSERT_TRUE(database.ok());
    EXPECT_TRUE(database.list->fromDatabase);
    EXPECT_EQ(database.list->channels.size(), 2u);

    auto write = [&dir](const char* name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    const cs::ReferenceFileResult csv =
        cs::readReferenceFile(write("good.csv", std::string(cs::kReferenceCsvHeader) + "\n1,Alpha,28,11494,H,1\n"));
    ASSERT_TRUE(csv.ok());
    EXPECT_FALSE(csv.list->fromDatabase);
    EXPECT_EQ(csv.list->channels.at(0).name, "Alpha");

    const cs::ReferenceFileResult bad =
        cs::readReferenceFile(write("bad.csv", std::string(cs::kReferenceCsvHeader) + "\n1,Alpha,28,11494,H,1\n2,Beta,x,1,H,2\n"));
    EXPECT_EQ(bad.problem, cs::ReferenceFileProblem::BadList);
    EXPECT_NE(bad.csvError.find("line 3"), std::string::npos) << bad.csvError;

    const cs::ReferenceFileResult folder = cs::readReferenceFile(dir.path().string());
    EXPECT_EQ(folder.problem, cs::ReferenceFileProblem::NotRegular);
    EXPECT_EQ(folder.fileProblem, cs::FileProblem::Folder);
    const cs::ReferenceFileResult missing = cs::readReferenceFile((dir / "none.dsp").string());
    EXPECT_EQ(missing.problem, cs::ReferenceFileProblem::NotDatabase);
    EXPECT_EQ(missing.opened, cs::OpenResult::NoFile);
}

TEST(ExportFile, NamesAndExtension) {
    const struct {
        const char* caption;
        const char* name;
    } names[] = {{"LIST Sport", "LIST Sport.csv"}, {"S1-Astra 19.2/E", "S1-Astra 19.2_E.csv"}, {"", "channels.csv"},
                 {"..", "channels.csv"}, {"a:b*c?", "a_b_c_.csv"}};
    for (const auto& n : names)
        EXPECT_EQ(cs::csvFileNameFor(n.caption), n.name) << n.caption;
    EXPECT_EQ(cs::withCsvExtension("/x/list"), std::filesystem::path("/x/list.csv"));
    EXPECT_EQ(cs::withCsvExtension("/x/list.txt"), std::filesystem::path("/x/list.txt"));
    EXPECT_EQ(cs::withCsvExtension("/x.d/list"), std::filesystem::path("/x.d/list.csv"));
}

TEST(ExportFile, AFailedWriteKeepsTheOlderFileAndLeavesNoPartOfTheNewOne) {
    auto b = settingsImage();
    for (std::uint16_t i = 0; i < 40; ++i)
        b.channel(i, tv("Channel " + std::to_string(i), i));
    OpenDatabase open(b.build());
    const Slots shown = open.mainList();
    fx::TempDir dir;
    const auto target = dir / "list.csv";
    std::ofstream(target, std::ios::binary) << "old content\n";

    // A file size limit below the new file's size makes the write fail part way.
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 200;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const cs::CsvExportResult failed = cs::writeReferenceCsvFile(open.db, shown, target);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.empty());
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old content\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";

    const cs::CsvExportResult written = cs::writeReferenceCsvFile(open.db, shown, target);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.channels, 40u);
    std::ifstream again(target, std::ios::binary);
    const cs::CsvReadResult read = cs::readReferenceCsv(std::string(std::istreambuf_iterator<char>(again), {}));
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(read.list.channels.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(read.list.channels[i].name, open.db.record(shown[i]).name());
}

} // namespace
