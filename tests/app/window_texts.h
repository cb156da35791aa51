#pragma once
// What a window shows, as texts, and the texts of one language that another language writes
// differently: a window shown in the second language must show none of them.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>

#include <set>
#include <string>
#include <string_view>

#include "lang/builtin_languages.h"
#include "lang/lang_content.h"

namespace cs::apptest {

// Every text a window and its shown children show: title, labels, buttons, group boxes, tabs,
// list entries, column captions, tool tips and the entries of its menus (shown when opened).
// Hidden children (a page not in use, a dialog kept for later) are left out, as are empty texts.
inline std::set<QString> shownTexts(const QWidget& window) {
    std::set<QString> out;
    auto add = [&out](const QString& text) {
        if (!text.trimmed().isEmpty())
            out.insert(text);
    };
    auto addWidget = [&](const QWidget& w) {
        add(w.windowTitle());
        add(w.toolTip());
        if (auto* label = qobject_cast<const QLabel*>(&w))
            add(label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(&w))
            add(button->text());
        if (auto* group = qobject_cast<const QGroupBox*>(&w))
            add(group->title());
        if (auto* tabs = qobject_cast<const QTabWidget*>(&w))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->tabText(i));
        if (auto* list = qobject_cast<const QComboBox*>(&w))
            for (int i = 0; i < list->count(); ++i)
                add(list->itemText(i));
        if (auto* tree = qobject_cast<const QTreeWidget*>(&w))
            for (int i = 0; i < tree->columnCount(); ++i)
                add(tree->headerItem()->text(i));
        for (const QAction* action : w.actions())
            if (action->isVisible()) {
                add(action->text());
                add(action->toolTip());
            }
    };
    addWidget(window);
    for (const QWidget* child : window.findChildren<QWidget*>())
        if (child->isVisibleTo(&window) || (qobject_cast<const QMenu*>(child) && child->parentWidget() && child->parentWidget()->window() == &window))
            addWidget(*child);
    return out;
}

// The texts of `from` (language data and program texts) that `to` writes otherwise: the text
// of a key in `from` that is no text of any key in `to`. Each also without its "&" marks.
inline std::set<QString> textsOnlyIn(std::string_view from, std::string_view to) {
    auto texts = [](std::string_view name) {
        std::set<QString> out;
        const auto language = lang::findBuiltInLanguage(name);
        for (std::string_view part : {language->text, language->programText})
            for (const std::string& line : lang::splitLines(part))
                if (auto parsed = lang::parseTextLine(line); parsed && !parsed->text.empty())
                    out.insert(QString::fromUtf8(parsed->text.data(), static_cast<qsizetype>(parsed->text.size())));
        return out;
    };
    const std::set<QString> other = texts(to);
    std::set<QString> out;
    for (const QString& text : texts(from))
        if (!other.count(text)) {
            out.insert(text);
            QString plain = text;
            plain.remove(QLatin1Char('&'));
            if (!other.count(plain))
                out.insert(plain);
        }
    return out;
}

// The shown texts of `window` that belong to the other language only.
inline QStringList leftOver(const QWidget& window, const std::set<QString>& otherLanguageOnly) {
    QStringList out;
    for (const QString& text : shownTexts(window))
        if (otherLanguageOnly.count(text))
            out.push_back(text);
    return out;
}

} // namespace cs::apptest
