// The transponder-list page and the transponder dialog on a generated image: rows per satellite,
// the caption's count, add (with the duplicate rule and a full table), change, delete, and the
// table OK writes back.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "dialog_test_support.h"
#include "properties/transponder_dialog.h"
#include "properties/transponder_page.h"
#include "properties/transponder_update_dialog.h"

#include "fixtures/satellites_xml_fixture.h"
#include "undo/database_undo.h"
#include "widgets/file_dialogs.h"

#include <fstream>

using namespace cs;
using namespace cs::proptest;
using properties::ChangeLevel;
using properties::TransponderDialog;
using widgets::MessageAnswer;
using widgets::ScriptedMessageBoxes;

namespace {

fx::ImageBytes image(bool full = false) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites();
    b.channel(0, fx::ChannelFields{});
    if (full) {
        for (int i = 0; i < 3840; ++i)
            b.transponder(fx::satelliteTransponder(2, static_cast<std::uint16_t>(10000 + i), 27500));
        return b.build();
    }
    b.transponder(fx::satelliteTransponder(1, 11005, 27500, 3, 1));
    b.transponder(fx::satelliteTransponder(1, 10700, 22000, 5, 0));
    b.transponder(fx::dvbtTransponder(474000));
    b.transponder(fx::dvbcTransponder(3460, 6900, 4));
    return b.build();
}

TransponderRecord recordOf(const fx::Transponder6& bytes) {
    TransponderRecord r;
    std::copy(bytes.begin(), bytes.end(), r.bytes().begin());
    return r;
}

// Fills the dialog's DVB-S boxes and presses OK.
TransponderDialog* lastDialog = nullptr;
properties::TransponderPage::DialogRunner fillAndConfirm(QString mhz, int polarisation, QString rate = "27500") {
    return [=](TransponderDialog& d) {
        lastDialog = &d;
        d.frequencyBox()->setText(mhz);
        d.polarisationList()->setCurrentIndex(polarisation);
        d.symbolRateList()->setCurrentText(rate);
        d.okButton()->click();
    };
}

const std::string kError = english("TextError");

} // namespace

class DialogTransponderTest : public QObject {
    Q_OBJECT

private slots:
    void rowsPerSatelliteAndTheCaption();
    void addChangeAndDeleteWriteTheTableOnOk();
    void duplicatesAndBadValuesAreRefused();
    void fullTableShowsItsMessage();
    void updateFromSatellitesXmlPreviewsAndAppliesTheChosenInOneStep();
};

void DialogTransponderTest::rowsPerSatelliteAndTheCaption() {
    DialogHarness h(image());
    auto* page = static_cast<properties::TransponderPage*>(h.dialog->settingsPage(SettingsGroup::Transponders));
    QVERIFY(h.openSettings(6));
    QCOMPARE(page->satelliteList()->count(), 65);
    QCOMPARE(page->satelliteList()->itemText(63), QStringLiteral("DVB-T"));
    QTreeWidget* list = page->transponderList();
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("001)"));
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("10700 MHz"));
    QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("Ver"));
    QCOMPARE(list->topLevelItem(1)->text(3), QStringLiteral("27500"));
    QCOMPARE(list->topLevelItem(1)->text(4), QStringLiteral("3/4"));
    QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Properties: Transponder list TP 2"));
    QVERIFY(page->emptyNotice()->isHidden());

    page->satelliteList()->setCurrentIndex(1);
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(!page->emptyNotice()->isHidden());
    QVERIFY(!list->isEnabled());
    QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Properties: Transponder list TP 0"));

    page->satelliteList()->setCurrentIndex(64);  // DVB-C
    QVERIFY(list->isEnabled());
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("346.0 MHz"));
    QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("QAM 64"));
    QCOMPARE(list->headerItem()->text(2), QString::fromStdString(english("Propertis_List_transponder_Constellation")));
    QVERIFY(list->isColumnHidden(4));
    QVERIFY(!page->addButton()->isEnabled());
    page->satelliteList()->setCurrentIndex(63);  // DVB-T
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("474.0 MHz"));
    QVERIFY(page->addButton()->isEnabled());
    h.cancel();
}

void DialogTransponderTest::addChangeAndDeleteWriteTheTableOnOk() {
    DialogHarness h(image());
    const auto before = std::make_unique<TransponderTable>(h.flash.transponders());
    auto* page = static_cast<properties::TransponderPage*>(h.dialog->settingsPage(SettingsGroup::Transponders));

    // Edits and Cancel write nothing.
    QVERIFY(h.openSettings(6));
    page->setDialogRunner(fillAndConfirm(QStringLiteral("12900"), 0));
    page->addTransponder();
    QCOMPARE(page->transponderList()->topLevelItemCount(), 3);
    h.cancel();
    QVERIFY(h.flash.transponders() == *before);

    QVERIFY(h.openSettings(6));
    // 12900 MHz is accepted here (the channel page stops at 12750); new mode starts from the defaults.
    page->setDialogRunner([](TransponderDialog& d) {
        QCOMPARE(d.windowTitle(), QString::fromStdString(english("Propertis_List_transponder_AddNewTransp")));
        QCOMPARE(d.frequencyBox()->text(), QStringLiteral("12000"));
        QCOMPARE(d.fecList()->currentText(), QStringLiteral("7/8"));
        QCOMPARE(d.symbolRateList()->currentText(), QStringLiteral("27500"));
        QVERIFY(d.tabs()->isTabVisible(0));
        QVERIFY(!d.tabs()->isTabVisible(1));
        d.frequencyBox()->setText(QStringLiteral("12900"));
        d.okButton()->click();
    });
    h.log.write("an earlier line");
    page->addTransponder();
    QCOMPARE(page->transponderList()->topLevelItemCount(), 3);
    QCOMPARE(page->transponderList()->currentItem()->text(1), QStringLiteral("12900 MHz"));
    // OK with values that were taken starts the log window afresh.
    QVERIFY(!h.log.contains("an earlier line"));
    QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Properties: Transponder list TP 3"));

    // Change the 10700 H row to 10750 V: seeded from the row, written over its record.
    page->setDialogRunner([](TransponderDialog& d) {
        QCOMPARE(d.frequencyBox()->text(), QStringLiteral("10700"));
        QCOMPARE(d.symbolRateList()->currentText(), QStringLiteral("22000"));
        QCOMPARE(d.fecList()->currentText(), QStringLiteral("7/8"));
        d.frequencyBox()->setText(QStringLiteral("10750"));
        d.polarisationList()->setCurrentIndex(1);
        d.okButton()->click();
    });
    page->changeTransponder(page->transponderList()->topLevelItem(0));
    QCOMPARE(page->transponderList()->currentItem()->text(1), QStringLiteral("10750 MHz"));

    // Delete the checked 11005 V row after the question.
    for (int i = 0; i < page->transponderList()->topLevelItemCount(); ++i)
        if (page->transponderList()->topLevelItem(i)->text(1) == QStringLiteral("11005 MHz"))
            page->transponderList()->topLevelItem(i)->setCheckState(0, Qt::Checked);
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(english("Propertis_List_transponder_EraseSelect"), english("TextInformation"),
                     widgets::kQuestionYesNo, MessageAnswer::No)
            .expect(english("Propertis_List_transponder_EraseSelect"), english("TextInformation"),
                    widgets::kQuestionYesNo, MessageAnswer::Yes);
        page->deleteChecked();
        QCOMPARE(page->transponderList()->topLevelItemCount(), 3);
        page->deleteChecked();
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    QCOMPARE(page->transponderList()->topLevelItemCount(), 2);
    // The freed record is the first free one: the next addition takes it.
    page->setDialogRunner(fillAndConfirm(QStringLiteral("11200"), 0));
    page->addTransponder();
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);

    TransponderTable expected = *before;
    expected[0] = recordOf(fx::satelliteTransponder(1, 11200, 27500, 5, 0));
    expected[1] = recordOf(fx::satelliteTransponder(1, 10750, 22000, 5, 1));
    expected[4] = recordOf(fx::satelliteTransponder(1, 12900, 27500, 5, 0));
    for (std::size_t i = 0; i < 8; ++i)
        QVERIFY2(h.flash.transponders()[i] == expected[i], qPrintable(QStringLiteral("record %1").arg(i)));
    QVERIFY(h.flash.transponders() == expected);
}

void DialogTransponderTest::duplicatesAndBadValuesAreRefused() {
    DialogHarness h(image());
    const auto before = std::make_unique<TransponderTable>(h.flash.transponders());
    auto* page = static_cast<properties::TransponderPage*>(h.dialog->settingsPage(SettingsGroup::Transponders));
    QVERIFY(h.openSettings(6));
    {
        ScriptedMessageBoxes boxes;
        boxes.expect(english("Propertis_List_transponder_Existing"), kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(english("Propertis_ParametrNoCorrect"), kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(english("Propertis_ParametrNoCorrect"), kError, widgets::kStopOk, MessageAnswer::Ok)
            .expect(english("Propertis_List_transponder_Existing"), kError, widgets::kStopOk, MessageAnswer::Ok);
        page->setDialogRunner(fillAndConfirm(QStringLiteral("11001"), 1));  // next to 11005 V
        page->addTransponder();
        page->setDialogRunner(fillAndConfirm(QStringLiteral("12901"), 1));
        page->addTransponder();
        page->setDialogRunner(fillAndConfirm(QStringLiteral("11500"), 1, QStringLiteral("999")));
        page->addTransponder();
        // Changing 10700 H to 11003 V collides with 11005 V; the row keeps its old values.
        page->setDialogRunner(fillAndConfirm(QStringLiteral("11003"), 1));
        page->changeTransponder(page->transponderList()->topLevelItem(0));
        QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    }
    QCOMPARE(page->transponderList()->topLevelItemCount(), 2);
    QCOMPARE(page->transponderList()->topLevelItem(0)->text(1), QStringLiteral("10700 MHz"));
    // Not duplicates: the other polarisation, 6 MHz away, or a row changed to its own frequency.
    page->setDialogRunner(fillAndConfirm(QStringLiteral("11001"), 0));
    page->addTransponder();
    page->setDialogRunner(fillAndConfirm(QStringLiteral("11011"), 1));
    page->addTransponder();
    QCOMPARE(page->transponderList()->topLevelItemCount(), 4);
    page->setDialogRunner([](TransponderDialog& d) { d.okButton()->click(); });
    for (int i = 0; i < page->transponderList()->topLevelItemCount(); ++i)
        if (page->transponderList()->topLevelItem(i)->text(1) == QStringLiteral("11005 MHz"))
            page->changeTransponder(page->transponderList()->topLevelItem(i));
    // Cancel in the dialog stores nothing.
    page->setDialogRunner([](TransponderDialog& d) { d.cancelButton()->click(); });
    page->addTransponder();
    QCOMPARE(page->transponderList()->topLevelItemCount(), 4);
    h.cancel();
    QVERIFY(h.flash.transponders() == *before);
}

void DialogTransponderTest::fullTableShowsItsMessage() {
    DialogHarness h(image(true));
    const auto before = std::make_unique<TransponderTable>(h.flash.transponders());
    auto* page = static_cast<properties::TransponderPage*>(h.dialog->settingsPage(SettingsGroup::Transponders));
    QVERIFY(h.openSettings(6));
    ScriptedMessageBoxes boxes;
    boxes.expect(english("Propertis_List_transponder_IsFull"), kError, widgets::kStopOk, MessageAnswer::Ok);
    page->setDialogRunner(fillAndConfirm(QStringLiteral("12500"), 0));
    page->addTransponder();
    QVERIFY2(boxes.report().empty(), boxes.report().c_str());
    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::None);
    QVERIFY(h.flash.transponders() == *before);
}

QTEST_MAIN(DialogTransponderTest)
void DialogTransponderTest::updateFromSatellitesXmlPreviewsAndAppliesTheChosenInOneStep() {
    // Satellite 1 holds 10700 H and 11005 V; the file lists it at its own position (as the
    // built-in table places it) beside another <sat>.
    DialogHarness h(image());
    const SatelliteEntry& own = h.flash.settings().satellites[1];
    const int position = satellitePositionTenths(own.position, own.side);
    const std::string xmlPath = (h.path().parent_path() / "satellites.xml").string();
    std::ofstream(xmlPath) << fx::satellitesXmlText(
        {{"Elsewhere", std::to_string(position + 7), {fx::xmlTransponder(12000, 27500, 0)}},
         {"Own", std::to_string(position),
          {fx::xmlTransponder(10702, 22000, 0, 5), fx::xmlTransponder(11500, 27500, 1), fx::xmlTransponder(11600, 27500, 0),
           fx::xmlTransponder(11700, 27500, 3)}}});
    const auto before = std::make_unique<TransponderTable>(h.flash.transponders());
    undo::DatabaseUndo undo(h.db);
    undo.restart();
    auto* page = static_cast<properties::TransponderPage*>(h.dialog->settingsPage(SettingsGroup::Transponders));
    QVERIFY(h.openSettings(6));
    QCOMPARE(page->updateButton()->text(), QString::fromStdString(english("TpUpdate")));

    QStringList sats, actions, what, reasons;
    page->setUpdateRunner([&](properties::TransponderUpdateDialog& d) {
        for (int i = 0; i < d.satList()->count(); ++i)
            sats << d.satList()->itemText(i);
        QTreeWidget* preview = d.preview();
        for (int i = 0; i < preview->topLevelItemCount(); ++i) {
            actions << preview->topLevelItem(i)->text(0);
            what << preview->topLevelItem(i)->text(1);
            reasons << preview->topLevelItem(i)->text(2);
        }
        // Leave out the add of 11600 H.
        for (int i = 0; i < preview->topLevelItemCount(); ++i)
            if (preview->topLevelItem(i)->text(1).startsWith(QStringLiteral("11600")))
                preview->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        return static_cast<int>(QDialog::Accepted);
    });
    {
        widgets::ScriptedFileDialogs files;
        files.expect(widgets::FileDialogKind::Open, xmlPath);
        page->updateButton()->click();
        QVERIFY2(files.done() && files.failures().empty(), files.report().c_str());
    }
    // The satellite's own position first; 10700 H becomes 10702 (same rate and FEC: a change of
    // frequency only); 11005 V is listed by none; the circular entry is skipped with its reason.
    QCOMPARE(sats.size(), 2);
    QVERIFY(sats[0].startsWith(QStringLiteral("Own")));
    const QString add = QString::fromStdString(english("TpUpdateAdd"));
    const QString change = QString::fromStdString(english("TpUpdateChange"));
    const QString remove = QString::fromStdString(english("TpUpdateRemove"));
    const QString skip = QString::fromStdString(english("TpUpdateSkip"));
    QCOMPARE(actions, (QStringList{change, remove, add, add, skip}));
    QCOMPARE(reasons.last(), QString::fromStdString(english("TpSkipPolarisation")));
    QCOMPARE(what.first(), QStringLiteral("10700 MHz H 22000 7/8 -> 10702 MHz H 22000 7/8"));
    QCOMPARE(what.at(1), QStringLiteral("11005 MHz V 27500 3/4"));
    QCOMPARE(what.last(), QStringLiteral("11700000 kHz R"));
    // Nothing is stored before the properties dialog's OK.
    QVERIFY(h.flash.transponders() == *before);
    QStringList rows;
    for (int i = 0; i < page->transponderList()->topLevelItemCount(); ++i)
        rows << page->transponderList()->topLevelItem(i)->text(1);
    QCOMPARE(rows, (QStringList{QStringLiteral("10702 MHz"), QStringLiteral("11500 MHz")}));

    h.dialog->okButton()->click();
    QCOMPARE(h.dialog->result(), ChangeLevel::Written);
    const TransponderList after = transponderList(1, h.flash.transponders());
    QCOMPARE(after.count, std::size_t{2});
    // One step: a single undo brings the whole table back.
    QVERIFY(undo.record({}));
    QVERIFY(!undo.record({}));
    QVERIFY(undo.undo());
    QVERIFY(h.flash.transponders() == *before);
    QVERIFY(!undo.history().canUndo());

    // A file that is not XML is said and changes nothing.
    const std::string bad = (h.path().parent_path() / "bad.xml").string();
    std::ofstream(bad) << "<satellites><sat position=";
    QVERIFY(h.openSettings(6));
    {
        widgets::ScriptedFileDialogs files;
        files.expect(widgets::FileDialogKind::Open, bad);
        std::vector<widgets::MessageBoxRequest> shown;
        const auto previous = widgets::setMessageBoxHandler([&shown](const widgets::MessageBoxRequest& r) {
            shown.push_back(r);
            return widgets::escapeAnswer(r.kind);
        });
        page->updateButton()->click();
        widgets::setMessageBoxHandler(previous);
        QCOMPARE(shown.size(), std::size_t{1});
        QVERIFY(shown[0].text.rfind(english("TpUpdateUnreadable"), 0) == 0);
        QCOMPARE(shown[0].caption, english("TpUpdateTitle"));
    }
    QCOMPARE(page->transponderList()->topLevelItemCount(), 2);
    h.cancel();
}

#include "dialog_transponder_test.moc"
