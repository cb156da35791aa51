#include "settings/memory_settings_store.h"

#include <utility>

namespace cs {

MemorySettingsStore::Values* MemorySettingsStore::openValues() {
    if (!open_)
        return nullptr;
    auto it = keys_.find(openPath_);
    return it == keys_.end() ? nullptr : &it->second;
}

bool MemorySettingsStore::openKey(std::string_view path, bool create) {
    open_ = false;
    openPath_.clear();
    auto it = keys_.find(path);
    if (it == keys_.end()) {
        if (!create)
            return false;
        keys_.emplace(std::string(path), Values{});
    }
    openPath_ = std::string(path);
    open_ = true;
    return true;
}

bool MemorySettingsStore::closeKey() {
    bool was = open_;
    open_ = false;
    openPath_.clear();
    return was;
}

bool MemorySettingsStore::valueExists(std::string_view name) {
    Values* values = openValues();
    return values && values->find(name) != values->end();
}

std::optional<std::int32_t> MemorySettingsStore::readInteger(std::string_view name) {
    Values* values = openValues();
    if (!values)
        return std::nullopt;
    auto it = values->find(name);
    if (it == values->end() || !std::holds_alternative<std::int32_t>(it->second))
        return std::nullopt;
    return std::get<std::int32_t>(it->second);
}

std::optional<std::string> MemorySettingsStore::readString(std::string_view name) {
    Values* values = openValues();
    if (!values)
        return std::nullopt;
    auto it = values->find(name);
    if (it == values->end() || !std::holds_alternative<std::string>(it->second))
        return std::nullopt;
    return std::get<std::string>(it->second);
}

bool MemorySettingsStore::write(std::string_view name, Value value) {
    Values* values = openValues();
    if (!values)
        return false;
    values->insert_or_assign(std::string(name), std::move(value));
    return true;
}

bool MemorySettingsStore::writeInteger(std::string_view name, std::int32_t value) {
    return write(name, value);
}

bool MemorySettingsStore::writeString(std::string_view name, std::string_view value) {
    return write(name, std::string(value));
}

bool MemorySettingsStore::writeBinary(std::string_view name, std::span<const std::uint8_t> bytes) {
    return write(name, Binary(bytes.begin(), bytes.end()));
}

bool MemorySettingsStore::deleteValue(std::string_view name) {
    Values* values = openValues();
    if (!values)
        return false;
    auto it = values->find(name);
    if (it == values->end())
        return false;
    values->erase(it);
    return true;
}

bool MemorySettingsStore::keyExists(std::string_view path) const {
    return keys_.find(path) != keys_.end();
}

std::optional<MemorySettingsStore::Value> MemorySettingsStore::value(std::string_view path,
                                                                     std::string_view name) const {
    auto key = keys_.find(path);
    if (key == keys_.end())
        return std::nullopt;
    auto it = key->second.find(name);
    if (it == key->second.end())
        return std::nullopt;
    return it->second;
}

void MemorySettingsStore::seed(std::string_view path, std::string_view name, Value value) {
    auto key = keys_.find(path);
    if (key == keys_.end())
        key = keys_.emplace(std::string(path), Values{}).first;
    key->second.insert_or_assign(std::string(name), std::move(value));
}

} // namespace cs
