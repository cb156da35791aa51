#pragma once
// What loading and saving the settings need from the main window: its bounds, state and tree
// pane width, the screen size, and the recent-files entries of its File menu. The main window
// implements this; tests use a fake that records what was applied.
#include <cstdint>
#include <string_view>

namespace cs {

struct WindowBounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The stored "WindowState" values.
enum class WindowState : std::int32_t { normal = 0, minimised = 1, maximised = 2 };

class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    // Bounds of the window in its normal (not maximised, not minimised) state.
    virtual WindowBounds windowBounds() const = 0;
    virtual void setWindowBounds(const WindowBounds& bounds) = 0;
    virtual WindowState windowState() const = 0;
    virtual void setWindowState(WindowState state) = 0;
    virtual std::int32_t treeWidth() const = 0;
    virtual void setTreeWidth(std::int32_t width) = 0;
    virtual ScreenSize screenSize() const = 0;

    // Recent-files entries of the File menu: the separator before them, and entry `slot` (1..4)
    // made visible with `caption`.
    virtual void showRecentFilesSeparator() = 0;
    virtual void setRecentFileEntry(int slot, std::string_view caption) = 0;
};

} // namespace cs
