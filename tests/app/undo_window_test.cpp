// Undo and Redo in the main window with its real views, offscreen: the menu and tool bar texts
// and enabled states, the modified flag across save, undo and redo, a new history on open, and
// the shortcuts with and without the preference "Ctrl+Z undoes".
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QItemSelectionModel>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "app/undo_commands.h"
#include "app/window_views.h"
#include "desktop/preferences_dialog.h"
#include "desktop/support_windows.h"
#include "fixtures/image_builder.h"
#include "app_test_support.h"

#include <algorithm>

using namespace cs;
using namespace cs::apptest;

namespace {

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

std::unique_ptr<app::MainWindow> openDemo(Sandbox& box, const fs::path& file) {
    box.makeViews = realViews;
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    if (!runPendingOpen(*window))
        return nullptr;
    return window;
}

// A change as every command makes one: the database changes and the window is marked modified;
// the step is recorded once the event loop runs again.
void renameList(app::MainWindow& window, std::size_t list, const std::string& name) {
    window.setModified(true);
    QVERIFY(window.database().renameList(list, name));
    QCoreApplication::processEvents();
}


QKeySequence key(QKeyCombination combination) { return QKeySequence(combination); }

} // namespace

class UndoWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menuTextsEnabledStatesAndTheModifiedFlag();
    void openingAnotherFileStartsANewHistory();
    void undoKeepsTheSelectedChannels();
    void shortcutsFollowThePreference();
};

void UndoWindowTest::menuTextsEnabledStatesAndTheModifiedFlag() {
    Sandbox box;
    const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
    auto window = openDemo(box, file);
    QVERIFY(window);
    app::UndoCommands& undo = window->undoCommands();
    QAction* undoAction = undo.undoAction();
    QAction* redoAction = undo.redoAction();
    // In the Edit menu first and in the tool bar.
    QCOMPARE(window->menus().edit->actions().value(0), undoAction);
    QCOMPARE(window->menus().edit->actions().value(1), redoAction);
    QVERIFY(window->widgets().toolBar->actions().contains(undo.toolUndoAction()));
    QVERIFY(window->widgets().toolBar->actions().contains(undo.toolRedoAction()));
    QVERIFY(!undoAction->isEnabled() && !redoAction->isEnabled() && !undo.toolUndoAction()->isEnabled());
    QCOMPARE(undoAction->text(), QStringLiteral("&Undo"));
    const std::string firstName(window->flash().settings().listName(1));

    renameList(*window, 1, "Morning");
    QVERIFY(window->isModified());
    QVERIFY(undoAction->isEnabled() && undo.toolUndoAction()->isEnabled());
    QVERIFY(!redoAction->isEnabled());
    QCOMPARE(undoAction->text(), QStringLiteral("&Undo Change name: Morning"));
    QCOMPARE(undo.toolUndoAction()->toolTip(), QStringLiteral("Undo Change name: Morning"));

    renameList(*window, 1, "Evening");
    window->save();
    QVERIFY(!window->isModified());
    QVERIFY(undoAction->isEnabled());  // saving keeps the history

    undoAction->trigger();
    QVERIFY(window->isModified());
    QCOMPARE(window->flash().settings().listName(1), std::string_view("Morning"));
    QCOMPARE(redoAction->text(), QStringLiteral("&Redo Change name: Evening"));
    QCOMPARE(undo.toolRedoAction()->toolTip(), QStringLiteral("Redo Change name: Evening"));
    // The tree shows the list's name as it is again.
    QVERIFY(!window->widgets().tree->findItems(QStringLiteral("Morning"), Qt::MatchContains | Qt::MatchRecursive).isEmpty());

    undoAction->trigger();
    QCOMPARE(window->flash().settings().listName(1), std::string_view(firstName));
    QVERIFY(!undoAction->isEnabled());
    QVERIFY(window->isModified());

    redoAction->trigger();
    redoAction->trigger();
    QVERIFY(!window->isModified());  // back at the state that was saved
    QVERIFY(!redoAction->isEnabled());
    QCOMPARE(window->flash().settings().listName(1), std::string_view("Evening"));

    // A new change after an undo drops what could have been redone.
    undoAction->trigger();
    renameList(*window, 2, "Other");
    QVERIFY(!redoAction->isEnabled());
    QVERIFY(window->isModified());
    QCOMPARE(undoAction->text(), QStringLiteral("&Undo Change name: Other"));
}

void UndoWindowTest::openingAnotherFileStartsANewHistory() {
    Sandbox box;
    const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
    const fs::path other = box.writeFile("other.dsp", Sandbox::demo());
    auto window = openDemo(box, file);
    QVERIFY(window);
    renameList(*window, 1, "Morning");
    window->save();
    QVERIFY(window->undoCommands().undoAction()->isEnabled());
    window->openFileLater(other.string());
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->currentFileName(), other.string());
    QVERIFY(!window->undoCommands().undoAction()->isEnabled());
    QVERIFY(!window->undoCommands().redoAction()->isEnabled());
    QVERIFY(!window->isModified());
}

void UndoWindowTest::undoKeepsTheSelectedChannels() {
    Sandbox box;
    const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
    auto window = openDemo(box, file);
    QVERIFY(window);
    QTableView* list = window->widgets().channelList;
    QVERIFY(list->model()->rowCount() > 10);
    QItemSelection picked;
    for (int row : {2, 3, 7})
        picked.select(list->model()->index(row, 0), list->model()->index(row, 0));
    list->selectionModel()->select(picked, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    renameList(*window, 1, "Morning");
    window->undoCommands().undoAction()->trigger();
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QCOMPARE(rows, (QList<int>{2, 3, 7}));
}

void UndoWindowTest::shortcutsFollowThePreference() {
    Sandbox box;
    box.seedEarlierRun();
    auto window = box.makeWindow();
    const app::MainWindowActions& a = window->actions();
    app::UndoCommands& undo = window->undoCommands();
    using Keys = QList<QKeySequence>;
    QCOMPARE(a.save->shortcuts(), (Keys{key(Qt::CTRL | Qt::Key_Z), key(Qt::CTRL | Qt::Key_S)}));
    QCOMPARE(a.exit->shortcuts(), (Keys{key(Qt::CTRL | Qt::Key_N), key(Qt::CTRL | Qt::Key_Q)}));
    QCOMPARE(undo.undoAction()->shortcuts(), (Keys{key(Qt::ALT | Qt::Key_Backspace)}));
    QCOMPARE(undo.redoAction()->shortcuts(), (Keys{key(Qt::CTRL | Qt::Key_Y), key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));

    // The box on the General page moves Ctrl+Z to Undo at once and stores the choice.
    {
        desktop::PreferencesContext context = desktop::preferencesContext(*window);
        context.findPorts = [] { return std::vector<std::string>{}; };
        desktop::PreferencesDialog dialog(context, window.get());
        QCheckBox* check = dialog.ctrlZUndoesBox();
        QCOMPARE(check->parentWidget()->objectName(), QStringLiteral("generalPage"));
        QCOMPARE(check->text(), QStringLiteral("Ctrl+Z undoes, as on the desktop"));
        QVERIFY(!check->isChecked());
        check->setChecked(true);
        dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    }
    QVERIFY(window->storedSettings().ctrlZUndoes);
    QCOMPARE(a.save->shortcuts(), (Keys{key(Qt::CTRL | Qt::Key_S)}));
    QCOMPARE(undo.undoAction()->shortcuts(), (Keys{key(Qt::CTRL | Qt::Key_Z), key(Qt::ALT | Qt::Key_Backspace)}));
    QVERIFY(box.store().openKey(kSettingsKeyPath, false));
    QCOMPARE(box.store().readInteger("UndoOnCtrlZ"), std::optional<std::int32_t>(1));
    box.store().closeKey();

    // The next run reads it back.
    window.reset();
    auto next = box.makeWindow();
    QVERIFY(next->storedSettings().ctrlZUndoes);
    QCOMPARE(next->undoCommands().undoAction()->shortcuts().value(0), key(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(next->actions().save->shortcuts(), (Keys{key(Qt::CTRL | Qt::Key_S)}));
}

QTEST_MAIN(UndoWindowTest)
#include "undo_window_test.moc"
