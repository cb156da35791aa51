#pragma once
// TransferProtocol: a transfer protocol attached to a port, running one transfer at a time on its
// own worker thread (TransferWorker). The worker does all protocol work; its input queue is
// fed on the UI thread by the port; its events run on the UI thread while it waits.
#include "link/serial_port.h"

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

enum class TransferDirection { Upload, Download };

// How a transfer ended (onTransferEnd) and what went wrong on the way (onError). The values are
// the numbers the CLI prints after "exit code".
enum class TransferStatus : int {
    Ok = 0,
    Timeout = -1,           // no byte within timeoutMs (error event)
    LinkFailure = -2,       // the device went away, or its output stayed blocked
    Cancelled = -3,         // cancelled locally
    RemoteCancelled = -4,   // CAN received
    ProtocolError = -5,     // unexpected byte, wrong block number, ...
    FileReadFailed = -7,
    FileWriteFailed = -8,
    TooManyErrors = -9,     // error count reached maxErrors
    NoAnswer = -10,         // start requests went unanswered
    FileCreateFailed = -11,
    FileOpenFailed = -12,
    InputOverflow = -14,    // input queue overflow
    BadCheck = -15,         // checksum or CRC wrong (error event)
    BadByte = -16,          // unusable start or end-of-file answer (error event)
};
constexpr int statusCode(TransferStatus status) { return static_cast<int>(status); }

// Bytes the worker's input queue holds at most.
constexpr std::size_t kInputQueueLimit = 4096;

class TransferProtocol;

class TransferWorker {
public:
    struct Settings {
        TransferDirection direction = TransferDirection::Upload;
        int timeoutMs = 60000;
        int maxErrors = 10;
        std::size_t inputCapacity = 4096;
    };

    TransferWorker(TransferProtocol& owner, const Settings& settings);
    virtual ~TransferWorker() = default;
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Resets the queue, the error count and code and the cancel flag; called before the thread
    // starts, so that nothing the port delivers right after start is lost.
    virtual void reset();
    // The thread body: runs the transfer and returns how it ended.
    TransferStatus run();

    // From the UI thread.
    void feed(std::span<const std::uint8_t> bytes);
    void requestCancel();
    void markLineLost();
    TransferStatus lastError() const { return lastError_.load(); }
    int errorCount() const { return errorCount_.load(); }

protected:
    // Thrown by finish to unwind the worker; never leaves run.
    struct TransferEnd {
        TransferStatus status;
    };

    // Runs upload or download, by direction.
    virtual void execute();
    // What readByte returns instead of a byte. A 0x00 byte on the line is data like any other.
    static constexpr int kReadCancelled = -1;
    static constexpr int kReadTimedOut = -2;
    // Next byte of the input queue, or kReadCancelled. Each timeoutMs without a byte counts a
    // Timeout error; with `returnOnTimeout` the wait then ends with kReadTimedOut, otherwise it
    // goes on.
    virtual int readByte(bool returnOnTimeout = false);
    virtual void upload() {}
    virtual void download() {}
    virtual void sendCancel() {}

    // Counts an error; ends with TooManyErrors (after CAN CAN when asked) when maxErrors is
    // reached, otherwise reports it through onError.
    void reportError(TransferStatus error, bool sendCan);
    [[noreturn]] void finish(TransferStatus status);
    bool cancelled() const { return cancel_.load(); }

    // The first waiting byte without taking it; false when none waits.
    bool peekByte(std::uint8_t& c);
    // Waits at most `ms` for any byte to wait in the queue; false on time-out. Ends the transfer
    // on overflow or a lost line; returns true when cancelled.
    bool waitForInput(int ms);
    // Drops the bytes waiting in the input queue.
    void clearInput();
    // Waits at most `ms` for a byte, also when cancelled (the cancel itself waits for the
    // answer to the block on the line, so that the receiver does not flush it with its input).
    void waitForAnswerDespiteCancel(int ms);
    // Drops input until the line has been quiet for `quietMs` (at most `limitMs` in all): the
    // rest of a damaged block must not be read as the next one.
    void purgeUntilQuiet(int quietMs, int limitMs);
    void write(std::span<const std::uint8_t> bytes);
    void write(std::uint8_t byte) { write(std::span<const std::uint8_t>(&byte, 1)); }
    // Runs fn on the UI thread and waits for it.
    void runOnUiThread(std::function<void()> fn);

    TransferProtocol& owner_;
    const Settings settings_;

private:
    // Ends the transfer when the queue has overflowed or the line is gone (lock held).
    void checkQueueState(std::unique_lock<std::mutex>& lock);

    std::mutex queueLock_;
    std::condition_variable wake_;
    bool wakeSignal_ = false;
    ByteQueue queue_;
    bool overflow_ = false;
    bool lineLost_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<int> errorCount_{0};
    std::atomic<TransferStatus> lastError_{TransferStatus::Ok};
};

class TransferProtocol : public PortClient {
public:
    explicit TransferProtocol(UiDispatcher& ui);
    ~TransferProtocol() override;

    TransferDirection direction = TransferDirection::Upload;
    int timeoutMs = 60000;
    int maxErrors = 10;
    int inputCapacity = 4096;  // initial capacity of the input queue

    // Starts a transfer on the attached port (raises when one runs already).
    void start();
    // Asks the running transfer to stop; it ends with Cancelled.
    void cancel();
    bool isRunning() const { return worker_ != nullptr; }
    TransferStatus lastError() const { return worker_ ? worker_->lastError() : TransferStatus::Ok; }
    int errorCount() const { return worker_ ? worker_->errorCount() : 0; }
    TransferStatus lastStatus() const { return lastStatus_; }

    std::function<void()> onTransferStart;
    std::function<void(TransferStatus status)> onTransferEnd;
    std::function<void(TransferStatus error, int errorCount)> onError;

    UiDispatcher& ui() const { return ui_; }

protected:
    virtual std::unique_ptr<TransferWorker> createWorker() = 0;
    // Runs on the UI thread once the worker has ended, before onTransferEnd.
    virtual void workerFinished(TransferWorker& worker) {}
    // Stops a running worker and waits for it, without onTransferEnd. Derived destructors call
    // it first, so the worker never outlives what it reports to.
    void stopWorker();

    void dataArrived(std::span<const std::uint8_t> bytes) override;
    void lineEventsArrived(LineEvents events) override;

private:
    friend class TransferWorker;
    void workerEnded(TransferStatus status);

    UiDispatcher& ui_;
    std::unique_ptr<TransferWorker> worker_;
    std::thread thread_;
    TransferStatus lastStatus_ = TransferStatus::Ok;
    std::atomic<bool> destroying_{false};
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace cs::link
