#pragma once
// Developer diagnostics (loading, saving, dumps). The core writes lines to a sink; the desktop
// program's log window shows them, the CLI can print them, tests collect them.
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(std::string_view line) = 0;
    // False for a sink that drops every line, so that logf need not format them.
    virtual bool keepsLines() const { return true; }
};

// Discards every line.
class NullLog final : public LogSink {
public:
    void write(std::string_view) override {}
    bool keepsLines() const override { return false; }
};

// Keeps every line in memory; safe to write from several threads. A reader that shows the lines
// (the log window) is told of each change and asks for what it has not seen yet.
class MemoryLog final : public LogSink {
public:
    void write(std::string_view line) override;
    std::vector<std::string> lines() const;
    bool contains(std::string_view line) const;
    void clear();

    // Called after every write and clear, on the writing thread. Once setListener returns, the
    // previous listener is no longer running and is never called again.
    void setListener(std::function<void()> listener);

    // The lines a reader has not seen: it last saw `seenLines` lines after `seenClears` clears.
    // When the log was cleared since, `fromStart` is set and `lines` holds every line.
    struct Update {
        std::uint64_t clears = 0;
        bool fromStart = false;
        std::vector<std::string> lines;
    };
    Update linesSince(std::uint64_t seenClears, std::size_t seenLines) const;

private:
    void changed();

    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::uint64_t clears_ = 0;
    std::mutex listenerMutex_;
    std::function<void()> listener_;
};

// Formats a line printf-style (the receiver's diagnostic formats are printf formats).
void logf(LogSink& sink, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::string formatv(const char* format, va_list args);
std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace cs
