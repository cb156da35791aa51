#pragma once
// Every message box of the program goes through messageBox(), so that tests can replace the
// modal box with a scripted answerer that checks each question and answers it.
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace cs::widgets {

enum class MessageIcon { None, Stop, Question, Warning, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

// What a box shows: its icon and its buttons.
struct MessageKind {
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    bool operator==(const MessageKind&) const = default;
};

// The kinds the program uses.
inline constexpr MessageKind kStopOk{MessageIcon::Stop, MessageButtons::Ok};
inline constexpr MessageKind kQuestionYesNo{MessageIcon::Question, MessageButtons::YesNo};
inline constexpr MessageKind kQuestionYesNoCancel{MessageIcon::Question, MessageButtons::YesNoCancel};
inline constexpr MessageKind kInformationOk{MessageIcon::Information, MessageButtons::Ok};
inline constexpr MessageKind kWarningOk{MessageIcon::Warning, MessageButtons::Ok};

enum class MessageAnswer { Ok, Cancel, Yes, No };

// "stop, OK", "question, Yes/No", ...: how test reports name a kind.
std::string describe(MessageKind kind);

struct MessageBoxRequest {
    std::string text;    // UTF-8
    std::string caption; // UTF-8
    MessageKind kind;
    QWidget* parent = nullptr;
};

using MessageBoxHandler = std::function<MessageAnswer(const MessageBoxRequest&)>;

// Shows a message box (or asks the installed handler) and returns the answer.
MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageKind kind,
                         QWidget* parent = nullptr);

// Installs `handler` (an empty one restores the Qt box); returns the previous handler.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

// The modal Qt box used when no other handler is installed.
MessageAnswer showQtMessageBox(const MessageBoxRequest& request);

// The answer a box gives when it is dismissed without a choice (Escape, the close box).
MessageAnswer escapeAnswer(MessageKind kind);

// A scripted answerer for tests: installs itself for its lifetime, expects the questions in the
// order they were scripted and answers each. Anything unexpected is recorded in failures() and
// answered with the escape answer, so that a broken flow stops instead of going on.
class ScriptedMessageBoxes {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    // Expects a box with exactly this text, caption and kind, and answers it.
    ScriptedMessageBoxes& expect(std::string text, std::string caption, MessageKind kind, MessageAnswer answer);

    // Every box shown, in order.
    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    // Mismatches and unexpected boxes; empty when the flow went as scripted.
    const std::vector<std::string>& failures() const { return failures_; }
    // True when every scripted box was shown.
    bool done() const { return expected_.empty(); }
    // failures() plus the boxes still expected, one line each; empty when all went as scripted.
    std::string report() const;

private:
    struct Expected {
        std::string text;
        std::string caption;
        MessageKind kind;
        MessageAnswer answer;
    };
    MessageAnswer answer(const MessageBoxRequest& request);

    std::deque<Expected> expected_;
    std::vector<MessageBoxRequest> shown_;
    std::vector<std::string> failures_;
    MessageBoxHandler previous_;
};

} // namespace cs::widgets
