#pragma once
// Opening and saving a database as the editor does, for the commands that read or edit one.
#include "common/file_lock.h"
#include "common/log_sink.h"
#include "common/regular_file.h"
#include "database/channel_database.h"
#include "image/flash.h"

#include <cstdio>
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
    FileLock lock;  // held from before the open to after the save of a command that saves in place
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
};

// Opens `path`; when no database loads, prints the message to standard error and returns false.
bool openDatabase(DatabaseSession& session, const std::string& path, bool namesKind);

// The output path that stands for standard output.
inline constexpr const char* kStandardOutput = "-";

// An output that exists and is not a regular file (a device, FIFO, folder, socket or link loop)
// is refused before anything is written: prints what it is and returns false (exit kWriteFailed).
// `allowStdout`: "-" writes to standard output.
bool outputAllowed(const std::string& path, bool allowStdout);

// Takes the advisory lock on `path` for a command that reads, changes and saves it, waiting
// briefly while another program saves it; false (with the message printed) when it stays in use.
bool lockForUpdate(DatabaseSession& session, const std::string& path);

// Where a command's JSON summary goes: standard error when the saved file itself went to
// standard output.
std::FILE* summaryStream(const std::string& target);

// Saves the open database to `target` as the editor's Save (keepBackup: in place, keeping the
// ".BAK") or Save as does ("-": to standard output), prints the result as JSON and returns the
// exit code. Damaged channel records the save drops are reported on standard error.
int saveDatabase(Flash& flash, const std::string& target, bool keepBackup);
// The same save without the JSON: problems go to standard error; kOk or kWriteFailed.
int writeDatabase(Flash& flash, const std::string& target, bool keepBackup);
// The JSON value of the backup a save made: its path, or null.
std::string backupJson(const Flash& flash, const std::string& target);

// Selects the provider view of provider code `code` (2 the unknown provider, k+3 the provider at
// position k of the provider list) as the tree does; an error text for a code the file lacks.
std::optional<std::string> chooseProviderView(ChannelDatabase& db, long code, ViewSettings& view);

} // namespace cs::cli
