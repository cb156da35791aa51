#pragma once
// Reading a reference from a file: another database when the file opens as one, otherwise a CSV
// list. The reason a file is refused comes back typed, so the command line and the window can
// each word it their own way.
#include "common/regular_file.h"
#include "image/flash.h"
#include "reference/reference_list.h"

#include <cstdint>
#include <optional>
#include <string>

namespace cs {

enum class ReferenceFileProblem {
    None,
    NotRegular,    // a folder, FIFO or device: refused before anything waits on it
    NotDatabase,   // a file that opened as something else than a database (see `opened`)
    Unreadable,    // the text of the file could not be read
    BadList,       // neither a database nor a CSV list (see `csvError`)
    TooLarge,      // larger than any real channel list (kMaxReferenceFileSize)
};

// No receiver's list comes near this as a CSV (8,000 channels take about 400 KB); a larger file
// is refused before it is read into memory.
inline constexpr std::uint64_t kMaxReferenceFileSize = 64u * 1024 * 1024;

struct ReferenceFileResult {
    std::optional<ReferenceList> list;
    ReferenceFileProblem problem = ReferenceFileProblem::None;
    OpenResult opened = OpenResult::NoFile;  // what opening as a database made of it
    FileProblem fileProblem = FileProblem::None;
    std::string csvError;  // BadList: what is wrong and on which line
    bool ok() const { return list.has_value(); }
};

ReferenceFileResult readReferenceFile(const std::string& path);

} // namespace cs
