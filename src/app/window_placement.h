#pragma once
// Where the main window stands and whether it shows: its bounds and state as the stored settings
// see them, centring on a changed screen, staying whole on screen, widening to its list, and
// the icon in the desktop's notification area that stands for it while it is hidden.
#include <QObject>

#include <memory>
#include <optional>

#include "settings/settings_window.h"

class QMainWindow;
class QMenu;
class QSystemTrayIcon;

namespace cs {
class StoredSettings;
}

namespace cs::app {

struct MainWindowWidgets;
class WindowSettingsAdapter;

class WindowPlacement final : public QObject {
    Q_OBJECT

public:
    WindowPlacement(QMainWindow& window, const MainWindowWidgets& widgets, StoredSettings& settings,
                    std::optional<bool> trayAvailable);
    ~WindowPlacement() override;

    // What loading and saving the settings see of the window.
    SettingsWindow& settingsWindow();
    // The stored settings gave the window its bounds: they win over the width the columns need.
    bool boundsRestored() const;

    // A log-on start ("/autorun") minimises the window; the state stored meanwhile is the one
    // it had before, until the user takes the window back.
    void minimiseForAutorun();
    void windowStateChanged();

    // Recentres the window when the screen's size differs from the stored one.
    void followScreenSize();
    // A window centred in this run is centred again (after it was widened to its list).
    void keepCentred();
    // After the first show: the window stays whole on screen and follows later changes of the
    // screen.
    void firstShown();
    // Widens the window to what the list's columns need (only wider: `onlyWider`).
    void fitListWidth(int listWidth, bool onlyWider);

    // Whether the desktop has a notification area (asked when first needed).
    bool trayAvailable() const;
    bool trayIconShown() const;
    // Hides the window behind its notification-area icon with this tool tip.
    void hideToTray(const QString& toolTip);
    void setTrayToolTip(const QString& toolTip);
    void hideTrayIcon();
    // Shows the window again (from the notification area or minimised).
    void showWindow();

signals:
    // The notification-area icon was clicked.
    void trayActivated();

private:
    void centre(const ScreenSize& screen);
    void keepOnScreen();
    void watchScreen();

    QMainWindow& window_;
    const MainWindowWidgets& widgets_;
    StoredSettings& settings_;
    std::unique_ptr<WindowSettingsAdapter> adapter_;
    mutable std::optional<bool> trayAvailable_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    bool screenWatched_ = false;
    bool centredThisRun_ = false;
};

} // namespace cs::app
