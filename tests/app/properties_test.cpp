// The properties dialog in the main window on the demo database: the coding-system filter lists
// the CA table, a settings icon opens its page, and an end-to-end edit (a channel's PIDs and name,
// a converter, the time zone) is saved and read back through the core with valid CRCs.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/window_properties.h"
#include "fixtures/image_builder.h"
#include "properties/antenna_pages.h"
#include "properties/channel_pages.h"
#include "properties/properties_dialog.h"
#include "properties/receiver_pages.h"
#include "views/view_controller.h"
#include "widgets/message_box.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;

namespace {

namespace fx = cs::fixtures;

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

// Runs `drive` on the properties dialog once it is shown modally.
void whenShown(const std::function<void(properties::PropertiesDialog&)>& drive) {
    QTimer::singleShot(0, [drive] {
        auto* dialog = qobject_cast<properties::PropertiesDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        drive(*dialog);
    });
}

void typeInto(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->setModified(true);
    emit box->editingFinished();
}

struct Window {
    Sandbox box;
    std::unique_ptr<app::MainWindow> window;
    std::filesystem::path file;

    Window() {
        box.makeViews = realViews;
        file = box.writeFile("demo.dsp", Sandbox::demo());
        box.seedEarlierRun({file.string()});
        window = box.makeWindow();
        app::MainWindowHooks hooks;
        hooks.openProperties = app::makePropertiesHook();
        window->setHooks(std::move(hooks));
    }
    views::ViewController& views() { return *window->views(); }
    // Selects the SETUP node (the last one) as a click does.
    void selectSettingsNode() {
        QTreeWidget* tree = window->widgets().tree;
        // The first applied selection after start only swallows the one reported while the
        // window was built, as in the running program.
        views().applyTreeSelection();
        tree->setCurrentItem(tree->topLevelItem(tree->topLevelItemCount() - 1));
        views().applyTreeSelection();
    }
    // The settings icon of `page`.
    QListWidgetItem* icon(SettingsGroup group) {
        QListWidget* icons = window->widgets().settingsIcons;
        for (int i = 0; i < icons->count(); ++i)
            if (views().settingsGroupOfItem(i) == group)
                return icons->item(i);
        return nullptr;
    }
};

} // namespace

class PropertiesTest : public QObject {
    Q_OBJECT

private slots:
    void codingSystemFilterListsTheCaTable();
    void settingsIconOpensItsPage();
    void editsSavedAndReadBackThroughTheCore();
};

void PropertiesTest::codingSystemFilterListsTheCaTable() {
    Window w;
    QVERIFY(runPendingOpen(*w.window));
    const QList<QAction*> items = w.window->widgets().filterBar->codingSystemMenu()->actions();
    QCOMPARE(items.size(), 34);
    QCOMPARE(items.front()->text(), QStringLiteral("0x0100, Canal Plus, Seca/Mediaguard"));
    QCOMPARE(items.front()->data().toInt(), 0x0100);
    QCOMPARE(items.back()->data().toInt(), 0x4800);
}

void PropertiesTest::settingsIconOpensItsPage() {
    Window w;
    QVERIFY(runPendingOpen(*w.window));
    w.selectSettingsNode();
    QListWidget* icons = w.window->widgets().settingsIcons;
    QCOMPARE(w.views().listMode(), views::ListMode::Settings);
    QCOMPARE(icons->count(), 7);

    // The satellites icon; Cancel leaves the database unmodified.
    QString title;
    whenShown([&title](properties::PropertiesDialog& d) {
        title = d.windowTitle();
        d.cancelButton()->click();
    });
    emit icons->itemActivated(w.icon(SettingsGroup::Satellites));
    QCOMPARE(title, QStringLiteral("Properties: Satellites"));
    QVERIFY(!w.window->isModified());

    // The transponder list icon; OK without an edit leaves it unmodified too.
    whenShown([&title](properties::PropertiesDialog& d) {
        title = d.windowTitle();
        d.okButton()->click();
    });
    emit icons->itemActivated(w.icon(SettingsGroup::Transponders));
    QVERIFY(title.startsWith(QStringLiteral("Properties: Transponder list TP ")));
    QVERIFY(!w.window->isModified());

    // The receiver, clock and parental-lock pages have icons of their own.
    for (const SettingsGroup page : {SettingsGroup::Receiver, SettingsGroup::Clock, SettingsGroup::ParentalLock}) {
        bool shown = false;
        whenShown([&shown, page](properties::PropertiesDialog& d) {
            shown = d.settingsPage(page) && d.settingsPage(page)->isVisibleTo(&d);
            d.cancelButton()->click();
        });
        QVERIFY(w.icon(page));
        emit icons->itemActivated(w.icon(page));
        QVERIFY2(shown, qPrintable(QString::number(static_cast<int>(page))));
    }
    QVERIFY(!w.window->isModified());
}

void PropertiesTest::editsSavedAndReadBackThroughTheCore() {
    Window w;
    QVERIFY(runPendingOpen(*w.window));
    app::MainWindow& window = *w.window;
    const std::uint16_t slot = window.database().mainTable()[0];

    // The channel: name and PIDs.
    properties::PropertiesRequest channel;
    channel.channelSlot = slot;
    whenShown([](properties::PropertiesDialog& d) {
        properties::ChannelPages& p = d.channelPages();
        typeInto(p.nameBox(), QStringLiteral("Edited Channel"));
        typeInto(p.videoPidBox(), QStringLiteral("0x1FF0"));
        typeInto(p.audioPidBox(), QStringLiteral("8190"));
        d.okButton()->click();
    });
    QCOMPARE(window.openProperties(channel), properties::ChangeLevel::Written);
    window.setModified(true);

    // Converter 4 through its settings icon.
    w.selectSettingsNode();
    QListWidget* icons = window.widgets().settingsIcons;
    whenShown([](properties::PropertiesDialog& d) {
        auto* page = static_cast<properties::ConvertersPage*>(d.settingsPage(SettingsGroup::Converters));
        page->converterList()->setCurrentIndex(3);
        typeInto(page->valueBox(properties::ConverterValue::Lof1), QStringLiteral("9700"));
        d.okButton()->click();
    });
    emit icons->itemActivated(w.icon(SettingsGroup::Converters));

    // The time zone.
    properties::PropertiesRequest clock;
    clock.purpose = properties::PropertiesRequest::Purpose::Settings;
    clock.settingsGroup = SettingsGroup::Clock;
    whenShown([](properties::PropertiesDialog& d) {
        auto* page = static_cast<properties::ClockPage*>(d.settingsPage(SettingsGroup::Clock));
        page->zoneList()->setCurrentIndex(14);
        d.okButton()->click();
    });
    QCOMPARE(window.openProperties(clock), properties::ChangeLevel::Written);
    QCOMPARE(window.flash().settings().settings.timeZone(), 2);

    QVERIFY(window.isModified());
    {
        widgets::ScriptedMessageBoxes boxes;
        window.save();
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    QVERIFY(!window.isModified());

    // Read back through the core, not through the dialog.
    const fx::ImageBytes saved = fx::readFile(w.file);
    const fx::ImageLayout layout = fx::layoutOf(fx::DatabaseFileKind::SettingsR78, saved.size());
    QVERIFY(fx::settingsCrcValid(saved, layout));
    QVERIFY(fx::providerAreaValid(saved, layout));
    NullLog log;
    Flash reread(log);
    QCOMPARE(reread.openImage(w.file.string()), OpenResult::Loaded);
    int found = 0;
    for (std::size_t s = 0; s < reread.channelCapacity(); ++s) {
        const ChannelRecord& r = reread.records()[s];
        if (r.name() != "Edited Channel")
            continue;
        ++found;
        QCOMPARE(r.videoPid(), 0x1FF0);
        QCOMPARE(r.audioPid(), 8190);
        QVERIFY(isValidChannelRecord(r));
        QVERIFY(fx::recordCrcValid(r.bytes()));
    }
    QCOMPARE(found, 1);
    QCOMPARE(reread.settings().settings.converter(3).lof1, 9700);
    // The time zone belongs to the editor's working record only: it is not part of the image.
    QCOMPARE(reread.settings().settings.timeZone(), 0);
}

QTEST_MAIN(PropertiesTest)
#include "properties_test.moc"
