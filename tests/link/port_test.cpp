// The serial port layer on real pseudo-terminals.
#include "link/comm.h"
#include "link/comm_posix.h"
#include "pty_peer.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <numeric>

namespace cs::test {
namespace {

using namespace cs::link;

class PortTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.SetDeviceName(peer.path());
        port.SetBaudrate(TVaBaudrate::br115200);
        port.SetClosePauseMs(0);
        ui.errorSink = [this](std::string_view m) { shown.emplace_back(m); };
    }
    std::string openError(TVaComm& p) {
        try {
            p.Open();
        } catch (const EVaCommError& e) {
            return e.what();
        }
        return "";
    }

    LoopDispatcher ui;
    PtyPeer peer;
    TVaComm port{ui};
    std::vector<std::string> shown;
};

// A client that records what reaches it.
class Recorder : public TVaCommComponent {
public:
    std::vector<std::uint8_t> data;
    TVaEvents events = 0;

protected:
    void DataArrived(std::span<const std::uint8_t> bytes) override { data.insert(data.end(), bytes.begin(), bytes.end()); }
    void LineEvent(TVaEvents e) override { events |= e; }
};

TEST(PortDefaults, NewPortHasTheDocumentedSettings) {
    LoopDispatcher ui;
    TVaComm p(ui);
    EXPECT_EQ(p.DeviceName(), "COM%d");
    EXPECT_EQ(p.PortNum(), 0);
    EXPECT_EQ(p.EffectiveDeviceName(), "COM0");
    EXPECT_EQ(p.Baudrate(), TVaBaudrate::br1200);
    EXPECT_EQ(p.Parity(), TVaParity::paNone);
    EXPECT_EQ(p.Databits(), TVaDatabits::db8);
    EXPECT_EQ(p.Stopbits(), TVaStopbits::sb1);
    EXPECT_EQ(p.FlowControl().ControlDtr, TVaControlDtr::dtrDisabled);
    EXPECT_EQ(p.FlowControl().ControlRts, TVaControlRts::rtsDisabled);
    EXPECT_EQ(p.Buffers().ReadSize, 4096);
    EXPECT_EQ(p.Buffers().WriteSize, 2048);
    EXPECT_EQ(p.Buffers().WriteTimeout, 1000);
    EXPECT_EQ(p.EventChars().XonChar, 17);
    EXPECT_EQ(p.EventChars().XoffChar, 19);
    EXPECT_EQ(p.MonitorEvents(), EventBit(ceError) | EventBit(ceRxChar) | EventBit(ceTxEmpty));
    EXPECT_FALSE(p.Active());
    p.SetPortNum(3);
    EXPECT_EQ(p.EffectiveDeviceName(), "COM3");
    p.SetDeviceName("/dev/ttyUSB0");
    EXPECT_EQ(p.EffectiveDeviceName(), "/dev/ttyUSB0");
}

TEST(PortDefaults, RateSettersFollowTheUserRateRule) {
    LoopDispatcher ui;
    TVaComm p(ui);
    p.SetBaudrate(TVaBaudrate::brUser);
    p.SetUserBaudrate(2304000);
    EXPECT_EQ(p.Baudrate(), TVaBaudrate::brUser);
    EXPECT_EQ(p.EffectiveBaudrate(), 2304000);
    p.SetBaudrate(TVaBaudrate::br115200);
    EXPECT_EQ(p.UserBaudrate(), 0);
    EXPECT_EQ(p.EffectiveBaudrate(), 115200);
    p.SetUserBaudrate(14400);  // selects brUser by itself
    EXPECT_EQ(p.Baudrate(), TVaBaudrate::brUser);
}

TEST_F(PortTest, OpenFailuresLeaveThePortClosed) {
    TVaComm missing(ui);
    missing.SetDeviceName("/dev/cs-no-such-port");
    EXPECT_EQ(openError(missing), "Specified device not found (/dev/cs-no-such-port).");
    EXPECT_FALSE(missing.Active());

    TVaComm notTty(ui);
    notTty.SetDeviceName("/dev/null");
    EXPECT_EQ(openError(notTty).rfind("Can't open specified device /dev/null (Error ", 0), 0u);
    EXPECT_FALSE(notTty.Active());

    port.Open();
    TVaComm second(ui);
    second.SetDeviceName(peer.path());
    EXPECT_EQ(openError(second), "Can't open specified device " + peer.path() + " (Error 16, Device or resource busy)");
    EXPECT_EQ(openError(port), "Can't perform this operation while port is open");
    EXPECT_THROW(port.SetDeviceName("/dev/other"), EVaCommError);
    port.Close();
    EXPECT_EQ(openError(second), "");  // free again after Close
}

TEST_F(PortTest, OpenAndCloseFireOnceAndCloseOnAClosedPortDoesNothing) {
    int opened = 0, closed = 0;
    port.OnOpen = [&] { ++opened; };
    port.OnClose = [&] { ++closed; };
    port.Close();
    EXPECT_EQ(closed, 0);
    port.Open();
    port.Close();
    port.Close();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
}

TEST_F(PortTest, LineIsRawEightBitsWithoutFlowControl) {
    port.Open();
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
    port.WriteBuf(all);
    EXPECT_EQ(peer.read(256), all);
    std::vector<std::uint8_t> got;
    port.OnRxChar = [&](int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        buf.resize(static_cast<std::size_t>(port.ReadBuf(buf)));
        got.insert(got.end(), buf.begin(), buf.end());
    };
    peer.send(all);
    EXPECT_TRUE(ui.runUntil([&] { return got.size() >= 256; }, 5s));
    EXPECT_EQ(got, all);
}

TEST_F(PortTest, EveryListedRateAndFreeRatesAreAccepted) {
    const TVaBaudrate rates[] = {TVaBaudrate::br110, TVaBaudrate::br300, TVaBaudrate::br600, TVaBaudrate::br1200,
                                 TVaBaudrate::br2400, TVaBaudrate::br4800, TVaBaudrate::br9600, TVaBaudrate::br14400,
                                 TVaBaudrate::br19200, TVaBaudrate::br38400, TVaBaudrate::br56000, TVaBaudrate::br57600,
                                 TVaBaudrate::br115200, TVaBaudrate::br128000, TVaBaudrate::br256000};
    port.Open();
    for (TVaBaudrate r : rates) {
        port.SetBaudrate(r);  // applied at once on an open port
        unsigned actual = 0;
        ASSERT_EQ(posix::readRateBits(peer.slaveFd(), actual), 0);
        EXPECT_EQ(static_cast<int>(actual), BaudrateValue(r));
    }
    for (int user : {2304000, 230400, 31250}) {
        port.SetUserBaudrate(user);
        unsigned actual = 0;
        ASSERT_EQ(posix::readRateBits(peer.slaveFd(), actual), 0);
        EXPECT_EQ(static_cast<int>(actual), user);
    }
}

TEST_F(PortTest, UnsupportedLineSettingsAreRefusedAtOpen) {
    port.SetDatabits(TVaDatabits::db4);
    const std::string error = openError(port);
    EXPECT_EQ(error.rfind("Error writing dcb (22), ", 0), 0u) << error;
    EXPECT_FALSE(port.Active());
}

TEST_F(PortTest, AttachedClientsTakeTheBytesInsteadOfOnRxChar) {
    int rxEvents = 0;
    port.OnRxChar = [&](int) { ++rxEvents; };
    Recorder active, inactive;
    port.Open();
    inactive.SetComm(&port);
    peer.send("dropped");
    EXPECT_TRUE(ui.runUntil([&] { return port.InQueCount() == 0; }, 5s));
    ui.pumpFor(50ms);
    EXPECT_TRUE(inactive.data.empty());
    active.SetComm(&port);
    active.SetActive(true);
    peer.send("kept");
    EXPECT_TRUE(ui.runUntil([&] { return active.data.size() >= 4; }, 5s));
    EXPECT_EQ(std::string(active.data.begin(), active.data.end()), "kept");
    EXPECT_TRUE(inactive.data.empty());
    EXPECT_EQ(rxEvents, 0);
    active.SetComm(nullptr);
    inactive.SetComm(nullptr);
    peer.send("x");
    EXPECT_TRUE(ui.runUntil([&] { return rxEvents > 0; }, 5s));
}

TEST_F(PortTest, OversizedWriteFailsWhileTwoFittingWritesPass) {
    port.Open();
    std::vector<std::uint8_t> big(2049, 'b');
    try {
        port.WriteBuf(big);
        ADD_FAILURE() << "no error";
    } catch (const EVaCommError& e) {
        EXPECT_STREQ(e.what(), "Output buffer is full. Please check comm status.");
    }
    std::vector<std::uint8_t> half(1500, 'h');
    EXPECT_EQ(port.WriteBuf(half), 1500);
    EXPECT_EQ(port.WriteBuf(half), 1500);
    EXPECT_EQ(peer.read(3000).size(), 3000u);
}

TEST_F(PortTest, OutputThatCannotLeaveFillsTheBufferAndPurgeEmptiesIt) {
    TVaBuffers b;
    b.WriteTimeout = 100;
    port.SetBuffers(b);
    port.Open();
    // Nobody reads the other side: the pseudo-terminal fills up, then the write buffer.
    std::vector<std::uint8_t> chunk(1000, 'z');
    bool full = false;
    for (int i = 0; i < 1000 && !full; ++i) {
        try {
            port.WriteBuf(chunk);
        } catch (const EVaCommError&) {
            full = true;
        }
    }
    ASSERT_TRUE(full);
    EXPECT_GT(port.WriteBufUsed(), 0);
    port.PurgeWrite();
    EXPECT_EQ(port.WriteBufUsed(), 0);
    port.Close();
    EXPECT_EQ(port.WriteBuf(chunk), 0);
}

TEST_F(PortTest, HangUpIsReportedToHandlersAndClients) {
    std::uint32_t errors = 0;
    port.OnError = [&](std::uint32_t e) { errors |= e; };
    Recorder client;
    port.Open();
    client.SetComm(&port);
    client.SetActive(true);
    peer.hangup();
    EXPECT_TRUE(ui.runUntil([&] { return errors != 0; }, 5s));
    EXPECT_TRUE(errors & kLineErrorHangup);
    EXPECT_TRUE(client.events & EventBit(ceHangup));
    port.Close();
    EXPECT_FALSE(port.Active());
}

TEST_F(PortTest, ErrorInAHandlerIsShownAndEventsGoOn) {
    int calls = 0;
    port.OnRxChar = [&](int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        port.ReadBuf(buf);
        if (++calls == 1)
            throw EVaCommError("handler failed");
    };
    port.Open();
    peer.send("1");
    EXPECT_TRUE(ui.runUntil([&] { return calls == 1; }, 5s));
    peer.send("2");
    EXPECT_TRUE(ui.runUntil([&] { return calls == 2; }, 5s));
    EXPECT_EQ(shown, std::vector<std::string>{"handler failed"});
}

TEST_F(PortTest, DestroyedPortDetachesItsClients) {
    Recorder client;
    {
        TVaComm temporary(ui);
        client.SetComm(&temporary);
        EXPECT_EQ(client.Comm(), &temporary);
    }
    EXPECT_EQ(client.Comm(), nullptr);
}

TEST_F(PortTest, UnreadBytesDoNotSpinAndNewOnesAreReported) {
    std::vector<int> counts;
    port.OnRxChar = [&](int count) { counts.push_back(count); };  // reads nothing
    port.Open();
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
