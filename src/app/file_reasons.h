#pragma once
// Why a database file could not be opened or saved, as the window says it: the reasons of the
// command-line tool (fileProblemText, the save errors of the image), each as a language key so
// that it reads in the chosen language. The English texts of the keys are those reasons.
#include <string>
#include <string_view>

#include "common/regular_file.h"

namespace cs::app {

// The key of what is wrong with a file that was to be read ("MsgFileNotExisting" for a missing one).
std::string_view fileProblemKey(FileProblem problem);

// What is wrong with `path` for reading it now; None for a readable regular file.
FileProblem fileProblemOf(const std::string& path);

// The key of why a save failed: no room, a read-only disk, no permission, or a backup that could
// not be made. Empty when the system's error number is none of those: the image's own text says it.
std::string_view saveFailureKey(int errorNumber, bool backupRefused);

} // namespace cs::app
