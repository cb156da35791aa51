#pragma once
// Developer diagnostics (loading, saving, dumps). The core writes lines to a sink; the desktop
// program's log window shows them, the CLI can print them, tests collect them.
#include <cstdarg>
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

// Keeps every line in memory; safe to write from several threads.
class MemoryLog final : public LogSink {
public:
    void write(std::string_view line) override;
    std::vector<std::string> lines() const;
    bool contains(std::string_view line) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Formats a line printf-style (the receiver's diagnostic formats are printf formats).
void logf(LogSink& sink, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::string formatv(const char* format, va_list args);
std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace cs
