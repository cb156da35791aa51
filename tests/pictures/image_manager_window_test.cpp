// The image manager window offscreen, with scripted file dialogs and message boxes: import with
// the size rule, effects from the menus, save, reopen and export, the memory display, the
// question before unsaved pictures are thrown away, wrong and undecodable files, BMP through Qt,
// the clipboard, and Send handing a saved store to the connection wizard.
#include "pictures/image_manager_window.h"

#include "fixtures/image_builder.h"
#include "fixtures/picture_store_fixture.h"
#include "jpeg_fixture.h"
#include "lang/language_texts.h"
#include "settings/stored_settings.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace cs;
using cs::pictures_ui::ImageManagerHost;
using cs::pictures_ui::ImageManagerWindow;
using cs::widgets::FileDialogKind;
using cs::widgets::MessageAnswer;
using cs::widgets::ScriptedFileDialogs;
using cs::widgets::ScriptedMessageBoxes;
namespace fx = cs::fixtures;

namespace {

#define CHECK_SCRIPT(script) QVERIFY2((script).report().empty(), (script).report().c_str())

std::vector<std::uint8_t> jpegOf(int w, int h, pictest::Pattern pattern = pictest::Pattern::Gradient, int quality = 90) {
    pictest::JpegRecipe s;
    s.width = w;
    s.height = h;
    s.pattern = pattern;
    s.quality = quality;
    return pictest::makeJpeg(s);
}

std::string writeJpeg(const fx::TempDir& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = dir / name;
    fx::writeFixtureFile(path, bytes);
    return path.string();
}

struct Harness {
    fx::TempDir dir;
    StoredSettings settings;
    MemoryLog log;
    std::vector<std::string> sent;
    int wizardOpened = 0;
    std::unique_ptr<ImageManagerWindow> window;

    Harness() {
        ImageManagerHost host;
        host.text = lang::englishTexts();
        host.settings = &settings;
        host.log = &log;
        host.sendStore = [this](const std::string& path) { sent.push_back(path); };
        host.openConnectionWizard = [this] { ++wizardOpened; };
        window = std::make_unique<ImageManagerWindow>(host);
        window->show();
    }
    const PictureSlot& slot(int n) const { return window->document().store().slot(n); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string status() const { return window->memoryPanel()->text().toStdString(); }
};

} // namespace

class ImageManagerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void importScaleSaveReopenAndExport();
    void effectsBackToDefaultGiveTheSourceBytes();
    void errorSizeWhenThePicturesDoNotFit();
    void unsavedPicturesAreProtectedByTheQuestion();
    void aFailedOpenKeepsThePictures();
    void wrongOrUndecodableFilesAreReported();
    void bmpIsImportedThroughQt();
    void clipboardCopyPasteAndHugePictures();
    void sendSavesFirstAndHandsTheStoreOver();
    void menusFollowThePage();
};

void ImageManagerWindowTest::importScaleSaveReopenAndExport() {
    Harness h;
    const std::string big = writeJpeg(h.dir, "big.jpg", jpegOf(1024, 768));
    {
        ScriptedFileDialogs dialogs;
        dialogs.expect(FileDialogKind::Open, big);
        h.window->actions().import->trigger();
        CHECK_SCRIPT(dialogs);
    }
    QCOMPARE(h.slot(0).bitmap().width, 720);
    QCOMPARE(h.slot(0).bitmap().height, 576);
    QVERIFY(h.slot(0).modified());
    QVERIFY(h.window->document().store().modified());
    QCOMPARE(h.settings.imageManagerFolder, h.dir.path().string());
    const QString hint = h.window->picturePanel()->text();
    QVERIFY2(hint.startsWith(QStringLiteral("720 x 576, size=")) && hint.endsWith(QStringLiteral("Modified")),
             qPrintable(hint));
    QCOMPARE(h.window->pictureView(0)->image().size(), QSize(720, 576));

    // Half, then full size again.
    h.window->actions().scale[1]->trigger();
    QCOMPARE(h.slot(0).effects().scale, 1);
    QCOMPARE(h.slot(0).bitmap().width, 512);
    h.window->actions().scale[0]->trigger();
    QCOMPARE(h.slot(0).effects().scale, 0);
    QCOMPARE(h.slot(0).bitmap().width, 720);
    const std::vector<std::uint8_t> stored = h.slot(0).encodedData();

    const std::string store = h.path("pictures.dsp");
    {
        ScriptedFileDialogs dialogs;
        dialogs.expect(FileDialogKind::Save, store);
        h.window->actions().save->trigger();
        CHECK_SCRIPT(dialogs);
    }
    QVERIFY(!h.window->document().store().modified());
    QVERIFY(h.log.contains("SaveDialog2->Execute()::FileName=" + store));
    const std::vector<std::uint8_t> written = fx::readFixtureFile(store);

    {
        ScriptedFileDialogs dialogs;
        dialogs.expect(FileDialogKind::Open, store);
        h.window->actions().open->trigger();  // saved: no question
        CHECK_SCRIPT(dialogs);
    }
    QCOMPARE(h.slot(0).encodedData(), stored);
    QVERIFY(!h.slot(0).modified());
    const std::string again = h.path("again.dsp");
    {
        ScriptedFileDialogs dialogs;
        dialogs.expect(FileDialogKind::Save, again);
        h.window->saveStore();
        CHECK_SCRIPT(dialogs);
    }
    QCOMPARE(fx::readFixtureFile(again), written);

    const std::string exported = h.path("logo.jpg");
    {
        ScriptedFileDialogs dialogs;
        dialogs.expect(FileDialogKind::Save, exported);
        h.window->actions().exportPicture->trigger();
        CHECK_SCRIPT(dialogs);
    }
    QCOMPARE(fx::readFixtureFile(exported), stored);
}

void ImageManagerWindowTest::effectsBackToDefaultGiveTheSourceBytes() {
    Harness h;
    const auto source = jpegOf(720, 576);
    const std::string file = writeJpeg(h.dir, "fit.jpg", source);
    h.window->showPage(2);
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, file);
    h.window->importPicture();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(h.slot(2).encodedData(), source);
    QVERIFY(!h.slot(2).modified());

    h.window->actions().quality[2]->trigger();  // 50 %
    h.window->actions().grayscale->trigger();
    QCOMPARE(h.slot(2).effects(), (PictureEffects{0, true, 50}));
    QCOMPARE(h.slot(2).bitmap().channels, 1);
    QVERIFY(h.slot(2).encodedData() != source);
    h.window->actions().grayscale->trigger();
    h.window->actions().quality[0]->trigger();
    QCOMPARE(h.slot(2).encodedData(), source);
    QVERIFY(!h.slot(2).modified());
    QVERIFY(h.window->document().store().modified());
}

void ImageManagerWindowTest::errorSizeWhenThePicturesDoNotFit() {
    Harness h;
    // Kept as imported (720 x 576), each 40000 bytes: one fits, two do not.
    const std::string noisy = writeJpeg(h.dir, "large.jpg", pictest::makeJpegOfSize(720, 576, 40000));
    ScriptedFileDialogs dialogs;
    for (int page = 0; page < 2; ++page) {
        h.window->showPage(page);
        dialogs.expect(FileDialogKind::Open, noisy);
        h.window->importPicture();
    }
    CHECK_SCRIPT(dialogs);
    const PictureMemoryUse use = h.window->document().memoryUse();
    QVERIFY2(use.used > 61408, qPrintable(QString::number(use.used)));
    QVERIFY2(h.status().rfind("Used memory ", 0) == 0 && h.status().find("ERROR SIZE!") != std::string::npos,
             h.status().c_str());
    QCOMPARE(h.window->memoryBar()->value(), 61408);

    // A save keeps what fits and says which pictures it left out.
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("The store is full: these pictures were left out of the file: RADIO.", "Information",
                     widgets::kWarningOk, MessageAnswer::Ok);
        dialogs.expect(FileDialogKind::Save, h.path("full.dsp"));
        QVERIFY(h.window->saveStore());
        CHECK_SCRIPT(boxes);
        CHECK_SCRIPT(dialogs);
    }

    h.window->clearPicture();
    h.window->showPage(0);
    h.window->clearPicture();
    QCOMPARE(h.status(), std::string("Used memory 0 Kbytes "));
    QVERIFY(!h.window->actions().save->isEnabled());
    QVERIFY(!h.window->actions().send->isEnabled());
}

void ImageManagerWindowTest::unsavedPicturesAreProtectedByTheQuestion() {
    Harness h;
    const std::string file = writeJpeg(h.dir, "a.jpg", jpegOf(720, 576));
    auto load = [&] {
        ScriptedFileDialogs dialogs;
        dialogs.expect(FileDialogKind::Open, file);
        h.window->importPicture();
    };
    load();
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("Save the changes ?", "Image Manager", widgets::kQuestionYesNoCancel, MessageAnswer::Cancel);
        h.window->actions().newStore->trigger();
        CHECK_SCRIPT(boxes);
        QVERIFY(h.slot(0).loaded());
    }
    {
        ScriptedMessageBoxes boxes;
        ScriptedFileDialogs dialogs;  // Cancel: no dialog
        boxes.expect("Save the changes ?", "Image Manager", widgets::kQuestionYesNoCancel, MessageAnswer::Cancel);
        h.window->actions().open->trigger();
        CHECK_SCRIPT(boxes);
        CHECK_SCRIPT(dialogs);
        QVERIFY(h.slot(0).loaded());
    }
    {
        ScriptedMessageBoxes boxes;
        boxes.expect("Save the changes ?", "Image Manager", widgets::kQuestionYesNoCancel, MessageAnswer::No);
        h.window->newStore();
        CHECK_SCRIPT(boxes);
        QVERIFY(!h.window->document().store().anyLoaded());
    }
    load();
    {
        // Exit with Yes saves first; a cancelled save keeps the window open.
        ScriptedMessageBoxes boxes;
        ScriptedFileDialogs dialogs;
        boxes.expect("Save the changes ?", "Image Manager", widgets::kQuestionYesNoCancel, MessageAnswer::Yes);
        dialogs.expect(FileDialogKind::Save, std::nullopt);
        QSignalSpy closed(h.window.get(), &ImageManagerWindow::closed);
        h.window->actions().exit->trigger();
        CHECK_SCRIPT(boxes);
        CHECK_SCRIPT(dialogs);
        QCOMPARE(closed.count(), 0);
        QVERIFY(h.window->isVisible());

        boxes.expect("Save the changes ?", "Image Manager", widgets::kQuestionYesNoCancel, MessageAnswer::Yes);
        dialogs.expect(FileDialogKind::Save, h.path("kept.dsp"));
        h.window->close();
        CHECK_SCRIPT(boxes);
        CHECK_SCRIPT(dialogs);
        QCOMPARE(closed.count(), 1);
        QVERIFY(std::filesystem::exists(h.dir / "kept.dsp"));
    }
}

void ImageManagerWindowTest::aFailedOpenKeepsThePictures() {
    Harness h;
    const std::string file = writeJpeg(h.dir, "a.jpg", jpegOf(720, 576));
    const std::string notAStore = writeJpeg(h.dir, "not-a-store.dsp", std::vector<std::uint8_t>(70000, 1));
    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    dialogs.expect(FileDialogKind::Open, file);
    h.window->importPicture();
    boxes.expect("Save the changes ?", "Image Manager", widgets::kQuestionYesNoCancel, MessageAnswer::No);
    dialogs.expect(FileDialogKind::Open, notAStore);
    boxes.expect("The file not-a-store.dsp is not a picture store that can be read (the log window tells why).", "Error",
                 widgets::kStopOk, MessageAnswer::Ok);
    h.window->openStore();
    CHECK_SCRIPT(dialogs);
    CHECK_SCRIPT(boxes);
    QVERIFY(h.slot(0).loaded());
    QCOMPARE(h.slot(0).fileName(), std::string("a.jpg"));
    QVERIFY(h.log.contains("error_1"));
}

void ImageManagerWindowTest::wrongOrUndecodableFilesAreReported() {
    Harness h;
    const std::string png = writeJpeg(h.dir, "photo.png", jpegOf(720, 576));
    const std::string bad = writeJpeg(h.dir, "broken.JPG", std::vector<std::uint8_t>(600, 0x11));
    ScriptedFileDialogs dialogs;
    ScriptedMessageBoxes boxes;
    dialogs.expect(FileDialogKind::Open, png);
    boxes.expect("The file photo.png is not a picture the image manager takes: choose a JPEG (.jpg, .jpeg) or BMP (.bmp) "
                 "file.",
                 "Error", widgets::kStopOk, MessageAnswer::Ok);
    h.window->importPicture();
    CHECK_SCRIPT(boxes);
    dialogs.expect(FileDialogKind::Open, bad);
    h.window->importPicture();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(boxes.shown().size(), std::size_t{2});
    // libjpeg's own words, not a crash or an empty picture.
    QVERIFY2(boxes.shown().back().text.find("JPEG") != std::string::npos, boxes.shown().back().text.c_str());
    QVERIFY(!h.window->document().store().anyLoaded());

    // Export refuses another extension with a message.
    const std::string good = writeJpeg(h.dir, "good.jpg", jpegOf(720, 576));
    dialogs.expect(FileDialogKind::Open, good);
    h.window->importPicture();
    dialogs.expect(FileDialogKind::Save, h.path("out.gif"));
    h.window->exportPicture();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(boxes.shown().size(), std::size_t{3});
    QVERIFY(!std::filesystem::exists(h.dir / "out.gif"));
}

void ImageManagerWindowTest::bmpIsImportedThroughQt() {
    Harness h;
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 220));
    const std::string bmp = h.path("picture.BMP");
    QVERIFY(image.save(QString::fromStdString(bmp), "BMP"));
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, bmp);
    h.window->importPicture();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(h.slot(0).fileName(), std::string("picture.BMP"));
    QCOMPARE(h.slot(0).bitmap().width, 640);
    QVERIFY(!h.slot(0).modified());  // converted once, then kept as the source
    const QColor shown = h.window->pictureView(0)->image().pixelColor(320, 240);
    QVERIFY2(std::abs(shown.blue() - 220) < 8 && std::abs(shown.red() - 20) < 8, qPrintable(shown.name()));
}

void ImageManagerWindowTest::clipboardCopyPasteAndHugePictures() {
    Harness h;
    const std::string file = writeJpeg(h.dir, "a.jpg", jpegOf(1024, 768));
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, file);
    h.window->importPicture();
    h.window->actions().copy->trigger();
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(720, 576));
    h.window->showPage(1);
    QVERIFY(!h.window->actions().copy->isEnabled());
    h.window->actions().paste->trigger();
    QVERIFY(h.slot(1).loaded());
    QCOMPARE(h.slot(1).fileName(), std::string());
    QCOMPARE(h.slot(1).bitmap().width, 720);

    // A pasted JPEG whose header announces 5000 x 4000 pixels is refused from its header.
    std::vector<std::uint8_t> jpeg = jpegOf(400, 300);
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 4000 >> 8;
            jpeg[i + 6] = 4000 & 0xFF;
            jpeg[i + 7] = 5000 >> 8;
            jpeg[i + 8] = 5000 & 0xFF;
            break;
        }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/jpeg"), QByteArray(reinterpret_cast<const char*>(jpeg.data()),
                                                          static_cast<qsizetype>(jpeg.size())));
    QApplication::clipboard()->setMimeData(data);
    h.window->showPage(2);
    ScriptedMessageBoxes boxes;
    boxes.expect("The picture is 5000 x 4000 pixels; pictures above 16 megapixels are not taken.", "Error",
                 widgets::kStopOk, MessageAnswer::Ok);
    h.window->pastePicture();
    CHECK_SCRIPT(boxes);
    QVERIFY(!h.slot(2).loaded());
}

void ImageManagerWindowTest::sendSavesFirstAndHandsTheStoreOver() {
    Harness h;
    const std::string file = writeJpeg(h.dir, "a.jpg", jpegOf(720, 576));
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, file);
    h.window->importPicture();

    // Modified: Send saves first; a cancelled save sends nothing.
    dialogs.expect(FileDialogKind::Save, std::nullopt);
    h.window->actions().send->trigger();
    QVERIFY(h.sent.empty());
    const std::string store = h.path("send.dsp");
    dialogs.expect(FileDialogKind::Save, store);
    h.window->actions().send->trigger();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(h.sent, std::vector<std::string>{store});
    QVERIFY(h.window->isVisible());  // back after the wizard

    // An unmodified store opened from a file is sent as it is, without a dialog.
    fx::PictureStoreFixture fixture;
    const auto logo = jpegOf(720, 576);
    fixture.entries = {{0, "mlogo25k.jpg", static_cast<std::uint32_t>(logo.size()), 4128, logo}};
    const std::string opened = h.path("opened.dsp");
    fx::writeFixtureFile(opened, fx::makePictureStoreFile(fixture));
    const auto before = fx::readFixtureFile(opened);
    h.window->openFile(opened);
    h.window->sendStore();
    CHECK_SCRIPT(dialogs);
    QCOMPARE(h.sent.back(), opened);
    QCOMPARE(fx::readFixtureFile(opened), before);

    h.window->actions().wizard->trigger();
    QCOMPARE(h.wizardOpened, 1);
}

void ImageManagerWindowTest::menusFollowThePage() {
    Harness h;
    const std::string file = writeJpeg(h.dir, "a.jpg", jpegOf(720, 576));
    ScriptedFileDialogs dialogs;
    dialogs.expect(FileDialogKind::Open, file);
    h.window->importPicture();
    h.window->actions().scale[2]->trigger();
    h.window->actions().quality[3]->trigger();
    h.window->pages()->setCurrentIndex(1);
    QVERIFY(h.window->actions().scale[0]->isChecked());
    QVERIFY(h.window->actions().quality[0]->isChecked());
    QVERIFY(!h.window->actions().scale[0]->isEnabled());
    h.window->pages()->setCurrentIndex(0);
    QVERIFY(h.window->actions().scale[2]->isChecked());
    QVERIFY(h.window->actions().quality[3]->isChecked());
    QCOMPARE(h.slot(0).effects(), (PictureEffects{2, false, 25}));
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Image Manager"));
    QCOMPARE(h.window->actions().import->text(), QStringLiteral("Import file *.jpg"));
}

QTEST_MAIN(ImageManagerWindowTest)
#include "image_manager_window_test.moc"
