#pragma once
// The result of verifying a sent database: the report in a read-only text the user can select
// and copy, a Copy button and Close. It is not modal and belongs to the main window, so that it
// stays readable after the wizard has closed.
#include <QDialog>

#include <string>

class QPlainTextEdit;

namespace cs::wizard {

class VerificationDialog final : public QDialog {
    Q_OBJECT

public:
    VerificationDialog(const std::string& title, const std::string& report, QWidget* parent);

    QPlainTextEdit* reportView() const { return report_; }
    std::string reportText() const;

    static constexpr char kObjectName[] = "sendVerificationResult";

private:
    QPlainTextEdit* report_ = nullptr;
};

// Shows the report over `parent`; the dialog deletes itself when closed.
VerificationDialog* showVerificationResult(const std::string& title, const std::string& report, QWidget* parent);

} // namespace cs::wizard
