// Undo and redo of every kind of database change on a generated image: after undo the image a
// save writes and the working settings are those before the change, after redo those after it.
#include "undo/database_undo.h"

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "exchange/import_apply.h"
#include "exchange/import_chooser.h"
#include "exchange/import_file.h"
#include "fixtures/image_builder.h"
#include "fixtures/import_file_fixture.h"
#include "image/flash.h"
#include "lang/language_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace cs::undo {
namespace {

namespace fx = cs::fixtures;

fx::ChannelFields tv(std::string name, std::uint16_t sid, std::uint8_t satellite = 28, std::uint16_t provider = 0) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.satellite = satellite;
    s.frequency = static_cast<std::uint16_t>(10700 + sid * 7);
    s.providerNumber = provider;
    return s;
}

// Channels on two satellites, two of three providers, two favourite lists, transponders.
fx::ImageBytes sampleImage() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(2).listName(1, "Films").listName(2, "News");
    b.provider(0, 1, "Alpha").provider(1, 2, "Beta").provider(2, 3, "Gamma");
    for (std::uint16_t i = 0; i < 40; ++i) {
        fx::ChannelFields s = tv("Chan " + std::to_string(i), static_cast<std::uint16_t>(i + 1),
                               i % 3 == 0 ? 19 : 28, static_cast<std::uint16_t>(i % 3 + 1));
        if (i % 4 == 0)
            s.listPositions[0] = static_cast<std::uint16_t>(i / 4 + 1);
        if (i % 5 == 0)
            s.listPositions[1] = static_cast<std::uint16_t>(i / 5 + 1);
        b.channel(static_cast<std::size_t>(i) * 2, s);
    }
    b.transponder(fx::satelliteTransponder(28, 11494, 22000)).transponder(fx::satelliteTransponder(19, 12188, 27500));
    return b.build();
}

class Session {
public:
    Session() : path_(dir_ / "undo.dsp"), savePath_(dir_ / "saved.dsp") {
        fx::writeFile(path_, sampleImage());
        EXPECT_EQ(flash.openImage(path_.string()), OpenResult::Loaded);
        undo.restart();
    }

    // The bytes a save of the current state writes.
    fx::ImageBytes saved() {
        SaveOptions options;
        options.sync = false;
        options.date = "20260101";
        EXPECT_EQ(flash.saveImage(savePath_.string(), false, options), SaveResult::Saved);
        return fx::readFile(savePath_);
    }
    std::vector<std::uint16_t> select(ViewRequest request) {
        db.selectChannels(request, view);
        const auto r = db.result();
        return {r.begin(), r.end()};
    }
    std::vector<std::string> names(ViewRequest request) {
        std::vector<std::string> out;
        for (auto slot : select(request))
            out.emplace_back(db.record(slot).name());
        return out;
    }
    const fx::TempDir& dir() const { return dir_; }

private:
    fx::TempDir dir_;
    std::filesystem::path path_;
    std::filesystem::path savePath_;

public:
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
    ViewSettings view;
    DatabaseUndo undo{db};
};

ViewRequest listView(std::uint8_t list) {
    ViewRequest r;
    r.list = list;
    return r;
}

ImportFile readImport(const fx::TempDir& dir, const fx::DsxRecipe& recipe) {
    const auto path = dir / "in.dsx";
    fx::writeFile(path, fx::encodeDsx(recipe));
    ImportFile file;
    EXPECT_EQ(readImportFile(path.string(), file), kImportRead);
    return file;
}

// The settings area's working values as the editor holds them, also what no save writes (the
// time zone lives only in the working record).
struct WorkingValues {
    std::array<SatelliteEntry, kSatelliteEntryCount> satellites;
    WorkingSettings settings;
    bool operator==(const WorkingValues&) const = default;
};

WorkingValues workingValues(const Session& s) { return {s.flash.settings().satellites, s.flash.settings().settings}; }

struct Operation {
    const char* name;
    std::function<void(Session&)> apply;
};

const std::vector<Operation>& operations() {
    static const std::vector<Operation> table = {
        {"delete marked",
         [](Session& s) {
             const auto rows = s.select(ViewRequest{});
             for (std::size_t k : {1u, 4u, 5u, 30u})
                 s.db.entry(rows[k]).setMarked(true);
             ASSERT_EQ(s.db.deleteMarked(), 4u);
         }},
        {"leave a favourite list",
         [](Session& s) {
             const auto rows = s.select(listView(1));
             s.db.entry(rows[0]).setMarked(true);
             ASSERT_EQ(s.db.deleteMarked(), 1u);
         }},
        {"erase a satellite", [](Session& s) { ASSERT_GT(s.db.deleteSatelliteChannels(19, s.view), 0u); }},
        {"erase every channel", [](Session& s) { ASSERT_GT(s.db.deleteSatelliteChannels(0, s.view), 0u); }},
        {"paste foreign channels",
         [](Session& s) {
             s.select(ViewRequest{});
             std::vector<IncomingChannel> incoming(3);
             for (std::size_t i = 0; i < incoming.size(); ++i) {
                 const fx::Record64 bytes =
                     fx::encodeChannelRecord(tv("Pasted " + std::to_string(i), static_cast<std::uint16_t>(900 + i)));
                 incoming[i].record = ChannelRecord(ConstBytes(bytes));
                 incoming[i].providerName = i == 0 ? "Delta" : "Alpha";
             }
             s.db.matchChannels(incoming);
             ASSERT_EQ(s.db.insertIncoming(incoming), 3u);
             s.db.rebuildProviders();
         }},
        {"move rows",
         [](Session& s) {
             ViewRequest sat28;
             sat28.satellite = 28;
             auto rows = s.select(sat28);
             std::rotate(rows.begin(), rows.begin() + 3, rows.end());
             s.db.applyViewOrder(rows);
             auto listed = s.select(listView(2));
             std::reverse(listed.begin(), listed.end());
             s.db.applyViewOrder(listed);
         }},
        {"create a list", [](Session& s) { ASSERT_EQ(s.db.addList("Sport"), 3u); }},
        {"rename a list", [](Session& s) { ASSERT_TRUE(s.db.renameList(1, "Sport")); }},
        {"delete a list", [](Session& s) { ASSERT_TRUE(s.db.deleteList(1)); }},
        {"rename a satellite", [](Session& s) { ASSERT_TRUE(s.db.renameSatellite(28, "Elsewhere")); }},
        {"rename a channel",
         [](Session& s) { s.db.record(s.select(ViewRequest{})[7]).setName("Renamed"); }},
        {"channel properties",
         [](Session& s) {
             const auto slot = s.select(ViewRequest{})[7];
             s.db.record(slot).setName("Renamed");
             s.db.record(slot).setAudioPid(81);
             s.db.entry(slot).setProvider("Omega");
             s.db.entry(slot).pmtPid = 99;
         }},
        {"working settings",
         [](Session& s) {
             s.flash.settings().settings.setTimeZone(3);
             s.flash.settings().satellites[2].position = 13.5f;
         }},
        {"transponder change",
         [](Session& s) {
             s.flash.transponders()[1].bytes()[2] ^= 0x5A;
             s.flash.transponders()[7].bytes()[0] = 28;
         }},
        {"import",
         [](Session& s) {
             fx::ChannelBaseFixture base;
             base.records = {fx::encodeChannelRecord(tv("Imported A", 1)), fx::encodeChannelRecord(tv("Imported B", 2))};
             fx::DsxRecipe recipe;
             recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
                                  {1, fx::kDsxReceiverSettings, fx::kDsxMarker, fx::receiverSettingsBlock(5), {}}};
             const ImportFile file = readImport(s.dir(), recipe);
             ImportChooser chooser(file);
             chooser.selectAll();
             ASSERT_TRUE(applyImport(file, chooser, s.db).modified);
         }},
    };
    return table;
}

TEST(DatabaseUndo, EveryOperationUndoesAndRedoesToTheBytesASaveWrites) {
    for (const Operation& op : operations()) {
        SCOPED_TRACE(op.name);
        Session s;
        const auto mainBefore = s.names(ViewRequest{});
        const auto before = s.saved();
        const WorkingValues workingBefore = workingValues(s);
        op.apply(s);
        ASSERT_TRUE(s.undo.record(op.name));
        const auto mainAfter = s.names(ViewRequest{});
        const auto after = s.saved();
        const WorkingValues workingAfter = workingValues(s);
        ASSERT_NE(before, after);
        EXPECT_TRUE(s.undo.modified());

        ASSERT_TRUE(s.undo.undo());
        EXPECT_EQ(s.saved(), before);
        EXPECT_EQ(s.names(ViewRequest{}), mainBefore);
        EXPECT_TRUE(workingValues(s) == workingBefore)
            << "time zone " << s.flash.settings().settings.timeZone() << ", was " << workingBefore.settings.timeZone();
        EXPECT_FALSE(s.undo.modified());
        EXPECT_EQ(s.undo.history().redoName(), op.name);

        ASSERT_TRUE(s.undo.redo());
        EXPECT_EQ(s.saved(), after);
        EXPECT_EQ(s.names(ViewRequest{}), mainAfter);
        EXPECT_TRUE(workingValues(s) == workingAfter)
            << "time zone " << s.flash.settings().settings.timeZone() << ", expected " << workingAfter.settings.timeZone();
        EXPECT_TRUE(s.undo.modified());
        EXPECT_FALSE(s.undo.history().canRedo());
    }
}

TEST(DatabaseUndo, StepsUndoInTurnAndANewChangeDropsTheRedoBranch) {
    Session s;
    std::vector<fx::ImageBytes> images{s.saved()};
    for (const Operation& op : operations()) {
        op.apply(s);
        ASSERT_TRUE(s.undo.record(op.name)) << op.name;
        images.push_back(s.saved());
    }
    const std::size_t n = operations().size();
    ASSERT_EQ(s.undo.history().size(), n);
    // Back three, forward one, back two: each stop is the image of its step.
    std::size_t at = n;
    for (int move : {-1, -1, -1, +1, -1, -1}) {
        ASSERT_TRUE(move < 0 ? s.undo.undo() : s.undo.redo());
        at += move;
        EXPECT_EQ(s.saved(), images[at]) << at;
    }
    ASSERT_TRUE(s.db.renameList(2, "Other"));
    ASSERT_TRUE(s.undo.record("Rename list Other"));
    EXPECT_FALSE(s.undo.history().canRedo());
    EXPECT_EQ(s.undo.history().size(), at + 1);
    EXPECT_EQ(s.undo.history().undoName(), "Rename list Other");
    ASSERT_TRUE(s.undo.undo());
    EXPECT_EQ(s.saved(), images[at]);
    while (s.undo.undo()) {
    }
    EXPECT_EQ(s.saved(), images[0]);
    EXPECT_FALSE(s.undo.modified());
}

// Steps named from what changed: plain English without language texts, the language's words
// with them.
TEST(DatabaseUndo, StepsAreNamedFromWhatChanged) {
    struct Case {
        const char* operation;
        const char* english;
        const char* languageWords;
    };
    const Case cases[] = {
        {"delete marked", "Delete 4 channels", "Delete: 4"},
        {"erase every channel", "Delete 40 channels", "Delete: 40"},
        {"paste foreign channels", "Paste 3 channels", "Paste: 3"},
        {"create a list", "New list Sport", "Create new list: Sport"},
        {"rename a list", "Rename list Sport", "Change name: Sport"},
        {"delete a list", "Delete list Films", "Delete list: Films"},
        {"rename a satellite", "Rename satellite Elsewhere", "Change name: Elsewhere"},
        {"rename a channel", "Rename Renamed", "Change name: Renamed"},
        {"channel properties", "Properties of Renamed", "Properties: Renamed"},
        {"move rows", "Move channels", "Move channel (s)"},
        {"transponder change", "Transponders", "Transponders"},
        {"working settings", "Settings", "Settings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        const auto op = std::find_if(operations().begin(), operations().end(),
                                     [&](const Operation& o) { return std::string(o.name) == c.operation; });
        ASSERT_NE(op, operations().end());
        for (bool withTexts : {false, true}) {
            Session s;
            op->apply(s);
            ASSERT_TRUE(s.undo.record({}, withTexts ? lang::englishTexts() : TextLookup{}));
            EXPECT_EQ(s.undo.history().undoName(), withTexts ? c.languageWords : c.english);
        }
    }
}

TEST(DatabaseUndo, NothingChangedRecordsNoStep) {
    Session s;
    // The first selection puts the display order together; from then on showing views again
    // changes nothing.
    s.select(ViewRequest{});
    s.undo.restart();
    s.select(ViewRequest{});
    s.select(listView(1));
    EXPECT_FALSE(s.undo.record("Nothing"));
    EXPECT_FALSE(s.undo.history().canUndo());
    // Marking rows is the view's selection, not a change of the database.
    s.db.entry(s.select(ViewRequest{})[0]).setMarked(true);
    EXPECT_FALSE(s.undo.record("Mark"));
}

TEST(DatabaseUndo, TheModifiedFlagFollowsTheSavedPosition) {
    Session s;
    ASSERT_TRUE(s.db.renameList(1, "One"));
    ASSERT_TRUE(s.undo.record("a"));
    ASSERT_TRUE(s.db.renameList(1, "Two"));
    ASSERT_TRUE(s.undo.record("b"));
    s.saved();
    s.undo.markSaved();
    EXPECT_FALSE(s.undo.modified());
    ASSERT_TRUE(s.undo.undo());
    EXPECT_TRUE(s.undo.modified());
    ASSERT_TRUE(s.undo.redo());
    EXPECT_FALSE(s.undo.modified());
    // A change after undoing past the saved state leaves it unreachable.
    ASSERT_TRUE(s.undo.undo());
    ASSERT_TRUE(s.db.renameList(1, "Three"));
    ASSERT_TRUE(s.undo.record("c"));
    EXPECT_TRUE(s.undo.modified());
    ASSERT_TRUE(s.undo.undo());
    EXPECT_TRUE(s.undo.modified());
    // Opening starts again: no steps, unmodified.
    s.undo.restart();
    EXPECT_FALSE(s.undo.history().canUndo());
    EXPECT_FALSE(s.undo.history().canRedo());
    EXPECT_FALSE(s.undo.modified());
}

// A difference of `bytes` changed bytes.
StateDifference diff(std::size_t bytes) {
    StateDifference d;
    const std::vector<std::uint8_t> a(bytes, 0), b(bytes, 1);
    d.addRun(0, a, b);
    return d;
}

TEST(UndoHistory, DropsTheOldestStepsBeyondTheStepAndMemoryLimits) {
    UndoHistory steps(3, 1u << 20);
    for (int i = 0; i < 5; ++i)
        steps.push("step " + std::to_string(i), diff(10));
    EXPECT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps.undoName(), "step 4");
    EXPECT_FALSE(steps.atSaved());  // the opened state was dropped
    while (steps.undo()) {
    }
    EXPECT_EQ(steps.redoName(), "step 2");

    UndoHistory memory(100, 3000);
    for (int i = 0; i < 4; ++i)
        memory.push("big " + std::to_string(i), diff(1000));
    EXPECT_EQ(memory.size(), 2u);
    EXPECT_LE(memory.memoryBytes(), 3000u);
    // A single step larger than the limit is still kept: the last change can always be undone.
    memory.push("huge", diff(5000));
    EXPECT_EQ(memory.size(), 1u);
    EXPECT_EQ(memory.undoName(), "huge");
}

// Dropping the oldest step moves the saved position with it: with room for three steps, a and b
// saved, then c and d (a dropped), the first undo is still modified and the second is the saved
// state again.
TEST(UndoHistory, TheSavedPositionFollowsTheDroppedSteps) {
    UndoHistory steps(3, 1u << 20);
    for (const char* name : {"a", "b"})
        steps.push(name, diff(10));
    steps.markSaved();
    for (const char* name : {"c", "d"})
        steps.push(name, diff(10));
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_FALSE(steps.atSaved());
    ASSERT_TRUE(steps.undo());  // back to a b c
    EXPECT_FALSE(steps.atSaved());
    ASSERT_TRUE(steps.undo());  // back to a b: what was saved
    EXPECT_TRUE(steps.atSaved());
    ASSERT_TRUE(steps.undo());  // before b: a step that was never saved
    EXPECT_FALSE(steps.atSaved());
    ASSERT_TRUE(steps.redo());
    EXPECT_TRUE(steps.atSaved());
}

// Undo then a new change: the steps that could have been redone leave the memory count too, so
// the older steps are not dropped for memory that is no longer held.
TEST(UndoHistory, TheDroppedRedoBranchLeavesTheMemoryCount) {
    StateDifference sample = diff(1000);
    sample.shrink();
    const std::size_t one = sample.memoryBytes();
    // Room for two steps of this size, not for three.
    UndoHistory steps(100, 2 * one + one / 2);
    steps.push("a", diff(1000));
    steps.push("b", diff(1000));
    ASSERT_TRUE(steps.undo());
    steps.push("c", diff(1000));
    EXPECT_EQ(steps.memoryBytes(), 2 * one);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps.undoName(), "c");
    ASSERT_TRUE(steps.undo());
    EXPECT_EQ(steps.undoName(), "a");  // still there to be undone
}

TEST(StateDifference, AppliedTwiceGivesTheOriginalBack) {
    std::vector<std::uint8_t> before(200), after(200);
    for (std::size_t i = 0; i < before.size(); ++i) {
        before[i] = static_cast<std::uint8_t>(i);
        after[i] = static_cast<std::uint8_t>(i < 50 || i >= 120 ? i : 255 - i);
    }
    StateDifference d;
    d.addRun(40, std::span(before).subspan(40, 40), std::span(after).subspan(40, 40));
    d.addRun(80, std::span(before).subspan(80, 40), std::span(after).subspan(80, 40));
    EXPECT_EQ(d.runs().size(), 1u);  // adjacent runs join
    auto state = before;
    d.applyTo(state);
    EXPECT_EQ(state, after);
    d.applyTo(state);
    EXPECT_EQ(state, before);
}

} // namespace
} // namespace cs::undo
