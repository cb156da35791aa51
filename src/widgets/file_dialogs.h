#pragma once
// Every file and folder dialog of the program goes through fileDialogs(), so that tests can
// replace the modal dialogs with scripted answers.
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace cs::widgets {

enum class FileDialogKind { Open, Save, Folder };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;            // empty: the dialog's usual title
    // Pairs of description and patterns separated by '|', as "Pictures (*.jpg)|*.jpg|All|*";
    // several patterns of one entry are separated by ';'. Unused for folders.
    std::string filter;
    int filterIndex = 1;          // 1-based entry of `filter` shown first
    std::string initialFolder;    // empty: the dialog's own choice
    std::string fileName;         // proposed name (may carry a folder)
    std::string defaultExtension; // added to a typed name without extension ("dsp" or "*.dsp")
    bool fileMustExist = false;   // Open: only existing files
    bool overwritePrompt = true;  // Save: ask before replacing a file
    QWidget* parent = nullptr;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen path (a folder for FileDialogKind::Folder, without trailing separator), or
    // nothing when the user cancelled.
    virtual std::optional<std::string> run(const FileDialogRequest& request) = 0;
};

// The Qt dialogs.
class QtFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> run(const FileDialogRequest& request) override;
};

// The dialogs in use: the installed ones, otherwise the Qt dialogs.
FileDialogs& fileDialogs();
// Installs `dialogs` (nullptr restores the Qt dialogs); the object must outlive its installation.
// Returns the previously installed object (nullptr for the Qt dialogs).
FileDialogs* setFileDialogs(FileDialogs* dialogs);

// Shortcuts for the three kinds.
std::optional<std::string> openFileDialog(FileDialogRequest request);
std::optional<std::string> saveFileDialog(FileDialogRequest request);
// The folder browser: empty text when cancelled.
std::string browseForFolder(QWidget* owner, const std::string& title, const std::string& initialFolder);

// Turns a filter of the form "Desc|*.a;*.b|Desc2|*.c" into Qt's "Desc (*.a *.b);;Desc2 (*.c)".
std::string qtFilterText(const std::string& filter);

// Scripted dialogs for tests: installs itself for its lifetime, expects the dialogs in the order
// scripted and answers each with a path or a cancel. Anything unexpected is recorded in
// failures() and cancelled.
class ScriptedFileDialogs final : public FileDialogs {
public:
    ScriptedFileDialogs();
    ~ScriptedFileDialogs() override;
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    // Expects a dialog of `kind`; an empty `title` matches any title. `answer` nothing cancels.
    ScriptedFileDialogs& expect(FileDialogKind kind, std::optional<std::string> answer, std::string title = {});

    std::optional<std::string> run(const FileDialogRequest& request) override;

    const std::vector<FileDialogRequest>& shown() const { return shown_; }
    const std::vector<std::string>& failures() const { return failures_; }
    bool done() const { return expected_.empty(); }
    std::string report() const;

private:
    struct Expected {
        FileDialogKind kind;
        std::optional<std::string> answer;
        std::string title;
    };
    std::deque<Expected> expected_;
    std::vector<FileDialogRequest> shown_;
    std::vector<std::string> failures_;
    FileDialogs* previous_;
};

} // namespace cs::widgets
