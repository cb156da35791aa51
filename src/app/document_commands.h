#pragma once
// Opening, saving and closing the shown database, carried out for the main window: the
// DocumentSession decides, these ask the user, show the messages, load and write the image and
// report the answers back to the session.
#include <optional>
#include <string>
#include <vector>

#include "app/document_session.h"
#include "common/regular_file.h"
#include "image/flash.h"

namespace cs::app {

class MainWindow;

class DocumentCommands {
public:
    explicit DocumentCommands(MainWindow& window) : window_(window) {}

    // Opens the pending file (the deferred open), asking to save the shown one first.
    void openPendingFile();
    void openWithDialog();
    void openRecentFile(int entry);  // 1..4
    // Files dropped from the file manager (the first of a drop counts).
    void filesDropped(const std::vector<std::string>& paths);
    void save();
    void saveAs();
    // Whether the window may close; `fromWindow` is false when an open asks before replacing
    // the shown database. False also when it hid in the notification area instead.
    bool queryClose(bool fromWindow);

private:
    void showOpenOutcome(const OpenOutcome& outcome);
    // Opens a file chosen in the Open dialog or the recent-files menu.
    void openChosenFile(const std::optional<ChosenFile>& chosen);
    // An import file chosen in the Open dialog goes into the shown database.
    void importChosenFile(const ChosenFile& chosen);
    // Save of the shown database; true when it is saved or nothing was modified.
    bool saveDatabase();
    SaveResult writeDatabase(const std::string& path, bool keepBackup);
    // "File <name> <why>": why the file cannot be opened, in the words of the command-line tool;
    // `known` is what the open found, otherwise the file is looked at now.
    std::string cannotOpenText(const std::string& path, FileProblem known = FileProblem::None) const;
    // A failed save: the file, the reason in the user's language and the image's own words.
    void tellSaveFailed(const std::string& target);
    // Said once after an open whose settings area failed its check.
    void tellDamagedSettingsArea();

    MainWindow& window_;
};

} // namespace cs::app
