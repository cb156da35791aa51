#include "common/log_sink.h"

#include <algorithm>
#include <cstdio>

namespace cs {

void MemoryLog::write(std::string_view line) {
    {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    changed();
}

std::vector<std::string> MemoryLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool MemoryLog::contains(std::string_view line) const {
    std::lock_guard lock(mutex_);
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

void MemoryLog::clear() {
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
        ++clears_;
    }
    changed();
}

void MemoryLog::setListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

void MemoryLog::changed() {
    std::lock_guard lock(listenerMutex_);
    if (listener_)
        listener_();
}

MemoryLog::Update MemoryLog::linesSince(std::uint64_t seenClears, std::size_t seenLines) const {
    std::lock_guard lock(mutex_);
    Update update;
    update.clears = clears_;
    update.fromStart = seenClears != clears_;
    const std::size_t first = update.fromStart ? 0 : std::min(seenLines, lines_.size());
    update.lines.assign(lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.end());
    return update;
}

std::string formatv(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = formatv(fmt, args);
    va_end(args);
    return s;
}

void logf(LogSink& sink, const char* fmt, ...) {
    if (!sink.keepsLines())
        return;
    va_list args;
    va_start(args, fmt);
    std::string s = formatv(fmt, args);
    va_end(args);
    sink.write(s);
}

} // namespace cs
