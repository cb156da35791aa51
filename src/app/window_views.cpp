#include "app/window_views.h"

#include "app/main_window.h"
#include "properties/ca_systems.h"
#include "views/view_controller.h"

#include <QSplitter>
#include <QStatusBar>

namespace cs::app {

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
    return views;
}

} // namespace cs::app
