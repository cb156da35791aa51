#include "app/file_reasons.h"

#include <cerrno>

namespace cs::app {

std::string_view fileProblemKey(FileProblem problem) {
    switch (problem) {
    case FileProblem::None: return {};
    case FileProblem::Missing: return "MsgFileNotExisting";
    case FileProblem::Folder: return "MsgFileIsFolder";
    case FileProblem::NamedPipe: return "MsgFileIsNamedPipe";
    case FileProblem::Device: return "MsgFileIsDevice";
    case FileProblem::Socket: return "MsgFileIsSocket";
    case FileProblem::LinkLoop: return "MsgFileIsLinkLoop";
    case FileProblem::Unreadable: return "MsgFileCannotBeRead";
    case FileProblem::TooLarge: return "MsgFileTooLarge";
    }
    return {};
}

FileProblem fileProblemOf(const std::string& path) {
    // Opened without waiting, like every read of the program: a FIFO or a device is only named.
    return RegularFile(path).problem();
}

std::string_view saveFailureKey(int errorNumber, bool backupRefused) {
    if (backupRefused)
        return "MsgSaveNoBackup";
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return "MsgSaveNoRoom";
    case EROFS: return "MsgSaveReadOnly";
    case EACCES:
    case EPERM: return "MsgSaveNotAllowed";
    default: return {};
    }
}

} // namespace cs::app
