// The channel pages in the dialog on a generated image: open -> edit -> OK writes exactly the
// record bytes expected, Cancel writes nothing, the boxes check what is typed, and the lists,
// tabs and CA rows show the record.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "dialog_test_support.h"
#include "properties/channel_pages.h"

using namespace cs;
using namespace cs::proptest;
using widgets::MessageAnswer;
using widgets::ScriptedMessageBoxes;

namespace {

fx::ChannelFields satelliteChannel() {
    fx::ChannelFields s;
    s.name = "Sat One";
    s.providerNumber = 0;
    s.carried = fx::CarriedChannelBytes::pattern(3);
    s.soundLevel = 5;
    s.caPriority = 2;
    return s;
}

fx::ChannelFields terrestrialChannel() {
    fx::ChannelFields s;
    s.name = "Terr";
    s.satellite = 64;
    s.frequency = 5060;  // 506.0 MHz, UHF 25
    s.ofdm = 0x46;       // mode 8K, constellation QAM16, guard 1_8
    return s;
}

fx::ChannelFields cableChannel() {
    fx::ChannelFields s;
    s.name = "Cable";
    s.satellite = 65;
    s.frequency = 3470;  // not among the cable transponders
    s.symbolRate = 6900;
    s.cableConstellation = 4;
    return s;
}

fx::ImageBytes image() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    b.channel(0, satelliteChannel());
    b.channel(1, terrestrialChannel());
    b.channel(2, cableChannel());
    b.transponder(fx::dvbcTransponder(3620, 6900));
    b.transponder(fx::dvbcTransponder(3460, 6900));
    return b.build();
}

void expectRecord(const ChannelRecord& actual, const fx::ChannelFields& fields) {
    const fx::Record64 want = fx::encodeChannelRecord(fields);
    for (std::size_t i = 0; i < 62; ++i)
        QVERIFY2(actual.bytes()[i] == want[i],
                 qPrintable(QStringLiteral("byte %1: %2, expected %3").arg(i).arg(actual.bytes()[i]).arg(want[i])));
}

const std::string kParameter = english("Propertis_ParametrNoCorrect");
const std::string kError = english("TextError");

} // namespace

class DialogChannelTest : public QObject {
    Q_OBJECT

private slots:
    void okWritesTheEditedFieldsAndCancelNothing();
    void boxesRefuseWhatTheyDoNotAcceptAndRestoreTheirText();
    void mirroredPidsKeepTheDialogOpen();
    void hexOptionShowsPidsAndCaIdentifiers();
    void onlyTheTabOfTheChannelKindIsShown();
};

void DialogChannelTest::okWritesTheEditedFieldsAndCancelNothing() {
    DialogHarness h(image());
    QVERIFY(h.opened);
    const fx::ChannelFields original = satelliteChannel();

    // Cancel after edits writes nothing.
    QVERIFY(h.openChannel(0));
    properties::ChannelPages& p = h.dialog->channelPages();
    typeInto(p.videoPidBox(), QStringLiteral("0x100"));
    typeInto(p.nameBox(), QStringLiteral("  Renamed  "));
    p.scrambledBox()->setChecked(true);
    h.cancel();
    QCOMPARE(h.dialog->result(), properties::ChangeLevel::None);
    expectRecord(h.db.record(0), original);

    QVERIFY(h.openChannel(0));
    QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Properties: Sat One"));
    QCOMPARE(h.dialog->pages()->count(), 3);
    QCOMPARE(p.providerBox()->text(), QString::fromStdString(english("TreeViewUnknow")));
    QCOMPARE(p.satelliteList()->currentIndex(), 27);
    QVERIFY(!p.satelliteList()->isEnabled());
    typeInto(p.videoPidBox(), QStringLiteral("0x100"));
    QCOMPARE(p.videoPidBox()->text(), QStringLiteral("256"));
    typeInto(p.audioPidBox(), QStringLiteral("$101"));
    typeInto(p.pmtPidBox(), QStringLiteral("300"));
    typeInto(p.serviceIdBox(), QStringLiteral("65535"));
    typeInto(p.nameBox(), QStringLiteral("  Renamed  "));
    QCOMPARE(p.nameBox()->text(), QStringLiteral("Renamed"));
    p.audioModeList()->setCurrentIndex(2);
    p.caPriorityList()->setCurrentIndex(8);
    p.parentalLockBox()->setChecked(true);
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), properties::ChangeLevel::Written);
    QVERIFY(!h.dialog->isVisible());

    fx::ChannelFields expected = original;
    expected.videoPid = 256;
    expected.audioPid = 257;
    expected.serviceId = 65535;
    expected.name = "Renamed";
    expected.audioMode = 2;
    expected.caPriority = 8;
    expected.parentalLock = 1;
    expectRecord(h.db.record(0), expected);
    QCOMPARE(h.db.entry(0).pmtPid & 0x1FFF, 300);

    // A placement field: the satellite frequency.
    QVERIFY(h.openChannel(0));
    typeInto(p.frequencyBox(), QStringLiteral("12750"));
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), properties::ChangeLevel::Placement);
    QCOMPARE(h.db.record(0).frequency(), 12750);

    // Opening again and pressing OK at once writes nothing.
    QVERIFY(h.openChannel(0));
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), properties::ChangeLevel::None);
}

void DialogChannelTest::boxesRefuseWhatTheyDoNotAcceptAndRestoreTheirText() {
    DialogHarness h(image());
    QVERIFY(h.openChannel(0));
    properties::ChannelPages& p = h.dialog->channelPages();
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok);
        typeInto(p.frequencyBox(), QStringLiteral("12751"));
        QCOMPARE(p.frequencyBox()->text(), QStringLiteral("11494"));
        typeInto(p.symbolRateBox(), QStringLiteral("65536"));  // does not fit 16 bits
        QCOMPARE(p.symbolRateBox()->text(), QStringLiteral("22000"));
        typeInto(p.videoPidBox(), QStringLiteral("80"));       // the audio PID
        QCOMPARE(p.videoPidBox()->text(), QStringLiteral("160"));
        typeInto(p.pmtPidBox(), QStringLiteral("31"));
        typeInto(p.serviceIdBox(), QStringLiteral("sid"));
        QCOMPARE(p.serviceIdBox()->text(), QStringLiteral("1"));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    // Leaving a box that shows a stored value it would refuse (a PMT PID of 0) without changing
    // it says nothing.
    {
        ScriptedMessageBoxes none;
        QCOMPARE(p.pmtPidBox()->text(), QStringLiteral("0"));
        emit p.pmtPidBox()->editingFinished();
        QVERIFY(none.shown().empty());
    }
    // Blank boxes leave their fields unchanged; an empty name returns to the old one.
    typeInto(p.audioPidBox(), QString());
    typeInto(p.nameBox(), QStringLiteral("   "));
    QCOMPARE(p.nameBox()->text(), QStringLiteral("Sat One"));
    typeInto(p.frequencyBox(), QStringLiteral("9750"));
    h.dialog->okButton()->click();
    fx::ChannelFields expected = satelliteChannel();
    expected.frequency = 9750;
    expectRecord(h.db.record(0), expected);
}

void DialogChannelTest::mirroredPidsKeepTheDialogOpen() {
    DialogHarness h(image());
    QVERIFY(h.openChannel(0));
    properties::ChannelPages& p = h.dialog->channelPages();
    typeInto(p.pmtPidBox(), QStringLiteral("160"));  // the video PID
    ScriptedMessageBoxes boxes;
    boxes.expect(english("Propertis_TheSamePID"), kError, widgets::kStopOk, MessageAnswer::Ok);
    QVERIFY(!h.dialog->confirm());
    QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    expectRecord(h.db.record(0), satelliteChannel());
    // A radio channel: video 0, the PMT PID equal to nothing else.
    typeInto(p.videoPidBox(), QStringLiteral("0"));
    typeInto(p.pmtPidBox(), QStringLiteral("0x20"));
    QVERIFY(h.dialog->confirm());
    fx::ChannelFields expected = satelliteChannel();
    expected.videoPid = 0;
    expected.videoFlag = false;
    expectRecord(h.db.record(0), expected);
}

void DialogChannelTest::hexOptionShowsPidsAndCaIdentifiers() {
    DialogHarness h(image());
    h.db.entry(0).caSystems = {0x0500, 0, 0x0604};
    h.db.entry(1).caSystems = {0, 0, 0};
    h.stored.setFlag(settings_flags::kPropertiesInHex, true);
    QVERIFY(h.openChannel(0));
    properties::ChannelPages& p = h.dialog->channelPages();
    QVERIFY(p.hexBox()->isChecked());
    QCOMPARE(p.videoPidBox()->text(), QStringLiteral("0x00A0"));
    QCOMPARE(p.caList()->topLevelItemCount(), 2);
    QCOMPARE(p.caList()->topLevelItem(0)->text(0), QStringLiteral("France Telecom, Viaccess"));
    QCOMPARE(p.caList()->topLevelItem(0)->text(1), QStringLiteral("0x0500"));
    QCOMPARE(p.caList()->topLevelItem(1)->text(1), QStringLiteral("0x0604"));
    QVERIFY(p.noCaNotice()->isHidden());
    p.hexBox()->setChecked(false);
    QCOMPARE(p.videoPidBox()->text(), QStringLiteral("160"));
    QCOMPARE(p.caList()->topLevelItem(1)->text(1), QStringLiteral("1540"));
    typeInto(p.videoPidBox(), QStringLiteral("0x100"));
    p.hexBox()->setChecked(true);
    QCOMPARE(p.videoPidBox()->text(), QStringLiteral("0x0100"));
    p.hexBox()->setChecked(false);
    h.dialog->okButton()->click();
    // The option is stored with OK.
    QVERIFY(!h.stored.flag(settings_flags::kPropertiesInHex));

    QVERIFY(h.openChannel(1));
    QCOMPARE(p.caList()->topLevelItemCount(), 0);
    QVERIFY(!p.noCaNotice()->isHidden());
    QCOMPARE(p.noCaNotice()->text(), QString::fromStdString(english("Propertis_Label25")));
    h.cancel();
}

void DialogChannelTest::onlyTheTabOfTheChannelKindIsShown() {
    DialogHarness h(image());
    properties::ChannelPages& p = h.dialog->channelPages();
    QVERIFY(h.openChannel(1));
    QTabWidget* tabs = p.transponderTabs();
    QVERIFY(!tabs->isTabVisible(0));
    QVERIFY(tabs->isTabVisible(1));
    QVERIFY(!tabs->isTabVisible(2));
    QCOMPARE(p.terrestrialFrequencyList()->count(), 57);
    QCOMPARE(p.terrestrialFrequencyList()->currentText(), QStringLiteral("506.0"));
    QCOMPARE(p.ofdmModeBox()->text(), QStringLiteral("MODE 8K"));
    QCOMPARE(p.ofdmConstellationBox()->text(), QStringLiteral("C QAM16"));
    QCOMPARE(p.ofdmGuardBox()->text(), QStringLiteral("INTERVAL 1_8"));
    p.terrestrialFrequencyList()->setCurrentText(QStringLiteral("6553.6"));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(kParameter, kError, widgets::kStopOk, MessageAnswer::Ok);
        QVERIFY(!h.dialog->confirm());
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    p.terrestrialFrequencyList()->setCurrentText(QStringLiteral("858.0"));
    QVERIFY(h.dialog->confirm());
    QCOMPARE(h.dialog->result(), properties::ChangeLevel::Placement);
    fx::ChannelFields t = terrestrialChannel();
    t.frequency = 8580;
    expectRecord(h.db.record(1), t);

    QVERIFY(h.openChannel(2));
    QVERIFY(tabs->isTabVisible(2));
    QVERIFY(!tabs->isTabVisible(0));
    // The cable transponders in list order, and the channel's own frequency added.
    QCOMPARE(p.cableFrequencyList()->count(), 3);
    QCOMPARE(p.cableFrequencyList()->itemText(0), QStringLiteral("346.0"));
    QCOMPARE(p.cableFrequencyList()->itemText(1), QStringLiteral("362.0"));
    QCOMPARE(p.cableFrequencyList()->currentText(), QStringLiteral("347.0"));
    QCOMPARE(p.cableConstellationList()->currentText(), QStringLiteral("QAM 64"));
    p.cableFrequencyList()->setCurrentIndex(1);
    typeInto(p.cableSymbolRateBox(), QStringLiteral("6875"));
    p.cableConstellationList()->setCurrentIndex(4);
    QVERIFY(h.dialog->confirm());
    fx::ChannelFields c = cableChannel();
    c.frequency = 3620;
    c.symbolRate = 6875;
    c.cableConstellation = 6;
    expectRecord(h.db.record(2), c);
}

QTEST_MAIN(DialogChannelTest)
#include "dialog_channel_test.moc"
