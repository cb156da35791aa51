// The main window with its real views in every built-in language: tree nodes, list columns and
// the filter drop-downs show a text, never "?", and follow a language switch at once.
#include <QAbstractItemModel>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/view_controller.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;

namespace {

bool shown(const QString& text) { return !text.isEmpty() && !text.contains(QStringLiteral("?")); }

std::unique_ptr<app::MainViews> realViews(app::TMain& window) {
    return app::ViewController::forWindow(window, window.database(), window.displayTexts());
}

} // namespace

class WindowViewsTextsTest : public QObject {
    Q_OBJECT

private slots:
    void nodesColumnsAndFiltersInEveryLanguage();
};

void WindowViewsTextsTest::nodesColumnsAndFiltersInEveryLanguage() {
    Sandbox box;
    box.makeViews = realViews;
    const fs::path file = box.writeFile("demo.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    QVERIFY(runPendingOpen(*window));
    QVERIFY(window->databaseLoaded());

    const int languages = static_cast<int>(window->languages().size());
    QCOMPARE(languages, 5);
    for (int index = 0; index < languages; ++index) {
        window->selectLanguageEntry(index);
        const QString language = QString::fromStdString(window->languages().current()->name());

        QTreeWidget* tree = window->treeView();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* node = tree->topLevelItem(i);
            QVERIFY2(shown(node->text(0)), qPrintable(language + ": node " + QString::number(i)));
        }
        QCOMPARE(tree->topLevelItem(0)->text(0).toStdString(), window->Lang("TreeViewMainList"));
        QCOMPARE(tree->topLevelItem(tree->topLevelItemCount() - 1)->text(0).toStdString(),
                 window->Lang("TreeViewSetting"));

        const QAbstractItemModel* model = window->listView()->model();
        QVERIFY(model->columnCount() > 0);
        for (int c = 0; c < model->columnCount(); ++c)
            QVERIFY2(shown(model->headerData(c, Qt::Horizontal).toString()),
                     qPrintable(language + ": column " + QString::number(c)));

        for (int b : {1, 2, 3, 5}) {
            const QToolButton* button = window->dropDownButton(b);
            QVERIFY2(shown(button->text()), qPrintable(language + ": drop-down " + QString::number(b)));
            if (!button->menu())
                continue;
            for (const QAction* item : button->menu()->actions())
                if (!item->isSeparator())
                    QVERIFY2(shown(item->text()), qPrintable(language + ": " + button->objectName()));
        }
    }
}

QTEST_MAIN(WindowViewsTextsTest)
#include "window_views_texts_test.moc"
