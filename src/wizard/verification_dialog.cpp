#include "wizard/verification_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace cs::wizard {

VerificationDialog::VerificationDialog(const std::string& title, const std::string& report, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(kObjectName));
    setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(this);
    report_ = new QPlainTextEdit(this);
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    report_->setPlainText(QString::fromStdString(report));
    layout->addWidget(report_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(report_->toPlainText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(560, 360);
}

std::string VerificationDialog::reportText() const { return report_->toPlainText().toStdString(); }

VerificationDialog* showVerificationResult(const std::string& title, const std::string& report, QWidget* parent) {
    auto* dialog = new VerificationDialog(title, report, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace cs::wizard
