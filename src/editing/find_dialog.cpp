#include "editing/find_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace cs::editing {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("findDialog"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("findText"));
    row->addWidget(text_, 1);
    find_ = new QPushButton(this);
    find_->setObjectName(QStringLiteral("findButton"));
    find_->setDefault(true);
    row->addWidget(find_);
    layout->addLayout(row);
    auto* options = new QHBoxLayout;
    wholeWord_ = new QCheckBox(this);
    wholeWord_->setObjectName(QStringLiteral("findWholeWord"));
    options->addWidget(wholeWord_, 1);
    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("findClose"));
    options->addWidget(close_);
    layout->addLayout(options);
    connect(find_, &QPushButton::clicked, this, &FindDialog::findRequested);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    text_->setFocus();
}

QString FindDialog::searchText() const { return text_->text(); }
void FindDialog::setSearchText(const QString& text) { text_->setText(text); }
bool FindDialog::wholeWord() const { return wholeWord_->isChecked(); }
void FindDialog::setWholeWord(bool on) { wholeWord_->setChecked(on); }

void FindDialog::setTexts(const QString& title, const QString& find, const QString& close, const QString& wholeWord) {
    setWindowTitle(title);
    find_->setText(find);
    close_->setText(close);
    wholeWord_->setText(wholeWord);
}

void FindDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    text_->setFocus();
    text_->selectAll();
    emit shown();
}

void FindDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        emit languageChanged();
}

void FindDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    mode_ = FindMode::Next;
    emit closed();
}

} // namespace cs::editing
