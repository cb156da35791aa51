#pragma once
// TransferController: drives a transfer for the connection wizard. It owns the port and the
// YModem engine, puts the receiver into its loader with a short command at 115200 baud, starts the
// transfer and turns the engine's events into the texts of the wizard's progress page.
#include "link/serial_port.h"
#include "link/ymodem.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <functional>
#include <string>
#include <string_view>

namespace cs::link {

// What the progress page shows. The wizard implements it; the CLI prints it.
class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void showConnection(const std::string& text) = 0;  // connection state
    virtual void showFile(const std::string& text) = 0;        // file
    virtual void showFileSize(const std::string& text) = 0;    // file size
    virtual void showPacket(const std::string& text) = 0;      // packet
    virtual void setProgressMax(std::int64_t max) = 0;
    virtual void setProgress(std::int64_t position) = 0;
    // A transfer started, so the port works (the wizard clears its "port failed" flag).
    virtual void portConfirmed() {}
    // The port could not be opened for the transfer; `reason` is the port layer's text. The
    // connection then ends (connectionEnded follows).
    virtual void portFailed(const std::string& reason) {}
    // The connection has ended (result tells how). On success the wizard closes and
    // releases the controller, so the controller does nothing after this call.
    virtual void connectionEnded() = 0;
};

// Text of a language key in the current language ("?" when missing).
using TextLookup = std::function<std::string(std::string_view key)>;
// English texts of the keys the controller uses, for programs without the language tables.
std::string englishLinkText(std::string_view key);
// "The device ... was disconnected.": a transfer that ended because the device went away.
std::string deviceDisconnectedText(const std::string& device);

// Commands to the receiver.
inline constexpr std::string_view kCommandSend = "\x1bOQ";
inline constexpr std::string_view kCommandGetSettings = "GETSETT";
inline constexpr std::string_view kCommandGetBase = "GETBASE";

// Rates of the handshake: a probe at ten times 230400, then everything at 115200.
constexpr int kProbeRate = 2304000;
constexpr int kLinkRate = 115200;

// How the connection ended, as the wizard reports it; the engine's own status is in lastStatus.
enum class ConnectionResult {
    NothingYet = -1,
    Ok = 0,
    PortFailed = 1,
    UserBreak = 2,
    TransferFailed = 3,
};

class TransferController {
public:
    TransferController(UiDispatcher& ui, TransferView& view, TextLookup lang);
    ~TransferController();
    TransferController(const TransferController&) = delete;
    TransferController& operator=(const TransferController&) = delete;

    SerialPort port;
    YModemTransfer engine;
    ConnectionResult result = ConnectionResult::NothingYet;

    // Starts the handshake (probe, command and reopen) and returns at once; its pauses run on
    // timers of the UI dispatcher, never in a nested event loop. Then it starts the engine
    // (download) or waits for the receiver's "C" (upload). Set the engine's direction and files
    // or targetFolder first. A port that cannot be opened for the transfer ends the connection
    // with PortFailed through the view's portFailed and connectionEnded. Does nothing while a
    // connection is under way.
    void connect(const std::string& portName, std::string_view command);
    // Opens the port at 115200 and starts the engine at once, without any command: for a plain
    // YModem peer.
    void connectDirect(const std::string& portName);
    // The user's break. A running transfer is cancelled and ends by itself (its CAN CAN leaves
    // before the port closes); an upload waiting for the receiver sends CAN CAN, lets it leave
    // and closes the port; a handshake in progress stops where it is.
    void userBreak();

    // True from connect until the connection has ended (handshake, waiting for the receiver,
    // or transfer running).
    bool busy() const { return handshaking_ || waitingForReceiver_ || engine.isRunning(); }
    bool handshaking() const { return handshaking_; }
    // Why the last connection failed, in words for the user ("" when it did not fail or the
    // exit code says it all): the device was disconnected, the port could not be opened.
    const std::string& failureText() const { return failureText_; }

    bool receiving() const { return engine.direction == TransferDirection::Download; }
    bool waitingForReceiver() const { return waitingForReceiver_; }
    int linkRate() const { return linkRate_; }
    const std::string& portName() const { return portName_; }
    // How the last transfer ended (LinkFailure when the port went away while waiting for it).
    TransferStatus lastStatus() const { return lastStatus_; }

private:
    enum class Step { ProbeClosed, CommandSent, CommandLeft, CommandClosed };
    void runStep(Step step);
    void after(std::chrono::milliseconds delay, Step step);
    void openForTransfer();
    void portDataReceived(int count);
    void portLineError(std::uint32_t errors);
    void transferStarted();
    void transferEnded(TransferStatus status);
    void fileAnnounced(const std::string& name, std::int64_t size);
    void packetTransferred(int packet, std::int64_t byteCount);

    bool tryOpen();
    std::string languageText(std::string_view key) const;

    UiDispatcher& ui_;
    TransferView& view_;
    TextLookup lang_;
    std::string portName_;
    int linkRate_ = 0;
    bool waitingForReceiver_ = false;
    bool handshaking_ = false;
    bool hungUp_ = false;
    std::string command_;
    std::chrono::steady_clock::time_point drainDeadline_{};
    // Steps scheduled for an earlier handshake are dropped when this has moved on.
    unsigned handshakeId_ = 0;
    std::string failureText_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    TransferStatus lastStatus_ = TransferStatus::Ok;
    std::string lastFile_;
    std::size_t filesStarted_ = 0;
};

} // namespace cs::link
