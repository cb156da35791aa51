#pragma once
// The desktop settings store: an INI file read and written through QSettings. Key paths become
// groups ("Software\Tervanis\TervanisTools" is the group Software/Tervanis/TervanisTools), value
// names stay as they are, and each value keeps its type through stored_value_text.h.
//
// A damaged file is never overwritten. One that cannot be read or parsed has no keys (the program
// starts with its defaults); one holding a value that cannot be read as asked fails that read.
// Before the first write after either, the file is renamed to "<name>.corrupt-<yyyyMMdd-HHmmss>"
// and a fresh file is started. A value of the wrong type for its name is only known to the store
// that read it, so the program keeps one store from loading to saving.
#include <memory>
#include <set>
#include <string>

#include "settings/settings_store.h"

class QSettings;

namespace cs {

class QtSettingsStore final : public SettingsStore {
public:
    // `filePath` empty: there is no settings folder; every key then fails to open.
    explicit QtSettingsStore(std::string filePath);
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    // The store of this user: settingsFilePath() of the XDG folders of this process.
    static std::unique_ptr<QtSettingsStore> forCurrentUser();

    bool openKey(std::string_view path, bool create) override;
    bool closeKey() override;
    bool valueExists(std::string_view name) override;
    std::optional<std::int32_t> readInteger(std::string_view name) override;
    std::optional<std::string> readString(std::string_view name) override;
    bool writeInteger(std::string_view name, std::int32_t value) override;
    bool writeString(std::string_view name, std::string_view value) override;
    bool writeBinary(std::string_view name, std::span<const std::uint8_t> bytes) override;
    bool deleteValue(std::string_view name) override;

    const std::string& filePath() const { return filePath_; }
    // The name the damaged file was moved to, empty when none was.
    const std::string& setAsidePath() const { return setAsidePath_; }

private:
    bool load();
    bool setDamagedFileAside();
    std::optional<std::string> rawValue(std::string_view name);
    bool write(std::string_view name, const std::string& text);

    std::string filePath_;
    std::unique_ptr<QSettings> settings_;
    bool unreadable_ = false;          // the file could not be read or parsed
    bool setAsideBeforeWrite_ = false; // the file is damaged and must not be overwritten
    bool open_ = false;
    bool written_ = false;
    std::string group_;
    std::set<std::string> createdGroups_;
    std::string setAsidePath_;
};

} // namespace cs
