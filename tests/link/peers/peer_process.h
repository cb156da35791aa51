#pragma once
// The pieces of the simulated receiver that deal with file descriptors and peer processes.
#include "relay_line.h"

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>

namespace cs::test {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

[[noreturn]] void throwErrno(const std::string& what);
void setNonBlocking(int fd);
// Raw mode, one byte at a time: lrzsz's side of the line.
void makeRaw(int fd);
// The shell's way: the exit code, or 128 + the signal that ended the process.
int exitStatusOf(int waitStatus);

enum class PeerKind { Rb, Sb, Relay };

// How a peer is ended: a relay command first gets the rest of its input, then every peer is
// hung up (lrzsz gets SIGHUP, a relay command EOF), then SIGTERM, then SIGKILL.
enum class StopPhase { Running, Draining, HungUp, Terminated, Killed };

struct Peer {
    PeerKind kind{};
    std::string label;
    pid_t pid = -1;
    UniqueFd master;  // written: what the engine sends
    UniqueFd slave;   // held so that unread input can be measured and EIO never happens
    UniqueFd output;  // read end of the peer's stdout
    bool outputEnded = false;
    bool exited = false;
    int status = 0;
    Clock::time_point lastOutput{};
    StopPhase phase = StopPhase::Running;
    Clock::time_point phaseDeadline{};
    Clock::time_point drainQuietSince{};
    // Repetition of rb's "C" until the engine's first byte.
    bool sawC = false;
    Clock::time_point lastC{};
    std::uint64_t engineBytesAtStart = 0;
};

} // namespace cs::test
