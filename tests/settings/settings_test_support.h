#pragma once
// Helpers shared by the settings tests: a temporary folder, environment overrides and a main
// window fake that records what the settings code applied to it.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings_window.h"
#include "support/env_override.h"

namespace cs::test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "cs-settings-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }

private:
    std::string path_;
};

using testsupport::EnvOverride;

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    ASSERT_TRUE(out.good()) << path;
}

// The main window as the settings see it. Starts at its designed size; records each call.
class FakeWindow final : public SettingsWindow {
public:
    WindowBounds bounds{0, 0, 551, 395};
    WindowState state = WindowState::normal;
    std::int32_t tree = 177;
    ScreenSize screen{1280, 1024};
    bool separatorShown = false;
    std::string captions[5];  // [1..4]
    std::vector<std::string> journal;

    WindowBounds windowBounds() const override { return bounds; }
    void setWindowBounds(const WindowBounds& b) override {
        bounds = b;
        journal.push_back("bounds " + std::to_string(b.left) + " " + std::to_string(b.top) + " " +
                          std::to_string(b.width) + " " + std::to_string(b.height));
    }
    WindowState windowState() const override { return state; }
    void setWindowState(WindowState s) override {
        state = s;
        journal.push_back("state " + std::to_string(static_cast<int>(s)));
    }
    std::int32_t treeWidth() const override { return tree; }
    void setTreeWidth(std::int32_t w) override {
        tree = w;
        journal.push_back("tree " + std::to_string(w));
    }
    ScreenSize screenSize() const override { return screen; }
    void showRecentFilesSeparator() override { separatorShown = true; }
    void setRecentFileEntry(int slot, std::string_view caption) override {
        ASSERT_TRUE(slot >= 1 && slot <= 4) << slot;
        captions[slot] = std::string(caption);
    }
};

} // namespace cs::test
