// Fuzz target of external language files: any bytes decode to valid UTF-8 in both code pages,
// and every key of the decoded lines looks up the text of its first line.
#include "lang/lang_content.h"
#include "lang/lang_file.h"
#include "lang/text_encoding.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace cs::lang;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(data, data + size);
    for (CodePage page : {CodePage::Windows1250, CodePage::Windows1252}) {
        const std::string text = decodeLanguageFile(bytes, page);
        if (!isValidUtf8(text))
            std::abort();
        std::vector<std::string> lines = splitLines(text);
        (void)hasLanguageSection(lines);
        const LanguageContent content("Fuzz.lng", lines);
        for (const std::string& line : lines) {
            const auto parsed = parseTextLine(line);
            if (!parsed)
                continue;
            const auto found = content.find(parsed->key);
            if (!found)
                std::abort();
            // the first line with an equal key (ignoring ASCII case) must be the one found
            for (const std::string& earlier : lines) {
                const auto e = parseTextLine(earlier);
                if (e && foldKey(e->key) == foldKey(parsed->key)) {
                    if (*found != e->text)
                        std::abort();
                    break;
                }
            }
        }
    }
    return 0;
}
