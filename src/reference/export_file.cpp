#include "reference/export_file.h"

#include "common/atomic_file.h"
#include "reference/reference_list.h"

#include <array>

namespace cs {

std::string csvFileNameFor(std::string_view caption) {
    std::string name;
    for (char c : caption) {
        const auto u = static_cast<unsigned char>(c);
        const bool unsafe = u < 32 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
                            c == '<' || c == '>' || c == '|';
        name += unsafe ? '_' : c;
    }
    const auto first = name.find_first_not_of(" ._");
    name = first == std::string::npos ? std::string() : name.substr(first);
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    return (name.empty() ? std::string("channels") : name) + ".csv";
}

std::filesystem::path withCsvExtension(const std::filesystem::path& path) {
    if (path.has_filename() && !path.filename().has_extension()) {
        std::filesystem::path withExtension = path;
        withExtension += ".csv";
        return withExtension;
    }
    return path;
}

CsvExportResult writeReferenceCsvFile(const ChannelDatabase& db, std::span<const std::uint16_t> slots,
                                      const std::filesystem::path& path) {
    const std::string csv = exportReferenceCsv(db, slots);
    const std::array<std::span<const std::uint8_t>, 1> parts = {
        std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size())};
    const AtomicWriteResult written = writeFileAtomically(path, parts, AtomicWriteOptions{});
    CsvExportResult result;
    result.ok = written.ok;
    result.channels = written.ok ? slots.size() : 0;
    result.error = written.error;
    if (!written.ok && result.error.empty())
        result.error = "the file could not be written";
    return result;
}

} // namespace cs
