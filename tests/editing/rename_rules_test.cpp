// Renaming many channels at once: plain and regular-expression find and replace, letter case,
// and the receiver's name rules on every new name.
#include "editing/rename_rules.h"

#include "fixtures/image_builder.h"

#include "common/log_sink.h"
#include "image/flash.h"

#include <gtest/gtest.h>

namespace cs::editing {
namespace {

namespace fx = cs::fixtures;

TEST(RenameRules, FindAndReplaceInOneName) {
    struct Case {
        const char* find;
        const char* replace;
        bool regex, ignoreCase;
        const char* name;
        bool matches;
        const char* result;
    } cases[] = {
        {"HD", "", false, false, "HD Sport HD", true, " Sport "},
        {"hd", "UHD", false, false, "HD Sport", false, "HD Sport"},
        {"hd", "UHD", false, true, "HD Sport hd", true, "UHD Sport UHD"},
        {"aa", "b", false, false, "aaa", true, "ba"},                   // matches do not overlap
        {".", "-", false, false, "a.b.c", true, "a-b-c"},               // plain text: no metacharacters
        {"$1", "x", false, false, "Cost $1", true, "Cost x"},
        {"^HD (.*)$", "$1 HD", true, false, "HD Sport", true, "Sport HD"},
        {"^hd (.*)$", "$1 HD", true, true, "hd News", true, "News HD"},
        {"^HD (.*)$", "$1 HD", true, false, "Sport HD", false, "Sport HD"},
        {"[0-9]+", "#", true, false, "Sky 1 2", true, "Sky # #"},
        {"^", "TV ", true, false, "Arte", true, "TV Arte"},
        {"e", "$&$&", true, false, "Arte", true, "Artee"},
    };
    for (const Case& c : cases) {
        const auto r = NameRewriter::make({c.find, c.replace, c.regex, c.ignoreCase});
        ASSERT_TRUE(r) << c.find;
        EXPECT_EQ(r->matches(c.name), c.matches) << c.find << " in " << c.name;
        EXPECT_EQ(r->rewrite(c.name), c.result) << c.find << " in " << c.name;
    }
}

TEST(RenameRules, UnusableFindTextsAreRefusedWithTheirReason) {
    struct Case {
        std::string find;
        bool regex;
        RenamePatternProblem problem;
    } cases[] = {
        {"", false, RenamePatternProblem::Empty},
        {"", true, RenamePatternProblem::Empty},
        {std::string(kRenamePatternMax + 1, 'a'), false, RenamePatternProblem::TooLong},
        {"(unclosed", true, RenamePatternProblem::BadExpression},
        {"[z-a]", true, RenamePatternProblem::BadExpression},
        {"(unclosed", false, RenamePatternProblem::None},  // plain text takes it as it stands
    };
    for (const Case& c : cases) {
        RenamePatternProblem problem = RenamePatternProblem::None;
        std::string detail;
        const auto r = NameRewriter::make({c.find, "x", c.regex, false}, &problem, &detail);
        EXPECT_EQ(r.has_value(), c.problem == RenamePatternProblem::None) << c.find;
        EXPECT_EQ(problem, c.problem) << c.find;
        if (c.problem == RenamePatternProblem::BadExpression) {
            EXPECT_FALSE(detail.empty());
        }
    }
}

class RenameDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
        b.defaultSatellites();
        const char* names[] = {"HD Sport", "HD Fifteen chars", "News", "HD \x7f", "HD Kino", "HD"};
        for (std::uint16_t i = 0; i < std::size(names); ++i) {
            fx::ChannelFields s;
            s.name = names[i];
            s.serviceId = static_cast<std::uint16_t>(i + 1);
            s.frequency = static_cast<std::uint16_t>(11000 + i * 20);
            b.channel(i, s);
        }
        const auto file = dir.path() / "names.dsp";
        fx::writeFile(file, b.build());
        ASSERT_EQ(flash.openImage(file.string()), OpenResult::Loaded);
    }
    fx::TempDir dir;
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
};

TEST_F(RenameDatabase, EveryNewNamePassesTheNameRulesAndTheRulesAreMarked) {
    const std::uint16_t slots[] = {0, 1, 2, 3, 4, 5};
    const auto rewriter = NameRewriter::make({"^HD (.*)$", "$1 HD", true, false});
    ASSERT_TRUE(rewriter);
    const auto rows = previewRename(db, slots, *rewriter);
    ASSERT_EQ(rows.size(), 6u);
    struct Expect {
        const char* newName;
        bool matched, ruled, renamed;
    } expect[] = {
        {"Sport HD", true, false, true},
        {"Fifteen chars H", true, true, true},  // 16 characters cut to 15
        {"News", false, false, false},
        {" HD", true, true, true},  // "\x7f HD": the rules drop the 0x7f (blanks go only before it)
        {"Kino HD", true, false, true},
        {"HD", false, false, false},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].newName, expect[i].newName) << i;
        EXPECT_EQ(rows[i].matched, expect[i].matched) << i;
        EXPECT_EQ(rows[i].ruled, expect[i].ruled) << i;
        EXPECT_EQ(rows[i].renamed(), expect[i].renamed) << i;
    }
    EXPECT_EQ(rows[3].replaced, "\x7f HD");
    const RenameSummary sum = applyRename(db, rows);
    EXPECT_EQ(sum.renamed, 4u);
    EXPECT_EQ(sum.unchanged, 2u);
    EXPECT_EQ(sum.cut, 2u);
    EXPECT_EQ(db.record(0).name(), "Sport HD");
    EXPECT_EQ(db.record(1).name(), "Fifteen chars H");
    EXPECT_EQ(db.record(2).name(), "News");
    EXPECT_EQ(db.record(3).name(), " HD");
}

TEST_F(RenameDatabase, ANameTheRulesWouldEmptyKeepsItsOldName) {
    const std::uint16_t slots[] = {5, 2};
    const auto rewriter = NameRewriter::make({"HD", "\x01", false, false});
    const auto rows = previewRename(db, slots, *rewriter);
    EXPECT_EQ(rows[0].newName, "HD");
    EXPECT_TRUE(rows[0].ruled);
    EXPECT_FALSE(rows[0].renamed());
    const RenameSummary sum = applyRename(db, rows);
    EXPECT_EQ(sum.renamed, 0u);
    EXPECT_EQ(sum.unchanged, 2u);
    EXPECT_EQ(sum.cut, 1u);
    EXPECT_EQ(db.record(5).name(), "HD");
}

} // namespace
} // namespace cs::editing
