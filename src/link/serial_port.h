#pragma once
// Serial port layer: SerialPort, the link PortClientLink between a port and one client, and the
// base PortClient of protocol engines that take over a port's incoming bytes.
//
// Threads: the UI thread owns the port (settings, open, close, every event). While open, an
// event thread waits for line events with poll() and has each one dispatched on the UI thread
// while it waits; a write thread is the only writer to the device and is fed through a bounded
// buffer. Protocol workers write and purge from their own threads.
#include "link/byte_queue.h"
#include "link/port_lock.h"
#include "link/ui_dispatcher.h"
#include "link/unique_fd.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cs::link {

// The one exception of the link: raised by the port layer with a user-readable text.
class SerialPortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class BaudRate {
    Custom, Bps110, Bps300, Bps600, Bps1200, Bps2400, Bps4800, Bps9600, Bps14400, Bps19200, Bps38400,
    Bps56000, Bps57600, Bps115200, Bps128000, Bps256000,
};
// Bits per second of a rate; 0 for Custom (the port's customBaudRate).
int bitsPerSecond(BaudRate rate);

enum class Parity { None, Odd, Even, Mark, Space };
enum class DataBits { Four, Five, Six, Seven, Eight };
enum class StopBits { One, OneAndHalf, Two };
enum class DtrControl { Disabled, Enabled, Handshake };
enum class RtsControl { Disabled, Enabled, Handshake, Toggle };

struct FlowControl {
    bool ctsOutputFlow = false;
    bool dsrOutputFlow = false;
    DtrControl dtr = DtrControl::Disabled;
    RtsControl rts = RtsControl::Disabled;
    bool xonXoffOutput = false;
    bool xonXoffInput = false;
    bool dsrSensitivity = false;
};

struct BufferSettings {
    int readSize = 4096;        // bytes taken from the device per read
    int writeSize = 2048;       // limit of the write thread's buffer
    int writeTimeoutMs = 1000;  // longest wait for room in the write buffer
};

struct XonXoffChars {
    std::uint8_t xon = 17;
    std::uint8_t xoff = 19;
};

// Frame and flow settings of a line; the rate is kept apart (a listed rate or a custom one).
struct LineSettings {
    Parity parity = Parity::None;
    DataBits dataBits = DataBits::Eight;
    StopBits stopBits = StopBits::One;
    FlowControl flow;
    XonXoffChars xonXoff;
};

// Line events, each a bit of LineEvents. HangUp: the device went away (USB adapter unplugged,
// pseudo-terminal closed by its other side).
enum class LineEvent : unsigned { Break, Error, DataReceived, OutputEmpty, HangUp };
using LineEvents = std::uint32_t;
constexpr LineEvents eventBit(LineEvent e) { return LineEvents{1} << static_cast<unsigned>(e); }

// The driver's running counts of line errors; a change between two reads is a new error.
struct ErrorCounters {
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

// Line-error flags given to onLineError.
constexpr std::uint32_t kLineErrorInputOverflow = 0x0001;  // the driver's input buffer overflowed
constexpr std::uint32_t kLineErrorOverrun = 0x0002;        // hardware overrun
constexpr std::uint32_t kLineErrorParity = 0x0004;
constexpr std::uint32_t kLineErrorFrame = 0x0008;
constexpr std::uint32_t kLineErrorBreak = 0x0010;
constexpr std::uint32_t kLineErrorIo = 0x0400;             // a write to the device failed
constexpr std::uint32_t kLineErrorHangup = 0x8000;         // the device went away

class SerialPort;

// Links one client to one port. Inactive, it drops what it is given; detached, its write and
// purge requests do nothing.
class PortClientLink {
public:
    using DataFn = std::function<void(std::span<const std::uint8_t>)>;
    using EventFn = std::function<void(LineEvents)>;

    PortClientLink(DataFn onData, EventFn onEvent);

    SerialPort* port() const { return port_.load(); }
    bool isActive() const { return active_.load(); }
    void setActive(bool active) { active_.store(active); }

    void dataArrived(std::span<const std::uint8_t> bytes);
    void lineEventsArrived(LineEvents events);

    int write(std::span<const std::uint8_t> bytes);
    void purgeInput();
    void purgeOutput();
    void purgeInputAndOutput();

private:
    friend class SerialPort;
    friend class PortClient;

    DataFn onData_;
    EventFn onEvent_;
    std::atomic<SerialPort*> port_{nullptr};
    std::atomic<bool> active_{false};
};

class PortEventThread;
class PortWriteThread;

class SerialPort {
public:
    explicit SerialPort(UiDispatcher& ui);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Settings (UI thread). Changing the line settings of an open port applies them at once.
    const std::string& deviceName() const { return deviceName_; }
    void setDeviceName(const std::string& name);

    BaudRate baudRate() const { return baudRate_; }
    void setBaudRate(BaudRate rate);
    int customBaudRate() const { return customBaudRate_; }
    void setCustomBaudRate(int rate);
    // The rate in bit/s the port is set to.
    int effectiveBaudRate() const;

    Parity parity() const { return line_.parity; }
    void setParity(Parity p);
    DataBits dataBits() const { return line_.dataBits; }
    void setDataBits(DataBits d);
    StopBits stopBits() const { return line_.stopBits; }
    void setStopBits(StopBits s);
    const FlowControl& flowControl() const { return line_.flow; }
    void setFlowControl(const FlowControl& f);
    const XonXoffChars& xonXoffChars() const { return line_.xonXoff; }
    void setXonXoffChars(const XonXoffChars& c);
    const BufferSettings& buffers() const { return buffers_; }
    void setBuffers(const BufferSettings& b) { buffers_ = b; }
    LineEvents monitoredEvents() const { return monitoredEvents_; }
    void setMonitoredEvents(LineEvents events) { monitoredEvents_ = events; }
    bool directWrite() const { return directWrite_; }
    void setDirectWrite(bool on) { directWrite_ = on; }
    bool appliesLineSettings() const { return appliesLineSettings_; }
    void setAppliesLineSettings(bool on) { appliesLineSettings_ = on; }
    bool eventsEnabled() const { return eventsEnabled_; }
    void setEventsEnabled(bool on) { eventsEnabled_ = on; }
    // Pause after close; the receiver's loader needs it between the command and the transfer.
    int closePauseMs() const { return closePauseMs_; }
    void setClosePauseMs(int ms) { closePauseMs_ = ms; }

    // The folder of the lock files serial programs share (defaultLockDir()).
    const std::filesystem::path& lockFolder() const { return lockFolder_; }
    void setLockFolder(std::filesystem::path folder) { lockFolder_ = std::move(folder); }

    void open();
    void close();
    bool isOpen() const { return active_.load(); }
    // Whether the last open took the lock file (Held) or found no lock folder it could write
    // (NoLockFile: opened all the same).
    LockResult lockResult() const { return lockResult_; }

    // Bytes read (0 on time-out or when closed).
    int read(std::span<std::uint8_t> buffer);
    // Hands the bytes to the write thread; returns their count, 0 when closed. Raises
    // "Output buffer is full..." when there is no room for writeTimeoutMs.
    int write(std::span<const std::uint8_t> bytes);
    int writeText(std::string_view text);
    // Bytes still waiting in the write thread's buffer.
    int bytesWaitingToSend() const;
    // Bytes waiting in the driver's input queue.
    int bytesAvailable() const;

    void purgeInput();
    void purgeOutput();
    void purgeInputAndOutput();

    // Events, all fired on the UI thread.
    std::function<void()> onOpen;
    std::function<void()> onClose;
    std::function<void(int count)> onDataReceived;
    std::function<void(std::uint32_t errors)> onLineError;
    std::function<void()> onBreak;

    // Client list (PortClient::attachTo).
    void addClient(PortClientLink* client);
    void removeClient(PortClientLink* client);
    std::size_t clientCount() const { return clients_.size(); }

    UiDispatcher& ui() const { return ui_; }

private:
    friend class PortEventThread;
    friend class PortWriteThread;

    void applyLineSettings();
    void purge(bool input, bool output);
    void stopThreads();
    std::shared_ptr<PortWriteThread> writeThread() const;
    int writeDirect(std::span<const std::uint8_t> bytes);

    // Runs on the UI thread.
    void dispatchEvents(LineEvents events);
    void collectLineErrors(LineEvents& events);
    void fire(const std::function<void()>& handler);
    // From the background threads.
    void postEvents(LineEvents events, std::uint32_t errors);

    UiDispatcher& ui_;

    std::string deviceName_;
    BaudRate baudRate_ = BaudRate::Bps1200;
    int customBaudRate_ = 0;
    LineSettings line_;
    BufferSettings buffers_;
    LineEvents monitoredEvents_ =
        eventBit(LineEvent::Error) | eventBit(LineEvent::DataReceived) | eventBit(LineEvent::OutputEmpty);
    bool directWrite_ = false;
    bool appliesLineSettings_ = true;
    bool eventsEnabled_ = true;
    int closePauseMs_ = 300;

    // The global lock: guards the device handle for reads, purges and shutdown.
    mutable std::mutex globalLock_;
    UniqueFd fd_;
    std::unique_ptr<DeviceLock> deviceLock_;
    std::filesystem::path lockFolder_ = defaultLockDir();
    LockResult lockResult_ = LockResult::NoLockFile;
    int savedSerialFlags_ = -1;
    std::atomic<bool> active_{false};
    bool destroying_ = false;

    std::unique_ptr<PortEventThread> eventThread_;
    mutable std::mutex writerLock_;
    std::shared_ptr<PortWriteThread> writer_;

    std::vector<PortClientLink*> clients_;
    std::vector<std::uint8_t> readChunk_;
    std::atomic<std::uint32_t> pendingErrors_{0};
    std::atomic<std::uint64_t> bytesRead_{0};
    ErrorCounters counters_;
    bool countersValid_ = false;  // the driver keeps counters
    // Posted tasks run only while this lives.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// Base of the components that take over a port's incoming bytes (the YModem engine).
class PortClient {
public:
    PortClient();
    virtual ~PortClient();
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    // Detaches from the current port and, when `port` is given, attaches to it (UI thread).
    void attachTo(SerialPort* port);
    SerialPort* port() const { return link_.port(); }
    void setActive(bool active) { link_.setActive(active); }
    bool isActive() const { return link_.isActive(); }

protected:
    // Called on the UI thread while the attachment is active.
    virtual void dataArrived(std::span<const std::uint8_t>) {}
    virtual void lineEventsArrived(LineEvents) {}
    PortClientLink& link() { return link_; }

private:
    PortClientLink link_;
};

} // namespace cs::link
