// The main window with its real import chooser and image manager: a dropped or opened import
// file changes the shown database (views rebuilt, marked modified), Cancel and "nothing
// selected" change nothing, a picture store opened in the window shows in the image manager, and
// the image manager's Send hands its saved store to the connection wizard's software-upgrade mode.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/import_and_image_manager.h"
#include "app_test_support.h"
#include "exchange/import_chooser_window.h"
#include "fixtures/import_file_fixture.h"
#include "fixtures/picture_store_fixture.h"
#include "pictures/jpeg_codec.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

using namespace cs;
using namespace cs::apptest;
using cs::exchange_ui::ImportChooserWindow;
using cs::widgets::FileDialogKind;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedFileDialogs;
using cs::widgets::ScriptedMessageBoxes;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

// A window showing the demo database, with the real import and image manager hooks.
std::unique_ptr<app::MainWindow> demoWindow(Sandbox& box, bool openDemo = true) {
    box.makeViews = realViews;
    box.adjustHooks = [](app::MainWindowHooks& hooks) { app::setImportAndImageManagerHooks(hooks); };
    const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
    box.seedEarlierRun({openDemo ? file.string() : std::string()});
    auto window = box.makeWindow();
    if (openDemo && !runPendingOpen(*window))
        return nullptr;
    return window;
}

// An import file with a channel base of three channels and the colour profiles.
fs::path threeChannelImport(const Sandbox& box) {
    fixtures::ChannelBaseFixture base;
    for (const char* name : {"Imported A", "Imported B", "Imported C"}) {
        fixtures::ChannelFields channel;
        channel.name = name;
        channel.serviceId = static_cast<std::uint16_t>(100 + base.records.size());
        base.records.push_back(fixtures::encodeChannelRecord(channel));
    }
    fixtures::DsxRecipe recipe;
    recipe.description = "Three channels";
    recipe.components = {{0, fixtures::kDsxChannelBase, fixtures::kDsxMarker, fixtures::channelBaseBlock(base), {}},
                         {1, fixtures::kDsxColourProfiles, fixtures::kDsxMarker, fixtures::colourProfilesBlock(), {}}};
    const fs::path path = box.startFolder() / "three.dsx";
    fixtures::writeFile(path, fixtures::encodeDsx(recipe));
    return path;
}

// Runs `drive` once a visible top-level window of type W shows, from inside its own modal loop;
// polled, so that it runs whenever the loop starts. `shown` tells whether it ran.
template <typename W>
void whenShown(QObject& owner, bool& shown, std::function<void(W&)> drive) {
    auto* poll = new QTimer(&owner);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, &shown, drive] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<W*>(w); window && window->isVisible()) {
                poll->stop();
                shown = true;
                drive(*window);
                return;
            }
    });
    poll->start();
}

void whenChooserShows(QObject& owner, bool& shown, std::function<void(ImportChooserWindow&)> drive) {
    whenShown<ImportChooserWindow>(owner, shown, std::move(drive));
}

int listRows(app::MainWindow& window) { return window.widgets().channelList->model()->rowCount(); }

std::vector<std::uint8_t> pictureJpeg() {
    Bitmap bitmap = makeBitmap(720, 576, 3);
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i)
        bitmap.pixels[i] = static_cast<std::uint8_t>(i / bitmap.stride() / 3);  // a gentle ramp: a small file
    return *encodeJpeg(bitmap).data;
}

} // namespace

class ImportAndImageManagerTest : public QObject {
    Q_OBJECT

private slots:
    void droppedImportFileReplacesTheChannels();
    void cancelAndNothingSelectedChangeNothing();
    void openDialogTakesImportFiles();
    void pictureStoreOpenedInTheWindowShowsInTheImageManager();
    void imageManagerSendHandsTheStoreToTheWizard();
};

void ImportAndImageManagerTest::droppedImportFileReplacesTheChannels() {
    Sandbox box;
    auto window = demoWindow(box);
    QVERIFY(window && window->databaseLoaded());
    QVERIFY(listRows(*window) > 1000);
    QVERIFY(!window->isModified());

    bool shown = false;
    whenChooserShows(*window, shown, [](ImportChooserWindow& chooser) {
        chooser.componentList()->item(0)->setCheckState(Qt::Checked);
        QTest::mouseClick(chooser.okButton(), Qt::LeftButton);
    });
    window->filesDropped({threeChannelImport(box).string()});
    QVERIFY(shown);
    QVERIFY(window->isModified());
    QVERIFY(window->actions().save->isEnabled());
    QCOMPARE(window->database().channelCount(), std::size_t{3});
    QCOMPARE(listRows(*window), 3);
    QStringList names;
    for (int row = 0; row < 3; ++row)
        names << window->widgets().channelList->model()->index(row, 0).data().toString();
    QVERIFY2(names.join(',').contains(QStringLiteral("Imported B")), qPrintable(names.join(',')));
}

void ImportAndImageManagerTest::cancelAndNothingSelectedChangeNothing() {
    Sandbox box;
    auto window = demoWindow(box);
    QVERIFY(window);
    const int rows = listRows(*window);
    const std::size_t channels = window->database().channelCount();

    ScriptedMessageBoxes boxes;
    // The window runs in English: the chooser speaks its language (Polish only in Polish).
    boxes.expect("No component chosen", "Error", widgets::kStopOk, MessageAnswer::Ok);
    bool shown = false;
    bool stayedOpen = false;
    whenChooserShows(*window, shown, [&stayedOpen](ImportChooserWindow& chooser) {
        QTest::mouseClick(chooser.okButton(), Qt::LeftButton);  // nothing checked: the message, still open
        stayedOpen = chooser.isVisible();
        chooser.componentList()->item(0)->setCheckState(Qt::Checked);
        QTest::mouseClick(chooser.cancelButton(), Qt::LeftButton);
    });
    window->filesDropped({threeChannelImport(box).string()});
    QVERIFY(shown);
    QVERIFY(stayedOpen);
    CHECK_SCRIPT(boxes);
    QVERIFY(!window->isModified());
    QCOMPARE(window->database().channelCount(), channels);
    QCOMPARE(listRows(*window), rows);
}

void ImportAndImageManagerTest::openDialogTakesImportFiles() {
    Sandbox box;
    auto window = demoWindow(box);
    QVERIFY(window);
    const fs::path dsx = threeChannelImport(box);
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, dsx.string());
    bool shown = false;
    whenChooserShows(*window, shown, [](ImportChooserWindow& chooser) {
        chooser.componentList()->item(1)->setCheckState(Qt::Checked);
        QTest::mouseClick(chooser.okButton(), Qt::LeftButton);
    });
    window->actions().open->trigger();
    CHECK_SCRIPT(dialogs);
    QVERIFY(shown);
    QVERIFY(dialogs.shown().front().filter.find("*.dsx") != std::string::npos);
    QVERIFY(!window->deferredTimer().isActive());  // nothing is opened in place of the database
    QCOMPARE(window->currentFileName(), (box.startFolder() / "demo.dsp").string());
    QVERIFY(window->isModified());  // the colour profiles changed

    // Without a database there is nothing to import into.
    Sandbox empty;
    auto bare = demoWindow(empty, false);
    const fs::path other = threeChannelImport(empty);
    ScriptedMessageBoxes boxes;
    dialogs.expect(FileDialogKind::Open, other.string());
    boxes.expect("File three.dsx is not a valid format for database programs", "File error", widgets::kStopOk,
                 MessageAnswer::Ok);
    bare->openWithDialog();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    QVERIFY(!bare->databaseLoaded());
}

void ImportAndImageManagerTest::pictureStoreOpenedInTheWindowShowsInTheImageManager() {
    Sandbox box;
    auto window = demoWindow(box);
    QVERIFY(window);
    const std::vector<std::uint8_t> logo = pictureJpeg();
    fixtures::PictureStoreFixture store;
    store.entries = {{0, "mlogo25k.jpg", static_cast<std::uint32_t>(logo.size()), 4128, logo}};
    const fs::path file = box.startFolder() / "STORE.dsp";
    fixtures::writeFixtureFile(file, fixtures::makePictureStoreFile(store));

    bool shown = false;
    bool modal = false;
    std::string shownPath;
    std::vector<std::uint8_t> shownLogo;
    whenShown<pictures_ui::ImageManagerWindow>(*window, shown, [&](pictures_ui::ImageManagerWindow& manager) {
        modal = manager.isModal();
        shownPath = manager.document().store().currentPath();
        shownLogo = manager.document().store().slot(0).encodedData();
        manager.close();
    });
    ScriptedMessageBoxes boxes;  // no message expected
    window->openFileLater(file.string());
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QVERIFY(shown);
    QVERIFY(modal);
    QCOMPARE(shownPath, file.string());
    QCOMPARE(shownLogo, logo);
    QCOMPARE(window->currentFileName(), (box.startFolder() / "demo.dsp").string());
    QVERIFY(window->databaseLoaded());
}

void ImportAndImageManagerTest::imageManagerSendHandsTheStoreToTheWizard() {
    Sandbox box;
    box.seedEarlierRun();
    auto window = box.makeWindow();  // the recording wizard hook
    pictures_ui::ImageManagerWindow manager(app::imageManagerHost(*window));
    manager.show();
    const fs::path jpeg = box.startFolder() / "logo.jpg";
    fixtures::writeFixtureFile(jpeg, pictureJpeg());
    const fs::path store = box.startFolder() / "pictures.dsp";
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, jpeg.string());
    dialogs.expect(FileDialogKind::Save, store.string());
    manager.importPicture();
    manager.actions().send->trigger();
    CHECK_SCRIPT(dialogs);
    QVERIFY(fs::exists(store));
    QCOMPARE(window->session().upgradeFile(), store.string());
    QCOMPARE(box.wizardModes, std::vector<app::WizardMode>{app::WizardMode::SoftwareUpgrade});
    QCOMPARE(window->storedSettings().pictureStoreFolder, box.startFolder().string());

    manager.actions().wizard->trigger();
    QCOMPARE(box.wizardModes.back(), app::WizardMode::Menu);
}

QTEST_MAIN(ImportAndImageManagerTest)
#include "import_and_image_manager_test.moc"
