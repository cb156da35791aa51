#include "link/transfer_controller.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

namespace cs::link {

namespace {

struct KeyText {
    std::string_view key;
    std::string_view text;
};

constexpr std::array<KeyText, 8> kEnglish{{
    {"Creator_Msg_Open", "Open..."},
    {"Creator_Msg_CreateConnection", "Create a connection."},
    {"Creator_Msg_ReceivingFile", "Receiving a file..."},
    {"Creator_Msg_SendingFile", "Sending a file ..."},
    {"Creator_Bytes", "bytes"},
    {"Creator_Label_Packet", "Packet"},
    {"Creator_Msg_EndOfConnection", "End connection"},
    {"Creator_Msg_ConnectBreakUser", "Connection aborted by the user."},
}};

// Waiting for the command to leave must end even when the device never takes it.
constexpr auto kDrainLimit = std::chrono::milliseconds(3000);
constexpr auto kDrainStep = std::chrono::milliseconds(5);
constexpr auto kAfterCommand = std::chrono::milliseconds(100);

} // namespace

std::string EnglishLinkText(std::string_view key) {
    for (const auto& e : kEnglish)
        if (e.key == key)
            return std::string(e.text);
    return "?";
}

TFDump::TFDump(UiDispatcher& ui, TransferView& view, LangLookup lang)
    : VaComm(ui), VaYModem(ui), ui_(ui), view_(view), lang_(std::move(lang)) {
    VaComm.SetDeviceName("COM3");
    VaComm.SetPortNum(3);
    VaComm.SetBaudrate(TVaBaudrate::br115200);
    VaComm.OnRxChar = [this](int count) { VaCommRxChar(count); };
    VaComm.OnError = [this](std::uint32_t errors) { VaCommError(errors); };
    VaYModem.Mode = TVaTransferMode::tmUpload;
    VaYModem.Timeout = 5000;
    VaYModem.Protocol = TVaYProtocol::YModem;
    VaYModem.OnTransferStart = [this] { VaYModemTransferStart(); };
    VaYModem.OnTransferEnd = [this](int code) { VaYModemTransferEnd(code); };
    VaYModem.OnFileInfo = [this](const std::string& name, std::int64_t size) { VaYModemFileInfo(name, size); };
    VaYModem.OnPacketEvent = [this](int packet, std::int64_t bytes) { VaYModemPacketEvent(packet, bytes); };
}

TFDump::~TFDump() {
    VaComm.OnRxChar = nullptr;
    VaComm.OnError = nullptr;
    VaYModem.OnTransferEnd = nullptr;
}

std::string TFDump::Lang(std::string_view key) const {
    if (!lang_)
        return EnglishLinkText(key);
    std::string text = lang_(key);
    return text.empty() ? std::string("?") : text;
}

bool TFDump::TryOpen() {
    try {
        VaComm.Open();
        return true;
    } catch (const EVaCommError&) {
        return false;
    }
}

void TFDump::OpenLink(const std::string& portName, std::string_view command) {
    breakRequested_ = false;
    waitingForC_ = false;
    VaComm.Close();
    VaComm.SetDeviceName(portName);
    portName_ = portName;
    linkRate_ = 0;

    // Probe: a port that takes the fast rate is surely there; otherwise try the link rate.
    VaComm.SetBaudrate(TVaBaudrate::brUser);
    VaComm.SetUserBaudrate(kProbeRate);
    bool open = TryOpen();
    if (!open) {
        VaComm.SetBaudrate(TVaBaudrate::br115200);
        open = TryOpen();
    }
    if (open && !breakRequested_) {
        VaComm.Close();
        VaComm.SetBaudrate(TVaBaudrate::br115200);
        if (TryOpen()) {
            VaComm.PurgeWrite();
            VaComm.WriteText(command);
            const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
            while (VaComm.Active() && VaComm.WriteBufUsed() > 0 && !breakRequested_ &&
                   std::chrono::steady_clock::now() < deadline)
                ui_.pumpFor(kDrainStep);
            if (!breakRequested_)
                ui_.pumpFor(kAfterCommand);
        }
    }
    VaComm.Close();
    // A break during the handshake ends it here: nothing may start behind the user's back.
    if (breakRequested_)
        return;

    VaComm.SetBaudrate(TVaBaudrate::br115200);
    linkRate_ = kLinkRate;
    VaComm.Open();
    if (Receiving()) {
        VaYModem.SetComm(&VaComm);
        VaYModem.Execute();
    } else {
        VaYModem.SetComm(nullptr);
        waitingForC_ = true;
    }
    view_.ShowConnection(portName_ + " " + Lang("Creator_Msg_Open"));
}

void TFDump::OpenDirect(const std::string& portName) {
    breakRequested_ = false;
    waitingForC_ = false;
    VaComm.Close();
    VaComm.SetDeviceName(portName);
    portName_ = portName;
    VaComm.SetBaudrate(TVaBaudrate::br115200);
    linkRate_ = kLinkRate;
    VaComm.Open();
    VaYModem.SetComm(&VaComm);
    VaYModem.Execute();
    view_.ShowConnection(portName_ + " " + Lang("Creator_Msg_Open"));
}

void TFDump::Break() {
    breakRequested_ = true;
    waitingForC_ = false;
    if (VaYModem.GetIsActive())
        VaYModem.Cancel();
    LinkResult = kLinkUserBreak;
    VaComm.Close();
}

void TFDump::VaCommRxChar(int count) {
    bool sawC = false;
    for (int i = 0; i < count; ++i) {
        std::uint8_t b = 0;
        if (VaComm.ReadBuf({&b, 1}) != 1)
            break;
        if (b == ymodem::StartCrc)
            sawC = true;
    }
    // Only an upload that waits for the receiver starts here; a "C" during the handshake (the
    // loader may answer the command at once) must not start the engine on a port that is
    // about to be closed.
    if (!sawC || !waitingForC_ || VaYModem.Comm() != nullptr)
        return;
    waitingForC_ = false;
    VaComm.PurgeRead();
    VaYModem.SetComm(&VaComm);
    view_.ShowConnection(Lang("Creator_Msg_CreateConnection"));
    VaYModem.Execute();
}

void TFDump::VaCommError(std::uint32_t errors) {
    // The device went away while the upload waited for the receiver: nothing will come, so
    // end the connection instead of waiting forever. A running engine ends by itself.
    if (!(errors & kLineErrorHangup) || VaYModem.GetIsActive())
        return;
    waitingForC_ = false;
    view_.ShowConnection(Lang("Creator_Msg_EndOfConnection"));
    VaYModem.SetComm(nullptr);
    VaComm.Close();
    lastExitCode_ = kExitLinkFailure;
    LinkResult = kLinkTransferFailed;
    view_.ConnectionEnded();
}

void TFDump::VaYModemTransferStart() {
    lastFile_.clear();
    filesStarted_ = 0;
    view_.ShowConnection(portName_ + " " + Lang("Creator_Msg_Open"));
    view_.PortWorked();
    view_.SetProgress(0);
    view_.ShowPacket("");
    LinkResult = kLinkOk;
}

void TFDump::VaYModemFileInfo(const std::string& name, std::int64_t size) {
    view_.SetProgress(0);
    view_.SetProgressMax(size);
    std::string text;
    if (Receiving()) {
        text = Lang("Creator_Msg_ReceivingFile");
        view_.ShowFile(name);
        lastFile_ = name;
        ++filesStarted_;
    } else {
        text = Lang("Creator_Msg_SendingFile");
    }
    view_.ShowConnection(text + " " + std::to_string(linkRate_) + " bps");
    view_.ShowFileSize(std::to_string(size) + " " + Lang("Creator_Bytes") + " " + std::to_string(size / 1000) + " kB");
}

void TFDump::VaYModemPacketEvent(int packet, std::int64_t byteCount) {
    view_.SetProgress(byteCount);
    view_.ShowPacket(Lang("Creator_Label_Packet") + ": " + std::to_string(packet));
}

void TFDump::VaYModemTransferEnd(int exitCode) {
    view_.ShowConnection(Lang("Creator_Msg_EndOfConnection"));
    VaYModem.SetComm(nullptr);
    VaComm.Close();
    lastExitCode_ = exitCode;
    LinkResult = exitCode == 0 ? kLinkOk : kLinkTransferFailed;
    // Only the file being received when the transfer failed is partial; files of the batch
    // that were completed before it stay.
    if (Receiving() && LinkResult == kLinkTransferFailed && !lastFile_.empty() &&
        VaYModem.Files.size() < filesStarted_) {
        std::error_code ec;
        std::filesystem::remove(lastFile_, ec);
    }
    view_.ConnectionEnded();
}

} // namespace cs::link
