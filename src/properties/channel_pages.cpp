#include "properties/channel_pages.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "database/name_lists.h"
#include "properties/ca_systems.h"
#include "properties/page_support.h"
#include "settings/stored_settings.h"
#include "widgets/message_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace cs::properties {

namespace {

constexpr const char* kAcceptedText = "acceptedText";
constexpr int kTabSatellite = 0;
constexpr int kTabTerrestrial = 1;
constexpr int kTabCable = 2;
constexpr int kNameTyped = 15;

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLineEdit* readOnlyBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    return box;
}

// Selects `text` in an editable list, adding it when missing (sorted lists keep their order).
void selectText(QComboBox& list, const QString& text) {
    int i = list.findText(text);
    if (i < 0) {
        list.addItem(text);
        i = list.findText(text);
    }
    list.setCurrentIndex(i);
}

} // namespace

ChannelPages::ChannelPages(const PropertiesContext& context, QWidget* dialog)
    : QObject(dialog), context_(context), dialog_(dialog) {
    buildProgramPage();
    buildPidsPage();
    buildCaPage();
}

void ChannelPages::buildProgramPage() {
    program_ = new QWidget(dialog_);
    program_->setObjectName(QStringLiteral("programPage"));
    auto* layout = new QFormLayout(program_);
    name_ = new QLineEdit(program_);
    name_->setObjectName(QStringLiteral("channelName"));
    name_->setMaxLength(kNameTyped);
    provider_ = readOnlyBox(program_);
    satellite_ = new QComboBox(program_);
    satellite_->setEnabled(false);
    layout->addRow(QStringLiteral("Propertis_Label01"), name_);
    layout->addRow(QStringLiteral("Propertis_Label02"), provider_);
    layout->addRow(QStringLiteral("Propertis_Label03"), satellite_);

    transponderTabs_ = new QTabWidget(program_);
    transponderTabs_->setObjectName(QStringLiteral("transponderTabs"));
    auto* dvbs = new QWidget(transponderTabs_);
    auto* s = new QFormLayout(dvbs);
    frequency_ = new QLineEdit(dvbs);
    symbolRate_ = new QLineEdit(dvbs);
    polarisation_ = new QComboBox(dvbs);
    fec_ = new QComboBox(dvbs);
    s->addRow(QStringLiteral("Propertis_Label04"), frequency_);
    s->addRow(QStringLiteral("Propertis_Label05"), symbolRate_);
    s->addRow(QStringLiteral("Propertis_Label06"), polarisation_);
    s->addRow(QStringLiteral("Propertis_Label07"), fec_);
    auto* dvbt = new QWidget(transponderTabs_);
    auto* t = new QFormLayout(dvbt);
    terrestrialFrequency_ = new QComboBox(dvbt);
    terrestrialFrequency_->setEditable(true);
    terrestrialFrequency_->setInsertPolicy(QComboBox::InsertAlphabetically);
    ofdmMode_ = readOnlyBox(dvbt);
    ofdmConstellation_ = readOnlyBox(dvbt);
    ofdmGuard_ = readOnlyBox(dvbt);
    t->addRow(QStringLiteral("Propertis_Label04"), terrestrialFrequency_);
    t->addRow(QString(), ofdmMode_);
    t->addRow(QString(), ofdmConstellation_);
    t->addRow(QString(), ofdmGuard_);
    auto* dvbc = new QWidget(transponderTabs_);
    auto* c = new QFormLayout(dvbc);
    cableFrequency_ = new QComboBox(dvbc);
    cableFrequency_->setEditable(true);
    cableFrequency_->setInsertPolicy(QComboBox::NoInsert);
    cableSymbolRate_ = new QLineEdit(dvbc);
    cableConstellation_ = new QComboBox(dvbc);
    c->addRow(QStringLiteral("Propertis_Label04"), cableFrequency_);
    c->addRow(QStringLiteral("Propertis_Label05"), cableSymbolRate_);
    c->addRow(QString(), cableConstellation_);
    transponderTabs_->addTab(dvbs, QStringLiteral("DVB-S"));
    transponderTabs_->addTab(dvbt, QStringLiteral("DVB-T"));
    transponderTabs_->addTab(dvbc, QStringLiteral("DVB-C"));
    layout->addRow(transponderTabs_);

    scrambled_ = new QCheckBox(QStringLiteral("CA"), program_);
    parentalLock_ = new QCheckBox(program_);
    audioMode_ = new QComboBox(program_);
    caPriority_ = new QComboBox(program_);
    layout->addRow(scrambled_);
    layout->addRow(parentalLock_);
    layout->addRow(QStringLiteral("Propertis_Label26"), audioMode_);
    layout->addRow(QStringLiteral("Propertis_Label27L"), caPriority_);

    connect(name_, &QLineEdit::editingFinished, this, &ChannelPages::nameFinished);
    connect(frequency_, &QLineEdit::editingFinished, this,
            [this] { numberFinished(frequency_, form_.frequency, checkChannelFrequency); });
    connect(symbolRate_, &QLineEdit::editingFinished, this,
            [this] { numberFinished(symbolRate_, form_.symbolRate, checkSymbolRate); });
    connect(cableSymbolRate_, &QLineEdit::editingFinished, this, &ChannelPages::cableSymbolRateFinished);
}

void ChannelPages::buildPidsPage() {
    pids_ = new QWidget(dialog_);
    pids_->setObjectName(QStringLiteral("pidsPage"));
    auto* layout = new QFormLayout(pids_);
    videoPid_ = new QLineEdit(pids_);
    audioPid_ = new QLineEdit(pids_);
    pmtPid_ = new QLineEdit(pids_);
    serviceId_ = new QLineEdit(pids_);
    hex_ = new QCheckBox(pids_);
    layout->addRow(QStringLiteral("Propertis_Label10"), videoPid_);
    layout->addRow(QStringLiteral("Propertis_Label11"), audioPid_);
    layout->addRow(QStringLiteral("Propertis_Label16"), pmtPid_);
    layout->addRow(QStringLiteral("Propertis_Label21"), serviceId_);
    layout->addRow(hex_);
    connect(videoPid_, &QLineEdit::editingFinished, this,
            [this] { pidFinished(videoPid_, form_.videoPid, form_.audioPid); });
    connect(audioPid_, &QLineEdit::editingFinished, this,
            [this] { pidFinished(audioPid_, form_.audioPid, form_.videoPid); });
    connect(pmtPid_, &QLineEdit::editingFinished, this, [this] { numberFinished(pmtPid_, form_.pmtPid, checkPmtPid); });
    connect(serviceId_, &QLineEdit::editingFinished, this,
            [this] { numberFinished(serviceId_, form_.serviceId, checkServiceId); });
    connect(hex_, &QCheckBox::toggled, this, [this] {
        showPids();
        fillCaList();
    });
}

void ChannelPages::buildCaPage() {
    ca_ = new QWidget(dialog_);
    ca_->setObjectName(QStringLiteral("caPage"));
    auto* layout = new QGridLayout(ca_);
    caList_ = new QTreeWidget(ca_);
    caList_->setColumnCount(2);
    caList_->setRootIsDecorated(false);
    caList_->setSelectionMode(QAbstractItemView::NoSelection);
    caList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    noCa_ = new QLabel(ca_);
    noCa_->setAlignment(Qt::AlignCenter);
    noCa_->setAutoFillBackground(true);
    noCa_->setBackgroundRole(QPalette::Base);
    layout->addWidget(caList_, 0, 0);
    layout->addWidget(noCa_, 0, 0, Qt::AlignCenter);
}

void ChannelPages::prepare() {
    // Row labels of the form layouts carry their language keys until the first show; the
    // lists are made anew when the dialog is prepared again after a change of language.
    for (QWidget* page : {program_, pids_, ca_})
        translateLabels(context_, page);
    for (QComboBox* list : {polarisation_, fec_, audioMode_, caPriority_, cableConstellation_})
        list->clear();
    parentalLock_->setText(languageText(context_, "TreeViewColParentalLock"));
    hex_->setText(languageText(context_, "Propertis_Label20"));
    caList_->setHeaderLabels({languageText(context_, "Propertis_Label23"), QStringLiteral("Ca_System_Id")});
    caList_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    noCa_->setText(languageText(context_, "Propertis_Label25"));
    caPriority_->setToolTip(languageText(context_, "Propertis_Profiles_Hint"));

    for (unsigned code = 0; code < 2; ++code)
        polarisation_->addItem(q(polarisationText(code)));
    for (unsigned code = 0; code < static_cast<unsigned>(kFecEntries); ++code)
        fec_->addItem(q(fecText(code)));
    for (const char* key : {"Propertis_Stereo", "Propertis_LChannel", "Propertis_RChannel", "Propertis_Mono"})
        audioMode_->addItem(languageText(context_, key));
    for (unsigned code = 0; code < 16 && !caModuleText(code).empty(); ++code)
        caPriority_->addItem(q(caModuleText(code)));
    for (unsigned code = kFirstCableConstellation; code < kFirstCableConstellation + kCableConstellationEntries; ++code)
        cableConstellation_->addItem(q(dvbcConstellationText(code)));
}

QString ChannelPages::load(std::uint16_t slot) {
    ChannelDatabase& db = *context_.database;
    slot_ = slot;
    const ChannelRecord& record = db.record(slot);
    const ChannelEntry& entry = db.entry(slot);
    form_ = loadChannelForm(record, entry);
    loaded_ = true;

    satellite_->clear();
    for (int number = 1; number <= kSatelliteDvbC; ++number)
        satellite_->addItem(QString::fromStdString(context_.texts->satelliteText(number, 1)));
    selectQuietly(*satellite_, form_.satellitePosition);
    selectQuietly(*polarisation_, form_.polarisation);
    selectQuietly(*fec_, form_.fec);
    selectQuietly(*audioMode_, form_.audioMode);
    selectQuietly(*caPriority_, form_.caPriority);
    {
        const QSignalBlocker block1(scrambled_);
        const QSignalBlocker block2(parentalLock_);
        scrambled_->setChecked(form_.scrambled);
        parentalLock_->setChecked(form_.parentalLock);
    }
    name_->setText(QString::fromStdString(filterChannelName(record.name())));
    name_->setModified(false);
    rememberText(name_);
    const std::string_view provider = entry.provider();
    provider_->setText(provider.empty() ? languageText(context_, "TreeViewUnknow") : q(filterProviderName(provider)));
    {
        const QSignalBlocker block(hex_);
        hex_->setChecked(context_.storedSettings->flag(settings_flags::kPropertiesInHex));
    }
    frequency_->setText(QString::fromStdString(pendingText(form_.frequency, false)));
    symbolRate_->setText(QString::fromStdString(pendingText(form_.symbolRate, false)));
    rememberText(frequency_);
    rememberText(symbolRate_);
    showPids();
    fillCaList();

    const Delivery delivery = deliveryOf(record.satellite());
    const int tab = delivery == Delivery::Terrestrial ? kTabTerrestrial
                    : delivery == Delivery::Cable     ? kTabCable
                                                      : kTabSatellite;
    for (int i = 0; i < transponderTabs_->count(); ++i)
        transponderTabs_->setTabVisible(i, i == tab);
    transponderTabs_->setCurrentIndex(tab);
    if (delivery == Delivery::Terrestrial) {
        terrestrialFrequency_->clear();
        for (const std::string& f : terrestrialChannelFrequencies())
            terrestrialFrequency_->addItem(QString::fromStdString(f));
        selectText(*terrestrialFrequency_, QString::fromStdString(form_.terrestrialFrequency));
        const std::uint8_t ofdm = record.ofdm();
        // Bits 5-6 transmission mode, 2-3 constellation, 0-1 guard interval.
        ofdmMode_->setText(q(dvbtModeText((ofdm >> 5) & 0x03)));
        ofdmConstellation_->setText(q(dvbtConstellationText((ofdm >> 2) & 0x03)));
        ofdmGuard_->setText(q(dvbtGuardText(ofdm & 0x03)));
    } else if (delivery == Delivery::Cable) {
        cableFrequency_->clear();
        const auto list = std::make_unique<TransponderList>(transponderList(kDvbcSatellite, db.flash().transponders()));
        for (std::uint16_t index : list->indices())
            cableFrequency_->addItem(QString::fromStdString(tenthMegahertzText(db.flash().transponders()[index].frequency())));
        selectText(*cableFrequency_, QString::fromStdString(form_.cableFrequency));
        cableSymbolRate_->setText(QString::fromStdString(form_.cableSymbolRate));
        rememberText(cableSymbolRate_);
        selectQuietly(*cableConstellation_, form_.cableConstellation);
    }
    return languageText(context_, kKeyTitle) + QStringLiteral(": ") + QString::fromStdString(filterChannelName(record.name()));
}

bool ChannelPages::hex() const { return hex_->isChecked(); }

void ChannelPages::rememberText(QLineEdit* box) { box->setProperty(kAcceptedText, box->text()); }

void ChannelPages::restoreText(QLineEdit* box) { box->setText(box->property(kAcceptedText).toString()); }

void ChannelPages::nameFinished() {
    const auto name = checkChannelName(name_->text().toStdString());
    if (!name) {
        restoreText(name_);
        return;
    }
    const bool typed = name_->isModified();
    name_->setText(QString::fromStdString(*name));
    rememberText(name_);
    if (typed)
        form_.name = *name;
}

bool ChannelPages::untouched(QLineEdit* box) const { return box->text() == box->property(kAcceptedText).toString(); }

void ChannelPages::numberFinished(QLineEdit* box, Pending& pending, CheckedNumber (*check)(std::string_view)) {
    // Passing through a box without changing it checks nothing: a stored value the box would
    // not accept (a PMT PID of 0) must not raise a message.
    if (untouched(box))
        return;
    const CheckedNumber result = check(box->text().toStdString());
    switch (result.check) {
    case Check::Blank: pending.reset(); break;
    case Check::Accepted: pending = result.value; break;
    case Check::Refused:
        showParameterMessage(context_, dialog_);
        restoreText(box);
        return;
    }
    if (box == frequency_ || box == symbolRate_)
        rememberText(box);
    else
        showPids();
}

void ChannelPages::pidFinished(QLineEdit* box, Pending& pending, const Pending& other) {
    if (untouched(box))
        return;
    const CheckedNumber result = checkPid(box->text().toStdString(), other);
    if (result.check == Check::Refused) {
        showParameterMessage(context_, dialog_);
        restoreText(box);
        return;
    }
    if (result.check == Check::Blank)
        pending.reset();
    else
        pending = result.value;
    showPids();
}

void ChannelPages::cableSymbolRateFinished() {
    if (untouched(cableSymbolRate_))
        return;
    if (checkSymbolRate(cableSymbolRate_->text().toStdString()).check == Check::Refused) {
        showParameterMessage(context_, dialog_);
        restoreText(cableSymbolRate_);
        return;
    }
    rememberText(cableSymbolRate_);
}

void ChannelPages::showPids() {
    const std::pair<QLineEdit*, const Pending*> boxes[] = {
        {videoPid_, &form_.videoPid}, {audioPid_, &form_.audioPid}, {serviceId_, &form_.serviceId}, {pmtPid_, &form_.pmtPid}};
    for (const auto& [box, pending] : boxes) {
        box->setText(QString::fromStdString(pendingText(*pending, hex())));
        rememberText(box);
    }
}

void ChannelPages::fillCaList() {
    caList_->clear();
    if (!loaded_)
        return;
    for (const CaListRow& row : caListRows(context_.database->entry(slot_).caSystems, hex()))
        new QTreeWidgetItem(caList_, {QString::fromStdString(row.name), QString::fromStdString(row.identifier)});
    noCa_->setVisible(caList_->topLevelItemCount() == 0);
}

std::optional<ChangeLevel> ChannelPages::commit() {
    if (!loaded_)
        return ChangeLevel::None;
    ChannelForm form = form_;
    form.satellitePosition = selectedPosition(*satellite_);
    form.polarisation = selectedPosition(*polarisation_);
    form.fec = selectedPosition(*fec_);
    form.audioMode = selectedPosition(*audioMode_);
    form.caPriority = selectedPosition(*caPriority_);
    form.cableConstellation = selectedPosition(*cableConstellation_);
    form.scrambled = scrambled_->isChecked();
    form.parentalLock = parentalLock_->isChecked();
    form.terrestrialFrequency = terrestrialFrequency_->currentText().toStdString();
    form.cableFrequency = cableFrequency_->currentText().toStdString();
    form.cableSymbolRate = cableSymbolRate_->text().toStdString();

    ChannelDatabase& db = *context_.database;
    const ChannelWriteResult result = writeChannelForm(form, db.record(slot_), db.entry(slot_));
    if (result.outcome == ChannelWriteResult::Outcome::SamePid) {
        showErrorMessage(context_, "Propertis_TheSamePID", dialog_);
        return std::nullopt;
    }
    if (result.outcome == ChannelWriteResult::Outcome::BadParameter) {
        showParameterMessage(context_, dialog_);
        return std::nullopt;
    }
    context_.storedSettings->setFlag(settings_flags::kPropertiesInHex, hex());
    return result.level;
}

} // namespace cs::properties
