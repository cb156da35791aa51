// Real drags in the main window under X11: the X pointer is moved by xdotool, so Qt's own X11
// drag code runs as it does for a user. Each drag waits over its target until the drop hint
// shows, moves a few pixels on (the hint window must never come under the pointer nor be deleted
// while the drag code holds it), and drops. Run on an X server of its own (with_xvfb.sh).
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>

#include "editor_support.h"

#include "editing/drag_hint.h"
#include "editing/edit_rules.h"
#include "widgets/message_box.h"

using namespace cs;
using namespace cs::apptest;
using namespace cs::edittest;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedMessageBoxes;

namespace {

// The X pointer, moved and pressed through the X server's test extension.
bool xdotool(const QStringList& arguments) { return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0; }
bool pointerTo(QPoint global) {
    return xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}

// Counts the drag events a viewport receives, and which one came last.
class DragWatch final : public QObject {
public:
    explicit DragWatch(std::initializer_list<QWidget*> viewports) {
        for (QWidget* v : viewports)
            v->installEventFilter(this);
    }
    int moves = 0;
    QObject* lastTarget = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            ++moves;
            lastTarget = watched;
        }
        return false;
    }
};

// One drag: press at `from`, start dragging, rest over `to` until the hint shows, move a few
// pixels, drop. Each step waits for the window to have seen the one before. Returns an empty
// text on success, or what went wrong.
QString drag(Editor& e, QWidget* fromViewport, QPoint from, QWidget* toViewport, QPoint to,
             const std::function<bool()>& dropped) {
    DragWatch watch{e.tree->viewport(), e.list->viewport()};
    const QPoint start = fromViewport->mapToGlobal(from);
    const QPoint target = toViewport->mapToGlobal(to);
    editing::DragHint& hint = e.edit->dragHint();
    int movesBefore = 0;
    QPoint away = start;
    const QList<QDrag*> earlierDrags = fromViewport->parentWidget()->findChildren<QDrag*>();
    QRect hintBefore;
    struct Step {
        const char* what;
        std::function<void()> action;
        std::function<bool()> reached;
    };
    const std::vector<Step> steps = {
        {"press", [&] { pointerTo(start) && xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}); },
         [] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); }},
        // X11 motion events are compressed: the pointer goes on a few pixels at a time until the
        // view has seen enough of them to start its drag.
        {"start the drag",
         [&] {
             away += QPoint(0, target.y() > start.y() ? 3 : -3);
             pointerTo(away);
         },
         [&] {
             // The view starts the drag with a QDrag of its own; it lives until the drag ends.
             for (QDrag* d : fromViewport->parentWidget()->findChildren<QDrag*>())
                 if (!earlierDrags.contains(d))
                     return true;
             return false;
         }},
        {"rest over the target until the hint shows", [&] { pointerTo(target - QPoint(0, 2)) && pointerTo(target); },
         [&] { return watch.lastTarget == toViewport && hint.shown(); }},
        {"move a few pixels",
         [&] {
             movesBefore = watch.moves;
             hintBefore = hint.window()->geometry();
             pointerTo(target + QPoint(3, 2));
         },
         [&] { return watch.moves > movesBefore && hint.window()->geometry() != hintBefore; }},
        {"drop", [&] { xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}); }, dropped},
    };
    std::size_t next = 0;
    bool waiting = false;
    bool hintUnderPointer = false;
    QTimer driver;
    driver.setInterval(10);
    // Runs inside the drag's own event loop too.
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (waiting && !steps[next - 1].reached()) {
            if (next == 2 && (away - start).manhattanLength() < 40)
                steps[1].action();
            return;
        }
        if (next == steps.size()) {
            driver.stop();
            return;
        }
        waiting = true;
        steps[next++].action();
        if (const QLabel* w = hint.window(); w && w->isVisible() && w->geometry().contains(QCursor::pos()))
            hintUnderPointer = true;
    });
    driver.start();
    (void)QTest::qWaitFor([&] { return !driver.isActive(); }, 10000);
    if (driver.isActive()) {
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        return QString::fromLatin1(steps[next - 1].what);
    }
    if (hintUnderPointer)
        return QStringLiteral("the hint lay under the pointer");
    return {};
}

QPoint rowPoint(Editor& e, int row) { return e.list->visualRect(e.model().index(row, 0)).center(); }
QPoint nodePoint(Editor& e, QTreeWidgetItem* node) { return e.tree->visualItemRect(node).center(); }

} // namespace

class X11DragTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rowsAndNodesOntoTheTree();
    void rowsMovedInsideAList_data();
    void rowsMovedInsideAList();

private:
    std::unique_ptr<Editor> openEditor();
};

void X11DragTest::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs the X11 platform (run through tests/support/with_xvfb.sh)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QFAIL("xdotool is missing (scripts/install-deps.sh installs it)");
}

std::unique_ptr<Editor> X11DragTest::openEditor() {
    auto e = std::make_unique<Editor>();
    if (!e->loaded)
        return nullptr;
    e->window->setGeometry(40, 40, 900, 640);
    e->window->activateWindow();
    if (!QTest::qWaitForWindowExposed(e->window.get()))
        return nullptr;
    e->tree->expandAll();
    return e;
}

void X11DragTest::rowsAndNodesOntoTheTree() {
    auto e = openEditor();
    QVERIFY(e);
    e->edit->createList();  // list 2, empty
    QApplication::processEvents();

    // Rows of the main list onto list 2: the copy question, then the rows are in it.
    e->show(e->mainNode());
    e->selectRows({1, 2});
    const std::vector<std::uint16_t> rows = {e->shown()[1], e->shown()[2]};
    const std::string copyQuestion =
        e->texts().copyMovePrompt(false, 2, e->texts().channelRowTexts(rows[0], 0, false).name, 2);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(copyQuestion, e->lang("TextCopyChannels"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        const QString stuck = drag(*e, e->list->viewport(), rowPoint(*e, 1), e->tree->viewport(),
                                   nodePoint(*e, e->listNode(2)), [&] { return boxes.done(); });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QVERIFY2(boxes.failures().empty(), boxes.report().c_str());
    }
    QCOMPARE(e->db().listMembers(2), std::size_t{2});

    // List 2's node onto the bin: the question to empty it.
    e->show(e->listNode(2));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(e->texts().eraseAllPrompt(TreeNode::favouriteList(2)), e->lang("TextDelete"),
                     widgets::kQuestionYesNo, MessageAnswer::Yes);
        const QString stuck = drag(*e, e->tree->viewport(), nodePoint(*e, e->listNode(2)), e->tree->viewport(),
                                   nodePoint(*e, e->binNode()), [&] { return boxes.done(); });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QVERIFY2(boxes.failures().empty(), boxes.report().c_str());
    }
    QCOMPARE(e->db().listMembers(2), std::size_t{0});

    // Rows of list 1 onto the bin: they leave the list.
    e->show(e->listNode(1));
    const std::size_t before = e->db().listMembers(1);
    const std::uint16_t leaving = e->shown()[0];
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(e->texts().removePrompt(1, e->texts().channelRowTexts(leaving, 0, false).name, 1),
                     e->lang("TextRemoveChannel"), widgets::kQuestionYesNo, MessageAnswer::Yes);
        const QString stuck = drag(*e, e->list->viewport(), rowPoint(*e, 0), e->tree->viewport(),
                                   nodePoint(*e, e->binNode()), [&] { return boxes.done(); });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QVERIFY2(boxes.failures().empty(), boxes.report().c_str());
    }
    QCOMPARE(e->db().listMembers(1), before - 1);
}

void X11DragTest::rowsMovedInsideAList_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("downward") << 1 << 6;
    QTest::newRow("upward") << 7 << 2;
}

void X11DragTest::rowsMovedInsideAList() {
    QFETCH(int, from);
    QFETCH(int, to);
    auto e = openEditor();
    QVERIFY(e);
    e->show(e->listNode(1));
    const std::vector<std::uint16_t> order = e->shown();
    const auto expected = editing::moveRowsOrder(static_cast<int>(order.size()), std::vector<int>{from}, to);
    QVERIFY(expected);
    e->selectRows({from});
    const QString stuck = drag(*e, e->list->viewport(), rowPoint(*e, from), e->list->viewport(), rowPoint(*e, to),
                               [&] { return e->shown() != order; });
    QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
    std::vector<std::uint16_t> moved;
    for (int r : *expected)
        moved.push_back(order[static_cast<std::size_t>(r)]);
    QCOMPARE(e->shown(), moved);
    QVERIFY(e->window->isModified());
}

QTEST_MAIN(X11DragTest)
#include "x11_drag_test.moc"
