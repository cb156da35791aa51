// simulated-receiver: the receiver at the other end of a serial cable, for link tests.
// See receiver_options.cpp (kSimulatorUsage) for the command line.
//
// Two pseudo-terminals: the engine side, whose slave device the program under test opens like a
// serial port, and the peer side, lrzsz's stdin. lrzsz's stdout is a pipe: lrzsz flushes its
// terminal (tcflush) right after its last ACK, and on a pseudo-terminal that discards output the
// other side has not yet taken, which a real line never does. Bytes between the sides go through
// a RelayLine per direction (latency, throttle, faults). The engine side's slave is not held open
// here, so its opening and closing show on the master as POLLHUP clearing and appearing; that is
// how the simulator follows the editor closing and reopening the port around a command.
#include "peer_process.h"
#include "receiver_options.h"
#include "relay_line.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace cs::test {
namespace {

constexpr int kExitNoTransfer = 3;
constexpr int kExitTimeout = 124;
constexpr int kExitSetup = 125;
// Stop reading a side while this many bytes wait for the other one: the pseudo-terminal's own
// buffer then pushes back on the writer, as a serial driver's queue does.
constexpr std::size_t kQueueCap = 4096;
// After a peer exited, its output ends with EOF on the pipe, unless some process it left behind
// still holds the pipe: then this long without output ends it.
constexpr auto kPeerSettle = std::chrono::milliseconds(200);
// A relay command being stopped gets its input until none was left unread for this long (data
// reaches the slave's input queue asynchronously, so one empty look is not enough).
constexpr auto kDrainQuiet = std::chrono::milliseconds(50);
// Signals to a stopping peer: SIGTERM, then SIGKILL after this.
constexpr auto kKillGrace = std::chrono::milliseconds(1000);
// While the engine side is closed its master reports POLLHUP at once, so it is re-checked
// with this period instead of being polled.
constexpr auto kClosedRecheck = std::chrono::milliseconds(2);

int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int signo) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

class Simulator {
public:
    explicit Simulator(SimulatorConfig config)
        : config_(std::move(config)),
          toPeer_(config_.toPeer, config_.seed, 1),
          toEngine_(config_.toEngine, config_.seed, 2),
          start_(Clock::now()) {}

    void setUp();
    int run();

private:
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void checkEngineOpen(Clock::time_point now);
    void readEngine(Clock::time_point now);
    void readPeer(Clock::time_point now);
    void deliver(RelayLine& line, int fd, bool open, Clock::time_point now, bool& blocked);
    void feedCommand(std::string_view bytes, Clock::time_point now);
    void startPeer(PeerKind kind, std::vector<std::string> argv, const std::filesystem::path& cwd,
                   const std::string& label, Clock::time_point now);
    void startSb(const std::filesystem::path& file, Clock::time_point now);
    void noteReceivedFile();
    std::filesystem::path returnCopy();
    void maybeStartWithoutCommand(Clock::time_point now);
    void stopPeer(const char* reason, Clock::time_point now, bool drain = false);
    void hangUpPeer(Clock::time_point now);
    void advanceStop(Clock::time_point now);
    bool peerTakesInput() const {
        return peer_ && !peer_->exited &&
               (peer_->phase == StopPhase::Running || peer_->phase == StopPhase::Draining);
    }
    void reapPeer(Clock::time_point now);
    void finishPeer(Clock::time_point now);
    bool repeatingC() const;
    void repeatC(Clock::time_point now);
    void hangUpEngine(Clock::time_point now);
    void handleSignals(Clock::time_point now);
    bool finished(Clock::time_point now);
    void writeReadyFile();
    int result() const;
    void summary(int status) const;

    SimulatorConfig config_;
    RelayLine toPeer_;
    RelayLine toEngine_;
    Clock::time_point start_;

    UniqueFd engine_;
    std::string enginePath_;
    bool engineOpen_ = false;
    bool engineEverOpen_ = false;
    bool engineHungUp_ = false;
    int engineOpenings_ = 0;
    Clock::time_point engineClosedAt_{};

    std::optional<Peer> peer_;
    // The file the last successful rb run wrote (--return-received), and when that run began.
    std::filesystem::path lastReceived_;
    timespec rbStartedAt_{};
    std::string commandTail_;
    std::uint64_t ignored_ = 0;
    int transfersStarted_ = 0;
    int transfersDone_ = 0;
    std::optional<int> peerStatus_;  // first non-zero status, else 0
    std::string transfersText_;
    std::optional<Clock::time_point> allDoneAt_;
    std::optional<int> terminatedBy_;
    bool timedOut_ = false;
    std::string endReason_;
};

void Simulator::log(const char* format, ...) {
    if (!config_.verbose)
        return;
    const double ms =
        std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    std::fprintf(stderr, "simulated-receiver[%.1f ms]: ", ms);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

void Simulator::setUp() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) < 0)
        throwErrno("pipe2");
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signo : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        ::sigaction(signo, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    if (!config_.inbox.empty())
        std::filesystem::create_directories(config_.inbox);

    int master = -1;
    int slave = -1;
    std::array<char, 256> name{};
    if (::openpty(&master, &slave, name.data(), nullptr, nullptr) < 0)
        throwErrno("openpty");
    engine_ = UniqueFd(master);
    UniqueFd slaveFd(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    // Raw from the start, so that nothing is echoed or translated even before (or without) the
    // engine setting its own mode; the mode stays with the device across reopening.
    makeRaw(slave);
    setNonBlocking(master);
    enginePath_ = name.data();
    slaveFd.reset();
    writeReadyFile();
    log("engine side %s ready", enginePath_.c_str());
}

void Simulator::writeReadyFile() {
    const std::filesystem::path tmp = config_.readyFile.string() + ".tmp";
    {
        std::FILE* f = std::fopen(tmp.c_str(), "w");
        if (!f)
            throwErrno("cannot write " + tmp.string());
        std::fprintf(f, "%s\n", enginePath_.c_str());
        if (std::fclose(f) != 0)
            throwErrno("cannot write " + tmp.string());
    }
    std::filesystem::rename(tmp, config_.readyFile);
}

void Simulator::checkEngineOpen(Clock::time_point now) {
    if (engineOpen_ || engineHungUp_)
        return;
    pollfd p{engine_.get(), POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return;
    // Still closed, unless something was written in between: then read it, and the read's EIO
    // tells that it closed again.
    if ((p.revents & POLLHUP) && !(p.revents & POLLIN))
        return;
    engineOpen_ = true;
    engineEverOpen_ = true;
    ++engineOpenings_;
    log("engine side opened");
    maybeStartWithoutCommand(now);
}

void Simulator::readEngine(Clock::time_point now) {
    std::array<std::uint8_t, 4096> buf{};
    while (engineOpen_ && (!peer_ || toPeer_.queued() < kQueueCap)) {
        const ssize_t n = ::read(engine_.get(), buf.data(), buf.size());
        if (n > 0) {
            const std::span<const std::uint8_t> bytes(buf.data(), static_cast<std::size_t>(n));
            if (peer_ && !peer_->exited && peer_->phase == StopPhase::Running) {
                toPeer_.push(bytes, now);
            } else {
                feedCommand(std::string_view(reinterpret_cast<const char*>(buf.data()),
                                             static_cast<std::size_t>(n)),
                            now);
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        // EIO: the last opener of the slave closed it.
        engineOpen_ = false;
        engineClosedAt_ = now;
        log("engine side closed");
        break;
    }
}

void Simulator::feedCommand(std::string_view bytes, Clock::time_point now) {
    for (char c : bytes) {
        if (config_.mode != ReceiverMode::Command || transfersStarted_ >= config_.transfers ||
            peer_) {
            ++ignored_;
            continue;
        }
        commandTail_ += c;
        if (commandTail_.size() > 7)
            commandTail_.erase(0, commandTail_.size() - 7);
        auto endsWith = [this](std::string_view s) {
            return commandTail_.size() >= s.size() &&
                   std::string_view(commandTail_).substr(commandTail_.size() - s.size()) == s;
        };
        std::optional<std::string> command;
        if (endsWith("\x1bOQ") && !config_.inbox.empty()) {
            command = "ESC O Q";
            ::clock_gettime(CLOCK_REALTIME_COARSE, &rbStartedAt_);  // the clock of file times
            startPeer(PeerKind::Rb, {"rb", "--ymodem", "-y", "-u"}, config_.inbox, "rb", now);
        } else if (endsWith("GETSETT") && config_.returnReceived && !lastReceived_.empty()) {
            command = "GETSETT";
            startSb(returnCopy(), now);
        } else if (endsWith("GETSETT") && !config_.settingsFile.empty()) {
            command = "GETSETT";
            startSb(config_.settingsFile, now);
        } else if (endsWith("GETBASE") && !config_.baseFile.empty()) {
            command = "GETBASE";
            startSb(config_.baseFile, now);
        }
        if (command) {
            // The command's earlier bytes were counted as ignored while they came in.
            ignored_ -= std::min<std::uint64_t>(ignored_, command == "ESC O Q" ? 2 : 6);
            log("command %s", command->c_str());
            commandTail_.clear();
            transfersText_ += (transfersText_.empty() ? "" : ", ") + *command + ": ";
        } else {
            ++ignored_;
        }
    }
}

void Simulator::maybeStartWithoutCommand(Clock::time_point now) {
    if (config_.mode == ReceiverMode::Command || peer_ || !engineOpen_ ||
        transfersStarted_ >= config_.transfers)
        return;
    switch (config_.mode) {
    case ReceiverMode::Receive:
        ::clock_gettime(CLOCK_REALTIME_COARSE, &rbStartedAt_);  // the clock of file times
        startPeer(PeerKind::Rb, {"rb", "--ymodem", "-y", "-u"}, config_.inbox, "rb", now);
        break;
    case ReceiverMode::Send:
        startSb(config_.sendFile, now);
        break;
    case ReceiverMode::Relay:
        startPeer(PeerKind::Relay, {"/bin/sh", "-c", config_.relayCommand}, {}, "relay", now);
        break;
    case ReceiverMode::Command:
        break;
    }
}

void Simulator::noteReceivedFile() {
    // rb may give a file the modification time the sender announced, so the change time (which
    // nothing can set back) tells which file this run wrote last.
    std::filesystem::path newest;
    timespec newestAt = rbStartedAt_;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(config_.inbox, ec)) {
        struct stat st {};
        if (!entry.is_regular_file(ec) || ::stat(entry.path().c_str(), &st) != 0)
            continue;
        const timespec at = st.st_ctim;
        if (at.tv_sec > newestAt.tv_sec || (at.tv_sec == newestAt.tv_sec && at.tv_nsec >= newestAt.tv_nsec)) {
            newest = entry.path();
            newestAt = at;
        }
    }
    if (!newest.empty())
        lastReceived_ = newest;
    log("received file to return: %s", lastReceived_.c_str());
}

std::filesystem::path Simulator::returnCopy() {
    // A copy under its own name in a folder of its own, so that the engine receives the name
    // that was sent and the received file itself stays as it arrived.
    const std::filesystem::path folder = config_.inbox / ".returned";
    std::filesystem::create_directories(folder);
    std::ifstream in(lastReceived_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!config_.returnDate.empty() && bytes.size() >= 64)
        std::copy(config_.returnDate.begin(), config_.returnDate.end(), bytes.begin() + 24);
    for (std::uint64_t offset : config_.returnFlips)
        if (offset < bytes.size())
            bytes[offset] = static_cast<char>(~bytes[offset]);
    const std::filesystem::path copy = folder / lastReceived_.filename();
    std::ofstream out(copy, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throwErrno("cannot write " + copy.string());
    log("returning %s as %s", lastReceived_.c_str(), copy.c_str());
    return copy;
}

void Simulator::startSb(const std::filesystem::path& file, Clock::time_point now) {
    std::vector<std::string> argv{"sb", "--ymodem"};
    if (config_.sb1k)
        argv.push_back("-k");
    argv.push_back(std::filesystem::absolute(file).string());
    startPeer(PeerKind::Sb, argv, file.parent_path(), "sb", now);
}

void Simulator::startPeer(PeerKind kind, std::vector<std::string> argv,
                          const std::filesystem::path& cwd, const std::string& label,
                          Clock::time_point now) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) < 0)
        throwErrno("openpty");
    int out[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) < 0) {
        ::close(master);
        ::close(slave);
        throwErrno("pipe2");
    }
    UniqueFd outWrite(out[1]);
    Peer peer;
    peer.output = UniqueFd(out[0]);
    setNonBlocking(out[0]);
    peer.kind = kind;
    peer.label = label;
    peer.master = UniqueFd(master);
    peer.slave = UniqueFd(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    makeRaw(slave);
    setNonBlocking(master);

    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    const std::string dir = cwd.empty() ? std::string() : cwd.string();
    // lrzsz gets the pseudo-terminal as its controlling terminal, so it is hung up (SIGHUP) if
    // this process dies. A relay command does not: it must see the end of input as EOF and
    // finish writing rather than be killed by the hang-up.
    const bool controlling = kind != PeerKind::Relay;

    const pid_t pid = ::fork();
    if (pid < 0)
        throwErrno("fork");
    if (pid == 0) {
        ::setsid();
        if (controlling)
            ::ioctl(slave, TIOCSCTTY, 0);
        ::dup2(slave, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::close_range(3, ~0u, 0);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        for (int signo : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE})
            ::sigaction(signo, &dfl, nullptr);
        if (!dir.empty() && ::chdir(dir.c_str()) < 0)
            ::_exit(126);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    outWrite.reset();
    peer.pid = pid;
    peer.lastOutput = now;
    peer.engineBytesAtStart = toPeer_.stats().in;
    peer_ = std::move(peer);
    ++transfersStarted_;
    if (config_.mode != ReceiverMode::Command)
        transfersText_ += (transfersText_.empty() ? "" : ", ") + std::string("no command: ");
    std::string line;
    for (const std::string& a : argv)
        line += (line.empty() ? "" : " ") + a;
    log("started %s (pid %d)", line.c_str(), static_cast<int>(pid));
}

void Simulator::readPeer(Clock::time_point now) {
    if (!peer_ || peer_->outputEnded)
        return;
    std::array<std::uint8_t, 4096> buf{};
    while (toEngine_.queued() < kQueueCap) {
        const ssize_t n = ::read(peer_->output.get(), buf.data(), buf.size());
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            peer_->outputEnded = true;
            break;
        }
        if (n < 0)
            break;
        const std::span<const std::uint8_t> bytes(buf.data(), static_cast<std::size_t>(n));
        peer_->lastOutput = now;
        if (peer_->kind == PeerKind::Rb && !peer_->sawC) {
            for (std::uint8_t b : bytes) {
                if (b == 'C') {
                    peer_->sawC = true;
                    peer_->lastC = now;
                }
            }
        }
        if (engineHungUp_)
            continue;
        toEngine_.push(bytes, now);
    }
}

bool Simulator::repeatingC() const {
    // Until the engine's first byte; from there on rb speaks for itself.
    return peer_ && peer_->kind == PeerKind::Rb && !peer_->exited &&
           peer_->phase == StopPhase::Running && peer_->sawC && config_.cRepeat.count() > 0 &&
           engineOpen_ && !engineHungUp_ && toPeer_.stats().in == peer_->engineBytesAtStart;
}

void Simulator::repeatC(Clock::time_point now) {
    if (!repeatingC() || now - peer_->lastC < config_.cRepeat)
        return;
    const std::uint8_t c = 'C';
    toEngine_.push(std::span(&c, 1), now);
    peer_->lastC = now;
}

void Simulator::deliver(RelayLine& line, int fd, bool open, Clock::time_point now,
                        bool& blocked) {
    blocked = false;
    std::size_t count = line.due(now);
    if (count == 0)
        return;
    if (!open || fd < 0) {
        line.discard(count);
        return;
    }
    std::array<std::uint8_t, 4096> buf{};
    while (count > 0) {
        const std::size_t n = line.peek(buf.data(), std::min(count, buf.size()));
        const ssize_t written = ::write(fd, buf.data(), n);
        if (written < 0) {
            if (errno == EAGAIN) {
                blocked = true;
                return;
            }
            if (errno == EINTR)
                continue;
            line.discard(count);
            return;
        }
        line.pop(static_cast<std::size_t>(written));
        count -= static_cast<std::size_t>(written);
    }
}

void Simulator::hangUpEngine(Clock::time_point now) {
    if (engineHungUp_)
        return;
    log("hanging up the engine side after %llu bytes to the peer, %llu to the engine",
        static_cast<unsigned long long>(toPeer_.stats().in),
        static_cast<unsigned long long>(toEngine_.stats().in));
    engine_.reset();  // the engine's descriptor hangs up; the device path goes away
    engineHungUp_ = true;
    engineOpen_ = false;
    toEngine_.discardAll();
    endReason_ = "hung up the engine side";
    // A relay command still gets what was relayed before the hang-up.
    stopPeer("engine side hung up", now, true);
}

void Simulator::stopPeer(const char* reason, Clock::time_point now, bool drain) {
    if (!peer_ || peer_->exited || peer_->phase != StopPhase::Running)
        return;
    log("stopping %s: %s", peer_->label.c_str(), reason);
    if (drain && peer_->kind == PeerKind::Relay) {
        peer_->phase = StopPhase::Draining;
        peer_->phaseDeadline = now + kKillGrace;
        peer_->drainQuietSince = now;
    } else {
        hangUpPeer(now);
    }
}

void Simulator::hangUpPeer(Clock::time_point now) {
    peer_->master.reset();
    peer_->slave.reset();
    toPeer_.discardAll();
    peer_->phase = StopPhase::HungUp;
    peer_->phaseDeadline = now + kKillGrace;
}

void Simulator::advanceStop(Clock::time_point now) {
    if (!peer_ || peer_->exited)
        return;
    switch (peer_->phase) {
    case StopPhase::Running:
    case StopPhase::Killed:
        break;
    case StopPhase::Draining: {
        int unread = 0;
        if (::ioctl(peer_->slave.get(), FIONREAD, &unread) < 0)
            unread = 0;
        if (toPeer_.queued() != 0 || unread != 0)
            peer_->drainQuietSince = now;
        if (now - peer_->drainQuietSince >= kDrainQuiet || now >= peer_->phaseDeadline)
            hangUpPeer(now);
        break;
    }
    case StopPhase::HungUp:
        if (now >= peer_->phaseDeadline) {
            ::kill(-peer_->pid, SIGTERM);
            peer_->phase = StopPhase::Terminated;
            peer_->phaseDeadline = now + kKillGrace;
        }
        break;
    case StopPhase::Terminated:
        if (now >= peer_->phaseDeadline) {
            ::kill(-peer_->pid, SIGKILL);
            peer_->phase = StopPhase::Killed;
        }
        break;
    }
}

void Simulator::reapPeer(Clock::time_point now) {
    if (!peer_ || peer_->exited)
        return;
    int status = 0;
    const pid_t r = ::waitpid(peer_->pid, &status, WNOHANG);
    if (r != peer_->pid)
        return;
    peer_->exited = true;
    peer_->status = exitStatusOf(status);
    peer_->lastOutput = std::max(peer_->lastOutput, now);
    log("%s exited with status %d", peer_->label.c_str(), peer_->status);
}

void Simulator::finishPeer(Clock::time_point now) {
    if (!peer_ || !peer_->exited || (!peer_->outputEnded && now - peer_->lastOutput < kPeerSettle))
        return;
    // Members of a relay command's group that are still around are ended too.
    if (peer_->kind == PeerKind::Relay)
        ::kill(-peer_->pid, SIGKILL);
    toPeer_.discardAll();
    if (peer_->kind == PeerKind::Rb && peer_->status == 0 && config_.returnReceived)
        noteReceivedFile();
    transfersText_ += peer_->label + " exit " + std::to_string(peer_->status);
    if (!peerStatus_ || *peerStatus_ == 0)
        peerStatus_ = peer_->status;
    ++transfersDone_;
    if (transfersDone_ >= config_.transfers)
        allDoneAt_ = now;
    peer_.reset();
    commandTail_.clear();
    maybeStartWithoutCommand(now);
}

void Simulator::handleSignals(Clock::time_point now) {
    std::array<unsigned char, 64> buf{};
    ssize_t n = 0;
    while ((n = ::read(g_signalPipe[0], buf.data(), buf.size())) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == SIGCHLD) {
                reapPeer(now);
            } else if (!terminatedBy_) {
                terminatedBy_ = buf[i];
                endReason_ = "terminated by signal " + std::to_string(buf[i]);
                stopPeer(endReason_.c_str(), now);
            }
        }
    }
}

bool Simulator::finished(Clock::time_point now) {
    if (peer_)
        return false;
    if (terminatedBy_ || timedOut_ || engineHungUp_)
        return true;
    const bool allDone = transfersDone_ >= config_.transfers;
    if (allDone && engineEverOpen_ && toEngine_.queued() == 0) {
        if (!engineOpen_) {
            endReason_ = "transfers done, engine side closed";
            return true;
        }
        // A receiver does not wait for the editor to close its port; only long enough for it to
        // take the last bytes.
        if (allDoneAt_ && now - *allDoneAt_ >= config_.linger) {
            endReason_ = "transfers done, engine side still open";
            return true;
        }
    }
    if (engineEverOpen_ && !engineOpen_ && now - engineClosedAt_ >= config_.hupGrace) {
        if (endReason_.empty())
            endReason_ = "engine side closed";
        return true;
    }
    return false;
}

int Simulator::run() {
    const auto deadline = start_ + config_.timeout;
    for (;;) {
        auto now = Clock::now();
        handleSignals(now);
        checkEngineOpen(now);
        advanceStop(now);
        if (!timedOut_ && now >= deadline) {
            timedOut_ = true;
            endReason_ = "timed out";
            stopPeer("timed out", now);
        }
        if (peer_ && engineEverOpen_ && !engineOpen_ && !engineHungUp_ &&
            now - engineClosedAt_ >= config_.hupGrace)
            stopPeer("engine side closed", now, true);

        readEngine(now);
        readPeer(now);
        repeatC(now);
        reapPeer(now);
        finishPeer(now);

        bool peerBlocked = false;
        bool engineBlocked = false;
        const bool peerAlive = peerTakesInput();
        deliver(toPeer_, peerAlive ? peer_->master.get() : -1, peerAlive, now, peerBlocked);
        deliver(toEngine_, engine_.get(), engineOpen_, now, engineBlocked);
        if (toPeer_.hangupReached() || toEngine_.hangupReached())
            hangUpEngine(now);

        if (finished(now))
            break;

        // Wait for input, for room to write, or for the next due byte or timer.
        std::array<pollfd, 5> fds{};
        nfds_t nfds = 0;
        fds[nfds++] = pollfd{g_signalPipe[0], POLLIN, 0};
        if (config_.watchFd >= 0)
            fds[nfds++] = pollfd{config_.watchFd, POLLIN, 0};
        // The engine side is only polled for what is wanted now: its POLLHUP comes regardless
        // and would spin the loop while its input is not taken.
        int engineIndex = -1;
        if (engineOpen_) {
            short events = engineBlocked ? POLLOUT : 0;
            if (!peer_ || toPeer_.queued() < kQueueCap)
                events |= POLLIN;
            if (events != 0) {
                engineIndex = static_cast<int>(nfds);
                fds[nfds++] = pollfd{engine_.get(), events, 0};
            }
        }
        if (peer_ && peer_->master && peerBlocked)
            fds[nfds++] = pollfd{peer_->master.get(), POLLOUT, 0};
        if (peer_ && !peer_->outputEnded && toEngine_.queued() < kQueueCap)
            fds[nfds++] = pollfd{peer_->output.get(), POLLIN, 0};
        auto wake = deadline;
        auto earlier = [&wake](Clock::time_point t) { wake = std::min(wake, t); };
        if (auto t = toPeer_.nextDue(); t && !peerBlocked)
            earlier(*t);
        if (auto t = toEngine_.nextDue(); t && !engineBlocked)
            earlier(*t);
        if (!engineOpen_ && !engineHungUp_)
            earlier(now + kClosedRecheck);
        if (engineEverOpen_ && !engineOpen_ && now < engineClosedAt_ + config_.hupGrace)
            earlier(engineClosedAt_ + config_.hupGrace);
        if (allDoneAt_)
            earlier(*allDoneAt_ + config_.linger);
        if (peer_) {
            if (peer_->exited)
                earlier(peer_->lastOutput + kPeerSettle);
            if (peer_->phase != StopPhase::Running && peer_->phase != StopPhase::Killed)
                earlier(std::min(peer_->phaseDeadline, now + kClosedRecheck));
            if (repeatingC())
                earlier(peer_->lastC + config_.cRepeat);
            // SIGCHLD may have arrived between reaping and polling.
            earlier(now + std::chrono::milliseconds(100));
        }
        const auto wait = std::max(wake - Clock::now(), Clock::duration::zero());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        const int r = ::ppoll(fds.data(), nfds, &ts, nullptr);
        if (r < 0 && errno != EINTR)
            throwErrno("ppoll");
        if (config_.watchFd >= 0 && r > 0 && (fds[1].revents & (POLLHUP | POLLERR | POLLIN)) &&
            !terminatedBy_) {
            // The owner's end of the pipe closed: the test process is gone.
            terminatedBy_ = SIGTERM;
            endReason_ = "owner went away";
            stopPeer("owner went away", Clock::now());
            config_.watchFd = -1;
        }
        if (engineIndex >= 0 && (fds[engineIndex].events & POLLIN) &&
            (fds[engineIndex].revents & POLLHUP) && !(fds[engineIndex].revents & POLLIN)) {
            engineOpen_ = false;
            engineClosedAt_ = Clock::now();
            log("engine side closed");
        }
    }
    const int status = result();
    summary(status);
    return status;
}

int Simulator::result() const {
    if (timedOut_)
        return kExitTimeout;
    if (peerStatus_)
        return *peerStatus_;
    if (terminatedBy_)
        return 128 + *terminatedBy_;
    return kExitNoTransfer;
}

void Simulator::summary(int status) const {
    auto lineText = [](const RelayLine& line) {
        const LineStats& s = line.stats();
        return "in " + std::to_string(s.in) + " out " + std::to_string(s.out) + " flipped " +
               std::to_string(s.flipped) + " dropped " + std::to_string(s.dropped) +
               " garbage " + std::to_string(s.garbage) + " discarded " +
               std::to_string(s.discarded);
    };
    std::fprintf(stderr,
                 "simulated-receiver: exit %d; %s; transfers %d/%d [%s]; to-peer %s; "
                 "to-engine %s; ignored %llu; engine openings %d\n",
                 status, endReason_.c_str(), transfersDone_, config_.transfers,
                 transfersText_.c_str(), lineText(toPeer_).c_str(),
                 lineText(toEngine_).c_str(), static_cast<unsigned long long>(ignored_),
                 engineOpenings_);
    std::fflush(stderr);
}

} // namespace
} // namespace cs::test

int main(int argc, char** argv) {
    using namespace cs::test;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(kSimulatorUsage, stdout);
            return 0;
        }
    }
    SimulatorConfig config;
    try {
        config = parseSimulatorArguments(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simulated-receiver: %s\n(--help shows the options)\n", e.what());
        return kExitSetup;
    }
    try {
        Simulator simulator(std::move(config));
        simulator.setUp();
        return simulator.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simulated-receiver: %s\n", e.what());
        return kExitSetup;
    }
}
