#include "exchange/import_texts.h"

#include "exchange/import_file.h"
#include "lang/builtin_languages.h"
#include "lang/lang_content.h"
#include "lang/lang_list.h"

namespace cs {

std::string importText(std::string_view key) {
    std::string text = lang::text(key);
    if (text != lang::kMissingText)
        return text;
    static const lang::LanguageContent polish(std::string(lang::kPolishFileName), lang::splitLines(lang::kPolishText));
    return polish.text(key);
}

std::string importFailureMessage(ImportReadResult failure, std::string_view fileName) {
    switch (failure) {
    case kImportNoAccess:
        return importText("ImportNoAccess") + " " + std::string(fileName);
    case kImportNotInterpreted:
        return importText("ImportFile") + " " + std::string(fileName) + " " + importText("ImportNotInterpreted");
    default:
        return {};
    }
}

std::string importFailureCaption() { return importText("ImportFailureCaption"); }

std::string importExplanation() {
    // The receiver's window leaves a blank before the last line break; kept so that the Polish
    // text stays its own.
    return importText("ImportExplanation1") + "\n" + importText("ImportExplanation2") + " \n" +
           importText("ImportExplanation3");
}

} // namespace cs
