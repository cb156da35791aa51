#include "exchange/import_texts.h"

#include "exchange/import_file.h"

namespace cs {

std::string lookupText(const TextLookup& lookup, std::string_view key, std::string_view english) {
    if (lookup) {
        std::string text = lookup(key);
        if (!text.empty() && text != "?")
            return text;
    }
    return std::string(english);
}

std::string importFailureMessage(int failure, std::string_view fileName, const TextLookup& lookup) {
    switch (failure) {
    case kImportNoAccess:
        return lookupText(lookup, "MsgNoAccessToFile", "No access to the file") + " " + std::string(fileName);
    case kImportNotInterpreted:
        return lookupText(lookup, "MsgFile", "File") + " " + std::string(fileName) + " " +
               lookupText(lookup, "MsgFileNotInterpreted", "was not interpreted correctly");
    default:
        return {};
    }
}

std::string importFailureCaption(const TextLookup& lookup) { return lookupText(lookup, "MsgErrorFile", "File error"); }

} // namespace cs
