#pragma once
// TFDump: the transfer controller behind the connection wizard. It owns the port and the YModem
// engine, puts the receiver into its loader with a short command at 115200 baud, starts the
// transfer and turns the engine's events into the texts of the wizard's progress page.
#include "link/comm.h"
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
    virtual void ShowConnection(const std::string& text) = 0;  // connection state
    virtual void ShowFile(const std::string& text) = 0;        // file
    virtual void ShowFileSize(const std::string& text) = 0;    // file size
    virtual void ShowPacket(const std::string& text) = 0;      // packet
    virtual void SetProgressMax(std::int64_t max) = 0;
    virtual void SetProgress(std::int64_t position) = 0;
    // A transfer started, so the port works (the wizard clears its "port failed" flag).
    virtual void PortWorked() {}
    // The connection has ended (LinkResult tells how). On success the wizard closes and
    // releases the controller, so the controller does nothing after this call.
    virtual void ConnectionEnded() = 0;
};

// Text of a language key in the current language ("?" when missing).
using LangLookup = std::function<std::string(std::string_view key)>;
// English texts of the keys the controller uses, for programs without the language tables.
std::string EnglishLinkText(std::string_view key);

// Commands to the receiver.
inline constexpr std::string_view kCommandSend = "\x1bOQ";
inline constexpr std::string_view kCommandGetSettings = "GETSETT";
inline constexpr std::string_view kCommandGetBase = "GETBASE";

// Rates of the handshake: a probe at ten times 230400, then everything at 115200.
constexpr int kProbeRate = 2304000;
constexpr int kLinkRate = 115200;

enum LinkResultCode {
    kLinkNothingYet = -1,
    kLinkOk = 0,
    kLinkPortFailed = 1,
    kLinkUserBreak = 2,
    kLinkTransferFailed = 3,
};

class TFDump {
public:
    TFDump(UiDispatcher& ui, TransferView& view, LangLookup lang);
    ~TFDump();
    TFDump(const TFDump&) = delete;
    TFDump& operator=(const TFDump&) = delete;

    TVaComm VaComm;
    TVaYModem VaYModem;
    int LinkResult = kLinkNothingYet;

    // Probe, command and reopen, then start the engine (download) or wait for the receiver's
    // "C" (upload). Set VaYModem's Mode and Files or TargetFolder first. Raises EVaCommError
    // when the port cannot be opened for the transfer.
    void OpenLink(const std::string& portName, std::string_view command);
    // Opens the port at 115200 and starts the engine at once, without any command: for a plain
    // YModem peer.
    void OpenDirect(const std::string& portName);
    // The user's break: cancels a running transfer, closes the port and stops a handshake in
    // progress.
    void Break();

    bool Receiving() const { return VaYModem.Mode == TVaTransferMode::tmDownload; }
    bool WaitingForReceiver() const { return waitingForC_; }
    int LinkRate() const { return linkRate_; }
    const std::string& PortName() const { return portName_; }
    // Exit code of the last transfer (kExitLinkFailure when the port went away while waiting).
    int LastExitCode() const { return lastExitCode_; }

private:
    void VaCommRxChar(int count);
    void VaCommError(std::uint32_t errors);
    void VaYModemTransferStart();
    void VaYModemTransferEnd(int exitCode);
    void VaYModemFileInfo(const std::string& name, std::int64_t size);
    void VaYModemPacketEvent(int packet, std::int64_t byteCount);

    bool TryOpen();
    std::string Lang(std::string_view key) const;

    UiDispatcher& ui_;
    TransferView& view_;
    LangLookup lang_;
    std::string portName_;
    int linkRate_ = 0;
    bool waitingForC_ = false;
    bool breakRequested_ = false;
    int lastExitCode_ = 0;
    std::string lastFile_;
    std::size_t filesStarted_ = 0;
};

} // namespace cs::link
