#include "reference/reference_file.h"

#include "common/log_sink.h"
#include "database/channel_database.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace cs {

ReferenceFileResult readReferenceFile(const std::string& path) {
    ReferenceFileResult result;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        result.problem = ReferenceFileProblem::NotRegular;
        result.fileProblem = std::filesystem::is_directory(status) ? FileProblem::Folder
                             : std::filesystem::is_fifo(status)    ? FileProblem::NamedPipe
                             : std::filesystem::is_socket(status)  ? FileProblem::Socket
                                                                   : FileProblem::Device;
        return result;
    }
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
    result.opened = flash.openImage(path);
    if (result.opened == OpenResult::Loaded) {
        result.list = referenceFromDatabase(db);
        return result;
    }
    if (result.opened == OpenResult::NoFile || result.opened == OpenResult::Software ||
        result.opened == OpenResult::PictureStore) {
        result.problem = ReferenceFileProblem::NotDatabase;
        result.fileProblem = flash.openProblem();
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        result.problem = ReferenceFileProblem::Unreadable;
        return result;
    }
    CsvReadResult csv = readReferenceCsv(text.str());
    if (!csv.ok()) {
        result.problem = ReferenceFileProblem::BadList;
        result.csvError = std::move(csv.error);
        return result;
    }
    result.list = std::move(csv.list);
    return result;
}

} // namespace cs
