#include "properties/transponder_dialog.h"

#include "database/name_lists.h"
#include "properties/channel_form.h"
#include "properties/page_support.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace cs::properties {

namespace {

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
constexpr int kTypedDigits = 5;
constexpr int kDefaultFec = 5;  // "7/8"

QComboBox* symbolRates(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(true);
    list->lineEdit()->setMaxLength(kTypedDigits);
    for (std::string_view rate : kOfferedSymbolRates)
        list->addItem(q(rate));
    list->setCurrentText(QStringLiteral("27500"));
    return list;
}

} // namespace

TransponderDialog::TransponderDialog(const PropertiesContext& context, const TransponderForm& form, unsigned satellite,
                                     Mode mode, const TransponderRecord& seed, std::optional<std::uint16_t> changing,
                                     QWidget* parent)
    : QDialog(parent), context_(context), form_(form), satellite_(satellite), changing_(changing) {
    setObjectName(QStringLiteral("transponderDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    const QString frequencyLabel = languageText(context, "Propertis_List_transponder_Frequency");

    auto* dvbs = new QWidget(tabs_);
    auto* s = new QFormLayout(dvbs);
    frequency_ = new QLineEdit(QStringLiteral("12000"), dvbs);
    frequency_->setMaxLength(kTypedDigits);
    polarisation_ = new QComboBox(dvbs);
    polarisation_->addItems({q(polarisationText(0)), q(polarisationText(1))});
    symbolRate_ = symbolRates(dvbs);
    fec_ = new QComboBox(dvbs);
    for (unsigned code = 0; !fecText(code).empty(); ++code)
        fec_->addItem(q(fecText(code)));
    fec_->setCurrentIndex(kDefaultFec);
    iq_ = new QComboBox(dvbs);
    for (unsigned code = 0; code < 4; ++code)
        iq_->addItem(q(iqModeText(code)));
    s->addRow(frequencyLabel, frequency_);
    s->addRow(languageText(context, "Propertis_List_transponder_Polarization"), polarisation_);
    s->addRow(languageText(context, "Propertis_List_transponder_SymbolRate"), symbolRate_);
    s->addRow(languageText(context, "Propertis_List_transponder_FecRate"), fec_);
    s->addRow(languageText(context, "Propertis_List_transponder_IQMode"), iq_);

    auto* dvbt = new QWidget(tabs_);
    auto* t = new QFormLayout(dvbt);
    terrestrialFrequency_ = new QComboBox(dvbt);
    terrestrialFrequency_->setEditable(true);
    for (const std::string& f : terrestrialChannelFrequencies())
        terrestrialFrequency_->addItem(QString::fromStdString(f));
    t->addRow(frequencyLabel, terrestrialFrequency_);

    // Cable transponders are listed but not added or changed here; the tab only shows the fields.
    auto* dvbc = new QWidget(tabs_);
    auto* c = new QFormLayout(dvbc);
    cableConstellation_ = new QComboBox(dvbc);
    for (unsigned code = 2; code <= 6; ++code)
        cableConstellation_->addItem(q(dvbcConstellationText(code)));
    cableSymbolRate_ = symbolRates(dvbc);
    cableIq_ = new QComboBox(dvbc);
    for (int i = 0; i < iq_->count(); ++i)
        cableIq_->addItem(iq_->itemText(i));
    cableFrequency_ = new QComboBox(dvbc);
    cableFrequency_->setEditable(true);
    c->addRow(frequencyLabel, cableFrequency_);
    c->addRow(QString(), cableConstellation_);
    c->addRow(languageText(context, "Propertis_List_transponder_SymbolRate"), cableSymbolRate_);
    c->addRow(languageText(context, "Propertis_List_transponder_IQMode"), cableIq_);

    tabs_->addTab(dvbs, QStringLiteral("DVB-S"));
    tabs_->addTab(dvbt, QStringLiteral("DVB-T"));
    tabs_->addTab(dvbc, QStringLiteral("DVB-C"));
    layout->addWidget(tabs_);

    ok_ = new QPushButton(languageText(context, "TextBtnOK"), this);
    cancel_ = new QPushButton(languageText(context, "TextBtnCancel"), this);
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &TransponderDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        record_ = TransponderRecord{};
        reject();
    });

    if (mode == Mode::New) {
        setWindowTitle(languageText(context, "Propertis_List_transponder_AddNewTransp"));
    } else {
        setWindowTitle(languageText(context, "Propertis_List_transponder_ChangeParam"));
        frequency_->setText(QString::number(seed.frequency()));
        symbolRate_->setCurrentText(QString::number(seed.symbolRate()));
        polarisation_->setCurrentIndex(static_cast<int>(seed.polarisation()));
        fec_->setCurrentIndex(seed.fec() < static_cast<unsigned>(fec_->count()) ? static_cast<int>(seed.fec()) : -1);
        iq_->setCurrentIndex(static_cast<int>(seed.iqMode()));
    }
    const int tab = satellite == kDvbtSatellite ? 1 : satellite == kDvbcSatellite ? 2 : 0;
    for (int i = 0; i < tabs_->count(); ++i)
        tabs_->setTabVisible(i, i == tab);
    tabs_->setCurrentIndex(tab);
    if (satellite == kDvbtSatellite) {
        const QString mhz = QString::asprintf("%.1f", seed.dvbtFrequency() * 0.001);
        if (terrestrialFrequency_->findText(mhz) < 0)
            terrestrialFrequency_->addItem(mhz);
        terrestrialFrequency_->setCurrentIndex(terrestrialFrequency_->findText(mhz));
    }
}

void TransponderDialog::confirm() {
    TransponderInput input;
    input.satellite = satellite_;
    input.frequency = frequency_->text().toStdString();
    input.symbolRate = symbolRate_->currentText().toStdString();
    input.polarisation = std::max(0, polarisation_->currentIndex());
    input.fec = std::max(0, fec_->currentIndex());
    input.iqMode = std::max(0, iq_->currentIndex());
    input.terrestrialFrequency = terrestrialFrequency_->currentText().toStdString();
    const TransponderBuild built = buildTransponder(input, form_, changing_);
    record_ = built.record;
    if (built.clearLog && context_.log)
        context_.log->clear();
    if (built.outcome == TransponderBuild::Outcome::Invalid)
        showParameterMessage(context_, this);
    else if (built.outcome == TransponderBuild::Outcome::Duplicate)
        showErrorMessage(context_, "Propertis_List_transponder_Existing", this);
    accept();
}

} // namespace cs::properties
