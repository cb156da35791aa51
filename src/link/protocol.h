#pragma once
// TVaProtocol: a transfer protocol attached to a port, running one transfer at a time on its
// own worker thread (TVaProtocolThread). The worker does all protocol work; its input queue is
// fed on the UI thread by the port; its events run on the UI thread while it waits.
#include "link/comm.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace cs::link {

enum class TVaTransferMode { tmUpload, tmDownload };

// Exit codes (OnTransferEnd) and error codes (OnError).
constexpr int kExitOk = 0;
constexpr int kErrorTimeout = -1;          // no byte within Timeout (error event)
constexpr int kExitLinkFailure = -2;       // the device went away, or its output stayed blocked
constexpr int kExitCancelled = -3;         // cancelled locally
constexpr int kExitRemoteCancelled = -4;   // CAN received
constexpr int kExitProtocol = -5;          // unexpected byte, wrong block number, ...
constexpr int kExitFileRead = -7;
constexpr int kExitFileWrite = -8;
constexpr int kExitTooManyErrors = -9;     // error count reached MaxErrors
constexpr int kExitNoAnswer = -10;         // start requests went unanswered
constexpr int kExitFileCreate = -11;
constexpr int kExitFileOpen = -12;
constexpr int kExitOverflow = -14;         // input queue overflow
constexpr int kErrorBadCheck = -15;        // checksum or CRC wrong (error event)
constexpr int kErrorBadByte = -16;         // unusable start or end-of-file answer (error event)

// Bytes the worker's input queue holds at most.
constexpr std::size_t kInputQueueLimit = 4096;

class TVaProtocol;

class TVaProtocolThread {
public:
    struct Settings {
        TVaTransferMode mode = TVaTransferMode::tmUpload;
        int timeoutMs = 60000;
        int maxErrors = 10;
        std::size_t bufferSize = 4096;
    };

    TVaProtocolThread(TVaProtocol& owner, const Settings& settings);
    virtual ~TVaProtocolThread() = default;
    TVaProtocolThread(const TVaProtocolThread&) = delete;
    TVaProtocolThread& operator=(const TVaProtocolThread&) = delete;

    // Resets the queue, the error count and code and the cancel flag; called before the thread
    // starts, so that nothing the port delivers right after Execute is lost.
    virtual void Initialize();
    // The thread body: runs the transfer and returns its exit code.
    int Run();

    // From the UI thread.
    void Feed(std::span<const std::uint8_t> bytes);
    void RequestCancel();
    void LineLost();
    int ErrorCode() const { return errorCode_.load(); }
    int ErrorCount() const { return errorCount_.load(); }

protected:
    // Thrown by SetExitCode to unwind the worker; never leaves Run.
    struct TransferEnd {
        int code;
    };

    // Upload or Download by Mode.
    virtual void Execute();
    // Next byte of the input queue; 0 when cancelled (callers check Cancelled()).
    virtual int ReadChar();
    virtual void Upload() {}
    virtual void Download() {}
    virtual void RemoteCan() {}

    // Counts an error; ends with -9 (after CAN CAN when asked) when MaxErrors is reached,
    // otherwise reports it through OnError.
    void ErrorEvent(int code, bool sendCan);
    [[noreturn]] void SetExitCode(int code);
    bool Cancelled() const { return cancel_.load(); }

    // The first waiting byte without taking it; false when none waits.
    bool PeekChar(std::uint8_t& c);
    // Waits at most `ms` for any byte to wait in the queue; false on time-out. Ends the transfer
    // on overflow or a lost line; returns true when cancelled.
    bool WaitForInput(int ms);
    // Drops the bytes waiting in the input queue.
    void ClearInput();
    void Write(std::span<const std::uint8_t> bytes);
    void Write(std::uint8_t byte) { Write(std::span<const std::uint8_t>(&byte, 1)); }
    // Runs fn on the UI thread and waits for it.
    void Synchronize(std::function<void()> fn);

    TVaProtocol& owner_;
    const Settings settings_;

private:
    // Ends the transfer when the queue has overflowed or the line is gone (lock held).
    void CheckQueueState(std::unique_lock<std::mutex>& lock);

    std::mutex queueLock_;
    std::condition_variable wake_;
    bool wakeSignal_ = false;
    TVaCommBuffer queue_;
    bool overflow_ = false;
    bool lineLost_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<int> errorCount_{0};
    std::atomic<int> errorCode_{0};
};

class TVaProtocol : public TVaCommComponent {
public:
    explicit TVaProtocol(UiDispatcher& ui);
    ~TVaProtocol() override;

    TVaTransferMode Mode = TVaTransferMode::tmUpload;
    int Timeout = 60000;     // ms
    int MaxErrors = 10;
    int BufferSize = 4096;   // initial capacity of the input queue

    // Starts a transfer on the attached port (raises when one runs already).
    void Execute();
    // Asks the running transfer to stop; it ends with -3.
    void Cancel();
    bool GetIsActive() const { return worker_ != nullptr; }
    int GetErrorCode() const { return worker_ ? worker_->ErrorCode() : 0; }
    int GetErrorCount() const { return worker_ ? worker_->ErrorCount() : 0; }
    int ExitCode() const { return exitCode_; }

    std::function<void()> OnTransferStart;
    std::function<void(int exitCode)> OnTransferEnd;
    std::function<void(int errorCode, int errorCount)> OnError;

    UiDispatcher& Ui() const { return ui_; }

protected:
    virtual std::unique_ptr<TVaProtocolThread> CreateWorker() = 0;
    // Runs on the UI thread once the worker has ended, before OnTransferEnd.
    virtual void WorkerFinished(TVaProtocolThread& worker) {}
    // Stops a running worker and waits for it, without OnTransferEnd. Derived destructors call
    // it first, so the worker never outlives what it reports to.
    void StopWorker();

    void DataArrived(std::span<const std::uint8_t> bytes) override;
    void LineEvent(TVaEvents events) override;

private:
    friend class TVaProtocolThread;
    void WorkerEnded(int code);

    UiDispatcher& ui_;
    std::unique_ptr<TVaProtocolThread> worker_;
    std::thread thread_;
    int exitCode_ = 0;
    std::atomic<bool> destroying_{false};
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace cs::link
