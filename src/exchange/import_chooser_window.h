#pragma once
// The import chooser window: the components of an import file with their check boxes, the
// detail list of colour profiles and receiver settings, and the file's description. Every click
// goes to ImportChooserFlow; the window only draws its state.
#include "exchange/import_chooser_flow.h"
#include "exchange/importer.h"

#include <QDialog>

#include <string>

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace cs::exchange_ui {

class ImportChooserWindow final : public QDialog {
    Q_OBJECT

public:
    // `title` is the program's title, shown as the window's caption.
    ImportChooserWindow(ImportChooser& chooser, const ImportFile& file, const std::string& title,
                        QWidget* parent = nullptr);

    ImportChooserFlow& flow() { return flow_; }
    QListWidget* componentList() const { return components_; }
    QListWidget* detailList() const { return details_; }
    QPlainTextEdit* descriptionView() const { return memo_; }
    QGroupBox* componentFrame() const { return frame_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* detailsButton() const { return detailsButton_; }
    QPushButton* descriptionButton() const { return descriptionButton_; }
    QPushButton* helpButton() const { return help_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void handle(ChooserStep step);
    void fillDetails();
    void refresh();

    ImportChooserFlow flow_;
    QGroupBox* frame_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QListWidget* components_ = nullptr;
    QListWidget* details_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* detailsButton_ = nullptr;
    QPushButton* descriptionButton_ = nullptr;
    QPushButton* help_ = nullptr;
    bool filling_ = false;
};

// Shows the chooser modally; true when the user confirmed a selection.
bool chooseComponents(ImportChooser& chooser, const ImportFile& file, const std::string& title, QWidget* parent);

// Reads `path`, shows the chooser and applies what was chosen to `database`. Failures to read the
// file and components refused while applying are told in message boxes; the result says what
// changed, so the caller can refresh its views and mark the database modified.
ImportResult importWithChooser(const std::string& path, ChannelDatabase& database, const std::string& title,
                               QWidget* parent);

} // namespace cs::exchange_ui
