#include "app/document_commands.h"

#include "app/main_window.h"
#include "app/file_reasons.h"
#include "app/main_window_texts.h"
#include "app/window_placement.h"
#include "common/file_lock.h"
#include "widgets/busy_cursor.h"
#include "widgets/file_dialogs.h"
#include "widgets/message_box.h"

#include <algorithm>
#include <filesystem>

namespace cs::app {

namespace {

using widgets::BusyCursor;
using widgets::messageBox;
using widgets::MessageAnswer;

// Filter of the open and save dialogs: the file type's name in the active language.
std::string databaseFilter(const MainWindow& window) { return window.text("FileTypeDatabase") + " (*.dsp)|*.dsp"; }
// Open also takes import files, which go into the shown database.
std::string openFilter(const MainWindow& window) {
    return databaseFilter(window) + "|" + window.text("FileTypeImport") + " (*.dsx)|*.dsx";
}

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string folderPart(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

} // namespace

void DocumentCommands::openPendingFile() {
    window_.deferredTimer_.stop();
    // A file named on the command line that is not there is said once; the start goes on with
    // the usual start-up file.
    if (const std::string missing = window_.session_.takeMissingCommandLineFile(); !missing.empty())
        messageBox(cannotOpenText(missing), window_.text("MsgErrorFile"), widgets::kStopOk, &window_);
    if (!window_.session_.openPending())
        return;
    // Replacing the shown database is a close of it, whatever closing the window means.
    window_.session_.requestQuit();
    if (!queryClose(false)) {
        // Cancel keeps the shown database and forgets the request.
        window_.session_.openCancelled();
        return;
    }

    OpenResult result = OpenResult::NoFile;
    {
        BusyCursor busy;
        window_.setWindowTitle(qs(window_.text("TextLoading") + " " + window_.session_.pendingFile()));
        window_.log_.clear();
        result = window_.flash_->openImage(window_.session_.pendingFile());
        logf(window_.log_, "Error: %d", static_cast<int>(result));
        if (window_.session_.loaded())
            window_.refreshTitle();
        else
            window_.setWindowTitle(qs(window_.text(kTitleKey) + "  " + std::string(kVersionText)));
    }

    const bool firstRun = !window_.storedSettings_.settingsFound;
    window_.storedSettings_.settingsFound = true;
    const bool hasRecentFiles = std::any_of(window_.storedSettings_.recentFiles.begin(), window_.storedSettings_.recentFiles.end(),
                                            [](const std::string& f) { return !f.empty(); });
    showOpenOutcome(window_.session_.openFinished(result, firstRun, hasRecentFiles, window_.flash_->damagedRecords()));
}

void DocumentCommands::showOpenOutcome(const OpenOutcome& outcome) {
    if (outcome.registerFileType)
        window_.registerFileType();
    if (outcome.wizard && *outcome.wizard == WizardMode::FirstRun)
        window_.openConnectionWizard(WizardMode::FirstRun);
    if (outcome.showDatabase) {
        window_.loadSucceeded();
        tellDamagedSettingsArea();
        // Said once: records opening left out as damaged are gone at the first save.
        if (outcome.damagedRecords > 0)
            messageBox(std::to_string(outcome.damagedRecords) + " " + window_.text("MsgDamagedRecords"),
                       window_.text("TextInformation"), widgets::kWarningOk, &window_);
        return;
    }
    if (outcome.wizard && *outcome.wizard != WizardMode::FirstRun)
        window_.openConnectionWizard(*outcome.wizard);
    if (outcome.imageManager) {
        window_.closeFindDialog();
        if (window_.options_.hooks.openImageManager)
            window_.options_.hooks.openImageManager(window_, *outcome.imageManager);
    }
    std::string error;
    switch (outcome.message) {
    case OpenOutcome::Message::None:
        break;
    case OpenOutcome::Message::FileMissing:
        error = cannotOpenText(outcome.file, window_.flash_->openProblem());
        break;
    case OpenOutcome::Message::NotADatabase:
        // A file that could not be read at all says why; one that was read is no database.
        error = window_.flash_->openProblem() != FileProblem::None
                    ? cannotOpenText(outcome.file, window_.flash_->openProblem())
                    : window_.text("MsgFile") + " " + fileNameOf(outcome.file) + " " + window_.text("MSgFileNotCorrectFormatBase");
        break;
    }
    if (!error.empty())
        messageBox(error, window_.text("MsgErrorFile"), widgets::kStopOk, &window_);
    window_.refreshFilePanel();
}

void DocumentCommands::openWithDialog() {
    window_.closeFindDialog();
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Open;
    request.filter = openFilter(window_);
    request.initialFolder = window_.storedSettings_.loadFolder;
    request.defaultExtension = "*.dsp";
    request.fileMustExist = true;
    request.parent = &window_;
    const std::string chosen = widgets::fileDialogs().run(request).value_or(std::string());
    if (!chosen.empty())
        window_.storedSettings_.loadFolder = folderPart(chosen);
    openChosenFile(window_.session_.chooseFile(chosen));
}

void DocumentCommands::openChosenFile(const std::optional<ChosenFile>& chosen) {
    if (!chosen)
        return;
    if (chosen->import) {
        importChosenFile(*chosen);
        return;
    }
    if (chosen->askReopenShown &&
        messageBox(window_.text("MsgFileCurrentFileIsOpen"), window_.text("MsgErrorFile"), widgets::kQuestionYesNo, &window_) ==
            MessageAnswer::No)
        return;
    if (chosen->exists)
        window_.openFileLater(chosen->name);
    else
        messageBox(cannotOpenText(chosen->name), window_.text("MsgErrorFile"), widgets::kStopOk, &window_);
}

void DocumentCommands::importChosenFile(const ChosenFile& chosen) {
    if (!chosen.exists)
        messageBox(cannotOpenText(chosen.name), window_.text("MsgErrorFile"), widgets::kStopOk, &window_);
    else if (!window_.session_.loaded())
        // Components are imported into a shown database; without one there is nothing to merge into.
        messageBox(window_.text("MsgFile") + " " + fileNameOf(chosen.name) + " " + window_.text("MSgFileNotCorrectFormatBase"),
                   window_.text("MsgErrorFile"), widgets::kStopOk, &window_);
    else if (window_.options_.hooks.importFile)
        window_.options_.hooks.importFile(window_, chosen.name);
}

void DocumentCommands::openRecentFile(int entry) {
    if (entry < 1 || entry > static_cast<int>(kRecentFileCount))
        return;
    const auto chosen = window_.session_.chooseRecentFile(window_.storedSettings_.recentFiles[static_cast<std::size_t>(entry - 1)]);
    if (!chosen)
        return;
    window_.closeFindDialog();
    openChosenFile(chosen);
}

void DocumentCommands::filesDropped(const std::vector<std::string>& paths) {
    switch (window_.session_.decideDrop(paths)) {
    case DropAction::Ignore:
        break;
    case DropAction::Open:
        window_.openFileLater(paths.front());
        break;
    case DropAction::Import:
        if (window_.options_.hooks.importFile)
            window_.options_.hooks.importFile(window_, paths.front());
        break;
    }
}

SaveResult DocumentCommands::writeDatabase(const std::string& path, bool keepBackup) {
    BusyCursor busy;
    return window_.flash_->saveImage(path, keepBackup);
}

bool DocumentCommands::saveDatabase() {
    switch (window_.session_.saveStep()) {
    case SaveStep::NothingToDo:
        return true;
    case SaveStep::NotPossible:
        return false;
    case SaveStep::Write:
        break;
    }
    const std::string target = window_.session_.saveTarget();
    // A command saving the same file at this moment finishes first; one that holds it longer is
    // named, and nothing is written over its work.
    const FileLock lock = FileLock::acquire(target, kFileLockWait);
    if (lock.status() == FileLock::Status::Busy) {
        messageBox(window_.text("MsgFileCantSave") + " " + target + "\n" + lock.busyText(target),
                   window_.text("MsgFileSaveError"), widgets::kStopOk, &window_);
        return false;
    }
    // Another program changed the file since it was opened here: overwrite, reload or save as.
    if (window_.session_.changedOnDisk()) {
        const MessageAnswer answer =
            messageBox(window_.text("MsgFile") + " " + fileNameOf(target) + " " + window_.text("MsgFileChangedOnDisk"),
                       window_.text("TextInformation"), widgets::kQuestionYesNoCancel, &window_);
        if (answer == MessageAnswer::No) {
            window_.setModified(false);
            window_.openFileLater(target);
            return false;
        }
        if (answer != MessageAnswer::Yes) {
            saveAs();
            return !window_.session_.modified();
        }
    }
    const SaveResult result = writeDatabase(target, true);
    if (result != SaveResult::Saved) {
        tellSaveFailed(target);
        return false;
    }
    window_.setModified(false);
    window_.session_.saved();
    return true;
}

void DocumentCommands::save() { saveDatabase(); }

void DocumentCommands::saveAs() {
    window_.closeFindDialog();
    if (!window_.session_.loaded())
        return;
    widgets::FileDialogRequest request;
    request.kind = widgets::FileDialogKind::Save;
    request.filter = databaseFilter(window_);
    request.initialFolder = window_.storedSettings_.saveFolder;
    request.defaultExtension = "dsp";
    request.overwritePrompt = false;  // asked below, in the program's words
    request.parent = &window_;
    const std::optional<std::string> chosen = widgets::fileDialogs().run(request);
    if (!chosen || chosen->empty())
        return;
    window_.storedSettings_.saveFolder = folderPart(*chosen);
    const auto [name, askOverwrite, notAFile] = window_.session_.saveAsTarget(*chosen);
    if (notAFile != FileProblem::None) {
        messageBox(window_.text("MsgFile") + " " + fileNameOf(name) + " " + window_.text("MsgFileNotAFile"),
                   window_.text("MsgFileSaveError"), widgets::kStopOk, &window_);
        return;
    }
    if (askOverwrite) {
        const std::string question = cs::format("%s '%s' %s", window_.text("MsgFile").c_str(), fileNameOf(name).c_str(),
                                                window_.text("MsgExistingOverwrite").c_str());
        if (messageBox(question, window_.text("TextInformation"), widgets::kQuestionYesNo, &window_) == MessageAnswer::No)
            return;
    }
    window_.session_.saveAsStarted(name);
    const bool written = writeDatabase(name, false) == SaveResult::Saved;
    window_.session_.saveAsFinished(name, written);
    if (!written) {
        tellSaveFailed(name);
        window_.refreshFilePanel();
        return;
    }
    window_.setModified(false);
}

bool DocumentCommands::queryClose(bool fromWindow) {
    switch (window_.session_.closeStep(window_.storedSettings_.flag(settings_flags::kCloseEndsProgram), window_.trayAvailable())) {
    case CloseStep::Close:
        return true;
    case CloseStep::HideToTray:
        window_.placement_->hideToTray(qs(window_.text(kTitleKey)));
        return false;
    case CloseStep::AskToSave:
        break;
    }
    if (fromWindow && (!window_.isVisible() || window_.isMinimized()))
        window_.showFromTray();
    const std::string question = window_.text("MsgSaveBaseDataToFile") + " " + fileNameOf(window_.session_.shownFile()) + " ?";
    SaveAnswer answer = SaveAnswer::No;
    switch (messageBox(question, window_.text("MsgSaveChanged"), widgets::kQuestionYesNoCancel, &window_)) {
    case MessageAnswer::Yes:
        answer = SaveAnswer::Yes;
        break;
    case MessageAnswer::Cancel:
        answer = SaveAnswer::Cancel;
        break;
    default:
        break;
    }
    return window_.session_.closeAnswered(answer, [this] { return saveDatabase(); });
}

std::string DocumentCommands::cannotOpenText(const std::string& path, FileProblem known) const {
    FileProblem problem = known != FileProblem::None ? known : fileProblemOf(path);
    if (problem == FileProblem::None)
        problem = FileProblem::Missing;  // gone again since it was looked at
    return window_.text("MsgFile") + " " + fileNameOf(path) + " " + window_.text(fileProblemKey(problem));
}

void DocumentCommands::tellSaveFailed(const std::string& target) {
    const SaveReport& report = window_.flash_->lastSave();
    const std::string_view key = saveFailureKey(report.errorNumber, report.backupRefused);
    std::string text = window_.text("MsgFileCantSave") + " " + target;
    if (!key.empty())
        text += "\n" + window_.text(key);
    if (!report.error.empty())
        text += "\n" + report.error;
    messageBox(text, window_.text("MsgFileSaveError"), widgets::kStopOk, &window_);
}

void DocumentCommands::tellDamagedSettingsArea() {
    if (window_.flash_->image().settingsAreaDamaged())
        messageBox(window_.text("MsgSettingsAreaDamaged"), window_.text("TextInformation"), widgets::kWarningOk, &window_);
}

} // namespace cs::app
