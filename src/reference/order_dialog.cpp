#include "reference/order_dialog.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "widgets/file_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace cs::reference_ui {

namespace {

constexpr const char* kReferenceFilter =
    "Databases and channel lists (*.dsp *.csv)|*.dsp;*.csv|Databases (*.dsp)|*.dsp|Channel lists (*.csv)|*.csv";

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QString frequencyText(std::uint8_t satellite, std::uint16_t frequency) {
    if (satellite == kSatelliteDvbT)
        return QString::fromStdString(dvbtFrequencyText(frequency) + " MHz");
    if (satellite == kSatelliteDvbC)
        return QString::fromStdString(dvbcFrequencyText(frequency) + " MHz");
    return QStringLiteral("%1 MHz").arg(frequency);
}

} // namespace

bool looksLikeCsv(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".csv";
}

OrderDialog::OrderDialog(const ChannelDatabase& db, int shownList, std::string startFolder, QWidget* parent)
    : QDialog(parent), startFolder_(std::move(startFolder)) {
    setObjectName(QStringLiteral("orderDialog"));
    setWindowTitle(QString::fromLatin1(kOrderCaption));
    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("referenceFile"));
    file_->setMinimumWidth(320);
    browse_ = new QPushButton(QStringLiteral("&Browse..."), this);
    browse_->setObjectName(QStringLiteral("browseReference"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);

    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("orderTarget"));
    target_->addItem(QStringLiteral("Main list (the receiver's channel order)"), 0);
    const std::size_t lists = favouriteListCount(db.flash().settings().listCount);
    for (std::size_t list = 1; list <= lists; ++list)
        target_->addItem(QStringLiteral("Favourite list %1: %2").arg(list).arg(latin1(db.flash().settings().listName(list))),
                         static_cast<int>(list));
    const int preset = target_->findData(shownList);
    target_->setCurrentIndex(preset >= 0 ? preset : 0);

    takeNames_ = new QCheckBox(QStringLiteral("Also take the reference's &names"), this);
    takeNames_->setObjectName(QStringLiteral("takeNames"));
    rebuildLists_ = new QCheckBox(QStringLiteral("Also rebuild the &favourite lists (database reference only)"), this);
    rebuildLists_->setObjectName(QStringLiteral("rebuildLists"));

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Order"));

    auto* fileLabel = new QLabel(QStringLiteral("&Reference (.dsp or .csv):"), this);
    fileLabel->setBuddy(file_);
    auto* targetLabel = new QLabel(QStringLiteral("Order &which list:"), this);
    targetLabel->setBuddy(target_);
    auto* form = new QFormLayout;
    form->addRow(fileLabel, fileRow);
    form->addRow(targetLabel, target_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(takeNames_);
    layout->addWidget(rebuildLists_);
    layout->addWidget(buttons_);

    connect(browse_, &QPushButton::clicked, this, &OrderDialog::browse);
    connect(file_, &QLineEdit::textChanged, this, &OrderDialog::fileChanged);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fileChanged();
}

void OrderDialog::browse() {
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.title = "Choose the reference";
    request.filter = kReferenceFilter;
    request.initialFolder = startFolder_;
    request.fileMustExist = true;
    request.parent = this;
    if (const auto chosen = widgets::openFileDialog(request))
        file_->setText(QString::fromStdString(*chosen));
}

void OrderDialog::fileChanged() {
    const std::string path = file_->text().trimmed().toStdString();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!path.empty());
    // A CSV list has no favourite lists to rebuild from.
    const bool csv = looksLikeCsv(path);
    if (csv)
        rebuildLists_->setChecked(false);
    rebuildLists_->setEnabled(!csv);
}

OrderRequest OrderDialog::request() const {
    OrderRequest r;
    r.file = file_->text().trimmed().toStdString();
    r.options.list = static_cast<std::size_t>(target_->currentData().toInt());
    r.options.takeNames = takeNames_->isChecked();
    r.options.rebuildLists = rebuildLists_->isEnabled() && rebuildLists_->isChecked();
    return r;
}

OrderSummaryDialog::OrderSummaryDialog(const OrderSummary& summary, const ReferenceList& reference,
                                       const std::string& targetText, bool mainList, const ChannelDatabase& db,
                                       const DisplayTexts& texts, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("orderSummary"));
    setWindowTitle(QString::fromLatin1(kOrderCaption));
    QString counts = QStringLiteral("%1 is in the order of the reference.\n\n").arg(latin1(targetText));
    counts += QStringLiteral("Matched by service: %1\n").arg(summary.matchedByService);
    counts += QStringLiteral("Matched by name: %1\n").arg(summary.matchedByName);
    counts += QStringLiteral("Not in the reference: %1\n").arg(summary.unmatched);
    counts += QStringLiteral("Reference channels found nowhere: %1").arg(summary.missing.size());
    if (summary.renamed > 0)
        counts += QStringLiteral("\nNames taken from the reference: %1").arg(summary.renamed);
    if (summary.listsRebuilt)
        counts += QStringLiteral("\nThe favourite lists were rebuilt from the reference.");
    if (mainList)
        counts += QStringLiteral("\n\nThe receiver numbers its channels in this order; the editor's main list "
                                 "stays grouped by satellite.");
    counts_ = new QLabel(counts, this);
    counts_->setObjectName(QStringLiteral("orderCounts"));
    counts_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("unmatchedChannels"));
    tree_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Satellite"), QStringLiteral("Frequency"),
                            QStringLiteral("Polarisation"), QStringLiteral("Service ID")});
    auto* lacking = new QTreeWidgetItem(tree_, {QString::fromLatin1(kUnmatchedSection)});
    for (std::uint16_t slot : summary.unmatchedSlots) {
        const ChannelRow row = texts.channelRowTexts(slot, 0, false);
        new QTreeWidgetItem(lacking, {latin1(row.name), latin1(row.satellite), QString::fromStdString(row.frequency),
                                      QString::fromStdString(row.polarisation),
                                      QString::number(db.record(slot).serviceId())});
    }
    auto* missing = new QTreeWidgetItem(tree_, {QString::fromLatin1(kMissingSection)});
    for (std::size_t index : summary.missing) {
        const ReferenceChannel& c = reference.channels[index];
        const bool onSatellite = c.satellite < kSatelliteDvbT;
        new QTreeWidgetItem(missing, {latin1(c.name), latin1(texts.satelliteText(c.satellite, 2)),
                                      frequencyText(c.satellite, c.frequency),
                                      onSatellite ? QString::fromLatin1(c.polarisation ? "V" : "H") : QString(),
                                      QString::number(c.serviceId)});
    }
    lacking->setText(0, lacking->text(0) + QStringLiteral(": %1").arg(lacking->childCount()));
    missing->setText(0, missing->text(0) + QStringLiteral(": %1").arg(missing->childCount()));
    lacking->setFirstColumnSpanned(true);
    missing->setFirstColumnSpanned(true);
    tree_->expandAll();
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->setMinimumSize(560, 240);
    tree_->hide();

    details_ = new QPushButton(QStringLiteral("Show &unmatched channels"), this);
    details_->setObjectName(QStringLiteral("showUnmatched"));
    details_->setCheckable(true);
    details_->setEnabled(lacking->childCount() + missing->childCount() > 0);
    connect(details_, &QPushButton::toggled, this, [this](bool on) {
        tree_->setVisible(on);
        details_->setText(on ? QStringLiteral("Hide &unmatched channels") : QStringLiteral("Show &unmatched channels"));
        adjustSize();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* row = new QHBoxLayout;
    row->addWidget(details_);
    row->addStretch(1);
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts_);
    layout->addWidget(tree_, 1);
    layout->addLayout(row);
}

} // namespace cs::reference_ui
