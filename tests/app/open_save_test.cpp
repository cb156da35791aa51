// Opening and saving database files through the main window: every result code of the deferred
// open with its message, the first run, the save question, Save with its single backup, Save as
// and failures that must keep the user's changes.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QLabel>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <fstream>

#include "widgets/file_dialogs.h"
#include "wizard/wizard_host.h"
#include "widgets/message_box.h"
#include "app_test_support.h"
#include "image/flash.h"

using namespace cs;
using namespace cs::apptest;
using cs::widgets::FileDialogKind;
using cs::widgets::ScriptedFileDialogs;
using cs::widgets::ScriptedMessageBoxes;

namespace {

constexpr widgets::MessageKind kStop = widgets::kStopOk;
constexpr widgets::MessageKind kYesNo = cs::widgets::kQuestionYesNo;
constexpr widgets::MessageKind kYesNoCancel = cs::widgets::kQuestionYesNoCancel;

fixtures::ImageBytes notADatabase() {
    fixtures::ImageBytes bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

bool contains(const fixtures::ImageBytes& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// Renames the first channel in use, so that a save has something of the user's to write.
void editFirstChannel(app::MainWindow& window, std::string_view name) {
    Flash& flash = window.flash();
    for (std::size_t slot = 0; slot < flash.channelCapacity(); ++slot)
        if (flash.steps().slotInUse(slot)) {
            flash.records()[slot].setName(name);
            window.setModified(true);
            return;
        }
    QFAIL("no channel in use");
}

std::vector<fs::path> backupsIn(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".BAK" || e.path().extension() == ".bak")
            found.push_back(e.path());
    return found;
}

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

} // namespace

class OpenSaveTest : public QObject {
    Q_OBJECT

private slots:
    void openResultCodes_data();
    void openResultCodes();
    void missingFileWithoutRecentFilesIsSilent();
    void firstRunRegistersTheFileTypeAndOpensTheWizard();
    void firstRunShowsADatabaseNamedOnTheCommandLineAfterTheWizard();
    void firstRunDoesNotShowTheStartupDefault();
    void commandLineFileAndAutorun();
    void softwareImageFromTheCommandLineIsHandedOver();
    void closingAfterAWizardFollowsThePreferences();
    void cancelInTheSaveQuestionKeepsTheShownDatabase();
    void openingTheOpenFileAsksFirst();
    void openDialogAddsTheExtensionAndRemembersTheFolder();
    void recentFilesMenu();
    void droppedFiles();
    void saveWithNothingModifiedWritesNothing();
    void saveKeepsExactlyOneBackup();
    void saveAs();
    void saveAsAsksBeforeReplacingAFile();
    void failedSaveKeepsTheChanges();
    void saveWhoseBackupCannotBeMadeIsRefused();
};

// Each result of openImage, after a database is already shown: only 0 replaces it, every other
// result leaves it (and the file a save goes to) as it was.
void OpenSaveTest::openResultCodes_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("kind");  // 0 demo, 1 missing, 2 garbage, 26 software, 42 picture store
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("wizardMode");  // -1 none

    QTest::newRow("0 loaded") << "other.dsp" << 0 << "" << -1;
    QTest::newRow("1 no such file") << "missing.dsp" << 1 << "File missing.dsp doesn't  exist" << -1;
    QTest::newRow("2 not a database") << "garbage.dsp" << 2
                                      << "File garbage.dsp is not a valid format for database programs" << -1;
    QTest::newRow("26 software image") << "upgrade.dsp" << 26 << "" << 62;
    QTest::newRow("42 picture store") << "pictures.dsp" << 42 << "" << -1;
}

void OpenSaveTest::openResultCodes() {
    QFETCH(QString, fileName);
    QFETCH(int, kind);
    QFETCH(QString, message);
    QFETCH(int, wizardMode);

    Sandbox box;
    const fs::path shown = box.writeFile("shown.dsp", Sandbox::demo());
    box.seedEarlierRun({shown.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->currentFileName(), shown.string());

    fs::path file = box.startFolder() / fileName.toStdString();
    switch (kind) {
    case 0:
        box.writeFile(file.filename().string(), Sandbox::demo());
        break;
    case 2:
        box.writeFile(file.filename().string(), notADatabase());
        break;
    case 26:
        box.writeFile(file.filename().string(), fixtures::softwareImage());
        break;
    case 42:
        box.writeFile(file.filename().string(), fixtures::pictureStoreHeaderImage());
        break;
    }
    window->openFileLater(file.string());

    ScriptedMessageBoxes boxes;
    if (!message.isEmpty())
        boxes.expect(message.toStdString(), "File error", kStop, cs::widgets::MessageAnswer::Ok);
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);

    QVERIFY(!window->deferredTimer().isActive());
    QVERIFY(window->log().contains("Error: " + std::to_string(kind)));
    const fs::path expectedShown = kind == 0 ? file : shown;
    QCOMPARE(window->windowTitle().toStdString(), expectedShown.filename().string() + "[*] - Tervanis Tools  v1.0.3");
    QCOMPARE(window->currentFileName(), expectedShown.string());
    QCOMPARE(window->pendingFileName(), expectedShown.string());
    QVERIFY(window->databaseLoaded());
    QCOMPARE(window->widgets().filePanel->text().toStdString(), expectedShown.string() + " (open)");
    QCOMPARE(window->storedSettings().recentFiles[0], expectedShown.string());
    QCOMPARE(box.wizardModes, wizardMode < 0 ? std::vector<app::WizardMode>{}
                                           : std::vector<app::WizardMode>{static_cast<app::WizardMode>(wizardMode)});
    if (kind == 26)
        QCOMPARE(window->session().upgradeFile(), file.string());
    QCOMPARE(box.imageManagerFiles, kind == 42 ? std::vector<std::string>{file.string()} : std::vector<std::string>{});
}

void OpenSaveTest::missingFileWithoutRecentFilesIsSilent() {
    // A later run whose recent list is empty and whose default file is missing starts empty.
    Sandbox box;
    box.seedEarlierRun();
    auto window = box.makeWindow();
    QCOMPARE(window->pendingFileName(), (box.startFolder() / "list.dsp").string());
    ScriptedMessageBoxes boxes;
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QVERIFY(!window->databaseLoaded());
    QVERIFY(window->currentFileName().empty());
    QVERIFY(window->pendingFileName().empty());
    QVERIFY(box.wizardModes.empty());
    QVERIFY(!window->widgets().filterBar->isVisibleTo(window.get()));
    QVERIFY(!window->actions().saveAs->isEnabled());
}

void OpenSaveTest::firstRunRegistersTheFileTypeAndOpensTheWizard() {
    Sandbox box;  // no settings at all
    auto window = box.makeWindow();
    ScriptedMessageBoxes boxes;
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QCOMPARE(box.wizardModes, std::vector<app::WizardMode>{app::WizardMode::FirstRun});
    QVERIFY(fs::exists(box.dataHome() / "mime/packages/channelsettings.xml"));
    QVERIFY(fs::exists(box.dataHome() / "applications/channelsettings.desktop"));
    QVERIFY(fs::file_size(box.dataHome() / "icons/hicolor/48x48/apps/channelsettings.png") > 0);
    QVERIFY(window->storedSettings().settingsFound);
    QVERIFY(!window->databaseLoaded());

    // Only once per run: a second missing file is reported as usual.
    window->storedSettings().recentFiles[0] = "/somewhere/list.dsp";
    window->openFileLater((box.startFolder() / "gone.dsp").string());
    boxes.expect("File gone.dsp doesn't  exist", "File error", kStop, cs::widgets::MessageAnswer::Ok);
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QCOMPARE(box.wizardModes.size(), std::size_t{1});
}

void OpenSaveTest::firstRunShowsADatabaseNamedOnTheCommandLineAfterTheWizard() {
    Sandbox box;
    const fs::path file = box.writeFile("double-clicked.dsp", Sandbox::demo());
    auto window = box.makeWindow({file.string()});
    QCOMPARE(window->session().launchState(), app::LaunchState::WithFile);
    ScriptedMessageBoxes boxes;
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QCOMPARE(box.wizardModes, std::vector<app::WizardMode>{app::WizardMode::FirstRun});
    QVERIFY(fs::exists(box.dataHome() / "mime/packages/channelsettings.xml"));
    QVERIFY(window->databaseLoaded());
    QCOMPARE(window->currentFileName(), file.string());
    QCOMPARE(window->session().launchState(), app::LaunchState::Normal);
}

void OpenSaveTest::firstRunDoesNotShowTheStartupDefault() {
    // A "list.dsp" in the start folder is the default of a first run; it is not shown then.
    Sandbox box;
    const fs::path list = box.writeFile("list.dsp", Sandbox::demo());
    auto window = box.makeWindow();
    QCOMPARE(window->pendingFileName(), list.string());
    ScriptedMessageBoxes boxes;
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QCOMPARE(box.wizardModes, std::vector<app::WizardMode>{app::WizardMode::FirstRun});
    QVERIFY(!window->databaseLoaded());
    QVERIFY(window->pendingFileName().empty());

    // A later Open shows it.
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, list.string());
    window->openWithDialog();
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(dialogs);
    QVERIFY(window->databaseLoaded());
    QCOMPARE(box.wizardModes.size(), std::size_t{1});
}

void OpenSaveTest::commandLineFileAndAutorun() {
    Sandbox box;
    const fs::path recent = box.writeFile("recent.dsp", Sandbox::demo());
    const fs::path given = box.writeFile("given.DSP", Sandbox::demo());
    box.writeFile("notes.txt", notADatabase());
    box.seedEarlierRun({recent.string()});

    // An existing .dsp file (extension in any case) replaces it.
    {
        auto window = box.makeWindow({given.string()});
        QVERIFY(!(window->QMainWindow::windowState() & Qt::WindowMinimized));
        QCOMPARE(window->pendingFileName(), given.string());
        QCOMPARE(window->session().launchState(), app::LaunchState::WithFile);
        QVERIFY(runPendingOpen(*window));
        QCOMPARE(window->currentFileName(), given.string());
    }
    box.seedEarlierRun({recent.string()});
    // Other files and missing ones are ignored.
    for (const std::string& arg : {(box.startFolder() / "notes.txt").string(), (box.startFolder() / "nope.dsp").string()}) {
        auto window = box.makeWindow({arg});
        QCOMPARE(window->pendingFileName(), recent.string());
        QCOMPARE(window->session().launchState(), app::LaunchState::Normal);
    }
    // "/autorun" starts minimised with the usual start-up file.
    {
        auto window = box.makeWindow({"/autorun"});
        QVERIFY(window->isMinimized() || (window->QMainWindow::windowState() & Qt::WindowMinimized));
        QCOMPARE(window->pendingFileName(), recent.string());
        QCOMPARE(window->session().launchState(), app::LaunchState::Normal);
    }
}

void OpenSaveTest::softwareImageFromTheCommandLineIsHandedOver() {
    Sandbox box;
    const fs::path image = box.writeFile("software.dsp", fixtures::softwareImage());
    box.seedEarlierRun();
    auto window = box.makeWindow({image.string()}, true);
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(box.wizardModes, std::vector<app::WizardMode>{app::WizardMode::SoftwareUpgrade});
    QCOMPARE(window->session().upgradeFile(), image.string());
    QCOMPARE(window->session().launchState(), app::LaunchState::SoftwareHandedOver);
    QVERIFY(!window->databaseLoaded());
    // Nothing of it may become the target of a save.
    QVERIFY(window->pendingFileName().empty());

    // Once it is sent the program ends, even where closing would hide it in the notification area.
    QSignalSpy ending(window.get(), &app::MainWindow::programEnding);
    window->storedSettings().setFlag(settings_flags::kCloseEndsProgram, false);
    static_cast<wizard::WizardHost&>(*window).wizardClosed(true);
    QTRY_COMPARE(ending.count(), 1);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->session().launchState(), app::LaunchState::Normal);
}

// A wizard that sent nothing, or a send of another kind, leaves closing as the preferences say.
void OpenSaveTest::closingAfterAWizardFollowsThePreferences() {
    Sandbox box;
    const fs::path image = box.writeFile("software.dsp", fixtures::softwareImage());
    box.seedEarlierRun();
    for (const bool handedOver : {true, false}) {
        auto window = box.makeWindow(handedOver ? std::vector<std::string>{image.string()} : std::vector<std::string>{}, true);
        if (handedOver)
            QVERIFY(runPendingOpen(*window));
        window->storedSettings().setFlag(settings_flags::kCloseEndsProgram, false);
        QSignalSpy ending(window.get(), &app::MainWindow::programEnding);
        // Not sent (handed over), or sent without having been handed over.
        static_cast<wizard::WizardHost&>(*window).wizardClosed(!handedOver);
        QApplication::processEvents();
        QVERIFY(window->isVisible());
        // The close box then hides the window and the program goes on.
        window->close();
        QCOMPARE(ending.count(), 0);
        QCOMPARE(window->session().launchState(), app::LaunchState::Normal);
    }
}

void OpenSaveTest::cancelInTheSaveQuestionKeepsTheShownDatabase() {
    Sandbox box;
    const fs::path first = box.writeFile("first.dsp", Sandbox::demo());
    const fs::path second = box.writeFile("second.dsp", Sandbox::demo());
    box.seedEarlierRun({first.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    window->setModified(true);

    // Loading another file: Cancel aborts the load.
    window->openFileLater(second.string());
    ScriptedMessageBoxes boxes;
    boxes.expect("Save database a file? first.dsp ?", "Save the changes ?", kYesNoCancel, cs::widgets::MessageAnswer::Cancel);
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QCOMPARE(window->currentFileName(), first.string());
    QCOMPARE(window->pendingFileName(), first.string());
    QVERIFY(window->isModified());
    QCOMPARE(window->widgets().filePanel->text().toStdString(), first.string() + " (open) (File changed)");

    // Closing with "close ends the program": Cancel keeps the window.
    window->storedSettings().setFlag(settings_flags::kCloseEndsProgram, true);
    bool ended = false;
    QObject::connect(window.get(), &app::MainWindow::programEnding, [&] { ended = true; });
    boxes.expect("Save database a file? first.dsp ?", "Save the changes ?", kYesNoCancel, cs::widgets::MessageAnswer::Cancel);
    window->close();
    CHECK_SCRIPT(boxes);
    QVERIFY(window->isVisible());
    QVERIFY(!ended);

    // No ends it without writing.
    const auto before = fixtures::readFile(first);
    boxes.expect("Save database a file? first.dsp ?", "Save the changes ?", kYesNoCancel, cs::widgets::MessageAnswer::No);
    window->close();
    CHECK_SCRIPT(boxes);
    QVERIFY(ended);
    QVERIFY(!window->isVisible());
    QVERIFY(fixtures::readFile(first) == before);
}

void OpenSaveTest::openingTheOpenFileAsksFirst() {
    Sandbox box;
    const fs::path file = box.writeFile("open.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));

    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    dialogs.expect(FileDialogKind::Open, file.string());
    boxes.expect("File is already open. Open it again?", "File error", kYesNo, cs::widgets::MessageAnswer::No);
    window->openWithDialog();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    QVERIFY(!window->deferredTimer().isActive());
    QCOMPARE(window->currentFileName(), file.string());

    dialogs.expect(FileDialogKind::Open, file.string());
    boxes.expect("File is already open. Open it again?", "File error", kYesNo, cs::widgets::MessageAnswer::Yes);
    window->openWithDialog();
    QVERIFY(runPendingOpen(*window));
    CHECK_SCRIPT(boxes);
    QCOMPARE(window->currentFileName(), file.string());

    // Cancelling the dialog does nothing.
    dialogs.expect(FileDialogKind::Open, std::nullopt);
    window->openWithDialog();
    CHECK_SCRIPT(dialogs);
    QVERIFY(!window->deferredTimer().isActive());
}

void OpenSaveTest::openDialogAddsTheExtensionAndRemembersTheFolder() {
    Sandbox box;
    box.seedEarlierRun();
    const fs::path file = box.writeFile("sub/typed.dsp", Sandbox::demo());
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));

    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    dialogs.expect(FileDialogKind::Open, (file.parent_path() / "typed").string());
    window->openWithDialog();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(window->pendingFileName(), file.string());
    QCOMPARE(window->storedSettings().loadFolder, file.parent_path().string());
    QVERIFY(runPendingOpen(*window));

    // The next dialog starts there; a name that does not exist is refused.
    dialogs.expect(FileDialogKind::Open, (file.parent_path() / "absent.dsp").string());
    boxes.expect("File absent.dsp doesn't  exist", "File error", kStop, cs::widgets::MessageAnswer::Ok);
    window->openWithDialog();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    QCOMPARE(dialogs.shown().back().initialFolder, file.parent_path().string());
    QCOMPARE(dialogs.shown().back().filter,
             std::string("Channel database (*.dsp)|*.dsp|Import file (*.dsx)|*.dsx"));
    QVERIFY(!window->deferredTimer().isActive());
}

void OpenSaveTest::recentFilesMenu() {
    Sandbox box;
    const fs::path a = box.writeFile("a.dsp", Sandbox::demo());
    const fs::path b = box.writeFile("b.dsp", Sandbox::demo());
    box.seedEarlierRun({a.string(), b.string()});
    auto window = box.makeWindow();
    QVERIFY(window->actions().recentFilesSeparator->isVisible());
    QVERIFY(window->actions().recentFiles[0]->isVisible());
    QVERIFY(window->actions().recentFiles[1]->isVisible());
    QVERIFY(!window->actions().recentFiles[2]->isVisible());
    QVERIFY(window->actions().recentFiles[0]->text().startsWith(QStringLiteral("&1. ")));
    QVERIFY(window->actions().recentFiles[1]->text().endsWith(QStringLiteral("b.dsp")));
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->currentFileName(), a.string());

    // The open file's own entry does nothing; another entry opens that file and moves it up.
    window->openRecentFile(1);
    QVERIFY(!window->deferredTimer().isActive());
    window->actions().recentFiles[1]->trigger();
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->currentFileName(), b.string());
    QCOMPARE(window->storedSettings().recentFiles[0], b.string());
    QCOMPARE(window->storedSettings().recentFiles[1], a.string());
    QVERIFY(window->actions().recentFiles[0]->text().endsWith(QStringLiteral("b.dsp")));
}

void OpenSaveTest::droppedFiles() {
    Sandbox box;
    const fs::path first = box.writeFile("first.dsp", Sandbox::demo());
    const fs::path dropped = box.writeFile("Dropped.DSP", Sandbox::demo());
    const fs::path dsx = box.writeFile("import.dsx", notADatabase());
    const fs::path other = box.writeFile("picture.jpg", notADatabase());
    box.seedEarlierRun();
    auto window = box.makeWindow();
    QVERIFY(window->acceptDrops());
    QVERIFY(runPendingOpen(*window));  // silent: nothing to open

    // An import file needs a shown database.
    window->filesDropped({dsx.string()});
    QVERIFY(box.importedFiles.empty());
    window->openFileLater(first.string());
    QVERIFY(runPendingOpen(*window));

    window->filesDropped({other.string(), dropped.string()});  // only the first counts
    QVERIFY(!window->deferredTimer().isActive());
    window->filesDropped({dsx.string()});
    QCOMPARE(box.importedFiles, std::vector<std::string>{dsx.string()});
    // A real drop from the file manager: URLs of local files.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped.string())),
                  QUrl::fromLocalFile(QString::fromStdString(other.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QVERIFY(drop.isAccepted());
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->currentFileName(), dropped.string());

    // With drag and drop disabled the window takes no drops.
    box.seedEarlierRun({}, settings_flags::kDefaults | settings_flags::kDragDropDisabled);
    auto locked = box.makeWindow();
    QVERIFY(!locked->acceptDrops());
}

void OpenSaveTest::saveWithNothingModifiedWritesNothing() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    QVERIFY(!window->actions().save->isEnabled());
    QVERIFY(!window->actions().toolSave->isEnabled());
    QVERIFY(window->actions().saveAs->isEnabled());
    const auto before = fs::last_write_time(file);

    ScriptedMessageBoxes boxes;
    window->save();
    CHECK_SCRIPT(boxes);
    QVERIFY(fs::last_write_time(file) == before);
    QVERIFY(fixtures::readFile(file) == Sandbox::demo());
    QVERIFY(backupsIn(box.startFolder()).empty());
}

void OpenSaveTest::saveKeepsExactlyOneBackup() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));

    ScriptedMessageBoxes boxes;
    editFirstChannel(*window, "First edit");
    QVERIFY(window->actions().save->isEnabled());
    QVERIFY(window->actions().toolSave->isEnabled());
    window->save();
    QVERIFY(!window->isModified());
    QVERIFY(!window->actions().toolSave->isEnabled());
    const fs::path backup = box.startFolder() / "db.BAK";
    QVERIFY(fixtures::readFile(backup) == Sandbox::demo());
    const auto firstSave = fixtures::readFile(file);
    QVERIFY(contains(firstSave, "First edit"));

    editFirstChannel(*window, "Second edit");
    window->actions().toolSave->trigger();
    CHECK_SCRIPT(boxes);
    QVERIFY(fixtures::readFile(backup) == firstSave);
    QVERIFY(contains(fixtures::readFile(file), "Second edit"));
    QCOMPARE(backupsIn(box.startFolder()), std::vector<fs::path>{backup});
    QCOMPARE(fixtures::readFile(file).size(), Sandbox::demo().size());
}

void OpenSaveTest::saveAs() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    fs::create_directories(box.path() / "elsewhere");
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    editFirstChannel(*window, "Saved as");

    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    const fs::path target = box.path() / "elsewhere" / "copy";
    dialogs.expect(FileDialogKind::Save, target.string());
    window->saveAs();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    const fs::path written = box.path() / "elsewhere" / "copy.dsp";
    QVERIFY(contains(fixtures::readFile(written), "Saved as"));
    QVERIFY(fixtures::readFile(file) == Sandbox::demo());
    QVERIFY(backupsIn(box.path() / "elsewhere").empty());
    QCOMPARE(window->currentFileName(), written.string());
    QCOMPARE(window->pendingFileName(), written.string());
    QVERIFY(!window->isModified());
    QCOMPARE(window->storedSettings().saveFolder, (box.path() / "elsewhere").string());
    QCOMPARE(window->storedSettings().recentFiles[0], file.string());  // Save as leaves the recent files alone

    // The next plain save goes to the new name and keeps its backup there.
    editFirstChannel(*window, "After save as");
    window->save();
    QVERIFY(contains(fixtures::readFile(written), "After save as"));
    QVERIFY(fixtures::readFile(file) == Sandbox::demo());
    QCOMPARE(dialogs.shown().front().initialFolder, std::string());
}

void OpenSaveTest::saveAsAsksBeforeReplacingAFile() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    const fs::path existing = box.writeFile("existing.dsp", notADatabase());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));

    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    // Typed without its extension: the question is still asked for the file that would go.
    dialogs.expect(FileDialogKind::Save, (box.startFolder() / "existing").string());
    boxes.expect("File 'existing.dsp' already exists, save?", "Information", kYesNo, cs::widgets::MessageAnswer::No);
    window->saveAs();
    CHECK_SCRIPT(boxes);
    QVERIFY(fixtures::readFile(existing) == notADatabase());
    QCOMPARE(window->currentFileName(), file.string());

    dialogs.expect(FileDialogKind::Save, existing.string());
    boxes.expect("File 'existing.dsp' already exists, save?", "Information", kYesNo, cs::widgets::MessageAnswer::Yes);
    window->saveAs();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    QCOMPARE(fixtures::readFile(existing).size(), Sandbox::demo().size());
    QCOMPARE(window->currentFileName(), existing.string());
}

void OpenSaveTest::failedSaveKeepsTheChanges() {
    Sandbox box;
    const fs::path file = box.writeFile("gone/db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    editFirstChannel(*window, "Unsaved");
    // The folder disappears under the editor (an unplugged stick, a removed share).
    fs::rename(box.startFolder() / "gone", box.startFolder() / "moved");

    // The message names the file and then the reason, as the command-line tool gives it.
    {
        ScriptedMessageBoxes told;
        window->save();
        QCOMPARE(told.shown().size(), std::size_t{1});
        QCOMPARE(told.shown()[0].text, "Unable to save file " + file.string() + "\n" + window->flash().lastSave().error);
        QVERIFY(window->flash().lastSave().error.find("No such file or directory") != std::string::npos);
    }
    // Each failed save below names the file first, then its reason.
    const auto saveFailedFor = [&](const fs::path& target) {
        return "Unable to save file " + target.string() + "\n" + window->flash().lastSave().error;
    };
    QVERIFY(window->isModified());
    QVERIFY(window->actions().save->isEnabled());
    QVERIFY(window->widgets().filePanel->text().endsWith(QStringLiteral("(File changed)")));
    QVERIFY(fixtures::readFile(box.startFolder() / "moved" / "db.dsp") == Sandbox::demo());

    // Save as into a folder that does not exist fails the same way and keeps the old name.
    ScriptedFileDialogs dialogs;
    const fs::path nowhere = box.path() / "no-such-folder" / "x.dsp";
    dialogs.expect(FileDialogKind::Save, nowhere.string());
    {
        ScriptedMessageBoxes told;
        window->saveAs();
        QCOMPARE(told.shown().size(), std::size_t{1});
        QCOMPARE(told.shown()[0].text, saveFailedFor(nowhere));
    }
    ScriptedMessageBoxes boxes;
    QCOMPARE(window->currentFileName(), file.string());
    QCOMPARE(window->pendingFileName(), file.string());
    QVERIFY(window->isModified());

    // Yes in the closing question with a save that fails keeps the window and the changes.
    window->storedSettings().setFlag(settings_flags::kCloseEndsProgram, true);
    bool ended = false;
    QObject::connect(window.get(), &app::MainWindow::programEnding, [&] { ended = true; });
    {
        ScriptedMessageBoxes told;
        told.expect("Save database a file? db.dsp ?", "Save the changes ?", kYesNoCancel, cs::widgets::MessageAnswer::Yes);
        window->close();
        QCOMPARE(told.shown().size(), std::size_t{2});
        QCOMPARE(told.shown()[1].text, saveFailedFor(file));
    }
    QVERIFY(window->isVisible());
    QVERIFY(!ended);
    QVERIFY(window->isModified());

    // Once the folder is back, Yes saves and closes.
    fs::rename(box.startFolder() / "moved", box.startFolder() / "gone");
    boxes.expect("Save database a file? db.dsp ?", "Save the changes ?", kYesNoCancel, cs::widgets::MessageAnswer::Yes);
    window->close();
    CHECK_SCRIPT(boxes);
    QVERIFY(ended);
    QVERIFY(contains(fixtures::readFile(file), "Unsaved"));
}

void OpenSaveTest::saveWhoseBackupCannotBeMadeIsRefused() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    editFirstChannel(*window, "Unsaved");
    fs::create_directory(box.startFolder() / "db.BAK");

    // The window shows the refusal in the same words as the command line.
    cs::NullLog log;
    cs::Flash probe(log);
    QCOMPARE(probe.openImage(file.string()), cs::OpenResult::Loaded);
    QCOMPARE(probe.saveImage(file.string(), true), cs::SaveResult::BackupRefused);
    const std::string reason = probe.lastSave().error;
    QVERIFY(reason.find("Save as") != std::string::npos);

    ScriptedMessageBoxes boxes;
    boxes.expect("Unable to save file " + file.string() + "\n" + window->text("MsgSaveNoBackup") + "\n" + reason, "Write Error", kStop,
                 cs::widgets::MessageAnswer::Ok);
    window->save();
    CHECK_SCRIPT(boxes);
    QVERIFY(window->isModified());
    QVERIFY(fixtures::readFile(file) == Sandbox::demo());
}

QTEST_MAIN(OpenSaveTest)
#include "open_save_test.moc"
