#include "reference/duplicates_window.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "reference/duplicate_choice.h"
#include "widgets/message_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace cs::reference_ui {

namespace {

constexpr int kSlotRole = Qt::UserRole;

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

QString DuplicatesWindow::text(const char* key) const { return QString::fromStdString(texts_.text(key)); }

DuplicatesWindow::DuplicatesWindow(ChannelDatabase& db, const DisplayTexts& texts,
                                   std::function<void(std::size_t)> removed, QWidget* parent)
    : QDialog(parent), db_(db), texts_(texts), removed_(std::move(removed)) {
    setObjectName(QStringLiteral("duplicatesWindow"));
    setWindowTitle(text(kDuplicatesCaption));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("duplicatesSummary"));
    summary_->setWordWrap(true);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("duplicateGroups"));
    tree_->setHeaderLabels({text("ColumnNumber"), text("ColumnName"), text("ColumnSatellite"), text("ColumnFrequency"),
                            text("ColumnPolarisation"), text("ColumnServiceId"), text("ColumnLists")});
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->setMinimumSize(640, 320);
    remove_ = new QPushButton(text("DupRemoveChosen"), this);
    remove_->setObjectName(QStringLiteral("removeChosen"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(text("FindClose"));
    auto* row = new QHBoxLayout;
    row->addWidget(remove_);
    row->addStretch(1);
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(tree_, 1);
    layout->addLayout(row);
    connect(remove_, &QPushButton::clicked, this, [this] { removeChosen(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemChanged, this, &DuplicatesWindow::rowChanged);
    refresh();
}

void DuplicatesWindow::refresh() {
    groups_ = findDuplicates(db_);
    const std::vector<std::uint16_t> chosen = defaultDuplicateChoice(groups_);
    const std::vector<std::uint32_t> numbers = tableNumbers(db_);
    syncing_ = true;
    tree_->clear();
    if (!groups_.services.empty())
        addSection(kServiceSection, groups_.services, chosen, numbers);
    if (!groups_.names.empty())
        addSection(kNameSection, groups_.names, chosen, numbers);
    tree_->expandAll();
    syncing_ = false;
    const bool any = !groups_.services.empty() || !groups_.names.empty();
    if (any)
        summary_->setText(QStringLiteral("%1 %2, %3 %4. %5")
                              .arg(groups_.services.size())
                              .arg(text("DupCountServices"))
                              .arg(groups_.names.size())
                              .arg(text("DupCountNames"), text("DupExplain")));
    else
        summary_->setText(text("DupNone"));
    tree_->setVisible(any);
    remove_->setEnabled(any);
}

void DuplicatesWindow::addSection(const char* caption, const std::vector<std::vector<std::uint16_t>>& groups,
                                  const std::vector<std::uint16_t>& chosen, const std::vector<std::uint32_t>& numbers) {
    auto* section =
        new QTreeWidgetItem(tree_, {QStringLiteral("%1: %2 %3").arg(text(caption)).arg(groups.size()).arg(text("DupGroups"))});
    section->setFirstColumnSpanned(true);
    const SettingsModel& settings = db_.flash().settings();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        auto* group = new QTreeWidgetItem(section, {text("DupGroup") + QLatin1Char(' ') + QString::number(g + 1)});
        group->setFirstColumnSpanned(true);
        for (std::uint16_t slot : groups[g]) {
            const ChannelRow row = texts_.channelRowTexts(slot, 0, false);
            QStringList lists;
            for (std::size_t list : listMemberships(db_, slot))
                lists << latin1(settings.listName(list));
            auto* item = new QTreeWidgetItem(group, {QString::number(numbers[slot]), latin1(row.name), latin1(row.satellite),
                                                     QString::fromStdString(row.frequency),
                                                     QString::fromStdString(row.polarisation),
                                                     QString::number(db_.record(slot).serviceId()), lists.join(QStringLiteral(", "))});
            item->setData(0, kSlotRole, slot);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, std::binary_search(chosen.begin(), chosen.end(), slot) ? Qt::Checked : Qt::Unchecked);
        }
    }
}

std::vector<QTreeWidgetItem*> DuplicatesWindow::channelRows() const {
    std::vector<QTreeWidgetItem*> rows;
    for (int s = 0; s < tree_->topLevelItemCount(); ++s) {
        QTreeWidgetItem* section = tree_->topLevelItem(s);
        for (int g = 0; g < section->childCount(); ++g)
            for (int c = 0; c < section->child(g)->childCount(); ++c)
                rows.push_back(section->child(g)->child(c));
    }
    return rows;
}

void DuplicatesWindow::rowChanged(QTreeWidgetItem* item, int column) {
    if (syncing_ || column != 0 || !item->data(0, kSlotRole).isValid())
        return;
    setChosen(static_cast<std::uint16_t>(item->data(0, kSlotRole).toUInt()), item->checkState(0) == Qt::Checked);
}

void DuplicatesWindow::setChosen(std::uint16_t slot, bool chosen) {
    syncing_ = true;
    for (QTreeWidgetItem* row : channelRows())
        if (row->data(0, kSlotRole).toUInt() == slot)
            row->setCheckState(0, chosen ? Qt::Checked : Qt::Unchecked);
    syncing_ = false;
}

std::vector<std::uint16_t> DuplicatesWindow::chosenSlots() const {
    std::vector<std::uint16_t> chosen;
    for (QTreeWidgetItem* row : channelRows())
        if (row->checkState(0) == Qt::Checked)
            chosen.push_back(static_cast<std::uint16_t>(row->data(0, kSlotRole).toUInt()));
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}

bool DuplicatesWindow::removeChosen() {
    const std::vector<std::uint16_t> chosen = chosenSlots();
    if (chosen.empty()) {
        widgets::messageBox(texts_.text("DupNothingChosen"), texts_.text(kDuplicatesCaption), widgets::kInformationOk,
                            this);
        return false;
    }
    const DuplicatePlan plan = planDuplicateRemoval(groups_, chosen);
    if (!plan.ok()) {
        const std::uint16_t slot = plan.unkept.front();
        const ChannelRow row = texts_.channelRowTexts(slot, 0, false);
        widgets::messageBox(texts_.text("DupWholeGroup") + " \"" + QString::fromLatin1(row.name.c_str()).toStdString() +
                                "\" (" + QString::fromLatin1(row.satellite.c_str()).toStdString() +
                                "): " + texts_.text("DupWholeGroupReason"),
                            texts_.text(kDuplicatesCaption), widgets::kStopOk, this);
        return false;
    }
    // Destructive, so asked first like every other removal.
    const std::string question = texts_.text("MsgRemoveDuplicates") + " " + std::to_string(chosen.size());
    if (widgets::messageBox(question, texts_.text(kDuplicatesCaption), widgets::kQuestionYesNo, this) !=
        widgets::MessageAnswer::Yes)
        return false;
    const std::size_t count = removeDuplicates(db_, plan.removals);
    if (removed_)
        removed_(count);
    refresh();
    return true;
}

} // namespace cs::reference_ui
