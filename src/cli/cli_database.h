#pragma once
// Opening and saving a database as the editor does, for the commands that read or edit one.
#include "common/log_sink.h"
#include "common/regular_file.h"
#include "database/channel_database.h"
#include "image/flash.h"

#include <optional>
#include <string>

namespace cs::cli {

// The last component of `path`, as the editor's messages name a file.
std::string fileName(const std::string& path);

// The editor's English message for an open that did not load a database. With `namesKind` a
// software image or a picture store is named as such; without it every file that is no
// database is "not a valid format".
// A path that is not a regular file (`problem`) is named as what it is.
std::string openFailureText(OpenResult result, const std::string& path, bool namesKind,
                            FileProblem problem = FileProblem::None);

// A flash image with its in-memory database. The database is attached before anything is
// opened, so it follows every load and save of the flash.
struct DatabaseSession {
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
};

// Opens `path`; when no database loads, prints the message to standard error and returns false.
bool openDatabase(DatabaseSession& session, const std::string& path, bool namesKind);

// Saves the open database to `target` as the editor's Save (keepBackup: in place, keeping the
// ".BAK") or Save as does, prints the result as JSON and returns the exit code.
int saveDatabase(Flash& flash, const std::string& target, bool keepBackup);
// The same save without the JSON: problems go to standard error; kOk or kWriteFailed.
int writeDatabase(Flash& flash, const std::string& target, bool keepBackup);
// The JSON value of the backup a save made: its path, or null.
std::string backupJson(const Flash& flash, const std::string& target);

// Selects the provider view of provider code `code` (2 the unknown provider, k+3 the provider at
// position k of the provider list) as the tree does; an error text for a code the file lacks.
std::optional<std::string> chooseProviderView(ChannelDatabase& db, long code, ViewSettings& view);

} // namespace cs::cli
