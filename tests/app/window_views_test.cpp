// The main window with its real views in every built-in language: tree nodes, list columns and
// the filter drop-downs show a text, never "?", and follow a language switch at once.
#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "fixtures/image_builder.h"
#include "views/view_controller.h"
#include "app_test_support.h"

using namespace cs;
using namespace cs::apptest;

namespace {

namespace fx = cs::fixtures;

QString q(const std::string& text) { return QString::fromStdString(text); }

bool shown(const QString& text) { return !text.isEmpty() && !text.contains(QStringLiteral("?")); }

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

} // namespace

class WindowViewsTest : public QObject {
    Q_OBJECT

private slots:
    void nodesColumnsAndFiltersInEveryLanguage();
    void viewsInTheMainWindow();
};

void WindowViewsTest::nodesColumnsAndFiltersInEveryLanguage() {
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
        window->selectLanguage(index);
        const QString language = QString::fromStdString(window->languages().current()->name());

        QTreeWidget* tree = window->widgets().tree;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* node = tree->topLevelItem(i);
            QVERIFY2(shown(node->text(0)), qPrintable(language + ": node " + QString::number(i)));
        }
        QCOMPARE(tree->topLevelItem(0)->text(0).toStdString(), window->text("TreeViewMainList"));
        QCOMPARE(tree->topLevelItem(tree->topLevelItemCount() - 1)->text(0).toStdString(),
                 window->text("TreeViewSetting"));

        const QAbstractItemModel* model = window->widgets().channelList->model();
        QVERIFY(model->columnCount() > 0);
        for (int c = 0; c < model->columnCount(); ++c)
            QVERIFY2(shown(model->headerData(c, Qt::Horizontal).toString()),
                     qPrintable(language + ": column " + QString::number(c)));

        const views::FilterBar& bar = *window->widgets().filterBar;
        for (const QToolButton* button : {bar.tvRadio(), bar.freeScrambled(), bar.sortOrder(), bar.codingSystems()}) {
            QVERIFY2(shown(button->text()), qPrintable(language + ": " + button->objectName()));
            if (!button->menu())
                continue;
            for (const QAction* item : button->menu()->actions())
                if (!item->isSeparator())
                    QVERIFY2(shown(item->text()), qPrintable(language + ": " + button->objectName()));
        }
    }
}

void WindowViewsTest::viewsInTheMainWindow() {
    apptest::Sandbox box;
    box.makeViews = realViews;
    const std::filesystem::path file = box.writeFile("demo.dsp", apptest::Sandbox::demo());
    box.seedEarlierRun({file.string()});
    auto window = box.makeWindow();
    window->show();
    QVERIFY(apptest::runPendingOpen(*window));
    QVERIFY(window->databaseLoaded());

    const fx::DemoFacts facts = fx::demoFacts();
    QCOMPARE(window->widgets().tree->topLevelItemCount(), static_cast<int>(facts.lists.size()) + 4);
    QCOMPARE(window->widgets().channelList->model()->rowCount(), facts.channels);
    QCOMPARE(window->widgets().countsPanel->text(),
             q(" " + window->text("TextAmountChannels") + ":" + std::to_string(facts.channels)));
    QVERIFY(!window->isModified());
    // A column sort changes the view's order: the database is modified.
    window->widgets().channelList->horizontalHeader()->sectionClicked(0);
    QVERIFY(window->isModified());
}

QTEST_MAIN(WindowViewsTest)
#include "window_views_test.moc"
