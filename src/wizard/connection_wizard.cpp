#include "wizard/connection_wizard.h"

#include "image/image_file.h"
#include "settings/stored_settings.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"
#include "widgets/qt_dispatcher.h"
#include "wizard/verification_dialog.h"
#include "wizard/wizard_checks.h"
#include "link/port_list.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace cs::wizard {

namespace fs = std::filesystem;
using widgets::MessageAnswer;

namespace {

constexpr int kClientWidth = 394;
constexpr int kClientHeight = 276;
constexpr int kGradientBands = 64;
constexpr char kPageProperty[] = "wizardPage";
constexpr int kHelpContextSpace = 1440;  // the help page of the free-space error
constexpr const char* kTypeKeys[] = {"Creator_Msg_SendCurrentBase", "Creator_Msg_SendFileToReceiver",
                                     "Creator_Msg_ReceiveBaseDateAll", "Creator_Msg_ReceiveBaseDate"};
constexpr const char* kDescriptionKeys[] = {"Creator_TextS00", "Creator_TextS01", "Creator_TextS02", "Creator_TextS02"};
constexpr int kTypeCount = 4;
// The name a received image is proposed under when no name is stored yet.
constexpr char kDefaultReceiveName[] = "list.dsp";

QString qs(const std::string& s) { return QString::fromStdString(s); }

void tag(QWidget* w, int page) { w->setProperty(kPageProperty, page); }

} // namespace

ConnectionWizard::ConnectionWizard(WizardHost& host, WizardMode mode, QWidget* parent)
    : QDialog(parent ? parent : host.hostWindow()), window_(host), mode_(mode) {
    setWindowTitle(qs(lang("Creator_Title")));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kClientWidth, kClientHeight);
    ui_ = std::make_unique<widgets::QtDispatcher>(this);
    controller_ = std::make_unique<link::TransferController>(
        *ui_, static_cast<link::TransferView&>(*this), [this](std::string_view key) { return window_.text(key); });
    buildControls();
}

ConnectionWizard::~ConnectionWizard() {
    // The controller goes first: a transfer still running is cancelled (its CAN CAN leaves).
    controller_.reset();
}

std::string ConnectionWizard::lang(const char* key) const { return window_.text(key); }

std::string ConnectionWizard::storedPort() const { return window_.storedSettings().serialPortName; }

void ConnectionWizard::buildControls() {
    QPalette white;
    white.setColor(QPalette::WindowText, Qt::white);

    pageLabel_ = new QLabel(this);
    QFont counter(QStringLiteral("Arial"), 14, QFont::Bold, true);
    pageLabel_->setFont(counter);
    pageLabel_->setStyleSheet(QStringLiteral("color: aqua"));
    pageLabel_->setGeometry(12, 8, 60, 28);
    tag(pageLabel_, 0);

    instruction_ = new QLabel(this);
    QFont bold = font();
    bold.setBold(true);
    instruction_->setFont(bold);
    instruction_->setPalette(white);
    instruction_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    instruction_->setWordWrap(true);
    instruction_->setGeometry(80, 6, 304, 40);
    tag(instruction_, 0);

    backButton_ = new QPushButton(qs(lang("Creator_Label_Btn_Previous")), this);
    backButton_->setGeometry(74, 244, 96, 26);
    nextButton_ = new QPushButton(qs(lang("Creator_Label_Btn_Next")), this);
    nextButton_->setGeometry(176, 244, 96, 26);
    cancelButton_ = new QPushButton(qs(lang("TextBtnCancel")), this);
    cancelButton_->setGeometry(288, 244, 96, 26);
    for (QPushButton* b : {backButton_, nextButton_, cancelButton_})
        tag(b, 0);
    connect(backButton_, &QPushButton::clicked, this, [this] { goToPage(Move::Back); });
    connect(nextButton_, &QPushButton::clicked, this, [this] { goToPage(Move::Next); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelOrBreak(); });

    // Page 1
    portBox_ = new QComboBox(this);
    portBox_->setGeometry(20, 100, 354, 26);
    // A device the list does not know (a Bluetooth port, a pseudo-terminal) can be typed.
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    connect(portBox_->lineEdit(), &QLineEdit::editingFinished, this, [this] { checkTypedPort(); });
    tag(portBox_, 1);

    // Page 2
    typeDescription_ = new QLabel(this);
    typeDescription_->setPalette(white);
    typeDescription_->setWordWrap(true);
    typeDescription_->setGeometry(12, 50, 370, 44);
    typeCaption_ = new QLabel(qs(lang("Creator_Label_WhatDoNow")), this);
    typeCaption_->setPalette(white);
    typeCaption_->setGeometry(12, 94, 200, 16);
    typeList_ = new QListWidget(this);
    typeList_->setGeometry(12, 112, 370, 62);
    for (const char* key : kTypeKeys)
        typeList_->addItem(qs(lang(key)));
    pathCaption_ = new QLabel(qs(lang("Creator_Label_PatchAccess")), this);
    pathCaption_->setPalette(white);
    pathCaption_->setGeometry(12, 196, 200, 16);
    pathEdit_ = new QLineEdit(this);
    pathEdit_->setGeometry(12, 212, 270, 24);
    browseButton_ = new QPushButton(qs(lang("Creator_Label_Btn_View")), this);
    browseButton_->setGeometry(288, 211, 96, 26);
    autoOpenBox_ = new QCheckBox(qs(lang("Creator_Label_AutoOpenBaseData")), this);
    autoOpenBox_->setPalette(white);
    autoOpenBox_->setGeometry(12, 177, 370, 18);
    for (QWidget* w : std::initializer_list<QWidget*>{typeDescription_, typeCaption_, typeList_, pathCaption_, pathEdit_,
                                                      browseButton_, autoOpenBox_})
        tag(w, 2);
    connect(typeList_, &QListWidget::currentRowChanged, this, [this](int) { showTransmissionType(); });
    connect(typeList_, &QListWidget::itemDoubleClicked, this, [this] {
        browse();
        if (browseAccepted_ || type() == TransmissionType::SendCurrent)
            goToPage(Move::Next);
    });
    connect(browseButton_, &QPushButton::clicked, this, [this] { browse(); });

    // Page 3
    const char* captions[] = {"Creator_Label_Connection", "Creator_Label_File", "Creator_Label_FileSize",
                              "Creator_Label_Packet", "Creator_Label_Progress"};
    for (int i = 0; i < 5; ++i) {
        stateCaptions_[i] = new QLabel(qs(lang(captions[i])), this);
        stateCaptions_[i]->setPalette(white);
        stateCaptions_[i]->setGeometry(12, 56 + i * 34, 90, 24);
        tag(stateCaptions_[i], 3);
    }
    for (int i = 0; i < 4; ++i) {
        stateEdits_[i] = new QLineEdit(this);
        stateEdits_[i]->setReadOnly(true);
        stateEdits_[i]->setGeometry(104, 56 + i * 34, 280, 24);
        tag(stateEdits_[i], 3);
    }
    progress_ = new QProgressBar(this);
    progress_->setGeometry(104, 192, 280, 22);
    progress_->setTextVisible(false);
    tag(progress_, 3);
    connectButton_ = new QPushButton(qs(lang("Creator_Label_Btn_Connect")), this);
    connectButton_->setGeometry(nextButton_->geometry());
    connectButton_->setStyleSheet(
        QStringLiteral("QPushButton { color: red; font-weight: bold } QPushButton:disabled { color: gray }"));
    tag(connectButton_, 3);
    connect(connectButton_, &QPushButton::clicked, this, [this] { connectLink(); });

    cancelButton_->setDefault(false);
    cancelButton_->setAutoDefault(false);
}

TransmissionType ConnectionWizard::type() const {
    const int row = std::clamp(typeList_->currentRow(), 0, kTypeCount - 1);
    return static_cast<TransmissionType>(row);
}

bool ConnectionWizard::receiving() const {
    return type() == TransmissionType::ReceiveAll || type() == TransmissionType::ReceiveChannels;
}

link::ConnectionResult ConnectionWizard::linkResult() const { return controller_->result; }

bool ConnectionWizard::connecting() const { return controller_->busy(); }

void ConnectionWizard::selectType(TransmissionType t) { typeList_->setCurrentRow(static_cast<int>(t)); }

void ConnectionWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstActivation_) {
        firstActivation_ = false;
        // After the window is up: some start modes open dialogs of their own.
        QTimer::singleShot(0, this, [this] { firstActivation(); });
    }
}

void ConnectionWizard::firstActivation() {
    auto& settings = window_.storedSettings();
    directStart_ = mode_ != WizardMode::Menu;
    switch (mode_) {
    case WizardMode::Menu: {
        const int index = settings.wizardListIndex;
        selectType(index >= 0 && index < kTypeCount ? static_cast<TransmissionType>(index) : TransmissionType::SendCurrent);
        autoOpenBox_->setChecked(settings.flag(settings_flags::kConnectionWizardOption));
        page_ = settings.flag(settings_flags::kPortOpenFailed) ? 1 : 2;
        goToPage(Move::Refresh);
        break;
    }
    case WizardMode::FirstRun:
        selectType(TransmissionType::ReceiveAll);
        autoOpenBox_->setChecked(true);
        page_ = 1;
        goToPage(Move::Refresh);
        break;
    case WizardMode::ReceiveDatabase:
        selectType(TransmissionType::ReceiveAll);
        autoOpenBox_->setChecked(true);
        page_ = 2;
        goToPage(Move::Refresh);
        browse();
        break;
    case WizardMode::SendDatabase:
        selectType(TransmissionType::SendCurrent);
        autoOpenBox_->setChecked(false);
        page_ = 2;
        goToPage(Move::Refresh);
        goToPage(Move::Next);
        break;
    case WizardMode::SoftwareUpgrade: {
        selectType(TransmissionType::SendFile);
        autoOpenBox_->setChecked(false);
        page_ = 2;
        goToPage(Move::Refresh);
        const std::string file = window_.softwareImageFile();
        if (!file.empty()) {
            pathEdit_->setText(qs(file));
            goToPage(Move::Next);
        } else {
            browse();
            if (browseAccepted_)
                goToPage(Move::Next);
        }
        break;
    }
    }
}

void ConnectionWizard::fillPorts() {
    // Read again each time: an adapter plugged in since the last look shows up, and a stored
    // port that is missing stays chosen instead of being replaced by another device.
    const link::PortChoices choices = link::readPortChoices(storedPort());
    portBox_->clear();
    for (const auto& entry : choices.entries)
        portBox_->addItem(qs(link::portEntryText(entry)), qs(entry.path));
    portBox_->setCurrentIndex(choices.selectedIndex);
}

std::string ConnectionWizard::chosenPort() const {
    const QString text = portBox_->currentText().trimmed();
    const int index = portBox_->currentIndex();
    if (index >= 0 && text == portBox_->itemText(index))
        return portBox_->itemData(index).toString().toStdString();
    return text.toStdString();
}

bool ConnectionWizard::checkTypedPort() {
    const std::string port = chosenPort();
    if (port.empty() || portBox_->findData(qs(port)) >= 0 || usablePortPath(port)) {
        refusedPort_.clear();
        return true;
    }
    // Said once per text: the box loses the focus to the message, which ends the edit again.
    if (port != refusedPort_) {
        refusedPort_ = port;
        widgets::messageBox(port + " " + lang("Creator_Msg_PortNotDevice"), lang("TextError"), widgets::kStopOk, this);
    }
    return false;
}

void ConnectionWizard::showTransmissionType() {
    const TransmissionType t = type();
    const auto& settings = window_.storedSettings();
    typeDescription_->setText(qs(lang(kDescriptionKeys[static_cast<int>(t)])));
    const bool current = t == TransmissionType::SendCurrent;
    browseButton_->setEnabled(!current);
    pathEdit_->setEnabled(!current);
    if (current)
        pathEdit_->setText(window_.databaseLoaded() ? qs(window_.currentFileName()) : QStringLiteral("<none>"));
    else if (t == TransmissionType::SendFile)
        pathEdit_->setText(qs(settings.sendFileName));
    else
        pathEdit_->setText(qs(settings.receiveFileName));
    autoOpenBox_->setEnabled(t == TransmissionType::ReceiveAll);
}

void ConnectionWizard::goToPage(Move move) {
    if (move == Move::Back) {
        page_ = std::max(1, page_ - 1);
    } else if (move == Move::Next && page_ == 1) {
        if (!checkTypedPort())
            return;
        window_.storedSettings().serialPortName = chosenPort();
        page_ = 2;
    } else if (move == Move::Next && page_ == 2) {
        if (!checkPageTwo())
            return;
        page_ = 3;
    }
    showPage();
}

bool ConnectionWizard::checkPageTwo() {
    auto& settings = window_.storedSettings();
    if (settings.serialPortName.empty()) {
        widgets::messageBox(lang("Creator_NoInstallComPort"), lang("TextError"), widgets::kStopOk, this);
        return false;
    }
    std::string path = pathEdit_->text().toStdString();
    if (!receiving() && type() != TransmissionType::SendCurrent)
        path = withSendExtension(path);
    if (type() != TransmissionType::SendCurrent)
        pathEdit_->setText(qs(path));
    if (type() == TransmissionType::SendCurrent && window_.databaseLoaded() && window_.isModified()) {
        const std::string question = lang("Creator_FileModified01") + " " + window_.currentFileName() + " " +
                                     lang("Creator_FileModified02");
        if (widgets::messageBox(question, lang("Creator_SaveChanged"), widgets::kQuestionYesNo, this) != MessageAnswer::Yes)
            return false;
        window_.save();
        if (window_.isModified())
            return false;  // the save failed or was cancelled: nothing unsaved is sent
    }
    return receiving() ? checkReceivePath(path) : checkSendPath(path);
}

bool ConnectionWizard::checkReceivePath(const std::string& path) {
    auto& settings = window_.storedSettings();
    overwriteAgreed_ = false;
    const fs::path folder = fs::path(path).parent_path().empty() ? fs::path(".") : fs::path(path).parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        const widgets::MessageKind errorYesNo{widgets::MessageIcon::Stop, widgets::MessageButtons::YesNo};
        if (widgets::messageBox(lang("Creator_FolderNoExiste"), lang("TextError"), errorYesNo, this) != MessageAnswer::Yes)
            return false;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder, ec)) {
            widgets::messageBox(lang("Creator_CantCreateFolder"), lang("TextError"), widgets::kStopOk, this);
            return false;
        }
    }
    if (!checkReceiveFolder(folder).ok()) {
        widgets::messageBox(lang("Creator_NoEnoughSpace"), lang("TextError"), widgets::kStopOk, this);
        (void)kHelpContextSpace;
        return false;
    }
    if (fs::exists(path, ec) && !fs::is_directory(path, ec)) {
        const std::string question =
            lang("MsgFile") + " '" + fs::path(path).filename().string() + "' " + lang("MsgExistingOverwrite");
        if (widgets::messageBox(question, lang("TextInformation"), widgets::kQuestionYesNo, this) != MessageAnswer::Yes)
            return false;
        overwriteAgreed_ = true;  // the previous file is kept as its ".BAK"
    }
    settings.receiveFileName = path;
    return true;
}

bool ConnectionWizard::checkSendPath(const std::string& path) {
    if (type() == TransmissionType::SendCurrent && !window_.databaseLoaded()) {
        widgets::messageBox(lang("Creator_FileNoContainBase"), lang("TextError"), widgets::kStopOk, this);
        return false;
    }
    const std::string file = type() == TransmissionType::SendCurrent ? window_.currentFileName() : path;
    sendSize_ = sendFileSize(file);
    if (!sendSizeAcceptable(sendSize_)) {
        widgets::messageBox(lang("Creator_FileCantRead"), lang("TextError"), widgets::kStopOk, this);
        return false;
    }
    if (type() == TransmissionType::SendFile)
        window_.storedSettings().sendFileName = path;
    return true;
}

void ConnectionWizard::showPage() {
    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || !w->property(kPageProperty).isValid())
            continue;
        const int p = w->property(kPageProperty).toInt();
        if (p > 0)
            w->setVisible((p & 0x0F) == page_);
    }
    pageLabel_->setText(QString::number(page_) + QStringLiteral("/3"));
    if (page_ == 1)
        instruction_->setText(qs(lang("Creator_SelectComPort")));
    else if (page_ == 2)
        instruction_->setText(qs(lang("Creator_SelectTypeOftransmission")));
    else
        instruction_->setText(qs(lang(receiving() ? "Creator_ReceiveFile" : "Creator_SendFile")));
    backButton_->setEnabled(true);
    nextButton_->setEnabled(true);
    nextButton_->setVisible(page_ != 3);
    if (page_ == 1) {
        backButton_->setEnabled(false);
        fillPorts();
    } else if (page_ == 2) {
        showTransmissionType();
    } else {
        stateEdits_[0]->clear();
        stateEdits_[3]->clear();
        progress_->setValue(0);
        const std::string path =
            type() == TransmissionType::SendCurrent ? window_.currentFileName() : pathEdit_->text().toStdString();
        stateEdits_[1]->setText(qs(path));
        if (receiving()) {
            connectButton_->setText(qs(lang("Creator_Receive")));
            stateEdits_[2]->setText(QStringLiteral("<>"));
            progress_->setMaximum(100);
        } else {
            connectButton_->setText(qs(lang("Creator_Send")));
            progress_->setMaximum(static_cast<int>(std::min<std::int64_t>(sendSize_, INT32_MAX)));
            stateEdits_[2]->setText(qs(std::to_string(sendSize_) + " " + lang("Creator_Bytes") + " " +
                                       std::to_string(sendSize_ / 1000) + " kB"));
        }
        nextButton_->setEnabled(false);
        connectButton_->setFocus();
    }
}

void ConnectionWizard::browse() {
    auto& settings = window_.storedSettings();
    browseAccepted_ = false;
    if (type() == TransmissionType::SendFile) {
        widgets::FileDialogRequest request;
        request.title = lang("Creator_Msg_SelectFileToSend");
        request.filter = lang("Creator_Msg_FileBaseData");
        request.defaultExtension = "dsp";
        request.fileMustExist = true;
        request.parent = this;
        if (!settings.sendFileName.empty())
            request.initialFolder = fs::path(settings.sendFileName).parent_path().string();
        if (const auto chosen = widgets::openFileDialog(request)) {
            browseAccepted_ = true;
            settings.sendFileName = *chosen;
            pathEdit_->setText(qs(*chosen));
        }
    } else if (receiving()) {
        const std::string start = fs::path(settings.receiveFileName).parent_path().string();
        const std::string folder = window_.browseForFolder(lang("Creator_Msg_SelectFileToReceive"), start);
        if (!folder.empty()) {
            browseAccepted_ = true;
            // The browser gives a folder; the path box names a file in it, so that the folder
            // part is the target and the name the one an existing file is checked against.
            std::string name = fs::path(settings.receiveFileName).filename().string();
            if (name.empty())
                name = kDefaultReceiveName;
            settings.receiveFileName = (fs::path(folder) / name).string();
            pathEdit_->setText(qs(settings.receiveFileName));
        }
    }
}

void ConnectionWizard::setConnecting(bool on) {
    cancelButton_->setText(qs(lang(on ? "Creator_Label_Btn_Break" : "TextBtnCancel")));
    backButton_->setEnabled(!on);
    connectButton_->setEnabled(!on);
}

void ConnectionWizard::connectLink() {
    if (controller_->busy())
        return;
    setConnecting(true);
    receivedFile_.clear();
    auto& engine = controller_->engine;
    engine.files.clear();
    const std::string path =
        type() == TransmissionType::SendCurrent ? window_.currentFileName() : pathEdit_->text().toStdString();
    std::string_view command = link::kCommandSend;
    if (receiving()) {
        engine.direction = link::TransferDirection::Download;
        const fs::path folder = fs::path(path).parent_path();
        engine.targetFolder = folder.empty() ? std::string(".") : folder.string();
        command = type() == TransmissionType::ReceiveAll ? link::kCommandGetSettings : link::kCommandGetBase;
    } else {
        engine.direction = link::TransferDirection::Upload;
        engine.files = {path};
        sentBytes_.clear();
        if (type() == TransmissionType::SendCurrent) {
            // What is sent, as it is sent: the verification compares the receiver's copy with it.
            std::ifstream in(path, std::ios::binary);
            sentBytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    controller_->connect(storedPort(), command);
}

void ConnectionWizard::cancelOrBreak() {
    if (verifying_ && !controller_->busy()) {
        verifyBroken_ = true;
        setConnecting(false);
        finishVerification();
        return;
    }
    if (!controller_->busy() && !controller_->port.isOpen()) {
        QDialog::reject();
        return;
    }
    const bool running = controller_->engine.isRunning();
    if (verifying_)
        verifyBroken_ = true;
    controller_->userBreak();
    setConnecting(false);
    stateEdits_[0]->setText(qs(lang("Creator_Msg_ConnectBreakUser")));
    // A running transfer ends by itself and reports "End connection" then; a handshake stops
    // without a word, so a verification broken off there ends here.
    if (verifying_ && !running)
        finishVerification();
}

// ---- what the controller reports

void ConnectionWizard::showConnection(const std::string& text) { stateEdits_[0]->setText(qs(text)); }
void ConnectionWizard::showFile(const std::string& text) {
    stateEdits_[1]->setText(qs(text));
    receivedFile_ = text;
}
void ConnectionWizard::showFileSize(const std::string& text) { stateEdits_[2]->setText(qs(text)); }
void ConnectionWizard::showPacket(const std::string& text) { stateEdits_[3]->setText(qs(text)); }
void ConnectionWizard::setProgressMax(std::int64_t max) {
    progress_->setMaximum(static_cast<int>(std::clamp<std::int64_t>(max, 1, INT32_MAX)));
}
void ConnectionWizard::setProgress(std::int64_t position) {
    progress_->setValue(static_cast<int>(std::clamp<std::int64_t>(position, 0, progress_->maximum())));
}
void ConnectionWizard::portConfirmed() {
    window_.storedSettings().setFlag(settings_flags::kPortOpenFailed, false);
}

void ConnectionWizard::portFailed(const std::string& reason) {
    const std::string message = lang("Creator_Msg_CantOpenComPort") + " " + storedPort();
    window_.storedSettings().setFlag(settings_flags::kPortOpenFailed, true);
    widgets::messageBox(message + "\n\n" + reason, lang("TextError"), widgets::kStopOk, this);
    stateEdits_[0]->setText(qs(message));
}

void ConnectionWizard::connectionEnded() {
    setConnecting(false);
    if (verifying_) {
        finishVerification();
        return;
    }
    if (controller_->result != link::ConnectionResult::Ok) {
        if (!controller_->failureText().empty() && controller_->result == link::ConnectionResult::TransferFailed)
            stateEdits_[0]->setText(qs(lang("Creator_Msg_EndOfConnection") + ": " + controller_->failureText()));
        return;  // stays on the last page: connect again, go back or cancel
    }
    if (receiving())
        finishReceive();
    else if (type() == TransmissionType::SendCurrent && offerVerification())
        return;
    // Closing releases the controller, which called this: leave its call first.
    QTimer::singleShot(0, this, [this] { accept(); });
}

bool ConnectionWizard::offerVerification() {
    sendSucceeded_ = true;
    if (sentBytes_.empty())
        return false;
    if (widgets::messageBox(kVerifyQuestion, kVerifyTitle, widgets::kQuestionYesNo, this) != MessageAnswer::Yes)
        return false;
    std::string error;
    verifyFolder_ = VerificationFolder::create(error);
    if (!verifyFolder_) {
        showVerificationResult(kVerifyTitle, error + "\n", window_.hostWindow());
        return false;
    }
    // The controller called this; the next connection starts once its call has returned. Until
    // then Break already ends the verification.
    verifying_ = true;
    verifyBroken_ = false;
    instruction_->setText(qs(kVerifyTitle));
    stateEdits_[3]->clear();
    progress_->setValue(0);
    setConnecting(true);
    QTimer::singleShot(0, this, [this] { startVerification(); });
    return true;
}

void ConnectionWizard::startVerification() {
    if (!verifying_)
        return;  // broken off before it started
    receivedFile_.clear();
    auto& engine = controller_->engine;
    engine.files.clear();
    engine.direction = link::TransferDirection::Download;
    engine.targetFolder = verifyFolder_->path().string();
    controller_->connect(storedPort(), link::kCommandGetSettings);
}

void ConnectionWizard::finishVerification() {
    verifying_ = false;
    const link::ConnectionResult result = controller_->result;
    ReceiveBackEnd end = ReceiveBackEnd::Received;
    if (verifyBroken_ || result == link::ConnectionResult::UserBreak)
        end = ReceiveBackEnd::Cancelled;
    else if (result != link::ConnectionResult::Ok)
        end = ReceiveBackEnd::Failed;
    std::string failure = controller_->failureText();
    if (failure.empty() && end == ReceiveBackEnd::Failed)
        failure = stateEdits_[0]->text().toStdString();
    // Only a file inside the verification folder counts as the receiver's copy.
    std::string received;
    if (!receivedFile_.empty() && fs::path(receivedFile_).parent_path() == verifyFolder_->path())
        received = receivedFile_;
    const VerificationOutcome outcome = verificationOutcome(end, failure, sentBytes_, received);
    verifyFolder_.reset();
    showVerificationResult(kVerifyTitle, outcome.text, window_.hostWindow());
    QTimer::singleShot(0, this, [this] { accept(); });
}

void ConnectionWizard::finishReceive() {
    std::string file = receivedFile_;
    const std::string wanted = pathEdit_->text().toStdString();
    const auto& announced = controller_->engine.files;
    // A received image replaces the file the user agreed to replace, the old one kept as ".BAK".
    if (overwriteAgreed_ && !file.empty() && !announced.empty() && fs::path(announced.back()) == fs::path(wanted))
        file = takeWantedName(file, wanted).string();
    if (type() == TransmissionType::ReceiveAll && autoOpenBox_->isChecked() && !file.empty()) {
        std::error_code ec;
        if (fs::exists(file, ec) && classifyImageFile(file) == kImageDatabase)
            window_.openFileLater(file);
    }
}

void ConnectionWizard::paintEvent(QPaintEvent*) {
    // A vertical gradient of 64 bands from black to blue.
    QPainter painter(this);
    const int band = height() / kGradientBands + 1;
    for (int i = 0; i < kGradientBands; ++i)
        painter.fillRect(0, i * band, width(), band, QColor(0, 0, 4 * i));
}

void ConnectionWizard::reject() {
    // Escape cancels, but not while connecting: then only the Break button ends it.
    if (controller_->busy())
        return;
    if (verifying_) {
        cancelOrBreak();  // a verification about to start ends as cancelled, its folder removed
        return;
    }
    QDialog::reject();
}

void ConnectionWizard::closeEvent(QCloseEvent* event) {
    if (controller_->busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ConnectionWizard::done(int result) {
    if (closing_)
        return;
    closing_ = true;
    auto& settings = window_.storedSettings();
    // A send that succeeded stays a success whatever its verification found.
    const bool succeeded = controller_->result == link::ConnectionResult::Ok || sendSucceeded_;
    if (succeeded && !directStart_) {
        settings.wizardListIndex = static_cast<int>(type());
        settings.setFlag(settings_flags::kConnectionWizardOption, autoOpenBox_->isChecked());
    }
    window_.wizardClosed(succeeded && type() == TransmissionType::SendFile);
    QDialog::done(result);
}

void openConnectionWizard(WizardHost& window, WizardMode mode) {
    ConnectionWizard wizard(window, mode);
    wizard.exec();
}

} // namespace cs::wizard
