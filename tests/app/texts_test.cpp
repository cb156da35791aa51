// The main window's texts in every built-in language, the Language menu, switching the language
// at run time and keeping the choice for the next start.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <fstream>

#include "app_test_support.h"
#include "lang/main_window_texts.h"

using namespace cs;
using namespace cs::apptest;

namespace {

// Every visible captioned entry of a menu and its sub-menus.
void collectEntries(const QMenu* menu, std::vector<const QAction*>& out) {
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        out.push_back(a);
        if (a->menu())
            collectEntries(a->menu(), out);
    }
}

std::vector<const QAction*> visibleEntries(app::TMain& window) {
    std::vector<const QAction*> entries;
    for (const QAction* top : window.menuBar()->actions()) {
        entries.push_back(top);
        collectEntries(top->menu(), entries);
    }
    for (const QMenu* popup : {window.popupMenu1(), window.popupMenu2(), window.trayMenu()})
        collectEntries(popup, entries);
    return entries;
}

bool shown(const QString& text) { return !text.isEmpty() && text != QStringLiteral("?"); }

} // namespace

class TextsTest : public QObject {
    Q_OBJECT

private slots:
    void everyBuiltInLanguageCaptionsEverything_data();
    void everyBuiltInLanguageCaptionsEverything();
    void storedLanguageIsUsedAtStart();
    void switchingTheLanguageReappliesAndIsStored();
    void externalLanguageFileJoinsTheMenu();
};

void TextsTest::everyBuiltInLanguageCaptionsEverything_data() {
    QTest::addColumn<QString>("language");
    for (const char* name : {"English.lng", "Espanol.lng", "Polski.lng", "Slovensky.lng", "Italiano.lng"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TextsTest::everyBuiltInLanguageCaptionsEverything() {
    QFETCH(QString, language);
    Sandbox box;
    box.seedEarlierRun();
    box.store().seed(kSettingsKeyPath, "LangFile", language.toStdString());
    auto window = box.makeWindow();
    QCOMPARE(window->languages().current()->name(), language.toStdString());

    QVERIFY(shown(window->windowTitle()));
    for (const QAction* entry : visibleEntries(*window))
        QVERIFY2(shown(entry->text()), qPrintable(entry->objectName()));
    for (const QAction* tool : window->toolBar1()->actions())
        if (!tool->isSeparator() && tool->isVisible())
            QVERIFY2(shown(tool->toolTip()), qPrintable(tool->objectName()));
    // Texts bound to keys show that language's text; the fixed ones are the same everywhere.
    const lang::LanguageContent& content = *window->languages().current();
    for (const auto& item : lang::kMainMenuTexts)
        QCOMPARE(window->action(item.component)->text().toStdString(), content.text(item.key));
    QCOMPARE(window->dropDownButton(1)->toolTip(), QStringLiteral("TV / RADIO"));
    QCOMPARE(window->dropDownButton(2)->toolTip(), QStringLiteral("FTA / CA"));
    QVERIFY(shown(window->dropDownButton(3)->toolTip()));
    QVERIFY(shown(window->dropDownButton(5)->toolTip()));
}

void TextsTest::storedLanguageIsUsedAtStart() {
    Sandbox box;
    box.seedEarlierRun();
    // Only the file-name part of the stored choice counts.
    box.store().seed(kSettingsKeyPath, "LangFile", std::string("/old/install/Polski.lng"));
    auto window = box.makeWindow();
    const QList<QAction*> entries = window->languageMenu()->actions();
    QCOMPARE(entries.size(), 5);
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(entries[i]->isChecked(), entries[i]->text() == QStringLiteral("Polski.lng"));
    QCOMPARE(window->action("Plik1")->text().toStdString(), window->languages().current()->text("MenuFile"));
    QCOMPARE(window->reg().languageFileName, std::string("Polski.lng"));
}

void TextsTest::switchingTheLanguageReappliesAndIsStored() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    {
        auto window = box.makeWindow();
        QVERIFY(runPendingOpen(*window));
        window->SetModified(true);
        const QString englishOpen = window->action("Otworz1")->text();
        const QString englishStatus = window->statusPanel(2)->text();

        QAction* slovak = window->languageMenu()->actions().at(3);
        QCOMPARE(slovak->text(), QStringLiteral("Slovensky.lng"));
        slovak->trigger();
        QVERIFY(slovak->isChecked());
        QVERIFY(!window->languageMenu()->actions().at(0)->isChecked());
        QCOMPARE(window->languages().current()->name(), std::string("Slovensky.lng"));
        QVERIFY(window->action("Otworz1")->text() != englishOpen);
        QCOMPARE(window->action("Otworz1")->text().toStdString(), window->Lang("MenuOpen"));
        QCOMPARE(window->action("ToolButton1")->toolTip().toStdString(), window->Lang("MenuOpen"));
        // The loaded state survives the switch: version in the caption, state in the status.
        QCOMPARE(window->windowTitle().toStdString(), window->Lang("TitleApplication") + "  v1.0.3");
        QVERIFY(window->statusPanel(2)->text() != englishStatus);
        QVERIFY(window->statusPanel(2)->text().endsWith(
            QString::fromStdString(" (" + window->Lang("TextFileChanged") + ")")));
        window->SetModified(false);
    }
    QVERIFY(box.store().value(kSettingsKeyPath, "LangFile") ==
            MemorySettingsStore::Value(std::string("Slovensky.lng")));
    auto next = box.makeWindow();
    QCOMPARE(next->languages().current()->name(), std::string("Slovensky.lng"));
}

void TextsTest::externalLanguageFileJoinsTheMenu() {
    Sandbox box;
    box.seedEarlierRun();
    {
        std::ofstream out(box.languageFolder() / "Deutsch.lng", std::ios::binary);
        out << "[LANGUAGE]\r\nMenuFile=&Datei\r\nMenuOpen=\xC3\x96" "ffnen...\r\n";
    }
    auto window = box.makeWindow();
    const QList<QAction*> entries = window->languageMenu()->actions();
    QCOMPARE(entries.size(), 6);
    QCOMPARE(entries.back()->text(), QStringLiteral("Deutsch.lng"));
    entries.back()->trigger();
    QCOMPARE(window->action("Plik1")->text(), QStringLiteral("&Datei"));
    QCOMPARE(window->action("Otworz1")->text(), QString::fromUtf8("\xC3\x96" "ffnen..."));
    // A key the file lacks shows "?", as in any incomplete language.
    QCOMPARE(window->action("Zapisz1")->text(), QStringLiteral("?"));
    QCOMPARE(window->reg().languageFileName, std::string("Deutsch.lng"));
}

QTEST_MAIN(TextsTest)
#include "texts_test.moc"
