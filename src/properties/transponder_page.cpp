#include "properties/transponder_page.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "properties/page_support.h"
#include "properties/transponder_dialog.h"
#include "properties/transponder_update_dialog.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace cs::properties {

namespace {

constexpr int kSlotRole = Qt::UserRole;

TransponderTable& liveTable(const PropertiesContext& c) { return c.database->flash().transponders(); }

} // namespace

TransponderPage::TransponderPage(const PropertiesContext& context, QWidget* parent)
    : SettingsPage(parent), context_(context), runDialog_([](TransponderDialog& d) { d.exec(); }),
      runUpdate_([](TransponderUpdateDialog& d) { return d.exec(); }) {
    setObjectName(QStringLiteral("transponderPage"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    satellite_ = new QComboBox(this);
    top->addRow(QStringLiteral("Propertis_List_transponder_Satellite"), satellite_);
    layout->addLayout(top);
    auto* grid = new QGridLayout;
    list_ = new QTreeWidget(this);
    list_->setColumnCount(6);
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    empty_ = new QLabel(this);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    empty_->setAutoFillBackground(true);
    empty_->setBackgroundRole(QPalette::Base);
    empty_->hide();
    grid->addWidget(list_, 0, 0);
    grid->addWidget(empty_, 0, 0, Qt::AlignCenter);
    layout->addLayout(grid);
    add_ = new QPushButton(this);
    delete_ = new QPushButton(this);
    update_ = new QPushButton(this);
    update_->setObjectName(QStringLiteral("transponderUpdate"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addWidget(update_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(satellite_, &QComboBox::currentIndexChanged, this, &TransponderPage::satelliteChosen);
    connect(add_, &QPushButton::clicked, this, &TransponderPage::addTransponder);
    connect(delete_, &QPushButton::clicked, this, &TransponderPage::deleteChecked);
    connect(update_, &QPushButton::clicked, this, &TransponderPage::updateFromSatellitesXml);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) { changeTransponder(row); });
}

QString TransponderPage::caption() const { return languageText(context_, "Propertis_List_transponder_Title"); }

void TransponderPage::prepare() {
    translateLabels(context_, this);
    add_->setText(languageText(context_, "Propertis_List_transponder_AddRemove"));
    delete_->setText(languageText(context_, "Propertis_List_transponder_Remove"));
    update_->setText(languageText(context_, "TpUpdate"));
    empty_->setText(languageText(context_, "Propertis_List_transponder_NoTransp"));
}

void TransponderPage::load(int) {
    empty_->hide();
    list_->clear();
    form_ = std::make_unique<TransponderForm>(liveTable(context_));
    const QSignalBlocker block(satellite_);
    satellite_->clear();
    for (int number = 1; number <= kDvbcSatellite; ++number)
        satellite_->addItem(QString::fromStdString(context_.texts->satelliteText(number, 1)));
    satellite_->setCurrentIndex(0);
    satelliteChosen();
}

unsigned TransponderPage::satellite() const { return static_cast<unsigned>(satellite_->currentIndex() + 1); }

void TransponderPage::satelliteChosen() {
    if (satellite_->currentIndex() < 0 || !form_)
        return;
    const unsigned n = satellite();
    const bool terrestrialOrCable = n == kDvbtSatellite || n == kDvbcSatellite;
    list_->setHeaderLabels({languageText(context_, "Propertis_List_transponder_Id"),
                            languageText(context_, "Propertis_List_transponder_Frequency"),
                            languageText(context_, terrestrialOrCable ? "Propertis_List_transponder_Constellation"
                                                                      : "Propertis_List_transponder_Polarization"),
                            languageText(context_, "Propertis_List_transponder_SymbolRate"),
                            terrestrialOrCable ? QString() : languageText(context_, "Propertis_List_transponder_FecRate"),
                            languageText(context_, "Propertis_List_transponder_IQMode")});
    list_->setColumnHidden(4, terrestrialOrCable);
    // Cable transponders are listed only: the dialog cannot build them.
    add_->setEnabled(n != kDvbcSatellite);
    fillList();
}

void TransponderPage::fillList(std::optional<std::uint16_t> selectSlot) {
    list_->setEnabled(true);
    list_->clear();
    for (const TransponderRow& row : form_->rows(satellite())) {
        QStringList texts;
        for (const std::string& t : row.texts)
            texts << QString::fromStdString(t);
        auto* item = new QTreeWidgetItem(list_, texts);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kSlotRole, row.slot);
        if (selectSlot && row.slot == *selectSlot)
            list_->setCurrentItem(item);
    }
    const int rows = list_->topLevelItemCount();
    empty_->setVisible(rows == 0);
    list_->setEnabled(rows != 0);
    emit captionSuffixChanged(QStringLiteral("TP %1").arg(rows));
}

void TransponderPage::addTransponder() {
    if (!form_)
        return;
    const auto free = form_->firstFreeSlot();
    TransponderDialog dialog(context_, *form_, satellite(), TransponderDialog::Mode::New, TransponderRecord{},
                             std::nullopt, this);
    runDialog_(dialog);
    if (!free) {
        showErrorMessage(context_, "Propertis_List_transponder_IsFull", this);
        return;
    }
    if (form_->put(*free, dialog.record()))
        fillList(*free);
}

void TransponderPage::deleteChecked() {
    std::vector<std::uint16_t> checked;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list_->topLevelItem(i);
        if (row->checkState(0) == Qt::Checked)
            checked.push_back(static_cast<std::uint16_t>(row->data(0, kSlotRole).toUInt()));
    }
    if (checked.empty())
        return;
    const auto answer = widgets::messageBox(context_.texts->text("Propertis_List_transponder_EraseSelect"),
                                            context_.texts->text(kKeyInformation), widgets::kQuestionYesNo, this);
    if (answer != widgets::MessageAnswer::Yes)
        return;
    form_->erase(checked);
    fillList();
}

void TransponderPage::changeTransponder(QTreeWidgetItem* row) {
    if (!row || !form_)
        return;
    const auto slot = static_cast<std::uint16_t>(row->data(0, kSlotRole).toUInt());
    TransponderDialog dialog(context_, *form_, satellite(), TransponderDialog::Mode::Change, form_->record(slot), slot,
                             this);
    runDialog_(dialog);
    // A refused or duplicate change comes back empty: the row keeps its old values.
    if (dialog.result() == QDialog::Accepted)
        form_->put(slot, dialog.record());
    fillList(slot);
}

void TransponderPage::updateFromSatellitesXml() {
    const unsigned n = satellite();
    if (!form_ || n < 1 || n >= kDvbtSatellite)
        return;
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.title = context_.texts->text("TpUpdateTitle");
    request.filter = "satellites.xml (*.xml)|*.xml";
    request.fileMustExist = true;
    request.parent = this;
    const auto chosen = widgets::openFileDialog(request);
    if (!chosen)
        return;
    SatellitesXml file = readSatellitesXml(*chosen);
    if (!file.ok) {
        widgets::messageBox(context_.texts->text("TpUpdateUnreadable") + "\n" + *chosen + "\n" + file.error,
                            context_.texts->text("TpUpdateTitle"), widgets::kStopOk, this);
        return;
    }
    const SatelliteEntry& entry = context_.database->flash().settings().satellites[n];
    TransponderUpdateDialog dialog(context_, std::move(file), form_->table(), n,
                                   satellitePositionTenths(entry.position, entry.side), this);
    if (runUpdate_(dialog) != QDialog::Accepted)
        return;
    form_->applyMerge(dialog.chosenPlan());
    fillList();
}

bool TransponderPage::commit() { return form_ && form_->store(liveTable(context_)); }

} // namespace cs::properties
