// The editing commands in the main window with its real views, on small generated databases:
// each question with the effect of Yes and No, renaming in place, lists, find, the clipboard
// within this process and from another one, drag and drop, the drag hint and the list chooser
// in the window (its order of a list: list_chooser_test.cpp).
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QMimeData>
#include <QUrl>
#include <QTableView>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include "editor_support.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "editing/clipboard_exchange.h"
#include "editing/edit_controller.h"
#include "editing/list_chooser.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"
#include "widgets/message_box.h"

using namespace cs;
using namespace cs::apptest;
using cs::edittest::Editor;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedMessageBoxes;

namespace {

namespace fx = cs::fixtures;

// Channels of another editor on the clipboard: the given records with another process's owner.
void putForeign(const ChannelDatabase& from, const std::vector<std::uint16_t>& offered, std::uint32_t owner = 0x5eed) {
    QGuiApplication::clipboard()->setMimeData(editing::makeClipboardData(from, offered, 0, false, owner));
}

} // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void deleteAsksAndActsByView();
    void renameChannelsInPlace();
    void favouriteListsCreateRenameDelete();
    void renameBoxesTakeTypedKeys();
    void eraseAllOfANode();
    void menusFollowTheSelection();
    void findNextFindAllAndNumbers();
    void cutCopyPasteWithinTheProcess();
    void pasteFromAnotherProcess();
    void pasteBeyondTheFreeSlotsTellsWhatWasLeftOut();
    void dragAndDropDecisionsAndDrops();
    void dragHintDelayAndCancel();
    void edgeScrollingWhileDragging();
    void filesDroppedOnTheViewsReachTheWindow();
    void propertiesChangeLevels();
    void listChooserPresetsAndClose();
};

void EditCommandsTest::deleteAsksAndActsByView() {
    Editor e;
    QVERIFY(e.loaded && e.edit);
    const std::size_t before = e.db().channelCount();
    e.selectRows({0, 1});
    const std::vector<std::uint16_t> gone = {e.shown()[0], e.shown()[1]};
    const std::string question = e.texts().removePrompt(2, e.texts().channelRowTexts(gone[0], 0, false).name, 0);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(question, e.lang("TextRemoveChannel"), widgets::kQuestionYesNo, MessageAnswer::No);
        e.edit->deleteChannels();
        QVERIFY2(boxes.done() && boxes.failures().empty(), boxes.report().c_str());
    }
    QCOMPARE(e.db().channelCount(), before);
    QVERIFY(!e.window->isModified());

    // Copied first, then deleted from the main list: the clipboard list lets them go too.
    e.window->actions().copy->trigger();
    QVERIFY(e.edit->clipboard().contains(gone[0]));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(question, e.lang("TextRemoveChannel"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        QTest::keyClick(e.list, Qt::Key_F8);
        QVERIFY2(boxes.done() && boxes.failures().empty(), boxes.report().c_str());
    }
    QCOMPARE(e.db().channelCount(), before - 2);
    QVERIFY(!e.db().entry(gone[0]).inUse() && !e.db().entry(gone[1]).inUse());
    QCOMPARE(e.model().rows(), static_cast<int>(before - 2));
    QVERIFY(e.model().rowOfSlot(gone[0]) < 0);
    QVERIFY(e.edit->clipboard().empty());
    QVERIFY(e.window->isModified());

    // In a favourite list the channels only leave the list.
    e.show(e.listNode(1));
    const int members = e.model().rows();
    e.selectRows({0});
    const std::uint16_t leaving = e.shown()[0];
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(e.texts().removePrompt(1, e.texts().channelRowTexts(leaving, 0, false).name, 1),
                     e.lang("TextRemoveChannel"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        e.window->actions().deleteChannels->trigger();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.model().rows(), members - 1);
    QVERIFY(e.db().entry(leaving).inUse());
    QCOMPARE(e.db().record(leaving).listPosition(1), std::uint16_t{0});
    QCOMPARE(e.db().channelCount(), before - 2);

    // Saved and reopened, the deletions stay.
    e.window->save();
    Flash flash2(e.window->log());
    ChannelDatabase db2(flash2);
    QCOMPARE(flash2.openImage(e.path), OpenResult::Loaded);
    QCOMPARE(db2.channelCount(), before - 2);
    QCOMPARE(db2.listMembers(1), static_cast<std::size_t>(members - 1));
}

void EditCommandsTest::renameChannelsInPlace() {
    Editor e;
    QVERIFY(e.loaded);
    const int nameColumn = e.model().visibleColumn(views::kColName);
    const std::uint16_t slot = e.shown()[3];
    const std::string old = e.name(slot);
    struct Case {
        QString entered;
        std::string stored;
    } cases[] = {
        {QStringLiteral("   Leading"), "Leading"},
        {QStringLiteral("Twenty characters!!!"), "Twenty characte"},
        {QStringLiteral("\x01\x02"), "Twenty characte"},  // nothing left: the name stays
    };
    for (const Case& c : cases) {
        e.model().setData(e.model().index(3, nameColumn), c.entered, Qt::EditRole);
        QCOMPARE(e.name(slot), c.stored);
        QCOMPARE(e.model().index(3, nameColumn).data().toString().toStdString(), c.stored);
    }
    QVERIFY(old != e.name(slot));
    QVERIFY(e.window->isModified());

    // Numbering mode: rows cannot be edited in place.
    e.window->actions().numberingMode->trigger();
    QVERIFY(!(e.model().flags(e.model().index(0, e.model().visibleColumn(views::kColName))) & Qt::ItemIsEditable));
}

void EditCommandsTest::favouriteListsCreateRenameDelete() {
    Editor e;
    QVERIFY(e.loaded);
    QCOMPARE(e.listCount(), 1);
    e.show(e.listNode(1));
    e.edit->createList();
    QCOMPARE(e.listCount(), 2);
    const std::string base = e.lang("TextListNew");
    QCOMPARE(e.texts().listText(2, 0), base);
    QVERIFY(e.window->isModified());
    e.edit->createList();
    e.edit->createList();
    QCOMPARE(e.texts().listText(3, 0), base + "01");
    QCOMPARE(e.texts().listText(4, 0), base + "02");
    QVERIFY(e.listNode(4) != nullptr);
    QCOMPARE(e.window->widgets().filterBar->favouriteListMenu()->actions().size(), 4);

    // Renaming in place: the word "list" and its blank go, 11 characters at most.
    QVERIFY(e.edit->renameList(e.listNode(2), "  List Cinema"));
    QCOMPARE(e.db().flash().settings().listName(2), std::string("Cinema"));
    QCOMPARE(e.listNode(2)->text(0).toStdString(), e.lang("MsgListBig") + " Cinema");
    QVERIFY(e.edit->renameList(e.listNode(3), "Fourteen chars"));
    QCOMPARE(e.db().flash().settings().listName(3), std::string("Fourteen ch"));
    QVERIFY(!e.edit->renameList(e.listNode(3), "list "));
    QCOMPARE(e.db().flash().settings().listName(3), std::string("Fourteen ch"));

    // The menu offers a new list only below eight lists.
    while (e.listCount() < 8)
        e.edit->createList();
    e.show(e.listNode(8));
    e.edit->prepareTreePopup();
    QVERIFY(e.window->actions().treeCreateList->isVisible());
    QVERIFY(!e.window->actions().treeCreateList->isEnabled());

    // Delete list: No keeps it; Yes removes it and empties the clipboard list.
    e.show(e.listNode(1));
    e.selectRows({0});
    e.window->actions().copy->trigger();
    QVERIFY(!e.edit->clipboard().empty());
    e.show(e.listNode(2));
    const std::string question = e.lang("MsgQuestionErase") + " " + e.listNode(2)->text(0).toStdString() + " ? ";
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(question, e.lang("MsgEraseList"), widgets::kQuestionYesNo, MessageAnswer::No);
        e.edit->deleteSelectedList();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.listCount(), 8);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(question, e.lang("MsgEraseList"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        e.window->actions().treeDeleteList->trigger();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.listCount(), 7);
    QCOMPARE(e.db().flash().settings().listName(2), std::string("Fourteen ch"));
    QVERIFY(e.edit->clipboard().empty());
    QCOMPARE(e.window->widgets().filterBar->favouriteListMenu()->actions().size(), 7);
    QVERIFY(!e.window->actions().toolPaste->isEnabled() || editing::ClipboardList::foreignChannelCount() > 0);
}

// The name boxes with real keys: Return ends a rename and does nothing more; the box of a new
// list stays open past the tree's selection delay, until the user ends it.
void EditCommandsTest::renameBoxesTakeTypedKeys() {
    Editor e;
    QVERIFY(e.loaded);
    e.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(e.window.get()));
    std::vector<properties::PropertiesRequest> requests;
    app::MainWindowHooks hooks;
    hooks.openProperties = [&](app::MainWindow&, const properties::PropertiesRequest& r) {
        requests.push_back(r);
        return properties::ChangeLevel::None;
    };
    e.window->setHooks(hooks);
    const auto nameBox = [&](QAbstractItemView* view) -> QLineEdit* {
        auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return box && view->isAncestorOf(box) ? box : nullptr;
    };

    // A channel renamed in place: Return stores the name and opens no Properties.
    e.list->setFocus();
    e.selectRows({2});
    const std::uint16_t slot = e.shown()[2];
    e.window->actions().listRename->trigger();
    QLineEdit* box = nameBox(e.list);
    QVERIFY(box);
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("Typed name"));
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_VERIFY(!nameBox(e.list));
    QCOMPARE(e.name(slot), std::string("Typed name"));
    QVERIFY(requests.empty());
    // Return on the list itself still opens them.
    e.list->setFocus();
    QTest::keyClick(e.list, Qt::Key_Return);
    QCOMPARE(requests.size(), std::size_t{1});

    // A new list: its box outlasts the selection delay and takes the name typed afterwards.
    e.show(e.listNode(1));
    e.edit->createList();
    QVERIFY(nameBox(e.tree));
    QTRY_VERIFY(!e.views->selectionPending());
    QApplication::processEvents();
    box = nameBox(e.tree);
    QVERIFY(box);
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("Cinema"));
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_VERIFY(!nameBox(e.tree));
    QCOMPARE(e.db().flash().settings().listName(2), std::string("Cinema"));
    QCOMPARE(requests.size(), std::size_t{1});
}

void EditCommandsTest::eraseAllOfANode() {
    Editor e;
    QVERIFY(e.loaded);
    const std::size_t members = e.db().listMembers(1);
    const std::size_t channels = e.db().channelCount();
    QVERIFY(members > 0);
    e.show(e.listNode(1));
    const std::string listQuestion = e.texts().eraseAllPrompt(TreeNode::favouriteList(1));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(listQuestion, e.lang("TextDelete"), widgets::kQuestionYesNo, MessageAnswer::No);
        e.window->actions().treeEraseChannels->trigger();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.db().listMembers(1), members);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(listQuestion, e.lang("TextDelete"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        e.window->actions().treeEraseChannels->trigger();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.db().listMembers(1), std::size_t{0});
    QCOMPARE(e.db().channelCount(), channels);
    QCOMPARE(e.model().rows(), 0);

    // A satellite dropped on the bin: its channels leave the database.
    QTreeWidgetItem* satellite = e.node(TreeNode::satellite(19));
    QVERIFY(satellite);
    e.show(satellite);
    const int onSatellite = e.model().rows();
    QVERIFY(onSatellite > 0);
    const QString hint = e.edit->treeDragText(false, satellite, e.binNode());
    QCOMPARE(hint.toStdString(), e.texts().eraseAllPrompt(TreeNode::satellite(19)));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(hint.toStdString(), e.lang("TextDelete"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        e.edit->dropOnTree(false, satellite, e.binNode());
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.db().channelCount(), channels - static_cast<std::size_t>(onSatellite));
    QVERIFY(!e.db().satelliteUsed(19));
}

void EditCommandsTest::menusFollowTheSelection() {
    Editor e;
    QVERIFY(e.loaded);
    const auto& a = e.window->actions();
    e.list->clearSelection();
    e.edit->prepareListPopup();
    QVERIFY(a.listPaste->isVisible() && a.listSelectAll->isVisible());
    QVERIFY(!a.listCut->isVisible() && !a.listRename->isVisible() && !a.listProperties->isVisible());
    e.selectRows({1});
    e.edit->prepareListPopup();
    QVERIFY(a.listCopy->isVisible() && a.listCopy->isEnabled() && a.listRename->isVisible());
    QVERIFY(a.listCut->isVisible() && !a.listCut->isEnabled());  // cut only in a favourite list
    e.show(e.listNode(1));
    e.selectRows({1});
    e.edit->prepareListPopup();
    QVERIFY(a.listCut->isEnabled());

    e.show(e.mainNode());
    e.edit->prepareTreePopup();
    QVERIFY(a.treeEraseChannels->isVisible() && a.treeRename->isVisible() && a.treeProperties->isVisible());
    QVERIFY(!a.treeCreateList->isVisible() && !a.treeDeleteList->isVisible());
    e.show(e.binNode());
    e.edit->prepareTreePopup();
    QVERIFY(!a.treeEraseChannels->isVisible() && !a.treeCreateList->isVisible());

    // Select all (Ctrl+A in the list) selects every row.
    e.show(e.mainNode());
    e.edit->selectAll();
    QCOMPARE(static_cast<int>(e.edit->selectedRows().size()), e.model().rows());
}

void EditCommandsTest::findNextFindAllAndNumbers() {
    Editor e;
    QVERIFY(e.loaded);
    // Names are "Ch 1000".."Ch 1149": "ch 100" begins ten of them ("Ch 1000".."Ch 1009").
    e.window->actions().find->trigger();
    editing::FindDialog* dialog = e.edit->findDialog();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(e.window->actions().toolFind->isChecked());
    dialog->setSearchText(QStringLiteral("ch 1000"));
    dialog->setWholeWord(true);
    e.list->clearSelection();
    dialog->findRequested();
    auto selected = e.edit->selectedRows();
    QCOMPARE(selected.size(), std::size_t{1});
    QCOMPARE(e.name(e.shown()[static_cast<std::size_t>(selected[0])]), std::string("Ch 1000"));
    {
        // The only match is the selected row itself.
        ScriptedMessageBoxes boxes;
        boxes.expect(e.lang("TextNotFoundChannel"), e.lang("TextInformation"), widgets::kInformationOk, MessageAnswer::Ok);
        e.window->actions().findNext->trigger();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    // Find next wraps round to the first match above.
    dialog->setWholeWord(false);
    dialog->setSearchText(QStringLiteral("CH 100"));
    std::vector<int> visited;
    for (int i = 0; i < 11; ++i) {
        e.window->actions().findNext->trigger();
        visited.push_back(e.edit->selectedRows().front());
    }
    std::vector<int> distinct(visited.begin(), visited.begin() + 10);
    std::sort(distinct.begin(), distinct.end());
    QCOMPARE(std::unique(distinct.begin(), distinct.end()) - distinct.begin(), 10);
    QCOMPARE(visited[10], visited[0]);

    // Find all: exactly the matching rows, the dialog closed.
    e.window->actions().findAll->trigger();
    QCOMPARE(dialog->mode(), editing::FindMode::All);
    dialog->findRequested();
    QVERIFY(!dialog->isVisible());
    QVERIFY(!e.window->actions().toolFind->isChecked());
    QCOMPARE(e.edit->selectedRows().size(), std::size_t{10});

    // A tree selection change closes the dialog.
    e.window->actions().find->trigger();
    QVERIFY(dialog->isVisible());
    e.tree->setCurrentItem(e.listNode(1));
    QVERIFY(!dialog->isVisible());
    e.show(e.mainNode());

    // Numbering mode searches by number.
    e.window->actions().numberingMode->trigger();
    e.window->actions().find->trigger();
    dialog->setSearchText(QStringLiteral("12"));
    dialog->setWholeWord(true);
    e.list->clearSelection();
    dialog->findRequested();
    QCOMPARE(e.edit->selectedRows(), std::vector<int>{11});
    dialog->setSearchText(QStringLiteral("twelve"));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(e.lang("MsgGiveNbChannel"), "", widgets::MessageKind{}, MessageAnswer::Ok);
        dialog->findRequested();
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    // An empty text does nothing.
    dialog->setSearchText(QString());
    e.list->clearSelection();
    dialog->findRequested();
    QVERIFY(e.edit->selectedRows().empty());
}

void EditCommandsTest::cutCopyPasteWithinTheProcess() {
    Editor e;
    QVERIFY(e.loaded);
    e.show(e.listNode(1));
    e.edit->createList();  // list 2, empty
    e.show(e.listNode(1));
    const int members = e.model().rows();
    e.selectRows({0, 2});
    const std::vector<std::uint16_t> moved = {e.shown()[0], e.shown()[2]};
    e.window->actions().cut->trigger();
    QVERIFY(e.edit->isCut(moved[0]) && e.edit->isCut(moved[1]));
    QCOMPARE(e.model().index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
    QVERIFY(!e.window->actions().toolPaste->isEnabled() || members > 1);

    // Cut in list 1, paste in list 2: the channels move.
    e.show(e.listNode(2));
    QVERIFY(e.window->actions().toolPaste->isEnabled());
    e.window->actions().paste->trigger();
    QCOMPARE(e.shown(), moved);
    QCOMPARE(e.db().record(moved[0]).listPosition(1), std::uint16_t{0});
    QCOMPARE(e.db().listMembers(1), static_cast<std::size_t>(members - 2));

    // Copy in the main list, paste after the selected row of list 2.
    e.show(e.mainNode());
    e.selectRows({5});
    const std::uint16_t added = e.shown()[5];
    e.window->actions().copy->trigger();
    e.show(e.listNode(2));
    e.selectRows({0});
    e.window->actions().paste->trigger();
    QCOMPARE(e.shown(), (std::vector<std::uint16_t>{moved[0], added, moved[1]}));
    QVERIFY(e.db().entry(added).inUse());

    // Cut two rows of list 1 and paste them in the same list next to a third row.
    e.show(e.listNode(1));
    const std::vector<std::uint16_t> order = e.shown();
    e.selectRows({0, 1});
    e.window->actions().cut->trigger();
    e.selectRows({4});
    e.window->actions().paste->trigger();
    std::vector<std::uint16_t> expected = {order[2], order[3], order[4], order[0], order[1]};
    expected.insert(expected.end(), order.begin() + 5, order.end());
    QCOMPARE(e.shown(), expected);
    QVERIFY(!e.edit->clipboard().cut());

    // Moving rows by a drop on a row of the list; the positions follow the rows.
    e.selectRows({0});
    const std::uint16_t first = e.shown()[0];
    QVERIFY(e.edit->listDragText(0).isEmpty());  // over a selected row: refused
    QCOMPARE(e.edit->listDragText(3).toStdString(),
             e.lang("MsgInsertChannelBefore") + e.model().index(3, 0).data().toString().toStdString());
    e.edit->dropOnList(3);
    QCOMPARE(e.shown()[3], first);
    QCOMPARE(e.db().record(first).listPosition(1), std::uint16_t{4});
    // The main list never reorders.
    e.show(e.mainNode());
    e.selectRows({0});
    QVERIFY(e.edit->listDragText(3).isEmpty());
}

void EditCommandsTest::pasteFromAnotherProcess() {
    Editor e;
    QVERIFY(e.loaded);
    // The other editor: half of its channels exist here already.
    viewtest::SmallDatabase other;
    other.channels = 160;
    MemoryLog log;
    Flash flash(log);
    ChannelDatabase source(flash);
    QCOMPARE(flash.openImageBytes(viewtest::smallDatabase(other), "other.dsp"), OpenResult::Loaded);
    std::vector<std::uint16_t> offered;
    for (std::uint16_t slot = 140; slot < 160; ++slot)
        offered.push_back(slot);  // 140..149 are equal to channels here, 150..159 are new
    for (std::uint16_t slot = 140; slot < 150; ++slot)
        source.record(slot) = e.db().record(slot);
    putForeign(source, offered);
    QCOMPARE(editing::ClipboardList::foreignChannelCount(), 20u);
    // This process's own clipboard data is not foreign.
    QGuiApplication::clipboard()->setMimeData(
        editing::makeClipboardData(source, offered, 0, false, editing::processOwnerToken()));
    QCOMPARE(editing::ClipboardList::foreignChannelCount(), 0u);
    putForeign(source, offered);

    const std::size_t before = e.db().channelCount();
    e.show(e.listNode(1));
    const int members = e.model().rows();
    e.views->updateEditButtons();
    QVERIFY(e.window->actions().toolPaste->isEnabled());
    e.list->clearSelection();
    e.window->actions().paste->trigger();
    QCOMPARE(e.db().channelCount(), before + 10);
    QCOMPARE(e.model().rows(), members + 20);
    // Every offered channel once in the list, the existing ones not duplicated.
    for (std::uint16_t slot = 140; slot < 160; ++slot) {
        int found = 0;
        for (std::size_t s = 0; s < e.db().capacity(); ++s)
            if (e.db().entry(s).inUse() && channelsEqual(e.db().record(s), source.record(slot)))
                ++found;
        QCOMPARE(found, 1);
    }
    QVERIFY(e.window->isModified());
    QCOMPARE(e.edit->lastPasteLeftOut(), std::size_t{0});

    // A block claiming more channels than it holds pastes what is there.
    const std::vector<std::uint16_t> one = {150};
    auto* mime = editing::makeClipboardData(source, one, 0, false, 0x77);
    QByteArray info = mime->data(editing::infoFormat());
    info[0] = char(0xFF);
    info[1] = char(0xFF);
    mime->setData(editing::infoFormat(), info);
    QGuiApplication::clipboard()->setMimeData(mime);
    e.show(e.mainNode());
    e.window->actions().paste->trigger();
    QCOMPARE(e.db().channelCount(), before + 10);  // channel 150 exists now: matched, nothing added
}

void EditCommandsTest::pasteBeyondTheFreeSlotsTellsWhatWasLeftOut() {
    Editor e;
    QVERIFY(e.loaded);
    const std::size_t free = e.db().capacity() - e.db().channelCount();
    // The other editor offers five more distinct channels than there are free slots.
    MemoryLog log;
    Flash flash(log);
    ChannelDatabase source(flash);
    QCOMPARE(flash.openImageBytes(viewtest::smallDatabase({}), "other.dsp"), OpenResult::Loaded);
    std::vector<std::uint8_t> data;
    ChannelEntry entry;
    for (std::size_t i = 0; i < free + 5; ++i) {
        ChannelRecord r = source.record(0);
        r.setServiceId(static_cast<std::uint16_t>(20000 + i));
        r.setName("New " + std::to_string(i));
        editing::appendDataEntry(data, r, entry);
    }
    const auto info = editing::encodeInfo({static_cast<std::uint32_t>(free + 5), 0x99, 0, false});
    auto* mime = new QMimeData;
    mime->setData(editing::infoFormat(), QByteArray(reinterpret_cast<const char*>(info.data()), 12));
    mime->setData(editing::dataFormat(), QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("5 of " + std::to_string(free + 5) +
                         " pasted channels were left out: the database has no free channel slot left.",
                     e.lang("TextInformation"), widgets::kWarningOk, MessageAnswer::Ok);
        e.window->actions().paste->trigger();
        QVERIFY2(boxes.done() && boxes.failures().empty(), boxes.report().c_str());
    }
    QCOMPARE(e.db().channelCount(), e.db().capacity());
    QCOMPARE(e.edit->lastPasteLeftOut(), std::size_t{5});
}

void EditCommandsTest::dragAndDropDecisionsAndDrops() {
    Editor e;
    QVERIFY(e.loaded);
    e.edit->createList();  // list 2
    e.show(e.mainNode());
    e.selectRows({0, 1, 2});
    const std::vector<std::uint16_t> rows = {e.shown()[0], e.shown()[1], e.shown()[2]};
    // Rows onto list 2: copy; the one already in it keeps its place.
    e.db().record(rows[1]).setListPosition(2, 1);
    const std::string name = e.texts().channelRowTexts(rows[0], 0, false).name;
    const QString hint = e.edit->treeDragText(true, e.mainNode(), e.listNode(2));
    QCOMPARE(hint.toStdString(), e.texts().copyMovePrompt(false, 3, name, 2));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(hint.toStdString(), e.lang("TextCopyChannels"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        e.edit->dropOnTree(true, e.mainNode(), e.listNode(2));
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    QCOMPARE(e.db().record(rows[1]).listPosition(2), std::uint16_t{1});
    QCOMPARE(e.db().record(rows[0]).listPosition(2), std::uint16_t{2});
    QCOMPARE(e.db().record(rows[2]).listPosition(2), std::uint16_t{3});

    // Refused: rows onto the list shown, a list onto itself, a satellite onto a list.
    e.show(e.listNode(2));
    e.selectRows({0});
    QVERIFY(e.edit->treeDragText(true, e.listNode(2), e.listNode(2)).isEmpty());
    QVERIFY(e.edit->treeDragText(false, e.listNode(2), e.listNode(2)).isEmpty());
    QVERIFY(e.edit->treeDragText(false, e.node(TreeNode::satellite(19)), e.listNode(2)).isEmpty());

    // List 1 onto list 2: copy list.
    const QString copyHint = e.edit->treeDragText(false, e.listNode(1), e.listNode(2));
    QCOMPARE(copyHint.toStdString(), e.texts().copyAllPrompt(1, 2));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(copyHint.toStdString(), e.lang("TextCopyLists"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        e.edit->dropOnTree(false, e.listNode(1), e.listNode(2));
        QVERIFY2(boxes.done(), boxes.report().c_str());
    }
    std::size_t inEither = 0;
    for (std::size_t s = 0; s < e.db().capacity(); ++s)
        if (e.db().entry(s).inUse() && (e.db().record(s).listPosition(1) || std::find(rows.begin(), rows.end(), s) != rows.end()))
            ++inEither;
    QCOMPARE(e.db().listMembers(2), inEither);
    // Rows of a list onto the bin: they leave the list.
    e.show(e.listNode(2));
    e.selectRows({0});
    const std::uint16_t leaving = e.shown()[0];
    QCOMPARE(e.edit->treeDragText(true, e.listNode(2), e.binNode()).toStdString(),
             e.texts().removePrompt(1, e.texts().channelRowTexts(leaving, 0, false).name, 2));

    // With drag and drop switched off in the preferences nothing is accepted.
    e.window->storedSettings().setFlag(settings_flags::kDragDropDisabled, true);
    QVERIFY(e.edit->treeDragText(true, e.listNode(2), e.binNode()).isEmpty());
    QVERIFY(e.edit->listDragText(2).isEmpty());
}

void EditCommandsTest::dragHintDelayAndCancel() {
    editing::DragHint hint;
    QWidget host;
    host.resize(300, 200);
    host.show();
    QSignalSpy fired(&hint.timer(), &QTimer::timeout);
    hint.schedule(&host, QPoint(50, 60), QStringLiteral("Copy 3 to LIST Sport"));
    // Shown only by its own 500 ms single-shot timer; no event is handled here, so the timer
    // cannot have fired yet however loaded the machine is.
    QVERIFY(hint.pending() && !hint.shown());
    QVERIFY(hint.timer().isActive() && hint.timer().isSingleShot());
    QCOMPARE(hint.timer().interval(), 500);
    // Below and right of the pointer, never under it.
    QCOMPARE(hint.rect().topLeft(), host.mapToGlobal(QPoint(70, 80)));
    QVERIFY(!hint.rect().contains(host.mapToGlobal(QPoint(50, 60))));
    QVERIFY(hint.rect().width() <= editing::kDragHintMaxWidth + 8);
    // The same text a little further: the delay does not start again. A fifth of it has passed
    // (the clock runs while no event is handled), more than a coarse timer's slack of 5 %, so a
    // restart would show as more time left.
    QElapsedTimer clock;
    clock.start();
    while (hint.timer().remainingTime() > 400 && clock.elapsed() < 30000)
        QThread::yieldCurrentThread();
    const int left = hint.timer().remainingTime();
    QVERIFY(left >= 0 && left <= 400);
    hint.schedule(&host, QPoint(52, 61), QStringLiteral("Copy 3 to LIST Sport"));
    QVERIFY(hint.timer().remainingTime() <= left);
    QVERIFY(!hint.shown());
    QVERIFY(fired.wait(10000));
    QVERIFY(hint.shown());
    QVERIFY(hint.window() && hint.window()->isVisible());
    QCOMPARE(hint.window()->text(), QStringLiteral("Copy 3 to LIST Sport"));
    QVERIFY(hint.window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QVERIFY(hint.window()->testAttribute(Qt::WA_TransparentForMouseEvents));
    // Moving on with the same text: the shown hint follows, the pointer stays off it.
    hint.schedule(&host, QPoint(70, 85), QStringLiteral("Copy 3 to LIST Sport"));
    QVERIFY(hint.shown());
    QVERIFY(!hint.window()->geometry().contains(host.mapToGlobal(QPoint(70, 85))));
    // A new text elsewhere hides it and waits its own delay again.
    hint.schedule(&host, QPoint(80, 90), QStringLiteral("Delete"));
    QVERIFY(!hint.shown() && !hint.window()->isVisible());
    QVERIFY(hint.timer().isActive());
    // The end of the drag cancels it: the timer is stopped, so nothing can show it any more.
    hint.hide();
    // Hidden, not deleted: a drag event may still hold it. The timer is stopped, so handling the
    // pending events cannot show it again.
    QPointer<QLabel> window = hint.window();
    QVERIFY(!hint.pending() && !hint.timer().isActive() && window && !window->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(!hint.shown());
    QCOMPARE(fired.count(), 1);
}

void EditCommandsTest::edgeScrollingWhileDragging() {
    Editor e;
    QVERIFY(e.loaded);
    e.tree->expandAll();
    e.tree->setFixedHeight(60);
    QApplication::processEvents();
    QTreeWidgetItem* top = e.tree->itemAt(QPoint(1, 1));
    QVERIFY(top);
    // A button is held while the drag lasts.
    QTest::mousePress(e.tree->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    e.edit->setDragScroll(editing::DragScroll::TreeDown);
    QCOMPARE(e.edit->dragScrollTimer().interval(), 300);
    QTRY_VERIFY_WITH_TIMEOUT(e.tree->itemAt(QPoint(1, 1)) != top, 1000);
    QTreeWidgetItem* second = e.tree->itemAt(QPoint(1, 1));
    QCOMPARE(second, e.tree->itemBelow(top));
    e.edit->setDragScroll(editing::DragScroll::TreeUp);
    QTRY_COMPARE_WITH_TIMEOUT(e.tree->itemAt(QPoint(1, 1)), top, 1000);
    // The end of the drag stops it.
    e.edit->endDrag();
    QVERIFY(!e.edit->dragScrollTimer().isActive());
    QCOMPARE(e.edit->dragScroll(), editing::DragScroll::None);
    // Released outside the window: the next step notices and stops.
    e.edit->setDragScroll(editing::DragScroll::TreeDown);
    QTest::mouseRelease(e.tree->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY_WITH_TIMEOUT(!e.edit->dragScrollTimer().isActive(), 1000);
}

void EditCommandsTest::filesDroppedOnTheViewsReachTheWindow() {
    Editor e;
    QVERIFY(e.loaded);
    const fs::path other = e.box.writeFile("other.dsp", viewtest::smallDatabase({}));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(other.string()))});
    for (QWidget* viewport : {e.tree->viewport(), e.list->viewport()}) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
    }
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.list->viewport(), &drop);
    QCOMPARE(e.window->pendingFileName(), other.string());
    QVERIFY(e.window->deferredTimer().isActive());
}

void EditCommandsTest::propertiesChangeLevels() {
    Editor e;
    QVERIFY(e.loaded);
    std::vector<properties::PropertiesRequest> requests;
    properties::ChangeLevel answer = properties::ChangeLevel::None;
    app::MainWindowHooks hooks;
    hooks.openProperties = [&](app::MainWindow&, const properties::PropertiesRequest& r) {
        requests.push_back(r);
        return answer;
    };
    hooks.closeFindDialog = [](app::MainWindow& w) { w.editController()->closeFindDialog(); };
    e.window->setHooks(hooks);
    e.selectRows({4});
    const std::uint16_t slot = e.shown()[4];
    QTest::keyClick(e.list, Qt::Key_Return);
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].channelSlot, slot);
    QVERIFY(!e.window->isModified());
    // Level 2: the channel moved; the list is refilled and the channel selected again.
    answer = properties::ChangeLevel::Placement;
    e.db().record(slot).setName("AAAA first");
    QTest::keyClick(e.list, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(e.window->isModified());
    QCOMPARE(e.edit->selectedSlots(), std::vector<std::uint16_t>{slot});
    // Satellite properties: the satellites page preset to the node's satellite.
    e.show(e.node(TreeNode::satellite(19)));
    e.window->actions().treeProperties->trigger();
    QCOMPARE(requests.back().purpose, properties::PropertiesRequest::Purpose::Settings);
    QCOMPARE(requests.back().presetSatellite, 19);
    QCOMPARE(e.window->presetSatellite(), 0);
    QCOMPARE(e.views->listMode(), views::ListMode::Channels);
}

void EditCommandsTest::listChooserPresetsAndClose() {
    Editor e;
    QVERIFY(e.loaded);
    e.edit->createList();  // list 2: empty
    const auto members = editing::listChannels(e.db(), 1);
    QCOMPARE(members.size(), e.db().listMembers(1));
    {
        editing::ListChooserDialog dialog(e.db(), e.texts(), {-1, 0, false});
        QCOMPARE(dialog.lists()->count(), 2);
        QCOMPARE(dialog.lists()->currentIndex(), 0);
        QCOMPARE(dialog.channels()->count(), static_cast<int>(members.size()));
        QCOMPARE(dialog.channels()->currentRow(), 0);
        QVERIFY(dialog.channels()->item(0)->text().startsWith(QStringLiteral("0001)  ")));
        QCOMPARE(dialog.choice().startChannel, 1);
        QVERIFY(!dialog.choice().confirmed);
    }
    {
        const int last = static_cast<int>(members.size());
        editing::ListChooserDialog dialog(e.db(), e.texts(), {last, 1, false});
        QCOMPARE(dialog.channels()->currentRow(), last - 1);
        // Another list: the channel box refills without a selection; an empty list hands back 0.
        dialog.lists()->setCurrentIndex(1);
        QCOMPARE(dialog.channels()->count(), 0);
        QCOMPARE(dialog.choice().startChannel, 0);
        QCOMPARE(dialog.choice().startList, 2);
    }
    {
        editing::ListChooserDialog dialog(e.db(), e.texts(), {3, 1, false});
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::keyClick(dialog.channels(), Qt::Key_Down);
            dialog.accept();
        });
        QListWidgetItem* item = dialog.channels()->item(4);
        QTimer::singleShot(0, &dialog, [&dialog, item] { emit dialog.channels()->itemDoubleClicked(item); });
        dialog.exec();
        QVERIFY(dialog.choice().startChannel >= 1);
    }
}

QTEST_MAIN(EditCommandsTest)
#include "edit_commands_test.moc"
