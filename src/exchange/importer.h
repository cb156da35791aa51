#pragma once
// importFile: what happens to an import file dropped on the main window while a database is
// open. It is read and checked, the chooser is shown, and the chosen components are applied.
#include "exchange/import_apply.h"
#include "exchange/import_texts.h"

#include <functional>
#include <string>
#include <string_view>

namespace cs {

// Shows the chooser for a read file; returns true when the user confirmed a selection.
using ChooseComponents = std::function<bool(ImportChooser& chooser, const ImportFile& file)>;

struct ImportResult {
    ImportReadResult failure = kImportRead;  // kImportNoAccess or kImportNotInterpreted: nothing changed
    std::string message;        // the failure's message, for a message box with `caption`
    std::string caption;
    bool confirmed = false;     // false: the chooser was cancelled and nothing changed
    ImportReport report;
};

// Whether a dropped file is an import file: its extension is ".dsx" in any letter case.
bool hasImportExtension(std::string_view path);

ImportResult importFile(const std::string& path, ChannelDatabase& database, const ChooseComponents& choose);

} // namespace cs
