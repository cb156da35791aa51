// Test harness for end-to-end serial link tests.
//
// The peer of every link test is the `simulated-receiver` program (built next to this library):
// it creates a pseudo-terminal for the code under test (the "engine side"), behaves as the
// receiver on it (command mode: ESC "O" "Q", "GETSETT", "GETBASE"; or a plain YModem peer) and
// runs Debian's lrzsz (`rb`, `sb`) reading a second pseudo-terminal and writing into a pipe,
// relaying bytes between the engine side and lrzsz with a small latency (1 ms: rb flushes its
// input right after each "C" or ACK) and optional seeded fault injection, throttling, stalls and
// hang-ups. `simulated-receiver --help` lists its command line.
//
// Everything here is RAII: a SimulatedReceiver or ChildProcess that goes out of scope terminates
// and reaps its process; a TempDir removes its folder. Every wait takes a timeout.
//
// Typical use:
//     cs::test::TempDir dir;
//     cs::test::ReceiverOptions opt;
//     opt.inbox = dir.path() / "inbox";
//     cs::test::SimulatedReceiver rx(opt);
//     ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
//     ... run the engine on rx.devicePath() ...
//     auto status = rx.waitExit(std::chrono::seconds(30));
//     EXPECT_EQ(status, 0) << rx.stderrText();
//
// lrzsz against lrzsz (no engine): one simulator in Mode::Send, one in Mode::Receive, and
// bridgeDevices() joining their device paths.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::test {

using namespace std::chrono_literals;

// ---------------------------------------------------------------------------------------------
// Files and folders

// A fresh folder under $TMPDIR (or /tmp), removed with its contents on destruction.
class TempDir {
public:
    explicit TempDir(std::string_view prefix = "cs-link");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    TempDir(TempDir&& other) noexcept;  // the moved-from object owns nothing
    TempDir& operator=(TempDir&& other) noexcept;

    const std::filesystem::path& path() const { return path_; }
    // path() / name (nothing is created).
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// `size` bytes that depend only on `seed` (same seed, same bytes, on every machine).
std::vector<std::uint8_t> deterministicBytes(std::size_t size, std::uint64_t seed);

// Writes deterministicBytes(size, seed) to `file` (parent folders are created) and returns it.
std::filesystem::path writeRandomFile(const std::filesystem::path& file, std::size_t size,
                                      std::uint64_t seed);

// Whole file as bytes; throws std::runtime_error when it cannot be read.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file);

// Writes `bytes` to `file`, replacing it; throws std::runtime_error on failure.
void writeFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

// ---------------------------------------------------------------------------------------------
// Child processes

// Exit status of a child as a shell reports it: the exit code, or 128 + signal number.
using ExitStatus = int;

struct ChildOptions {
    std::vector<std::string> argv;           // argv[0] is looked up in PATH when it has no '/'
    std::filesystem::path cwd;               // empty: inherit
    // When set, the child's stdin and stdout are this terminal device, which also becomes its
    // controlling terminal in a session of its own (so a hang-up of the device ends it);
    // otherwise stdin is /dev/null and stdout goes to stdoutFile.
    std::string ttyDevice;
    bool rawTty = false;                     // put ttyDevice in raw mode (8N1, no echo) first
    std::filesystem::path stdoutFile;        // empty: /dev/null (ignored when ttyDevice is set)
    std::filesystem::path stderrFile;        // empty: a file in a private temp folder
    std::vector<std::string> env;            // extra "NAME=value" entries
    // When >= 0, the child gets at this descriptor the read end of a pipe whose write end only
    // this process holds: it sees POLLHUP there when the test process dies.
    int ownerPipeFd = -1;
};

// One child process, started by the constructor and terminated (SIGTERM, then SIGKILL after a
// grace period) and reaped by the destructor if still running. Throws std::runtime_error when
// the process cannot be started (a missing executable shows as exit status 127 instead).
class ChildProcess {
public:
    explicit ChildProcess(ChildOptions options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&&) noexcept;
    ChildProcess& operator=(ChildProcess&&) noexcept;

    pid_t pid() const { return pid_; }
    bool running();
    // Exit status once the child has ended within `timeout`, otherwise nullopt (still running).
    std::optional<ExitStatus> waitExit(std::chrono::milliseconds timeout);
    // SIGTERM, wait up to `grace`, then SIGKILL; returns the exit status.
    ExitStatus terminate(std::chrono::milliseconds grace = 3s);
    // Sends a signal to the child (no-op once it has been reaped).
    void signal(int signo);
    // Everything the child wrote to stderr so far.
    std::string stderrText() const;
    const std::filesystem::path& stderrFile() const { return stderrFile_; }

private:
    void reset() noexcept;

    pid_t pid_ = -1;
    std::optional<ExitStatus> status_;
    std::filesystem::path stderrFile_;
    std::optional<TempDir> ownDir_;
    int ownerPipe_ = -1;  // write end of the owner pipe (ChildOptions::ownerPipeFd)
};

// Runs lrzsz (or any command) with stdin/stdout on `device`, in `cwd`. For example
// runOnDevice(rx.devicePath(), {"sb", "--ymodem", "-k", file}).
// Beware: `rb` flushes its terminal right after its last ACK, and on a pseudo-terminal that can
// discard the ACK before the other side has read it. To put `rb` on the engine side, chain a
// second SimulatedReceiver (Mode::Receive) through bridgeDevices() instead.
ChildProcess runOnDevice(const std::string& device, std::vector<std::string> argv,
                         const std::filesystem::path& cwd = {});

// Connects two terminal devices byte for byte (socat, both ends raw), e.g. the engine sides of
// two simulated receivers, one in Mode::Send and one in Mode::Receive. It ends when either device
// hangs up.
ChildProcess bridgeDevices(const std::string& deviceA, const std::string& deviceB);

// ---------------------------------------------------------------------------------------------
// The simulated receiver

enum class Direction {
    ToPeer,    // engine side -> lrzsz (what the editor sends to the receiver)
    ToEngine,  // lrzsz -> engine side (what the receiver answers)
};

// Faults injected by the relay into one direction. Rates are per relayed byte; which bytes are
// hit depends only on the seed, the direction and the byte's index in that direction, so the same
// byte stream with the same seed is always damaged the same way.
struct LinkFaults {
    double flipRate = 0.0;     // flip one bit of the byte
    double dropRate = 0.0;     // lose the byte
    double garbageRate = 0.0;  // insert one random byte after it
    struct Stall {
        std::uint64_t atByte = 0;  // after this many bytes were relayed in this direction
        int durationMs = 0;        // the line goes silent for this long
        bool drop = false;         // false: bytes are held and delivered afterwards; true: lost
    };
    std::vector<Stall> stalls;
    // Single damaged bytes at fixed indexes of this direction (which bit flips and which byte is
    // inserted follow from the seed).
    struct Fault {
        enum class Kind { Flip, Drop, Insert };
        std::uint64_t atByte = 0;
        Kind kind = Kind::Flip;
    };
    std::vector<Fault> faults;
    // Hang up the engine side (close its pseudo-terminal, the engine sees POLLHUP / EIO and the
    // device path disappears) once this many bytes were relayed in this direction; lrzsz is then
    // hung up too (SIGHUP, exit status 129), a relay command after it took what came before.
    std::optional<std::uint64_t> hangupAfter;
    // Bytes per second in this direction, 0 = unlimited. 11520 is a 115200-baud 8N1 line.
    std::uint64_t throttleBytesPerSec = 0;
};

struct ReceiverOptions {
    enum class Mode {
        Command,  // wait for a command: ESC "O" "Q" runs rb into `inbox`; "GETSETT" runs sb on
                  // `settingsFile`, "GETBASE" sb on `baseFile`. Other bytes are ignored.
        Receive,  // no command: rb into `inbox` as soon as the engine side is opened
        Send,     // no command: sb on `sendFile` as soon as the engine side is opened
        Relay,    // no command: `relayCommand` (run by /bin/sh) as soon as the engine side opens;
                  // its stdin is the second pseudo-terminal (hung up at the end: it reads EIO),
                  // its stdout goes back to the engine side
    };
    Mode mode = Mode::Command;

    std::filesystem::path inbox;         // rb's working folder (created when missing)
    std::filesystem::path settingsFile;  // sent after "GETSETT"
    std::filesystem::path baseFile;      // sent after "GETBASE"
    std::filesystem::path sendFile;      // sent in Mode::Send
    bool sb1k = false;                   // sb with -k (1024-byte blocks)
    std::string relayCommand;            // e.g. "sb --ymodem -k /tmp/x/file.dsp"

    // Transfers to serve (commands in Mode::Command, runs of the peer otherwise) before ending.
    int transfers = 1;

    std::uint64_t seed = 1;
    LinkFaults toPeer;
    LinkFaults toEngine;
    int latencyUs = 1000;  // relay delay per chunk in each direction
    // While rb waits for the first block, the receiver repeats its "C" this often (0 = only what
    // rb itself sends, which repeats after 10 s).
    int cRepeatMs = 1000;
    // The simulator gives up (terminates lrzsz, exit status 124) after this long.
    int timeoutMs = 120000;
    // lrzsz is ended when the engine side stays closed this long (the editor went away); the
    // editor closes and reopens the port around a command, which takes far less.
    int hupGraceMs = 3000;
    // After the last transfer the simulator ends when the engine side closes, or after this.
    int lingerMs = 3000;

    std::vector<std::string> extraArgs;  // appended to the command line as they are
};

// The command line of simulated-receiver for these options (without the program itself and
// without --ready-file / --watch-fd, which the harness adds).
std::vector<std::string> receiverArguments(const ReceiverOptions& options);

// Path of the simulated-receiver executable ($CS_SIMULATED_RECEIVER overrides the built one).
std::filesystem::path receiverExecutable();

// A running simulated-receiver. It also ends by itself when the test process dies (it watches a
// pipe held by this process), so no simulator outlives a crashed test.
class SimulatedReceiver {
public:
    explicit SimulatedReceiver(const ReceiverOptions& options);
    ~SimulatedReceiver() = default;  // ChildProcess terminates and reaps
    SimulatedReceiver(const SimulatedReceiver&) = delete;
    SimulatedReceiver& operator=(const SimulatedReceiver&) = delete;

    // Waits until the engine-side device exists; false when the simulator ended first or the
    // timeout passed (stderrText() tells why).
    bool waitReady(std::chrono::milliseconds timeout = 10s);
    // The engine-side device path ("/dev/pts/N"); empty before waitReady() succeeded.
    const std::string& devicePath() const { return device_; }

    // lrzsz's exit status, the first non-zero one of several transfers (the simulator's own:
    // 124 time-out, 125 bad usage or set-up failure, 3 ended without any transfer, 128 + signal
    // when it was terminated before any transfer ended).
    std::optional<ExitStatus> waitExit(std::chrono::milliseconds timeout) {
        return process_.waitExit(timeout);
    }
    ExitStatus terminate(std::chrono::milliseconds grace = 3s) { return process_.terminate(grace); }
    bool running() { return process_.running(); }
    pid_t pid() const { return process_.pid(); }

    // Everything the simulator and lrzsz wrote to stderr.
    std::string stderrText() const { return process_.stderrText(); }
    // The simulator's closing line ("simulated-receiver: exit N; <why it ended>; transfers 1/1
    // [GETSETT: sb exit 0]; to-peer in .. out .. flipped .. dropped .. garbage .. discarded ..;
    // to-engine ...; ignored N; engine openings N"), empty while it runs.
    std::string summary() const;

    // Byte counts of one direction from summary(); nullopt while it runs.
    struct LineCounts {
        std::uint64_t in = 0;         // taken from the sender
        std::uint64_t out = 0;        // delivered
        std::uint64_t flipped = 0;
        std::uint64_t dropped = 0;    // by the drop rate or a dropping stall
        std::uint64_t garbage = 0;    // random bytes inserted
        std::uint64_t discarded = 0;  // undeliverable: the other side was closed or gone
    };
    std::optional<LineCounts> counts(Direction direction) const;

private:
    TempDir dir_;
    std::filesystem::path readyFile_;
    ChildProcess process_;
    std::string device_;
};

}  // namespace cs::test
