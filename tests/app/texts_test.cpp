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
#include <set>

#include "app_test_support.h"
#include "app/main_window_texts.h"
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"

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

std::vector<const QAction*> visibleEntries(app::MainWindow& window) {
    std::vector<const QAction*> entries;
    for (const QAction* top : window.menuBar()->actions()) {
        entries.push_back(top);
        collectEntries(top->menu(), entries);
    }
    for (const QMenu* popup : {window.menus().listPopup, window.menus().treePopup, window.menus().tray})
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
    void boundKeysAreWrittenExactlyInEveryBuiltInLanguage();
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
    for (const QAction* tool : window->widgets().toolBar->actions())
        if (!tool->isSeparator() && tool->isVisible())
            QVERIFY2(shown(tool->toolTip()), qPrintable(tool->objectName()));
    // Texts bound to keys show that language's text; the fixed ones are the same everywhere.
    const lang::LanguageContent& content = *window->languages().current();
    // Every key bound to a part of the window is in the language, written as the files write it.
    for (const app::MenuText& item : app::kMenuTexts) {
        QVERIFY2(content.text(item.key) != "?", item.key.data());
        QCOMPARE((window->menus().*item.menu)->menuAction()->text().toStdString(), content.text(item.key));
    }
    for (const app::ActionText& item : app::kActionTexts) {
        QVERIFY2(content.text(item.key) != "?", item.key.data());
        QCOMPARE((window->actions().*item.action)->text().toStdString(), content.text(item.key));
    }
    for (const app::ActionText& item : app::kToolHints) {
        QVERIFY2(content.text(item.key) != "?", item.key.data());
        // Tool tips leave out the menus' "&" marks.
        QCOMPARE((window->actions().*item.action)->toolTip(),
                 QString::fromStdString(content.text(item.key)).remove(QLatin1Char('&')));
    }
    QVERIFY(content.text(app::kTitleKey) != "?");
    QCOMPARE(window->widgets().filterBar->tvRadio()->toolTip(), QStringLiteral("TV / RADIO"));
    QCOMPARE(window->widgets().filterBar->freeScrambled()->toolTip(), QStringLiteral("FTA / CA"));
    QVERIFY(shown(window->widgets().filterBar->sortOrder()->toolTip()));
    QVERIFY(shown(window->widgets().filterBar->codingSystems()->toolTip()));
}

// The keys the window binds stand in every built-in language file exactly as the window writes
// them, although the lookup would forgive another case: an external file copied from a built-in
// one then has them too.
void TextsTest::boundKeysAreWrittenExactlyInEveryBuiltInLanguage() {
    std::vector<std::string_view> bound = {app::kTitleKey};
    for (const app::MenuText& item : app::kMenuTexts)
        bound.push_back(item.key);
    for (const app::ActionText& item : app::kActionTexts)
        bound.push_back(item.key);
    for (const app::ActionText& item : app::kToolHints)
        bound.push_back(item.key);
    for (const lang::BuiltInLanguage& language : lang::builtInLanguages()) {
        std::set<std::string> keys;
        for (const std::string& line : lang::splitLines(language.text))
            if (auto parsed = lang::parseTextLine(line))
                keys.emplace(parsed->key);
        for (std::string_view key : bound)
            QVERIFY2(keys.count(std::string(key)) == 1,
                     qPrintable(QString::fromStdString(std::string(language.name) + ": " + std::string(key))));
    }
}

void TextsTest::storedLanguageIsUsedAtStart() {
    Sandbox box;
    box.seedEarlierRun();
    // Only the file-name part of the stored choice counts.
    box.store().seed(kSettingsKeyPath, "LangFile", std::string("/old/install/Polski.lng"));
    auto window = box.makeWindow();
    const QList<QAction*> entries = window->menus().language->actions();
    QCOMPARE(entries.size(), 5);
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(entries[i]->isChecked(), entries[i]->text() == QStringLiteral("Polski.lng"));
    QCOMPARE(window->menus().file->menuAction()->text().toStdString(), window->languages().current()->text("MenuFile"));
    QCOMPARE(window->storedSettings().languageFileName, std::string("Polski.lng"));
}

void TextsTest::switchingTheLanguageReappliesAndIsStored() {
    Sandbox box;
    const fs::path file = box.writeFile("db.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    {
        auto window = box.makeWindow();
        QVERIFY(runPendingOpen(*window));
        window->setModified(true);
        const QString englishOpen = window->actions().open->text();
        const QString englishStatus = window->widgets().filePanel->text();

        QAction* slovak = window->menus().language->actions().at(3);
        QCOMPARE(slovak->text(), QStringLiteral("Slovensky.lng"));
        slovak->trigger();
        QVERIFY(slovak->isChecked());
        QVERIFY(!window->menus().language->actions().at(0)->isChecked());
        QCOMPARE(window->languages().current()->name(), std::string("Slovensky.lng"));
        QVERIFY(window->actions().open->text() != englishOpen);
        QCOMPARE(window->actions().open->text().toStdString(), window->text("MenuOpen"));
        QCOMPARE(window->actions().toolOpen->toolTip(), window->actions().open->text().remove(QLatin1Char('&')));
        // The loaded state survives the switch: file and version in the caption, state in the status.
        QCOMPARE(window->windowTitle().toStdString(), "db.dsp[*] - " + window->text("TitleApplication") + "  v1.0.3");
        QVERIFY(window->widgets().filePanel->text() != englishStatus);
        QVERIFY(window->widgets().filePanel->text().endsWith(
            QString::fromStdString(" (" + window->text("TextFileChanged") + ")")));
        window->setModified(false);
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
    const QList<QAction*> entries = window->menus().language->actions();
    QCOMPARE(entries.size(), 6);
    QCOMPARE(entries.back()->text(), QStringLiteral("Deutsch.lng"));
    entries.back()->trigger();
    QCOMPARE(window->menus().file->menuAction()->text(), QStringLiteral("&Datei"));
    QCOMPARE(window->actions().open->text(), QString::fromUtf8("\xC3\x96" "ffnen..."));
    // A key the file lacks shows "?", as in any incomplete language.
    QCOMPARE(window->actions().save->text(), QStringLiteral("?"));
    QCOMPARE(window->storedSettings().languageFileName, std::string("Deutsch.lng"));
}

QTEST_MAIN(TextsTest)
#include "texts_test.moc"
