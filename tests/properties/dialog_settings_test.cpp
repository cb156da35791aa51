// The settings pages in the dialog on a generated image: satellites, converters, receiver
// settings, clock and parental lock. Open -> edit -> OK writes exactly the expected bytes into
// the working settings record; Cancel writes nothing.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

#include "dialog_test_support.h"
#include "properties/antenna_pages.h"
#include "properties/receiver_pages.h"

using namespace cs;
using namespace cs::proptest;
using properties::BandControl;
using properties::ChangeLevel;
using widgets::MessageAnswer;
using widgets::ScriptedMessageBoxes;

namespace {

fx::ImageBytes image() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    for (std::size_t sat = 0; sat < 64; ++sat) {
        fx::SatelliteFields s;
        s.name = "Sat " + std::to_string(sat);
        s.position = 1.0f + static_cast<float>(sat);
        s.antenna.lnbKu = static_cast<std::uint8_t>(sat % 8);
        s.antenna.diseqcModeC = static_cast<std::uint8_t>(sat % 5);
        s.antenna.motorIdKu = static_cast<std::uint8_t>(sat);
        s.antenna.carried3 = 9;
        s.antenna.carried7 = 33;
        b.satellite(sat, s);
    }
    b.converter(0, {9750, 10600, 11700, 0});
    b.converter(1, {5150, 5150, 0, 1});
    b.converter(3, {9750, 10750, 11700, 0});
    b.channel(0, fx::ChannelFields{});
    return b.build();
}

const std::string kParameter = english("Propertis_ParametrNoCorrect");
const std::string kError = english("TextError");

WorkingSettings& working(DialogHarness& h) { return h.flash.settings().settings; }

} // namespace

class DialogSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void frameOpensThePageOfTheRowType();
    void satellitesPageWritesTheAntennaRecords();
    void presetSatelliteFixesTheList();
    void convertersPageChecksItsValues();
    void receiverSettingsPage();
    void clockShowsTheReceiversTime();
    void parentalLockSequence();
};

void DialogSettingsTest::frameOpensThePageOfTheRowType() {
    DialogHarness h(image());
    QVERIFY(h.opened);
    const std::pair<int, const char*> pages[] = {{0, "receiverSettingsPage"}, {1, "satellitesPage"},
                                                 {2, "clockPage"},            {3, "parentalLockPage"},
                                                 {5, "convertersPage"},       {6, "transponderPage"}};
    for (const auto& [type, name] : pages) {
        QVERIFY(h.openSettings(type));
        QCOMPARE(h.dialog->pages()->count(), 1);
        QCOMPARE(h.dialog->pages()->widget(0)->objectName(), QString::fromLatin1(name));
        // A second request while the dialog is shown has no effect.
        QVERIFY(!h.openSettings(5));
        QCOMPARE(h.dialog->pages()->widget(0)->objectName(), QString::fromLatin1(name));
        h.cancel();
    }
    QCOMPARE(h.dialog->settingsPage(static_cast<SettingsGroup>(4)), nullptr);
    QVERIFY(!h.openSettings(4));
    QVERIFY(!h.openSettings(7));
    QVERIFY(h.openSettings(2));
    QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Properties: Clock settings"));
    h.cancel();
    // A preset satellite opens the satellites page whatever the row.
    QVERIFY(h.openSettings(6, 28));
    QCOMPARE(h.dialog->pages()->widget(0)->objectName(), QStringLiteral("satellitesPage"));
    h.cancel();

    // OK with a change, then Cancel: the second result is 0.
    QVERIFY(h.openSettings(2));
    auto* clock = static_cast<properties::ClockPage*>(h.dialog->settingsPage(SettingsGroup::Clock));
    clock->zoneList()->setCurrentIndex(14);
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);
    QVERIFY(h.openSettings(2));
    clock->zoneList()->setCurrentIndex(3);
    h.cancel();
    QCOMPARE(h.dialog->result(), ChangeLevel::None);
    QCOMPARE(working(h).timeZone(), 2);
}

void DialogSettingsTest::satellitesPageWritesTheAntennaRecords() {
    DialogHarness h(image());
    const WorkingSettings before = working(h);
    auto* page = static_cast<properties::SatellitesPage*>(h.dialog->settingsPage(SettingsGroup::Satellites));

    // Opening and OK at once writes nothing.
    QVERIFY(h.openSettings(1));
    QVERIFY(page->satelliteList()->isEnabled());
    QVERIFY(page->allGotoXButton()->isVisibleTo(page));
    QCOMPARE(page->satelliteList()->count(), 63);
    QVERIFY(h.dialog->confirm());
    QCOMPARE(h.dialog->result(), ChangeLevel::None);
    QVERIFY(working(h) == before);

    // Edits and Cancel: nothing.
    QVERIFY(h.openSettings(1));
    page->bandList(0, BandControl::Converter)->setCurrentIndex(6);
    h.cancel();
    QVERIFY(working(h) == before);

    QVERIFY(h.openSettings(1));
    // Satellite 1 is shown first, with its dump in the log.
    QCOMPARE(page->bandList(0, BandControl::Converter)->currentIndex(), 1);
    QCOMPARE(page->bandList(0, BandControl::Converter)->itemText(3), QStringLiteral("4. Ku 9750 10750 11700"));
    const auto lines = h.log.lines();
    QCOMPARE(lines.size(), std::size_t{26});
    QCOMPARE(lines[0], std::string("-==Sat 01 Change ==-"));
    QCOMPARE(lines[1], std::string("nazwa=[Sat 1]"));
    QCOMPARE(lines[3], std::string("lnb_ku = 1 (LNB) [C1]"));
    page->bandList(0, BandControl::Converter)->setCurrentIndex(6);
    page->bandList(1, BandControl::Diseqc)->setCurrentIndex(4);
    page->bandList(2, BandControl::Power)->setCurrentIndex(1);
    page->satelliteList()->setCurrentIndex(9);  // satellite 10; the edits of 1 stay
    QCOMPARE(h.log.lines()[1], std::string("nazwa=[Sat 10]"));
    page->bandList(2, BandControl::ToneBurst)->setCurrentIndex(2);
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);

    WorkingSettings expected = before;
    AntennaSettings one = before.antenna(1);
    one.set(AntennaField::LnbKu, 6);
    one.set(AntennaField::DiseqcModeC, 4);
    one.set(AntennaField::PowerModeLs, 1);
    expected.setAntenna(1, one);
    AntennaSettings ten = before.antenna(10);
    ten.set(AntennaField::ToneModeLs, 2);
    expected.setAntenna(10, ten);
    QVERIFY(working(h) == expected);

    // "All satellites GOTO X", then OK: all 63 records with the three motor modes 3.
    QVERIFY(h.openSettings(1));
    page->allGotoXButton()->click();
    QCOMPARE(page->bandList(1, BandControl::Motor)->currentIndex(), 3);
    h.dialog->okButton()->click();
    for (std::size_t sat = 1; sat <= 63; ++sat) {
        AntennaSettings a = expected.antenna(sat);
        a.set(AntennaField::MotorModeKu, 3);
        a.set(AntennaField::MotorModeC, 3);
        a.set(AntennaField::MotorModeLs, 3);
        QVERIFY(working(h).antenna(sat) == a);
    }
    QVERIFY(working(h).antenna(0) == before.antenna(0));

    // Choosing another satellite and OK reports a change even without an edit.
    QVERIFY(h.openSettings(1));
    page->satelliteList()->setCurrentIndex(2);
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);
}

void DialogSettingsTest::presetSatelliteFixesTheList() {
    DialogHarness h(image());
    auto* page = static_cast<properties::SatellitesPage*>(h.dialog->settingsPage(SettingsGroup::Satellites));
    QVERIFY(h.openSettings(0, 28));
    QCOMPARE(page->satelliteList()->currentIndex(), 27);
    QVERIFY(!page->satelliteList()->isEnabled());
    QVERIFY(!page->allNoMotorButton()->isVisibleTo(page));
    QVERIFY(!page->allGotoXButton()->isVisibleTo(page));
    QCOMPARE(page->bandTabs()->currentIndex(), 0);
    h.cancel();
    QVERIFY(h.openSettings(1));
    QVERIFY(page->satelliteList()->isEnabled());
    QCOMPARE(page->satelliteList()->currentIndex(), 0);
    h.cancel();
}

void DialogSettingsTest::convertersPageChecksItsValues() {
    DialogHarness h(image());
    const WorkingSettings before = working(h);
    auto* page = static_cast<properties::ConvertersPage*>(h.dialog->settingsPage(SettingsGroup::Converters));
    using V = properties::ConverterValue;
    QVERIFY(h.openSettings(5));
    QCOMPARE(page->converterList()->itemText(1), QStringLiteral("02. C1"));
    QCOMPARE(page->valueBox(V::Lof1)->text(), QStringLiteral("9750"));
    QVERIFY(!page->valueBox(V::Lof1)->isEnabled());
    page->converterList()->setCurrentIndex(3);
    QVERIFY(page->valueBox(V::Lof2)->isEnabled());
    QCOMPARE(page->valueBox(V::Lof2)->text(), QStringLiteral("10750"));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok);
        typeInto(page->valueBox(V::Lof2), QStringLiteral("4999"));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    QCOMPARE(page->valueBox(V::Lof2)->text(), QStringLiteral("10750"));
    typeInto(page->valueBox(V::Lof1), QStringLiteral("abc"));  // not a number: unchanged, silently
    QCOMPARE(page->valueBox(V::Lof1)->text(), QStringLiteral("9750"));
    typeInto(page->valueBox(V::Lof2), QStringLiteral("10600"));
    typeInto(page->valueBox(V::Threshold), QStringLiteral("0x2DB4"));  // 11700: unchanged
    {
        // Converter 5 holds zeros: passing through its boxes says nothing and changes nothing.
        ScriptedMessageBoxes none;
        page->converterList()->setCurrentIndex(4);
        QCOMPARE(page->valueBox(V::Threshold)->text(), QStringLiteral("0"));
        emit page->valueBox(V::Threshold)->editingFinished();
        QVERIFY(none.shown().empty());
    }
    page->converterList()->setCurrentIndex(7);
    typeInto(page->valueBox(V::Threshold), QStringLiteral("30000"));
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);
    WorkingSettings expected = before;
    expected.setConverter(3, {9750, 10600, 11700, 0});
    Converter eighth = before.converter(7);
    eighth.threshold = 30000;
    expected.setConverter(7, eighth);
    QVERIFY(working(h) == expected);

    QVERIFY(h.openSettings(5));
    page->converterList()->setCurrentIndex(4);
    typeInto(page->valueBox(V::Lof1), QStringLiteral("12000"));
    h.cancel();
    QVERIFY(working(h) == expected);
}

void DialogSettingsTest::receiverSettingsPage() {
    DialogHarness h(image());
    auto* page = static_cast<properties::ReceiverSettingsPage*>(h.dialog->settingsPage(SettingsGroup::Receiver));
    const WorkingSettings before = working(h);
    QVERIFY(h.openSettings(0));
    // A fresh record: modulator 0 is shown clamped and written back only when moved.
    QCOMPARE(page->modulatorBox()->text(), QStringLiteral("471.25 MHz"));
    QCOMPARE(page->modulatorChannelList()->currentText(), QStringLiteral("UHF 21"));
    QCOMPARE(page->positionBox()->text(), QStringLiteral("0.00 E"));
    QVERIFY(h.dialog->confirm());
    QCOMPARE(h.dialog->result(), ChangeLevel::None);
    QVERIFY(working(h) == before);

    QVERIFY(h.openSettings(0));
    QVERIFY(page->chooseStartButton()->isEnabled());
    {
        ScriptedMessageBoxes none;
        emit page->positionBox()->editingFinished();  // "0.00 E" left as it is
        QVERIFY(none.shown().empty());
    }
    page->infoWindowList()->setCurrentIndex(10);
    page->contrastList()->setCurrentIndex(0);
    page->widescreenList()->setCurrentIndex(1);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok);
        typeInto(page->positionBox(), QStringLiteral("19.2E"));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    QCOMPARE(page->positionBox()->text(), QStringLiteral("0.00 E"));
    typeInto(page->positionBox(), QStringLiteral("19.2 w"));
    page->modulatorScroll()->setValue(854);
    QCOMPARE(page->modulatorBox()->text(), QStringLiteral("854.25 MHz"));
    QCOMPARE(page->modulatorChannelList()->currentText(), QStringLiteral("UHF 68"));
    // The chooser hands back list 2, channel 7.
    h.chooserAnswer = properties::StartChannel{2, 7};
    page->chooseStartChannel();
    QCOMPARE(h.presets.size(), std::size_t{1});
    QCOMPARE(h.presets[0].channel, 0);  // what a fresh working record holds
    QCOMPARE(page->startChannelList()->currentIndex(), 1);
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);

    WorkingSettings expected = before;
    expected.setReceiverSetting(ReceiverSetting::infoWindowTime, 10);
    expected.setReceiverSetting(ReceiverSetting::rgbContrast, 3);
    expected.setReceiverSetting(ReceiverSetting::widescreen, 1);
    expected.setReceiverSetting(ReceiverSetting::startChannelOn, 1);
    expected.setReceiverSetting(ReceiverSetting::startList, 2);
    expected.setStartChannel(7);
    expected.setGeographicPosition(19.2f);
    expected.setReceiverSetting(ReceiverSetting::hemisphere, 1);
    expected.setModulatorFrequency(854);
    QVERIFY(working(h) == expected);

    // Reopened, the page shows what was stored; the chooser is preset from it.
    QVERIFY(h.openSettings(0));
    QCOMPARE(page->positionBox()->text(), QStringLiteral("19.20 W"));
    QCOMPARE(page->modulatorBox()->text(), QStringLiteral("854.25 MHz"));
    page->modulatorChannelList()->setCurrentIndex(0);
    emit page->modulatorChannelList()->activated(0);
    QCOMPARE(page->modulatorScroll()->value(), 471);
    h.chooserAnswer = properties::StartChannel{1, -1};
    page->chooseStartChannel();
    QCOMPARE(h.presets.back().list, 2);
    QCOMPARE(h.presets.back().channel, 7);
    QCOMPARE(page->startChannelList()->currentIndex(), 0);
    h.cancel();
    QVERIFY(working(h) == expected);
}

void DialogSettingsTest::clockShowsTheReceiversTime() {
    DialogHarness h(image());
    auto* page = static_cast<properties::ClockPage*>(h.dialog->settingsPage(SettingsGroup::Clock));
    h.clock->reading = {23, 7, 2026, 12, 31};
    working(h).setTimeZone(40);  // outside -12..12: no selection, kept
    QVERIFY(h.openSettings(2));
    QCOMPARE(page->zoneList()->currentIndex(), -1);
    QCOMPARE(page->clockBox()->text(), QString());
    QVERIFY(h.dialog->confirm());
    QCOMPARE(working(h).timeZone(), 40);

    QVERIFY(h.openSettings(2));
    page->zoneList()->setCurrentIndex(14);  // "2 h"
    QCOMPARE(page->zoneList()->currentText(), QStringLiteral("2 h"));
    QCOMPARE(page->clockBox()->text(), QStringLiteral("Czas: 1:07, 2027-01-01 (pia)"));
    page->zoneList()->setCurrentIndex(0);
    QCOMPARE(page->zoneList()->currentText(), QStringLiteral("- 12 h"));
    QCOMPARE(page->clockBox()->text(), QStringLiteral("Czas: 11:07, 2026-12-31 (czw)"));
    page->zoneList()->setCurrentIndex(14);
    page->clockOnList()->setCurrentIndex(1);
    h.dialog->okButton()->click();
    QCOMPARE(working(h).timeZone(), 2);
    QCOMPARE(working(h).receiverSetting(ReceiverSetting::clockOn), 1u);
}

void DialogSettingsTest::parentalLockSequence() {
    DialogHarness h(image());
    auto* page = static_cast<properties::ParentalLockPage*>(h.dialog->settingsPage(SettingsGroup::ParentalLock));
    working(h).setParentalCode(1234);
    const std::string changed = english("Propertis_ParentalLock_NewCodeChanged");
    const std::string information = english("TextInformation");
    QVERIFY(h.openSettings(3));
    QCOMPARE(page->oldCodeBox()->echoMode(), QLineEdit::Password);
    QCOMPARE(page->oldCodeBox()->maxLength(), 4);
    QVERIFY(page->oldCodeBox()->text().isEmpty());
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)    // wrong old code
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)     // confirmation differs
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)     // not a number
            .expect(changed, information, widgets::kInformationOk, MessageAnswer::Ok)
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok);    // old code is still 1234
        auto attempt = [&](const char* oldCode, const char* newCode, const char* confirmation) {
            page->oldCodeBox()->setText(QString::fromLatin1(oldCode));
            page->newCodeBox()->setText(QString::fromLatin1(newCode));
            page->confirmationBox()->setText(QString::fromLatin1(confirmation));
            page->changeButton()->click();
        };
        attempt("4321", "1111", "1111");
        attempt("1234", "1111", "2222");
        attempt("1234", "11a1", "11a1");
        attempt("1234", "1111", "1111");
        attempt("1111", "2222", "2222");
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
        // The stored code is never shown or logged.
        for (const auto& box : boxes.shown())
            QVERIFY(box.text.find("1234") == std::string::npos);
    }
    for (const std::string& line : h.log.lines())
        QVERIFY(line.find("1234") == std::string::npos);
    h.cancel();
    QCOMPARE(working(h).parentalCode(), 1234);

    QVERIFY(h.openSettings(3));
    QVERIFY(page->oldCodeBox()->text().isEmpty());
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(changed, information, widgets::kInformationOk, MessageAnswer::Ok);
        page->oldCodeBox()->setText(QStringLiteral("1234"));
        page->newCodeBox()->setText(QStringLiteral("0042"));
        page->confirmationBox()->setText(QStringLiteral("42"));
        page->changeButton()->click();
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);
    QCOMPARE(working(h).parentalCode(), 42);
}

QTEST_MAIN(DialogSettingsTest)
#include "dialog_settings_test.moc"
