#pragma once
// The views component on real widgets over a real database opened from a generated image: a
// small host window with the tree, the list, the settings icons, the filter bar's buttons, the edit
// actions and the status bar, as the main window hands them over.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "views/channel_list_model.h"
#include "views/tree_builder.h"
#include "views/filter_bar.h"
#include "views/view_controller.h"
#include "common/log_sink.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "fixtures/image_builder.h"
#include "image/flash.h"
#include "lang/language_texts.h"
#include "settings/stored_settings.h"

namespace cs::viewtest {

namespace fx = cs::fixtures;

// What a generated test database holds.
struct SmallDatabase {
    int channels = 150;
    bool validBa3 = true;                   // provider area valid (provider_verify and CRC)
    fx::DatabaseFileKind kind = fx::DatabaseFileKind::SettingsR78;
    bool validBa2 = true;
    int listMembers = 12;                   // members of favourite list 1 ("Sport")
};

// Channel i of a small database: satellites 19 and 28 and a few DVB-T channels; TV, radio and
// data services, free and scrambled; unique names in a shuffled order; providers "Alpha",
// "Beta", "Gamma" on three of every four channels; list 1 holds the first members in a
// scrambled order of positions.
inline fx::ChannelFields smallChannel(int i, int count) {
    fx::ChannelFields c;
    const int shuffled = (i * 37 + 11) % count;  // a permutation while 37 and count are coprime
    c.name = "Ch " + std::to_string(1000 + shuffled);
    c.serviceId = static_cast<std::uint16_t>(100 + i);
    if (i % 10 == 9) {
        c.satellite = fx::kDvbT;
        c.frequency = static_cast<std::uint16_t>(4740 + 80 * (i % 7));  // 474.0 .. 522.0 MHz
        c.symbolRate = 0;
        c.ofdm = static_cast<std::uint8_t>(0x0A);
        c.polarisation = 0;
    } else {
        c.satellite = (i % 3 == 0) ? 19 : 28;
        c.frequency = static_cast<std::uint16_t>(10700 + (i * 131) % 2000);
        c.symbolRate = static_cast<std::uint16_t>(22000 + (i % 4) * 1500);
        c.polarisation = static_cast<std::uint8_t>(i % 2);
        c.fec = static_cast<std::uint8_t>(1 + i % 5);
    }
    c.audioLanguage = static_cast<std::uint8_t>(20 + i % 9);
    c.scrambled = i % 5 == 1;
    switch (i % 6) {
    case 0:
    case 1:
    case 2:
        c.videoPid = static_cast<std::uint16_t>(100 + i);
        c.audioPid = static_cast<std::uint16_t>(2000 + i);
        break;
    case 3:
    case 4:  // radio
        c.videoPid = 0;
        c.audioPid = static_cast<std::uint16_t>(3000 + i);
        break;
    default:  // data
        c.videoPid = 0;
        c.audioPid = 0;
        c.notAService = true;
        break;
    }
    c.providerNumber = static_cast<std::uint16_t>(i % 4);  // 0: no provider
    return c;
}

inline fx::ImageBytes smallDatabase(const SmallDatabase& d) {
    fx::DatabaseImageBuilder b(d.kind);
    const bool hasConfig = b.layout().config != fx::ImageLayout::npos;
    if (hasConfig) {
        b.defaultSatellites();
        b.listCount(1).listName(1, "Sport");
    }
    for (int i = 0; i < d.channels; ++i) {
        fx::ChannelFields c = smallChannel(i, d.channels);
        if (i < d.listMembers)
            c.listPositions[0] = static_cast<std::uint16_t>(((i * 7) % d.listMembers) * 3 + 2);
        if (!hasConfig)
            c.providerNumber = 0;
        b.channel(static_cast<std::size_t>(i), c);
    }
    if (hasConfig) {
        b.provider(0, 1, "Gamma").provider(1, 2, "Alpha").provider(2, 3, "Beta");
        if (!d.validBa3)
            b.providerCrc(fx::AreaCrc::Wrong);
        if (!d.validBa2)
            b.settingsCrc(fx::AreaCrc::Wrong);
    }
    return b.build();
}

// The views over a small host window. The first applied tree selection (the one that swallows
// the selection reported while the window is built) has already happened.
class Harness {
public:
    // `swallowFirstSelection`: let the first applied selection pass, as the running program does.
    explicit Harness(bool swallowFirstSelection = true, TextLookup lookup = lang::englishTexts())
        : flash(log), db(flash), texts(db, std::move(lookup)) {
        auto* central = new QWidget(&window);
        auto* layout = new QVBoxLayout(central);
        tree = new QTreeWidget(central);
        stack = new QStackedWidget(central);
        list = new QTableView(stack);
        icons = new QListWidget(stack);
        stack->addWidget(list);
        stack->addWidget(icons);
        help = new QLabel(central);
        layout->addWidget(tree);
        layout->addWidget(stack);
        window.setCentralWidget(central);
        filterBar = new views::FilterBar(&window);
        window.addToolBar(filterBar);
        buttons = {filterBar->tvRadio(), filterBar->freeScrambled(), filterBar->sortOrder(),
                   filterBar->favouriteList(), filterBar->codingSystems()};
        for (auto*& a : actions)
            a = new QAction(&window);
        counts = new QLabel(window.statusBar());
        window.statusBar()->addWidget(counts);
        window.resize(900, 600);

        views::ViewWidgets w;
        w.tree = tree;
        w.channelList = list;
        w.settingsIcons = icons;
        w.listStack = stack;
        w.binHelpText = help;
        w.numberingMode = actions[0];
        w.cut = actions[1];
        w.copy = actions[2];
        w.paste = actions[3];
        w.deleteChannels = actions[4];
        w.properties = actions[5];
        w.find = actions[6];
        w.status = window.statusBar();
        w.statusCounts = counts;
        views = std::make_unique<views::ViewController>(w, *filterBar, db, texts, storedSettings);
        if (swallowFirstSelection)
            views->applyTreeSelection();
    }

    // Opens an image as a successful load does: reset the views, then show the main list.
    bool open(const fx::ImageBytes& bytes) {
        if (flash.openImageBytes(bytes, "test.dsp") != OpenResult::Loaded)
            return false;
        views->setDatabaseLoaded(false);
        views->resetViews();
        views->setDatabaseLoaded(true);
        views->setListMode(views::ListMode::Channels);
        views->fillChannelList();
        return true;
    }

    // A tree selection that has waited out its debounce.
    void select(QTreeWidgetItem* node) {
        tree->setCurrentItem(node);
        views->applyTreeSelection();
    }
    views::TreeBuilder builder() { return views::TreeBuilder(*tree, db, texts); }

    views::ChannelListModel& model() { return views->model(); }
    int rows() { return model().rows(); }
    // The texts of one visible column, top to bottom.
    std::vector<std::string> column(int visible) {
        std::vector<std::string> out;
        for (int r = 0; r < model().rows(); ++r)
            out.push_back(model().index(r, visible).data().toString().toStdString());
        return out;
    }
    std::vector<std::uint16_t> shownSlots() {
        const auto s = model().rowSlots();
        return {s.begin(), s.end()};
    }
    // The filter menus in the bar's order: 1 TV/radio, 2 free/scrambled, 3 sort order,
    // 4 favourite list, 5 coding systems.
    QMenu* menu(int number) const {
        const std::array<QMenu*, 5> menus = {filterBar->tvRadioMenu(), filterBar->freeScrambledMenu(),
                                             filterBar->sortOrderMenu(), filterBar->favouriteListMenu(),
                                             filterBar->codingSystemMenu()};
        return menus.at(static_cast<std::size_t>(number - 1));
    }
    QAction* checkedItem(int number) {
        for (QAction* a : menu(number)->actions())
            if (a->isChecked())
                return a;
        return nullptr;
    }
    std::string lang(const char* key) const { return texts.text(key); }
    void selectRows(std::initializer_list<int> rowsToSelect) {
        list->clearSelection();
        for (int r : rowsToSelect)
            list->selectionModel()->select(model().index(r, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    MemoryLog log;
    Flash flash;
    ChannelDatabase db;
    DisplayTexts texts;
    StoredSettings storedSettings;
    QMainWindow window;
    QTreeWidget* tree = nullptr;
    QStackedWidget* stack = nullptr;
    QTableView* list = nullptr;
    QListWidget* icons = nullptr;
    QLabel* help = nullptr;
    views::FilterBar* filterBar = nullptr;
    // The filter bar's buttons, in its order.
    std::array<QToolButton*, 5> buttons{};
    // Numbering mode, Cut, Copy, Paste, Delete, Properties, Find.
    std::array<QAction*, 7> actions{};
    QLabel* counts = nullptr;
    std::unique_ptr<views::ViewController> views;
};

} // namespace cs::viewtest
