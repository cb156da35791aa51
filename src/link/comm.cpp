#include "link/comm.h"

#include "common/log_sink.h"
#include "link/comm_posix.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <thread>

namespace cs::link {

namespace {

constexpr auto kPurgeAckTimeout = std::chrono::milliseconds(2000);
// While bytes nobody read are waiting, the event thread looks for new ones this often.
constexpr int kUnreadRecheckMs = 20;

// A wake-up signal a thread can poll() on next to its device.
class WakeFd {
public:
    WakeFd() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
        if (!fd_)
            throw EVaCommError(cs::format("Error setting EventMask (%d), %s", errno, posix::errorText(errno).c_str()));
    }
    int get() const { return fd_.get(); }
    void signal() {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(fd_.get(), &one, sizeof one);
    }
    void drain() {
        std::uint64_t v = 0;
        [[maybe_unused]] auto n = ::read(fd_.get(), &v, sizeof v);
    }

private:
    UniqueFd fd_;
};

} // namespace

int BaudrateValue(TVaBaudrate rate) {
    switch (rate) {
    case TVaBaudrate::brUser: return 0;
    case TVaBaudrate::br110: return 110;
    case TVaBaudrate::br300: return 300;
    case TVaBaudrate::br600: return 600;
    case TVaBaudrate::br1200: return 1200;
    case TVaBaudrate::br2400: return 2400;
    case TVaBaudrate::br4800: return 4800;
    case TVaBaudrate::br9600: return 9600;
    case TVaBaudrate::br14400: return 14400;
    case TVaBaudrate::br19200: return 19200;
    case TVaBaudrate::br38400: return 38400;
    case TVaBaudrate::br56000: return 56000;
    case TVaBaudrate::br57600: return 57600;
    case TVaBaudrate::br115200: return 115200;
    case TVaBaudrate::br128000: return 128000;
    case TVaBaudrate::br256000: return 256000;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Event thread: waits for the device to have input or to go away, and has each event handled on
// the UI thread while it waits.

class TVaCommEventThread {
public:
    TVaCommEventThread(TVaCustomComm& comm, int fd, TVaEvents mask) : comm_(comm), fd_(fd), mask_(mask) {
        thread_ = std::thread([this] { Run(); });
    }
    ~TVaCommEventThread() { Stop(); }

    void Stop() {
        stop_.store(true);
        wake_.signal();
        if (thread_.joinable())
            thread_.join();
    }

private:
    int Waiting() const {
        int n = 0;
        posix::bytesWaiting(fd_, n);
        return n;
    }

    void Run() {
        const bool watchRx = (mask_ & EventBit(ceRxChar)) != 0;
        bool hungUp = false;
        int unread = -1;  // bytes left unread after the last dispatch, -1 when none
        while (!stop_.load()) {
            std::array<pollfd, 2> p{};
            p[0] = {wake_.get(), POLLIN, 0};
            p[1] = {fd_, static_cast<short>(watchRx && unread < 0 ? POLLIN : 0), 0};
            const int timeout = unread >= 0 ? kUnreadRecheckMs : -1;
            const int r = ::poll(p.data(), hungUp ? 1 : 2, timeout);
            if (r < 0 && errno != EINTR)
                break;
            if (p[0].revents)
                wake_.drain();
            if (stop_.load())
                break;
            TVaEvents events = 0;
            std::uint32_t errors = 0;
            if (!hungUp && (p[1].revents & POLLIN))
                events |= EventBit(ceRxChar);
            if (unread >= 0) {
                const int now = Waiting();
                if (now > unread)
                    events |= EventBit(ceRxChar);
                else
                    unread = now > 0 ? now : -1;
            }
            if (!hungUp && (p[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
                // Reported once; the device is not watched any more, only the stop signal.
                hungUp = true;
                events |= EventBit(ceError) | EventBit(ceHangup);
                errors |= kLineErrorHangup;
            }
            if (events == 0)
                continue;
            comm_.pendingErrors_.fetch_or(errors);
            TVaCustomComm* comm = &comm_;
            const std::uint64_t readBefore = comm_.bytesRead_.load();
            if (!comm_.ui_.postAndWait([comm, events] { comm->DispatchEvents(events); }, stop_))
                break;
            // Bytes the handler left unread do not wake the thread again until more arrive,
            // as with a driver that signals each arrival once; bytes that came in while others
            // were being read are dispatched at once.
            unread = -1;
            if (watchRx && !hungUp && comm_.bytesRead_.load() == readBefore) {
                const int left = Waiting();
                unread = left > 0 ? left : -1;
            }
        }
    }

    TVaCustomComm& comm_;
    const int fd_;
    const TVaEvents mask_;
    WakeFd wake_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// ---------------------------------------------------------------------------------------------
// Write thread: the only writer to the device, fed through a bounded buffer.

class TVaCommWriteThread {
public:
    TVaCommWriteThread(TVaCustomComm& comm, int fd, std::size_t limit)
        : comm_(comm), fd_(fd), limit_(limit), buffer_(limit) {
        block_.reserve(limit);
        thread_ = std::thread([this] { Run(); });
    }
    ~TVaCommWriteThread() { Stop(); }

    void Stop() {
        {
            std::lock_guard lock(lock_);
            stop_ = true;
        }
        cv_.notify_all();
        wake_.signal();
        if (thread_.joinable())
            thread_.join();
    }

    // Appends the bytes once there is room for them; false when the room did not come within
    // `timeout`. Returns true without writing once the thread has been stopped.
    bool Append(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout, bool& stopped) {
        std::unique_lock lock(lock_);
        const auto fits = [&] { return stop_ || buffer_.Size() + bytes.size() <= limit_; };
        if (!cv_.wait_for(lock, timeout, fits))
            return false;
        stopped = stop_;
        if (stop_)
            return true;
        buffer_.Write(bytes);
        data_ = true;
        lock.unlock();
        cv_.notify_all();
        return true;
    }

    void WaitUntilEmpty(std::chrono::milliseconds timeout) {
        std::unique_lock lock(lock_);
        cv_.wait_for(lock, timeout, [this] { return stop_ || buffer_.Empty(); });
    }

    std::size_t Used() const {
        std::lock_guard lock(lock_);
        return buffer_.Size();
    }

    // Stops the write in progress and drops the waiting bytes.
    void Purge() {
        std::unique_lock lock(lock_);
        purgeRequest_ = true;
        purgeAck_ = false;
        cv_.notify_all();
        wake_.signal();
        if (cv_.wait_for(lock, kPurgeAckTimeout, [this] { return purgeAck_ || stop_; })) {
            buffer_.Clear();
            data_ = false;
        }
        cv_.notify_all();
    }

private:
    void Run() {
        for (;;) {
            {
                std::unique_lock lock(lock_);
                cv_.wait(lock, [this] { return stop_ || purgeRequest_ || data_; });
                if (stop_)
                    return;
                if (purgeRequest_) {
                    // Drop the waiting bytes here, under the write lock: a block that was already
                    // written but not yet removed when the purge came must not be written again.
                    purgeRequest_ = false;
                    buffer_.Clear();
                    data_ = false;
                    purgeAck_ = true;
                    cv_.notify_all();
                    continue;
                }
                auto waiting = buffer_.Data();
                block_.assign(waiting.begin(), waiting.end());
            }
            int err = 0;
            const std::size_t written = WriteBlock(err);
            bool empty = false;
            {
                std::lock_guard lock(lock_);
                if (err) {
                    // The device refuses output (hung up, removed): what waits can never go.
                    buffer_.Clear();
                } else if (!purgeRequest_) {
                    buffer_.Remove(written);
                }
                empty = buffer_.Empty();
                if (empty)
                    data_ = false;
            }
            cv_.notify_all();
            if (err)
                comm_.PostEvents(EventBit(ceError), kLineErrorIo);
            else if (empty && written > 0)
                comm_.PostEvents(EventBit(ceTxEmpty), 0);
        }
    }

    bool Interrupted() {
        std::lock_guard lock(lock_);
        return stop_ || purgeRequest_;
    }

    std::size_t WriteBlock(int& err) {
        std::size_t written = 0;
        while (written < block_.size()) {
            const ssize_t w = ::write(fd_, block_.data() + written, block_.size() - written);
            if (w > 0) {
                written += static_cast<std::size_t>(w);
                continue;
            }
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0 && errno != EAGAIN) {
                err = errno;
                return written;
            }
            std::array<pollfd, 2> p{};
            p[0] = {wake_.get(), POLLIN, 0};
            p[1] = {fd_, POLLOUT, 0};
            if (::poll(p.data(), p.size(), -1) < 0 && errno != EINTR) {
                err = errno;
                return written;
            }
            if (p[0].revents)
                wake_.drain();
            if (Interrupted())
                return written;
            if (p[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                err = EIO;
                return written;
            }
        }
        return written;
    }

    TVaCustomComm& comm_;
    const int fd_;
    const std::size_t limit_;
    mutable std::mutex lock_;  // the write lock
    std::condition_variable cv_;
    TVaCommBuffer buffer_;
    std::vector<std::uint8_t> block_;
    bool data_ = false;
    bool purgeRequest_ = false;
    bool purgeAck_ = false;
    bool stop_ = false;
    WakeFd wake_;
    std::thread thread_;
};

// ---------------------------------------------------------------------------------------------
// TVaDispatcher

TVaDispatcher::TVaDispatcher(DataFn onData, EventFn onEvent)
    : onData_(std::move(onData)), onEvent_(std::move(onEvent)) {}

void TVaDispatcher::DataArrived(std::span<const std::uint8_t> bytes) {
    if (active_.load() && onData_)
        onData_(bytes);
}

void TVaDispatcher::LineEvent(TVaEvents events) {
    if (active_.load() && onEvent_)
        onEvent_(events);
}

int TVaDispatcher::WriteBuf(std::span<const std::uint8_t> bytes) {
    TVaCustomComm* comm = comm_.load();
    return comm ? comm->WriteBuf(bytes) : 0;
}

void TVaDispatcher::PurgeRead() {
    if (TVaCustomComm* comm = comm_.load())
        comm->PurgeRead();
}

void TVaDispatcher::PurgeWrite() {
    if (TVaCustomComm* comm = comm_.load())
        comm->PurgeWrite();
}

void TVaDispatcher::PurgeReadWrite() {
    if (TVaCustomComm* comm = comm_.load())
        comm->PurgeReadWrite();
}

// ---------------------------------------------------------------------------------------------
// TVaCustomComm

TVaCustomComm::TVaCustomComm(UiDispatcher& ui) : ui_(ui) {}

TVaCustomComm::~TVaCustomComm() {
    destroying_ = true;
    closePauseMs_ = 0;
    Close();
    for (TVaDispatcher* client : clients_)
        client->comm_.store(nullptr);
    clients_.clear();
}

void TVaCustomComm::SetDeviceName(const std::string& name) {
    if (Active())
        throw EVaCommError("Can't perform this operation while port is open");
    deviceName_ = name;
}

std::string TVaCustomComm::EffectiveDeviceName() const {
    std::string name = deviceName_;
    const auto at = name.find("%d");
    if (at != std::string::npos)
        name.replace(at, 2, std::to_string(portNum_));
    return name;
}

void TVaCustomComm::SetBaudrate(TVaBaudrate rate) {
    if (rate == baudrate_)
        return;
    baudrate_ = rate;
    if (rate != TVaBaudrate::brUser)
        userBaudrate_ = 0;
    if (Active())
        ApplyLineSettings();
}

void TVaCustomComm::SetUserBaudrate(int bitsPerSecond) {
    if (bitsPerSecond == userBaudrate_)
        return;
    userBaudrate_ = bitsPerSecond;
    baudrate_ = TVaBaudrate::brUser;
    if (Active())
        ApplyLineSettings();
}

int TVaCustomComm::EffectiveBaudrate() const {
    return baudrate_ == TVaBaudrate::brUser ? userBaudrate_ : BaudrateValue(baudrate_);
}

void TVaCustomComm::SetParity(TVaParity p) {
    parity_ = p;
    if (Active())
        ApplyLineSettings();
}

void TVaCustomComm::SetDatabits(TVaDatabits d) {
    databits_ = d;
    if (Active())
        ApplyLineSettings();
}

void TVaCustomComm::SetStopbits(TVaStopbits s) {
    stopbits_ = s;
    if (Active())
        ApplyLineSettings();
}

void TVaCustomComm::SetFlowControl(const TVaFlowControl& f) {
    flow_ = f;
    if (Active())
        ApplyLineSettings();
}

void TVaCustomComm::SetEventChars(const TVaEventChars& c) {
    eventChars_ = c;
    if (Active())
        ApplyLineSettings();
}

void TVaCustomComm::ApplyLineSettings() {
    posix::LineSettings s;
    s.rate = EffectiveBaudrate();
    s.parity = parity_;
    s.databits = databits_;
    s.stopbits = stopbits_;
    s.flow = flow_;
    s.chars = eventChars_;
    std::lock_guard lock(globalLock_);
    if (!fd_)
        return;
    if (int err = posix::applyLineSettings(fd_.get(), s))
        throw EVaCommError(cs::format("Error writing dcb (%d), %s", err, posix::errorText(err).c_str()));
}

void TVaCustomComm::Open() {
    if (Active())
        throw EVaCommError("Can't perform this operation while port is open");
    const std::string name = EffectiveDeviceName();
    UniqueFd fd;
    if (int err = posix::openDevice(name, fd)) {
        if (err == ENOENT || err == ENODEV || err == ENXIO)
            throw EVaCommError(cs::format("Specified device not found (%s).", name.c_str()));
        throw EVaCommError(cs::format("Can't open specified device %s", name.c_str()) +
                           cs::format(" (Error %d, %s)", err, posix::errorText(err).c_str()));
    }
    {
        std::lock_guard lock(globalLock_);
        fd_ = std::move(fd);
    }
    try {
        if (updateLineSettings_)
            ApplyLineSettings();
        // Linux sizes a tty's queues itself; ReadSize bounds what one read takes.
        readChunk_.assign(static_cast<std::size_t>(std::max(buffers_.ReadSize, 1)), 0);
        posix::ErrorCounters c;
        counters_.valid = posix::readErrorCounters(fd_.get(), c);
        counters_.frame = c.frame;
        counters_.overrun = c.overrun;
        counters_.parity = c.parity;
        counters_.brk = c.brk;
        counters_.bufOverrun = c.bufOverrun;
        pendingErrors_.store(0);

        TVaEvents mask = monitorEvents_;
        if (!directWrite_)
            mask &= ~EventBit(ceTxEmpty);  // the write thread reports it
        active_.store(true);
        if (!directWrite_) {
            auto writer = std::make_shared<TVaCommWriteThread>(*this, fd_.get(),
                                                               static_cast<std::size_t>(std::max(buffers_.WriteSize, 1)));
            std::lock_guard lock(writerLock_);
            writer_ = std::move(writer);
        }
        if (mask != 0)
            eventThread_ = std::make_unique<TVaCommEventThread>(*this, fd_.get(), mask);
    } catch (...) {
        StopThreads();
        std::lock_guard lock(globalLock_);
        posix::releaseDevice(fd_.get());
        fd_.reset();
        active_.store(false);
        throw;
    }
    Fire(OnOpen);
}

void TVaCustomComm::StopThreads() {
    if (eventThread_) {
        eventThread_->Stop();
        eventThread_.reset();
    }
    std::shared_ptr<TVaCommWriteThread> writer;
    {
        std::lock_guard lock(writerLock_);
        writer = std::move(writer_);
    }
    if (writer)
        writer->Stop();
}

void TVaCustomComm::Close() {
    if (!Active())
        return;
    // What is still waiting for the write thread leaves first (within WriteTimeout): the last
    // answer of a transfer is written just before the port is closed.
    if (auto writer = Writer())
        writer->WaitUntilEmpty(std::chrono::milliseconds(buffers_.WriteTimeout));
    {
        std::lock_guard lock(globalLock_);
        active_.store(false);
        StopThreads();
        posix::releaseDevice(fd_.get());
        fd_.reset();
    }
    if (!destroying_)
        Fire(OnClose);
    if (closePauseMs_ > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(closePauseMs_));
}

int TVaCustomComm::ReadBuf(std::span<std::uint8_t> buffer) {
    std::lock_guard lock(globalLock_);
    if (!fd_ || buffer.empty())
        return 0;
    for (;;) {
        const ssize_t n = ::read(fd_.get(), buffer.data(), buffer.size());
        if (n >= 0) {
            bytesRead_.fetch_add(static_cast<std::uint64_t>(n));
            return static_cast<int>(n);
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        const int err = errno;
        throw EVaCommError(cs::format("Read error (%d), %s", err, posix::errorText(err).c_str()));
    }
}

std::shared_ptr<TVaCommWriteThread> TVaCustomComm::Writer() const {
    std::lock_guard lock(writerLock_);
    return writer_;
}

int TVaCustomComm::WriteBuf(std::span<const std::uint8_t> bytes) {
    if (!Active())
        return 0;
    if (directWrite_)
        return DirectWriteBuf(bytes);
    auto writer = Writer();
    if (!writer)
        return 0;
    bool stopped = false;
    if (!writer->Append(bytes, std::chrono::milliseconds(buffers_.WriteTimeout), stopped))
        throw EVaCommError("Output buffer is full. Please check comm status.");
    return stopped ? 0 : static_cast<int>(bytes.size());
}

int TVaCustomComm::DirectWriteBuf(std::span<const std::uint8_t> bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(buffers_.WriteTimeout);
    std::size_t written = 0;
    std::lock_guard lock(globalLock_);
    while (fd_ && written < bytes.size()) {
        const ssize_t w = ::write(fd_.get(), bytes.data() + written, bytes.size() - written);
        if (w > 0) {
            written += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw EVaCommError("Output buffer is full. Please check comm status.");
        pollfd p{fd_.get(), POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return static_cast<int>(written);
}

int TVaCustomComm::WriteText(std::string_view text) {
    return WriteBuf({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

int TVaCustomComm::WriteBufUsed() const {
    auto writer = Writer();
    return writer ? static_cast<int>(writer->Used()) : 0;
}

int TVaCustomComm::InQueCount() const {
    std::lock_guard lock(globalLock_);
    if (!fd_)
        return 0;
    int n = 0;
    posix::bytesWaiting(fd_.get(), n);
    return n;
}

void TVaCustomComm::Purge(bool input, bool output) {
    std::lock_guard lock(globalLock_);
    if (!fd_)
        return;
    if (output) {
        if (auto writer = Writer())
            writer->Purge();
    }
    if (int err = posix::purge(fd_.get(), input, output))
        throw EVaCommError(cs::format("Error clearing buffers (%d), %s", err, posix::errorText(err).c_str()));
}

void TVaCustomComm::PurgeRead() { Purge(true, false); }
void TVaCustomComm::PurgeWrite() { Purge(false, true); }
void TVaCustomComm::PurgeReadWrite() { Purge(true, true); }

void TVaCustomComm::AddClient(TVaDispatcher* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void TVaCustomComm::RemoveClient(TVaDispatcher* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TVaCustomComm::Fire(const std::function<void()>& handler) {
    if (!handler)
        return;
    try {
        handler();
    } catch (const std::exception& e) {
        ui_.showError(e.what());
    }
}

void TVaCustomComm::PostEvents(TVaEvents events, std::uint32_t errors) {
    pendingErrors_.fetch_or(errors);
    std::weak_ptr<int> alive = alive_;
    ui_.post([this, alive, events] {
        if (!alive.expired())
            DispatchEvents(events);
    });
}

void TVaCustomComm::CollectLineErrors(TVaEvents& events) {
    if (!counters_.valid)
        return;
    posix::ErrorCounters c;
    {
        std::lock_guard lock(globalLock_);
        if (!fd_ || !posix::readErrorCounters(fd_.get(), c))
            return;
    }
    std::uint32_t errors = 0;
    if (c.frame != counters_.frame) errors |= kLineErrorFrame;
    if (c.overrun != counters_.overrun) errors |= kLineErrorOverrun;
    if (c.parity != counters_.parity) errors |= kLineErrorParity;
    if (c.bufOverrun != counters_.bufOverrun) errors |= kLineErrorRxOver;
    if (c.brk != counters_.brk) {
        errors |= kLineErrorBreak;
        events |= EventBit(ceBreak);
    }
    counters_ = {true, c.frame, c.overrun, c.parity, c.brk, c.bufOverrun};
    if (errors) {
        pendingErrors_.fetch_or(errors);
        events |= EventBit(ceError);
    }
}

void TVaCustomComm::DispatchEvents(TVaEvents events) {
    if (!eventsEnabled_ || !Active())
        return;
    if (events & EventBit(ceRxChar)) {
        events &= ~EventBit(ceRxChar);
        CollectLineErrors(events);
        int n = InQueCount();
        if (n > 0) {
            if (!clients_.empty()) {
                while (n > 0 && Active()) {
                    const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(n), readChunk_.size());
                    const int got = ReadBuf({readChunk_.data(), want});
                    if (got <= 0)
                        break;
                    n -= got;
                    const std::span<const std::uint8_t> bytes(readChunk_.data(), static_cast<std::size_t>(got));
                    for (std::size_t i = 0; i < clients_.size(); ++i)
                        clients_[i]->DataArrived(bytes);
                }
            } else if (OnRxChar) {
                try {
                    OnRxChar(n);
                } catch (const std::exception& e) {
                    ui_.showError(e.what());
                }
            }
        }
    }
    if (events == 0)
        return;
    if (events & EventBit(ceError)) {
        const std::uint32_t errors = pendingErrors_.exchange(0);
        if (errors && OnError) {
            try {
                OnError(errors);
            } catch (const std::exception& e) {
                ui_.showError(e.what());
            }
        }
    }
    for (std::size_t i = 0; i < clients_.size(); ++i)
        clients_[i]->LineEvent(events);
    if (events & EventBit(ceBreak))
        Fire(OnBreak);
}

// ---------------------------------------------------------------------------------------------
// TVaCommComponent

TVaCommComponent::TVaCommComponent()
    : dispatcher_([this](std::span<const std::uint8_t> bytes) { DataArrived(bytes); },
                  [this](TVaEvents events) { LineEvent(events); }) {}

TVaCommComponent::~TVaCommComponent() { SetComm(nullptr); }

void TVaCommComponent::SetComm(TVaCustomComm* comm) {
    if (TVaCustomComm* old = dispatcher_.comm_.load())
        old->RemoveClient(&dispatcher_);
    dispatcher_.comm_.store(comm);
    if (comm)
        comm->AddClient(&dispatcher_);
}

} // namespace cs::link
