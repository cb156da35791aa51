#include "widgets/message_box.h"

#include "lang/lang_list.h"
#include "widgets/language_switch.h"

#include <QAbstractButton>

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <utility>

namespace cs::widgets {

namespace {

MessageBoxHandler& installedHandler() {
    static MessageBoxHandler handler;
    return handler;
}

std::string describe(const std::string& text, const std::string& caption, MessageKind kind) {
    return "\"" + text + "\" / \"" + caption + "\" / " + describe(kind);
}

} // namespace

std::string describe(MessageKind kind) {
    std::string out;
    switch (kind.icon) {
    case MessageIcon::None: out = "no icon"; break;
    case MessageIcon::Stop: out = "stop"; break;
    case MessageIcon::Question: out = "question"; break;
    case MessageIcon::Warning: out = "warning"; break;
    case MessageIcon::Information: out = "information"; break;
    }
    switch (kind.buttons) {
    case MessageButtons::Ok: return out + ", OK";
    case MessageButtons::OkCancel: return out + ", OK/Cancel";
    case MessageButtons::YesNo: return out + ", Yes/No";
    case MessageButtons::YesNoCancel: return out + ", Yes/No/Cancel";
    }
    return out;
}

MessageAnswer escapeAnswer(MessageKind kind) {
    switch (kind.buttons) {
    case MessageButtons::YesNoCancel:
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    }
    return MessageAnswer::Ok;
}

MessageAnswer showQtMessageBox(const MessageBoxRequest& request) {
    QMessageBox box(request.parent);
    box.setWindowTitle(QString::fromStdString(request.caption));
    box.setText(QString::fromStdString(request.text));
    switch (request.kind.icon) {
    case MessageIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (request.kind.buttons) {
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    if (!qtTextsInEnglish()) {
        // A button that Qt's translation leaves in English (or that has no translation at all)
        // takes the language's own key.
        struct ButtonKey {
            QMessageBox::StandardButton which;
            const char* qtText;  // Qt's English text, the source of its translations
            const char* key;
        };
        static constexpr ButtonKey keys[] = {{QMessageBox::Yes, "&Yes", "TextYES"},
                                             {QMessageBox::No, "&No", "TextNO"},
                                             {QMessageBox::Ok, "OK", "TextBtnOK"},
                                             {QMessageBox::Cancel, "Cancel", "TextBtnCancel"}};
        for (const ButtonKey& k : keys) {
            QAbstractButton* button = box.button(k.which);
            const std::string own = lang::text(k.key);
            if (button && own != lang::kMissingText &&
                QCoreApplication::translate("QPlatformTheme", k.qtText) == QLatin1String(k.qtText))
                button->setText(QString::fromStdString(own));
        }
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return escapeAnswer(request.kind);
    }
}

MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageKind kind, QWidget* parent) {
    MessageBoxRequest request{text, caption, kind, parent};
    if (const auto& handler = installedHandler())
        return handler(request);
    if (!request.parent)
        request.parent = QApplication::activeWindow();
    return showQtMessageBox(request);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

ScriptedMessageBoxes::ScriptedMessageBoxes()
    : previous_(setMessageBoxHandler([this](const MessageBoxRequest& r) { return answer(r); })) {}

ScriptedMessageBoxes::~ScriptedMessageBoxes() { setMessageBoxHandler(std::move(previous_)); }

ScriptedMessageBoxes& ScriptedMessageBoxes::expect(std::string text, std::string caption, MessageKind kind,
                                                   MessageAnswer answer) {
    expected_.push_back({std::move(text), std::move(caption), kind, answer});
    return *this;
}

MessageAnswer ScriptedMessageBoxes::answer(const MessageBoxRequest& request) {
    shown_.push_back(request);
    if (expected_.empty()) {
        failures_.push_back("unexpected box " + describe(request.text, request.caption, request.kind));
        return escapeAnswer(request.kind);
    }
    Expected next = std::move(expected_.front());
    expected_.pop_front();
    if (next.text != request.text || next.caption != request.caption || next.kind != request.kind) {
        failures_.push_back("expected box " + describe(next.text, next.caption, next.kind) + ", got " +
                            describe(request.text, request.caption, request.kind));
        return escapeAnswer(request.kind);
    }
    return next.answer;
}

std::string ScriptedMessageBoxes::report() const {
    std::string out;
    for (const auto& f : failures_)
        out += f + "\n";
    for (const auto& e : expected_)
        out += "box never shown " + describe(e.text, e.caption, e.kind) + "\n";
    return out;
}

} // namespace cs::widgets
