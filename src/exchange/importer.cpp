#include "exchange/importer.h"

#include <filesystem>

namespace cs {

ImportResult importFile(const std::string& path, ChannelDatabase& database, const ChooseComponents& choose,
                        const TextLookup& lookup) {
    ImportResult result;
    ImportFile file;
    result.failure = readImportFile(path, file);
    if (result.failure != kImportRead) {
        result.message = importFailureMessage(result.failure, std::filesystem::path(path).filename().string(), lookup);
        result.caption = importFailureCaption(lookup);
        return result;
    }
    ImportChooser chooser(file);
    result.confirmed = choose && choose(chooser, file) && chooser.confirmed();
    if (result.confirmed)
        result.report = applyImport(file, chooser, database);
    return result;
}

} // namespace cs
