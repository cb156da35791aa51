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

std::string englishLinkText(std::string_view key) {
    for (const auto& e : kEnglish)
        if (e.key == key)
            return std::string(e.text);
    return "?";
}

TransferController::TransferController(UiDispatcher& ui, TransferView& view, TextLookup lang)
    : port(ui), engine(ui), ui_(ui), view_(view), lang_(std::move(lang)) {
    port.setBaudRate(BaudRate::Bps115200);
    port.onDataReceived = [this](int count) { portDataReceived(count); };
    port.onLineError = [this](std::uint32_t errors) { portLineError(errors); };
    engine.direction = TransferDirection::Upload;
    engine.timeoutMs = 5000;
    engine.variant = YModemVariant::YModem;
    engine.onTransferStart = [this] { transferStarted(); };
    engine.onTransferEnd = [this](TransferStatus status) { transferEnded(status); };
    engine.onFileInfo = [this](const std::string& name, std::int64_t size) { fileAnnounced(name, size); };
    engine.onPacket = [this](int packet, std::int64_t bytes) { packetTransferred(packet, bytes); };
}

TransferController::~TransferController() {
    port.onDataReceived = nullptr;
    port.onLineError = nullptr;
    engine.onTransferEnd = nullptr;
}

std::string TransferController::languageText(std::string_view key) const {
    if (!lang_)
        return englishLinkText(key);
    std::string text = lang_(key);
    return text.empty() ? std::string("?") : text;
}

bool TransferController::tryOpen() {
    try {
        port.open();
        return true;
    } catch (const SerialPortError&) {
        return false;
    }
}

void TransferController::connect(const std::string& portName, std::string_view command) {
    breakRequested_ = false;
    waitingForReceiver_ = false;
    port.close();
    port.setDeviceName(portName);
    portName_ = portName;
    linkRate_ = 0;

    // Probe: a port that takes the fast rate is surely there; otherwise try the link rate.
    port.setBaudRate(BaudRate::Custom);
    port.setCustomBaudRate(kProbeRate);
    bool open = tryOpen();
    if (!open) {
        port.setBaudRate(BaudRate::Bps115200);
        open = tryOpen();
    }
    if (open && !breakRequested_) {
        port.close();
        port.setBaudRate(BaudRate::Bps115200);
        if (tryOpen()) {
            port.purgeOutput();
            port.writeText(command);
            const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
            while (port.isOpen() && port.bytesWaitingToSend() > 0 && !breakRequested_ &&
                   std::chrono::steady_clock::now() < deadline)
                ui_.pumpFor(kDrainStep);
            if (!breakRequested_)
                ui_.pumpFor(kAfterCommand);
        }
    }
    port.close();
    // A break during the handshake ends it here: nothing may start behind the user's back.
    if (breakRequested_)
        return;

    port.setBaudRate(BaudRate::Bps115200);
    linkRate_ = kLinkRate;
    port.open();
    if (receiving()) {
        engine.attachTo(&port);
        engine.start();
    } else {
        engine.attachTo(nullptr);
        waitingForReceiver_ = true;
    }
    view_.showConnection(portName_ + " " + languageText("Creator_Msg_Open"));
}

void TransferController::connectDirect(const std::string& portName) {
    breakRequested_ = false;
    waitingForReceiver_ = false;
    port.close();
    port.setDeviceName(portName);
    portName_ = portName;
    port.setBaudRate(BaudRate::Bps115200);
    linkRate_ = kLinkRate;
    port.open();
    engine.attachTo(&port);
    engine.start();
    view_.showConnection(portName_ + " " + languageText("Creator_Msg_Open"));
}

void TransferController::userBreak() {
    breakRequested_ = true;
    waitingForReceiver_ = false;
    if (engine.isRunning())
        engine.cancel();
    result = ConnectionResult::UserBreak;
    port.close();
}

void TransferController::portDataReceived(int count) {
    bool sawC = false;
    for (int i = 0; i < count; ++i) {
        std::uint8_t b = 0;
        if (port.read({&b, 1}) != 1)
            break;
        if (b == ymodem::kStartCrc)
            sawC = true;
    }
    // Only an upload that waits for the receiver starts here; a "C" during the handshake (the
    // loader may answer the command at once) must not start the engine on a port that is
    // about to be closed.
    if (!sawC || !waitingForReceiver_ || engine.port() != nullptr)
        return;
    waitingForReceiver_ = false;
    port.purgeInput();
    engine.attachTo(&port);
    view_.showConnection(languageText("Creator_Msg_CreateConnection"));
    engine.start();
}

void TransferController::portLineError(std::uint32_t errors) {
    // The device went away while the upload waited for the receiver: nothing will come, so
    // end the connection instead of waiting forever. A running engine ends by itself.
    if (!(errors & kLineErrorHangup) || engine.isRunning())
        return;
    waitingForReceiver_ = false;
    view_.showConnection(languageText("Creator_Msg_EndOfConnection"));
    engine.attachTo(nullptr);
    port.close();
    lastStatus_ = TransferStatus::LinkFailure;
    result = ConnectionResult::TransferFailed;
    view_.connectionEnded();
}

void TransferController::transferStarted() {
    lastFile_.clear();
    filesStarted_ = 0;
    view_.showConnection(portName_ + " " + languageText("Creator_Msg_Open"));
    view_.portConfirmed();
    view_.setProgress(0);
    view_.showPacket("");
    result = ConnectionResult::Ok;
}

void TransferController::fileAnnounced(const std::string& name, std::int64_t size) {
    view_.setProgress(0);
    view_.setProgressMax(size);
    std::string text;
    if (receiving()) {
        text = languageText("Creator_Msg_ReceivingFile");
        view_.showFile(name);
        lastFile_ = name;
        ++filesStarted_;
    } else {
        text = languageText("Creator_Msg_SendingFile");
    }
    view_.showConnection(text + " " + std::to_string(linkRate_) + " bps");
    view_.showFileSize(std::to_string(size) + " " + languageText("Creator_Bytes") + " " + std::to_string(size / 1000) + " kB");
}

void TransferController::packetTransferred(int packet, std::int64_t byteCount) {
    view_.setProgress(byteCount);
    view_.showPacket(languageText("Creator_Label_Packet") + ": " + std::to_string(packet));
}

void TransferController::transferEnded(TransferStatus status) {
    view_.showConnection(languageText("Creator_Msg_EndOfConnection"));
    engine.attachTo(nullptr);
    port.close();
    lastStatus_ = status;
    result = status == TransferStatus::Ok ? ConnectionResult::Ok : ConnectionResult::TransferFailed;
    // Only the file being received when the transfer failed is partial; files of the batch
    // that were completed before it stay.
    if (receiving() && result == ConnectionResult::TransferFailed && !lastFile_.empty() &&
        engine.files.size() < filesStarted_) {
        std::error_code ec;
        std::filesystem::remove(lastFile_, ec);
    }
    view_.connectionEnded();
}

} // namespace cs::link
