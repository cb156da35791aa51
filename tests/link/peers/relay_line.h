#pragma once
// One direction of the simulated serial line: latency, throttling and seeded faults.
// Pure bookkeeping, no I/O: the simulator pushes what it read and takes what is due.
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace cs::test {

using Clock = std::chrono::steady_clock;

struct LineStall {
    std::uint64_t atByte = 0;
    std::chrono::milliseconds duration{0};
    bool drop = false;  // bytes sent while the line is silent are lost instead of held
};

// One damaged byte at a fixed index of the direction's byte stream; the flipped bit and the
// inserted byte follow from the seed.
struct LineFault {
    enum class Kind { Flip, Drop, Insert };
    std::uint64_t atByte = 0;
    Kind kind = Kind::Flip;
};

struct LineConfig {
    double flipRate = 0.0;
    double dropRate = 0.0;
    double garbageRate = 0.0;
    std::vector<LineStall> stalls;
    std::vector<LineFault> faults;
    std::optional<std::uint64_t> hangupAfter;
    std::uint64_t throttleBytesPerSec = 0;
    std::chrono::nanoseconds latency{std::chrono::microseconds(1000)};
};

struct LineStats {
    std::uint64_t in = 0;        // bytes accepted from the sender
    std::uint64_t out = 0;       // bytes delivered to the other end
    std::uint64_t flipped = 0;
    std::uint64_t dropped = 0;   // lost by --drop-rate or a dropping stall
    std::uint64_t garbage = 0;   // random bytes inserted
    std::uint64_t discarded = 0; // not deliverable: the other end was closed or gone
};

class RelayLine {
public:
    // `salt` keeps the two directions' fault patterns independent under one seed.
    RelayLine(LineConfig config, std::uint64_t seed, std::uint64_t salt);

    // Bytes the sender wrote, seen at `now`. Faults are decided by each byte's index.
    void push(std::span<const std::uint8_t> bytes, Clock::time_point now);

    // Number of queued bytes due at `now` (a prefix of the queue); they are in front().
    std::size_t due(Clock::time_point now) const;
    // Copies up to `max` queued bytes (due or not) without removing them.
    std::size_t peek(std::uint8_t* out, std::size_t max) const;
    void pop(std::size_t count);            // delivered
    void discardAll();                      // receiver gone: count as discarded
    void discard(std::size_t count);

    std::optional<Clock::time_point> nextDue() const;
    std::size_t queued() const { return queue_.size(); }
    // True once `hangupAfter` bytes were taken in and everything before them delivered.
    bool hangupReached() const;
    const LineStats& stats() const { return stats_; }

private:
    struct Entry {
        Clock::time_point due;
        std::uint8_t byte;
    };
    void enqueue(std::uint8_t byte, Clock::time_point arrival);
    double uniform(std::uint64_t index, std::uint64_t field) const;
    std::uint64_t hash(std::uint64_t index, std::uint64_t field) const;

    LineConfig config_;
    std::uint64_t key_;
    std::deque<Entry> queue_;
    Clock::time_point lineFreeAt_{};
    std::chrono::nanoseconds byteTime_{0};
    std::optional<Clock::time_point> dropUntil_;  // active dropping stall
    LineStats stats_;
};

} // namespace cs::test
