// The transfer controller's handshake and end handling against a scripted receiver.
#include "link/transfer_controller.h"
#include "pty_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace cs::test {
namespace {

using namespace cs::link;
constexpr std::uint8_t kACK = 0x06, kEOT = 0x04, kCAN = 0x18;

class View final : public TransferView {
public:
    void ShowConnection(const std::string& text) override { connection.push_back(text); }
    void ShowFile(const std::string&) override {}
    void ShowFileSize(const std::string&) override {}
    void ShowPacket(const std::string&) override {}
    void SetProgressMax(std::int64_t) override {}
    void SetProgress(std::int64_t) override {}
    void ConnectionEnded() override { ++ended; }
    std::vector<std::string> connection;
    int ended = 0;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dump.VaYModem.Timeout = 2000;
        folder = std::filesystem::temp_directory_path() /
                 ("cs-link-ctl-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path file(const std::string& name, std::size_t size) {
        auto p = folder / name;
        std::ofstream(p, std::ios::binary) << std::string(size, 'd');
        return p;
    }
    bool waitEnd(std::chrono::milliseconds limit = 20s) {
        return ui.runUntil([this] { return view.ended > 0; }, limit);
    }

    LoopDispatcher ui;
    PtyPeer peer;
    View view;
    TFDump dump{ui, view, EnglishLinkText};
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

TEST_F(ControllerTest, PortThatNeverOpensSendsNothingAndRaisesThePortText) {
    dump.VaYModem.Mode = TVaTransferMode::tmDownload;
    try {
        dump.OpenLink("/dev/cs-no-such-port", kCommandGetBase);
        ADD_FAILURE() << "no error";
    } catch (const EVaCommError& e) {
        EXPECT_STREQ(e.what(), "Specified device not found (/dev/cs-no-such-port).");
    }
    EXPECT_FALSE(dump.VaComm.Active());
    EXPECT_FALSE(dump.VaYModem.GetIsActive());
}

TEST_F(ControllerTest, UploadStartsOnTheFirstCAndDiscardsTheRestOfItsBurst) {
    dump.VaYModem.Mode = TVaTransferMode::tmUpload;
    dump.VaYModem.Files = {file("base.dsp", 100).string()};
    std::vector<std::pair<int, int>> errors;
    dump.VaYModem.OnError = [&](int code, int count) { errors.emplace_back(code, count); };
    std::vector<std::uint8_t> command;
    std::thread receiver([&] {
        command = peer.read(3);
        peer.send("noise");
        std::this_thread::sleep_for(1500ms);  // the controller has reopened the port by now
        peer.send("xxCzz");
        std::this_thread::sleep_for(300ms);
        receiveUpload(peer, 1);
    });
    dump.OpenLink(peer.path(), kCommandSend);
    EXPECT_TRUE(dump.WaitingForReceiver());
    EXPECT_TRUE(waitEnd());
    receiver.join();
    EXPECT_EQ(command, (std::vector<std::uint8_t>{0x1B, 'O', 'Q'}));
    EXPECT_EQ(dump.LinkResult, kLinkOk);
    EXPECT_EQ(dump.LastExitCode(), 0);
    EXPECT_TRUE(errors.empty());  // "zz" never reached the engine
    EXPECT_NE(std::find(view.connection.begin(), view.connection.end(), "Create a connection."), view.connection.end());
}

TEST_F(ControllerTest, CDuringTheHandshakeDoesNotStartTheEngineEarly) {
    dump.VaYModem.Mode = TVaTransferMode::tmUpload;
    dump.VaYModem.Files = {file("base.dsp", 100).string()};
    std::thread receiver([&] {
        peer.read(3);
        peer.send('C');  // the loader answers at once, before the controller reopens
        std::this_thread::sleep_for(1500ms);
        peer.send('C');
        std::this_thread::sleep_for(300ms);
        receiveUpload(peer, 1);
    });
    dump.OpenLink(peer.path(), kCommandSend);
    EXPECT_FALSE(dump.VaYModem.GetIsActive());
    EXPECT_TRUE(waitEnd());
    receiver.join();
    EXPECT_EQ(dump.LastExitCode(), 0);
}

TEST_F(ControllerTest, BreakWhileWaitingForTheReceiver) {
    dump.VaYModem.Mode = TVaTransferMode::tmUpload;
    dump.VaYModem.Files = {file("base.dsp", 100).string()};
    dump.OpenLink(peer.path(), kCommandSend);
    EXPECT_EQ(peer.read(3).size(), 3u);
    ASSERT_TRUE(dump.WaitingForReceiver());
    dump.Break();
    EXPECT_EQ(dump.LinkResult, kLinkUserBreak);
    EXPECT_FALSE(dump.VaComm.Active());
    EXPECT_FALSE(dump.WaitingForReceiver());
    peer.send('C');
    ui.pumpFor(100ms);
    EXPECT_FALSE(dump.VaYModem.GetIsActive());
}

TEST_F(ControllerTest, BreakDuringTheHandshakeStopsItThere) {
    dump.VaYModem.Mode = TVaTransferMode::tmDownload;
    dump.VaYModem.TargetFolder = folder.string();
    std::thread receiver([&] {
        peer.read(7);
        ui.post([this] { dump.Break(); });  // runs while the controller waits after the command
    });
    dump.OpenLink(peer.path(), kCommandGetSettings);
    receiver.join();
    EXPECT_EQ(dump.LinkResult, kLinkUserBreak);
    EXPECT_FALSE(dump.VaComm.Active());
    EXPECT_FALSE(dump.VaYModem.GetIsActive());
    EXPECT_TRUE(peer.drain(300ms).empty());  // no "C": the transfer never started
}

TEST_F(ControllerTest, HangUpWhileWaitingForTheReceiverEndsTheConnection) {
    dump.VaYModem.Mode = TVaTransferMode::tmUpload;
    dump.VaYModem.Files = {file("base.dsp", 100).string()};
    dump.OpenLink(peer.path(), kCommandSend);
    peer.read(3);
    peer.hangup();
    EXPECT_TRUE(waitEnd(5s));
    EXPECT_EQ(dump.LinkResult, kLinkTransferFailed);
    EXPECT_EQ(dump.LastExitCode(), kExitLinkFailure);
    EXPECT_FALSE(dump.VaComm.Active());
    EXPECT_EQ(view.connection.back(), "End connection");
}

TEST_F(ControllerTest, FailedDownloadDeletesOnlyItsPartialFile) {
    const auto unrelated = file("keep.dsp", 10);
    const auto target = folder / "in";
    std::filesystem::create_directories(target);
    std::ofstream(target / "old.dsp") << "old";  // exists before: never touched
    dump.VaYModem.Mode = TVaTransferMode::tmDownload;
    dump.VaYModem.TargetFolder = target.string();
    std::thread sender([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("old.dsp", "5000"), 128));
        peer.read(2);
        peer.send(makeBlock(1, std::vector<std::uint8_t>(1024, 7), 1024));
        peer.readByte();
        peer.send(std::vector<std::uint8_t>{kCAN, kCAN});
    });
    dump.OpenDirect(peer.path());
    EXPECT_TRUE(waitEnd());
    sender.join();
    EXPECT_EQ(dump.LastExitCode(), kExitRemoteCancelled);
    EXPECT_EQ(dump.LinkResult, kLinkTransferFailed);
    EXPECT_FALSE(std::filesystem::exists(target / "old-1.dsp"));  // the partial one
    EXPECT_TRUE(std::filesystem::exists(target / "old.dsp"));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
}

TEST_F(ControllerTest, DownloadThatNeverReachedBlockZeroDeletesNothing) {
    const auto target = folder / "in";
    std::filesystem::create_directories(target);
    std::ofstream(target / "list.dsp") << "mine";
    dump.VaYModem.Mode = TVaTransferMode::tmDownload;
    dump.VaYModem.TargetFolder = target.string();
    std::thread sender([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(std::vector<std::uint8_t>{kCAN, kCAN});
    });
    dump.OpenDirect(peer.path());
    EXPECT_TRUE(waitEnd());
    sender.join();
    EXPECT_EQ(dump.LinkResult, kLinkTransferFailed);
    EXPECT_TRUE(std::filesystem::exists(target / "list.dsp"));
}

TEST_F(ControllerTest, MissingLanguageTextsShowAsQuestionMarks) {
    TFDump other(ui, view, [](std::string_view) { return std::string(); });
    other.VaYModem.Mode = TVaTransferMode::tmUpload;
    other.VaYModem.Files = {file("a.dsp", 10).string()};
    other.OpenLink(peer.path(), kCommandSend);
    EXPECT_EQ(view.connection.back(), peer.path() + " ?");
    other.Break();
}

} // namespace
} // namespace cs::test
