#include "reference/reference_file.h"

#include "common/log_sink.h"
#include "database/channel_database.h"

#include <string_view>

namespace cs {

ReferenceFileResult readReferenceFile(const std::string& path) {
    ReferenceFileResult result;
    {
        // Checked before anything is read: never waits on a FIFO, never reads a huge file.
        const RegularFile file(path);
        if (!file.ok() && file.problem() != FileProblem::Missing) {
            result.problem = file.problem() == FileProblem::Unreadable ? ReferenceFileProblem::Unreadable
                                                                       : ReferenceFileProblem::NotRegular;
            result.fileProblem = file.problem();
            return result;
        }
        if (file.ok() && file.size() > kMaxReferenceFileSize) {
            result.problem = ReferenceFileProblem::TooLarge;
            result.fileProblem = FileProblem::TooLarge;
            return result;
        }
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
    FileContent text = readRegularFile(path, kMaxReferenceFileSize);
    if (!text.bytes) {
        result.problem = text.problem == FileProblem::TooLarge ? ReferenceFileProblem::TooLarge
                                                               : ReferenceFileProblem::Unreadable;
        result.fileProblem = text.problem;
        return result;
    }
    CsvReadResult csv =
        readReferenceCsv(std::string_view(reinterpret_cast<const char*>(text.bytes->data()), text.bytes->size()));
    text.bytes.reset();
    if (!csv.ok()) {
        result.problem = ReferenceFileProblem::BadList;
        result.csvError = std::move(csv.error);
        return result;
    }
    result.list = std::move(csv.list);
    return result;
}

} // namespace cs
