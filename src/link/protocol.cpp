#include "link/protocol.h"

#include <chrono>
#include <exception>
#include <stdexcept>

namespace cs::link {

// ---------------------------------------------------------------------------------------------
// TVaProtocolThread

TVaProtocolThread::TVaProtocolThread(TVaProtocol& owner, const Settings& settings)
    : owner_(owner), settings_(settings), queue_(settings.bufferSize) {}

void TVaProtocolThread::Initialize() {
    std::lock_guard lock(queueLock_);
    queue_.Clear();
    overflow_ = false;
    lineLost_ = false;
    wakeSignal_ = false;
    cancel_.store(false);
    errorCount_.store(0);
    errorCode_.store(0);
}

int TVaProtocolThread::Run() {
    try {
        Execute();
        return kExitOk;
    } catch (const TransferEnd& end) {
        return end.code;
    } catch (const std::exception&) {
        // A failure outside the protocol (output stuck on a dead device, no memory): never
        // report such an end as success.
        return kExitLinkFailure;
    }
}

void TVaProtocolThread::Execute() {
    if (settings_.mode == TVaTransferMode::tmUpload)
        Upload();
    else
        Download();
}

void TVaProtocolThread::Feed(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(queueLock_);
        if (queue_.Size() + bytes.size() <= kInputQueueLimit)
            queue_.Write(bytes);
        else
            overflow_ = true;
        wakeSignal_ = true;
    }
    wake_.notify_one();
}

void TVaProtocolThread::RequestCancel() {
    {
        std::lock_guard lock(queueLock_);
        cancel_.store(true);
        wakeSignal_ = true;
    }
    wake_.notify_one();
}

void TVaProtocolThread::LineLost() {
    {
        std::lock_guard lock(queueLock_);
        lineLost_ = true;
        wakeSignal_ = true;
    }
    wake_.notify_one();
}

void TVaProtocolThread::CheckQueueState(std::unique_lock<std::mutex>& lock) {
    if (overflow_) {
        lock.unlock();
        RemoteCan();
        SetExitCode(kExitOverflow);
    }
    if (lineLost_ && queue_.Empty() && !cancel_.load()) {
        // Nothing more can arrive and nothing can be sent: no CAN, just the end.
        lock.unlock();
        SetExitCode(kExitLinkFailure);
    }
}

int TVaProtocolThread::ReadChar() {
    std::unique_lock lock(queueLock_);
    while (queue_.Empty() && !cancel_.load() && !overflow_ && !lineLost_) {
        wakeSignal_ = false;
        if (!wake_.wait_for(lock, std::chrono::milliseconds(settings_.timeoutMs), [this] { return wakeSignal_; })) {
            lock.unlock();
            ErrorEvent(kErrorTimeout, true);
            lock.lock();
        }
    }
    CheckQueueState(lock);
    if (cancel_.load())
        return 0;
    std::uint8_t c = 0;
    queue_.Read({&c, 1});
    return c;
}

bool TVaProtocolThread::PeekChar(std::uint8_t& c) {
    std::lock_guard lock(queueLock_);
    return queue_.Peek({&c, 1}) == 1;
}

bool TVaProtocolThread::WaitForInput(int ms) {
    std::unique_lock lock(queueLock_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (queue_.Empty() && !cancel_.load() && !overflow_ && !lineLost_) {
        wakeSignal_ = false;
        if (!wake_.wait_until(lock, deadline, [this] { return wakeSignal_; }))
            break;
    }
    CheckQueueState(lock);
    return cancel_.load() || !queue_.Empty();
}

void TVaProtocolThread::ClearInput() {
    std::lock_guard lock(queueLock_);
    queue_.Clear();
}

void TVaProtocolThread::ErrorEvent(int code, bool sendCan) {
    const int count = ++errorCount_;
    errorCode_.store(code);
    if (count >= settings_.maxErrors) {
        if (sendCan)
            RemoteCan();
        SetExitCode(kExitTooManyErrors);
    }
    TVaProtocol* owner = &owner_;
    Synchronize([owner, code, count] {
        if (owner->OnError)
            owner->OnError(code, count);
    });
}

void TVaProtocolThread::SetExitCode(int code) { throw TransferEnd{code}; }

void TVaProtocolThread::Write(std::span<const std::uint8_t> bytes) { owner_.Dispatcher().WriteBuf(bytes); }

void TVaProtocolThread::Synchronize(std::function<void()> fn) {
    owner_.ui_.postAndWait(std::move(fn), owner_.destroying_);
}

// ---------------------------------------------------------------------------------------------
// TVaProtocol

TVaProtocol::TVaProtocol(UiDispatcher& ui) : ui_(ui) {}

TVaProtocol::~TVaProtocol() { StopWorker(); }

void TVaProtocol::StopWorker() {
    destroying_.store(true);
    if (worker_)
        worker_->RequestCancel();
    if (thread_.joinable())
        thread_.join();
    worker_.reset();
    alive_.reset();
    SetActive(false);
}

void TVaProtocol::Execute() {
    if (worker_)
        throw std::runtime_error("Transfer already in progress...");
    exitCode_ = 0;
    Dispatcher().PurgeReadWrite();
    SetActive(true);
    worker_ = CreateWorker();
    worker_->Initialize();
    if (OnTransferStart) {
        try {
            OnTransferStart();
        } catch (const std::exception& e) {
            ui_.showError(e.what());
        }
    }
    std::weak_ptr<int> alive = alive_;
    TVaProtocolThread* worker = worker_.get();
    thread_ = std::thread([this, worker, alive] {
        const int code = worker->Run();
        ui_.post([this, alive, code] {
            if (!alive.expired())
                WorkerEnded(code);
        });
    });
}

void TVaProtocol::WorkerEnded(int code) {
    SetActive(false);
    if (thread_.joinable())
        thread_.join();
    if (worker_)
        WorkerFinished(*worker_);
    worker_.reset();
    exitCode_ = code;
    if (OnTransferEnd) {
        try {
            OnTransferEnd(code);
        } catch (const std::exception& e) {
            ui_.showError(e.what());
        }
    }
}

void TVaProtocol::Cancel() {
    if (worker_)
        worker_->RequestCancel();
}

void TVaProtocol::DataArrived(std::span<const std::uint8_t> bytes) {
    if (worker_)
        worker_->Feed(bytes);
}

void TVaProtocol::LineEvent(TVaEvents events) {
    if (worker_ && (events & EventBit(ceHangup)))
        worker_->LineLost();
}

} // namespace cs::link
