#include "cli_database.h"

#include "cli_args.h"
#include "command_registry.h"

#include "common/atomic_file.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace cs::cli {

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string openFailureText(OpenResult result, const std::string& path, bool namesKind, FileProblem problem) {
    const std::string name = fileName(path);
    if (problem != FileProblem::None && problem != FileProblem::Missing)
        return "File " + name + " " + fileProblemText(problem);
    if (result == OpenResult::NoFile)
        return "File " + name + " doesn't  exist";
    if (namesKind && result == OpenResult::Software)
        return "File " + name + " is a software or plug-in image, not a database";
    if (namesKind && result == OpenResult::PictureStore)
        return "File " + name + " is a picture store, not a database";
    return "File " + name + " is not a valid format for database programs";
}

bool openDatabase(DatabaseSession& session, const std::string& path, bool namesKind) {
    const OpenResult result = session.flash.openImage(path);
    if (result == OpenResult::Loaded)
        return true;
    std::fprintf(stderr, "%s\n", openFailureText(result, path, namesKind, session.flash.openProblem()).c_str());
    return false;
}

bool outputAllowed(const std::string& path, bool allowStdout) {
    if (path == kStandardOutput) {
        if (allowStdout)
            return true;
        std::fprintf(stderr, "this command cannot write its file to standard output (\"-\")\n");
        return false;
    }
    const FileProblem problem = outputProblem(path);
    if (problem == FileProblem::None)
        return true;
    std::fprintf(stderr, "%s %s; nothing was written\n", path.c_str(), fileProblemText(problem).c_str());
    return false;
}

bool lockForUpdate(DatabaseSession& session, const std::string& path) {
    session.lock = FileLock::acquire(path, kFileLockWait);
    if (session.lock.status() != FileLock::Status::Busy)
        return true;
    std::fprintf(stderr, "%s\n", session.lock.busyText(path).c_str());
    return false;
}

std::FILE* summaryStream(const std::string& target) { return target == kStandardOutput ? stderr : stdout; }

namespace {

// The saved file itself on standard output; its errors are found when the stream is checked
// at the end of the program.
bool writeToStandardOutput(Flash& flash) {
    std::vector<std::uint8_t> bytes;
    if (!flash.saveImageBytes(bytes)) {
        std::fprintf(stderr, "Write Error: %s\n", flash.lastSave().error.c_str());
        return false;
    }
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

} // namespace

int writeDatabase(Flash& flash, const std::string& target, bool keepBackup) {
    if (flash.damagedRecords() > 0)
        std::fprintf(stderr, "%zu damaged channel records are left out\n", flash.damagedRecords());
    if (target == kStandardOutput) {
        if (!writeToStandardOutput(flash))
            return kWriteFailed;
    } else if (flash.saveImage(target, keepBackup) != SaveResult::Saved) {
        std::fprintf(stderr, "Write Error: Unable to save file %s\n", target.c_str());
        if (!flash.lastSave().error.empty())
            std::fprintf(stderr, "%s\n", flash.lastSave().error.c_str());
        return kWriteFailed;
    }
    const SaveReport& report = flash.lastSave();
    if (report.providers.dropped > 0)
        std::fprintf(stderr,
                     "%zu providers did not fit into the receiver's provider table; %zu channels were saved "
                     "without a provider\n",
                     report.providers.dropped, report.providers.channelsUnassigned);
    return kOk;
}

std::string backupJson(const Flash& flash, const std::string& target) {
    // A link is saved through: its backup lies beside the file it points to.
    return flash.lastSave().backupMade ? jsonString(backupPathFor(resolveTarget(target)).string()) : std::string("null");
}

int saveDatabase(Flash& flash, const std::string& target, bool keepBackup) {
    if (const int code = writeDatabase(flash, target, keepBackup); code != kOk)
        return code;
    const SaveReport& report = flash.lastSave();
    std::string json = "{\"saved\": " + jsonString(target) + ", \"channels\": " + std::to_string(report.channelsWritten) +
                       ", \"providers\": " + std::to_string(report.providers.providers);
    json += ", \"backup\": " + backupJson(flash, target) + "}";
    std::fprintf(summaryStream(target), "%s\n", json.c_str());
    return kOk;
}

std::optional<std::string> chooseProviderView(ChannelDatabase& db, long code, ViewSettings& view) {
    // The provider list exists once the main list has been selected, as in the tree.
    ViewRequest main;
    db.selectChannels(main, view);
    db.refreshProviders(true, view);
    if (code == 2) {
        view.providerFilterMode = kProviderNone;
        return std::nullopt;
    }
    if (code >= 3 && static_cast<std::size_t>(code - 3) < db.providerCount()) {
        db.chooseSingleProvider(static_cast<std::size_t>(code - 3));
        view.providerFilterMode = kProviderSingle;
        return std::nullopt;
    }
    return "no provider with code " + std::to_string(code) + ": the file lists " + std::to_string(db.providerCount()) +
           " providers (codes 3 to " + std::to_string(db.providerCount() + 2) + ")";
}

} // namespace cs::cli
