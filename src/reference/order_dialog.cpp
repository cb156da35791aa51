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

OrderDialog::OrderDialog(const ChannelDatabase& db, const DisplayTexts& texts, int shownList, std::string startFolder,
                         QWidget* parent)
    : QDialog(parent), startFolder_(std::move(startFolder)) {
    auto text = [&texts](const char* key) { return QString::fromStdString(texts.text(key)); };
    setObjectName(QStringLiteral("orderDialog"));
    setWindowTitle(text(kOrderCaption));
    referenceFilter_ = text("FileTypeDatabasesAndLists") + QStringLiteral(" (*.dsp *.csv)|*.dsp;*.csv|") +
                       text("CompareFileFilter") + QStringLiteral(" (*.dsp)|*.dsp|") + text("FileTypeChannelLists") +
                       QStringLiteral(" (*.csv)|*.csv");
    chooseTitle_ = text("OrderChooseReference");
    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("referenceFile"));
    file_->setMinimumWidth(320);
    browse_ = new QPushButton(text("OrderBrowse"), this);
    browse_->setObjectName(QStringLiteral("browseReference"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);

    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("orderTarget"));
    target_->addItem(text("OrderMainList"), 0);
    const std::size_t lists = favouriteListCount(db.flash().settings().listCount);
    for (std::size_t list = 1; list <= lists; ++list)
        target_->addItem(QStringLiteral("%1 %2: %3").arg(text("OrderFavouriteList")).arg(list).arg(latin1(db.flash().settings().listName(list))),
                         static_cast<int>(list));
    const int preset = target_->findData(shownList);
    target_->setCurrentIndex(preset >= 0 ? preset : 0);

    takeNames_ = new QCheckBox(text("OrderTakeNames"), this);
    takeNames_->setObjectName(QStringLiteral("takeNames"));
    rebuildLists_ = new QCheckBox(text("OrderRebuildLists"), this);
    rebuildLists_->setObjectName(QStringLiteral("rebuildLists"));

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(text("OrderButton"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(text("TextBtnCancel"));

    auto* fileLabel = new QLabel(text("OrderFileLabel"), this);
    fileLabel->setBuddy(file_);
    auto* targetLabel = new QLabel(text("OrderWhichList"), this);
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
    request.title = chooseTitle_.toStdString();
    request.filter = referenceFilter_.toStdString();
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
    auto text = [&texts](const char* key) { return QString::fromStdString(texts.text(key)); };
    setWindowTitle(text(kOrderCaption));
    auto count = [&text](const char* key, std::size_t n) { return text(key) + QStringLiteral(": ") + QString::number(n); };
    QString counts = latin1(targetText) + QLatin1Char(' ') + text("OrderIsInOrder") + QStringLiteral("\n\n");
    counts += count("OrderMatchedService", summary.matchedByService) + QLatin1Char('\n');
    counts += count("OrderMatchedName", summary.matchedByName) + QLatin1Char('\n');
    counts += count("OrderNotInReference", summary.unmatched) + QLatin1Char('\n');
    counts += count(kMissingSection, summary.missing.size());
    if (summary.renamed > 0)
        counts += QLatin1Char('\n') + count("OrderNamesTaken", summary.renamed);
    if (summary.listsRebuilt)
        counts += QLatin1Char('\n') + text("OrderListsRebuilt");
    if (mainList)
        counts += QStringLiteral("\n\n") + text("OrderMainListNote");
    counts_ = new QLabel(counts, this);
    counts_->setObjectName(QStringLiteral("orderCounts"));
    counts_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("unmatchedChannels"));
    tree_->setHeaderLabels({text("ColumnName"), text("ColumnSatellite"), text("ColumnFrequency"),
                            text("ColumnPolarisation"), text("ColumnServiceId")});
    auto* lacking = new QTreeWidgetItem(tree_, {text(kUnmatchedSection)});
    for (std::uint16_t slot : summary.unmatchedSlots) {
        const ChannelRow row = texts.channelRowTexts(slot, 0, false);
        new QTreeWidgetItem(lacking, {latin1(row.name), latin1(row.satellite), QString::fromStdString(row.frequency),
                                      QString::fromStdString(row.polarisation),
                                      QString::number(db.record(slot).serviceId())});
    }
    auto* missing = new QTreeWidgetItem(tree_, {text(kMissingSection)});
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

    const QString show = text("OrderShowUnmatched");
    const QString hide = text("OrderHideUnmatched");
    details_ = new QPushButton(show, this);
    details_->setObjectName(QStringLiteral("showUnmatched"));
    details_->setCheckable(true);
    details_->setEnabled(lacking->childCount() + missing->childCount() > 0);
    connect(details_, &QPushButton::toggled, this, [this, show, hide](bool on) {
        tree_->setVisible(on);
        details_->setText(on ? hide : show);
        adjustSize();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(text("FindClose"));
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
