#pragma once
// The connection wizard: a modal three-page window through which every exchange with the
// receiver runs. Page 1 chooses the serial port, page 2 what to transmit and where, page 3
// connects and shows the progress that the transfer controller reports.
#include "link/transfer_controller.h"
#include "wizard/send_verification.h"
#include "wizard/wizard_host.h"
#include "wizard/wizard_mode.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace cs::widgets {
class QtDispatcher;
}

namespace cs::wizard {

// Entries of the transmission list, in list order.
enum class TransmissionType { SendCurrent = 0, SendFile = 1, ReceiveAll = 2, ReceiveChannels = 3 };

class ConnectionWizard final : public QDialog, private link::TransferView {
    Q_OBJECT

public:
    ConnectionWizard(WizardHost& host, WizardMode mode, QWidget* parent = nullptr);
    ~ConnectionWizard() override;

    enum class Move { Back, Next, Refresh };
    void goToPage(Move move);
    void browse();
    void connectLink();
    // The third button: Cancel, or Break while a connection is under way.
    void cancelOrBreak();
    void selectType(TransmissionType type);

    int page() const { return page_; }
    TransmissionType type() const;
    bool receiving() const;
    link::ConnectionResult linkResult() const;
    bool connecting() const;
    // True while the database just sent is being received back to be compared.
    bool verifying() const { return verifying_; }

    // The controls, for the tests.
    QComboBox* portBox() const { return portBox_; }
    QListWidget* typeList() const { return typeList_; }
    QLineEdit* pathEdit() const { return pathEdit_; }
    QCheckBox* autoOpenBox() const { return autoOpenBox_; }
    QPushButton* backButton() const { return backButton_; }
    QPushButton* nextButton() const { return nextButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QPushButton* connectButton() const { return connectButton_; }
    QLineEdit* connectionEdit() const { return stateEdits_[0]; }
    QLineEdit* fileEdit() const { return stateEdits_[1]; }
    QLineEdit* sizeEdit() const { return stateEdits_[2]; }
    QLineEdit* packetEdit() const { return stateEdits_[3]; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* pageLabel() const { return pageLabel_; }
    QLabel* instructionLabel() const { return instruction_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    // TransferView
    void showConnection(const std::string& text) override;
    void showFile(const std::string& text) override;
    void showFileSize(const std::string& text) override;
    void showPacket(const std::string& text) override;
    void setProgressMax(std::int64_t max) override;
    void setProgress(std::int64_t position) override;
    void portConfirmed() override;
    void portFailed(const std::string& reason) override;
    void connectionEnded() override;

    void buildControls();
    void firstActivation();
    void fillPorts();
    void showTransmissionType();
    bool checkPageTwo();
    bool checkReceivePath(const std::string& path);
    bool checkSendPath(const std::string& path);
    void showPage();
    void setConnecting(bool on);
    void finishReceive();
    // After the current database was sent: ask whether to verify it; true when the receive
    // back has been set going (the wizard then stays open until it ends).
    bool offerVerification();
    void startVerification();
    void finishVerification();
    std::string lang(const char* key) const;
    std::string storedPort() const;
    // The port chosen in the box, or the path typed into it.
    std::string chosenPort() const;
    // A typed port must be a character device; false (and said) when it is not.
    bool checkTypedPort();

    WizardHost& window_;
    const WizardMode mode_;
    std::unique_ptr<widgets::QtDispatcher> ui_;
    std::unique_ptr<link::TransferController> controller_;
    int page_ = 1;
    bool directStart_ = false;
    bool firstActivation_ = true;
    bool browseAccepted_ = false;
    bool overwriteAgreed_ = false;
    bool closing_ = false;
    std::int64_t sendSize_ = 0;
    std::string receivedFile_;
    // Verifying after a send: the bytes that were sent, the folder the receiver's copy lands in.
    std::vector<std::uint8_t> sentBytes_;
    std::optional<VerificationFolder> verifyFolder_;
    bool verifying_ = false;
    bool verifyBroken_ = false;
    bool sendSucceeded_ = false;

    QLabel* pageLabel_ = nullptr;
    QLabel* instruction_ = nullptr;
    QPushButton* backButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QComboBox* portBox_ = nullptr;
    std::string refusedPort_;
    QLabel* typeDescription_ = nullptr;
    QLabel* typeCaption_ = nullptr;
    QListWidget* typeList_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLabel* pathCaption_ = nullptr;
    QLineEdit* pathEdit_ = nullptr;
    QCheckBox* autoOpenBox_ = nullptr;
    QLabel* stateCaptions_[5] = {};
    QLineEdit* stateEdits_[4] = {};
    QProgressBar* progress_ = nullptr;
    QPushButton* connectButton_ = nullptr;
};

// The main window's hook: creates the wizard in `mode`, shows it modally and releases it.
void openConnectionWizard(WizardHost& window, WizardMode mode);

} // namespace cs::wizard
