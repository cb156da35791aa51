// One of two editor processes exchanging channels through the X clipboard (driven by
// two_editors.sh): "copy" opens database A, copies all its channels and serves the clipboard
// until the other side is done; "paste" opens database B, waits for A's channels on the
// clipboard, pastes them into its first favourite list, saves, reopens the saved file and checks
// that every channel of A is in it exactly once, no duplicates of B's own channels among them.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app_test_support.h"
#include "views_test_support.h"

#include "database/channel_database.h"
#include "editing/clipboard_exchange.h"
#include "editing/edit_controller.h"
#include "views/view_controller.h"
#include "widgets/message_box.h"

using namespace cs;
namespace fs = std::filesystem;
namespace fx = cs::fixtures;

namespace {

constexpr int kChannelsA = 60;
constexpr int kShared = 30;   // B holds A's first 30 channels already
constexpr int kOwnB = 10;

fx::ImageBytes databaseA() {
    viewtest::SmallDatabase d;
    d.channels = kChannelsA;
    return viewtest::smallDatabase(d);
}

fx::ImageBytes databaseB() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::SettingsR78);
    b.defaultSatellites();
    b.listCount(1).listName(1, "Fav");
    for (int i = 0; i < kShared; ++i) {
        fx::ChannelFields c = viewtest::smallChannel(i, kChannelsA);
        c.listPositions = {};
        if (i < 3)
            c.listPositions[0] = static_cast<std::uint16_t>(i + 1);
        b.channel(static_cast<std::size_t>(i), c);
    }
    for (int i = 0; i < kOwnB; ++i) {
        fx::ChannelFields c;
        c.name = "Own B " + std::to_string(i);
        c.serviceId = static_cast<std::uint16_t>(5000 + i);
        c.providerNumber = 0;
        b.channel(static_cast<std::size_t>(kShared + i), c);
    }
    b.provider(0, 1, "Gamma").provider(1, 2, "Alpha").provider(2, 3, "Beta");
    return b.build();
}

std::unique_ptr<app::MainWindow> openEditor(apptest::Sandbox& box, const std::string& name, const fx::ImageBytes& bytes,
                                            std::string& path) {
    box.makeViews = [](app::MainWindow& w) { return app::makeWindowViews(w); };
    path = box.writeFile(name, bytes).string();
    box.seedEarlierRun({path});
    auto window = box.makeWindow();
    if (!apptest::runPendingOpen(*window) || !window->databaseLoaded())
        return nullptr;
    window->views()->applyTreeSelection();
    return window;
}

void touch(const fs::path& p) { std::ofstream(p) << "1\n"; }

// Runs the event loop until `done` holds or the time is up.
bool waitFor(const std::function<bool()>& done, int seconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > seconds * 1000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

int copySide(const fs::path& dir) {
    apptest::Sandbox box;
    std::string path;
    auto window = openEditor(box, "a.dsp", databaseA(), path);
    if (!window)
        return 2;
    editing::EditController* edit = window->editController();
    edit->selectAll();
    window->actions().copy->trigger();
    if (edit->clipboard().slotList().size() != static_cast<std::size_t>(kChannelsA)) {
        std::fprintf(stderr, "copy: %zu channels taken\n", edit->clipboard().slotList().size());
        return 1;
    }
    touch(dir / "copied");
    // Serves the clipboard until the other editor is done with it.
    if (!waitFor([&] { return fs::exists(dir / "done"); }, 60)) {
        std::fprintf(stderr, "copy: the other editor never finished\n");
        return 1;
    }
    return 0;
}

int pasteSide(const fs::path& dir) {
    apptest::Sandbox box;
    std::string path;
    auto window = openEditor(box, "b.dsp", databaseB(), path);
    if (!window)
        return 2;
    struct Done {
        fs::path file;
        ~Done() { touch(file); }
    } done{dir / "done"};
    if (!waitFor([&] { return fs::exists(dir / "copied") && editing::ClipboardList::foreignChannelCount() > 0; }, 30)) {
        std::fprintf(stderr, "paste: no channels of another editor on the clipboard\n");
        return 1;
    }
    auto* views = window->views();
    QTreeWidget* tree = window->widgets().tree;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (views::classifyNode(tree->topLevelItem(i)) == TreeNode::favouriteList(1))
            tree->setCurrentItem(tree->topLevelItem(i));
    views->applyTreeSelection();
    window->widgets().channelList->clearSelection();
    window->actions().paste->trigger();
    window->save();
    if (window->isModified()) {
        std::fprintf(stderr, "paste: the database was not saved\n");
        return 1;
    }

    // The saved file, read afresh, against database A.
    MemoryLog log;
    Flash saved(log);
    ChannelDatabase b(saved);
    Flash flashA(log);
    ChannelDatabase a(flashA);
    if (saved.openImage(path) != OpenResult::Loaded || flashA.openImageBytes(databaseA(), "a.dsp") != OpenResult::Loaded) {
        std::fprintf(stderr, "paste: the saved file does not open\n");
        return 1;
    }
    int failures = 0;
    const std::size_t expected = kShared + kOwnB + (kChannelsA - kShared);
    if (b.channelCount() != expected) {
        std::fprintf(stderr, "paste: %zu channels saved, %zu expected\n", b.channelCount(), expected);
        ++failures;
    }
    for (int slotA = 0; slotA < kChannelsA; ++slotA) {
        int copies = 0;
        bool inList = false;
        for (std::size_t s = 0; s < b.capacity(); ++s)
            if (b.entry(s).inUse() && channelsEqual(b.record(s), a.record(static_cast<std::size_t>(slotA)))) {
                ++copies;
                inList = b.record(s).listPosition(1) != 0;
            }
        if (copies != 1 || !inList) {
            std::fprintf(stderr, "paste: channel %s saved %d times%s\n", std::string(a.record(slotA).name()).c_str(),
                         copies, inList ? "" : ", not in the list");
            ++failures;
        }
    }
    if (b.listMembers(1) != static_cast<std::size_t>(kChannelsA)) {
        std::fprintf(stderr, "paste: the list holds %zu channels\n", b.listMembers(1));
        ++failures;
    }
    std::printf("paste: %zu channels saved, %zu in the list, %d failures\n", b.channelCount(), b.listMembers(1), failures);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    // No question may wait for a person: every box is written out and answered Yes.
    widgets::setMessageBoxHandler([](const widgets::MessageBoxRequest& r) {
        std::fprintf(stderr, "box: %s / %s\n", r.caption.c_str(), r.text.c_str());
        return widgets::MessageAnswer::Yes;
    });
    const std::string role = argv[1];
    const fs::path dir = argv[2];
    if (role == "copy")
        return copySide(dir);
    if (role == "paste")
        return pasteSide(dir);
    return 2;
}
