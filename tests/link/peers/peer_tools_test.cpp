// The link test tools against lrzsz alone: the simulated receiver's modes, its relay and its
// fault injection, and the harness's process handling. The engine under test plays no part
// here; where an "engine" is needed, lrzsz or the test itself takes its place.
#include "peer_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>
#include <cstring>
#include <thread>
#include <string>

namespace cs::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Plays the editor's part on the engine side: opens the device, writes, keeps it open a moment
// (as a port is: the simulator notices openings by polling) and closes it.
void writeToDevice(const std::string& device, std::string_view bytes) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << device << ": " << std::strerror(errno);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    std::this_thread::sleep_for(30ms);
    ::close(fd);
}

// ---------------------------------------------------------------------------------------------
// Plain YModem with lrzsz at both ends: one simulator runs sb, a second one rb, and socat joins
// their engine sides, so every byte crosses both relays.

struct Chain {
    SimulatedReceiver sender;
    SimulatedReceiver receiver;
    std::optional<ChildProcess> bridge;

    Chain(const ReceiverOptions& sendOptions, const ReceiverOptions& receiveOptions)
        : sender(sendOptions), receiver(receiveOptions) {}

    // Joins the two engine sides; false (with the reason recorded) when a simulator failed.
    bool connect() {
        if (!sender.waitReady() || !receiver.waitReady()) {
            ADD_FAILURE() << sender.stderrText() << receiver.stderrText();
            return false;
        }
        bridge.emplace(bridgeDevices(sender.devicePath(), receiver.devicePath()));
        return true;
    }
};

ReceiverOptions sendOptions(const std::filesystem::path& file, bool oneK) {
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Send;
    o.sendFile = file;
    o.sb1k = oneK;
    o.lingerMs = 200;  // then its hang-up ends socat and the receiving side
    return o;
}

ReceiverOptions receiveOptions(const std::filesystem::path& inbox) {
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Receive;
    o.inbox = inbox;
    return o;
}

struct TransferCase {
    const char* name;
    std::size_t size;
    bool oneK;
};

class ChainedTransfer : public ::testing::TestWithParam<TransferCase> {};

TEST_P(ChainedTransfer, FileArrivesByteIdentical) {
    const TransferCase& tc = GetParam();
    TempDir dir;
    const auto file = writeRandomFile(dir / "out" / "payload.bin", tc.size, tc.size + 11);
    const auto inbox = dir / "inbox";

    Chain chain(sendOptions(file, tc.oneK), receiveOptions(inbox));
    ASSERT_TRUE(chain.connect());

    EXPECT_EQ(chain.sender.waitExit(60s), 0) << chain.sender.stderrText();
    EXPECT_EQ(chain.receiver.waitExit(30s), 0) << chain.receiver.stderrText();
    EXPECT_EQ(readFileBytes(inbox / "payload.bin"), readFileBytes(file));
    EXPECT_NE(chain.receiver.summary().find("transfers 1/1"), std::string::npos)
        << chain.receiver.summary();
}

INSTANTIATE_TEST_SUITE_P(Lrzsz, ChainedTransfer,
                         ::testing::Values(TransferCase{"empty", 0, false},
                                           TransferCase{"one_byte", 1, false},
                                           TransferCase{"blocks_1k_1025", 1025, true},
                                           TransferCase{"blocks_128_1025", 1025, false},
                                           TransferCase{"blocks_1k_70000", 70000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Command mode: the receiver answers ESC "O" "Q", "GETSETT" and "GETBASE" after probe noise.
// The test sends the command as the editor would, then a second simulator stands in for the
// editor's YModem engine.

TEST(SimulatedReceiverCommands, ServesEachCommandInOneSession) {
    TempDir dir;
    writeRandomFile(dir / "rx" / "settings.dsp", 3000, 1);
    writeRandomFile(dir / "rx" / "base.dsp", 2000, 2);
    const auto upload = writeRandomFile(dir / "pc" / "upload.dsp", 1500, 3);
    const auto receiverInbox = dir / "rx-inbox";

    ReceiverOptions options;
    options.inbox = receiverInbox;
    options.settingsFile = dir / "rx" / "settings.dsp";
    options.baseFile = dir / "rx" / "base.dsp";
    options.sb1k = true;
    options.transfers = 3;
    SimulatedReceiver receiver(options);
    ASSERT_TRUE(receiver.waitReady()) << receiver.stderrText();

    struct Step {
        const char* command;
        bool upload;  // the editor's side sends (ESC O Q) or receives
        const char* file;
    };
    const Step steps[] = {
        {"GETSETT", false, "settings.dsp"},
        {"\x1bOQ", true, "upload.dsp"},
        {"GETBASE", false, "base.dsp"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        const auto pcInbox = dir / ("pc-inbox-" + std::string(step.file));
        // Probe noise, then the command; the editor closes and reopens the port in between.
        writeToDevice(receiver.devicePath(), std::string("\x00\xff\x13noise", 8));
        writeToDevice(receiver.devicePath(), step.command);
        ReceiverOptions editorOptions =
            step.upload ? sendOptions(upload, true) : receiveOptions(pcInbox);
        editorOptions.lingerMs = 200;  // its hang-up ends socat and frees the port again
        SimulatedReceiver editor(editorOptions);
        ASSERT_TRUE(editor.waitReady()) << editor.stderrText();
        ChildProcess bridge = bridgeDevices(receiver.devicePath(), editor.devicePath());

        EXPECT_EQ(editor.waitExit(30s), 0) << editor.stderrText() << receiver.stderrText();
        EXPECT_TRUE(bridge.waitExit(10s).has_value());
        if (step.upload) {
            EXPECT_EQ(readFileBytes(receiverInbox / step.file), readFileBytes(upload));
        } else {
            EXPECT_EQ(readFileBytes(pcInbox / step.file), readFileBytes(dir / "rx" / step.file));
            // Only the file asked for.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pcInbox),
                                    std::filesystem::directory_iterator()),
                      1);
        }
    }
    EXPECT_EQ(receiver.waitExit(10s), 0) << receiver.stderrText();
    EXPECT_NE(receiver.summary().find("transfers 3/3 [GETSETT: sb exit 0, ESC O Q: rb exit 0, "
                                      "GETBASE: sb exit 0]; "),
              std::string::npos)
        << receiver.summary();
    EXPECT_NE(receiver.summary().find("ignored 24;"), std::string::npos) << receiver.summary();
}

// Sending a file, then asking for the settings, returns what was received: with the date the
// receiver stamps into its header and a planted difference, the received file itself untouched.
TEST(SimulatedReceiverCommands, ReturnsTheReceivedFileChangedAsAsked) {
    TempDir dir;
    const auto upload = writeRandomFile(dir / "pc" / "list.dsp", 1500, 4);
    const auto receiverInbox = dir / "rx-inbox";
    ReceiverOptions options;
    options.inbox = receiverInbox;
    options.sb1k = true;
    options.transfers = 2;
    options.extraArgs = {"--return-received", "--return-date", "20300102", "--return-flip", "100"};
    SimulatedReceiver receiver(options);
    ASSERT_TRUE(receiver.waitReady()) << receiver.stderrText();
    const auto pcInbox = dir / "pc-inbox";
    for (const bool sending : {true, false}) {
        writeToDevice(receiver.devicePath(), sending ? "\x1bOQ" : "GETSETT");
        ReceiverOptions editorOptions = sending ? sendOptions(upload, true) : receiveOptions(pcInbox);
        editorOptions.lingerMs = 200;
        SimulatedReceiver editor(editorOptions);
        ASSERT_TRUE(editor.waitReady()) << editor.stderrText();
        ChildProcess bridge = bridgeDevices(receiver.devicePath(), editor.devicePath());
        EXPECT_EQ(editor.waitExit(30s), 0) << editor.stderrText() << receiver.stderrText();
        EXPECT_TRUE(bridge.waitExit(10s).has_value());
    }
    EXPECT_EQ(receiver.waitExit(10s), 0) << receiver.stderrText();
    Bytes expected = readFileBytes(upload);
    std::copy_n("20300102", 8, expected.begin() + 24);
    expected[100] = static_cast<std::uint8_t>(~expected[100]);
    EXPECT_EQ(readFileBytes(pcInbox / "list.dsp"), expected);
    EXPECT_EQ(readFileBytes(receiverInbox / "list.dsp"), readFileBytes(upload));
}

// ---------------------------------------------------------------------------------------------
// Fault injection, observed through a relay to `cat` so that the damaged stream can be compared
// byte by byte.

// cat's own exit status tells nothing here: it ends with EIO when the relay hangs it up.
struct RelayRun {
    Bytes output;
    std::string summary;
    SimulatedReceiver::LineCounts toPeer;
};

RelayRun relayThroughCat(const Bytes& input, const ReceiverOptions& base) {
    TempDir dir;
    const auto outFile = dir / "cat-output.bin";
    ReceiverOptions options = base;
    options.mode = ReceiverOptions::Mode::Relay;
    options.relayCommand = "exec cat > '" + outFile.string() + "'";
    options.extraArgs.insert(options.extraArgs.end(), {"--hup-grace-ms", "200"});
    SimulatedReceiver sim(options);
    RelayRun run;
    if (!sim.waitReady()) {
        ADD_FAILURE() << sim.stderrText();
        return run;
    }
    writeToDevice(sim.devicePath(), std::string_view(reinterpret_cast<const char*>(input.data()),
                                                     input.size()));
    EXPECT_TRUE(sim.waitExit(30s).has_value()) << sim.stderrText();
    run.summary = sim.summary();
    const auto counts = sim.counts(Direction::ToPeer);
    EXPECT_TRUE(counts.has_value()) << run.summary;
    run.toPeer = counts.value_or(SimulatedReceiver::LineCounts{});
    run.output = readFileBytes(outFile);
    return run;
}

TEST(RelayFaults, SameSeedDamagesTheSameBytes) {
    const Bytes input = deterministicBytes(64 * 1024, 99);
    ReceiverOptions options;
    options.seed = 7;
    options.toPeer.flipRate = 0.002;
    options.toPeer.dropRate = 0.001;
    options.toPeer.garbageRate = 0.001;

    const RelayRun first = relayThroughCat(input, options);
    const RelayRun again = relayThroughCat(input, options);
    options.seed = 8;
    const RelayRun otherSeed = relayThroughCat(input, options);

    EXPECT_EQ(first.output, again.output);
    EXPECT_NE(first.output, input);
    EXPECT_NE(first.output, otherSeed.output);

    // Every fault kind happened, near its rate, and the length adds up.
    const auto [in, out, flipped, dropped, garbage, discarded] = first.toPeer;
    EXPECT_GT(flipped, 60u) << first.summary;
    EXPECT_LT(flipped, 200u) << first.summary;
    EXPECT_GT(dropped, 30u) << first.summary;
    EXPECT_GT(garbage, 30u) << first.summary;
    EXPECT_EQ(first.output.size(), input.size() - dropped + garbage);
    EXPECT_EQ(in, input.size());
    EXPECT_EQ(out, first.output.size());
    EXPECT_EQ(discarded, 0u);
}

TEST(RelayFaults, OnlyTheChosenDirectionIsDamaged) {
    const Bytes input = deterministicBytes(20000, 5);
    ReceiverOptions options;
    options.toEngine.flipRate = 0.5;
    options.toEngine.dropRate = 0.2;
    const RelayRun run = relayThroughCat(input, options);
    EXPECT_EQ(run.output, input) << run.summary;
}

TEST(RelayFaults, StallHoldsOrLosesTheBytes) {
    const Bytes input = deterministicBytes(30000, 6);
    {
        ReceiverOptions options;
        options.toPeer.stalls.push_back({1000, 300, false});
        const RelayRun held = relayThroughCat(input, options);
        EXPECT_EQ(held.output, input) << held.summary;
    }
    {
        // Everything after byte 1000 is sent long before the silence ends.
        ReceiverOptions options;
        options.toPeer.stalls.push_back({1000, 20000, true});
        const RelayRun lost = relayThroughCat(input, options);
        EXPECT_EQ(lost.output, Bytes(input.begin(), input.begin() + 1000)) << lost.summary;
        EXPECT_EQ(lost.toPeer.dropped, input.size() - 1000);
    }
}

TEST(RelayFaults, HangupClosesTheEngineSideAfterTheGivenBytes) {
    TempDir dir;
    const auto outFile = dir / "cat-output.bin";
    ReceiverOptions options;
    options.mode = ReceiverOptions::Mode::Relay;
    options.relayCommand = "exec cat > '" + outFile.string() + "'";
    options.toPeer.hangupAfter = 5000;
    SimulatedReceiver sim(options);
    ASSERT_TRUE(sim.waitReady()) << sim.stderrText();

    const int fd = ::open(sim.devicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const Bytes input = deterministicBytes(20000, 8);
    // The hang-up may cut this write short.
    for (std::size_t done = 0; done < input.size();) {
        const ssize_t n = ::write(fd, input.data() + done, input.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }

    // The engine's descriptor hangs up as an unplugged adapter's does.
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 10000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    EXPECT_EQ(::write(fd, "x", 1), -1);
    EXPECT_EQ(errno, EIO);
    ::close(fd);

    EXPECT_TRUE(sim.waitExit(10s).has_value()) << sim.stderrText();
    // (The device path goes away with the pseudo-terminal, but the number may be reused at once
    // by a parallel test, so it is not checked.)
    EXPECT_EQ(readFileBytes(outFile), Bytes(input.begin(), input.begin() + 5000));
    EXPECT_NE(sim.summary().find("hung up the engine side"), std::string::npos) << sim.summary();
}

// Damaged blocks in a live transfer: rb rejects them, sb repeats them, the file arrives intact.
TEST(RelayFaults, LrzszRepeatsDamagedBlocks) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "out" / "noisy.bin", 8000, 21);
    const auto inbox = dir / "inbox";
    ReceiverOptions noisy = sendOptions(file, true);
    noisy.seed = 3;
    noisy.toEngine.flipRate = 0.0003;  // sb's blocks
    Chain chain(noisy, receiveOptions(inbox));
    ASSERT_TRUE(chain.connect());

    EXPECT_EQ(chain.sender.waitExit(60s), 0) << chain.sender.stderrText();
    EXPECT_EQ(chain.receiver.waitExit(30s), 0) << chain.receiver.stderrText();
    EXPECT_EQ(readFileBytes(inbox / "noisy.bin"), readFileBytes(file));
    const auto sent = chain.sender.counts(Direction::ToEngine);
    ASSERT_TRUE(sent.has_value()) << chain.sender.summary();
    EXPECT_GT(sent->flipped, 0u);  // a damaged block reached rb, yet the file is intact
}

TEST(RelayFaults, HangupDuringATransferEndsBothSidesWithFailure) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "out" / "big.bin", 100000, 4);
    const auto inbox = dir / "inbox";
    std::filesystem::create_directories(inbox);
    ReceiverOptions options;
    options.mode = ReceiverOptions::Mode::Send;
    options.sendFile = file;
    options.sb1k = true;
    options.toEngine.hangupAfter = 20000;
    SimulatedReceiver sim(options);
    ASSERT_TRUE(sim.waitReady()) << sim.stderrText();
    ChildProcess rb = runOnDevice(sim.devicePath(), {"rb", "--ymodem", "-y", "-u"}, inbox);

    const auto rbStatus = rb.waitExit(30s);
    ASSERT_TRUE(rbStatus.has_value());
    EXPECT_NE(*rbStatus, 0);
    const auto simStatus = sim.waitExit(10s);
    ASSERT_TRUE(simStatus.has_value()) << sim.stderrText();
    EXPECT_EQ(*simStatus, 128 + SIGHUP) << sim.summary();  // sb, hung up as well
    const auto sent = sim.counts(Direction::ToEngine);
    ASSERT_TRUE(sent.has_value()) << sim.summary();
    EXPECT_EQ(sent->out, 20000u);
    EXPECT_NE(sim.summary().find("hung up the engine side"), std::string::npos) << sim.summary();
}

// ---------------------------------------------------------------------------------------------
// Ending: every way out is bounded, reports its status and leaves no process behind.

TEST(SimulatedReceiverEnd, TerminationEndsLrzszToo) {
    TempDir dir;
    ReceiverOptions options;
    options.mode = ReceiverOptions::Mode::Receive;
    options.inbox = dir / "inbox";
    options.extraArgs.push_back("--verbose");
    SimulatedReceiver sim(options);
    ASSERT_TRUE(sim.waitReady()) << sim.stderrText();
    const int fd = ::open(sim.devicePath().c_str(), O_RDWR | O_NOCTTY);  // rb starts
    ASSERT_GE(fd, 0);

    // rb's pid from the event log.
    pid_t rbPid = -1;
    for (int i = 0; i < 500 && rbPid < 0; ++i) {
        std::smatch m;
        const std::string log = sim.stderrText();
        if (std::regex_search(log, m, std::regex("started rb [^\n]*\\(pid ([0-9]+)\\)")))
            rbPid = std::stoi(m[1]);
        else
            std::this_thread::sleep_for(10ms);
    }
    ASSERT_GT(rbPid, 0) << sim.stderrText();
    ASSERT_EQ(::kill(rbPid, 0), 0);

    const ExitStatus status = sim.terminate(5s);
    ::close(fd);
    EXPECT_NE(status, 128 + SIGKILL) << sim.stderrText();  // ended by itself, not killed
    EXPECT_NE(status, 0);
    EXPECT_EQ(::kill(rbPid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_NE(sim.summary().find("terminated by signal 15"), std::string::npos) << sim.summary();
}

TEST(SimulatedReceiverEnd, StatusTellsHowItEnded) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "f.bin", 10, 1);
    struct Case {
        const char* name;
        std::vector<std::string> extra;
        bool openAndClose;  // the engine side opens once, sends nothing and goes away
        ExitStatus expected;
    };
    const Case cases[] = {
        {"nobody opens", {"--timeout-ms", "300"}, false, 124},
        {"opened without a command", {"--hup-grace-ms", "100"}, true, 3},
        {"bad option", {"--flip-rate", "2"}, false, 125},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiverOptions options;
        options.settingsFile = file;
        options.extraArgs = c.extra;
        SimulatedReceiver sim(options);
        if (c.openAndClose) {
            ASSERT_TRUE(sim.waitReady()) << sim.stderrText();
            writeToDevice(sim.devicePath(), "");
        }
        EXPECT_EQ(sim.waitExit(10s), c.expected) << sim.stderrText();
    }
}

} // namespace
} // namespace cs::test
