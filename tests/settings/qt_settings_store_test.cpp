#include "settings/qt_settings_store.h"

#include <filesystem>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/stored_settings.h"
#include "settings_store_contract.h"
#include "settings_test_support.h"

namespace cs::test {
namespace {

using ::testing::HasSubstr;

struct QtStoreFixture {
    TempDir dir;
    std::string path = dir / "config/channelsettings/settings.ini";
    std::unique_ptr<QtSettingsStore> qt = std::make_unique<QtSettingsStore>(path);
    SettingsStore& store() { return *qt; }
    void reopen() { qt = std::make_unique<QtSettingsStore>(path); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(QtIni, SettingsStoreContract, ::testing::Types<QtStoreFixture>);

const SettingsPlaces kPlaces{"/home/ann/work", "/opt/channelsettings/"};

// Files left beside the settings file by setting a damaged one aside.
std::vector<std::string> setAsideFiles(const std::string& settingsPath) {
    std::vector<std::string> found;
    const auto folder = std::filesystem::path(settingsPath).parent_path();
    const std::string prefix = std::filesystem::path(settingsPath).filename().string() + ".corrupt-";
    for (const auto& item : std::filesystem::directory_iterator(folder))
        if (item.path().filename().string().rfind(prefix, 0) == 0)
            found.push_back(item.path().string());
    return found;
}

class QtSettingsFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir / "config/channelsettings/settings.ini";

    StoredSettings load(FakeWindow& window, std::string& startup) {
        QtSettingsStore store(path);
        StoredSettings settings;
        settings.load(store, window, kPlaces, startup);
        return settings;
    }
    bool save(StoredSettings& settings, const FakeWindow& window) {
        QtSettingsStore store(path);
        return settings.save(store, window, 45351.75);
    }
};

TEST_F(QtSettingsFile, KeepsKeyPathValueNamesAndTypesInTheIniFile) {
    FakeWindow window;
    std::string startup;
    StoredSettings settings = load(window, startup);
    settings.addRecentFile("/data/Zażółć list.dsp", window);
    ASSERT_TRUE(save(settings, window)) << "the settings folder is created on first save";

    const std::string ini = fileText(path);
    EXPECT_THAT(ini, HasSubstr("[Software]\n"));
    EXPECT_THAT(ini, HasSubstr("Tervanis\\TervanisTools\\Counter=dword:00000000\n"));
    EXPECT_THAT(ini, HasSubstr("Tervanis\\TervanisTools\\TReg.flags=dword:00000063\n"));
    EXPECT_THAT(ini, HasSubstr("Tervanis\\TervanisTools\\Screen.Width=dword:00000500\n"));
    EXPECT_THAT(ini, HasSubstr("Tervanis\\TervanisTools\\Wersja=v1.0.3\n"));
    EXPECT_THAT(ini, HasSubstr("Tervanis\\TervanisTools\\Path_01=/data/Zażółć list.dsp\n"));
    EXPECT_THAT(ini, HasSubstr("Tervanis\\TervanisTools\\DateTime=hex:00000000f824e640\n"));
}

TEST_F(QtSettingsFile, FirstRunThenLaterRunsThroughTheFile) {
    FakeWindow window;
    std::string startup;
    StoredSettings first = load(window, startup);
    EXPECT_FALSE(first.settingsFound);
    EXPECT_EQ(startup, "/home/ann/work/list.dsp");

    window.bounds = {12, 34, 800, 600};
    first.addRecentFile("/data/a.dsp", window);
    first.serialPortName = "/dev/ttyACM0";
    first.languageFileName = "Polski.lng";
    ASSERT_TRUE(save(first, window));

    FakeWindow again;
    std::string next;
    StoredSettings second = load(again, next);
    EXPECT_TRUE(second.settingsFound);
    EXPECT_EQ(second.runCount, 0);
    EXPECT_EQ(next, "/data/a.dsp");
    EXPECT_EQ(second.serialPortName, "/dev/ttyACM0");
    EXPECT_EQ(again.bounds, (WindowBounds{12, 34, 800, 600}));
    QtSettingsStore store(path);
    EXPECT_EQ(second.readLanguageFileName(store), "Polski.lng");
}

// A damaged file gives a first run with defaults and is kept, byte for byte, before fresh
// settings are written. The program loads and saves through one store; files whose damage is
// visible without knowing the value types are also caught by a store opened only to save.
TEST_F(QtSettingsFile, DamagedFileIsKeptAsideBeforeFreshSettingsAreWritten) {
    struct Case {
        const char* what;
        std::string content;
        bool visibleToAnyStore;
    };
    const Case cases[] = {
        {"unparsable",
         std::string("[Software\nTervanis\\TervanisTools\\Counter=dword:00000004\n") + std::string("\x00\x01\xFF", 3),
         true},
        {"truncated value",
         "[Software]\nTervanis\\TervanisTools\\Counter=dword:0000\n"
         "Tervanis\\TervanisTools\\Path_01=/data/keep.dsp\n",
         true},
        {"integer written as text", "[Software]\nTervanis\\TervanisTools\\Counter=12\n", false},
    };
    for (const Case& c : cases) {
        for (bool sameStore : {true, false}) {
            if (!sameStore && !c.visibleToAnyStore)
                continue;
            SCOPED_TRACE(std::string(c.what) + (sameStore ? ", one store" : ", a store to save"));
            std::filesystem::remove_all(dir / "config");
            writeText(path, c.content);

            auto store = std::make_unique<QtSettingsStore>(path);
            FakeWindow window;
            std::string startup;
            StoredSettings settings;
            settings.load(*store, window, kPlaces, startup);
            EXPECT_FALSE(settings.settingsFound);
            EXPECT_EQ(settings.runCount, -1);
            EXPECT_EQ(settings.flags, 99);
            EXPECT_EQ(startup, "/home/ann/work/list.dsp");
            EXPECT_EQ(fileText(path), c.content) << "loading leaves the file alone";

            if (!sameStore)
                store = std::make_unique<QtSettingsStore>(path);
            ASSERT_TRUE(settings.save(*store, window, 45000.0));
            const auto aside = setAsideFiles(path);
            ASSERT_EQ(aside.size(), 1u);
            EXPECT_EQ(store->setAsidePath(), aside[0]);
            EXPECT_EQ(fileText(aside[0]), c.content);

            FakeWindow later;
            std::string laterStartup;
            EXPECT_TRUE(load(later, laterStartup).settingsFound) << "the fresh file is sound";
        }
    }
}

TEST_F(QtSettingsFile, EachDamageKeepsItsOwnCopy) {
    for (const char* content : {"[Software\nfirst", "[Software\nsecond"}) {
        writeText(path, content);
        FakeWindow window;
        std::string startup;
        StoredSettings settings = load(window, startup);
        ASSERT_TRUE(save(settings, window));
    }
    std::vector<std::string> contents;
    for (const auto& file : setAsideFiles(path))
        contents.push_back(fileText(file));
    EXPECT_THAT(contents, ::testing::UnorderedElementsAre("[Software\nfirst", "[Software\nsecond"));
}

TEST_F(QtSettingsFile, OtherValuesStayReadableUntilTheFileIsSetAside) {
    writeText(path, "[Software]\nTervanis\\TervanisTools\\Counter=dword:zz\n"
                    "Tervanis\\TervanisTools\\LangFile=Slovensky.lng\n");
    QtSettingsStore store(path);
    FakeWindow window;
    std::string startup;
    StoredSettings settings;
    settings.load(store, window, kPlaces, startup);
    EXPECT_FALSE(settings.settingsFound);
    EXPECT_EQ(settings.readLanguageFileName(store), "Slovensky.lng");
    EXPECT_TRUE(settings.save(store, window, 45000.0));
    EXPECT_EQ(setAsideFiles(path).size(), 1u);
    EXPECT_THAT(fileText(path), HasSubstr("LangFile=Slovensky.lng"));
}

TEST_F(QtSettingsFile, NoWritableSettingsFolderStartsWithDefaults) {
    // A file stands where the settings folder would be created: even root cannot write there.
    writeText(dir / "config/channelsettings", "not a folder");
    for (const std::string& settingsPath : {path, std::string()}) {
        SCOPED_TRACE(settingsPath.empty() ? "no config folder at all" : "folder cannot be created");
        QtSettingsStore store(settingsPath);
        FakeWindow window;
        std::string startup;
        StoredSettings settings;
        settings.load(store, window, kPlaces, startup);
        EXPECT_FALSE(settings.settingsFound);
        EXPECT_EQ(startup, "/home/ann/work/list.dsp");
        EXPECT_EQ(settings.readLanguageFileName(store), "");
        EXPECT_FALSE(settings.save(store, window, 45000.0));
    }
    EXPECT_EQ(fileText(dir / "config/channelsettings"), "not a folder");
}

TEST_F(QtSettingsFile, StoreForCurrentUserFollowsXdgConfigHome) {
    EnvOverride config("XDG_CONFIG_HOME", (dir / "xdg").c_str());
    EXPECT_EQ(QtSettingsStore::forCurrentUser()->filePath(), dir / "xdg/channelsettings/settings.ini");
}

} // namespace
} // namespace cs::test
