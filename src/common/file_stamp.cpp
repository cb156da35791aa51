#include "common/file_stamp.h"

#include "common/regular_file.h"

#include <sys/stat.h>

namespace cs {

FileStamp fileStamp(const std::string& path) {
    FileStamp stamp;
    const RegularFile file(path);
    if (!file.ok())
        return stamp;
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    std::uint64_t hash = 14695981039346656037ull;
    std::uint8_t buffer[65536];
    for (std::uint64_t offset = 0;;) {
        const std::size_t n = file.readAt(offset, buffer, sizeof buffer);
        for (std::size_t i = 0; i < n; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
        offset += n;
        if (n < sizeof buffer)
            break;
    }
    stamp.contentHash = hash;
    return stamp;
}

} // namespace cs
