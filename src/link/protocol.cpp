#include "link/protocol.h"

#include <chrono>
#include <exception>
#include <stdexcept>

namespace cs::link {

// ---------------------------------------------------------------------------------------------
// TransferWorker

TransferWorker::TransferWorker(TransferProtocol& owner, const Settings& settings)
    : owner_(owner), settings_(settings), queue_(settings.inputCapacity) {}

void TransferWorker::reset() {
    std::lock_guard lock(queueLock_);
    queue_.clear();
    overflow_ = false;
    lineLost_ = false;
    wakeSignal_ = false;
    cancel_.store(false);
    errorCount_.store(0);
    lastError_.store(TransferStatus::Ok);
}

TransferStatus TransferWorker::run() {
    try {
        execute();
        return TransferStatus::Ok;
    } catch (const TransferEnd& end) {
        return end.status;
    } catch (const std::exception&) {
        // A failure outside the protocol (output stuck on a dead device, no memory): never
        // report such an end as success.
        return TransferStatus::LinkFailure;
    }
}

void TransferWorker::execute() {
    if (settings_.direction == TransferDirection::Upload)
        upload();
    else
        download();
}

void TransferWorker::feed(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(queueLock_);
        if (queue_.size() + bytes.size() <= kInputQueueLimit)
            queue_.append(bytes);
        else
            overflow_ = true;
        wakeSignal_ = true;
    }
    wake_.notify_one();
}

void TransferWorker::requestCancel() {
    {
        std::lock_guard lock(queueLock_);
        cancel_.store(true);
        wakeSignal_ = true;
    }
    wake_.notify_one();
}

void TransferWorker::markLineLost() {
    {
        std::lock_guard lock(queueLock_);
        lineLost_ = true;
        wakeSignal_ = true;
    }
    wake_.notify_one();
}

void TransferWorker::checkQueueState(std::unique_lock<std::mutex>& lock) {
    if (overflow_) {
        lock.unlock();
        sendCancel();
        finish(TransferStatus::InputOverflow);
    }
    if (lineLost_ && queue_.empty() && !cancel_.load()) {
        // Nothing more can arrive and nothing can be sent: no CAN, just the end.
        lock.unlock();
        finish(TransferStatus::LinkFailure);
    }
}

int TransferWorker::readByte(bool returnOnTimeout) {
    std::unique_lock lock(queueLock_);
    while (queue_.empty() && !cancel_.load() && !overflow_ && !lineLost_) {
        wakeSignal_ = false;
        if (!wake_.wait_for(lock, std::chrono::milliseconds(settings_.timeoutMs), [this] { return wakeSignal_; })) {
            lock.unlock();
            reportError(TransferStatus::Timeout, true);
            if (returnOnTimeout)
                return cancel_.load() ? kReadCancelled : kReadTimedOut;
            lock.lock();
        }
    }
    checkQueueState(lock);
    if (cancel_.load())
        return kReadCancelled;
    std::uint8_t c = 0;
    queue_.take({&c, 1});
    return c;
}

bool TransferWorker::peekByte(std::uint8_t& c) {
    std::lock_guard lock(queueLock_);
    return queue_.peek({&c, 1}) == 1;
}

bool TransferWorker::waitForInput(int ms) {
    std::unique_lock lock(queueLock_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (queue_.empty() && !cancel_.load() && !overflow_ && !lineLost_) {
        wakeSignal_ = false;
        if (!wake_.wait_until(lock, deadline, [this] { return wakeSignal_; }))
            break;
    }
    checkQueueState(lock);
    return cancel_.load() || !queue_.empty();
}

void TransferWorker::waitForAnswerDespiteCancel(int ms) {
    std::unique_lock lock(queueLock_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (queue_.empty() && !overflow_ && !lineLost_) {
        wakeSignal_ = false;
        if (!wake_.wait_until(lock, deadline, [this] { return wakeSignal_; }))
            break;
    }
}

void TransferWorker::clearInput() {
    std::lock_guard lock(queueLock_);
    queue_.clear();
}

void TransferWorker::purgeUntilQuiet(int quietMs, int limitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    do {
        clearInput();
        if (!waitForInput(quietMs) || cancelled())
            return;
    } while (std::chrono::steady_clock::now() < deadline);
    clearInput();
}

void TransferWorker::reportError(TransferStatus error, bool sendCan) {
    const int count = ++errorCount_;
    lastError_.store(error);
    if (count >= settings_.maxErrors) {
        if (sendCan)
            sendCancel();
        finish(TransferStatus::TooManyErrors);
    }
    TransferProtocol* owner = &owner_;
    runOnUiThread([owner, error, count] {
        if (owner->onError)
            owner->onError(error, count);
    });
}

void TransferWorker::finish(TransferStatus status) { throw TransferEnd{status}; }

void TransferWorker::write(std::span<const std::uint8_t> bytes) { owner_.link().write(bytes); }

void TransferWorker::runOnUiThread(std::function<void()> fn) {
    owner_.ui_.postAndWait(std::move(fn), owner_.destroying_);
}

// ---------------------------------------------------------------------------------------------
// TransferProtocol

TransferProtocol::TransferProtocol(UiDispatcher& ui) : ui_(ui) {}

TransferProtocol::~TransferProtocol() { stopWorker(); }

void TransferProtocol::stopWorker() {
    destroying_.store(true);
    if (worker_)
        worker_->requestCancel();
    if (thread_.joinable())
        thread_.join();
    worker_.reset();
    alive_.reset();
    setActive(false);
}

void TransferProtocol::start() {
    if (worker_)
        throw std::runtime_error("Transfer already in progress...");
    lastStatus_ = TransferStatus::Ok;
    link().purgeInputAndOutput();
    setActive(true);
    worker_ = createWorker();
    worker_->reset();
    if (onTransferStart) {
        try {
            onTransferStart();
        } catch (const std::exception& e) {
            ui_.showError(e.what());
        }
    }
    std::weak_ptr<int> alive = alive_;
    TransferWorker* worker = worker_.get();
    thread_ = std::thread([this, worker, alive] {
        const TransferStatus status = worker->run();
        ui_.post([this, alive, status] {
            if (!alive.expired())
                workerEnded(status);
        });
    });
}

void TransferProtocol::workerEnded(TransferStatus status) {
    setActive(false);
    if (thread_.joinable())
        thread_.join();
    if (worker_)
        workerFinished(*worker_);
    worker_.reset();
    lastStatus_ = status;
    if (onTransferEnd) {
        try {
            onTransferEnd(status);
        } catch (const std::exception& e) {
            ui_.showError(e.what());
        }
    }
}

void TransferProtocol::cancel() {
    if (worker_)
        worker_->requestCancel();
}

void TransferProtocol::dataArrived(std::span<const std::uint8_t> bytes) {
    if (worker_)
        worker_->feed(bytes);
}

void TransferProtocol::lineEventsArrived(LineEvents events) {
    if (worker_ && (events & eventBit(LineEvent::HangUp)))
        worker_->markLineLost();
}

} // namespace cs::link
