#pragma once
// TransferController: drives a transfer for the connection wizard. It owns the port and the
// YModem engine, puts the receiver into its loader with a short command at 115200 baud, starts the
// transfer and turns the engine's events into the texts of the wizard's progress page.
#include "link/serial_port.h"
#include "link/ymodem.h"

#include <cstdint>
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
    // The connection has ended (result tells how). On success the wizard closes and
    // releases the controller, so the controller does nothing after this call.
    virtual void connectionEnded() = 0;
};

// Text of a language key in the current language ("?" when missing).
using TextLookup = std::function<std::string(std::string_view key)>;
// English texts of the keys the controller uses, for programs without the language tables.
std::string englishLinkText(std::string_view key);

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

    // Probe, command and reopen, then start the engine (download) or wait for the receiver's
    // "C" (upload). Set the engine's direction and files or targetFolder first. Raises
    // SerialPortError when the port cannot be opened for the transfer.
    void connect(const std::string& portName, std::string_view command);
    // Opens the port at 115200 and starts the engine at once, without any command: for a plain
    // YModem peer.
    void connectDirect(const std::string& portName);
    // The user's break: cancels a running transfer, closes the port and stops a handshake in
    // progress.
    void userBreak();

    bool receiving() const { return engine.direction == TransferDirection::Download; }
    bool waitingForReceiver() const { return waitingForReceiver_; }
    int linkRate() const { return linkRate_; }
    const std::string& portName() const { return portName_; }
    // How the last transfer ended (LinkFailure when the port went away while waiting for it).
    TransferStatus lastStatus() const { return lastStatus_; }

private:
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
    bool breakRequested_ = false;
    TransferStatus lastStatus_ = TransferStatus::Ok;
    std::string lastFile_;
    std::size_t filesStarted_ = 0;
};

} // namespace cs::link
