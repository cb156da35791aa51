#include "settings/stored_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/date_time_value.h"
#include "settings/memory_settings_store.h"
#include "settings_test_support.h"

namespace cs::test {
namespace {

using ::testing::ElementsAre;
using Binary = MemorySettingsStore::Binary;

const std::string kKey(kSettingsKeyPath);
const SettingsPlaces kPlaces{"/home/ann/work", "/opt/channelsettings/"};
const std::string kDefaultFile = "/home/ann/work/list.dsp";

// Every value a previous run leaves, as a full key holds them.
void seedFullKey(MemorySettingsStore& store) {
    store.seed(kKey, "Counter", 41);
    store.seed(kKey, "Path_01", std::string("/data/a.dsp"));
    store.seed(kKey, "Path_02", std::string("/data/b.dsp"));
    store.seed(kKey, "Left", 10);
    store.seed(kKey, "Top", 20);
    store.seed(kKey, "Width", 900);
    store.seed(kKey, "Height", 700);
    store.seed(kKey, "Screen.Width", 1920);
    store.seed(kKey, "Screen.Height", 1080);
    store.seed(kKey, "TreeView.Width", 250);
    store.seed(kKey, "WindowState", 2);
    store.seed(kKey, "ComPort", std::string("/dev/ttyUSB0"));
    store.seed(kKey, "LoadFile", std::string("/data/open"));
    store.seed(kKey, "SaveFile", std::string("/data/save"));
    store.seed(kKey, "ImportFile", std::string("/data/import"));
    store.seed(kKey, "ExportFile", std::string("/data/export"));
    store.seed(kKey, "JpgFileDirectory", std::string("/data/jpg"));
    store.seed(kKey, "TReg.flags", 99 | settings_flags::kNumberingMode);
    store.seed(kKey, "RxFile", std::string("/data/rx.dsp"));
    store.seed(kKey, "DxFile", std::string("/data/dx.dsp"));
    store.seed(kKey, "L2_LBox.ItemIdx", 3);
    store.seed(kKey, "GraphDirectory", std::string("/data/graph"));
}

// The stored value of each flag is the number earlier runs wrote, written here as a literal so that
// two swapped constants cannot agree with themselves.
TEST(StoredSettingsFlags, EachStoredBitReadsAsItsFlagAndIsWrittenBackAsTheSameNumber) {
    const std::pair<std::int32_t, std::int32_t> bits[] = {
        {1, settings_flags::kCloseEndsProgram},   {2, settings_flags::kMultipleInstances},
        {4, settings_flags::kDragDropDisabled},   {8, settings_flags::kNoDatabaseAtStart},
        {16, settings_flags::kStartAtLogon},      {32, settings_flags::kPortOpenFailed},
        {64, settings_flags::kConnectionWizardOption}, {128, settings_flags::kPropertiesInHex},
        {256, settings_flags::kAboutAnimationDone}, {512, settings_flags::kNumberingMode},
    };
    for (const auto& [stored, flag] : bits) {
        SCOPED_TRACE(stored);
        MemorySettingsStore store;
        seedFullKey(store);
        store.seed(kKey, "TReg.flags", stored);
        FakeWindow window;
        StoredSettings settings;
        std::string startup;
        settings.load(store, window, kPlaces, startup);
        for (const auto& [otherStored, other] : bits)
            EXPECT_EQ(settings.flag(other), other == flag) << "flag of stored bit " << otherStored;

        settings.flags = 0;
        settings.setFlag(flag, true);
        ASSERT_TRUE(settings.save(store, window, dateTimeValue({2024, 2, 29, 18, 0, 0, 0})));
        EXPECT_EQ(store.value(kKey, "TReg.flags"), MemorySettingsStore::Value(stored));
    }
    EXPECT_EQ(settings_flags::kDefaults, 99);
}

TEST(StoredSettingsLoad, FirstRunGivesDefaultsAndTheStartFoldersListFile) {
    MemorySettingsStore store;
    FakeWindow window;
    StoredSettings settings;
    std::string startup;
    settings.load(store, window, kPlaces, startup);

    EXPECT_FALSE(settings.settingsFound);
    EXPECT_EQ(settings.runCount, -1);
    EXPECT_EQ(settings.screenWidth, -1);
    EXPECT_EQ(settings.screenHeight, -1);
    EXPECT_EQ(settings.flags, 99);
    EXPECT_EQ(startup, kDefaultFile);
    EXPECT_EQ(settings.receiveFileName, kDefaultFile);
    EXPECT_EQ(settings.sendFileName, kDefaultFile);
    EXPECT_EQ(settings.pictureStoreFolder, "/opt/channelsettings/Skins Tervanis");
    EXPECT_EQ(settings.serialPortName, "");
    EXPECT_EQ(settings.wizardListIndex, 0);
    EXPECT_THAT(settings.recentFiles, ElementsAre("", "", "", ""));
    EXPECT_TRUE(window.journal.empty()) << "the window stays as designed";
    EXPECT_FALSE(window.separatorShown);
    EXPECT_FALSE(store.keyExists(kKey)) << "loading never creates the key";
}

TEST(StoredSettingsLoad, FullKeyIsReadAndAppliedInOrder) {
    MemorySettingsStore store;
    seedFullKey(store);
    FakeWindow window;
    StoredSettings settings;
    std::string startup;
    settings.load(store, window, kPlaces, startup);

    EXPECT_TRUE(settings.settingsFound);
    EXPECT_EQ(settings.runCount, 41);
    EXPECT_EQ(settings.screenWidth, 1920);
    EXPECT_EQ(settings.screenHeight, 1080);
    EXPECT_EQ(settings.flags, 99 | settings_flags::kNumberingMode);
    EXPECT_THAT(settings.recentFiles, ElementsAre("/data/a.dsp", "/data/b.dsp", "", ""));
    EXPECT_EQ(settings.serialPortName, "/dev/ttyUSB0");
    EXPECT_EQ(settings.loadFolder, "/data/open");
    EXPECT_EQ(settings.saveFolder, "/data/save");
    EXPECT_EQ(settings.importFolder, "/data/import");
    EXPECT_EQ(settings.exportFolder, "/data/export");
    EXPECT_EQ(settings.imageManagerFolder, "/data/jpg");
    EXPECT_EQ(settings.receiveFileName, "/data/rx.dsp");
    EXPECT_EQ(settings.sendFileName, "/data/dx.dsp");
    EXPECT_EQ(settings.wizardListIndex, 3);
    EXPECT_EQ(settings.pictureStoreFolder, "/data/graph");
    EXPECT_EQ(startup, "/data/a.dsp");
    // The tree width at once, then the bounds, then the state.
    EXPECT_THAT(window.journal, ElementsAre("tree 250", "bounds 10 20 900 700", "state 2"));
    EXPECT_TRUE(window.separatorShown);
    EXPECT_EQ(window.captions[1], "&1. /data/a.dsp");
    EXPECT_EQ(window.captions[2], "&2. /data/b.dsp");
    EXPECT_EQ(window.captions[3], "") << "empty slots are left as they are";
}

TEST(StoredSettingsLoad, KeyWithoutWindowStateCountsAsFirstRunButKeepsItsValues) {
    MemorySettingsStore store;
    seedFullKey(store);
    store.openKey(kKey, false);
    store.deleteValue("WindowState");
    store.closeKey();

    FakeWindow window;
    StoredSettings settings;
    std::string startup;
    settings.load(store, window, kPlaces, startup);

    EXPECT_FALSE(settings.settingsFound);
    EXPECT_EQ(settings.runCount, -1);
    EXPECT_EQ(settings.screenWidth, -1);
    EXPECT_EQ(settings.screenHeight, -1);
    EXPECT_EQ(startup, kDefaultFile);
    EXPECT_EQ(settings.serialPortName, "/dev/ttyUSB0");
    EXPECT_EQ(settings.receiveFileName, "/data/rx.dsp");
    EXPECT_EQ(settings.recentFiles[0], "/data/a.dsp");
    EXPECT_THAT(window.journal, ElementsAre("tree 250")) << "bounds and state are not applied";
    EXPECT_EQ(window.captions[1], "&1. /data/a.dsp");
}

TEST(StoredSettingsLoad, MissingBoundsKeepTheDesignedSizeAndPutTheWindowAtTheOrigin) {
    MemorySettingsStore store;
    store.seed(kKey, "Counter", 1);
    store.seed(kKey, "WindowState", 7);  // unknown states restore a normal window
    FakeWindow window;
    StoredSettings settings;
    std::string startup;
    settings.load(store, window, kPlaces, startup);
    EXPECT_TRUE(settings.settingsFound);
    EXPECT_THAT(window.journal, ElementsAre("bounds 0 0 551 395", "state 0"));
}

TEST(StoredSettingsLoad, UnreadableValueEndsTheReads) {
    struct Case {
        const char* badValue;
        bool serialPortRead;
        bool flagsRead;
    };
    for (const Case& c : {Case{"Counter", false, false}, Case{"TReg.flags", true, false},
                          Case{"WindowState", false, false}}) {
        SCOPED_TRACE(c.badValue);
        MemorySettingsStore store;
        seedFullKey(store);
        store.seed(kKey, c.badValue, std::string("not a number"));
        FakeWindow window;
        StoredSettings settings;
        std::string startup;
        settings.load(store, window, kPlaces, startup);

        EXPECT_FALSE(settings.settingsFound);
        EXPECT_EQ(settings.runCount, -1);
        EXPECT_EQ(settings.screenWidth, -1);
        EXPECT_EQ(settings.serialPortName, c.serialPortRead ? "/dev/ttyUSB0" : "");
        EXPECT_EQ(settings.flags, c.flagsRead ? (99 | settings_flags::kNumberingMode) : 99);
        EXPECT_EQ(settings.receiveFileName, kDefaultFile) << "RxFile comes after the failure";
        EXPECT_EQ(settings.pictureStoreFolder, "/opt/channelsettings/Skins Tervanis");
        EXPECT_EQ(startup, kDefaultFile);
    }
}

TEST(StoredSettingsLoad, StartupFileChoice) {
    struct Case {
        const char* what;
        bool keyPresent;
        bool noDatabaseAtStart;
        bool withRecentFiles;
        std::string chosen;
        std::string expected;
    };
    const Case cases[] = {
        {"recent file 1", true, false, true, "", "/data/a.dsp"},
        {"no recent files", true, false, false, "", kDefaultFile},
        {"option: no database at start", true, true, true, "", ""},
        {"option: no database, not even the default file", true, true, false, "", ""},
        {"first run", false, false, false, "", kDefaultFile},
        {"chosen on the command line", true, false, true, "/cmd/line.dsp", "/cmd/line.dsp"},
        {"chosen on the command line at first run", false, false, false, "/cmd/line.dsp", "/cmd/line.dsp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySettingsStore store;
        if (c.keyPresent) {
            store.seed(kKey, "Counter", 5);
            store.seed(kKey, "WindowState", 0);
            store.seed(kKey, "TReg.flags", c.noDatabaseAtStart ? 99 | settings_flags::kNoDatabaseAtStart : 99);
            if (c.withRecentFiles)
                store.seed(kKey, "Path_01", std::string("/data/a.dsp"));
        }
        FakeWindow window;
        StoredSettings settings;
        std::string startup = c.chosen;
        settings.load(store, window, kPlaces, startup);
        EXPECT_EQ(startup, c.expected);
    }
}

TEST(StoredSettingsLoad, LanguageFileIsReadAloneAndSurvivesLoad) {
    MemorySettingsStore store;
    StoredSettings settings;
    EXPECT_EQ(settings.readLanguageFileName(store), "") << "no key";
    store.seed(kKey, "LangFile", std::string("/opt/channelsettings/Polski.lng"));
    EXPECT_EQ(settings.readLanguageFileName(store), "/opt/channelsettings/Polski.lng");

    FakeWindow window;
    std::string startup;
    settings.load(store, window, kPlaces, startup);
    EXPECT_EQ(settings.languageFileName, "/opt/channelsettings/Polski.lng");
}

TEST(StoredSettingsSave, WritesEveryValueWithItsType) {
    MemorySettingsStore store;
    store.seed(kKey, "FirstInstall", 1);
    FakeWindow window;
    window.bounds = {30, 40, 800, 600};
    window.tree = 210;
    window.screen = {1600, 900};
    StoredSettings settings;
    std::string startup;
    settings.load(store, window, kPlaces, startup);
    settings.serialPortName = "";
    settings.loadFolder = "/data/open";
    settings.flags = 99 | settings_flags::kPropertiesInHex;
    settings.wizardListIndex = 2;
    settings.addRecentFile("/data/one.dsp", window);

    const double when = dateTimeValue({2024, 2, 29, 18, 0, 0, 0});
    EXPECT_TRUE(settings.save(store, window, when));

    auto value = [&](const char* name) { return store.value(kKey, name); };
    using V = MemorySettingsStore::Value;
    EXPECT_EQ(value("Counter"), V(0)) << "the first run's -1 plus one";
    EXPECT_EQ(value("Wersja"), V(std::string("v1.0.3")));
    EXPECT_EQ(value("Path_01"), V(std::string("/data/one.dsp")));
    EXPECT_FALSE(value("Path_02")) << "empty recent files are not written";
    EXPECT_EQ(value("ComPort"), V(std::string(""))) << "the port is written even when empty";
    EXPECT_EQ(value("LoadFile"), V(std::string("/data/open")));
    EXPECT_FALSE(value("SaveFile"));
    EXPECT_FALSE(value("ImportFile"));
    EXPECT_FALSE(value("LangFile")) << "no language chosen";
    EXPECT_EQ(value("RxFile"), V(kDefaultFile));
    EXPECT_EQ(value("DxFile"), V(kDefaultFile));
    EXPECT_EQ(value("GraphDirectory"), V(std::string("/opt/channelsettings/Skins Tervanis")));
    EXPECT_EQ(value("L2_LBox.ItemIdx"), V(2));
    EXPECT_EQ(value("TReg.flags"), V(99 | settings_flags::kPropertiesInHex));
    EXPECT_EQ(value("WindowState"), V(0));
    EXPECT_EQ(value("Left"), V(30));
    EXPECT_EQ(value("Top"), V(40));
    EXPECT_EQ(value("Width"), V(800));
    EXPECT_EQ(value("Height"), V(600));
    EXPECT_EQ(value("Screen.Width"), V(1600));
    EXPECT_EQ(value("Screen.Height"), V(900));
    EXPECT_EQ(value("TreeView.Width"), V(210));
    // 29 February 2024 18:00 is day 45351.75; the double 45351.75 is 0x40E624F800000000.
    EXPECT_EQ(value("DateTime"), V(Binary{0x00, 0x00, 0x00, 0x00, 0xF8, 0x24, 0xE6, 0x40}));
    EXPECT_FALSE(value("FirstInstall"));

    settings.languageFileName = "Polski.lng";
    EXPECT_TRUE(settings.save(store, window, when));
    EXPECT_EQ(value("LangFile"), V(std::string("Polski.lng")));
    EXPECT_EQ(value("Counter"), V(1));
}

TEST(StoredSettingsSave, MaximisedWindowLeavesTheStoredBounds) {
    MemorySettingsStore store;
    seedFullKey(store);
    FakeWindow window;
    StoredSettings settings;
    std::string startup;
    settings.load(store, window, kPlaces, startup);
    window.bounds = {0, 0, 1280, 1024};
    window.state = WindowState::maximised;

    settings.save(store, window, 45000.0);
    using V = MemorySettingsStore::Value;
    EXPECT_EQ(store.value(kKey, "WindowState"), V(2));
    EXPECT_EQ(store.value(kKey, "Left"), V(10));
    EXPECT_EQ(store.value(kKey, "Top"), V(20));
    EXPECT_EQ(store.value(kKey, "Width"), V(900));
    EXPECT_EQ(store.value(kKey, "Height"), V(700));
}

TEST(StoredSettingsSave, RunsRestoreTheSameWindowAndRecord) {
    MemorySettingsStore store;
    FakeWindow first;
    StoredSettings settings;
    std::string startup;
    settings.load(store, first, kPlaces, startup);
    first.bounds = {100, 50, 700, 500};
    first.tree = 190;
    settings.addRecentFile("/data/x.dsp", first);
    settings.serialPortName = "/dev/ttyS1";
    settings.save(store, first, 45000.0);

    // Three more runs that change nothing: nothing drifts.
    for (int run = 1; run <= 3; ++run) {
        FakeWindow window;
        StoredSettings next;
        std::string file;
        next.load(store, window, kPlaces, file);
        EXPECT_TRUE(next.settingsFound);
        EXPECT_EQ(next.runCount, run - 1);
        EXPECT_EQ(window.bounds, (WindowBounds{100, 50, 700, 500}));
        EXPECT_EQ(window.tree, 190);
        EXPECT_EQ(next.serialPortName, "/dev/ttyS1");
        EXPECT_EQ(next.receiveFileName, settings.receiveFileName);
        EXPECT_EQ(file, "/data/x.dsp");
        next.save(store, window, 45000.0);
    }
}

TEST(StoredSettingsRecentFiles, AddMovesUpDropsOldestAndComparesCase) {
    struct Case {
        const char* what;
        std::vector<std::string> opened;
        std::array<std::string, 4> expected;
    };
    const Case cases[] = {
        {"newest first", {"/a", "/b", "/c"}, {"/c", "/b", "/a", ""}},
        {"reopening moves to the top without a duplicate", {"/a", "/b", "/c", "/d", "/b"}, {"/b", "/d", "/c", "/a"}},
        {"reopening the top file changes nothing", {"/a", "/b", "/b"}, {"/b", "/a", "", ""}},
        {"a fifth file drops the oldest", {"/a", "/b", "/c", "/d", "/e"}, {"/e", "/d", "/c", "/b"}},
        {"the oldest can come back to the top", {"/a", "/b", "/c", "/d", "/a"}, {"/a", "/d", "/c", "/b"}},
        {"case matters", {"/data/List.dsp", "/data/list.dsp"}, {"/data/list.dsp", "/data/List.dsp", "", ""}},
        {"one file under two spellings is listed once", {"/data/a.dsp", "/data/./x/../a.dsp", "/b", "/data/a.dsp"},
         {"/data/a.dsp", "/b", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWindow window;
        StoredSettings settings;
        for (const auto& name : c.opened)
            settings.addRecentFile(name, window);
        EXPECT_EQ(settings.recentFiles, c.expected);
        for (int slot = 1; slot <= 4; ++slot)
            EXPECT_EQ(window.captions[slot], c.expected[slot - 1].empty()
                                                 ? std::string()
                                                 : "&" + std::to_string(slot) + ". " + c.expected[slot - 1]);
    }
}

TEST(StoredSettingsRecentFiles, AddingAnEntryOfTheListItself) {
    FakeWindow window;
    StoredSettings settings;
    for (const char* name : {"/a", "/b", "/c"})
        settings.addRecentFile(name, window);
    settings.addRecentFile(settings.recentFiles[2], window);
    EXPECT_THAT(settings.recentFiles, ElementsAre("/a", "/c", "/b", ""));
}

TEST(DateTimeValue, CountsDaysSinceTheEndOf1899) {
    struct Case {
        LocalDateTime when;
        double expected;
    };
    for (const Case& c : {Case{{1899, 12, 30, 0, 0, 0, 0}, 0.0}, Case{{1900, 1, 1, 6, 0, 0, 0}, 2.25},
                          Case{{2000, 1, 1, 12, 0, 0, 0}, 36526.5}, Case{{2024, 2, 29, 18, 0, 0, 0}, 45351.75},
                          Case{{2024, 3, 1, 0, 0, 0, 0}, 45352.0}}) {
        EXPECT_DOUBLE_EQ(dateTimeValue(c.when), c.expected) << c.when.year << "-" << c.when.month;
    }
    EXPECT_NEAR(dateTimeValue({2024, 1, 1, 0, 0, 1, 500}), 45292.0 + 1.5 / 86400.0, 1e-9);
    EXPECT_EQ(dateTimeBytes(1.0), (std::array<std::uint8_t, 8>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

} // namespace
} // namespace cs::test
