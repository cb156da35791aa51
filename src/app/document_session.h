#pragma once
// The open/save/close decisions of the main window, without any window: which file is shown,
// which one waits to be opened, whether the shown database is modified, and what each user
// request or open result leads to. The window asks, carries out what comes back (questions,
// messages, other windows) and reports the answers; the session never shows anything itself.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_stamp.h"
#include "common/regular_file.h"
#include "image/flash.h"
#include "wizard/wizard_mode.h"

namespace cs::app {

// How the program was started, as far as opening files is concerned. The numbers are those
// other windows are told.
enum class LaunchState : int {
    Normal = 0,
    WithFile = 1,            // a database was named on the command line
    SoftwareHandedOver = 2,  // ... and it was a software image, handed to the connection wizard
};

using wizard::WizardMode;

// The database extension a typed name without any extension gets.
std::string withDatabaseExtension(std::string name);
// The file-name part of a path.
std::string fileNameOf(const std::string& path);
// `path` made absolute against the working folder, without "." and ".." parts; "" stays "".
// A file named relatively on the command line is kept so, that a later start from another
// folder still finds it in the recent files.
std::string absoluteName(const std::string& path);

// What the window does after a deferred open ran.
struct OpenOutcome {
    enum class Message { None, FileMissing, NotADatabase };

    bool registerFileType = false;             // first run: register the file type first
    std::optional<WizardMode> wizard;          // open the connection wizard in this mode
    bool showDatabase = false;                 // the database was loaded: show it
    std::optional<std::string> imageManager;   // hand this picture store to the image manager
    Message message = Message::None;           // an error message about `file`
    std::string file;                          // the file that was asked for
    // Channel records opening left out as damaged: said once after the database is shown.
    std::size_t damagedRecords = 0;

    bool operator==(const OpenOutcome&) const = default;
};

// A file chosen in the Open dialog or the recent-files menu.
struct ChosenFile {
    std::string name;              // with the database extension added where it had none
    bool askReopenShown = false;   // it is the shown file: ask before opening it again
    bool exists = false;           // false: tell the user it does not exist, open nothing
    bool import = false;           // an import file (".dsx"): its components go into the shown database
};

// A file dropped on the window.
enum class DropAction { Ignore, Open, Import };

// What a close of the window (or of the shown database, before another opens) means.
enum class CloseStep {
    Close,     // close without a question
    HideToTray,
    AskToSave, // ask whether the shown database is saved first; see closeAnswered
};

// The answer to the save question of a close.
enum class SaveAnswer { Yes, No, Cancel };

// What Save does.
enum class SaveStep {
    NothingToDo,  // nothing modified: succeeds without writing
    NotPossible,  // modified, but no database file is shown: fails without writing
    Write,        // write the shown database back to saveTarget()
};

class DocumentSession {
public:
    using FileExists = std::function<bool(const std::string& path)>;

    // `fileExists` answers for regular files; by default the file system is asked.
    explicit DocumentSession(FileExists fileExists = {});

    // ---- start-up
    // Reads the command line: a database named first becomes pending under its absolute name
    // (absoluteName); returns true when the
    // window starts minimised (log-on start). A named file that does not exist is kept for
    // takeMissingCommandLineFile.
    bool readCommandLine(const std::vector<std::string>& arguments);
    // The file the command line named that does not exist ("" for none), once: the window says
    // so before its first open.
    std::string takeMissingCommandLineFile();

    // ---- opening
    // The Open dialog or a recent-files entry chose this file ("" when cancelled: nothing).
    std::optional<ChosenFile> chooseFile(const std::string& name) const;
    // The recent-files entry of this file was clicked; nothing when it is the shown file.
    std::optional<ChosenFile> chooseRecentFile(const std::string& entry) const;
    // Makes a file pending; the window then schedules the deferred open.
    void requestOpen(const std::string& file) { pendingFile_ = file; }
    // What the first of these dropped files leads to (a database opens, an import file is
    // imported into the shown database).
    DropAction decideDrop(const std::vector<std::string>& paths) const;
    // True when a deferred open has something to do.
    bool openPending() const { return !pendingFile_.empty(); }
    // The close question before an open was answered with Cancel: the request is forgotten.
    void openCancelled() { pendingFile_ = shownFile_; }
    // The deferred open ran with `result`; `firstRun` when no settings were stored before,
    // `hasRecentFiles` when the recent-files list names any file. Updates the shown and pending
    // files and the launch state, and says what the window does next.
    // `damagedRecords`: what Flash::damagedRecords() counted in the opened file.
    OpenOutcome openFinished(OpenResult result, bool firstRun, bool hasRecentFiles, std::size_t damagedRecords = 0);

    // ---- saving
    SaveStep saveStep() const;
    const std::string& saveTarget() const { return shownFile_; }
    // A Save wrote the shown file: not modified, and the file as now on disk is the one shown.
    void saved();
    // The shown file changed on disk (size, time or content; replaced by another) since it was
    // opened or last saved by this window: Save asks first whether to overwrite it, reload it or
    // save under another name, so that another program's change is never lost unasked.
    bool changedOnDisk() const;
    // Save as chose `chosen`: the name it writes to, with the database extension added before
    // the check whether it exists (`askOverwrite`), so an existing file is never replaced unasked.
    struct SaveAsTarget {
        std::string name;
        bool askOverwrite = false;
        // Something that is no file (a folder, device, named pipe or link loop) stands there:
        // refused before anything is written, never replaced by a file.
        FileProblem notAFile = FileProblem::None;
    };
    SaveAsTarget saveAsTarget(const std::string& chosen) const;
    // Save as is about to write `name`; the file shows as pending meanwhile.
    void saveAsStarted(const std::string& name) { pendingFile_ = name; }
    // Save as wrote `name` (true) or failed (false: the shown file stays the target).
    void saveAsFinished(const std::string& name, bool written);

    // ---- closing
    // The next close ends the program (Exit, the tray's Close, the end of the desktop session,
    // an open that replaces the shown database).
    void requestQuit() { quitOnNextClose_ = true; }
    // What a close means; `closeEndsProgram` is the user's choice, `trayAvailable` whether a
    // hidden window could be shown again.
    CloseStep closeStep(bool closeEndsProgram, bool trayAvailable);
    // The save question of a close was answered; `save` runs Save and tells whether it
    // succeeded. True: closing may go on.
    bool closeAnswered(SaveAnswer answer, const std::function<bool()>& save) const;

    // ---- state
    const std::string& pendingFile() const { return pendingFile_; }
    const std::string& shownFile() const { return shownFile_; }
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    bool loaded() const { return loaded_; }
    void setLoaded(bool loaded) { loaded_ = loaded; }
    LaunchState launchState() const { return launchState_; }
    void setLaunchState(LaunchState state) { launchState_ = state; }
    // The software image the connection wizard sends without asking ("" for none).
    const std::string& upgradeFile() const { return upgradeFile_; }
    void setUpgradeFile(std::string file) { upgradeFile_ = std::move(file); }

private:
    bool exists(const std::string& path) const;

    FileExists fileExists_;
    FileStamp shownStamp_;  // the shown file as it was on disk when opened or saved
    std::string pendingFile_;
    std::string shownFile_;
    std::string upgradeFile_;
    std::string missingCommandLineFile_;
    bool modified_ = false;
    bool loaded_ = false;
    bool quitOnNextClose_ = false;
    LaunchState launchState_ = LaunchState::Normal;
};

} // namespace cs::app
