#pragma once
// The per-user settings store: a tree of keys (paths with "\" between key names) holding named,
// typed values. These are the only operations the settings code needs, so the desktop store
// (an INI file) and the in-memory store used by tests are interchangeable.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cs {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the key at `path`, closing any key opened before. Without `create` it fails when the
    // key does not exist; with it a missing key is created. Returns whether a key is open.
    virtual bool openKey(std::string_view path, bool create) = 0;
    // Closes the open key and makes its writes durable; false when they could not be stored.
    virtual bool closeKey() = 0;

    virtual bool valueExists(std::string_view name) = 0;

    // Reads fail (nullopt) when no key is open, the value is absent, or it has another type.
    virtual std::optional<std::int32_t> readInteger(std::string_view name) = 0;
    virtual std::optional<std::string> readString(std::string_view name) = 0;

    // Writes fail when no key is open. A write replaces a value of any type.
    virtual bool writeInteger(std::string_view name, std::int32_t value) = 0;
    virtual bool writeString(std::string_view name, std::string_view value) = 0;
    virtual bool writeBinary(std::string_view name, std::span<const std::uint8_t> bytes) = 0;

    // Removes a value; false when no key is open or there was no such value.
    virtual bool deleteValue(std::string_view name) = 0;
};

// Closes the key when leaving a scope, whatever path the code takes out of it.
class SettingsKeyScope {
public:
    SettingsKeyScope(SettingsStore& store, std::string_view path, bool create)
        : store_(store), open_(store.openKey(path, create)) {}
    ~SettingsKeyScope() {
        if (open_)
            store_.closeKey();
    }
    SettingsKeyScope(const SettingsKeyScope&) = delete;
    SettingsKeyScope& operator=(const SettingsKeyScope&) = delete;

    bool isOpen() const { return open_; }
    // Closes now and reports whether the writes were stored.
    bool close() {
        if (!open_)
            return false;
        open_ = false;
        return store_.closeKey();
    }

private:
    SettingsStore& store_;
    bool open_;
};

} // namespace cs
