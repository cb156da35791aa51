// The transfer controller's handshake and end handling against a scripted receiver.
#include "link/transfer_controller.h"
#include "peer_harness.h"
#include "pty_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace cs::test {
namespace {

using namespace cs::link;
constexpr std::uint8_t kACK = 0x06, kEOT = 0x04, kCAN = 0x18;

class View final : public TransferView {
public:
    void showConnection(const std::string& text) override { connection.push_back(text); }
    void showFile(const std::string&) override {}
    void showFileSize(const std::string&) override {}
    void showPacket(const std::string&) override {}
    void setProgressMax(std::int64_t) override {}
    void setProgress(std::int64_t) override {}
    void portFailed(const std::string& reason) override { failure = reason; }
    void connectionEnded() override { ++ended; }
    std::vector<std::string> connection;
    std::string failure;
    int ended = 0;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        controller.engine.timeoutMs = 2000;
        folder = std::filesystem::temp_directory_path() /
                 ("cs-link-ctl-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        controller.port.setLockFolder(lockFolder.path());  // never the machine's own
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path file(const std::string& name, std::size_t size) {
        auto p = folder / name;
        std::ofstream(p, std::ios::binary) << std::string(size, 'd');
        return p;
    }
    // The handshake runs on the dispatcher's timers: connect returns at once.
    bool waitHandshake(std::chrono::milliseconds limit = 5s) {
        return ui.runUntil([this] { return !controller.handshaking(); }, limit);
    }
    bool waitEnd(std::chrono::milliseconds limit = 20s) {
        return ui.runUntil([this] { return view.ended > 0; }, limit);
    }

    TempDir lockFolder;
    LoopDispatcher ui;
    PtyPeer peer;
    View view;
    TransferController controller{ui, view, englishLinkText};
    std::filesystem::path folder;
};

// Plays the receiver of an upload: block 0, data, EOT, end of batch.
void receiveUpload(PtyPeer& peer, int dataBlocks) {
    peer.send('C');
    readFrame(peer);
    peer.send(kACK);
    peer.send('C');
    for (int i = 0; i < dataBlocks; ++i) {
        readFrame(peer);
        peer.send(kACK);
    }
    if (peer.readByte() == kEOT)
        peer.send(kACK);
    peer.send('C');
    readFrame(peer);
    peer.send(kACK);
}

TEST_F(ControllerTest, PortThatNeverOpensEndsTheConnectionWithThePortText) {
    controller.engine.direction = TransferDirection::Download;
    controller.connect("/dev/cs-no-such-port", kCommandGetBase);
    EXPECT_TRUE(waitEnd(5s));
    EXPECT_EQ(view.failure, "Specified device not found (/dev/cs-no-such-port).");
    EXPECT_EQ(controller.result, ConnectionResult::PortFailed);
    EXPECT_FALSE(controller.port.isOpen());
    EXPECT_FALSE(controller.engine.isRunning());
}

TEST_F(ControllerTest, UploadStartsOnTheFirstCAndDiscardsTheRestOfItsBurst) {
    controller.engine.direction = TransferDirection::Upload;
    controller.engine.files = {file("base.dsp", 100).string()};
    std::vector<std::pair<TransferStatus, int>> errors;
    controller.engine.onError = [&](TransferStatus error, int count) { errors.emplace_back(error, count); };
    std::vector<std::uint8_t> command;
    std::thread receiver([&] {
        command = peer.read(3);
        peer.send("noise");
        std::this_thread::sleep_for(1500ms);  // the controller has reopened the port by now
        peer.send("xxCzz");
        std::this_thread::sleep_for(300ms);
        receiveUpload(peer, 1);
    });
    controller.connect(peer.path(), kCommandSend);
    EXPECT_TRUE(waitHandshake());
    EXPECT_TRUE(controller.waitingForReceiver());
    EXPECT_TRUE(waitEnd());
    receiver.join();
    EXPECT_EQ(command, (std::vector<std::uint8_t>{0x1B, 'O', 'Q'}));
    EXPECT_EQ(controller.result, ConnectionResult::Ok);
    EXPECT_EQ(controller.lastStatus(), TransferStatus::Ok);
    EXPECT_TRUE(errors.empty());  // "zz" never reached the engine
    EXPECT_NE(std::find(view.connection.begin(), view.connection.end(), "Create a connection."), view.connection.end());
}

TEST_F(ControllerTest, CDuringTheHandshakeDoesNotStartTheEngineEarly) {
    controller.engine.direction = TransferDirection::Upload;
    controller.engine.files = {file("base.dsp", 100).string()};
    std::thread receiver([&] {
        peer.read(3);
        peer.send('C');  // the loader answers at once, before the controller reopens
        std::this_thread::sleep_for(1500ms);
        peer.send('C');
        std::this_thread::sleep_for(300ms);
        receiveUpload(peer, 1);
    });
    controller.connect(peer.path(), kCommandSend);
    EXPECT_FALSE(controller.engine.isRunning());
    EXPECT_TRUE(waitEnd());
    receiver.join();
    EXPECT_EQ(controller.lastStatus(), TransferStatus::Ok);
}

TEST_F(ControllerTest, BreakWhileWaitingForTheReceiverTellsTheLoader) {
    controller.engine.direction = TransferDirection::Upload;
    controller.engine.files = {file("base.dsp", 100).string()};
    controller.connect(peer.path(), kCommandSend);
    ASSERT_TRUE(waitHandshake());
    EXPECT_EQ(peer.read(3).size(), 3u);
    ASSERT_TRUE(controller.waitingForReceiver());
    controller.userBreak();
    EXPECT_EQ(controller.result, ConnectionResult::UserBreak);
    EXPECT_FALSE(controller.port.isOpen());
    EXPECT_FALSE(controller.waitingForReceiver());
    // The loader waiting for a file hears that none comes.
    EXPECT_EQ(peer.read(2), (std::vector<std::uint8_t>{kCAN, kCAN}));
    peer.send('C');
    ui.pumpFor(100ms);
    EXPECT_FALSE(controller.engine.isRunning());
}

TEST_F(ControllerTest, BreakDuringATransferLetsTheCancelLeaveBeforeTheClose) {
    controller.engine.direction = TransferDirection::Download;
    controller.engine.targetFolder = folder.string();
    std::vector<std::uint8_t> after;
    std::thread sender([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("x.dsp", "5000"), 128));
        peer.read(2);
        ui.post([this] { controller.userBreak(); });
        after = peer.read(2);
    });
    controller.connectDirect(peer.path());
    EXPECT_TRUE(waitEnd());
    sender.join();
    EXPECT_EQ(after, (std::vector<std::uint8_t>{kCAN, kCAN}));
    EXPECT_EQ(controller.lastStatus(), TransferStatus::Cancelled);
    EXPECT_FALSE(controller.port.isOpen());
}

// A break, a second Connect or the end of the controller (the wizard closed) in each phase of
// the handshake: nothing runs on behind the user's back and nothing is touched after its end.
TEST_F(ControllerTest, BreakSecondConnectAndCloseInEachPhaseOfTheHandshake) {
    enum class Act { Break, SecondConnect, Destroy };
    struct Phase {
        const char* name;
        bool afterCommand;           // wait until the receiver has the command
        std::chrono::milliseconds wait;  // then this long
    };
    const Phase phases[] = {
        {"pause after the probe", false, 0ms},
        {"waiting after the command", true, 0ms},
        {"pause after the command's close", true, 200ms},
    };
    for (const Phase& phase : phases) {
        for (Act act : {Act::Break, Act::SecondConnect, Act::Destroy}) {
            SCOPED_TRACE(std::string(phase.name) + (act == Act::Break ? ", break" : act == Act::Destroy ? ", close" : ", connect"));
            View ownView;
            auto own = std::make_unique<TransferController>(ui, ownView, englishLinkText);
            own->port.setLockFolder(lockFolder.path());
            own->engine.direction = TransferDirection::Download;
            own->engine.targetFolder = folder.string();
            own->connect(peer.path(), kCommandGetSettings);
            ASSERT_TRUE(own->handshaking());
            if (phase.afterCommand) {
                std::vector<std::uint8_t> command;
                std::atomic<bool> heardCommand{false};
                std::thread reader([&] {
                    command = peer.read(7);
                    heardCommand = true;
                });
                ui.runUntil([&] { return heardCommand.load(); }, 3s);
                reader.join();
                ASSERT_EQ(command.size(), 7u);
                ui.pumpFor(phase.wait);
            }
            ASSERT_TRUE(own->handshaking());
            switch (act) {
            case Act::Break:
                own->userBreak();
                EXPECT_FALSE(own->busy());
                break;
            case Act::SecondConnect:
                own->connect(peer.path(), kCommandGetBase);  // ignored while one is under way
                break;
            case Act::Destroy: own.reset(); break;
            }
            ui.pumpFor(1000ms);
            const auto heard = peer.drain(300ms);
            if (act == Act::SecondConnect) {
                // The first connection went on alone: no second command, the engine asks for data.
                ASSERT_TRUE(own->engine.isRunning());
                EXPECT_EQ(std::string(heard.begin(), heard.end()).find("GETBASE"), std::string::npos);
                EXPECT_NE(std::find(heard.begin(), heard.end(), std::uint8_t{'C'}), heard.end());
                own->userBreak();
                ui.runUntil([&] { return !own->busy(); }, 3s);
            } else {
                EXPECT_EQ(std::find(heard.begin(), heard.end(), std::uint8_t{'C'}), heard.end())
                    << "a transfer started after the break";
                if (own) {
                    EXPECT_FALSE(own->port.isOpen());
                    EXPECT_EQ(own->result, ConnectionResult::UserBreak);
                }
            }
            own.reset();
            peer.drain(100ms);
        }
    }
}

TEST_F(ControllerTest, HangUpWhileWaitingForTheReceiverEndsTheConnection) {
    controller.engine.direction = TransferDirection::Upload;
    controller.engine.files = {file("base.dsp", 100).string()};
    controller.connect(peer.path(), kCommandSend);
    ASSERT_TRUE(waitHandshake());
    peer.read(3);
    peer.hangup();
    EXPECT_TRUE(waitEnd(5s));
    EXPECT_EQ(controller.result, ConnectionResult::TransferFailed);
    EXPECT_EQ(controller.lastStatus(), TransferStatus::LinkFailure);
    EXPECT_EQ(controller.failureText(), "The device " + peer.path() + " was disconnected.");
    EXPECT_FALSE(controller.port.isOpen());
    EXPECT_EQ(view.connection.back(), "End connection");
}

TEST_F(ControllerTest, FailedDownloadDeletesOnlyItsPartialFile) {
    const auto unrelated = file("keep.dsp", 10);
    const auto target = folder / "in";
    std::filesystem::create_directories(target);
    std::ofstream(target / "old.dsp") << "old";  // exists before: never touched
    controller.engine.direction = TransferDirection::Download;
    controller.engine.targetFolder = target.string();
    std::thread sender([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("old.dsp", "5000"), 128));
        peer.read(2);
        peer.send(makeBlock(1, std::vector<std::uint8_t>(1024, 7), 1024));
        peer.readByte();
        peer.send(std::vector<std::uint8_t>{kCAN, kCAN});
    });
    controller.connectDirect(peer.path());
    EXPECT_TRUE(waitEnd());
    sender.join();
    EXPECT_EQ(controller.lastStatus(), TransferStatus::RemoteCancelled);
    EXPECT_EQ(controller.result, ConnectionResult::TransferFailed);
    EXPECT_FALSE(std::filesystem::exists(target / "old-1.dsp"));  // the partial one
    EXPECT_TRUE(std::filesystem::exists(target / "old.dsp"));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
}

TEST_F(ControllerTest, DownloadThatNeverReachedBlockZeroDeletesNothing) {
    const auto target = folder / "in";
    std::filesystem::create_directories(target);
    std::ofstream(target / "list.dsp") << "mine";
    controller.engine.direction = TransferDirection::Download;
    controller.engine.targetFolder = target.string();
    std::thread sender([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(std::vector<std::uint8_t>{kCAN, kCAN});
    });
    controller.connectDirect(peer.path());
    EXPECT_TRUE(waitEnd());
    sender.join();
    EXPECT_EQ(controller.result, ConnectionResult::TransferFailed);
    EXPECT_TRUE(std::filesystem::exists(target / "list.dsp"));
}

TEST_F(ControllerTest, MissingLanguageTextsShowAsQuestionMarks) {
    TransferController other(ui, view, [](std::string_view) { return std::string(); });
    other.port.setLockFolder(lockFolder.path());
    other.engine.direction = TransferDirection::Upload;
    other.engine.files = {file("a.dsp", 10).string()};
    other.connect(peer.path(), kCommandSend);
    ui.runUntil([&] { return !other.handshaking(); }, 5s);
    EXPECT_EQ(view.connection.back(), peer.path() + " ?");
    other.userBreak();
}

} // namespace
} // namespace cs::test
