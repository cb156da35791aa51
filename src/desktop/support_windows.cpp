#include "desktop/support_windows.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include "desktop/contact_addresses.h"
#include "desktop/desktop_launcher.h"
#include "desktop/desktop_shell.h"
#include "desktop/help_window.h"
#include "desktop/log_file.h"
#include "desktop/log_window.h"
#include "lang/language_folders.h"
#include "settings/stored_settings.h"

namespace cs::desktop {
namespace {

// The property of the main window that leads to its support windows.
constexpr const char* kSupportProperty = "cs.supportWindows";
// The property by which any window or widget names its own help page.
constexpr const char* kHelpTopicProperty = "helpTopic";

} // namespace

AboutBoxContext aboutBoxContext(SupportHost& window) {
    AboutBoxContext context;
    context.texts = [&window](std::string_view key) { return window.text(key); };
    context.settings = &window.storedSettings();
    context.openUrl = [&window](const QUrl& url) { window.openUrl(url); };
    context.homePageAddress = std::string(kHomePageAddress);
    context.mailAddress = std::string(kMailAddress);
    return context;
}

PreferencesContext preferencesContext(SupportHost& window) {
    PreferencesContext context;
    context.texts = [&window](std::string_view key) { return window.text(key); };
    context.settings = &window.storedSettings();
    context.registerFileType = [&window] { return window.registerFileType(); };
    context.createLauncher = [&window] {
        const ShellPlaces& places = window.shell().places();
        return createDesktopLauncher(places, desktopFolderForCurrentUser(places.dirs));
    };
    context.accepted = [&window] {
        // Drag and drop follows its box at once; the settings are stored now, not only at exit.
        window.applyPreferences();
        StoredSettings& settings = window.storedSettings();
        settings.savePreferences(window.settingsStore());
        window.shell().setStartAtLogon(settings.flag(settings_flags::kStartAtLogon));
    };
    context.showHelp = [&window] {
        if (SupportWindows* support = SupportWindows::of(window))
            support->showHelp(HelpTopic::Preferences);
    };
    return context;
}

void openAboutBox(SupportHost& window) {
    AboutBox box(aboutBoxContext(window), window.hostWindow());
    box.exec();
}

void openPreferencesDialog(SupportHost& window) {
    PreferencesDialog dialog(preferencesContext(window), window.hostWindow());
    dialog.exec();
}

std::string helpFileForWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant own = w->property(kHelpTopicProperty);
        if (own.isValid() && !own.toString().isEmpty())
            return own.toString().toStdString();
    }
    for (const QWidget* win = widget ? widget->window() : nullptr; win;
         win = win->parentWidget() ? win->parentWidget()->window() : nullptr) {
        if (auto topic = helpTopicForWindow(win->metaObject()->className()))
            return std::string(helpFileFor(*topic));
        if (auto topic = helpTopicForWindow(win->objectName().toStdString()))
            return std::string(helpFileFor(*topic));
    }
    return std::string(helpFileFor(HelpTopic::MainWindow));
}

SupportWindows* SupportWindows::of(SupportHost& window) {
    return qobject_cast<SupportWindows*>(window.hostWindow()->property(kSupportProperty).value<QObject*>());
}

SupportWindows::SupportWindows(SupportHost& window, std::filesystem::path helpFolder, std::filesystem::path logFile)
    : window_(window), helpFolder_(helpFolder.empty() ? helpFolderFor(lang::programFolder()) : std::move(helpFolder)) {
    setObjectName(QStringLiteral("supportWindows"));
    window_.hostWindow()->setProperty(kSupportProperty, QVariant::fromValue<QObject*>(this));
    log_ = std::make_unique<LogWindow>(window_.log(), logFile.empty() ? logFilePathForCurrentUser() : std::move(logFile),
                                       window_.hostWindow());

    const HelpEntries a = window_.helpEntries();
    auto helpEntry = [this](QAction* action, auto handler) {
        action->setVisible(true);
        connect(action, &QAction::triggered, this, handler);
    };
    helpEntry(a.contents, [this] { showHelp(HelpTopic::Contents); });
    helpEntry(a.index, [this] { helpWindow().showIndex(QString()); });
    helpEntry(a.usingHelp, [this] { showHelp(HelpTopic::UsingHelp); });
    helpEntry(a.toolHelp, [this] { showHelp(HelpTopic::Contents); });

    QMenu* menu = a.menu;
    const QList<QAction*> entries = menu->actions();
    // The separator after the help entries is shown with them.
    for (QAction* entry : entries)
        if (entry->isSeparator()) {
            entry->setVisible(true);
            break;
        }
    showLog_ = new QAction(menu);
    showLog_->setObjectName(QStringLiteral("showLog"));
    connect(showLog_, &QAction::triggered, this, &SupportWindows::showLog);
    menu->insertAction(a.about, showLog_);
    menu->insertSeparator(a.about);
    applyTexts();

    qApp->installEventFilter(this);
}

SupportWindows::~SupportWindows() {
    qApp->removeEventFilter(this);
    if (window_.hostWindow()->property(kSupportProperty).value<QObject*>() == this)
        window_.hostWindow()->setProperty(kSupportProperty, QVariant());
}

HelpWindow& SupportWindows::helpWindow() {
    if (!help_)
        help_ = std::make_unique<HelpWindow>(HelpLibrary::load(helpFolder_));
    return *help_;
}

HelpWindow& SupportWindows::showHelp(const std::string& file) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != help_.get()) {
        // A modal dialog blocks every window but its own children: this help window is one.
        auto* own = modal->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
        if (!own) {
            own = new HelpWindow(HelpLibrary::load(helpFolder_), modal);
            own->setAttribute(Qt::WA_DeleteOnClose);
        }
        own->showPage(file);
        return *own;
    }
    helpWindow().showPage(file);
    return *help_;
}

void SupportWindows::showLog() {
    log_->takeNewLines();
    log_->show();
    log_->raise();
    log_->activateWindow();
}

void SupportWindows::applyTexts() {
    const HelpEntries a = window_.helpEntries();
    auto text = [this](std::string_view key) { return QString::fromStdString(window_.text(key)); };
    a.contents->setText(text("MenuHelpContents"));
    a.index->setText(text("MenuHelpIndex"));
    a.usingHelp->setText(text("MenuHelpUsing"));
    a.toolHelp->setText(text("HintHelpContents"));
    showLog_->setText(text("MenuLogWindow"));
}

bool SupportWindows::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LanguageChange && watched == window_.hostWindow())
        applyTexts();
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && watched->isWidgetType()) {
        // Key presses go to the widget with the focus: its window decides the page.
        showHelp(helpFileForWidget(static_cast<QWidget*>(watched)));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace cs::desktop
