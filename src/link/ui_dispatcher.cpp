#include "link/ui_dispatcher.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>

namespace cs::link {

namespace {

// Shared between the waiting thread and the task on the UI thread, so that either may go first.
struct BlockingCall {
    enum class State { Queued, Running, Done, Revoked };
    std::mutex mutex;
    std::condition_variable cv;
    State state = State::Queued;
    std::function<void()> fn;
};

constexpr auto kAbandonCheck = std::chrono::milliseconds(10);

} // namespace

bool UiDispatcher::postAndWait(std::function<void()> fn, const std::atomic<bool>& abandon) {
    if (isUiThread()) {
        fn();
        return true;
    }
    auto call = std::make_shared<BlockingCall>();
    call->fn = std::move(fn);
    post([call, this] {
        {
            std::lock_guard lock(call->mutex);
            if (call->state == BlockingCall::State::Revoked)
                return;
            call->state = BlockingCall::State::Running;
        }
        try {
            call->fn();
        } catch (const std::exception& e) {
            showError(e.what());
        } catch (...) {
            showError("unknown error");
        }
        {
            std::lock_guard lock(call->mutex);
            call->state = BlockingCall::State::Done;
            call->fn = nullptr;
        }
        call->cv.notify_all();
    });
    std::unique_lock lock(call->mutex);
    while (call->state != BlockingCall::State::Done) {
        if (abandon.load()) {
            if (call->state == BlockingCall::State::Queued)
                call->state = BlockingCall::State::Revoked;
            return false;
        }
        call->cv.wait_for(lock, kAbandonCheck);
    }
    return true;
}

LoopDispatcher::LoopDispatcher() : owner_(std::this_thread::get_id()) {}

void LoopDispatcher::post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    cv_.notify_all();
}

void LoopDispatcher::postAfter(std::chrono::milliseconds delay, std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        delayed_.emplace(std::chrono::steady_clock::now() + delay, std::move(fn));
    }
    cv_.notify_all();
}

void LoopDispatcher::queueDueTasks() {
    const auto now = std::chrono::steady_clock::now();
    while (!delayed_.empty() && delayed_.begin()->first <= now) {
        queue_.push_back(std::move(delayed_.begin()->second));
        delayed_.erase(delayed_.begin());
    }
}

bool LoopDispatcher::isUiThread() const { return std::this_thread::get_id() == owner_; }

void LoopDispatcher::showError(std::string_view message) {
    if (errorSink)
        errorSink(message);
    else
        std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
}

bool LoopDispatcher::runOne(std::unique_lock<std::mutex>& lock) {
    queueDueTasks();
    if (queue_.empty())
        return false;
    auto task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    try {
        task();
    } catch (const std::exception& e) {
        showError(e.what());
    } catch (...) {
        showError("unknown error");
    }
    lock.lock();
    return true;
}

std::size_t LoopDispatcher::processPending() {
    std::unique_lock lock(mutex_);
    queueDueTasks();
    std::size_t n = queue_.size();
    std::size_t ran = 0;
    while (ran < n && runOne(lock))
        ++ran;
    return ran;
}

bool LoopDispatcher::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    // Conditions may change on other threads without a task being posted, so the loop also
    // looks again every few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (;;) {
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        if (!runOne(lock)) {
            auto until = std::min(deadline, now + std::chrono::milliseconds(5));
            if (!delayed_.empty())
                until = std::min(until, delayed_.begin()->first);
            cv_.wait_until(lock, until, [this] { return !queue_.empty(); });
        }
    }
}

void LoopDispatcher::pumpFor(std::chrono::milliseconds duration) {
    runUntil([] { return false; }, duration);
}

} // namespace cs::link
