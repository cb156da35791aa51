#include "app/undo_commands.h"

#include "app/main_window.h"
#include "undo/step_names.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"
#include "widgets/tool_icons.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QToolBar>

#include <algorithm>
#include <utility>
#include <vector>

namespace cs::app {

namespace {

constexpr const char* kUndoKey = "MenuUndo";
constexpr const char* kRedoKey = "MenuRedo";

QAction* makeAction(MainWindow& window, const char* name, widgets::ToolIcon icon) {
    auto* action = new QAction(widgets::toolIcon(icon), QString(), &window);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(false);
    return action;
}

TextLookup windowTexts(MainWindow& window) {
    return [&window](std::string_view key) { return window.text(key); };
}

} // namespace

UndoCommands::UndoCommands(MainWindow& window) : QObject(&window), window_(window), history_(window.database()) {
    undo_ = makeAction(window, "undo", widgets::ToolIcon::Undo);
    redo_ = makeAction(window, "redo", widgets::ToolIcon::Redo);
    toolUndo_ = makeAction(window, "toolUndo", widgets::ToolIcon::Undo);
    toolRedo_ = makeAction(window, "toolRedo", widgets::ToolIcon::Redo);
    // The menu's actions carry the shortcuts; they are added to the window so that the keys also
    // work while the menu bar is hidden.
    window.addAction(undo_);
    window.addAction(redo_);
    const MainWindowWidgets& w = window.widgets();
    if (QMenu* edit = w.menus.edit) {
        QAction* first = edit->actions().isEmpty() ? nullptr : edit->actions().first();
        edit->insertAction(first, undo_);
        edit->insertAction(first, redo_);
        edit->insertSeparator(first);
    }
    if (QToolBar* bar = w.toolBar) {
        QAction* before = w.actions.toolCut;
        bar->insertAction(before, toolUndo_);
        bar->insertAction(before, toolRedo_);
        bar->insertSeparator(before);
    }
    recordTimer_.setSingleShot(true);
    recordTimer_.setObjectName(QStringLiteral("undoRecordTimer"));
    connect(&recordTimer_, &QTimer::timeout, this, [this] {
        // A dialog of the command is still open: its change is not complete yet.
        if (QApplication::activeModalWidget()) {
            recordTimer_.start(50);
            return;
        }
        flush();
    });
    for (QAction* a : {undo_, toolUndo_})
        connect(a, &QAction::triggered, this, &UndoCommands::undo);
    for (QAction* a : {redo_, toolRedo_})
        connect(a, &QAction::triggered, this, &UndoCommands::redo);
    applyShortcuts();
    refreshActions();
}

void UndoCommands::applyShortcuts() {
    const MainWindowActions& a = window_.actions();
    const bool ctrlZUndoes = window_.storedSettings().ctrlZUndoes;
    QList<QKeySequence> save;
    if (!ctrlZUndoes)
        save << QKeySequence(Qt::CTRL | Qt::Key_Z);
    save << QKeySequence(Qt::CTRL | Qt::Key_S);
    a.save->setShortcuts(save);
    a.exit->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    QList<QKeySequence> undo;
    if (ctrlZUndoes)
        undo << QKeySequence(Qt::CTRL | Qt::Key_Z);
    undo << QKeySequence(Qt::ALT | Qt::Key_Backspace);
    undo_->setShortcuts(undo);
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
}

void UndoCommands::restart() {
    pending_ = false;
    recordTimer_.stop();
    history_.restart();
    nextName_.clear();
    refreshActions();
}

void UndoCommands::changed() {
    if (restoring_ || !window_.databaseLoaded())
        return;
    pending_ = true;
    recordTimer_.start(0);
}

void UndoCommands::flush() {
    if (!pending_)
        return;
    pending_ = false;
    recordTimer_.stop();
    history_.record(std::exchange(nextName_, std::string()), windowTexts(window_));
    refreshActions();
}

void UndoCommands::saved() {
    if (restoring_)
        return;
    flush();
    history_.markSaved();
    refreshActions();
}

void UndoCommands::undo() {
    flush();
    if (!window_.databaseLoaded() || !history_.history().canUndo())
        return;
    stepDone([this] { history_.undo(); });
}

void UndoCommands::redo() {
    flush();
    if (!window_.databaseLoaded() || !history_.history().canRedo())
        return;
    stepDone([this] { history_.redo(); });
}

// The database is set back (or forward): the modified flag follows the position, and the tree
// and the list are refilled with the tree node and the channels that were selected, where they
// still exist.
void UndoCommands::stepDone(const std::function<void()>& step) {
    restoring_ = true;
    views::ViewController* views = window_.views();
    QTableView* list = window_.widgets().channelList;
    std::vector<std::uint16_t> selectedSlots;
    const ChannelDatabase& db = window_.database();
    if (list && list->selectionModel()) {
        const auto result = db.result();
        for (const QModelIndex& index : list->selectionModel()->selectedRows())
            if (index.row() >= 0 && static_cast<std::size_t>(index.row()) < result.size())
                selectedSlots.push_back(result[static_cast<std::size_t>(index.row())]);
    }
    step();
    if (views) {
        views->rebuildTree();
        views->fillChannelList();
    }
    if (list && list->selectionModel() && !selectedSlots.empty()) {
        std::sort(selectedSlots.begin(), selectedSlots.end());
        const auto result = db.result();
        QItemSelection selection;
        for (std::size_t row = 0; row < result.size(); ++row)
            if (std::binary_search(selectedSlots.begin(), selectedSlots.end(), result[row])) {
                const QModelIndex index = list->model()->index(static_cast<int>(row), 0);
                selection.select(index, index);
            }
        list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    window_.setModified(history_.modified());
    window_.updateStatusCounts();
    window_.refreshNodePanel();
    restoring_ = false;
    refreshActions();
}

void UndoCommands::refreshActions() {
    const undo::UndoHistory& h = history_.history();
    const bool loaded = window_.databaseLoaded();
    auto show = [this](QAction* menu, QAction* tool, bool enabled, const char* key, const std::string& name) {
        const QString step = QString::fromStdString(name);
        const QString text = QString::fromStdString(window_.text(key));
        const QString tip = QString(text).remove(QLatin1Char('&'));
        menu->setText(enabled ? text + QLatin1Char(' ') + step : text);
        const QString tipText = enabled ? tip + QLatin1Char(' ') + step : tip;
        menu->setToolTip(tipText);
        tool->setToolTip(tipText);
        tool->setText(tipText);
        menu->setEnabled(enabled);
        tool->setEnabled(enabled);
    };
    show(undo_, toolUndo_, loaded && h.canUndo(), kUndoKey, h.undoName());
    show(redo_, toolRedo_, loaded && h.canRedo(), kRedoKey, h.redoName());
}

} // namespace cs::app
