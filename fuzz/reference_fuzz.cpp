// Fuzz target of CSV reference lists: any bytes either read as a list or give an error naming a
// line; a list read comes back ordered by position, with its fields in their ranges.
#include "reference/reference_list.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace cs;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CsvReadResult read = readReferenceCsv(text);
    if (!read.ok()) {
        check(read.error.rfind("line ", 0) == 0);
        check(read.list.channels.empty());
        return 0;
    }
    const auto& channels = read.list.channels;
    check(channels.size() <= kMaxReferenceRows);
    check(std::is_sorted(channels.begin(), channels.end(),
                         [](const ReferenceChannel& a, const ReferenceChannel& b) { return a.position < b.position; }));
    for (const ReferenceChannel& ch : channels) {
        check(ch.position >= 1);
        check(ch.satellite >= 1 && ch.satellite <= 65);
        check(ch.polarisation <= 1);
    }
    return 0;
}
