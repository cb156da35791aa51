#include "app/window_views.h"

#include "app/main_window.h"
#include "compare/compare_window.h"
#include "compare/file_info_window.h"
#include "views/channel_list_model.h"
#include "properties/ca_systems.h"

#include <QAction>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QStatusBar>

#include "app/undo_commands.h"

namespace cs::app {

namespace {

// The editing commands over the window's widgets.
std::unique_ptr<editing::EditController> makeEditing(MainWindow& window, views::ViewController& views) {
    const MainWindowActions& a = window.widgets().actions;
    editing::EditHost host;
    host.window = &window;
    host.tree = window.widgets().tree;
    host.list = window.widgets().channelList;
    host.actions = a;
    host.listPopup = window.widgets().menus.listPopup;
    host.treePopup = window.widgets().menus.treePopup;
    host.setModified = [&window](bool on) { window.setModified(on); };
    host.databaseLoaded = [&window] { return window.databaseLoaded(); };
    host.openProperties = [&window](const properties::PropertiesRequest& request) { return window.openProperties(request); };
    host.setPresetSatellite = [&window](int satellite) { window.setPresetSatellite(satellite); };
    host.filesDropped = [&window](const std::vector<std::string>& paths) { window.filesDropped(paths); };
    return std::make_unique<editing::EditController>(std::move(host), views, window.database(), window.displayTexts(),
                                                     window.storedSettings());
}

// A command of another window changed the database: one undo step under its own name.
std::function<void(const std::string&)> namedStep(MainWindow& window) {
    return [&window](const std::string& stepName) {
        window.undoCommands().nameNextStep(stepName);
        window.setModified(true);
        window.undoCommands().flush();
    };
}

// The tree, the list and the status panels shown again after such a change.
std::function<void()> refreshAfterChange(MainWindow& window, views::ViewController& views) {
    return [&window, &views] {
        views.rebuildTree();
        views.fillChannelList();
        window.updateStatusCounts();
        window.refreshNodePanel();
    };
}

// Order like a reference, export the shown view, find duplicates.
std::unique_ptr<reference_ui::ReferenceCommands> makeReferenceCommands(MainWindow& window, views::ViewController& views) {
    const MainWindowActions& a = window.widgets().actions;
    reference_ui::ReferenceHost host;
    host.window = &window;
    host.orderLikeReference = a.orderLikeReference;
    host.exportView = a.exportView;
    host.findDuplicates = a.findDuplicates;
    host.printView = a.printView;
    host.exportPdf = a.exportPdf;
    host.databaseLoaded = [&window] { return window.databaseLoaded(); };
    host.changed = namedStep(window);
    host.refreshViews = refreshAfterChange(window, views);
    host.shownFile = [&window] { return window.currentFileName(); };
    host.showStatus = [&window](const std::string& text) {
        window.statusBar()->showMessage(QString::fromStdString(text), 5000);
    };
    return std::make_unique<reference_ui::ReferenceCommands>(std::move(host), views, window.database(),
                                                             window.displayTexts());
}

// A double-click on the status bar's file panel asks for the file information, as the Help
// entry does.
class DoubleClickTrigger final : public QObject {
public:
    DoubleClickTrigger(QAction* action, QObject* parent) : QObject(parent), action_(action) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick && action_->isEnabled()) {
            action_->trigger();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAction* action_;
};

// File > Compare with... and Help > File information over the shown database.
std::function<void(const std::string&)> attachCompareWindows(MainWindow& window, views::ViewController& views) {
    compare_ui::CompareHost host;
    host.window = &window;
    host.text = [&window](std::string_view key) { return window.text(key); };
    host.shownFile = [&window] { return window.currentFileName(); };
    host.changed = namedStep(window);
    host.refreshViews = refreshAfterChange(window, views);
    host.selectChannel = [&window, &views](std::uint16_t slot) {
        const int row = views.model().rowOfSlot(slot);
        QTableView* list = window.widgets().channelList;
        if (row < 0 || !list)
            return false;
        const QModelIndex index = views.model().index(row, 0);
        list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        list->scrollTo(index);
        return true;
    };
    const MainWindowActions& a = window.widgets().actions;
    QObject::connect(a.compareWith, &QAction::triggered, &window, [&window, host] {
        if (window.databaseLoaded())
            compare_ui::compareWithFile(host, window.database());
    });
    QObject::connect(a.fileInformation, &QAction::triggered, &window, [&window, host] {
        if (window.databaseLoaded())
            compare_ui::showFileInformation(host, window.database());
    });
    if (QLabel* panel = window.widgets().filePanel)
        panel->installEventFilter(new DoubleClickTrigger(a.fileInformation, panel));
    return [&window, host](const std::string& path) {
        if (window.databaseLoaded())
            compare_ui::compareWithPath(host, window.database(), path);
    };
}

} // namespace

std::unique_ptr<WindowViews> makeWindowViews(MainWindow& window) {
    const MainWindowWidgets& widgets = window.widgets();
    const MainWindowActions& actions = widgets.actions;
    views::ViewWidgets w;
    w.tree = widgets.tree;
    w.channelList = widgets.channelList;
    w.settingsIcons = widgets.settingsIcons;
    w.listStack = widgets.listStack;
    w.binHelpText = widgets.binHelpText;
    w.numberingMode = actions.numberingMode;
    w.cut = actions.toolCut;
    w.copy = actions.toolCopy;
    w.paste = actions.toolPaste;
    w.deleteChannels = actions.toolDelete;
    w.properties = actions.toolProperties;
    w.find = actions.toolFind;
    w.status = window.statusBar();
    w.statusCounts = widgets.countsPanel;
    auto views = std::make_unique<views::ViewController>(w, *widgets.filterBar, window.database(), window.displayTexts(), window.storedSettings());
    views::ViewController* vc = views.get();
    QObject::connect(vc, &views::ViewController::modified, &window, [&window] { window.setModified(true); });
    QObject::connect(vc, &views::ViewController::selectedNodeChanged, &window, [&window] { window.refreshNodePanel(); });
    QObject::connect(widgets.splitter, &QSplitter::splitterMoved, vc, &views::ViewController::splitterMoved);
    QObject::connect(vc, &views::ViewController::fillingChanged, &window,
                     [&window](bool filling) { window.showFilling(filling); });
    // A settings icon opens the properties dialog on its page.
    QObject::connect(vc, &views::ViewController::settingsPageActivated, &window, [&window](SettingsGroup group) {
        properties::PropertiesRequest request;
        request.purpose = properties::PropertiesRequest::Purpose::Settings;
        request.settingsGroup = group;
        request.presetSatellite = window.presetSatellite();
        if (window.openProperties(request) != properties::ChangeLevel::None)
            window.setModified(true);
    });
    views::ViewHooks hooks;
    hooks.codingSystems = [] {
        std::vector<views::CodingSystemItem> items;
        for (const properties::CodingSystem& s : properties::codingSystemFilterItems())
            items.push_back({s.base, s.caption});
        return items;
    };
    vc->setHooks(std::move(hooks));
    auto assembled = std::make_unique<WindowViews>();
    assembled->editing = makeEditing(window, *vc);
    assembled->reference = makeReferenceCommands(window, *vc);
    assembled->compareWith = attachCompareWindows(window, *vc);
    assembled->views = std::move(views);
    return assembled;
}

} // namespace cs::app
