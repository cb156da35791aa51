#include "app/window_views.h"

#include "app/main_window.h"
#include "editing/edit_controller.h"
#include "properties/ca_systems.h"
#include "reference/reference_commands.h"
#include "views/view_controller.h"

#include <QSplitter>
#include <QStatusBar>

#include "app/undo_commands.h"

namespace cs::app {

// The editing commands over the window's widgets; they live as long as the views.
void attachEditing(MainWindow& window, views::ViewController& views) {
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
    host.openProperties = [&window](const PropertiesRequest& request) { return window.openProperties(request); };
    host.setPresetSatellite = [&window](int satellite) { window.setPresetSatellite(satellite); };
    host.filesDropped = [&window](const std::vector<std::string>& paths) { window.filesDropped(paths); };
    new editing::EditController(std::move(host), views, window.database(), window.displayTexts(),
                                window.storedSettings(), &views);  // owned by the views
}

// Order like a reference, export the shown view, find duplicates; they live as long as the views.
void attachReferenceCommands(MainWindow& window, views::ViewController& views) {
    const MainWindowActions& a = window.widgets().actions;
    reference_ui::ReferenceHost host;
    host.window = &window;
    host.orderLikeReference = a.orderLikeReference;
    host.exportView = a.exportView;
    host.findDuplicates = a.findDuplicates;
    host.databaseLoaded = [&window] { return window.databaseLoaded(); };
    host.changed = [&window](const std::string& stepName) {
        window.undoCommands().nameNextStep(stepName);
        window.setModified(true);
        window.undoCommands().flush();
    };
    host.refreshViews = [&window, &views] {
        views.rebuildTree();
        views.fillChannelList();
        window.updateStatusCounts();
        window.refreshNodePanel();
    };
    host.shownFile = [&window] { return window.currentFileName(); };
    host.showStatus = [&window](const std::string& text) {
        window.statusBar()->showMessage(QString::fromStdString(text), 5000);
    };
    new reference_ui::ReferenceCommands(std::move(host), views, window.database(), window.displayTexts(), &views);
}

reference_ui::ReferenceCommands* referenceCommandsOf(MainWindow& window) {
    auto* views = dynamic_cast<views::ViewController*>(window.views());
    return views ? views->findChild<reference_ui::ReferenceCommands*>() : nullptr;
}

editing::EditController* editControllerOf(MainWindow& window) {
    auto* views = dynamic_cast<views::ViewController*>(window.views());
    return views ? views->findChild<editing::EditController*>() : nullptr;
}

std::unique_ptr<views::MainViews> makeWindowViews(MainWindow& window) {
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
    QObject::connect(vc, &views::ViewController::treeSelectionApplied, &window,
                     [&window] { window.setFindPosition(-1); });
    QObject::connect(widgets.splitter, &QSplitter::splitterMoved, vc, &views::ViewController::splitterMoved);
    // A settings icon opens the properties dialog on its page.
    QObject::connect(vc, &views::ViewController::settingsPageActivated, &window, [&window](int page) {
        PropertiesRequest request;
        request.purpose = PropertiesRequest::Purpose::Settings;
        request.settingsRowType = page;
        request.presetSatellite = window.presetSatellite();
        if (window.openProperties(request) != PropertiesChange::None)
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
    attachEditing(window, *vc);
    attachReferenceCommands(window, *vc);
    return views;
}

} // namespace cs::app
