#include "properties/transponder_update_dialog.h"

#include "database/display_texts.h"
#include "database/name_lists.h"
#include "properties/page_support.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace cs::properties {

namespace {

enum Column { kActionColumn, kTransponderColumn, kReasonColumn, kColumns };
constexpr int kChangeRole = Qt::UserRole;

const char* skipKey(TransponderSkip reason) {
    switch (reason) {
    case TransponderSkip::MissingValue: return "TpSkipMissing";
    case TransponderSkip::System: return "TpSkipSystem";
    case TransponderSkip::Modulation: return "TpSkipModulation";
    case TransponderSkip::Fec: return "TpSkipFec";
    case TransponderSkip::Polarisation: return "TpSkipPolarisation";
    case TransponderSkip::Frequency: return "TpSkipFrequency";
    case TransponderSkip::SymbolRate: return "TpSkipSymbolRate";
    case TransponderSkip::TableFull: return "TpSkipTableFull";
    }
    return "TpSkipMissing";
}

const char* actionKey(TransponderChangeKind kind) {
    switch (kind) {
    case TransponderChangeKind::Add: return "TpUpdateAdd";
    case TransponderChangeKind::Change: return "TpUpdateChange";
    case TransponderChangeKind::Remove: return "TpUpdateRemove";
    }
    return "TpUpdateAdd";
}

// "11494 MHz H 22000 3/4", as the receiver stores it.
QString recordText(const TransponderRecord& r) {
    return QStringLiteral("%1 MHz %2 %3 %4")
        .arg(r.frequency())
        .arg(QChar(r.polarisation() ? u'V' : u'H'))
        .arg(r.symbolRate())
        .arg(QString::fromStdString(std::string(fecText(r.fec()))));
}

} // namespace

TransponderUpdateDialog::TransponderUpdateDialog(const PropertiesContext& context, SatellitesXml file,
                                                 const TransponderTable& table, unsigned satellite, int position,
                                                 QWidget* parent)
    : QDialog(parent), context_(context), file_(std::move(file)), table_(table), satellite_(satellite) {
    setObjectName(QStringLiteral("transponderUpdateDialog"));
    setWindowTitle(languageText(context_, "TpUpdateTitle"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    sats_ = new QComboBox(this);
    sats_->setObjectName(QStringLiteral("transponderUpdateSat"));
    form->addRow(languageText(context_, "TpUpdateSat"), sats_);
    layout->addLayout(form);
    preview_ = new QTreeWidget(this);
    preview_->setObjectName(QStringLiteral("transponderUpdatePreview"));
    preview_->setColumnCount(kColumns);
    preview_->setRootIsDecorated(false);
    preview_->setHeaderLabels({languageText(context_, "TpUpdateAction"), languageText(context_, "TpUpdateTransponder"),
                               QString()});
    preview_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(preview_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(languageText(context_, "TextBtnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(languageText(context_, "TextBtnCancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The <sat> at the satellite's own position first, then the file's order.
    for (std::size_t i = 0; i < file_.satellites.size(); ++i)
        if (file_.satellites[i].position == position)
            order_.push_back(i);
    for (std::size_t i = 0; i < file_.satellites.size(); ++i)
        if (file_.satellites[i].position != position)
            order_.push_back(i);
    for (const std::size_t i : order_) {
        const XmlSatellite& sat = file_.satellites[i];
        sats_->addItem(QStringLiteral("%1 (%2)").arg(QString::fromStdString(sat.name)).arg(sat.position));
    }
    connect(sats_, &QComboBox::currentIndexChanged, this, &TransponderUpdateDialog::satChosen);
    resize(560, 440);
    satChosen();
}

void TransponderUpdateDialog::satChosen() {
    preview_->clear();
    plan_ = {};
    const int entry = sats_->currentIndex();
    if (entry < 0 || static_cast<std::size_t>(entry) >= order_.size())
        return;
    plan_ = planTransponderMerge(table_, satellite_, file_.satellites[order_[static_cast<std::size_t>(entry)]]);
    for (std::size_t i = 0; i < plan_.changes.size(); ++i) {
        const TransponderChange& c = plan_.changes[i];
        auto* row = new QTreeWidgetItem(preview_);
        row->setText(kActionColumn, languageText(context_, actionKey(c.kind)));
        row->setCheckState(kActionColumn, Qt::Checked);
        row->setData(kActionColumn, kChangeRole, static_cast<int>(i));
        QString what = recordText(c.kind == TransponderChangeKind::Remove ? c.before : c.after);
        if (c.kind == TransponderChangeKind::Change)
            what = recordText(c.before) + QStringLiteral(" -> ") + what;
        row->setText(kTransponderColumn, what);
    }
    for (const SkippedTransponder& s : plan_.skipped) {
        auto* row = new QTreeWidgetItem(preview_);
        row->setText(kActionColumn, languageText(context_, "TpUpdateSkip"));
        row->setData(kActionColumn, kChangeRole, -1);
        row->setText(kTransponderColumn,
                     QStringLiteral("%1 kHz %2").arg(s.frequencyKhz).arg(QChar::fromLatin1(s.polarisation)));
        row->setText(kReasonColumn, languageText(context_, skipKey(s.reason)));
        row->setForeground(kActionColumn, Qt::gray);
    }
}

TransponderMergePlan TransponderUpdateDialog::chosenPlan() const {
    TransponderMergePlan plan = plan_;
    for (int i = 0; i < preview_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = preview_->topLevelItem(i);
        const int change = row->data(kActionColumn, kChangeRole).toInt();
        if (change >= 0 && static_cast<std::size_t>(change) < plan.changes.size())
            plan.changes[static_cast<std::size_t>(change)].chosen = row->checkState(kActionColumn) == Qt::Checked;
    }
    return plan;
}

} // namespace cs::properties
