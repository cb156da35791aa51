#include "widgets/language_switch.h"

#include "lang/builtin_languages.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <QWidget>

#include <memory>
#include <vector>

namespace cs::widgets {

namespace {

// The one translator of Qt's texts the program installs; replaced on every change.
QTranslator*& installedTranslator() {
    static QTranslator* translator = nullptr;
    return translator;
}

bool english = true;

} // namespace

bool qtTextsInEnglish() { return english; }

bool loadQtTranslation(std::string_view languageEntryName, const QString& folder) {
    QTranslator*& current = installedTranslator();
    if (current) {
        QCoreApplication::removeTranslator(current);
        delete current;
        current = nullptr;
    }
    const std::string_view code = lang::qtLanguageCode(languageEntryName);
    english = code == "en";
    if (code.empty() || code == "en")
        return code == "en";
    auto translator = std::make_unique<QTranslator>();
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    if (!translator->load(QStringLiteral("qtbase_") + QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size())),
                          from))
        return false;
    current = translator.release();
    QCoreApplication::installTranslator(current);
    return true;
}

void announceLanguageChange() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    // A window answering the event may close another; each is checked before it is told.
    std::vector<QPointer<QWidget>> alive(windows.begin(), windows.end());
    for (const QPointer<QWidget>& window : alive)
        if (window && window->windowType() != Qt::Desktop) {
            QEvent change(QEvent::LanguageChange);
            QCoreApplication::sendEvent(window, &change);
        }
}

} // namespace cs::widgets
