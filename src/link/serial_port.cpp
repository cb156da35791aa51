#include "link/serial_port.h"

#include "common/log_sink.h"
#include "link/port_lock.h"
#include "link/tty_posix.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
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
            throw SerialPortError(cs::format("Error setting EventMask (%d), %s", errno, posix::errorText(errno).c_str()));
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

int bitsPerSecond(BaudRate rate) {
    switch (rate) {
    case BaudRate::Custom: return 0;
    case BaudRate::Bps110: return 110;
    case BaudRate::Bps300: return 300;
    case BaudRate::Bps600: return 600;
    case BaudRate::Bps1200: return 1200;
    case BaudRate::Bps2400: return 2400;
    case BaudRate::Bps4800: return 4800;
    case BaudRate::Bps9600: return 9600;
    case BaudRate::Bps14400: return 14400;
    case BaudRate::Bps19200: return 19200;
    case BaudRate::Bps38400: return 38400;
    case BaudRate::Bps56000: return 56000;
    case BaudRate::Bps57600: return 57600;
    case BaudRate::Bps115200: return 115200;
    case BaudRate::Bps128000: return 128000;
    case BaudRate::Bps256000: return 256000;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Event thread: waits for the device to have input or to go away, and has each event handled on
// the UI thread while it waits.

class PortEventThread {
public:
    PortEventThread(SerialPort& port, int fd, LineEvents mask) : port_(port), fd_(fd), mask_(mask) {
        thread_ = std::thread([this] { run(); });
    }
    ~PortEventThread() { stop(); }

    void stop() {
        stop_.store(true);
        wake_.signal();
        if (thread_.joinable())
            thread_.join();
    }

private:
    int waitingCount() const {
        int n = 0;
        posix::bytesWaiting(fd_, n);
        return n;
    }

    void run() {
        const bool watchRx = (mask_ & eventBit(LineEvent::DataReceived)) != 0;
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
            LineEvents events = 0;
            std::uint32_t errors = 0;
            if (!hungUp && (p[1].revents & POLLIN))
                events |= eventBit(LineEvent::DataReceived);
            if (unread >= 0) {
                const int now = waitingCount();
                if (now > unread)
                    events |= eventBit(LineEvent::DataReceived);
                else
                    unread = now > 0 ? now : -1;
            }
            if (!hungUp && (p[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
                // Reported once; the device is not watched any more, only the stop signal.
                hungUp = true;
                events |= eventBit(LineEvent::Error) | eventBit(LineEvent::HangUp);
                errors |= kLineErrorHangup;
            }
            if (events == 0)
                continue;
            port_.pendingErrors_.fetch_or(errors);
            SerialPort* port = &port_;
            const std::uint64_t readBefore = port_.bytesRead_.load();
            if (!port_.ui_.postAndWait([port, events] { port->dispatchEvents(events); }, stop_))
                break;
            // Bytes the handler left unread do not wake the thread again until more arrive,
            // as with a driver that signals each arrival once; bytes that came in while others
            // were being read are dispatched at once.
            unread = -1;
            if (watchRx && !hungUp && port_.bytesRead_.load() == readBefore) {
                const int left = waitingCount();
                unread = left > 0 ? left : -1;
            }
        }
    }

    SerialPort& port_;
    const int fd_;
    const LineEvents mask_;
    WakeFd wake_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// ---------------------------------------------------------------------------------------------
// Write thread: the only writer to the device, fed through a bounded buffer.

class PortWriteThread {
public:
    PortWriteThread(SerialPort& port, int fd, std::size_t limit)
        : port_(port), fd_(fd), limit_(limit), buffer_(limit) {
        block_.reserve(limit);
        thread_ = std::thread([this] { run(); });
    }
    ~PortWriteThread() { stop(); }

    void stop() {
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
    bool append(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout, bool& stopped) {
        std::unique_lock lock(lock_);
        const auto fits = [&] { return stop_ || buffer_.size() + bytes.size() <= limit_; };
        if (!cv_.wait_for(lock, timeout, fits))
            return false;
        stopped = stop_;
        if (stop_)
            return true;
        buffer_.append(bytes);
        data_ = true;
        lock.unlock();
        cv_.notify_all();
        return true;
    }

    void waitUntilEmpty(std::chrono::milliseconds timeout) {
        std::unique_lock lock(lock_);
        cv_.wait_for(lock, timeout, [this] { return stop_ || buffer_.empty(); });
    }

    std::size_t used() const {
        std::lock_guard lock(lock_);
        return buffer_.size();
    }

    // Stops the write in progress and drops the waiting bytes.
    void purge() {
        std::unique_lock lock(lock_);
        purgeRequest_ = true;
        purgeAck_ = false;
        cv_.notify_all();
        wake_.signal();
        if (cv_.wait_for(lock, kPurgeAckTimeout, [this] { return purgeAck_ || stop_; })) {
            buffer_.clear();
            data_ = false;
        }
        cv_.notify_all();
    }

private:
    void run() {
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
                    buffer_.clear();
                    data_ = false;
                    purgeAck_ = true;
                    cv_.notify_all();
                    continue;
                }
                auto waiting = buffer_.data();
                block_.assign(waiting.begin(), waiting.end());
            }
            int err = 0;
            const std::size_t written = writeBlock(err);
            bool empty = false;
            {
                std::lock_guard lock(lock_);
                if (err) {
                    // The device refuses output (hung up, removed): what waits can never go.
                    buffer_.clear();
                } else if (!purgeRequest_) {
                    buffer_.drop(written);
                }
                empty = buffer_.empty();
                if (empty)
                    data_ = false;
            }
            cv_.notify_all();
            if (err)
                port_.postEvents(eventBit(LineEvent::Error), kLineErrorIo);
            else if (empty && written > 0)
                port_.postEvents(eventBit(LineEvent::OutputEmpty), 0);
        }
    }

    bool interrupted() {
        std::lock_guard lock(lock_);
        return stop_ || purgeRequest_;
    }

    std::size_t writeBlock(int& err) {
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
            if (interrupted())
                return written;
            if (p[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                err = EIO;
                return written;
            }
        }
        return written;
    }

    SerialPort& port_;
    const int fd_;
    const std::size_t limit_;
    mutable std::mutex lock_;  // the write lock
    std::condition_variable cv_;
    ByteQueue buffer_;
    std::vector<std::uint8_t> block_;
    bool data_ = false;
    bool purgeRequest_ = false;
    bool purgeAck_ = false;
    bool stop_ = false;
    WakeFd wake_;
    std::thread thread_;
};

// ---------------------------------------------------------------------------------------------
// PortClientLink

PortClientLink::PortClientLink(DataFn onData, EventFn onEvent)
    : onData_(std::move(onData)), onEvent_(std::move(onEvent)) {}

void PortClientLink::dataArrived(std::span<const std::uint8_t> bytes) {
    if (active_.load() && onData_)
        onData_(bytes);
}

void PortClientLink::lineEventsArrived(LineEvents events) {
    if (active_.load() && onEvent_)
        onEvent_(events);
}

int PortClientLink::write(std::span<const std::uint8_t> bytes) {
    SerialPort* port = port_.load();
    return port ? port->write(bytes) : 0;
}

void PortClientLink::purgeInput() {
    if (SerialPort* port = port_.load())
        port->purgeInput();
}

void PortClientLink::purgeOutput() {
    if (SerialPort* port = port_.load())
        port->purgeOutput();
}

void PortClientLink::purgeInputAndOutput() {
    if (SerialPort* port = port_.load())
        port->purgeInputAndOutput();
}

// ---------------------------------------------------------------------------------------------
// SerialPort

SerialPort::SerialPort(UiDispatcher& ui) : ui_(ui) {}

SerialPort::~SerialPort() {
    destroying_ = true;
    closePauseMs_ = 0;
    close();
    for (PortClientLink* client : clients_)
        client->port_.store(nullptr);
    clients_.clear();
}

void SerialPort::setDeviceName(const std::string& name) {
    if (isOpen())
        throw SerialPortError("Can't perform this operation while port is open");
    deviceName_ = name;
}

void SerialPort::setBaudRate(BaudRate rate) {
    if (rate == baudRate_)
        return;
    baudRate_ = rate;
    if (rate != BaudRate::Custom)
        customBaudRate_ = 0;
    if (isOpen())
        applyLineSettings();
}

void SerialPort::setCustomBaudRate(int rate) {
    if (rate == customBaudRate_)
        return;
    customBaudRate_ = rate;
    baudRate_ = BaudRate::Custom;
    if (isOpen())
        applyLineSettings();
}

int SerialPort::effectiveBaudRate() const {
    return baudRate_ == BaudRate::Custom ? customBaudRate_ : bitsPerSecond(baudRate_);
}

void SerialPort::setParity(Parity p) {
    line_.parity = p;
    if (isOpen())
        applyLineSettings();
}

void SerialPort::setDataBits(DataBits d) {
    line_.dataBits = d;
    if (isOpen())
        applyLineSettings();
}

void SerialPort::setStopBits(StopBits s) {
    line_.stopBits = s;
    if (isOpen())
        applyLineSettings();
}

void SerialPort::setFlowControl(const FlowControl& f) {
    line_.flow = f;
    if (isOpen())
        applyLineSettings();
}

void SerialPort::setXonXoffChars(const XonXoffChars& c) {
    line_.xonXoff = c;
    if (isOpen())
        applyLineSettings();
}

void SerialPort::applyLineSettings() {
    const int rate = effectiveBaudRate();
    std::lock_guard lock(globalLock_);
    if (!fd_)
        return;
    if (int err = posix::applyLineSettings(fd_.get(), rate, line_))
        throw SerialPortError(cs::format("Error writing dcb (%d), %s", err, posix::errorText(err).c_str()));
}

void SerialPort::open() {
    if (isOpen())
        throw SerialPortError("Can't perform this operation while port is open");
    const std::string& name = deviceName_;
    const auto cannotOpen = [&name](int err) {
        return cs::format("Can't open specified device %s", name.c_str()) +
               cs::format(" (Error %d, %s)", err, posix::errorText(err).c_str());
    };
    std::error_code ec;
    if (!std::filesystem::exists(name, ec))
        throw SerialPortError(cs::format("Specified device not found (%s).", name.c_str()));
    // The lock file other serial programs respect; a terminal program that has the port open
    // without TIOCEXCL is seen here. Without a lock folder to write the port still opens: its own
    // exclusive mode keeps other programs out.
    auto deviceLock = std::make_unique<DeviceLock>(lockFolder_);
    PortHolder holder;
    lockResult_ = deviceLock->acquire(name, holder);
    if (lockResult_ == LockResult::Busy)
        throw SerialPortError(cannotOpen(EBUSY) + busyDeviceAdvice(holder));
    UniqueFd fd;
    if (int err = posix::openDevice(name, fd)) {
        if (err == ENOENT || err == ENODEV || err == ENXIO)
            throw SerialPortError(cs::format("Specified device not found (%s).", name.c_str()));
        if (err == EBUSY)
            throw SerialPortError(cannotOpen(err) + busyDeviceAdvice(findProcessUsing(name)));
        if (err == EACCES || err == EPERM)
            throw SerialPortError(cannotOpen(err) + noPermissionAdvice(name));
        throw SerialPortError(cannotOpen(err));
    }
    {
        std::lock_guard lock(globalLock_);
        fd_ = std::move(fd);
        deviceLock_ = std::move(deviceLock);
    }
    savedSerialFlags_ = posix::requestLowLatency(fd_.get());
    try {
        if (appliesLineSettings_)
            applyLineSettings();
        // Linux sizes a tty's queues itself; readSize bounds what one read takes.
        readChunk_.assign(static_cast<std::size_t>(std::max(buffers_.readSize, 1)), 0);
        ErrorCounters c;
        countersValid_ = posix::readErrorCounters(fd_.get(), c);
        counters_ = c;
        pendingErrors_.store(0);

        LineEvents mask = monitoredEvents_;
        if (!directWrite_)
            mask &= ~eventBit(LineEvent::OutputEmpty);  // the write thread reports it
        active_.store(true);
        if (!directWrite_) {
            auto writer = std::make_shared<PortWriteThread>(*this, fd_.get(),
                                                               static_cast<std::size_t>(std::max(buffers_.writeSize, 1)));
            std::lock_guard lock(writerLock_);
            writer_ = std::move(writer);
        }
        if (mask != 0)
            eventThread_ = std::make_unique<PortEventThread>(*this, fd_.get(), mask);
    } catch (...) {
        stopThreads();
        std::lock_guard lock(globalLock_);
        posix::restoreSerialFlags(fd_.get(), savedSerialFlags_);
        posix::releaseDevice(fd_.get());
        fd_.reset();
        deviceLock_.reset();
        active_.store(false);
        throw;
    }
    fire(onOpen);
}

void SerialPort::stopThreads() {
    if (eventThread_) {
        eventThread_->stop();
        eventThread_.reset();
    }
    std::shared_ptr<PortWriteThread> writer;
    {
        std::lock_guard lock(writerLock_);
        writer = std::move(writer_);
    }
    if (writer)
        writer->stop();
}

void SerialPort::close() {
    if (!isOpen())
        return;
    // What is still waiting for the write thread leaves first (within writeTimeoutMs): the last
    // answer of a transfer is written just before the port is closed.
    if (auto writer = writeThread())
        writer->waitUntilEmpty(std::chrono::milliseconds(buffers_.writeTimeoutMs));
    {
        std::lock_guard lock(globalLock_);
        active_.store(false);
        stopThreads();
        // ... and out of the driver: a CAN CAN written just before must reach the line.
        posix::waitUntilSent(fd_.get(), buffers_.writeTimeoutMs);
        posix::restoreSerialFlags(fd_.get(), savedSerialFlags_);
        posix::releaseDevice(fd_.get());
        fd_.reset();
        deviceLock_.reset();
    }
    if (!destroying_)
        fire(onClose);
    if (closePauseMs_ > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(closePauseMs_));
}

int SerialPort::read(std::span<std::uint8_t> buffer) {
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
        throw SerialPortError(cs::format("Read error (%d), %s", err, posix::errorText(err).c_str()));
    }
}

std::shared_ptr<PortWriteThread> SerialPort::writeThread() const {
    std::lock_guard lock(writerLock_);
    return writer_;
}

int SerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen())
        return 0;
    if (directWrite_)
        return writeDirect(bytes);
    auto writer = writeThread();
    if (!writer)
        return 0;
    bool stopped = false;
    if (!writer->append(bytes, std::chrono::milliseconds(buffers_.writeTimeoutMs), stopped))
        throw SerialPortError("Output buffer is full. Please check comm status.");
    return stopped ? 0 : static_cast<int>(bytes.size());
}

int SerialPort::writeDirect(std::span<const std::uint8_t> bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(buffers_.writeTimeoutMs);
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
            throw SerialPortError("Output buffer is full. Please check comm status.");
        pollfd p{fd_.get(), POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return static_cast<int>(written);
}

int SerialPort::writeText(std::string_view text) {
    return write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

int SerialPort::bytesWaitingToSend() const {
    auto writer = writeThread();
    return writer ? static_cast<int>(writer->used()) : 0;
}

int SerialPort::bytesAvailable() const {
    std::lock_guard lock(globalLock_);
    if (!fd_)
        return 0;
    int n = 0;
    posix::bytesWaiting(fd_.get(), n);
    return n;
}

void SerialPort::purge(bool input, bool output) {
    std::lock_guard lock(globalLock_);
    if (!fd_)
        return;
    if (output) {
        if (auto writer = writeThread())
            writer->purge();
    }
    if (int err = posix::purge(fd_.get(), input, output))
        throw SerialPortError(cs::format("Error clearing buffers (%d), %s", err, posix::errorText(err).c_str()));
}

void SerialPort::purgeInput() { purge(true, false); }
void SerialPort::purgeOutput() { purge(false, true); }
void SerialPort::purgeInputAndOutput() { purge(true, true); }

void SerialPort::addClient(PortClientLink* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void SerialPort::removeClient(PortClientLink* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void SerialPort::fire(const std::function<void()>& handler) {
    if (!handler)
        return;
    try {
        handler();
    } catch (const std::exception& e) {
        ui_.showError(e.what());
    }
}

void SerialPort::postEvents(LineEvents events, std::uint32_t errors) {
    pendingErrors_.fetch_or(errors);
    std::weak_ptr<int> alive = alive_;
    ui_.post([this, alive, events] {
        if (!alive.expired())
            dispatchEvents(events);
    });
}

void SerialPort::collectLineErrors(LineEvents& events) {
    if (!countersValid_)
        return;
    ErrorCounters c;
    {
        std::lock_guard lock(globalLock_);
        if (!fd_ || !posix::readErrorCounters(fd_.get(), c))
            return;
    }
    std::uint32_t errors = 0;
    if (c.frame != counters_.frame) errors |= kLineErrorFrame;
    if (c.overrun != counters_.overrun) errors |= kLineErrorOverrun;
    if (c.parity != counters_.parity) errors |= kLineErrorParity;
    if (c.bufOverrun != counters_.bufOverrun) errors |= kLineErrorInputOverflow;
    if (c.brk != counters_.brk) {
        errors |= kLineErrorBreak;
        events |= eventBit(LineEvent::Break);
    }
    counters_ = c;
    if (errors) {
        pendingErrors_.fetch_or(errors);
        events |= eventBit(LineEvent::Error);
    }
}

void SerialPort::dispatchEvents(LineEvents events) {
    if (!eventsEnabled_ || !isOpen())
        return;
    if (events & eventBit(LineEvent::DataReceived)) {
        events &= ~eventBit(LineEvent::DataReceived);
        collectLineErrors(events);
        int n = bytesAvailable();
        if (n > 0) {
            if (!clients_.empty()) {
                while (n > 0 && isOpen()) {
                    const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(n), readChunk_.size());
                    const int got = read({readChunk_.data(), want});
                    if (got <= 0)
                        break;
                    n -= got;
                    const std::span<const std::uint8_t> bytes(readChunk_.data(), static_cast<std::size_t>(got));
                    for (std::size_t i = 0; i < clients_.size(); ++i)
                        clients_[i]->dataArrived(bytes);
                }
            } else if (onDataReceived) {
                try {
                    onDataReceived(n);
                } catch (const std::exception& e) {
                    ui_.showError(e.what());
                }
            }
        }
    }
    if (events == 0)
        return;
    if (events & eventBit(LineEvent::Error)) {
        const std::uint32_t errors = pendingErrors_.exchange(0);
        if (errors && onLineError) {
            try {
                onLineError(errors);
            } catch (const std::exception& e) {
                ui_.showError(e.what());
            }
        }
    }
    for (std::size_t i = 0; i < clients_.size(); ++i)
        clients_[i]->lineEventsArrived(events);
    if (events & eventBit(LineEvent::Break))
        fire(onBreak);
}

// ---------------------------------------------------------------------------------------------
// PortClient

PortClient::PortClient()
    : link_([this](std::span<const std::uint8_t> bytes) { dataArrived(bytes); },
                  [this](LineEvents events) { lineEventsArrived(events); }) {}

PortClient::~PortClient() { attachTo(nullptr); }

void PortClient::attachTo(SerialPort* port) {
    if (SerialPort* old = link_.port_.load())
        old->removeClient(&link_);
    link_.port_.store(port);
    if (port)
        port->addClient(&link_);
}

} // namespace cs::link
