#pragma once
// A main window with its real views and editing commands over a small generated database, and
// ways to reach its tree nodes and rows.
#include <QTableView>
#include <QTreeWidget>

#include "app_test_support.h"
#include "views_test_support.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "editing/edit_controller.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"

namespace cs::apptest {

namespace fx = cs::fixtures;

inline std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

// A main window with its views and editing commands over a small database.
struct Editor {
    explicit Editor(const viewtest::SmallDatabase& d = {}) {
        box.makeViews = realViews;
        const fs::path file = box.writeFile("small.dsp", viewtest::smallDatabase(d));
        path = file.string();
        box.seedEarlierRun({path});
        window = box.makeWindow();
        loaded = runPendingOpen(*window) && window->databaseLoaded();
        views = window->views();
        // The first tree selection after start is swallowed, as the running program's first
        // debounce does; the main list stays shown.
        if (views)
            views->applyTreeSelection();
        edit = window->editController();
        list = window->widgets().channelList;
        tree = window->widgets().tree;
    }

    ChannelDatabase& db() { return window->database(); }
    const DisplayTexts& texts() { return window->displayTexts(); }
    views::ChannelListModel& model() { return views->model(); }
    std::string lang(const char* key) { return window->text(key); }

    QTreeWidgetItem* node(const TreeNode& c) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = tree->topLevelItem(i);
            if (views::classifyNode(top) == c)
                return top;
            for (int k = 0; k < top->childCount(); ++k)
                if (views::classifyNode(top->child(k)) == c)
                    return top->child(k);
        }
        return nullptr;
    }
    QTreeWidgetItem* listNode(int k) { return node(TreeNode::favouriteList(k)); }
    QTreeWidgetItem* mainNode() { return node(TreeNode::mainList()); }
    QTreeWidgetItem* binNode() { return node(TreeNode::bin()); }
    void show(QTreeWidgetItem* n) {
        tree->setCurrentItem(n);
        views->applyTreeSelection();
    }
    void selectRows(std::initializer_list<int> rows) {
        list->clearSelection();
        for (int r : rows)
            list->selectionModel()->select(model().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<std::uint16_t> shown() {
        const auto s = model().rowSlots();
        return {s.begin(), s.end()};
    }
    std::string name(std::uint16_t slot) { return std::string(db().record(slot).name()); }
    int listCount() { return favouriteListCount(db().flash().settings().listCount); }

    Sandbox box;
    std::string path;
    std::unique_ptr<app::MainWindow> window;
    bool loaded = false;
    views::ViewController* views = nullptr;
    editing::EditController* edit = nullptr;
    QTableView* list = nullptr;
    QTreeWidget* tree = nullptr;
};

} // namespace cs::apptest
