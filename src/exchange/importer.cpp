#include "exchange/importer.h"

#include <filesystem>

namespace cs {

bool hasImportExtension(std::string_view path) {
    constexpr std::string_view kExtension = ".dsx";
    if (path.size() < kExtension.size())
        return false;
    const std::string_view tail = path.substr(path.size() - kExtension.size());
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        const char c = tail[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kExtension[i])
            return false;
    }
    return true;
}

ImportResult importFile(const std::string& path, ChannelDatabase& database, const ChooseComponents& choose) {
    ImportResult result;
    ImportFile file;
    result.failure = readImportFile(path, file);
    if (result.failure != kImportRead) {
        result.message = importFailureMessage(result.failure, std::filesystem::path(path).filename().string());
        result.caption = importFailureCaption();
        return result;
    }
    ImportChooser chooser(file);
    result.confirmed = choose && choose(chooser, file) && chooser.confirmed();
    if (result.confirmed)
        result.report = applyImport(file, chooser, database);
    return result;
}

} // namespace cs
