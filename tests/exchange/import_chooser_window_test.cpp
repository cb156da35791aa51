// The import chooser window offscreen: its fixed texts, the component and detail lists, the
// description, the "nothing selected" message, and importWithChooser around it (Cancel changes
// nothing, a chosen component is applied, an unreadable file is told).
#include "exchange/import_chooser_window.h"
#include "lang/lang_list.h"

#include "database/channel_database.h"
#include "fixtures/image_builder.h"
#include "fixtures/import_file_fixture.h"
#include "image/flash.h"
#include "widgets/message_box.h"

#include <QApplication>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace cs;
using cs::exchange_ui::ImportChooserWindow;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedMessageBoxes;
namespace fx = cs::fixtures;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

constexpr std::size_t kProfiles = 2816;  // colour profiles in the working settings record

fx::DsxRecipe recipe(const std::string& description) {
    fx::ChannelFields channel;
    channel.name = "Imported";
    channel.serviceId = 77;
    fx::ChannelBaseFixture base;
    base.records = {fx::encodeChannelRecord(channel)};
    fx::DsxRecipe dsx;
    dsx.description = description;
    dsx.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
                       {1, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}}};
    return dsx;
}

QListWidgetItem* itemNamed(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

// Runs `drive` on the chooser once it is shown modally.
void whenChooserShows(std::function<void(ImportChooserWindow&)> drive) {
    QTimer::singleShot(0, [drive] {
        auto* window = qobject_cast<ImportChooserWindow*>(QApplication::activeModalWidget());
        QVERIFY(window);
        drive(*window);
    });
}

struct Database {
    fx::TempDir dir;
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
    Database() {
        fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
        fx::ChannelFields old;
        old.name = "Old";
        old.serviceId = 5;
        b.channel(0, old);
        b.channel(1, old);
        fx::writeFile(dir / "db.dsp", b.build());
        if (flash.openImage((dir / "db.dsp").string()) != OpenResult::Loaded)
            qFatal("the test database does not open");
    }
    std::vector<std::uint8_t> settings() const {
        const ConstBytes b = flash.settings().settings.bytes();
        return {b.begin(), b.end()};
    }
};

} // namespace

class ImportChooserWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheComponentsWithTheWindowsOwnTexts();
    void nothingSelectedKeepsTheWindowOpen();
    void detailListChoosesSubItems();
    void cancelChangesNothingAndAChosenComponentApplies();
    void anUnreadableFileIsTold();
};

void ImportChooserWindowTest::showsTheComponentsWithTheWindowsOwnTexts() {
    ImportFile file;
    QCOMPARE(file.parse(fx::encodeDsx(recipe("Lista z\nodbiornika"))), kImportRead);
    ImportChooser chooser(file);
    ImportChooserWindow window(chooser, file, "ChannelSettings");
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("ChannelSettings"));
    QCOMPARE(window.componentList()->count(), 2);
    QCOMPARE(window.componentList()->item(0)->text(), QStringLiteral("Baza programów (1)"));
    QCOMPARE(window.componentList()->item(1)->text(), QStringLiteral("Palety kolorów ..."));
    QCOMPARE(window.componentFrame()->title(), QStringLiteral("Dostępne składniki"));
    QCOMPARE(window.okButton()->text(), QStringLiteral("&Ok"));
    QCOMPARE(window.cancelButton()->text(), QStringLiteral("&Anuluj"));
    QCOMPARE(window.detailsButton()->text(), QStringLiteral("Sz&czegóły"));
    QVERIFY(!window.detailsButton()->isEnabled());
    window.componentList()->setCurrentRow(1);
    QVERIFY(window.detailsButton()->isEnabled());
    window.componentList()->setCurrentRow(0);
    QVERIFY(!window.detailsButton()->isEnabled());

    QTest::mouseClick(window.descriptionButton(), Qt::LeftButton);
    QVERIFY(window.descriptionView()->isVisible());
    QCOMPARE(window.descriptionView()->toPlainText(), QStringLiteral("Lista z\nodbiornika"));
    QCOMPARE(window.componentFrame()->title(), QStringLiteral("Opis pliku. Maksymalnie 255 znaków"));
    QCOMPARE(window.descriptionButton()->text(), QStringLiteral("&Wróć"));
    QTest::mouseClick(window.cancelButton(), Qt::LeftButton);  // hides the description only
    QVERIFY(window.isVisible());
    QVERIFY(window.componentList()->isVisible());
    QCOMPARE(window.descriptionButton()->text(), QStringLiteral("&Wiadomość"));

    // Help asks for the chooser's page the way F1 does, from the chooser window.
    QCOMPARE(window.helpButton()->text().toStdString(), lang::text("TextBtnHelp"));
    struct F1Watch final : QObject {
        std::vector<const QWidget*> windows;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
                watched->isWidgetType())
                windows.push_back(static_cast<QWidget*>(watched)->window());
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    QTest::mouseClick(window.helpButton(), Qt::LeftButton);
    qApp->removeEventFilter(&watch);
    QVERIFY(!watch.windows.empty());
    QCOMPARE(watch.windows.front(), static_cast<const QWidget*>(&window));
    QVERIFY(window.isVisible());
}

void ImportChooserWindowTest::nothingSelectedKeepsTheWindowOpen() {
    ImportFile file;
    QCOMPARE(file.parse(fx::encodeDsx(recipe(""))), kImportRead);
    ImportChooser chooser(file);
    ImportChooserWindow window(chooser, file, "ChannelSettings");
    window.show();
    ScriptedMessageBoxes boxes;
    boxes.expect("Nie wybrano żadnego składnika", "Błąd", widgets::kStopOk, MessageAnswer::Ok);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    CHECK_SCRIPT(boxes);
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(!chooser.confirmed());
}

void ImportChooserWindowTest::detailListChoosesSubItems() {
    ImportFile file;
    QCOMPARE(file.parse(fx::encodeDsx(recipe(""))), kImportRead);
    ImportChooser chooser(file);
    ImportChooserWindow window(chooser, file, "ChannelSettings");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QListWidget* list = window.componentList();
    const QRect row = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QVERIFY(window.detailList()->isVisible());
    QCOMPARE(window.detailList()->count(), 4);
    QCOMPARE(window.detailsButton()->text(), QStringLiteral("&Wróć"));
    QVERIFY(!window.descriptionButton()->isEnabled());
    for (int k = 0; k < 4; ++k)
        QCOMPARE(window.detailList()->item(k)->checkState(), Qt::Checked);
    window.detailList()->item(0)->setCheckState(Qt::Unchecked);
    window.detailList()->item(2)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    QVERIFY(list->isVisible());
    QCOMPARE(chooser.items()[1].subFlags, (SubFlags{false, true, false, true}));

    itemNamed(list, QStringLiteral("Palety kolorów ..."))->setCheckState(Qt::Checked);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(chooser.confirmed());
    QVERIFY(chooser.items()[1].selected);
    QVERIFY(!chooser.items()[0].selected);
}

void ImportChooserWindowTest::cancelChangesNothingAndAChosenComponentApplies() {
    Database open;
    const auto path = open.dir / "in.dsx";
    fx::writeFile(path, fx::encodeDsx(recipe("")));
    const auto before = open.settings();

    whenChooserShows([](ImportChooserWindow& w) {
        w.componentList()->item(0)->setCheckState(Qt::Checked);
        QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
    });
    ImportResult cancelled = exchange_ui::importWithChooser(path.string(), open.db, "ChannelSettings", nullptr);
    QVERIFY(!cancelled.confirmed);
    QVERIFY(!cancelled.report.modified);
    QCOMPARE(open.db.channelCount(), std::size_t{2});
    QCOMPARE(open.settings(), before);

    whenChooserShows([](ImportChooserWindow& w) {
        w.componentList()->item(1)->setCheckState(Qt::Checked);
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
    });
    ImportResult applied = exchange_ui::importWithChooser(path.string(), open.db, "ChannelSettings", nullptr);
    QVERIFY(applied.confirmed);
    QVERIFY(applied.report.modified);
    QVERIFY(!applied.report.channelsReplaced);
    const auto after = open.settings();
    const fx::ImageBytes profiles = fx::colourProfilesBlock();
    QVERIFY(std::equal(profiles.begin(), profiles.end(), after.begin() + kProfiles));
    QCOMPARE(open.db.channelCount(), std::size_t{2});
}

void ImportChooserWindowTest::anUnreadableFileIsTold() {
    Database open;
    fx::DsxRecipe dsx = recipe("");
    dsx.storedCrc = 0x0001;
    const auto path = open.dir / "broken.dsx";
    fx::writeFile(path, fx::encodeDsx(dsx));
    ScriptedMessageBoxes boxes;
    boxes.expect("Plik broken.dsx nie został poprawnie zinterpretowany", "Błąd pliku", widgets::kWarningOk,
                 MessageAnswer::Ok);
    boxes.expect("Brak dostępu do pliku missing.dsx", "Błąd pliku", widgets::kWarningOk, MessageAnswer::Ok);
    QCOMPARE(exchange_ui::importWithChooser(path.string(), open.db, "", nullptr).failure, int(kImportNotInterpreted));
    QCOMPARE(exchange_ui::importWithChooser((open.dir / "missing.dsx").string(), open.db, "", nullptr).failure,
             int(kImportNoAccess));
    CHECK_SCRIPT(boxes);
}

QTEST_MAIN(ImportChooserWindowTest)
#include "import_chooser_window_test.moc"
