#include "app/document_session.h"

#include "desktop/desktop_shell.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace cs::app {

namespace fs = std::filesystem;

namespace {

std::string upperExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

std::string fileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::string absoluteName(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code ec;
    const fs::path whole = fs::absolute(fs::path(path), ec);
    return ec ? path : whole.lexically_normal().string();
}

std::string withDatabaseExtension(std::string name) {
    if (fileNameOf(name).find('.') == std::string::npos)
        name += ".dsp";
    return name;
}

DocumentSession::DocumentSession(FileExists fileExists) : fileExists_(std::move(fileExists)) {}

bool DocumentSession::exists(const std::string& path) const {
    if (path.empty())
        return false;
    if (fileExists_)
        return fileExists_(path);
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool DocumentSession::readCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return false;
    const std::string& first = arguments.front();
    if (first == kAutorunArgument)
        return true;
    if (!exists(first))
        missingCommandLineFile_ = first;
    else if (upperExtension(first) == ".DSP") {
        launchState_ = LaunchState::WithFile;
        pendingFile_ = absoluteName(first);
    }
    return false;
}

std::string DocumentSession::takeMissingCommandLineFile() {
    std::string missing;
    missing.swap(missingCommandLineFile_);
    return missing;
}

std::optional<ChosenFile> DocumentSession::chooseFile(const std::string& name) const {
    if (name.empty())
        return std::nullopt;
    ChosenFile chosen;
    chosen.name = withDatabaseExtension(name);
    chosen.askReopenShown = chosen.name == shownFile_;
    chosen.exists = exists(chosen.name);
    chosen.import = upperExtension(chosen.name) == ".DSX";
    chosen.askReopenShown = chosen.askReopenShown && !chosen.import;
    return chosen;
}

std::optional<ChosenFile> DocumentSession::chooseRecentFile(const std::string& entry) const {
    if (entry == shownFile_)
        return std::nullopt;
    return chooseFile(entry);
}

DropAction DocumentSession::decideDrop(const std::vector<std::string>& paths) const {
    // Only the first file of a drop counts, taken whole whatever its length.
    if (paths.empty() || !exists(paths.front()))
        return DropAction::Ignore;
    const std::string ext = upperExtension(paths.front());
    if (ext == ".DSP")
        return DropAction::Open;
    if (ext == ".DSX" && loaded_)
        return DropAction::Import;
    return DropAction::Ignore;
}

OpenOutcome DocumentSession::openFinished(OpenResult result, bool firstRun, bool hasRecentFiles,
                                          std::size_t damagedRecords) {
    OpenOutcome outcome;
    outcome.file = pendingFile_;
    const LaunchState launchedAs = launchState_;
    launchState_ = LaunchState::Normal;

    if (firstRun) {
        // The first run registers the file type and starts the connection wizard whatever the
        // file was. A database the user named on the command line (a double-click on it) is
        // still shown afterwards; the start-up default is not.
        outcome.registerFileType = true;
        outcome.wizard = WizardMode::FirstRun;
        if (!(launchedAs == LaunchState::WithFile && result == OpenResult::Loaded)) {
            pendingFile_ = shownFile_;
            return outcome;
        }
    }
    if (result == OpenResult::Loaded) {
        shownFile_ = pendingFile_;
        shownStamp_ = fileStamp(shownFile_);
        outcome.showDatabase = true;
        outcome.damagedRecords = damagedRecords;
        return outcome;
    }

    // Whatever else happened, the shown database and its file name stay; a save can never go
    // to the file that failed to load or was handed to another window.
    pendingFile_ = shownFile_;
    switch (result) {
    case OpenResult::NoFile:
        // A missing start-up default is not worth a message on a machine that never opened one.
        if (hasRecentFiles)
            outcome.message = OpenOutcome::Message::FileMissing;
        break;
    case OpenResult::Software:
        if (launchedAs == LaunchState::WithFile)
            launchState_ = LaunchState::SoftwareHandedOver;
        upgradeFile_ = outcome.file;
        outcome.wizard = WizardMode::SoftwareUpgrade;
        break;
    case OpenResult::PictureStore:
        outcome.imageManager = outcome.file;
        break;
    default:
        outcome.message = OpenOutcome::Message::NotADatabase;
        break;
    }
    return outcome;
}

SaveStep DocumentSession::saveStep() const {
    if (!modified_)
        return SaveStep::NothingToDo;
    // The shown database goes back to its own file, never to one merely asked for.
    if (shownFile_.empty() || !loaded_)
        return SaveStep::NotPossible;
    return SaveStep::Write;
}

DocumentSession::SaveAsTarget DocumentSession::saveAsTarget(const std::string& chosen) const {
    SaveAsTarget target;
    target.name = withDatabaseExtension(chosen);
    target.notAFile = outputProblem(target.name);
    target.askOverwrite = target.notAFile == FileProblem::None && exists(target.name);
    return target;
}

void DocumentSession::saved() {
    modified_ = false;
    shownStamp_ = fileStamp(shownFile_);
}

bool DocumentSession::changedOnDisk() const {
    if (shownFile_.empty() || !loaded_)
        return false;
    // A file that is gone holds nobody's change: the save writes it again (or says why not).
    const FileStamp now = fileStamp(shownFile_);
    return now.exists && now != shownStamp_;
}

void DocumentSession::saveAsFinished(const std::string& name, bool written) {
    if (!written) {
        pendingFile_ = shownFile_;
        return;
    }
    shownFile_ = name;
    saved();
}

CloseStep DocumentSession::closeStep(bool closeEndsProgram, bool trayAvailable) {
    const bool ending = quitOnNextClose_ || closeEndsProgram || !trayAvailable;
    quitOnNextClose_ = false;
    // Without a notification area a hidden window could never be shown again, so closing
    // ends the program there.
    if (!ending)
        return CloseStep::HideToTray;
    return modified_ ? CloseStep::AskToSave : CloseStep::Close;
}

bool DocumentSession::closeAnswered(SaveAnswer answer, const std::function<bool()>& save) const {
    switch (answer) {
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::Yes:
        return save();  // a failed save keeps the window and the changes
    case SaveAnswer::No:
        return true;
    }
    return false;
}

} // namespace cs::app
