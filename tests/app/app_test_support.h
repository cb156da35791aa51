#pragma once
// A main window in a sandbox: its own temporary folder (start folder, XDG folders, language
// folder), an in-memory settings store that outlives the window so that what it wrote at exit
// can be read, and recorders for the windows that belong to later work.
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/window_views.h"
#include "views/filter_bar.h"
#include "fixtures/image_builder.h"
#include "settings/memory_settings_store.h"
#include "settings/stored_settings.h"
#include "support/env_override.h"

namespace cs::apptest {

namespace fs = std::filesystem;

// Forwards to a store the test keeps, so that the values survive the window.
class SharedStore final : public SettingsStore {
public:
    explicit SharedStore(MemorySettingsStore& store) : s_(store) {}
    bool openKey(std::string_view path, bool create) override { return s_.openKey(path, create); }
    bool closeKey() override { return s_.closeKey(); }
    bool valueExists(std::string_view name) override { return s_.valueExists(name); }
    std::optional<std::int32_t> readInteger(std::string_view name) override { return s_.readInteger(name); }
    std::optional<std::string> readString(std::string_view name) override { return s_.readString(name); }
    bool writeInteger(std::string_view name, std::int32_t value) override { return s_.writeInteger(name, value); }
    bool writeString(std::string_view name, std::string_view value) override { return s_.writeString(name, value); }
    bool writeBinary(std::string_view name, std::span<const std::uint8_t> bytes) override {
        return s_.writeBinary(name, bytes);
    }
    bool deleteValue(std::string_view name) override { return s_.deleteValue(name); }

private:
    MemorySettingsStore& s_;
};

using testsupport::EnvOverride;

class Sandbox {
public:
    Sandbox()
        : home_("HOME", dir_.path().c_str()),
          dataHome_("XDG_DATA_HOME", (dir_.path() / "data").c_str()),
          configHome_("XDG_CONFIG_HOME", (dir_.path() / "config").c_str()) {
        fs::create_directories(startFolder());
        fs::create_directories(languageFolder());
    }

    fs::path path() const { return dir_.path(); }
    fs::path startFolder() const { return dir_.path() / "work"; }
    fs::path languageFolder() const { return dir_.path() / "lang"; }
    fs::path dataHome() const { return dir_.path() / "data"; }
    MemorySettingsStore& store() { return store_; }

    // Settings of an earlier run: the key with "Counter" and "WindowState", so this is no first
    // run, plus the recent files given.
    void seedEarlierRun(const std::vector<std::string>& recentFiles = {}, std::int32_t flags = settings_flags::kDefaults) {
        store_.seed(kSettingsKeyPath, "Counter", std::int32_t{3});
        store_.seed(kSettingsKeyPath, "WindowState", std::int32_t{0});
        store_.seed(kSettingsKeyPath, "TReg.flags", flags);
        static const char* names[] = {"Path_01", "Path_02", "Path_03", "Path_04"};
        for (std::size_t i = 0; i < recentFiles.size() && i < 4; ++i)
            store_.seed(kSettingsKeyPath, names[i], recentFiles[i]);
    }

    fs::path writeFile(const std::string& name, const fixtures::ImageBytes& bytes) const {
        const fs::path p = startFolder() / name;
        fixtures::writeFile(p, bytes);
        return p;
    }
    // The demo database, generated once per test program.
    static const fixtures::ImageBytes& demo() {
        static const fixtures::ImageBytes bytes = fixtures::demoDatabase();
        return bytes;
    }

    // Windows of later work, as the main window asked for them.
    std::vector<app::WizardMode> wizardModes;
    std::vector<std::string> imageManagerFiles;
    std::vector<std::string> importedFiles;
    std::vector<QUrl> openedUrls;

    std::unique_ptr<app::MainWindow> makeWindow(std::vector<std::string> arguments = {},
                                           std::optional<bool> tray = false) {
        app::MainWindowOptions options;
        options.arguments = std::move(arguments);
        options.store = std::make_unique<SharedStore>(store_);
        options.places.startFolder = startFolder().string();
        options.places.programFolder = (dir_.path() / "program").string() + "/";
        options.shell.dirs.dataHome = dataHome().string();
        options.shell.dirs.configHome = (dir_.path() / "config").string();
        options.shell.executablePath = "/opt/channelsettings/bin/channelsettings";
        options.shell.toolSearchPath = "";
        options.languageFolders = {languageFolder()};
        options.localeName = "en_GB";
        options.trayAvailable = tray;
        options.hooks.openConnectionWizard = [this](app::MainWindow&, app::WizardMode mode) { wizardModes.push_back(mode); };
        options.hooks.openImageManager = [this](app::MainWindow&, const std::string& f) { imageManagerFiles.push_back(f); };
        options.hooks.importFile = [this](app::MainWindow&, const std::string& f) { importedFiles.push_back(f); };
        options.hooks.openUrl = [this](const QUrl& url) { openedUrls.push_back(url); };
        if (makeViews)
            options.hooks.makeViews = makeViews;
        if (adjustHooks)
            adjustHooks(options.hooks);
        auto window = std::make_unique<app::MainWindow>(std::move(options));
        // Shown as the program shows it, before its deferred open runs.
        window->show();
        return window;
    }

    // Replaces recorders with real windows in each window made afterwards.
    std::function<void(app::MainWindowHooks&)> adjustHooks;

    // Creates the views component of each window made afterwards; empty: no views.
    std::function<std::unique_ptr<app::WindowViews>(app::MainWindow&)> makeViews;

private:
    fixtures::TempDir dir_;
    EnvOverride home_;
    EnvOverride dataHome_;
    EnvOverride configHome_;
    MemorySettingsStore store_;
};

// Runs the deferred open the way its timer does, after checking that it was armed for it.
inline bool runPendingOpen(app::MainWindow& window) {
    if (!window.deferredTimer().isActive() || window.deferredAction() != app::DeferredAction::OpenPendingFile)
        return false;
    window.runDeferredAction();
    return true;
}

inline std::string qstr(const QString& s) { return s.toStdString(); }

} // namespace cs::apptest
