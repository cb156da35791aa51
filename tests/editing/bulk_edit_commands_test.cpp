// The editing commands that work on many rows at once, in the main window with its real views:
// Edit > Rename... with its live preview and one undo step, and Copy's table on the clipboard
// beside the program's own format.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "editor_support.h"

#include "app/undo_commands.h"
#include "editing/clipboard_exchange.h"
#include "editing/rename_dialog.h"

using namespace cs;
using cs::edittest::Editor;

class BulkEditCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void renameManyPreviewsMarksTheRulesAndIsOneUndoStep();
    void copyPutsTheRowsAsATableBesideTheOwnFormat();
};

void BulkEditCommandsTest::renameManyPreviewsMarksTheRulesAndIsOneUndoStep() {
    Editor e;
    QVERIFY(e.loaded);
    e.selectRows({0, 2});
    const std::vector<std::uint16_t> chosen = {e.shown()[0], e.shown()[2]};
    const std::uint16_t other = e.shown()[1];
    const std::vector<std::string> before = {e.name(chosen[0]), e.name(chosen[1]), e.name(other)};
    bool seen = false;
    QStringList previewNew, previewNotes;
    QString badSummary;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<editing::RenameDialog*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (!dialog)
            return;
        auto* find = dialog->findChild<QLineEdit*>(QStringLiteral("renameFind"));
        auto* replace = dialog->findChild<QLineEdit*>(QStringLiteral("renameReplace"));
        auto* regex = dialog->findChild<QCheckBox*>(QStringLiteral("renameRegex"));
        auto* preview = dialog->findChild<QTableWidget*>(QStringLiteral("renamePreview"));
        auto* summary = dialog->findChild<QLabel*>(QStringLiteral("renameSummary"));
        regex->setChecked(true);
        find->setText(QStringLiteral("(unclosed"));
        badSummary = summary->text();
        // "Ch 1003" becomes "1003 Channel TV!" (16 characters): the rules cut it to 15.
        find->setText(QStringLiteral("^Ch (\\d+)$"));
        replace->setText(QStringLiteral("$1 Channel TV!"));
        for (int r = 0; r < preview->rowCount(); ++r) {
            previewNew << preview->item(r, 1)->text();
            previewNotes << preview->item(r, 2)->text();
        }
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    e.window->actions().renameChannels->trigger();
    QVERIFY(seen);
    QCOMPARE(badSummary.toStdString(), e.lang("RenameBadExpression"));
    const auto expected = [&](std::size_t i) {
        return before[i].substr(3) + std::string(" Channel TV!").substr(0, 15 - (before[i].size() - 3));
    };
    QCOMPARE(previewNew, (QStringList{QString::fromStdString(expected(0)), QString::fromStdString(expected(1))}));
    const QString ruled = QString::fromStdString(e.lang("RenameRuled"));
    QCOMPARE(previewNotes, (QStringList{ruled, ruled}));
    QCOMPARE(e.name(chosen[0]), expected(0));
    QCOMPARE(e.name(chosen[1]), expected(1));
    QCOMPARE(e.name(other), before[2]);
    QCOMPARE(e.model().index(0, e.model().visibleColumn(views::kColName)).data().toString().toStdString(), expected(0));

    // One step: a single undo brings both names back, and nothing is left to undo.
    app::UndoCommands& undo = e.window->undoCommands();
    undo.flush();
    QVERIFY(undo.history().history().canUndo());
    undo.undo();
    QCOMPARE(e.name(chosen[0]), before[0]);
    QCOMPARE(e.name(chosen[1]), before[1]);
    QVERIFY(!undo.history().history().canUndo());

    // Cancel changes nothing.
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<editing::RenameDialog*>(QApplication::activeModalWidget())) {
            dialog->findChild<QLineEdit*>(QStringLiteral("renameFind"))->setText(QStringLiteral("Ch"));
            dialog->reject();
        }
    });
    e.window->actions().renameChannels->trigger();
    QCOMPARE(e.name(chosen[0]), before[0]);
}

void BulkEditCommandsTest::copyPutsTheRowsAsATableBesideTheOwnFormat() {
    Editor e;
    QVERIFY(e.loaded);
    e.edit->createList();  // list 2, empty
    e.show(e.mainNode());
    e.selectRows({3, 1});
    const std::vector<std::uint16_t> copied = {e.shown()[1], e.shown()[3]};
    e.window->actions().copy->trigger();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime && mime->hasFormat(editing::infoFormat()) && mime->hasFormat(editing::dataFormat()));
    const QStringList lines = mime->text().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);  // header and the two rows, in row order
    const auto& m = e.model();
    for (int line = 0; line < 3; ++line) {
        const QStringList cells = lines[line].split(u'\t');
        QCOMPARE(cells.size(), m.columnCount());
        const int row = line == 1 ? 1 : 3;
        for (int c = 0; c < m.columnCount(); ++c)
            QCOMPARE(cells[c], line == 0 ? m.headerData(c, Qt::Horizontal).toString() : m.index(row, c).data().toString());
    }
    const QString html = mime->html();
    QVERIFY(html.startsWith(QStringLiteral("<table>")));
    QCOMPARE(html.count(QStringLiteral("<tr>")), 3);
    QVERIFY(html.contains(QStringLiteral("<td>") + m.index(1, m.visibleColumn(views::kColName)).data().toString().toHtmlEscaped()));

    // The own format pastes as before: both channels join list 2 in row order.
    e.show(e.listNode(2));
    e.window->actions().paste->trigger();
    QCOMPARE(e.shown(), copied);
}

QTEST_MAIN(BulkEditCommandsTest)
#include "bulk_edit_commands_test.moc"
