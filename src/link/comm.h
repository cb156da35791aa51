#pragma once
// Serial port layer: TVaCustomComm (all behaviour) and TVaComm, the client link TVaDispatcher and
// the base TVaCommComponent of protocol engines that take over a port's incoming bytes.
//
// Threads: the UI thread owns the port (settings, Open, Close, every event). While open, an
// event thread waits for line events with poll() and has each one dispatched on the UI thread
// while it waits; a write thread is the only writer to the device and is fed through a bounded
// buffer. Protocol workers write and purge from their own threads.
#include "link/comm_buffer.h"
#include "link/ui_dispatcher.h"
#include "link/unique_fd.h"

#include <atomic>
#include <cstdint>
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
class EVaCommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TVaBaudrate {
    brUser, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
    br56000, br57600, br115200, br128000, br256000,
};
// Bits per second of a rate; 0 for brUser.
int BaudrateValue(TVaBaudrate rate);

enum class TVaParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TVaDatabits { db4, db5, db6, db7, db8 };
enum class TVaStopbits { sb1, sb15, sb2 };
enum class TVaControlDtr { dtrDisabled, dtrEnabled, dtrHandshake };
enum class TVaControlRts { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };

struct TVaFlowControl {
    bool OutCtsFlow = false;
    bool OutDsrFlow = false;
    TVaControlDtr ControlDtr = TVaControlDtr::dtrDisabled;
    TVaControlRts ControlRts = TVaControlRts::rtsDisabled;
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = false;
};

struct TVaBuffers {
    int ReadSize = 4096;      // bytes taken from the device per read
    int WriteSize = 2048;     // limit of the write thread's buffer
    int ReadTimeout = 1000;   // ms
    int WriteTimeout = 1000;  // ms: longest wait for room in the write buffer
    int XonLimit = 1024;
    int XoffLimit = 1024;
};

struct TVaEventChars {
    std::uint8_t XonChar = 17;
    std::uint8_t XoffChar = 19;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EventChar = 0;
    std::uint8_t EofChar = 0;
};

// Line events, in set order. ceHangup is this platform's addition: the device went away
// (USB adapter unplugged, pseudo-terminal closed by its other side).
enum TVaEvent : unsigned {
    ceBreak, ceCts, ceDsr, ceError, ceRing, ceRlsd, ceRxChar, ceTxEmpty, ceRxFlag, cePErr,
    ceRx80Full, ceEvent1, ceEvent2, ceHangup,
};
using TVaEvents = std::uint32_t;
constexpr TVaEvents EventBit(TVaEvent e) { return TVaEvents{1} << e; }

// Line-error flags given to OnError.
constexpr std::uint32_t kLineErrorRxOver = 0x0001;   // input buffer overflow
constexpr std::uint32_t kLineErrorOverrun = 0x0002;  // hardware overrun
constexpr std::uint32_t kLineErrorParity = 0x0004;
constexpr std::uint32_t kLineErrorFrame = 0x0008;
constexpr std::uint32_t kLineErrorBreak = 0x0010;
constexpr std::uint32_t kLineErrorIo = 0x0400;       // a write to the device failed
constexpr std::uint32_t kLineErrorHangup = 0x8000;   // the device went away

class TVaCustomComm;

// Links one client to one port. Inactive, it drops what it is given; detached, its write and
// purge requests do nothing.
class TVaDispatcher {
public:
    using DataFn = std::function<void(std::span<const std::uint8_t>)>;
    using EventFn = std::function<void(TVaEvents)>;

    TVaDispatcher(DataFn onData, EventFn onEvent);

    TVaCustomComm* Comm() const { return comm_.load(); }
    bool Active() const { return active_.load(); }
    void SetActive(bool active) { active_.store(active); }

    void DataArrived(std::span<const std::uint8_t> bytes);
    void LineEvent(TVaEvents events);

    int WriteBuf(std::span<const std::uint8_t> bytes);
    void PurgeRead();
    void PurgeWrite();
    void PurgeReadWrite();

private:
    friend class TVaCustomComm;
    friend class TVaCommComponent;

    DataFn onData_;
    EventFn onEvent_;
    std::atomic<TVaCustomComm*> comm_{nullptr};
    std::atomic<bool> active_{false};
};

class TVaCommEventThread;
class TVaCommWriteThread;

class TVaCustomComm {
public:
    explicit TVaCustomComm(UiDispatcher& ui);
    virtual ~TVaCustomComm();
    TVaCustomComm(const TVaCustomComm&) = delete;
    TVaCustomComm& operator=(const TVaCustomComm&) = delete;

    // Settings (UI thread). Changing the line settings of an open port applies them at once.
    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& name);
    int PortNum() const { return portNum_; }
    void SetPortNum(int n) { portNum_ = n; }
    // DeviceName with "%d" replaced by PortNum.
    std::string EffectiveDeviceName() const;

    TVaBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TVaBaudrate rate);
    int UserBaudrate() const { return userBaudrate_; }
    void SetUserBaudrate(int bitsPerSecond);
    // The rate in bit/s the port is set to.
    int EffectiveBaudrate() const;

    TVaParity Parity() const { return parity_; }
    void SetParity(TVaParity p);
    TVaDatabits Databits() const { return databits_; }
    void SetDatabits(TVaDatabits d);
    TVaStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TVaStopbits s);
    const TVaFlowControl& FlowControl() const { return flow_; }
    void SetFlowControl(const TVaFlowControl& f);
    const TVaEventChars& EventChars() const { return eventChars_; }
    void SetEventChars(const TVaEventChars& c);
    const TVaBuffers& Buffers() const { return buffers_; }
    void SetBuffers(const TVaBuffers& b) { buffers_ = b; }
    TVaEvents MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TVaEvents events) { monitorEvents_ = events; }
    bool DirectWrite() const { return directWrite_; }
    void SetDirectWrite(bool on) { directWrite_ = on; }
    bool UpdateLineSettings() const { return updateLineSettings_; }
    void SetUpdateLineSettings(bool on) { updateLineSettings_ = on; }
    bool EventsEnabled() const { return eventsEnabled_; }
    void SetEventsEnabled(bool on) { eventsEnabled_ = on; }
    // Pause after Close; the receiver's loader needs it between the command and the transfer.
    int ClosePauseMs() const { return closePauseMs_; }
    void SetClosePauseMs(int ms) { closePauseMs_ = ms; }

    void Open();
    void Close();
    bool Active() const { return active_.load(); }

    // Bytes read (0 on time-out or when closed).
    int ReadBuf(std::span<std::uint8_t> buffer);
    // Hands the bytes to the write thread; returns their count, 0 when closed. Raises
    // "Output buffer is full..." when there is no room for WriteTimeout.
    int WriteBuf(std::span<const std::uint8_t> bytes);
    int WriteText(std::string_view text);
    // Bytes still waiting in the write thread's buffer.
    int WriteBufUsed() const;
    // Bytes waiting in the driver's input queue.
    int InQueCount() const;

    void PurgeRead();
    void PurgeWrite();
    void PurgeReadWrite();

    // Events, all fired on the UI thread.
    std::function<void()> OnOpen;
    std::function<void()> OnClose;
    std::function<void(int count)> OnRxChar;
    std::function<void(std::uint32_t errors)> OnError;
    std::function<void()> OnBreak;

    // Client list (TVaCommComponent::SetComm).
    void AddClient(TVaDispatcher* client);
    void RemoveClient(TVaDispatcher* client);
    std::size_t ClientCount() const { return clients_.size(); }

    UiDispatcher& Ui() const { return ui_; }

private:
    friend class TVaCommEventThread;
    friend class TVaCommWriteThread;

    void ApplyLineSettings();
    void Purge(bool input, bool output);
    void StopThreads();
    std::shared_ptr<TVaCommWriteThread> Writer() const;
    int DirectWriteBuf(std::span<const std::uint8_t> bytes);

    // Runs on the UI thread.
    void DispatchEvents(TVaEvents events);
    void CollectLineErrors(TVaEvents& events);
    void Fire(const std::function<void()>& handler);
    // From the background threads.
    void PostEvents(TVaEvents events, std::uint32_t errors);

    UiDispatcher& ui_;

    std::string deviceName_ = "COM%d";
    int portNum_ = 0;
    TVaBaudrate baudrate_ = TVaBaudrate::br1200;
    int userBaudrate_ = 0;
    TVaParity parity_ = TVaParity::paNone;
    TVaDatabits databits_ = TVaDatabits::db8;
    TVaStopbits stopbits_ = TVaStopbits::sb1;
    TVaFlowControl flow_;
    TVaBuffers buffers_;
    TVaEventChars eventChars_;
    TVaEvents monitorEvents_ = EventBit(ceError) | EventBit(ceRxChar) | EventBit(ceTxEmpty);
    bool directWrite_ = false;
    bool updateLineSettings_ = true;
    bool eventsEnabled_ = true;
    int closePauseMs_ = 300;

    // The global lock: guards the device handle for reads, purges and shutdown.
    mutable std::mutex globalLock_;
    UniqueFd fd_;
    std::atomic<bool> active_{false};
    bool destroying_ = false;

    std::unique_ptr<TVaCommEventThread> eventThread_;
    mutable std::mutex writerLock_;
    std::shared_ptr<TVaCommWriteThread> writer_;

    std::vector<TVaDispatcher*> clients_;
    std::vector<std::uint8_t> readChunk_;
    std::atomic<std::uint32_t> pendingErrors_{0};
    std::atomic<std::uint64_t> bytesRead_{0};
    struct Counters {
        bool valid = false;
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } counters_;
    // Posted tasks run only while this lives.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

class TVaComm : public TVaCustomComm {
public:
    using TVaCustomComm::TVaCustomComm;
};

// Base of the components that take over a port's incoming bytes (the YModem engine).
class TVaCommComponent {
public:
    TVaCommComponent();
    virtual ~TVaCommComponent();
    TVaCommComponent(const TVaCommComponent&) = delete;
    TVaCommComponent& operator=(const TVaCommComponent&) = delete;

    // Detaches from the current port and, when `comm` is given, attaches to it (UI thread).
    void SetComm(TVaCustomComm* comm);
    TVaCustomComm* Comm() const { return dispatcher_.Comm(); }
    void SetActive(bool active) { dispatcher_.SetActive(active); }
    bool Active() const { return dispatcher_.Active(); }

protected:
    // Called on the UI thread while the attachment is active.
    virtual void DataArrived(std::span<const std::uint8_t>) {}
    virtual void LineEvent(TVaEvents) {}
    TVaDispatcher& Dispatcher() { return dispatcher_; }

private:
    TVaDispatcher dispatcher_;
};

} // namespace cs::link
