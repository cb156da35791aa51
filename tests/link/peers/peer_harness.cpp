#include "peer_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <thread>

#ifndef CS_SIMULATED_RECEIVER_PATH
#define CS_SIMULATED_RECEIVER_PATH "simulated-receiver"
#endif

extern char** environ;

namespace cs::test {

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// argv[0] as execve wants it: a path. Resolved before fork, because the child may only make
// async-signal-safe calls (the test process may have other threads).
std::string resolveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty())
            dir = ".";
        const std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return name;  // execve fails in the child: exit status 127
}

int exitStatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 255;
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

// ---------------------------------------------------------------------------------------------

TempDir::TempDir(std::string_view prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + std::string(prefix) +
                          "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throwErrno("mkdtemp " + pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

TempDir::TempDir(TempDir&& other) noexcept : path_(std::exchange(other.path_, {})) {}

TempDir& TempDir::operator=(TempDir&& other) noexcept {
    if (this != &other) {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

std::vector<std::uint8_t> deterministicBytes(std::size_t size, std::uint64_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint64_t state = seed;
    for (std::size_t i = 0; i < size; i += 8) {
        std::uint64_t v = splitmix64(state);
        for (std::size_t k = 0; k < 8 && i + k < size; ++k, v >>= 8)
            bytes[i + k] = static_cast<std::uint8_t>(v);
    }
    return bytes;
}

std::filesystem::path writeRandomFile(const std::filesystem::path& file, std::size_t size,
                                      std::uint64_t seed) {
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path());
    writeFileBytes(file, deterministicBytes(size, seed));
    return file;
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

// ---------------------------------------------------------------------------------------------

ChildProcess::ChildProcess(ChildOptions options) {
    if (options.argv.empty())
        throw std::invalid_argument("ChildProcess: empty argv");
    if (options.stderrFile.empty()) {
        ownDir_.emplace("cs-child");
        stderrFile_ = ownDir_->path() / "stderr.txt";
    } else {
        stderrFile_ = options.stderrFile;
    }

    // Everything the child needs is prepared here; after fork it only calls async-signal-safe
    // functions.
    const std::string program = resolveProgram(options.argv.front());
    std::vector<char*> argv;
    for (std::string& a : options.argv)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; e && *e; ++e)
        envStrings.emplace_back(*e);
    for (const std::string& extra : options.env) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(envStrings, [&](const std::string& s) { return s.rfind(name, 0) == 0; });
        envStrings.push_back(extra);
    }
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string cwd = options.cwd.string();
    const std::string stderrPath = stderrFile_.string();
    const std::string stdoutPath =
        options.stdoutFile.empty() ? std::string("/dev/null") : options.stdoutFile.string();
    const std::string tty = options.ttyDevice;
    const bool rawTty = options.rawTty;

    int pipeFds[2] = {-1, -1};
    if (options.ownerPipeFd >= 0 && ::pipe2(pipeFds, O_CLOEXEC) < 0)
        throwErrno("pipe2");
    const int ownerFd = options.ownerPipeFd;

    const pid_t pid = ::fork();
    if (pid < 0) {
        const int saved = errno;
        if (pipeFds[0] >= 0) {
            ::close(pipeFds[0]);
            ::close(pipeFds[1]);
        }
        errno = saved;
        throwErrno("fork");
    }
    if (pid == 0) {
        if (ownerFd >= 0) {
            if (pipeFds[0] == ownerFd)
                ::fcntl(ownerFd, F_SETFD, 0);
            else if (::dup2(pipeFds[0], ownerFd) < 0)
                ::_exit(126);
        }
        const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || ::dup2(err, STDERR_FILENO) < 0)
            ::_exit(126);
        if (!tty.empty()) {
            ::setsid();
            const int fd = ::open(tty.c_str(), O_RDWR);
            if (fd < 0)
                ::_exit(126);
            ::ioctl(fd, TIOCSCTTY, 0);
            if (rawTty) {
                termios tio{};
                if (::tcgetattr(fd, &tio) == 0) {
                    ::cfmakeraw(&tio);
                    ::tcsetattr(fd, TCSANOW, &tio);
                }
            }
            if (::dup2(fd, STDIN_FILENO) < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
                ::_exit(126);
        } else {
            ::setpgid(0, 0);
            const int in = ::open("/dev/null", O_RDONLY);
            const int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (in < 0 || out < 0 || ::dup2(in, STDIN_FILENO) < 0 ||
                ::dup2(out, STDOUT_FILENO) < 0)
                ::_exit(126);
        }
        // Only 0..2 and the owner pipe survive into the child.
        const unsigned keep = ownerFd > 2 ? static_cast<unsigned>(ownerFd) : 2u;
        if (keep > 3)
            ::close_range(3, keep - 1, 0);
        ::close_range(keep + 1, ~0u, 0);
        if (!cwd.empty() && ::chdir(cwd.c_str()) < 0)
            ::_exit(126);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    pid_ = pid;
    if (pipeFds[0] >= 0) {
        ::close(pipeFds[0]);
        ownerPipe_ = pipeFds[1];
    }
}

ChildProcess::~ChildProcess() { reset(); }

void ChildProcess::reset() noexcept {
    if (pid_ > 0 && !status_) {
        try {
            terminate();
        } catch (...) {
        }
    }
    if (ownerPipe_ >= 0)
        ::close(ownerPipe_);
    ownerPipe_ = -1;
    pid_ = -1;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      status_(std::exchange(other.status_, std::nullopt)),
      stderrFile_(std::move(other.stderrFile_)),
      ownDir_(std::move(other.ownDir_)),
      ownerPipe_(std::exchange(other.ownerPipe_, -1)) {
    other.ownDir_.reset();
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        reset();
        pid_ = std::exchange(other.pid_, -1);
        status_ = std::exchange(other.status_, std::nullopt);
        stderrFile_ = std::move(other.stderrFile_);
        ownDir_ = std::move(other.ownDir_);
        other.ownDir_.reset();
        ownerPipe_ = std::exchange(other.ownerPipe_, -1);
    }
    return *this;
}

bool ChildProcess::running() { return pid_ > 0 && !waitExit(0ms); }

std::optional<ExitStatus> ChildProcess::waitExit(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0)
        return status_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // A pidfd turns the wait into one poll; without one, fall back to short sleeps.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            status_ = exitStatusOf(status);
            break;
        }
        if (r < 0 && errno != EINTR) {
            status_ = 255;  // not our child any more: nothing left to wait for
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        const int slice = static_cast<int>(std::min<long long>(left.count() + 1, 1000));
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            ::poll(&p, 1, slice);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(slice, 5)));
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return status_;
}

ExitStatus ChildProcess::terminate(std::chrono::milliseconds grace) {
    if (pid_ <= 0)
        return status_.value_or(255);
    if (!status_) {
        ::kill(pid_, SIGTERM);
        if (!waitExit(grace)) {
            ::kill(pid_, SIGKILL);
            waitExit(10s);
        }
    }
    return status_.value_or(255);
}

void ChildProcess::signal(int signo) {
    if (pid_ > 0 && !status_)
        ::kill(pid_, signo);
}

std::string ChildProcess::stderrText() const { return readText(stderrFile_); }

ChildProcess runOnDevice(const std::string& device, std::vector<std::string> argv,
                         const std::filesystem::path& cwd) {
    ChildOptions options;
    options.argv = std::move(argv);
    options.cwd = cwd;
    options.ttyDevice = device;
    return ChildProcess(std::move(options));
}

ChildProcess bridgeDevices(const std::string& deviceA, const std::string& deviceB) {
    ChildOptions options;
    options.argv = {"socat", "-b", "8192", "-t", "0.1", "GOPEN:" + deviceA + ",rawer",
                    "GOPEN:" + deviceB + ",rawer"};
    return ChildProcess(std::move(options));
}

// ---------------------------------------------------------------------------------------------

namespace {

std::string rateText(double p) {
    std::ostringstream out;
    out.precision(17);
    out << p;
    return out.str();
}

void addFaults(std::vector<std::string>& args, const LinkFaults& faults, const char* dir) {
    const std::string prefix = std::string(dir) + ":";
    if (faults.flipRate > 0)
        args.insert(args.end(), {"--flip-rate", prefix + rateText(faults.flipRate)});
    if (faults.dropRate > 0)
        args.insert(args.end(), {"--drop-rate", prefix + rateText(faults.dropRate)});
    if (faults.garbageRate > 0)
        args.insert(args.end(), {"--garbage-rate", prefix + rateText(faults.garbageRate)});
    for (const LinkFaults::Stall& stall : faults.stalls) {
        args.insert(args.end(), {"--stall-ms", prefix + std::to_string(stall.atByte) + ":" +
                                                   std::to_string(stall.durationMs) +
                                                   (stall.drop ? ":drop" : "")});
    }
    for (const LinkFaults::Fault& fault : faults.faults) {
        const char* kind = fault.kind == LinkFaults::Fault::Kind::Flip   ? "flip"
                           : fault.kind == LinkFaults::Fault::Kind::Drop ? "drop"
                                                                         : "insert";
        args.insert(args.end(), {"--fault-at", prefix + std::to_string(fault.atByte) + ":" + kind});
    }
    if (faults.hangupAfter)
        args.insert(args.end(), {"--hangup-after", prefix + std::to_string(*faults.hangupAfter)});
    if (faults.throttleBytesPerSec > 0)
        args.insert(args.end(),
                    {"--throttle", prefix + std::to_string(faults.throttleBytesPerSec)});
}

} // namespace

std::vector<std::string> receiverArguments(const ReceiverOptions& o) {
    std::vector<std::string> args;
    switch (o.mode) {
    case ReceiverOptions::Mode::Command:
        break;
    case ReceiverOptions::Mode::Receive:
        args.insert(args.end(), {"--no-command", "--mode", "receive"});
        break;
    case ReceiverOptions::Mode::Send:
        args.insert(args.end(), {"--no-command", "--mode", "send"});
        break;
    case ReceiverOptions::Mode::Relay:
        args.insert(args.end(), {"--no-command", "--mode", "relay"});
        break;
    }
    if (!o.inbox.empty())
        args.insert(args.end(), {"--inbox", o.inbox.string()});
    if (!o.settingsFile.empty())
        args.insert(args.end(), {"--settings-file", o.settingsFile.string()});
    if (!o.baseFile.empty())
        args.insert(args.end(), {"--base-file", o.baseFile.string()});
    if (!o.sendFile.empty())
        args.insert(args.end(), {"--send-file", o.sendFile.string()});
    if (o.sb1k)
        args.push_back("--sb-1k");
    if (!o.relayCommand.empty())
        args.insert(args.end(), {"--relay-to-command", o.relayCommand});
    args.insert(args.end(), {"--transfers", std::to_string(o.transfers)});
    args.insert(args.end(), {"--seed", std::to_string(o.seed)});
    args.insert(args.end(), {"--latency-us", std::to_string(o.latencyUs)});
    args.insert(args.end(), {"--c-repeat-ms", std::to_string(o.cRepeatMs)});
    args.insert(args.end(), {"--timeout-ms", std::to_string(o.timeoutMs)});
    args.insert(args.end(), {"--hup-grace-ms", std::to_string(o.hupGraceMs)});
    args.insert(args.end(), {"--linger-ms", std::to_string(o.lingerMs)});
    addFaults(args, o.toPeer, "to-peer");
    addFaults(args, o.toEngine, "to-engine");
    args.insert(args.end(), o.extraArgs.begin(), o.extraArgs.end());
    return args;
}

std::filesystem::path receiverExecutable() {
    if (const char* over = std::getenv("CS_SIMULATED_RECEIVER"); over && *over)
        return over;
    return CS_SIMULATED_RECEIVER_PATH;
}

namespace {

// The simulator's end of the owner pipe: it ends when the test process is gone.
constexpr int kOwnerFd = 3;

ChildOptions receiverChild(const ReceiverOptions& options, const TempDir& dir,
                           const std::filesystem::path& readyFile) {
    ChildOptions child;
    child.argv.push_back(receiverExecutable().string());
    for (std::string& a : receiverArguments(options))
        child.argv.push_back(std::move(a));
    child.argv.insert(child.argv.end(), {"--ready-file", readyFile.string(), "--watch-fd",
                                         std::to_string(kOwnerFd)});
    child.stderrFile = dir.path() / "simulator-stderr.txt";
    child.stdoutFile = dir.path() / "simulator-stdout.txt";
    child.ownerPipeFd = kOwnerFd;
    return child;
}

} // namespace

SimulatedReceiver::SimulatedReceiver(const ReceiverOptions& options)
    : dir_("cs-sim"),
      readyFile_(dir_.path() / "ready"),
      process_(receiverChild(options, dir_, readyFile_)) {}

bool SimulatedReceiver::waitReady(std::chrono::milliseconds timeout) {
    if (!device_.empty())
        return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::error_code ec;
        if (std::filesystem::exists(readyFile_, ec)) {
            std::string text = readText(readyFile_);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            device_ = text;
            return !device_.empty();
        }
        if (!process_.running() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
}

std::string SimulatedReceiver::summary() const {
    const std::string text = stderrText();
    const std::string marker = "simulated-receiver: ";
    std::size_t pos = text.rfind("\n" + marker);
    if (pos == std::string::npos) {
        if (text.rfind(marker, 0) != 0)
            return {};
        pos = 0;
    } else {
        ++pos;
    }
    const std::size_t end = text.find('\n', pos);
    return text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

std::optional<SimulatedReceiver::LineCounts> SimulatedReceiver::counts(Direction direction) const {
    const std::string line = summary();
    const std::string key = direction == Direction::ToPeer ? "; to-peer in " : "; to-engine in ";
    const std::size_t pos = line.find(key);
    if (pos == std::string::npos)
        return std::nullopt;
    std::istringstream in(line.substr(pos + key.size() - 3));
    LineCounts c;
    std::string in_, out, flipped, dropped, garbage, discarded;
    in >> in_ >> c.in >> out >> c.out >> flipped >> c.flipped >> dropped >> c.dropped >> garbage >>
        c.garbage >> discarded >> c.discarded;
    if (!in || in_ != "in" || out != "out" || flipped != "flipped" || dropped != "dropped" ||
        garbage != "garbage" || discarded != "discarded")
        return std::nullopt;
    return c;
}

} // namespace cs::test
