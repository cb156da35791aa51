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
// The pause the receiver's loader needs after each close, taken on a timer rather than inside
// the port's close.
constexpr auto kClosePause = std::chrono::milliseconds(300);

} // namespace

std::string englishLinkText(std::string_view key) {
    for (const auto& e : kEnglish)
        if (e.key == key)
            return std::string(e.text);
    return "?";
}

std::string deviceDisconnectedText(const std::string& device) {
    return "The device " + device + " was disconnected.";
}

TransferController::TransferController(UiDispatcher& ui, TransferView& view, TextLookup lang)
    : port(ui), engine(ui), ui_(ui), view_(view), lang_(std::move(lang)) {
    port.setBaudRate(BaudRate::Bps115200);
    port.setClosePauseMs(0);
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

void TransferController::after(std::chrono::milliseconds delay, Step step) {
    std::weak_ptr<int> alive = alive_;
    const unsigned id = handshakeId_;
    ui_.postAfter(delay, [this, alive, id, step] {
        // A break, a new connection or the controller's end cancel what was scheduled.
        if (alive.expired() || id != handshakeId_ || !handshaking_)
            return;
        runStep(step);
    });
}

void TransferController::connect(const std::string& portName, std::string_view command) {
    if (busy())
        return;
    ++handshakeId_;
    handshaking_ = true;
    waitingForReceiver_ = false;
    hungUp_ = false;
    failureText_.clear();
    port.close();
    port.setDeviceName(portName);
    portName_ = portName;
    command_ = std::string(command);
    linkRate_ = 0;

    // Probe: a port that takes the fast rate is surely there; otherwise try the link rate.
    port.setBaudRate(BaudRate::Custom);
    port.setCustomBaudRate(kProbeRate);
    bool open = tryOpen();
    if (!open) {
        port.setBaudRate(BaudRate::Bps115200);
        open = tryOpen();
    }
    if (!open) {
        // No command can be sent; the transfer's own open says why.
        openForTransfer();
        return;
    }
    port.close();
    after(kClosePause, Step::ProbeClosed);
}

void TransferController::runStep(Step step) {
    switch (step) {
    case Step::ProbeClosed:
        port.setBaudRate(BaudRate::Bps115200);
        if (!tryOpen()) {
            openForTransfer();
            return;
        }
        port.purgeOutput();
        port.writeText(command_);
        drainDeadline_ = std::chrono::steady_clock::now() + kDrainLimit;
        after(kDrainStep, Step::CommandSent);
        return;
    case Step::CommandSent:
        // The command must have left before the pause that lets the loader start.
        if (port.isOpen() && port.bytesWaitingToSend() > 0 && std::chrono::steady_clock::now() < drainDeadline_) {
            after(kDrainStep, Step::CommandSent);
            return;
        }
        after(kAfterCommand, Step::CommandLeft);
        return;
    case Step::CommandLeft:
        port.close();
        after(kClosePause, Step::CommandClosed);
        return;
    case Step::CommandClosed:
        openForTransfer();
        return;
    }
}

void TransferController::openForTransfer() {
    handshaking_ = false;
    port.close();
    port.setBaudRate(BaudRate::Bps115200);
    linkRate_ = kLinkRate;
    try {
        port.open();
    } catch (const SerialPortError& e) {
        failureText_ = e.what();
        result = ConnectionResult::PortFailed;
        view_.portFailed(failureText_);
        view_.connectionEnded();
        return;
    }
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
    ++handshakeId_;
    handshaking_ = false;
    waitingForReceiver_ = false;
    hungUp_ = false;
    failureText_.clear();
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
    ++handshakeId_;  // drops the handshake's next step
    handshaking_ = false;
    result = ConnectionResult::UserBreak;
    if (engine.isRunning()) {
        // The engine sends CAN CAN once its current block has left, then ends; the port is
        // closed at its end, after the CAN CAN (closing now would cut it off and leave the
        // receiver waiting in its loader).
        engine.cancel();
        return;
    }
    if (waitingForReceiver_ && port.isOpen()) {
        // The receiver's loader is waiting for a file: tell it that none comes.
        const std::array<std::uint8_t, 2> cancel{ymodem::CAN, ymodem::CAN};
        try {
            port.write(cancel);
        } catch (const SerialPortError&) {
        }
    }
    waitingForReceiver_ = false;
    port.close();  // lets what was written leave first
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
    if (!(errors & kLineErrorHangup))
        return;
    hungUp_ = true;
    if (engine.isRunning())
        return;
    waitingForReceiver_ = false;
    view_.showConnection(languageText("Creator_Msg_EndOfConnection"));
    engine.attachTo(nullptr);
    port.close();
    lastStatus_ = TransferStatus::LinkFailure;
    result = ConnectionResult::TransferFailed;
    failureText_ = deviceDisconnectedText(portName_);
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
    if (status == TransferStatus::LinkFailure && hungUp_)
        failureText_ = deviceDisconnectedText(portName_);
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
