#pragma once
// Every message box of the program goes through messageBox(), so that tests can replace the
// modal box with a scripted answerer that checks each question and answers it.
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace cs::app {

// Flags as the program passes them: icon and buttons in one number.
inline constexpr int kMbStopOk = 16;             // stop icon, OK
inline constexpr int kMbQuestionYesNo = 36;      // question icon, Yes/No
inline constexpr int kMbQuestionYesNoCancel = 35; // question icon, Yes/No/Cancel
inline constexpr int kMbInformationOk = 64;      // information icon, OK
// Also accepted: 48 (warning icon, OK) and plain OK (0).
inline constexpr int kMbWarningOk = 48;

// Answers, with the values callers compare against.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

struct MessageBoxRequest {
    std::string text;    // UTF-8
    std::string caption; // UTF-8
    int flags = 0;
    QWidget* parent = nullptr;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows a message box (or asks the installed handler) and returns the answer (kIdOk, ...).
int messageBox(const std::string& text, const std::string& caption, int flags, QWidget* parent = nullptr);

// Installs `handler` (an empty one restores the Qt box); returns the previous handler.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

// The modal Qt box used when no other handler is installed.
int showQtMessageBox(const MessageBoxRequest& request);

// The answer a box gives when it is dismissed without a choice (Escape, the close box).
int escapeAnswer(int flags);

// A scripted answerer for tests: installs itself for its lifetime, expects the questions in the
// order they were scripted and answers each. Anything unexpected is recorded in failures() and
// answered with the escape answer, so that a broken flow stops instead of going on.
class ScriptedMessageBoxes {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    // Expects a box with exactly this text, caption and flags, and answers it.
    ScriptedMessageBoxes& expect(std::string text, std::string caption, int flags, int answer);

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
        int flags;
        int answer;
    };
    int answer(const MessageBoxRequest& request);

    std::deque<Expected> expected_;
    std::vector<MessageBoxRequest> shown_;
    std::vector<std::string> failures_;
    MessageBoxHandler previous_;
};

} // namespace cs::app
