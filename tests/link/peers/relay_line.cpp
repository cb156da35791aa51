#include "relay_line.h"

#include <algorithm>

namespace cs::test {

namespace {

std::uint64_t splitmix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Fields of the per-byte decision, so that each has its own stream of numbers.
enum Field : std::uint64_t { kDrop = 1, kFlip, kFlipBit, kGarbage, kGarbageByte };

} // namespace

RelayLine::RelayLine(LineConfig config, std::uint64_t seed, std::uint64_t salt)
    : config_(std::move(config)), key_(splitmix64(seed ^ splitmix64(salt))) {
    if (config_.throttleBytesPerSec > 0)
        byteTime_ = std::chrono::nanoseconds(1'000'000'000ull / config_.throttleBytesPerSec);
}

std::uint64_t RelayLine::hash(std::uint64_t index, std::uint64_t field) const {
    // Counter-based: the decision for byte i never depends on how the bytes were chunked.
    return splitmix64(splitmix64(key_ ^ field) + index);
}

double RelayLine::uniform(std::uint64_t index, std::uint64_t field) const {
    return static_cast<double>(hash(index, field) >> 11) * 0x1.0p-53;
}

void RelayLine::enqueue(std::uint8_t byte, Clock::time_point arrival) {
    const auto start = std::max(arrival, lineFreeAt_);
    lineFreeAt_ = start + byteTime_;
    queue_.push_back(Entry{lineFreeAt_ + config_.latency, byte});
}

void RelayLine::push(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    for (std::uint8_t byte : bytes) {
        const std::uint64_t index = stats_.in++;
        if (config_.hangupAfter && index >= *config_.hangupAfter) {
            ++stats_.discarded;
            continue;
        }
        for (const LineStall& stall : config_.stalls) {
            if (stall.atByte != index)
                continue;
            if (stall.drop)
                dropUntil_ = now + stall.duration;
            else
                lineFreeAt_ = std::max(lineFreeAt_, now) + stall.duration;
        }
        if (dropUntil_ && now < *dropUntil_) {
            ++stats_.dropped;
            continue;
        }
        bool dropHere = false, flipHere = false, insertHere = false;
        for (const LineFault& fault : config_.faults) {
            if (fault.atByte != index)
                continue;
            dropHere |= fault.kind == LineFault::Kind::Drop;
            flipHere |= fault.kind == LineFault::Kind::Flip;
            insertHere |= fault.kind == LineFault::Kind::Insert;
        }
        if (dropHere) {
            ++stats_.dropped;
            continue;
        }
        if (flipHere) {
            byte ^= static_cast<std::uint8_t>(1u << (hash(index, kFlipBit) & 7u));
            ++stats_.flipped;
        }
        if (insertHere) {
            enqueue(byte, now);
            enqueue(static_cast<std::uint8_t>(hash(index, kGarbageByte)), now);
            ++stats_.garbage;
            continue;
        }
        if (config_.dropRate > 0 && uniform(index, kDrop) < config_.dropRate) {
            ++stats_.dropped;
            continue;
        }
        if (config_.flipRate > 0 && uniform(index, kFlip) < config_.flipRate) {
            byte ^= static_cast<std::uint8_t>(1u << (hash(index, kFlipBit) & 7u));
            ++stats_.flipped;
        }
        enqueue(byte, now);
        if (config_.garbageRate > 0 && uniform(index, kGarbage) < config_.garbageRate) {
            enqueue(static_cast<std::uint8_t>(hash(index, kGarbageByte)), now);
            ++stats_.garbage;
        }
    }
}

std::size_t RelayLine::due(Clock::time_point now) const {
    // Due times never decrease, so the due bytes are a prefix.
    const auto firstLater = std::partition_point(
        queue_.begin(), queue_.end(), [now](const Entry& e) { return e.due <= now; });
    return static_cast<std::size_t>(firstLater - queue_.begin());
}

std::size_t RelayLine::peek(std::uint8_t* out, std::size_t max) const {
    const std::size_t n = std::min(max, queue_.size());
    for (std::size_t i = 0; i < n; ++i)
        out[i] = queue_[i].byte;
    return n;
}

void RelayLine::pop(std::size_t count) {
    count = std::min(count, queue_.size());
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    stats_.out += count;
}

void RelayLine::discard(std::size_t count) {
    count = std::min(count, queue_.size());
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    stats_.discarded += count;
}

void RelayLine::discardAll() { discard(queue_.size()); }

std::optional<Clock::time_point> RelayLine::nextDue() const {
    if (queue_.empty())
        return std::nullopt;
    return queue_.front().due;
}

bool RelayLine::hangupReached() const {
    return config_.hangupAfter && stats_.in >= *config_.hangupAfter && queue_.empty();
}

} // namespace cs::test
