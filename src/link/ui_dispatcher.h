#pragma once
// The link's threads never touch the user interface: whatever has to happen "on the UI thread"
// is handed to a dispatcher. The desktop program implements it with queued invocations on the
// main thread; the CLI and the tests use LoopDispatcher, a small loop on their main thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace cs::link {

class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;

    // Queues `fn` to run on the UI thread and returns at once.
    virtual void post(std::function<void()> fn) = 0;
    // Queues `fn` to run on the UI thread once `delay` has passed; the link's waits are built
    // on it, so that nothing waits in a nested event loop.
    virtual void postAfter(std::chrono::milliseconds delay, std::function<void()> fn) = 0;
    // True when called on the UI thread.
    virtual bool isUiThread() const = 0;
    // Keeps the user interface responsive for about `duration`; called on the UI thread.
    virtual void pumpFor(std::chrono::milliseconds duration) = 0;
    // The application's standard error display, for errors raised inside event handlers.
    virtual void showError(std::string_view message) = 0;

    // Runs `fn` on the UI thread and waits until it has run. On the UI thread it runs at once.
    // The wait ends early when `abandon` becomes true: if `fn` had not started it never will,
    // and false is returned. Whatever `fn` touches must outlive a call that was abandoned while
    // running, which holds for the link's objects because they are destroyed on the UI thread.
    bool postAndWait(std::function<void()> fn, const std::atomic<bool>& abandon);
};

// Dispatcher for programs and tests without a window system: tasks run when the owning thread
// (the one that constructed it) calls runUntil, pumpFor or processPending.
class LoopDispatcher final : public UiDispatcher {
public:
    LoopDispatcher();

    void post(std::function<void()> fn) override;
    void postAfter(std::chrono::milliseconds delay, std::function<void()> fn) override;
    bool isUiThread() const override;
    void pumpFor(std::chrono::milliseconds duration) override;
    void showError(std::string_view message) override;

    // Runs tasks until `done` returns true or `timeout` has passed; returns `done()`.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Runs the tasks queued now; returns how many ran.
    std::size_t processPending();

    // Where showError goes; by default standard error.
    std::function<void(std::string_view)> errorSink;

private:
    bool runOne(std::unique_lock<std::mutex>& lock);
    // Moves the delayed tasks that are due to the queue (lock held).
    void queueDueTasks();

    std::thread::id owner_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> delayed_;
};

} // namespace cs::link
