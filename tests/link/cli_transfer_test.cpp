// channelsettings-cli send and receive against the simulated receiver.
#include "peer_harness.h"
#include "pty_peer.h"
#include "link/port_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <gtest/gtest.h>

namespace cs::test {
namespace {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

CliResult runCli(std::vector<std::string> args, const std::filesystem::path& workDir,
                 std::chrono::milliseconds limit = 120s) {
    args.insert(args.begin(), CS_CLI_PATH);
    ChildOptions o;
    o.argv = std::move(args);
    o.stdoutFile = workDir / "cli-out.txt";
    o.stderrFile = workDir / "cli-err.txt";
    ChildProcess cli(o);
    CliResult r;
    const auto status = cli.waitExit(limit);
    r.status = status ? *status : cli.terminate();
    r.err = cli.stderrText();
    try {
        const auto bytes = readFileBytes(o.stdoutFile);
        r.out.assign(bytes.begin(), bytes.end());
    } catch (const std::exception&) {
    }
    return r;
}

TEST(CliTransfer, SendWithAndWithoutTheCommand) {
    for (const bool command : {true, false}) {
        SCOPED_TRACE(command ? "command" : "no command");
        TempDir dir;
        const auto file = writeRandomFile(dir / "base.dsp", 3000, 9);
        ReceiverOptions o;
        o.mode = command ? ReceiverOptions::Mode::Command : ReceiverOptions::Mode::Receive;
        o.inbox = dir / "inbox";
        SimulatedReceiver rx(o);
        ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
        std::vector<std::string> args{"send", "--port", rx.devicePath(), file.string()};
        if (!command)
            args.push_back("--no-command");
        const auto r = runCli(args, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(rx.waitExit(30s), 0) << rx.stderrText();
        EXPECT_EQ(readFileBytes(dir / "inbox/base.dsp"), readFileBytes(file));
        // plain progress lines when standard error is not a terminal
        EXPECT_NE(r.err.find("Sending a file ... 115200 bps\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Progress: 100% (3000 of 3000 bytes, Packet: 3)\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("End connection\n"), std::string::npos);
        EXPECT_EQ(r.err.find('\r'), std::string::npos);
    }
}

TEST(CliTransfer, ReceivePrintsThePathsWritten) {
    struct Case {
        const char* what;
        bool command;
    };
    for (const auto& c : {Case{"--all", true}, Case{"--channels", true}, Case{"--all", false}}) {
        SCOPED_TRACE(std::string(c.what) + (c.command ? "" : " --no-command"));
        TempDir dir;
        const auto settings = writeRandomFile(dir / "rx-side/settings.dsp", 5000, 1);
        const auto channels = writeRandomFile(dir / "rx-side/channels.dsp", 4000, 2);
        ReceiverOptions o;
        o.sb1k = true;
        if (c.command) {
            o.mode = ReceiverOptions::Mode::Command;
            o.settingsFile = settings;
            o.baseFile = channels;
        } else {
            o.mode = ReceiverOptions::Mode::Send;
            o.sendFile = settings;
        }
        SimulatedReceiver rx(o);
        ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
        const auto target = dir / "new folder";  // created by the command
        std::vector<std::string> args{"receive", "--port", rx.devicePath(), c.what, "--to", target.string()};
        if (!c.command)
            args.push_back("--no-command");
        const auto r = runCli(args, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
        const bool all = std::string(c.what) == "--all";
        const auto expected = target / (all ? "settings.dsp" : "channels.dsp");
        EXPECT_EQ(r.out, expected.string() + "\n");
        EXPECT_EQ(readFileBytes(expected), readFileBytes(all ? settings : channels));
    }
}

TEST(CliTransfer, FailedReceiveExitsWith4AndLeavesNoPartialFile) {
    TempDir dir;
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Send;
    o.sendFile = writeRandomFile(dir / "rx-side/settings.dsp", 50000, 3);
    o.sb1k = true;
    o.toEngine.hangupAfter = 20000;
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    const auto r = runCli({"receive", "--port", rx.devicePath(), "--all", "--to", (dir / "got").string(), "--no-command"},
                          dir.path());
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("transfer failed: exit code -2\n"), std::string::npos) << r.err;
    // said in words, not only the code
    EXPECT_NE(r.err.find("The device " + rx.devicePath() + " was disconnected.\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "got"));
}

TEST(CliTransfer, ASizeLimitFailsTheReceiveAndLeavesNoPartialFile) {
    TempDir dir;
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Send;
    o.sendFile = writeRandomFile(dir / "rx-side/settings.dsp", 50000, 3);
    o.sb1k = true;
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    // Under a 20,000-byte file-size limit the write fails (EFBIG) instead of the signal killing us.
    ChildOptions co;
    co.argv = {"prlimit", "--fsize=20000", CS_CLI_PATH, "receive", "--port", rx.devicePath(), "--all", "--to",
               (dir / "got").string(), "--no-command"};
    co.stdoutFile = dir / "out.txt";
    co.stderrFile = dir / "err.txt";
    ChildProcess cli(co);
    EXPECT_EQ(cli.waitExit(60s), 4) << cli.stderrText();
    EXPECT_NE(cli.stderrText().find("transfer failed"), std::string::npos) << cli.stderrText();
    EXPECT_TRUE(std::filesystem::is_empty(dir / "got"));
}

TEST(CliTransfer, AFolderThatCannotBeWrittenIsRefusedBeforeTheReceiverIsAsked) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run as another user";
    TempDir dir;
    PtyPeer peer;  // anything sent to it would show
    const auto folder = dir / "readonly";
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0755);  // root's folder: no one else may write into it
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    ::chmod(peer.path().c_str(), 0666);
    ChildOptions o;
    o.argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", CS_CLI_PATH, "receive", "--port",
              peer.path(), "--all", "--to", folder.string(), "--timeout", "2"};
    o.stderrFile = dir / "err.txt";
    ChildProcess cli(o);
    EXPECT_EQ(cli.waitExit(30s), 3) << cli.stderrText();
    EXPECT_NE(cli.stderrText().find(folder.string() + " is not a folder that can be written to"), std::string::npos)
        << cli.stderrText();
    EXPECT_TRUE(peer.drain(200ms).empty()) << "the receiver was never asked";
}

TEST(CliTransfer, InterruptWhileWaitingForTheReceiverIsABreak) {
    TempDir dir;
    PtyPeer peer;
    const auto file = writeRandomFile(dir / "base.dsp", 100, 4);
    ChildOptions o;
    o.argv = {CS_CLI_PATH, "send", "--port", peer.path(), file.string()};
    o.stderrFile = dir / "err.txt";
    ChildProcess cli(o);
    EXPECT_EQ(peer.read(3, 10s), (std::vector<std::uint8_t>{0x1B, 'O', 'Q'}));
    std::this_thread::sleep_for(700ms);  // reopened and waiting for "C"
    cli.signal(SIGINT);
    EXPECT_EQ(cli.waitExit(10s), 4);
    EXPECT_NE(cli.stderrText().find("transfer failed: Connection aborted by the user.\n"), std::string::npos)
        << cli.stderrText();
}

TEST(CliTransfer, TimeoutBoundsTheWaitForASilentReceiver) {
    for (const bool upload : {true, false}) {
        SCOPED_TRACE(upload ? "send" : "receive");
        TempDir dir;
        PtyPeer peer;  // a receiver that is switched off
        const auto file = writeRandomFile(dir / "base.dsp", 100, 4);
        std::vector<std::string> args = upload ? std::vector<std::string>{"send", "--port", peer.path(), file.string()}
                                               : std::vector<std::string>{"receive", "--port", peer.path(), "--all",
                                                                          "--to", (dir / "in").string()};
        args.insert(args.end(), {"--timeout", "2"});
        const auto r = runCli(args, dir.path(), 30s);
        EXPECT_EQ(r.status, 4) << r.err;
        EXPECT_NE(r.err.find("transfer failed: the receiver did not answer within 2 s\n"), std::string::npos) << r.err;
    }
    TempDir dir;
    EXPECT_EQ(runCli({"send", "--port", "/dev/null", "x", "--timeout", "soon"}, dir.path()).status, 1);
}

TEST(CliTransfer, PortHeldByAnotherProgramSaysWhichOne) {
    TempDir dir;
    PtyPeer peer;
    const auto file = writeRandomFile(dir / "base.dsp", 100, 4);
    // A terminal program holding the port: it took the lock file the way serial programs do.
    ChildOptions holderOptions;
    holderOptions.argv = {"sleep", "60"};
    ChildProcess holder(holderOptions);
    const auto lock = cs::link::lockFilePath(peer.path(), cs::link::defaultLockDir());
    {
        char text[16];
        std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(holder.pid()));
        writeFileBytes(lock, std::vector<std::uint8_t>(text, text + 11));
    }
    const auto busy = runCli({"send", "--port", peer.path(), file.string(), "--timeout", "2"}, dir.path(), 30s);
    EXPECT_EQ(busy.status, 4);
    EXPECT_NE(busy.err.find("in use by process " + std::to_string(holder.pid()) + " (sleep)"), std::string::npos)
        << busy.err;
    EXPECT_TRUE(peer.drain(200ms).empty());  // nothing was sent to the port

    // Its program gone, the lock is stale: taken over, and removed again at the end.
    holder.terminate();
    const auto stale = runCli({"send", "--port", peer.path(), file.string(), "--timeout", "2"}, dir.path(), 30s);
    EXPECT_NE(stale.err.find("did not answer within 2 s"), std::string::npos) << stale.err;
    EXPECT_FALSE(std::filesystem::exists(lock));
}

TEST(CliTransfer, PortWithoutPermissionNamesTheGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the open as another user";
    TempDir dir;
    PtyPeer peer;
    // As on a usual system: the port belongs to the group "dialout", and the user is not in it.
    ASSERT_EQ(::chown(peer.path().c_str(), 0, 20), 0);
    ASSERT_EQ(::chmod(peer.path().c_str(), 0660), 0);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    ChildOptions o;
    o.argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", CS_CLI_PATH, "receive", "--port",
              peer.path(), "--all", "--to", dir.path().string()};
    o.stderrFile = dir / "err.txt";
    ChildProcess cli(o);
    EXPECT_EQ(cli.waitExit(30s), 4);
    const std::string err = cli.stderrText();
    EXPECT_NE(err.find("(Error 13, Permission denied)"), std::string::npos) << err;
    EXPECT_NE(err.find("group \"dialout\""), std::string::npos) << err;
    EXPECT_NE(err.find("log in again"), std::string::npos) << err;
}

TEST(CliTransfer, ProgressBarOnATerminal) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "base.dsp", 20000, 5);
    ReceiverOptions ro;
    ro.mode = ReceiverOptions::Mode::Receive;
    ro.inbox = dir / "inbox";
    SimulatedReceiver rx(ro);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    PtyPeer terminal;  // the CLI's standard error
    ChildOptions o;
    o.argv = {CS_CLI_PATH, "send", "--port", rx.devicePath(), file.string(), "--no-command"};
    o.stderrFile = terminal.path();
    ChildProcess cli(o);
    std::string shown;
    for (int i = 0; i < 100 && cli.running(); ++i) {
        const auto chunk = terminal.read(65536, 100ms);
        shown.append(chunk.begin(), chunk.end());
    }
    EXPECT_EQ(cli.waitExit(30s), 0);
    const auto rest = terminal.drain(100ms);
    shown.append(rest.begin(), rest.end());
    EXPECT_NE(shown.find("\r\033[K"), std::string::npos);
    EXPECT_NE(shown.find("[##############################] 100% 20000/20000"), std::string::npos) << shown;
}

TEST(CliTransfer, UsageAndInputErrors) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"send", "x.dsp"}, 1, "usage"},
        {{"send", "--port", "/dev/null"}, 1, "usage"},
        {{"receive", "--port", "/dev/null", "--all", "--channels", "--to", dir.path().string()}, 1, "usage"},
        {{"receive", "--port", "/dev/null", "--to", dir.path().string()}, 1, "usage"},
        {{"receive", "--port", "/dev/null", "--all"}, 1, "usage"},
        {{"send", "--port", "/dev/null", (dir / "missing.dsp").string()}, 2, "cannot read"},
        // A FIFO as FILE is named, never opened in a way that waits for a writer.
        {{"send", "--port", "/dev/null", (dir / "fifo.dsp").string(), "--timeout", "1"}, 2,
         "fifo.dsp: it is a named pipe (FIFO), not a file"},
        {{"send", "--port", "/dev/null", CS_CLI_PATH, "--timeout", "0"}, 1, "from 1 to 86400"},
        {{"receive", "--port", "/dev/null", "--all", "--to", dir.path().string(), "--timeout", "0"}, 1, "from 1 to 86400"},
        {{"send", "--port", "/dev/cs-no-such-port", CS_CLI_PATH}, 4, "Specified device not found (/dev/cs-no-such-port)."},
        {{"receive", "--port", "/dev/cs-no-such-port", "--all", "--to", dir.path().string()}, 4, "Specified device not found"},
    };
    ASSERT_EQ(::mkfifo((dir / "fifo.dsp").c_str(), 0644), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const auto r = runCli(c.args, dir.path(), 20s);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace cs::test
