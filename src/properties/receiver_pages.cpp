#include "properties/receiver_pages.h"

#include "database/channel_database.h"
#include "database/display_texts.h"
#include "properties/page_support.h"
#include "widgets/message_box.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace cs::properties {

namespace {

WorkingSettings& workingSettings(const PropertiesContext& c) { return c.database->flash().settings().settings; }

QComboBox* onOffList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    // Position 0 is a cleared bit, 1 a set bit.
    list->addItems({QStringLiteral("0"), QStringLiteral("1")});
    return list;
}

} // namespace

// ------------------------------------------------------------------------------------------
// Receiver settings

ReceiverSettingsPage::ReceiverSettingsPage(const PropertiesContext& context, QWidget* parent)
    : SettingsPage(parent), context_(context) {
    setObjectName(QStringLiteral("receiverSettingsPage"));
    auto* layout = new QFormLayout(this);
    // These labels keep their own captions in every language.
    infoWindow_ = new QComboBox(this);
    for (int s = 0; s < kInfoWindowEntries; ++s)
        infoWindow_->addItem(QStringLiteral("%1 s").arg(s));
    positioner_ = onOffList(this);
    contrast_ = new QComboBox(this);
    contrast_->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    startChannelOn_ = onOffList(this);
    chooseStart_ = new QPushButton(this);
    auto* start = new QHBoxLayout;
    start->addWidget(startChannelOn_, 1);
    start->addWidget(chooseStart_);
    logo_ = onOffList(this);
    position_ = new QLineEdit(this);
    digitalSound_ = onOffList(this);
    widescreen_ = onOffList(this);
    modulator_ = new QLineEdit(this);
    modulator_->setReadOnly(true);
    modulatorChannel_ = new QComboBox(this);
    for (int channel = kFirstModulatorChannel; channel <= kLastModulatorChannel; ++channel)
        modulatorChannel_->addItem(QString::asprintf("UHF %02d", channel));
    modulatorScroll_ = new QScrollBar(Qt::Vertical, this);
    modulatorScroll_->setRange(kModulatorMin, kModulatorMax);
    modulatorScroll_->setSingleStep(1);
    modulatorScroll_->setInvertedControls(true);
    modulatorScroll_->hide();
    auto* modulator = new QHBoxLayout;
    modulator->addWidget(modulator_, 1);
    modulator->addWidget(modulatorScroll_);
    modulator->addWidget(modulatorChannel_);

    layout->addRow(QStringLiteral("Propertis_Receiver_InfoWindow"), infoWindow_);
    layout->addRow(QStringLiteral("Propertis_Receiver_Positioner"), positioner_);
    layout->addRow(QStringLiteral("Propertis_Receiver_Contrast"), contrast_);
    layout->addRow(QStringLiteral("Propertis_Receiver_StartChannel"), start);
    layout->addRow(QStringLiteral("Propertis_Receiver_Logo"), logo_);
    layout->addRow(QStringLiteral("Propertis_Receiver_Position"), position_);
    layout->addRow(QStringLiteral("Propertis_Receiver_DigitalSound"), digitalSound_);
    layout->addRow(QStringLiteral("Propertis_Receiver_Widescreen"), widescreen_);
    layout->addRow(QStringLiteral("Propertis_Receiver_Modulator"), modulator);

    modulator_->installEventFilter(this);
    modulatorScroll_->installEventFilter(this);
    connect(position_, &QLineEdit::editingFinished, this, &ReceiverSettingsPage::positionFinished);
    connect(modulatorScroll_, &QScrollBar::valueChanged, this, &ReceiverSettingsPage::modulatorMoved);
    // Only a choice of the user moves the modulator (not the list following the scroll bar).
    connect(modulatorChannel_, &QComboBox::activated, this,
            [this](int index) { modulatorScroll_->setValue(modulatorPositionOfChannel(index)); });
    connect(startChannelOn_, &QComboBox::activated, this, [this](int index) {
        if (index != 0)
            chooseStartChannel();
    });
    connect(chooseStart_, &QPushButton::clicked, this, &ReceiverSettingsPage::chooseStartChannel);
}

QString ReceiverSettingsPage::caption() const { return languageText(context_, "TreeViewColStbSett"); }

void ReceiverSettingsPage::prepare() {
    // The row labels carry their language keys until the first opening.
    translateLabels(context_, this);
    chooseStart_->setText(languageText(context_, "Propertis_Receiver_Choose"));
}

bool ReceiverSettingsPage::chooserAvailable() const {
    return context_.chooseStartChannel && (!context_.hasStartChannelChooser || context_.hasStartChannelChooser());
}

void ReceiverSettingsPage::load(int) {
    chooseStart_->setEnabled(chooserAvailable());
    form_ = loadReceiverForm(workingSettings(context_));
    selectQuietly(*infoWindow_, form_.infoWindowTime);
    selectQuietly(*positioner_, form_.positionerScreen);
    selectQuietly(*contrast_, form_.rgbContrast);
    selectQuietly(*startChannelOn_, form_.startChannelOn);
    selectQuietly(*logo_, form_.logoAfterStart);
    selectQuietly(*digitalSound_, form_.digitalSound);
    selectQuietly(*widescreen_, form_.widescreen);
    positionText_ = QString::fromStdString(geographicPositionText(form_.geographicPosition, form_.west));
    position_->setText(positionText_);
    {
        const QSignalBlocker block(modulatorScroll_);
        modulatorScroll_->setValue(form_.modulator);
    }
    modulatorMoved(modulatorScroll_->value());
    form_.modulatorChanged = false;
}

void ReceiverSettingsPage::positionFinished() {
    // Leaving the box unchanged checks nothing: a fresh record's "0.00 E" raises no message.
    if (position_->text() == positionText_)
        return;
    const auto position = readGeographicPosition(position_->text().toStdString());
    if (!position) {
        showParameterMessage(context_, this);
        position_->setText(positionText_);
        return;
    }
    form_.geographicPosition = position->degrees;
    form_.west = position->west;
    positionText_ = position_->text();
}

void ReceiverSettingsPage::modulatorMoved(int position) {
    modulator_->setText(QString::fromStdString(modulatorText(position)));
    selectQuietly(*modulatorChannel_, modulatorChannelPosition(position));
    form_.modulator = position;
    form_.modulatorChanged = true;
}

bool ReceiverSettingsPage::eventFilter(QObject* watched, QEvent* event) {
    // The scroll bar is shown only while the frequency box or the scroll bar has the focus.
    if (event->type() == QEvent::FocusIn && watched == modulator_)
        modulatorScroll_->show();
    else if (event->type() == QEvent::FocusOut && (watched == modulator_ || watched == modulatorScroll_)) {
        if (!(watched == modulator_ && QApplication::focusWidget() == modulatorScroll_))
            modulatorScroll_->hide();
    }
    return SettingsPage::eventFilter(watched, event);
}

void ReceiverSettingsPage::chooseStartChannel() {
    if (!chooserAvailable())
        return;
    const StartChannel preset{std::max(1, form_.startList), form_.startChannel};
    const auto chosen = context_.chooseStartChannel(preset);
    if (!chosen) {
        selectQuietly(*startChannelOn_, form_.startChannelOn);
        return;
    }
    form_.startList = chosen->list;
    form_.startChannel = chosen->channel;
    form_.startChannelOn = chosen->channel == -1 ? 0 : 1;
    selectQuietly(*startChannelOn_, form_.startChannelOn);
}

bool ReceiverSettingsPage::commit() {
    if (const auto info = selectedPosition(*infoWindow_))
        form_.infoWindowTime = info;
    form_.rgbContrast = selectedPosition(*contrast_).value_or(form_.rgbContrast);
    form_.positionerScreen = selectedPosition(*positioner_).value_or(form_.positionerScreen);
    form_.startChannelOn = selectedPosition(*startChannelOn_).value_or(form_.startChannelOn);
    form_.logoAfterStart = selectedPosition(*logo_).value_or(form_.logoAfterStart);
    form_.digitalSound = selectedPosition(*digitalSound_).value_or(form_.digitalSound);
    form_.widescreen = selectedPosition(*widescreen_).value_or(form_.widescreen);
    return storeReceiverForm(form_, workingSettings(context_));
}

// ------------------------------------------------------------------------------------------
// Clock

ClockPage::ClockPage(const PropertiesContext& context, QWidget* parent) : SettingsPage(parent), context_(context) {
    setObjectName(QStringLiteral("clockPage"));
    auto* layout = new QFormLayout(this);
    clock_ = new QLineEdit(this);
    clock_->setReadOnly(true);
    zone_ = new QComboBox(this);
    for (int zone = kZoneMin; zone <= kZoneMax; ++zone)
        zone_->addItem(zone < 0 ? QStringLiteral("- %1 h").arg(-zone) : QStringLiteral("%1 h").arg(zone));
    clockOn_ = new QComboBox(this);
    layout->addRow(clock_);
    layout->addRow(QStringLiteral("Propertis_ClockSet_Label01"), zone_);
    layout->addRow(QStringLiteral("Propertis_ClockSet_Label02"), clockOn_);
    connect(zone_, &QComboBox::currentIndexChanged, this, &ClockPage::showClock);
}

QString ClockPage::caption() const { return languageText(context_, "Propertis_ClockSet_Title"); }

void ClockPage::prepare() {
    translateLabels(context_, this);
    clockOn_->clear();
    clockOn_->addItems({languageText(context_, "TextNO"), languageText(context_, "TextYES")});
}

void ClockPage::load(int) {
    const WorkingSettings& s = workingSettings(context_);
    const std::int32_t zone = s.timeZone();
    selectQuietly(*zone_, zone >= kZoneMin && zone <= kZoneMax ? std::optional<int>(zone - kZoneMin) : std::nullopt);
    selectQuietly(*clockOn_, static_cast<int>(s.receiverSetting(ReceiverSetting::clockOn)));
    showClock();
}

void ClockPage::showClock() {
    const auto position = selectedPosition(*zone_);
    clock_->setText(position ? QString::fromStdString(receiverClockText(context_.clock->now(), *position + kZoneMin))
                             : QString());
}

bool ClockPage::commit() {
    WorkingSettings& s = workingSettings(context_);
    bool wrote = false;
    if (const auto position = selectedPosition(*zone_); position && *position + kZoneMin != s.timeZone()) {
        s.setTimeZone(*position + kZoneMin);
        wrote = true;
    }
    if (const auto on = selectedPosition(*clockOn_);
        on && static_cast<unsigned>(*on) != s.receiverSetting(ReceiverSetting::clockOn)) {
        s.setReceiverSetting(ReceiverSetting::clockOn, static_cast<unsigned>(*on));
        wrote = true;
    }
    return wrote;
}

// ------------------------------------------------------------------------------------------
// Parental lock

ParentalLockPage::ParentalLockPage(const PropertiesContext& context, QWidget* parent)
    : SettingsPage(parent), context_(context) {
    setObjectName(QStringLiteral("parentalLockPage"));
    auto* layout = new QFormLayout(this);
    for (QLineEdit** box : {&oldCode_, &newCode_, &confirmation_}) {
        *box = new QLineEdit(this);
        (*box)->setMaxLength(static_cast<int>(kCodeLength));
        (*box)->setEchoMode(QLineEdit::Password);
    }
    change_ = new QPushButton(this);
    auto* hint = new QLabel(QStringLiteral("Propertis_ParentalLock_ChangeCodeHint"), this);
    hint->setWordWrap(true);
    layout->addRow(QStringLiteral("Propertis_ParentalLock_OldCode"), oldCode_);
    layout->addRow(QStringLiteral("Propertis_ParentalLock_NewCode"), newCode_);
    layout->addRow(QStringLiteral("Propertis_ParentalLock_ConfirmNewCode"), confirmation_);
    layout->addRow(change_);
    layout->addRow(hint);
    connect(change_, &QPushButton::clicked, this, &ParentalLockPage::changeCode);
}

QString ParentalLockPage::caption() const { return languageText(context_, "Propertis_ParentalLock_Title"); }

void ParentalLockPage::prepare() {
    translateLabels(context_, this);
    change_->setText(languageText(context_, "Propertis_ParentalLock_ChangeCodeLock"));
}

void ParentalLockPage::load(int) {
    form_ = std::make_unique<ParentalLockForm>(workingSettings(context_));
    oldCode_->clear();
    newCode_->clear();
    confirmation_->clear();
}

void ParentalLockPage::changeCode() {
    if (!form_)
        return;
    const CodeChange result = form_->change(oldCode_->text().toStdString(), newCode_->text().toStdString(),
                                            confirmation_->text().toStdString());
    if (result != CodeChange::Changed) {
        // A wrong old code or a confirmation that differs is said too: otherwise the user would
        // leave believing the code was changed.
        showParameterMessage(context_, this);
        return;
    }
    widgets::messageBox(context_.texts->text("Propertis_ParentalLock_NewCodeChanged"),
                        context_.texts->text(kKeyInformation), widgets::kInformationOk, this);
}

bool ParentalLockPage::commit() { return form_ && form_->store(workingSettings(context_)); }

} // namespace cs::properties
