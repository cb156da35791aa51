// The serial port layer on real pseudo-terminals.
#include "link/serial_port.h"
#include "link/tty_posix.h"
#include "peer_harness.h"
#include "pty_peer.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

namespace cs::test {
namespace {

using namespace cs::link;

class PortTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.setLockFolder(lockFolder.path());  // the machine's own is left alone
        port.setDeviceName(peer.path());
        port.setBaudRate(BaudRate::Bps115200);
        port.setClosePauseMs(0);
        ui.errorSink = [this](std::string_view m) { shown.emplace_back(m); };
    }
    std::string openError(SerialPort& p) {
        try {
            p.open();
        } catch (const SerialPortError& e) {
            return e.what();
        }
        return "";
    }

    TempDir lockFolder;
    LoopDispatcher ui;
    PtyPeer peer;
    SerialPort port{ui};
    std::vector<std::string> shown;
};

// A client that records what reaches it.
class Recorder : public PortClient {
public:
    std::vector<std::uint8_t> data;
    LineEvents events = 0;

protected:
    void dataArrived(std::span<const std::uint8_t> bytes) override { data.insert(data.end(), bytes.begin(), bytes.end()); }
    void lineEventsArrived(LineEvents e) override { events |= e; }
};

TEST(PortDefaults, NewPortHasTheDocumentedSettings) {
    LoopDispatcher ui;
    SerialPort p(ui);
    EXPECT_EQ(p.deviceName(), "");
    EXPECT_EQ(p.baudRate(), BaudRate::Bps1200);
    EXPECT_EQ(p.parity(), Parity::None);
    EXPECT_EQ(p.dataBits(), DataBits::Eight);
    EXPECT_EQ(p.stopBits(), StopBits::One);
    EXPECT_EQ(p.flowControl().dtr, DtrControl::Disabled);
    EXPECT_EQ(p.flowControl().rts, RtsControl::Disabled);
    EXPECT_EQ(p.buffers().readSize, 4096);
    EXPECT_EQ(p.buffers().writeSize, 2048);
    EXPECT_EQ(p.buffers().writeTimeoutMs, 1000);
    EXPECT_EQ(p.xonXoffChars().xon, 17);
    EXPECT_EQ(p.xonXoffChars().xoff, 19);
    EXPECT_EQ(p.monitoredEvents(),
              eventBit(LineEvent::Error) | eventBit(LineEvent::DataReceived) | eventBit(LineEvent::OutputEmpty));
    EXPECT_FALSE(p.isOpen());
    p.setDeviceName("/dev/ttyUSB0");
    EXPECT_EQ(p.deviceName(), "/dev/ttyUSB0");
}

TEST(PortDefaults, RateSettersFollowTheUserRateRule) {
    LoopDispatcher ui;
    SerialPort p(ui);
    p.setBaudRate(BaudRate::Custom);
    p.setCustomBaudRate(2304000);
    EXPECT_EQ(p.baudRate(), BaudRate::Custom);
    EXPECT_EQ(p.effectiveBaudRate(), 2304000);
    p.setBaudRate(BaudRate::Bps115200);
    EXPECT_EQ(p.customBaudRate(), 0);
    EXPECT_EQ(p.effectiveBaudRate(), 115200);
    p.setCustomBaudRate(14400);  // selects Custom by itself
    EXPECT_EQ(p.baudRate(), BaudRate::Custom);
}

TEST_F(PortTest, OpenFailuresLeaveThePortClosed) {
    SerialPort missing(ui);
    missing.setDeviceName("/dev/cs-no-such-port");
    EXPECT_EQ(openError(missing), "Specified device not found (/dev/cs-no-such-port).");
    EXPECT_FALSE(missing.isOpen());

    SerialPort notTty(ui);
    notTty.setDeviceName("/dev/null");
    EXPECT_EQ(openError(notTty).rfind("Can't open specified device /dev/null (Error ", 0), 0u);
    EXPECT_FALSE(notTty.isOpen());

    port.open();
    EXPECT_EQ(port.lockResult(), LockResult::Held);
    EXPECT_TRUE(std::filesystem::exists(lockFolder / ("LCK..pts_" + peer.path().substr(9))));
    SerialPort second(ui);
    second.setLockFolder(lockFolder.path());
    second.setDeviceName(peer.path());
    // The port layer's text, then who holds the port (here this very process, through the lock
    // file the first port took).
    const std::string busy = openError(second);
    EXPECT_EQ(busy.rfind("Can't open specified device " + peer.path() + " (Error 16, Device or resource busy)", 0), 0u);
    EXPECT_NE(busy.find("in use by process " + std::to_string(::getpid())), std::string::npos) << busy;
    EXPECT_EQ(openError(port), "Can't perform this operation while port is open");
    EXPECT_THROW(port.setDeviceName("/dev/other"), SerialPortError);
    port.close();
    EXPECT_FALSE(std::filesystem::exists(lockFolder / ("LCK..pts_" + peer.path().substr(9))));
    EXPECT_EQ(openError(second), "");  // free again after close
    second.close();

    // No lock folder to write: the port opens all the same, and says that no lock was made.
    SerialPort unlocked(ui);
    unlocked.setLockFolder(lockFolder / "no-such-folder");
    unlocked.setDeviceName(peer.path());
    EXPECT_EQ(openError(unlocked), "");
    EXPECT_TRUE(unlocked.isOpen());
    EXPECT_EQ(unlocked.lockResult(), LockResult::NoLockFile);
    unlocked.close();
}

TEST_F(PortTest, OpenAndCloseFireOnceAndCloseOnAClosedPortDoesNothing) {
    int opened = 0, closed = 0;
    port.onOpen = [&] { ++opened; };
    port.onClose = [&] { ++closed; };
    port.close();
    EXPECT_EQ(closed, 0);
    port.open();
    port.close();
    port.close();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
}

TEST_F(PortTest, LineIsRawEightBitsWithoutFlowControl) {
    port.open();
    termios t{};
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &t), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));

    // every byte value passes unchanged both ways, XON and XOFF included
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    port.write(all);
    EXPECT_EQ(peer.read(256), all);
    std::vector<std::uint8_t> got;
    port.onDataReceived = [&](int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        buf.resize(static_cast<std::size_t>(port.read(buf)));
        got.insert(got.end(), buf.begin(), buf.end());
    };
    peer.send(all);
    EXPECT_TRUE(ui.runUntil([&] { return got.size() >= 256; }, 5s));
    EXPECT_EQ(got, all);
}

TEST_F(PortTest, EveryListedRateAndFreeRatesAreAccepted) {
    const BaudRate rates[] = {BaudRate::Bps110, BaudRate::Bps300, BaudRate::Bps600, BaudRate::Bps1200,
                                 BaudRate::Bps2400, BaudRate::Bps4800, BaudRate::Bps9600, BaudRate::Bps14400,
                                 BaudRate::Bps19200, BaudRate::Bps38400, BaudRate::Bps56000, BaudRate::Bps57600,
                                 BaudRate::Bps115200, BaudRate::Bps128000, BaudRate::Bps256000};
    port.open();
    for (BaudRate r : rates) {
        port.setBaudRate(r);  // applied at once on an open port
        unsigned actual = 0;
        ASSERT_EQ(posix::readRateBits(peer.slaveFd(), actual), 0);
        EXPECT_EQ(static_cast<int>(actual), bitsPerSecond(r));
    }
    for (int user : {2304000, 230400, 31250}) {
        port.setCustomBaudRate(user);
        unsigned actual = 0;
        ASSERT_EQ(posix::readRateBits(peer.slaveFd(), actual), 0);
        EXPECT_EQ(static_cast<int>(actual), user);
    }
}

TEST_F(PortTest, UnsupportedLineSettingsAreRefusedAtOpen) {
    port.setDataBits(DataBits::Four);
    const std::string error = openError(port);
    EXPECT_EQ(error.rfind("Error writing dcb (22), ", 0), 0u) << error;
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PortTest, AttachedClientsTakeTheBytesInsteadOfOnDataReceived) {
    int rxEvents = 0;
    port.onDataReceived = [&](int) { ++rxEvents; };
    Recorder active, inactive;
    port.open();
    inactive.attachTo(&port);
    peer.send("dropped");
    EXPECT_TRUE(ui.runUntil([&] { return port.bytesAvailable() == 0; }, 5s));
    ui.pumpFor(50ms);
    EXPECT_TRUE(inactive.data.empty());
    active.attachTo(&port);
    active.setActive(true);
    peer.send("kept");
    EXPECT_TRUE(ui.runUntil([&] { return active.data.size() >= 4; }, 5s));
    EXPECT_EQ(std::string(active.data.begin(), active.data.end()), "kept");
    EXPECT_TRUE(inactive.data.empty());
    EXPECT_EQ(rxEvents, 0);
    active.attachTo(nullptr);
    inactive.attachTo(nullptr);
    peer.send("x");
    EXPECT_TRUE(ui.runUntil([&] { return rxEvents > 0; }, 5s));
}

TEST_F(PortTest, OversizedWriteFailsWhileTwoFittingWritesPass) {
    port.open();
    std::vector<std::uint8_t> big(2049, 'b');
    try {
        port.write(big);
        ADD_FAILURE() << "no error";
    } catch (const SerialPortError& e) {
        EXPECT_STREQ(e.what(), "Output buffer is full. Please check comm status.");
    }
    std::vector<std::uint8_t> half(1500, 'h');
    EXPECT_EQ(port.write(half), 1500);
    EXPECT_EQ(port.write(half), 1500);
    EXPECT_EQ(peer.read(3000).size(), 3000u);
}

TEST_F(PortTest, OutputThatCannotLeaveFillsTheBufferAndPurgeEmptiesIt) {
    BufferSettings b;
    b.writeTimeoutMs = 100;
    port.setBuffers(b);
    port.open();
    // Nobody reads the other side: the pseudo-terminal fills up, then the write buffer.
    std::vector<std::uint8_t> chunk(1000, 'z');
    bool full = false;
    for (int i = 0; i < 1000 && !full; ++i) {
        try {
            port.write(chunk);
        } catch (const SerialPortError&) {
            full = true;
        }
    }
    ASSERT_TRUE(full);
    EXPECT_GT(port.bytesWaitingToSend(), 0);
    port.purgeOutput();
    EXPECT_EQ(port.bytesWaitingToSend(), 0);
    port.close();
    EXPECT_EQ(port.write(chunk), 0);
}

TEST_F(PortTest, HangUpIsReportedToHandlersAndClients) {
    std::uint32_t errors = 0;
    port.onLineError = [&](std::uint32_t e) { errors |= e; };
    Recorder client;
    port.open();
    client.attachTo(&port);
    client.setActive(true);
    peer.hangup();
    EXPECT_TRUE(ui.runUntil([&] { return errors != 0; }, 5s));
    EXPECT_TRUE(errors & kLineErrorHangup);
    EXPECT_TRUE(client.events & eventBit(LineEvent::HangUp));
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PortTest, ErrorInAHandlerIsShownAndEventsGoOn) {
    int calls = 0;
    port.onDataReceived = [&](int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        port.read(buf);
        if (++calls == 1)
            throw SerialPortError("handler failed");
    };
    port.open();
    peer.send("1");
    EXPECT_TRUE(ui.runUntil([&] { return calls == 1; }, 5s));
    peer.send("2");
    EXPECT_TRUE(ui.runUntil([&] { return calls == 2; }, 5s));
    EXPECT_EQ(shown, std::vector<std::string>{"handler failed"});
}

TEST_F(PortTest, DestroyedPortDetachesItsClients) {
    Recorder client;
    {
        SerialPort temporary(ui);
        client.attachTo(&temporary);
        EXPECT_EQ(client.port(), &temporary);
    }
    EXPECT_EQ(client.port(), nullptr);
}

TEST_F(PortTest, UnreadBytesDoNotSpinAndNewOnesAreReported) {
    std::vector<int> counts;
    port.onDataReceived = [&](int count) { counts.push_back(count); };  // reads nothing
    port.open();
    peer.send("ab");
    EXPECT_TRUE(ui.runUntil([&] { return !counts.empty(); }, 5s));
    ui.pumpFor(100ms);
    EXPECT_EQ(counts.size(), 1u);
    peer.send("c");
    EXPECT_TRUE(ui.runUntil([&] { return counts.size() == 2; }, 5s));
    EXPECT_EQ(counts.back(), 3);
}

} // namespace
} // namespace cs::test
