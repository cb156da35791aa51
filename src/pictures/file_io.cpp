#include "pictures/file_io.h"

#include "common/atomic_file.h"
#include "common/regular_file.h"

namespace cs {

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path, std::size_t maxSize,
                                                       std::string& error) {
    FileContent content = readRegularFile(path, maxSize);
    if (!content.bytes)
        error = content.error;
    return std::move(content.bytes);
}

bool replaceFile(const std::string& path, ConstBytes data, std::string& error) {
    const std::span<const std::uint8_t> parts[] = {data};
    const AtomicWriteResult r = writeFileAtomically(path, parts, AtomicWriteOptions{});
    error = r.error;
    return r.ok;
}

} // namespace cs
