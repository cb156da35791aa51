#pragma once
// A settings store held in memory: the store of tests and of runs that must leave no trace.
// Keys and values behave as in the desktop store; the extra accessors let a test seed values of
// any type and inspect what was written.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/settings_store.h"

namespace cs {

class MemorySettingsStore final : public SettingsStore {
public:
    using Binary = std::vector<std::uint8_t>;
    using Value = std::variant<std::int32_t, std::string, Binary>;

    bool openKey(std::string_view path, bool create) override;
    bool closeKey() override;
    bool valueExists(std::string_view name) override;
    std::optional<std::int32_t> readInteger(std::string_view name) override;
    std::optional<std::string> readString(std::string_view name) override;
    bool writeInteger(std::string_view name, std::int32_t value) override;
    bool writeString(std::string_view name, std::string_view value) override;
    bool writeBinary(std::string_view name, std::span<const std::uint8_t> bytes) override;
    bool deleteValue(std::string_view name) override;

    bool keyExists(std::string_view path) const;
    std::optional<Value> value(std::string_view path, std::string_view name) const;
    // Stores a value under `path`, creating the key; independent of the open key.
    void seed(std::string_view path, std::string_view name, Value value);

private:
    using Values = std::map<std::string, Value, std::less<>>;
    Values* openValues();
    bool write(std::string_view name, Value value);

    std::map<std::string, Values, std::less<>> keys_;
    std::string openPath_;
    bool open_ = false;
};

} // namespace cs
