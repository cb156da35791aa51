// A change of language reaches every window: those open at the switch and those kept from an
// earlier opening show the new language at once, with no text of the language before.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "app/window_properties.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"
#include "common/log_sink.h"
#include "desktop/log_window.h"
#include "editing/edit_controller.h"
#include "editing/find_dialog.h"
#include "properties/properties_dialog.h"
#include "app_test_support.h"
#include "window_texts.h"

using namespace cs;
using namespace cs::apptest;

namespace {

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

// The texts the properties dialog shows for `request`, read while it is shown modally.
QStringList propertiesLeftOver(app::MainWindow& window, const properties::PropertiesRequest& request,
                               const std::set<QString>& before, QString* title = nullptr) {
    QStringList found;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<properties::PropertiesDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shown = true;
        found = leftOver(*dialog, before);
        if (title)
            *title = dialog->windowTitle();
        dialog->cancelButton()->click();
    });
    window.openProperties(request);
    if (!shown)
        found.push_back(QStringLiteral("(the properties dialog was not shown)"));
    return found;
}

} // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void windowsOpenOrKeptShowTheNewLanguage_data();
    void windowsOpenOrKeptShowTheNewLanguage();
};

void LanguageSwitchTest::windowsOpenOrKeptShowTheNewLanguage_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("toName");
    QTest::newRow("Polish to Slovak") << QStringLiteral("Polski.lng") << 3 << QStringLiteral("Slovensky.lng");
    QTest::newRow("Slovak to Spanish") << QStringLiteral("Slovensky.lng") << 1 << QStringLiteral("Espanol.lng");
    QTest::newRow("Italian to English") << QStringLiteral("Italiano.lng") << 0 << QStringLiteral("English.lng");
    QTest::newRow("English to Polish") << QStringLiteral("English.lng") << 2 << QStringLiteral("Polski.lng");
}

void LanguageSwitchTest::windowsOpenOrKeptShowTheNewLanguage() {
    QFETCH(QString, from);
    QFETCH(int, to);
    QFETCH(QString, toName);
    Sandbox box;
    box.makeViews = realViews;
    const auto file = box.writeFile("demo.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    box.store().seed(kSettingsKeyPath, "LangFile", from.toStdString());
    auto window = box.makeWindow();
    app::MainWindowHooks hooks;
    hooks.openProperties = app::makePropertiesHook();
    window->setHooks(std::move(hooks));
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->languages().current()->name(), from.toStdString());

    // Before the switch: the properties dialog is made and prepared in the first language, the
    // find dialog and the log window are open.
    properties::PropertiesRequest channel;
    channel.channelSlot = window->views()->model().rowSlots().front();
    QVERIFY(propertiesLeftOver(*window, channel, {}).isEmpty());
    window->actions().find->trigger();
    editing::FindDialog* find = window->editController()->findDialog();
    QVERIFY(find && find->isVisible());
    MemoryLog log;
    desktop::LogWindow logWindow(log, box.path() / "log.txt", window.get());
    logWindow.show();

    window->menus().language->actions().at(to)->trigger();
    QCOMPARE(window->languages().current()->name(), toName.toStdString());
    const std::set<QString> before = textsOnlyIn(from.toStdString(), toName.toStdString());
    QVERIFY(!before.empty());

    QCOMPARE(leftOver(*find, before), QStringList());
    QCOMPARE(find->windowTitle().toStdString(), QString::fromStdString(window->text("MenuFind")).remove(QLatin1Char('&')).toStdString());
    QCOMPARE(leftOver(logWindow, before), QStringList());
    QCOMPARE(logWindow.windowTitle().toStdString(), window->text("Log_Title"));
    QCOMPARE(leftOver(*window, before).join(QLatin1Char('|')), QString());

    QString title;
    QCOMPARE(propertiesLeftOver(*window, channel, before, &title), QStringList());
    for (SettingsGroup group : {SettingsGroup::Receiver, SettingsGroup::Satellites, SettingsGroup::Clock,
                                SettingsGroup::ParentalLock, SettingsGroup::Converters, SettingsGroup::Transponders}) {
        properties::PropertiesRequest settings;
        settings.purpose = properties::PropertiesRequest::Purpose::Settings;
        settings.settingsGroup = group;
        QCOMPARE(propertiesLeftOver(*window, settings, before), QStringList());
    }
}

QTEST_MAIN(LanguageSwitchTest)
#include "language_switch_test.moc"
