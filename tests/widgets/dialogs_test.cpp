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

using namespace cs::widgets;

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

// The kind gives the icon and the buttons; Escape gives the answer of the box's cancel button.
namespace {
const MessageKind kKinds[] = {kQuestionYesNoCancel, kQuestionYesNo, kStopOk, kInformationOk, kWarningOk};
enum KindIndex { YesNoCancel, YesNo, Stop, Information, Warning };
} // namespace

void DialogsTest::qtMessageBoxAnswers_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("icon");

    auto answer = [](MessageAnswer a) { return static_cast<int>(a); };
    QTest::newRow("yes/no/cancel: yes") << int(YesNoCancel) << int(QMessageBox::Yes) << answer(MessageAnswer::Yes)
                                        << int(QMessageBox::Question);
    QTest::newRow("yes/no/cancel: no") << int(YesNoCancel) << int(QMessageBox::No) << answer(MessageAnswer::No)
                                       << int(QMessageBox::Question);
    QTest::newRow("yes/no/cancel: escape") << int(YesNoCancel) << int(QMessageBox::NoButton)
                                           << answer(MessageAnswer::Cancel) << int(QMessageBox::Question);
    QTest::newRow("yes/no: escape") << int(YesNo) << int(QMessageBox::NoButton) << answer(MessageAnswer::No)
                                    << int(QMessageBox::Question);
    QTest::newRow("stop: ok") << int(Stop) << int(QMessageBox::Ok) << answer(MessageAnswer::Ok)
                              << int(QMessageBox::Critical);
    QTest::newRow("information: escape") << int(Information) << int(QMessageBox::NoButton)
                                         << answer(MessageAnswer::Ok) << int(QMessageBox::Information);
    QTest::newRow("warning: ok") << int(Warning) << int(QMessageBox::Ok) << answer(MessageAnswer::Ok)
                                 << int(QMessageBox::Warning);
}

void DialogsTest::qtMessageBoxAnswers() {
    QFETCH(int, kind);
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
    QCOMPARE(static_cast<int>(messageBox("Zapisać zmiany?", "Błąd", kKinds[kind])), answer);
    QCOMPARE(seenIcon, icon);
    QCOMPARE(seenText, QString::fromUtf8("Zapisać zmiany?"));
    QCOMPARE(seenCaption, QString::fromUtf8("Błąd"));
}

void DialogsTest::scriptedBoxesCheckEveryQuestion() {
    {
        ScriptedMessageBoxes script;
        script.expect("Delete?", "Remove", kQuestionYesNo, MessageAnswer::Yes)
            .expect("Done", "Information", kInformationOk, MessageAnswer::Ok);
        QVERIFY(messageBox("Delete?", "Remove", kQuestionYesNo) == MessageAnswer::Yes);
        QVERIFY(!script.done());
        QVERIFY(messageBox("Done", "Information", kInformationOk) == MessageAnswer::Ok);
        QVERIFY(script.done());
        QVERIFY(script.report().empty());
        QCOMPARE(script.shown().size(), std::size_t{2});
    }
    {
        // A different text, another kind, an extra box and a box never asked all show in the
        // report, and a wrong question is answered as if cancelled, so the flow under test stops.
        ScriptedMessageBoxes script;
        script.expect("Save?", "Save the changes ?", kQuestionYesNoCancel, MessageAnswer::Yes)
            .expect("Never asked", "X", kStopOk, MessageAnswer::Ok)
            .expect("Wrong kind", "X", kStopOk, MessageAnswer::Ok);
        QVERIFY(messageBox("Save now?", "Save the changes ?", kQuestionYesNoCancel) == MessageAnswer::Cancel);
        QVERIFY(!script.failures().empty());
        QVERIFY(script.report().find("Never asked") != std::string::npos);
        QVERIFY(messageBox("Never asked", "X", kStopOk) == MessageAnswer::Ok);
        QVERIFY(messageBox("Wrong kind", "X", kQuestionYesNo) == MessageAnswer::No);
        QVERIFY(script.report().find("question, Yes/No") != std::string::npos);
        QVERIFY(messageBox("Extra", "X", kQuestionYesNo) == MessageAnswer::No);
        QCOMPARE(script.failures().size(), std::size_t{3});
    }
    // The scripts nest and restore the handler before them.
    {
        ScriptedMessageBoxes outer;
        outer.expect("outer", "c", kInformationOk, MessageAnswer::Ok);
        {
            ScriptedMessageBoxes inner;
            inner.expect("inner", "c", kInformationOk, MessageAnswer::Ok);
            messageBox("inner", "c", kInformationOk);
            QVERIFY(inner.report().empty());
        }
        messageBox("outer", "c", kInformationOk);
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
                         << QString::fromUtf8("Baza programów (*.dsp)");
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
