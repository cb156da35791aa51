#include "settings/stored_settings.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>

#include "settings/date_time_value.h"
#include "settings/short_path.h"

namespace cs {
namespace {

// Stored value names.
constexpr std::string_view kCounter = "Counter";
constexpr std::string_view kVersion = "Wersja";
constexpr std::array<std::string_view, kRecentFileCount> kRecentFileNames = {"Path_01", "Path_02", "Path_03",
                                                                            "Path_04"};
constexpr std::string_view kLeft = "Left";
constexpr std::string_view kTop = "Top";
constexpr std::string_view kWidth = "Width";
constexpr std::string_view kHeight = "Height";
constexpr std::string_view kScreenWidth = "Screen.Width";
constexpr std::string_view kScreenHeight = "Screen.Height";
constexpr std::string_view kTreeWidth = "TreeView.Width";
constexpr std::string_view kWindowState = "WindowState";
constexpr std::string_view kComPort = "ComPort";
constexpr std::string_view kLoadFile = "LoadFile";
constexpr std::string_view kSaveFile = "SaveFile";
constexpr std::string_view kImportFile = "ImportFile";
constexpr std::string_view kExportFile = "ExportFile";
constexpr std::string_view kJpgFileDirectory = "JpgFileDirectory";
constexpr std::string_view kFlags = "TReg.flags";
constexpr std::string_view kRxFile = "RxFile";
constexpr std::string_view kDxFile = "DxFile";
constexpr std::string_view kWizardListIndex = "L2_LBox.ItemIdx";
constexpr std::string_view kGraphDirectory = "GraphDirectory";
constexpr std::string_view kLangFile = "LangFile";
constexpr std::string_view kDateTime = "DateTime";
constexpr std::string_view kFirstInstall = "FirstInstall";
constexpr std::string_view kUndoOnCtrlZ = "UndoOnCtrlZ";

constexpr std::string_view kDefaultFile = "list.dsp";
constexpr std::string_view kSkinsFolder = "Skins Tervanis";

// Reads values "where present". A value that is present but cannot be read is a failure that
// ends all further reads.
class PresentValues {
public:
    explicit PresentValues(SettingsStore& store) : store_(store) {}

    // nullopt when absent; sets failed() when present but unreadable.
    std::optional<std::int32_t> integer(std::string_view name) {
        if (failed_ || !store_.valueExists(name))
            return std::nullopt;
        auto value = store_.readInteger(name);
        failed_ = !value;
        return value;
    }
    std::optional<std::string> string(std::string_view name) {
        if (failed_ || !store_.valueExists(name))
            return std::nullopt;
        auto value = store_.readString(name);
        failed_ = !value;
        return value;
    }
    bool exists(std::string_view name) { return !failed_ && store_.valueExists(name); }
    bool failed() const { return failed_; }

    void into(std::string_view name, std::int32_t& field) {
        if (auto v = integer(name))
            field = *v;
    }
    void into(std::string_view name, std::string& field) {
        if (auto v = string(name))
            field = std::move(*v);
    }

private:
    SettingsStore& store_;
    bool failed_ = false;
};

WindowState windowStateFromStored(std::int32_t value) {
    switch (value) {
    case 1: return WindowState::minimised;
    case 2: return WindowState::maximised;
    default: return WindowState::normal;
    }
}

std::string folderJoin(const std::string& folder, std::string_view name) {
    if (folder.empty() || folder.back() == '/')
        return folder + std::string(name);
    return folder + "/" + std::string(name);
}

} // namespace

std::string StoredSettings::defaultFileName(const SettingsPlaces& places) {
    return folderJoin(places.startFolder, kDefaultFile);
}

void StoredSettings::load(SettingsStore& store, SettingsWindow& window, const SettingsPlaces& places,
                          std::string& startupFile) {
    const bool startupChosen = !startupFile.empty();
    // The language file name is read on its own (readLanguageFileName) and survives a reload.
    std::string languageFile = std::move(languageFileName);
    *this = StoredSettings{};
    languageFileName = std::move(languageFile);

    {
        SettingsKeyScope key(store, kSettingsKeyPath, false);
        if (key.isOpen()) {
            settingsFound = true;
            PresentValues values(store);
            // Each step runs only while no read has failed, so a failure ends the reads.
            auto steps = [&] {
                if (auto v = values.integer(kCounter))
                    runCount = *v;
                else if (!values.failed())
                    settingsFound = false;

                for (std::size_t i = 0; i < kRecentFileCount; ++i)
                    values.into(kRecentFileNames[i], recentFiles[i]);

                auto left = values.integer(kLeft);
                auto top = values.integer(kTop);
                auto width = values.integer(kWidth);
                auto height = values.integer(kHeight);

                values.into(kScreenWidth, screenWidth);
                values.into(kScreenHeight, screenHeight);

                if (auto v = values.integer(kTreeWidth))
                    window.setTreeWidth(*v);
                if (values.failed())
                    return;

                if (auto state = values.integer(kWindowState)) {
                    // Absent Left and Top count as 0; an absent size keeps the designed one.
                    WindowBounds bounds = window.windowBounds();
                    bounds.left = left.value_or(0);
                    bounds.top = top.value_or(0);
                    bounds.width = width.value_or(bounds.width);
                    bounds.height = height.value_or(bounds.height);
                    window.setWindowBounds(bounds);
                    window.setWindowState(windowStateFromStored(*state));
                } else if (values.failed()) {
                    return;
                } else {
                    settingsFound = false;
                }

                values.into(kComPort, serialPortName);
                values.into(kLoadFile, loadFolder);
                values.into(kSaveFile, saveFolder);
                values.into(kImportFile, importFolder);
                values.into(kExportFile, exportFolder);
                values.into(kJpgFileDirectory, imageManagerFolder);
                values.into(kFlags, flags);
                values.into(kRxFile, receiveFileName);
                values.into(kDxFile, sendFileName);
                values.into(kWizardListIndex, wizardListIndex);
                if (values.failed())
                    return;

                if (!flag(settings_flags::kNoDatabaseAtStart) && !startupChosen)
                    startupFile = recentFiles[0];

                values.into(kGraphDirectory, pictureStoreFolder);
                if (auto v = values.integer(kUndoOnCtrlZ))
                    ctrlZUndoes = *v != 0;
            };
            steps();
            if (values.failed())
                settingsFound = false;
        }
    }

    if (pictureStoreFolder.empty())
        pictureStoreFolder = places.programFolder + std::string(kSkinsFolder);

    if (!settingsFound) {
        runCount = -1;
        screenWidth = -1;
        screenHeight = -1;
    }

    const std::string defaultName = defaultFileName(places);
    const bool noRecentFiles =
        std::all_of(recentFiles.begin(), recentFiles.end(), [](const std::string& f) { return f.empty(); });
    // The option "no database file at start" also keeps the default file from being opened.
    if (!startupChosen && (!settingsFound || noRecentFiles))
        startupFile = flag(settings_flags::kNoDatabaseAtStart) ? std::string() : defaultName;
    if (receiveFileName.empty())
        receiveFileName = defaultName;
    if (sendFileName.empty())
        sendFileName = defaultName;

    showRecentFiles(window);
}

bool StoredSettings::savePreferences(SettingsStore& store) const {
    SettingsKeyScope key(store, kSettingsKeyPath, true);
    if (!key.isOpen())
        return false;
    const bool written = store.writeString(kComPort, serialPortName) && store.writeInteger(kFlags, flags) &&
                         store.writeInteger(kUndoOnCtrlZ, ctrlZUndoes ? 1 : 0);
    return key.close() && written;
}

bool StoredSettings::save(SettingsStore& store, const SettingsWindow& window, double dateTime) {
    bool ok = true;
    {
        SettingsKeyScope key(store, kSettingsKeyPath, true);
        if (!key.isOpen()) {
            ok = false;
        } else {
            auto check = [&ok](bool written) { ok = written && ok; };

            if (runCount < std::numeric_limits<std::int32_t>::max())
                ++runCount;
            check(store.writeInteger(kCounter, runCount));
            check(store.writeString(kVersion, kProgramVersion));

            for (std::size_t i = 0; i < kRecentFileCount; ++i)
                if (!recentFiles[i].empty())
                    check(store.writeString(kRecentFileNames[i], recentFiles[i]));

            check(store.writeString(kComPort, serialPortName));
            const std::pair<std::string_view, const std::string*> strings[] = {
                {kLoadFile, &loadFolder},
                {kSaveFile, &saveFolder},
                {kImportFile, &importFolder},
                {kExportFile, &exportFolder},
                {kJpgFileDirectory, &imageManagerFolder},
                {kRxFile, &receiveFileName},
                {kDxFile, &sendFileName},
                {kGraphDirectory, &pictureStoreFolder},
                {kLangFile, &languageFileName},
            };
            for (const auto& [name, value] : strings)
                if (!value->empty())
                    check(store.writeString(name, *value));

            check(store.writeInteger(kWizardListIndex, wizardListIndex));
            check(store.writeInteger(kFlags, flags));
            check(store.writeInteger(kUndoOnCtrlZ, ctrlZUndoes ? 1 : 0));
            const WindowState state = window.windowState();
            check(store.writeInteger(kWindowState, static_cast<std::int32_t>(state)));

            // A maximised window keeps the bounds it will be restored to. The width is stored as
            // the window has it and applied unchanged at the next start.
            if (state != WindowState::maximised) {
                const WindowBounds bounds = window.windowBounds();
                check(store.writeInteger(kTop, bounds.top));
                check(store.writeInteger(kLeft, bounds.left));
                check(store.writeInteger(kWidth, bounds.width));
                check(store.writeInteger(kHeight, bounds.height));
            }

            const ScreenSize screen = window.screenSize();
            check(store.writeInteger(kScreenWidth, screen.width));
            check(store.writeInteger(kScreenHeight, screen.height));
            check(store.writeInteger(kTreeWidth, window.treeWidth()));

            check(store.writeBinary(kDateTime, dateTimeBytes(dateTime)));

            if (store.valueExists(kFirstInstall))
                check(store.deleteValue(kFirstInstall));
            check(key.close());
        }
    }
    return ok;
}

void StoredSettings::addRecentFile(std::string_view name, SettingsWindow& window) {
    if (name.empty())
        return;
    std::string entry(name);  // `name` may view one of the entries that are about to move
    // One file is listed once, however it was spelled ("a/./b.dsp", "a/c/../b.dsp").
    const std::filesystem::path normal = std::filesystem::path(entry).lexically_normal();
    auto found = std::find_if(recentFiles.begin(), recentFiles.end(), [&](const std::string& listed) {
        return !listed.empty() && std::filesystem::path(listed).lexically_normal() == normal;
    });
    // Entries above the found one (or all but the oldest) move down one place.
    auto last = found == recentFiles.end() ? recentFiles.end() - 1 : found;
    std::move_backward(recentFiles.begin(), last, last + 1);
    recentFiles[0] = std::move(entry);
    showRecentFiles(window);
}

const std::string& StoredSettings::readLanguageFileName(SettingsStore& store) {
    languageFileName.clear();
    SettingsKeyScope key(store, kSettingsKeyPath, false);
    if (key.isOpen() && store.valueExists(kLangFile))
        languageFileName = store.readString(kLangFile).value_or(std::string());
    return languageFileName;
}

void StoredSettings::showRecentFiles(SettingsWindow& window) const {
    for (std::size_t i = 0; i < kRecentFileCount; ++i) {
        if (recentFiles[i].empty())
            continue;
        window.showRecentFilesSeparator();
        const int slot = static_cast<int>(i) + 1;
        window.setRecentFileEntry(slot, recentFileCaption(slot, recentFiles[i]));
    }
}

} // namespace cs
