// A change of language reaches every window: those open at the switch and those kept from an
// earlier opening show the new language at once, with no text of the language before.
#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QRegularExpression>
#include <QPushButton>
#include <QTimer>

#include "app/import_and_image_manager.h"
#include "app/window_properties.h"
#include "exchange/import_chooser.h"
#include "exchange/import_chooser_window.h"
#include "exchange/import_file.h"
#include "fixtures/import_file_fixture.h"
#include "pictures/image_manager_window.h"
#include "wizard/connection_wizard.h"
#include "views/channel_list_model.h"
#include "views/view_controller.h"
#include "common/log_sink.h"
#include "desktop/help_window.h"
#include "desktop/log_window.h"
#include "desktop/support_windows.h"
#include "database/name_lists.h"
#include "editing/list_chooser.h"
#include "properties/antenna_form.h"
#include "editing/edit_controller.h"
#include "editing/find_dialog.h"
#include "properties/properties_dialog.h"
#include "app_test_support.h"
#include "window_texts.h"

using namespace cs;
using namespace cs::apptest;

namespace {

std::unique_ptr<app::WindowViews> realViews(app::MainWindow& window) { return app::makeWindowViews(window); }

// The texts the properties dialog shows for `request`, read while it is shown modally.
QStringList propertiesLeftOver(app::MainWindow& window, const properties::PropertiesRequest& request,
                               const std::set<QString>& before, QString* title = nullptr) {
    QStringList found;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<properties::PropertiesDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shown = true;
        found = leftOver(*dialog, before);
        if (title)
            *title = dialog->windowTitle();
        dialog->cancelButton()->click();
    });
    window.openProperties(request);
    if (!shown)
        found.push_back(QStringLiteral("(the properties dialog was not shown)"));
    return found;
}

// Where pictures of the windows go: CS_SHOTS_DIR, when set, gets "<prefix>-<window>.png" of
// each window read in the language the test names (for looking at them, not for comparing).
QString shotPath(const QString& prefix, const QString& window) {
    const QString folder = qEnvironmentVariable("CS_SHOTS_DIR");
    if (folder.isEmpty() || prefix.isEmpty())
        return {};
    QString name = window;
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    return folder + QLatin1Char('/') + prefix + QLatin1Char('-') + name + QStringLiteral(".png");
}

void grabShot(QWidget& widget, const QString& path) {
    if (!path.isEmpty())
        widget.grab().save(path);
}

// The shown texts of the modal window that `open` brings up, read while it is shown.
std::set<QString> modalTexts(const std::function<void()>& open, const QString& shot = {}) {
    std::set<QString> texts;
    QTimer::singleShot(0, [&texts, shot] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        grabShot(*modal, shot);
        texts = shownTexts(*modal);
        texts.insert(QStringLiteral("(shown)"));
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    open();
    return texts;
}

// Words that are the same in English and in the other languages, reviewed one by one: the
// receiver's own terms (as its screens show them), codes and the product's name.
const std::set<QString> kSameWords = {
    QStringLiteral("OK"),         QStringLiteral("&OK"),        QStringLiteral("CA"),         QStringLiteral("PID"),
    QStringLiteral("FTA / CA"),   QStringLiteral("TV / RADIO"), QStringLiteral("TV"),         QStringLiteral("Ca"),
    QStringLiteral("PIDs"),       QStringLiteral("Ca_System_Id"), QStringLiteral("Tone BURST"), QStringLiteral("DiSEqC 1.0"),
    QStringLiteral("MOTOR"),      QStringLiteral("Channel Editor\n"), QStringLiteral("(shown)"),
    // the filter bar's fixed entries, the receiver's own abbreviations
    QStringLiteral("RADIO"),      QStringLiteral("FTA"),
    // the receiver's picture slots in the image manager
    QStringLiteral("LOGO"),       QStringLiteral("BACKGROUND"),
};

// The texts of the receiver's own tables (modules, FEC, DiSEqC, motor, ...), shown as the
// receiver shows them in every language.
std::set<QString> receiverTableTexts() {
    std::set<QString> out;
    auto add = [&out](std::string_view text) { out.insert(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))); };
    for (unsigned code = 0; code < 64; ++code) {
        add(caModuleText(code));
        add(fecText(code));
        add(polarisationText(code));
        add(dvbcConstellationText(code));
    }
    for (unsigned code = 0; code < static_cast<unsigned>(properties::kDiseqcEntries); ++code)
        add(properties::diseqcText(code));
    for (unsigned code = 0; code < static_cast<unsigned>(properties::kMotorEntries); ++code)
        add(properties::motorText(code));
    for (unsigned code = 1; code < static_cast<unsigned>(properties::kToneBurstEntries); ++code)
        add(properties::toneBurstText(code));
    return out;
}

// Every text of a built-in language: a text the language itself writes as English does is its word.
std::set<QString> languageTexts(std::string_view name) {
    std::set<QString> out;
    const auto language = lang::findBuiltInLanguage(name);
    for (std::string_view part : {language->text, language->programText})
        for (const std::string& line : lang::splitLines(part))
            if (auto parsed = lang::parseTextLine(line))
                out.insert(QString::fromUtf8(parsed->text.data(), static_cast<qsizetype>(parsed->text.size())));
    return out;
}

// A text that names data rather than the interface: numbers, the receiver's table of coding
// systems ("0x0100, Canal Plus, ..."), satellites ("S28-Astra [19.20 E]"), recent files
// ("&1. /path"), addresses, the program's name.
bool dataText(const QString& text) {
    static const QRegularExpression interfaceWord(QStringLiteral("[A-Za-z]{4,}"));
    static const QRegularExpression data(QStringLiteral("^(0x[0-9a-f]{4}, |&?[0-9]\\. |S[0-9]+-)|Tervanis Tools|://|@"));
    return !interfaceWord.match(text).hasMatch() || data.match(text).hasMatch();
}

// An import file with a channel base of one channel and the colour profiles.
std::filesystem::path importFile(const Sandbox& box) {
    fixtures::ChannelBaseFixture base;
    fixtures::ChannelFields channel;
    channel.name = "Imported";
    base.records.push_back(fixtures::encodeChannelRecord(channel));
    fixtures::DsxRecipe recipe;
    recipe.description = "One channel";
    recipe.components = {{0, fixtures::kDsxChannelBase, fixtures::kDsxMarker, fixtures::channelBaseBlock(base), {}},
                         {1, fixtures::kDsxColourProfiles, fixtures::kDsxMarker, fixtures::colourProfilesBlock(), {}}};
    const std::filesystem::path path = box.startFolder() / "one.dsx";
    fixtures::writeFile(path, fixtures::encodeDsx(recipe));
    return path;
}

// The windows made once and kept across the change of language, besides the main window's own.
struct KeptWindows {
    desktop::SupportWindows& support;
    pictures_ui::ImageManagerWindow& imageManager;
    std::filesystem::path importFile;
};

// Every window the user can open, by name, with the texts it shows now.
std::map<QString, std::set<QString>> everyWindow(app::MainWindow& window, KeptWindows& kept, const QString& shots = {}) {
    desktop::SupportWindows& support = kept.support;
    std::map<QString, std::set<QString>> shown;
    auto read = [&](const QString& name, QWidget& widget) {
        grabShot(widget, shotPath(shots, name));
        shown[name] = shownTexts(widget);
    };
    read(QStringLiteral("main window"), window);
    window.actions().find->trigger();
    read(QStringLiteral("find"), *window.editController()->findDialog());
    window.editController()->closeFindDialog();
    support.showLog();
    read(QStringLiteral("log"), support.logWindow());
    support.logWindow().hide();
    desktop::HelpWindow& help = support.showHelp(desktop::HelpTopic::Contents);
    read(QStringLiteral("help"), help);
    help.hide();
    auto modal = [&](const QString& name, const std::function<void()>& open) {
        shown[name] = modalTexts(open, shotPath(shots, name));
    };
    properties::PropertiesRequest channel;
    channel.channelSlot = window.views()->model().rowSlots().front();
    modal(QStringLiteral("properties: channel"), [&] { window.openProperties(channel); });
    for (SettingsGroup group : {SettingsGroup::Receiver, SettingsGroup::Satellites, SettingsGroup::Clock,
                                SettingsGroup::ParentalLock, SettingsGroup::Converters, SettingsGroup::Transponders}) {
        properties::PropertiesRequest settings;
        settings.purpose = properties::PropertiesRequest::Purpose::Settings;
        settings.settingsGroup = group;
        modal(QStringLiteral("properties: page %1").arg(static_cast<int>(group)), [&] { window.openProperties(settings); });
    }
    modal(QStringLiteral("about"), [&] { desktop::openAboutBox(window); });
    modal(QStringLiteral("preferences"), [&] { desktop::openPreferencesDialog(window); });
    kept.imageManager.show();
    read(QStringLiteral("image manager"), kept.imageManager);
    kept.imageManager.hide();
    ImportFile file;
    if (readImportFile(kept.importFile.string(), file) == kImportRead) {
        ImportChooser chooser(file);
        modal(QStringLiteral("import chooser"), [&] { exchange_ui::chooseComponents(chooser, file, "one.dsx", &window); });
    }
    modal(QStringLiteral("wizard"), [&] { wizard::openConnectionWizard(window, wizard::WizardMode::Menu); });
    modal(QStringLiteral("duplicates"), [&] { window.actions().findDuplicates->trigger(); });
    modal(QStringLiteral("order"), [&] { window.actions().orderLikeReference->trigger(); });
    modal(QStringLiteral("list chooser"), [&] {
        editing::chooseStartChannel(&window, window.database(), window.displayTexts(), editing::StartChannelChoice{});
    });
    return shown;
}

} // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    void windowsOpenOrKeptShowTheNewLanguage_data();
    void windowsOpenOrKeptShowTheNewLanguage();
    void noWindowKeepsAnEnglishText_data();
    void noWindowKeepsAnEnglishText();
};

void LanguageSwitchTest::windowsOpenOrKeptShowTheNewLanguage_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("toName");
    QTest::newRow("Polish to Slovak") << QStringLiteral("Polski.lng") << 3 << QStringLiteral("Slovensky.lng");
    QTest::newRow("Slovak to Spanish") << QStringLiteral("Slovensky.lng") << 1 << QStringLiteral("Espanol.lng");
    QTest::newRow("Italian to English") << QStringLiteral("Italiano.lng") << 0 << QStringLiteral("English.lng");
    QTest::newRow("English to Polish") << QStringLiteral("English.lng") << 2 << QStringLiteral("Polski.lng");
}

void LanguageSwitchTest::windowsOpenOrKeptShowTheNewLanguage() {
    QFETCH(QString, from);
    QFETCH(int, to);
    QFETCH(QString, toName);
    Sandbox box;
    box.makeViews = realViews;
    const auto file = box.writeFile("demo.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    box.store().seed(kSettingsKeyPath, "LangFile", from.toStdString());
    auto window = box.makeWindow();
    app::MainWindowHooks hooks;
    hooks.openProperties = app::makePropertiesHook();
    window->setHooks(std::move(hooks));
    QVERIFY(runPendingOpen(*window));
    QCOMPARE(window->languages().current()->name(), from.toStdString());

    // Before the switch: the properties dialog is made and prepared in the first language, the
    // find dialog and the log window are open.
    properties::PropertiesRequest channel;
    channel.channelSlot = window->views()->model().rowSlots().front();
    QVERIFY(propertiesLeftOver(*window, channel, {}).isEmpty());
    window->actions().find->trigger();
    editing::FindDialog* find = window->editController()->findDialog();
    QVERIFY(find && find->isVisible());
    MemoryLog log;
    desktop::LogWindow logWindow(log, box.path() / "log.txt", window.get());
    logWindow.show();

    window->menus().language->actions().at(to)->trigger();
    QCOMPARE(window->languages().current()->name(), toName.toStdString());
    const std::set<QString> before = textsOnlyIn(from.toStdString(), toName.toStdString());
    QVERIFY(!before.empty());

    QCOMPARE(leftOver(*find, before), QStringList());
    QCOMPARE(find->windowTitle().toStdString(), QString::fromStdString(window->text("MenuFind")).remove(QLatin1Char('&')).toStdString());
    QCOMPARE(leftOver(logWindow, before), QStringList());
    QCOMPARE(logWindow.windowTitle().toStdString(), window->text("Log_Title"));
    QCOMPARE(leftOver(*window, before).join(QLatin1Char('|')), QString());

    QString title;
    QCOMPARE(propertiesLeftOver(*window, channel, before, &title), QStringList());
    for (SettingsGroup group : {SettingsGroup::Receiver, SettingsGroup::Satellites, SettingsGroup::Clock,
                                SettingsGroup::ParentalLock, SettingsGroup::Converters, SettingsGroup::Transponders}) {
        properties::PropertiesRequest settings;
        settings.purpose = properties::PropertiesRequest::Purpose::Settings;
        settings.settingsGroup = group;
        QCOMPARE(propertiesLeftOver(*window, settings, before), QStringList());
    }
}

void LanguageSwitchTest::noWindowKeepsAnEnglishText_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Espanol.lng") << 1;
    QTest::newRow("Polski.lng") << 2;
    QTest::newRow("Slovensky.lng") << 3;
    QTest::newRow("Italiano.lng") << 4;
}

// Each window is read in English, then in the other language: a text shown in both is English
// left over, unless it is data or a word both languages share.
void LanguageSwitchTest::noWindowKeepsAnEnglishText() {
    QFETCH(int, language);
    Sandbox box;
    box.makeViews = realViews;
    const auto file = box.writeFile("demo.dsp", Sandbox::demo());
    box.seedEarlierRun({file.string()});
    box.store().seed(kSettingsKeyPath, "LangFile", std::string("English.lng"));
    auto window = box.makeWindow();
    app::MainWindowHooks hooks;
    hooks.openProperties = app::makePropertiesHook();
    hooks.chooseStartChannel = [](app::MainWindow& w, const editing::StartChannelChoice& preset) {
        return editing::chooseStartChannel(&w, w.database(), w.displayTexts(), preset);
    };
    window->setHooks(std::move(hooks));
    QVERIFY(runPendingOpen(*window));
    desktop::SupportWindows support(*window, box.path() / "help", box.path() / "log.txt");
    pictures_ui::ImageManagerWindow imageManager(app::imageManagerHost(*window));
    KeptWindows kept{support, imageManager, importFile(box)};

    const auto english = everyWindow(*window, kept);
    QAction* choice = window->menus().language->actions().at(language);
    choice->trigger();
    // Pictures of the Slovak windows, when asked for (CS_SHOTS_DIR).
    const auto other = everyWindow(*window, kept, language == 3 ? QStringLiteral("26") : QString());
    const std::set<QString> tables = receiverTableTexts();
    const std::set<QString> ownWords = languageTexts(choice->text().toStdString());
    QStringList left;
    for (const auto& [name, texts] : other) {
        QVERIFY2(texts.size() > 1, qPrintable(name));
        // A key the program uses but the language lacks shows "?".
        QVERIFY2(!texts.count(QStringLiteral("?")), qPrintable(name));
        for (const QString& text : texts)
            if (english.at(name).count(text) && !kSameWords.count(text) && !dataText(text) && !tables.count(text) &&
                !ownWords.count(text))
                left.push_back(name + QStringLiteral(": ") + text);
    }
    for (const QString& line : left)
        qWarning().noquote() << "English left:" << line;
    QVERIFY2(left.isEmpty(), qPrintable(QString::number(left.size()) + QStringLiteral(" English texts left")));
}

QTEST_MAIN(LanguageSwitchTest)
#include "language_switch_test.moc"
