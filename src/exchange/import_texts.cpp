#include "exchange/import_texts.h"

#include "exchange/import_file.h"

namespace cs {

// The receiver's import messages are fixed texts of the chooser's window, not language texts.
std::string importFailureMessage(ImportReadResult failure, std::string_view fileName) {
    switch (failure) {
    case kImportNoAccess:
        return "Brak dostępu do pliku " + std::string(fileName);
    case kImportNotInterpreted:
        return "Plik " + std::string(fileName) + " nie został poprawnie zinterpretowany";
    default:
        return {};
    }
}

std::string importFailureCaption() { return "Błąd pliku"; }

} // namespace cs
