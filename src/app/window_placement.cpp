#include "app/window_placement.h"

#include "app/main_window_widgets.h"
#include "settings/stored_settings.h"

#include <QAction>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>

namespace cs::app {

namespace {
constexpr int kTrayTipLimit = 127;
constexpr int kListWidthMargin = 24;
} // namespace

// The window as the settings record sees it: bounds, state, tree width, screen and the
// recent-files entries of the File menu.
class WindowSettingsAdapter final : public SettingsWindow {
public:
    WindowSettingsAdapter(QMainWindow& window, const MainWindowWidgets& widgets) : w_(window), widgets_(widgets) {}

    bool boundsRestored = false;
    // The window was minimised by a log-on start ("/autorun"), not by the user: while that
    // lasts, the state stored is the one the window had before.
    std::optional<WindowState> stateBeforeAutorun;

    WindowBounds windowBounds() const override {
        const QRect r = w_.isMaximized() || w_.isMinimized() ? w_.normalGeometry() : w_.geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    void setWindowBounds(const WindowBounds& b) override {
        const int width = std::clamp<int>(b.width, kMinWindowWidth, kMaxWindowWidth);
        const int height = std::clamp<int>(b.height, kMinWindowHeight, kMaxWindowHeight);
        w_.setGeometry(b.left, b.top, width, height);
        boundsRestored = true;
    }
    WindowState windowState() const override {
        if (stateBeforeAutorun)
            return *stateBeforeAutorun;
        if (w_.isMinimized())
            return WindowState::minimised;
        if (w_.isMaximized())
            return WindowState::maximised;
        return WindowState::normal;
    }
    void setWindowState(WindowState state) override {
        switch (state) {
        case WindowState::minimised:
            w_.setWindowState(Qt::WindowMinimized);
            break;
        case WindowState::maximised:
            w_.setWindowState(Qt::WindowMaximized);
            break;
        case WindowState::normal:
            w_.setWindowState(Qt::WindowNoState);
            break;
        }
    }
    std::int32_t treeWidth() const override { return widgets_.tree->width(); }
    void setTreeWidth(std::int32_t width) override {
        QSplitter* splitter = widgets_.splitter;
        QList<int> sizes = splitter->sizes();
        const int total = std::max(sizes.value(0) + sizes.value(1), w_.width());
        const int tree = std::clamp<int>(width, 0, total);
        widgets_.tree->resize(tree, widgets_.tree->height());
        splitter->setSizes({tree, std::max(0, total - tree)});
    }
    ScreenSize screenSize() const override {
        const QScreen* screen = w_.screen();
        if (!screen)
            return {};
        const QSize size = screen->size();
        return {size.width(), size.height()};
    }
    void showRecentFilesSeparator() override { widgets_.actions.recentFilesSeparator->setVisible(true); }
    void setRecentFileEntry(int slot, std::string_view caption) override {
        if (slot < 1 || slot > static_cast<int>(kRecentFileCount))
            return;
        QAction* entry = widgets_.actions.recentFiles[static_cast<std::size_t>(slot - 1)];
        entry->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        entry->setVisible(true);
    }

private:
    QMainWindow& w_;
    const MainWindowWidgets& widgets_;
};

WindowPlacement::WindowPlacement(QMainWindow& window, const MainWindowWidgets& widgets, StoredSettings& settings,
                                 std::optional<bool> trayAvailable)
    : QObject(&window),
      window_(window),
      widgets_(widgets),
      settings_(settings),
      adapter_(std::make_unique<WindowSettingsAdapter>(window, widgets)),
      trayAvailable_(trayAvailable) {}

WindowPlacement::~WindowPlacement() { hideTrayIcon(); }

SettingsWindow& WindowPlacement::settingsWindow() { return *adapter_; }

bool WindowPlacement::boundsRestored() const { return adapter_->boundsRestored; }

void WindowPlacement::minimiseForAutorun() {
    const WindowState before = adapter_->windowState();
    window_.setWindowState(window_.windowState() | Qt::WindowMinimized);
    adapter_->stateBeforeAutorun = before;
}

void WindowPlacement::windowStateChanged() {
    // Once the user has the window back, its state is theirs to keep again.
    if (!(window_.windowState() & Qt::WindowMinimized))
        adapter_->stateBeforeAutorun.reset();
}

void WindowPlacement::followScreenSize() {
    const ScreenSize screen = adapter_->screenSize();
    if (screen.width <= 0 || screen.height <= 0)
        return;
    if (screen.width == settings_.screenWidth && screen.height == settings_.screenHeight)
        return;
    centre(screen);
    if (screen.width < window_.width() || screen.height < window_.height())
        window_.resize(std::min(window_.width(), screen.width), std::min(window_.height(), screen.height));
    settings_.screenWidth = screen.width;
    settings_.screenHeight = screen.height;
    centredThisRun_ = true;
}

void WindowPlacement::centre(const ScreenSize& screen) {
    const QRect frame = window_.frameGeometry();
    int left = (screen.width - frame.width()) / 2;
    int top = (screen.height - frame.height()) / 2 - 16;
    if (const QScreen* s = window_.screen()) {
        left += s->geometry().x();
        top += s->geometry().y();
    }
    window_.move(left, top);
}

void WindowPlacement::keepOnScreen() {
    const QScreen* s = window_.screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    QRect frame = window_.frameGeometry();
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    if (frame.topLeft() != window_.frameGeometry().topLeft())
        window_.move(frame.topLeft());
}

void WindowPlacement::watchScreen() {
    // A change of the screen's resolution recentres the window, as a repaint did on the
    // original platform.
    if (screenWatched_)
        return;
    if (QScreen* s = window_.screen()) {
        connect(s, &QScreen::geometryChanged, this, [this] { followScreenSize(); });
        screenWatched_ = true;
    }
    if (QWindow* handle = window_.windowHandle())
        connect(handle, &QWindow::screenChanged, this, [this](QScreen* s) {
            if (s)
                connect(s, &QScreen::geometryChanged, this, [this] { followScreenSize(); },
                        Qt::UniqueConnection);
            followScreenSize();
        });
}

void WindowPlacement::keepCentred() {
    // A window centred at start stays centred at its new width.
    if (centredThisRun_)
        centre(adapter_->screenSize());
}

void WindowPlacement::firstShown() {
    // Whatever was stored, the window starts where it can be seen whole.
    keepOnScreen();
    watchScreen();
}

void WindowPlacement::fitListWidth(int listWidth, bool onlyWider) {
    const int listLeft = widgets_.tree->width() + widgets_.splitter->handleWidth();
    int width = std::clamp(listLeft + listWidth + kListWidthMargin, kMinWindowWidth, kMaxWindowWidth);
    if (const QScreen* s = window_.screen())
        width = std::min(width, std::max(kMinWindowWidth, s->availableGeometry().width()));
    if (!onlyWider || width > window_.width())
        window_.resize(width, window_.height());
}

bool WindowPlacement::trayAvailable() const {
    // Asking the desktop takes a round trip to its notification area: only when a close needs it.
    if (!trayAvailable_)
        trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    return *trayAvailable_;
}

bool WindowPlacement::trayIconShown() const { return trayIcon_ && trayIcon_->isVisible(); }

void WindowPlacement::hideToTray(const QString& toolTip) {
    if (!trayIcon_) {
        trayIcon_ = new QSystemTrayIcon(window_.windowIcon(), this);
        trayIcon_->setObjectName(QStringLiteral("trayIcon"));
        trayIcon_->setContextMenu(widgets_.menus.tray);
        connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            // A left click shows the window; the context menu comes up by itself.
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit trayActivated();
        });
    }
    window_.hide();
    trayIcon_->setIcon(window_.windowIcon());
    setTrayToolTip(toolTip);
    trayIcon_->show();
}

void WindowPlacement::setTrayToolTip(const QString& toolTip) {
    if (trayIcon_)
        trayIcon_->setToolTip(toolTip.left(kTrayTipLimit));
}

void WindowPlacement::hideTrayIcon() {
    if (trayIcon_)
        trayIcon_->hide();
}

void WindowPlacement::showWindow() {
    if (window_.isMinimized())
        window_.showNormal();
    else
        window_.show();
    window_.raise();
    window_.activateWindow();
}

} // namespace cs::app
