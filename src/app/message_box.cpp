#include "app/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <utility>

namespace cs::app {

namespace {

MessageBoxHandler& installedHandler() {
    static MessageBoxHandler handler;
    return handler;
}

std::string describe(const std::string& text, const std::string& caption, int flags) {
    return "\"" + text + "\" / \"" + caption + "\" / " + std::to_string(flags);
}

} // namespace

int escapeAnswer(int flags) {
    switch (flags & 0x0F) {
    case 3: // Yes/No/Cancel
        return kIdCancel;
    case 4: // Yes/No
        return kIdNo;
    case 1: // OK/Cancel
        return kIdCancel;
    default:
        return kIdOk;
    }
}

int showQtMessageBox(const MessageBoxRequest& request) {
    QMessageBox box(request.parent);
    box.setWindowTitle(QString::fromStdString(request.caption));
    box.setText(QString::fromStdString(request.text));
    switch (request.flags & 0xF0) {
    case 16:
        box.setIcon(QMessageBox::Critical);
        break;
    case 32:
        box.setIcon(QMessageBox::Question);
        break;
    case 48:
        box.setIcon(QMessageBox::Warning);
        break;
    case 64:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (request.flags & 0x0F) {
    case 3:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case 4:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case 1:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return kIdYes;
    case QMessageBox::No:
        return kIdNo;
    case QMessageBox::Cancel:
        return kIdCancel;
    case QMessageBox::Ok:
        return kIdOk;
    default:
        return escapeAnswer(request.flags);
    }
}

int messageBox(const std::string& text, const std::string& caption, int flags, QWidget* parent) {
    MessageBoxRequest request{text, caption, flags, parent};
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

ScriptedMessageBoxes& ScriptedMessageBoxes::expect(std::string text, std::string caption, int flags, int answer) {
    expected_.push_back({std::move(text), std::move(caption), flags, answer});
    return *this;
}

int ScriptedMessageBoxes::answer(const MessageBoxRequest& request) {
    shown_.push_back(request);
    if (expected_.empty()) {
        failures_.push_back("unexpected box " + describe(request.text, request.caption, request.flags));
        return escapeAnswer(request.flags);
    }
    Expected next = std::move(expected_.front());
    expected_.pop_front();
    if (next.text != request.text || next.caption != request.caption || next.flags != request.flags) {
        failures_.push_back("expected box " + describe(next.text, next.caption, next.flags) + ", got " +
                            describe(request.text, request.caption, request.flags));
        return escapeAnswer(request.flags);
    }
    return next.answer;
}

std::string ScriptedMessageBoxes::report() const {
    std::string out;
    for (const auto& f : failures_)
        out += f + "\n";
    for (const auto& e : expected_)
        out += "box never shown " + describe(e.text, e.caption, e.flags) + "\n";
    return out;
}

} // namespace cs::app
