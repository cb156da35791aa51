// The replaceable message box and file dialogs, their scripted answerers, and the Qt dispatcher
// that runs the link's events on the main thread.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"
#include "widgets/qt_dispatcher.h"

using namespace cs::app;

namespace {

// Answers the next modal box by pressing `button` (or Escape when null) once it is up.
void pressWhenShown(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (button == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(button)->click();
    });
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void qtMessageBoxAnswers_data();
    void qtMessageBoxAnswers();
    void scriptedBoxesCheckEveryQuestion();
    void scriptedFileDialogs();
    void filterTexts_data();
    void filterTexts();
    void qtFileDialogReturnsTheChosenFolder();
    void dispatcherRunsTasksOnTheMainThread();
};

// The flags give the buttons; Escape gives the answer of the box's cancel button.
void DialogsTest::qtMessageBoxAnswers_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("icon");

    QTest::newRow("35 yes") << 35 << int(QMessageBox::Yes) << kIdYes << int(QMessageBox::Question);
    QTest::newRow("35 no") << 35 << int(QMessageBox::No) << kIdNo << int(QMessageBox::Question);
    QTest::newRow("35 escape") << 35 << int(QMessageBox::NoButton) << kIdCancel << int(QMessageBox::Question);
    QTest::newRow("36 escape") << 36 << int(QMessageBox::NoButton) << kIdNo << int(QMessageBox::Question);
    QTest::newRow("16 ok") << 16 << int(QMessageBox::Ok) << kIdOk << int(QMessageBox::Critical);
    QTest::newRow("64 escape") << 64 << int(QMessageBox::NoButton) << kIdOk << int(QMessageBox::Information);
}

void DialogsTest::qtMessageBoxAnswers() {
    QFETCH(int, flags);
    QFETCH(int, button);
    QFETCH(int, answer);
    QFETCH(int, icon);

    int seenIcon = -1;
    QString seenText, seenCaption;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seenIcon = box->icon();
            seenText = box->text();
            seenCaption = box->windowTitle();
        }
    });
    pressWhenShown(static_cast<QMessageBox::StandardButton>(button));
    QCOMPARE(messageBox("Zapisać zmiany?", "Błąd", flags), answer);
    QCOMPARE(seenIcon, icon);
    QCOMPARE(seenText, QString::fromUtf8("Zapisać zmiany?"));
    QCOMPARE(seenCaption, QString::fromUtf8("Błąd"));
}

void DialogsTest::scriptedBoxesCheckEveryQuestion() {
    {
        ScriptedMessageBoxes script;
        script.expect("Delete?", "Remove", kMbQuestionYesNo, kIdYes).expect("Done", "Information", 64, kIdOk);
        QCOMPARE(messageBox("Delete?", "Remove", kMbQuestionYesNo), kIdYes);
        QVERIFY(!script.done());
        QCOMPARE(messageBox("Done", "Information", 64), kIdOk);
        QVERIFY(script.done());
        QVERIFY(script.report().empty());
        QCOMPARE(script.shown().size(), std::size_t{2});
    }
    {
        // A different text, an extra box and a box never asked all show in the report, and
        // a wrong question is answered as if cancelled, so the flow under test stops.
        ScriptedMessageBoxes script;
        script.expect("Save?", "Save the changes ?", 35, kIdYes).expect("Never asked", "X", 16, kIdOk);
        QCOMPARE(messageBox("Save now?", "Save the changes ?", 35), kIdCancel);
        QVERIFY(!script.failures().empty());
        QVERIFY(script.report().find("Never asked") != std::string::npos);
        QCOMPARE(messageBox("Never asked", "X", 16), kIdOk);
        QCOMPARE(messageBox("Extra", "X", 36), kIdNo);
        QCOMPARE(script.failures().size(), std::size_t{2});
    }
    // The scripts nest and restore the handler before them.
    {
        ScriptedMessageBoxes outer;
        outer.expect("outer", "c", 64, kIdOk);
        {
            ScriptedMessageBoxes inner;
            inner.expect("inner", "c", 64, kIdOk);
            messageBox("inner", "c", 64);
            QVERIFY(inner.report().empty());
        }
        messageBox("outer", "c", 64);
        QVERIFY(outer.report().empty());
    }
}

void DialogsTest::scriptedFileDialogs() {
    ScriptedFileDialogs script;
    script.expect(FileDialogKind::Open, "/data/a.dsp")
        .expect(FileDialogKind::Folder, "/data/in", "Enter the name of the file to receive")
        .expect(FileDialogKind::Save, std::nullopt);
    FileDialogRequest open;
    open.filter = "Baza programów (*.dsp)|*.dsp";
    QCOMPARE(openFileDialog(open).value_or(""), std::string("/data/a.dsp"));
    QCOMPARE(browseForFolder(nullptr, "Enter the name of the file to receive", "/data"), std::string("/data/in"));
    QVERIFY(!saveFileDialog({}).has_value());
    QVERIFY(script.report().empty());
    QCOMPARE(script.shown()[1].initialFolder, std::string("/data"));

    // A dialog of the wrong kind is a failure and is cancelled.
    script.expect(FileDialogKind::Save, "/x.dsp");
    QVERIFY(!openFileDialog({}).has_value());
    QCOMPARE(script.failures().size(), std::size_t{1});
}

void DialogsTest::filterTexts_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("one") << QString::fromUtf8("Baza programów (*.dsp)|*.dsp")
                         << QString::fromUtf8("Baza programów (*.dsp) (*.dsp)");
    QTest::newRow("two") << "*.jpg|*.jpg|*.bmp|*.bmp" << "*.jpg (*.jpg);;*.bmp (*.bmp)";
    QTest::newRow("patterns joined") << "Pictures|*.jpg;*.bmp" << "Pictures (*.jpg *.bmp)";
    QTest::newRow("blanks trimmed") << "Database programs (*. dsp) | *.dsp" << "Database programs (*. dsp) (*.dsp)";
    QTest::newRow("empty") << "" << "";
}

void DialogsTest::filterTexts() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QString::fromStdString(qtFilterText(filter.toStdString())), qt);
}

void DialogsTest::qtFileDialogReturnsTheChosenFolder() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("inbox")));
    const QString inbox = QDir(dir.path()).filePath(QStringLiteral("inbox"));
    QTimer::singleShot(0, [inbox] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->selectFile(inbox);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    FileDialogRequest request;
    request.kind = FileDialogKind::Folder;
    request.initialFolder = dir.path().toStdString();
    const auto chosen = QtFileDialogs().run(request);
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), inbox);
}

void DialogsTest::dispatcherRunsTasksOnTheMainThread() {
    QtDispatcher dispatcher;
    QVERIFY(dispatcher.isUiThread());
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> waited{false};
    std::atomic<bool> abandon{false};
    std::atomic<bool> workerSeesOtherThread{false};
    std::thread worker([&] {
        workerSeesOtherThread = !dispatcher.isUiThread();
        dispatcher.post([&] { ranOnMain = dispatcher.isUiThread(); });
        // Blocks until the main thread has run it.
        int value = 0;
        waited = dispatcher.postAndWait([&] { value = 42; }, abandon) && value == 42;
    });
    QTRY_VERIFY_WITH_TIMEOUT(waited.load(), 5000);
    worker.join();
    QVERIFY(workerSeesOtherThread.load());
    QVERIFY(ranOnMain.load());

    // pumpFor keeps serving posted tasks while it waits.
    bool served = false;
    dispatcher.post([&] { served = true; });
    dispatcher.pumpFor(std::chrono::milliseconds(20));
    QVERIFY(served);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
