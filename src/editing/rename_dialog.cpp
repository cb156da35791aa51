#include "editing/rename_dialog.h"

#include "database/display_texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace cs::editing {

namespace {

enum PreviewColumn { kOldColumn, kNewColumn, kNoteColumn, kPreviewColumns };

// Names are the receiver's single-byte characters, shown as Latin-1 as the list shows them.
QString nameText(const std::string& name) { return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())); }

} // namespace

RenameDialog::RenameDialog(const ChannelDatabase& db, const DisplayTexts& texts, std::vector<std::uint16_t> channelSlots,
                           QWidget* parent)
    : QDialog(parent), db_(db), texts_(texts), slots_(std::move(channelSlots)) {
    const auto text = [this](const char* key) { return QString::fromStdString(texts_.text(key)); };
    setObjectName(QStringLiteral("renameDialog"));
    setWindowTitle(text(rename_keys::kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("renameFind"));
    find_->setMaxLength(static_cast<int>(kRenamePatternMax));
    replace_ = new QLineEdit(this);
    replace_->setObjectName(QStringLiteral("renameReplace"));
    form->addRow(text(rename_keys::kFind), find_);
    form->addRow(text(rename_keys::kReplace), replace_);
    layout->addLayout(form);
    auto* options = new QHBoxLayout;
    regex_ = new QCheckBox(text(rename_keys::kRegex), this);
    regex_->setObjectName(QStringLiteral("renameRegex"));
    ignoreCase_ = new QCheckBox(text(rename_keys::kIgnoreCase), this);
    ignoreCase_->setObjectName(QStringLiteral("renameIgnoreCase"));
    options->addWidget(regex_);
    options->addWidget(ignoreCase_);
    options->addStretch(1);
    layout->addLayout(options);
    preview_ = new QTableWidget(0, kPreviewColumns, this);
    preview_->setObjectName(QStringLiteral("renamePreview"));
    preview_->setHorizontalHeaderLabels({text(rename_keys::kOldName), text(rename_keys::kNewName), QString()});
    preview_->verticalHeader()->hide();
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    preview_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(preview_, 1);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("renameSummary"));
    layout->addWidget(summary_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(text(rename_keys::kOk));
    buttons_->button(QDialogButtonBox::Cancel)->setText(text(rename_keys::kCancel));
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit* edit : {find_, replace_})
        connect(edit, &QLineEdit::textChanged, this, &RenameDialog::refreshPreview);
    for (QCheckBox* box : {regex_, ignoreCase_})
        connect(box, &QCheckBox::toggled, this, &RenameDialog::refreshPreview);
    resize(520, 420);
    refreshPreview();
}

void RenameDialog::refreshPreview() {
    const auto text = [this](const char* key) { return QString::fromStdString(texts_.text(key)); };
    RenameOptions options;
    options.find = find_->text().toLatin1().toStdString();
    options.replace = replace_->text().toLatin1().toStdString();
    options.regex = regex_->isChecked();
    options.ignoreCase = ignoreCase_->isChecked();
    RenamePatternProblem problem = RenamePatternProblem::None;
    const auto rewriter = NameRewriter::make(options, &problem);
    rows_.clear();
    if (rewriter)
        rows_ = previewRename(db_, slots_, *rewriter);
    // Every channel is listed; without a usable find text the new names are the old ones.
    preview_->setRowCount(static_cast<int>(slots_.size()));
    const QString ruledText = text(rename_keys::kRuled);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const int row = static_cast<int>(i);
        const std::string oldName(db_.record(slots_[i]).name());
        const RenameRow* r = rows_.empty() ? nullptr : &rows_[i];
        auto* oldItem = new QTableWidgetItem(nameText(oldName));
        auto* newItem = new QTableWidgetItem(nameText(r ? r->newName : oldName));
        auto* noteItem = new QTableWidgetItem(r && r->ruled ? ruledText : QString());
        if (r && r->renamed()) {
            QFont bold = newItem->font();
            bold.setBold(true);
            newItem->setFont(bold);
        }
        if (r && r->ruled) {
            for (QTableWidgetItem* item : {newItem, noteItem})
                item->setForeground(Qt::darkRed);
        }
        preview_->setItem(row, kOldColumn, oldItem);
        preview_->setItem(row, kNewColumn, newItem);
        preview_->setItem(row, kNoteColumn, noteItem);
    }
    preview_->resizeColumnsToContents();
    const RenameSummary sum = summarizeRename(rows_);
    if (problem == RenamePatternProblem::BadExpression)
        summary_->setText(text(rename_keys::kBadExpression));
    else
        summary_->setText(QStringLiteral("%1: %2   %3: %4   %5: %6")
                              .arg(text(rename_keys::kRenamed))
                              .arg(sum.renamed)
                              .arg(text(rename_keys::kUnchanged))
                              .arg(rows_.empty() ? slots_.size() : sum.unchanged)
                              .arg(text(rename_keys::kCut))
                              .arg(sum.cut));
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(sum.renamed > 0);
}

std::optional<RenameSummary> renameChannels(ChannelDatabase& db, const DisplayTexts& texts,
                                            std::vector<std::uint16_t> channelSlots, const std::function<void()>& beforeChange,
                                            QWidget* parent) {
    RenameDialog dialog(db, texts, std::move(channelSlots), parent);
    if (dialog.exec() != QDialog::Accepted || dialog.summary().renamed == 0)
        return std::nullopt;
    if (beforeChange)
        beforeChange();
    return applyRename(db, dialog.rows());
}

} // namespace cs::editing
