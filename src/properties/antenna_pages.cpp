#include "properties/antenna_pages.h"

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "properties/page_support.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace cs::properties {

namespace {

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

WorkingSettings& workingSettings(const PropertiesContext& c) { return c.database->flash().settings().settings; }

constexpr unsigned kNoMotor = 0;
constexpr unsigned kAllGotoX = 3;

} // namespace

// ------------------------------------------------------------------------------------------
// Satellites

SatellitesPage::SatellitesPage(const PropertiesContext& context, QWidget* parent)
    : SettingsPage(parent), context_(context) {
    setObjectName(QStringLiteral("satellitesPage"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    satellite_ = new QComboBox(this);
    top->addRow(QStringLiteral("Propertis_Satellite"), satellite_);
    layout->addLayout(top);
    bands_ = new QTabWidget(this);
    static constexpr const char* kBandTabs[] = {"Ku", "C", "L/S"};
    static constexpr const char* kLabels[] = {"Propertis_Satellite_ConverterLNB", "Propertis_LNB_Power", "Tone BURST",
                                              "DiSEqC 1.0", "MOTOR", "Propertis_SatelliteInputLNB"};
    for (std::size_t band = 0; band < kBands; ++band) {
        auto* tab = new QWidget(bands_);
        auto* form = new QFormLayout(tab);
        for (std::size_t c = 0; c < kBandControls; ++c) {
            auto* list = new QComboBox(tab);
            lists_[band * kBandControls + c] = list;
            form->addRow(QString::fromLatin1(kLabels[c]), list);
            connect(list, &QComboBox::currentIndexChanged, this, &SatellitesPage::bandListChanged);
        }
        // The tuner input is not offered (its lists stay hidden with their labels).
        form->setRowVisible(static_cast<int>(BandControl::Input), false);
        bands_->addTab(tab, QString::fromLatin1(kBandTabs[band]));
    }
    layout->addWidget(bands_);
    allNoMotor_ = new QPushButton(this);
    allGotoX_ = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(allNoMotor_);
    buttons->addWidget(allGotoX_);
    layout->addLayout(buttons);
    connect(satellite_, &QComboBox::currentIndexChanged, this, &SatellitesPage::satelliteChosen);
    connect(allNoMotor_, &QPushButton::clicked, this, [this] { setAllMotorModes(kNoMotor); });
    connect(allGotoX_, &QPushButton::clicked, this, [this] { setAllMotorModes(kAllGotoX); });
}

QString SatellitesPage::caption() const { return languageText(context_, "Propertis_Satellite_Title"); }

void SatellitesPage::prepare() {
    translateLabels(context_, this);
    allNoMotor_->setText(languageText(context_, "Propertis_Satellite_AllSatNoMotor"));
    allGotoX_->setText(languageText(context_, "Propertis_Satellite_AllSatMotorGotoX"));
    // The converter entries show the converters as they are now; they are not rebuilt later.
    const WorkingSettings& settings = workingSettings(context_);
    for (std::size_t band = 0; band < kBands; ++band) {
        auto list = [&](BandControl c) { return bandList(band, c); };
        // Prepared again after a change of language: the entries are made anew.
        for (BandControl c : {BandControl::Converter, BandControl::Power, BandControl::ToneBurst, BandControl::Diseqc,
                              BandControl::Motor, BandControl::Input})
            list(c)->clear();
        for (std::size_t i = 0; i < static_cast<std::size_t>(kConverterEntries); ++i)
            list(BandControl::Converter)->addItem(QString::fromStdString(converterChoiceText(i, settings.converter(i))));
        list(BandControl::Power)->addItems({languageText(context_, "TextNO"), languageText(context_, "TextYES")});
        list(BandControl::ToneBurst)->addItem(languageText(context_, "TextOFF"));
        for (unsigned code = 1; code < static_cast<unsigned>(kToneBurstEntries); ++code)
            list(BandControl::ToneBurst)->addItem(q(toneBurstText(code)));
        for (unsigned code = 0; code < static_cast<unsigned>(kDiseqcEntries); ++code)
            list(BandControl::Diseqc)->addItem(q(diseqcText(code)));
        for (unsigned code = 0; code < static_cast<unsigned>(kMotorEntries); ++code)
            list(BandControl::Motor)->addItem(q(motorText(code)));
        list(BandControl::Input)->addItems({QStringLiteral("1"), QStringLiteral("2")});
    }
}

void SatellitesPage::load(int presetSatellite) {
    form_ = std::make_unique<AntennaForm>(workingSettings(context_));
    {
        const QSignalBlocker block(satellite_);
        satellite_->clear();
        for (int number = 1; number <= static_cast<int>(kAntennaSatellites); ++number)
            satellite_->addItem(QString::fromStdString(context_.texts->satelliteText(number, 1)));
        const bool preset = presetSatellite >= 1 && presetSatellite <= static_cast<int>(kAntennaSatellites);
        satellite_->setCurrentIndex(preset ? presetSatellite - 1 : 0);
        satellite_->setEnabled(!preset);
        allNoMotor_->setVisible(!preset);
        allGotoX_->setVisible(!preset);
    }
    bands_->setCurrentIndex(0);
    satelliteChosen();
    form_->clearChanged();
}

void SatellitesPage::satelliteChosen() {
    const auto position = selectedPosition(*satellite_);
    if (!position || !form_)
        return;
    const std::size_t number = static_cast<std::size_t>(*position) + 1;
    const AntennaSettings& antenna = form_->antenna(number);
    if (MemoryLog* log = context_.log) {
        log->clear();
        const std::string name(context_.database->flash().settings().satellites[number].nameView());
        for (const std::string& line : antennaDumpLines(name, antenna, workingSettings(context_)))
            log->write(line);
    }
    const AntennaPositions positions = form_->positions(number);
    for (std::size_t i = 0; i < kAntennaControls; ++i)
        selectQuietly(*lists_[i], positions[i]);
    form_->markChanged();
}

void SatellitesPage::bandListChanged() {
    const auto position = selectedPosition(*satellite_);
    if (!position || !form_)
        return;
    AntennaPositions positions{};
    for (std::size_t i = 0; i < kAntennaControls; ++i)
        positions[i] = selectedPosition(*lists_[i]);
    form_->applyPositions(static_cast<std::size_t>(*position) + 1, positions);
}

void SatellitesPage::setAllMotorModes(unsigned mode) {
    if (!form_)
        return;
    form_->setAllMotorModes(mode);
    satelliteChosen();
}

bool SatellitesPage::commit() { return form_ && form_->store(workingSettings(context_)); }

// ------------------------------------------------------------------------------------------
// Converters

ConvertersPage::ConvertersPage(const PropertiesContext& context, QWidget* parent)
    : SettingsPage(parent), context_(context) {
    setObjectName(QStringLiteral("convertersPage"));
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(QStringLiteral("Propertis_ConverterLNB_Label01"), this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto* form = new QFormLayout;
    converter_ = new QComboBox(this);
    form->addRow(QStringLiteral("Propertis_ConverterLNB_Label02"), converter_);
    static constexpr const char* kLabels[] = {"Propertis_ConverterLNB_Label03", "Propertis_ConverterLNB_Label04",
                                              "Propertis_ConverterLNB_Label05"};
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new QLineEdit(this);
        form->addRow(QString::fromLatin1(kLabels[i]), boxes_[i]);
        connect(boxes_[i], &QLineEdit::editingFinished, this,
                [this, i] { valueFinished(static_cast<ConverterValue>(i)); });
    }
    layout->addLayout(form);
    layout->addStretch();
    connect(converter_, &QComboBox::currentIndexChanged, this, &ConvertersPage::converterChosen);
}

QString ConvertersPage::caption() const { return languageText(context_, "Propertis_ConverterLNB_Title"); }

void ConvertersPage::prepare() { translateLabels(context_, this); }

void ConvertersPage::load(int) {
    form_ = std::make_unique<ConverterForm>(workingSettings(context_));
    const QSignalBlocker block(converter_);
    converter_->clear();
    for (std::size_t i = 0; i < 8; ++i)
        converter_->addItem(QString::fromStdString(converterTitle(i, form_->converter(i))));
    converter_->setCurrentIndex(0);
    converterChosen();
}

void ConvertersPage::showValues() {
    const auto position = selectedPosition(*converter_);
    if (!position || !form_)
        return;
    const Converter& c = form_->converter(static_cast<std::size_t>(*position));
    boxes_[0]->setText(QString::number(c.lof1));
    boxes_[1]->setText(QString::number(c.lof2));
    boxes_[2]->setText(QString::number(c.threshold));
}

void ConvertersPage::converterChosen() {
    const auto position = selectedPosition(*converter_);
    if (!position)
        return;
    showValues();
    for (QLineEdit* box : boxes_)
        box->setEnabled(ConverterForm::editable(static_cast<std::size_t>(*position)));
}

void ConvertersPage::valueFinished(ConverterValue value) {
    const auto position = selectedPosition(*converter_);
    if (!position || !form_)
        return;
    QLineEdit* box = valueBox(value);
    const Converter& shown = form_->converter(static_cast<std::size_t>(*position));
    const int current = value == ConverterValue::Lof1 ? shown.lof1 : value == ConverterValue::Lof2 ? shown.lof2 : shown.threshold;
    // Leaving a box unchanged checks nothing: a C-band converter's threshold of 0 stays silently.
    if (box->text() == QString::number(current))
        return;
    if (form_->edit(static_cast<std::size_t>(*position), value, box->text().toStdString()) == ConverterForm::Edit::Refused)
        showParameterMessage(context_, this);
    // The box shows what is kept: the new value, or the old one after a refusal or a non-number.
    showValues();
}

bool ConvertersPage::commit() { return form_ && form_->store(workingSettings(context_)); }

} // namespace cs::properties
