// Qt's own texts follow the chosen language: its translation is loaded where installed, and
// where none is, the message boxes caption their buttons with the language's own keys.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "lang/lang_list.h"
#include "widgets/language_switch.h"
#include "widgets/message_box.h"

using namespace cs;

namespace {

// The button texts of the next message box, read while it is up; it is then cancelled.
QStringList buttonTextsOfNextBox() {
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QMessageBox::StandardButton which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            texts.push_back(box->button(which)->text());
        box->button(QMessageBox::Cancel)->click();
    });
    widgets::messageBox("?", "?", widgets::kQuestionYesNoCancel);
    return texts;
}

} // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();
    void withoutQtsTranslationTheLanguagesKeysCaptionTheButtons_data();
    void withoutQtsTranslationTheLanguagesKeysCaptionTheButtons();
    void cleanup() { widgets::loadQtTranslation("English.lng"); }
};

void LanguageSwitchTest::qtTextsFollowTheLanguage_data() {
    QTest::addColumn<QString>("language");
    for (const char* name : {"Espanol.lng", "Polski.lng", "Slovensky.lng", "Italiano.lng"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Buttons, the file dialog's labels and the edit boxes' menus are Qt's texts: each is in the
// language's translation (qt6-translations-l10n), and English again after English is chosen.
void LanguageSwitchTest::qtTextsFollowTheLanguage() {
    QFETCH(QString, language);
    const QStringList english = buttonTextsOfNextBox();
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
    lang::LanguageList languages;
    lang::addBuiltInLanguages(languages);
    languages.setCurrent(languages.find(language.toStdString()));
    const lang::ActiveLanguageList active(languages);
    QVERIFY(widgets::loadQtTranslation(language.toStdString()));
    QVERIFY(!widgets::qtTextsInEnglish());
    const QStringList translated = buttonTextsOfNextBox();
    QCOMPARE(translated.size(), 3);
    // Qt's translation, or the language's own key where the translation keeps Qt's English.
    const char* keys[] = {"TextYES", "TextNO", "TextBtnCancel"};
    for (int i = 0; i < 3; ++i)
        QVERIFY2(translated[i] != english[i] || translated[i].toStdString() == languages.text(keys[i]),
                 qPrintable(translated[i]));
    QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != lookIn);
    QVERIFY(QCoreApplication::translate("QLineEdit", "&Paste") != paste);

    QVERIFY(widgets::loadQtTranslation("English.lng"));
    QVERIFY(widgets::qtTextsInEnglish());
    QCOMPARE(buttonTextsOfNextBox(), english);
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
}

// The box's buttons without any translation of Qt's (an empty folder).
void LanguageSwitchTest::withoutQtsTranslationTheLanguagesKeysCaptionTheButtons_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("Slovensky.lng") << QStringLiteral("Slovensky.lng")
                                   << QStringList{QString::fromUtf8("\xC3\x81NO"), QStringLiteral("NIE"),
                                                  QString::fromUtf8("&Zru\xC5\xA1i\xC5\xA5")};
    QTest::newRow("Polski.lng") << QStringLiteral("Polski.lng")
                                << QStringList{QStringLiteral("TAK"), QStringLiteral("NIE"), QStringLiteral("&Anuluj")};
}

void LanguageSwitchTest::withoutQtsTranslationTheLanguagesKeysCaptionTheButtons() {
    QFETCH(QString, language);
    QFETCH(QStringList, buttons);
    lang::LanguageList languages;
    lang::addBuiltInLanguages(languages);
    languages.setCurrent(languages.find(language.toStdString()));
    const lang::ActiveLanguageList active(languages);
    const QTemporaryDir empty;
    QVERIFY(!widgets::loadQtTranslation(language.toStdString(), empty.path()));
    QVERIFY(!widgets::qtTextsInEnglish());
    QCOMPARE(buttonTextsOfNextBox(), buttons);
}

QTEST_MAIN(LanguageSwitchTest)
#include "language_switch_test.moc"
