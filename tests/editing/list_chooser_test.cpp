// The favourite-list channel chooser on its own, over a generated database with all eight lists:
// the order it lists a favourite list in, and the start channel it hands back for a pick.
#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include "common/log_sink.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "editing/list_chooser.h"
#include "fixtures/image_builder.h"
#include "image/flash.h"
#include "lang/language_texts.h"

#include <string>
#include <vector>

using namespace cs;
namespace fx = cs::fixtures;

class ListChooserTest : public QObject {
    Q_OBJECT

private slots:
    void listsByPositionUpToListEight();
};

// Eight lists; list 8 holds the channels of slots 2, 4, 6, 8 and 10 at positions 3 1 5 2 4, so
// its order by position is neither the slots' order nor its reverse. The chooser hands back the
// picked channel's row in that order.
void ListChooserTest::listsByPositionUpToListEight() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(8);
    for (std::size_t k = 1; k <= 8; ++k)
        b.listName(k, "List " + std::to_string(k));
    const std::uint16_t positions[] = {3, 1, 5, 2, 4};
    for (std::size_t i = 0; i < 12; ++i) {
        fx::ChannelFields c;
        c.name = "Channel " + std::to_string(i);
        c.serviceId = static_cast<std::uint16_t>(100 + i);
        c.listPositions[0] = static_cast<std::uint16_t>(i + 1);
        if (i % 2 == 0 && i >= 2 && i <= 10)
            c.listPositions[7] = positions[i / 2 - 1];
        b.channel(i, c);
    }
    NullLog log;
    Flash flash(log);
    ChannelDatabase db(flash);
    const fx::ImageBytes image = b.build();
    QCOMPARE(flash.openImageBytes(image, "lists.dsp"), OpenResult::Loaded);
    const DisplayTexts texts(db, lang::englishTexts());
    const std::vector<std::string> byPosition = {"Channel 4", "Channel 8", "Channel 2", "Channel 10", "Channel 6"};

    // Preset to list 8 and its second channel.
    editing::ListChooserDialog dialog(db, texts, {2, 8, false});
    QCOMPARE(dialog.lists()->count(), 8);
    QCOMPARE(dialog.lists()->currentIndex(), 7);
    QCOMPARE(dialog.channels()->count(), 5);
    for (int row = 0; row < 5; ++row)
        QCOMPARE(dialog.channels()->item(row)->text(), QStringLiteral("000%1)  ").arg(row + 1) +
                                                           QString::fromStdString(byPosition[static_cast<std::size_t>(row)]));
    QCOMPARE(dialog.channels()->currentRow(), 1);
    // The user double-clicks the fourth channel.
    QListWidgetItem* picked = dialog.channels()->item(3);
    dialog.channels()->setCurrentItem(picked);
    emit dialog.channels()->itemDoubleClicked(picked);
    const editing::StartChannelChoice choice = dialog.choice();
    QVERIFY(choice.confirmed);
    QCOMPARE(choice.startList, 8);
    QCOMPARE(choice.startChannel, 4);
    QCOMPARE(db.record(10).name(), std::string_view("Channel 10"));
    QCOMPARE(db.record(10).listPosition(8), std::uint16_t{4});
}

QTEST_MAIN(ListChooserTest)
#include "list_chooser_test.moc"
