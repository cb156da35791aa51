#include "undo/step_names.h"

namespace cs::undo {

namespace {

// Language keys of the step names.
constexpr const char* kDeleteKey = "MenuDelete";
constexpr const char* kPasteKey = "MenuPaste";
constexpr const char* kNewListKey = "MenuCreateNewList";
constexpr const char* kDeleteListKey = "MenuEraseList";
constexpr const char* kRenameKey = "MenuPopUpChangeName";
constexpr const char* kPropertiesKey = "Propertis_Title";
constexpr const char* kMoveKey = "TextMoveChannels";

// "<language word>: <detail>" when the language has the word, the English phrase otherwise.
std::string named(const TextLookup& texts, const char* key, const std::string& detail, std::string english) {
    const std::string word = languageWord(texts, key);
    if (word.empty())
        return english;
    return detail.empty() ? word : word + ": " + detail;
}

std::string channels(std::size_t n) { return std::to_string(n) + (n == 1 ? " channel" : " channels"); }

} // namespace

std::string languageWord(const TextLookup& texts, const char* key) {
    if (!texts)
        return {};
    std::string text = texts(key);
    if (text == "?" || text == key)
        return {};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        out += text[i];
    }
    while (!out.empty() && (out.back() == '.' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string stepName(const ChangeSummary& c, const TextLookup& texts) {
    if (c.listsAfter > c.listsBefore)
        return named(texts, kNewListKey, c.listNameAfter, "New list " + c.listNameAfter);
    if (c.listsAfter < c.listsBefore)
        return named(texts, kDeleteListKey, c.listNameBefore, "Delete list " + c.listNameBefore);
    if (c.channelsAfter < c.channelsBefore) {
        const std::size_t n = c.channelsBefore - c.channelsAfter;
        return named(texts, kDeleteKey, std::to_string(n), "Delete " + channels(n));
    }
    if (c.channelsAfter > c.channelsBefore) {
        const std::size_t n = c.channelsAfter - c.channelsBefore;
        return named(texts, kPasteKey, std::to_string(n), "Paste " + channels(n));
    }
    if (c.renamedList)
        return named(texts, kRenameKey, c.listNameAfter, "Rename list " + c.listNameAfter);
    if (c.renamedSatellite < 65536)
        return named(texts, kRenameKey, c.satelliteNameAfter, "Rename satellite " + c.satelliteNameAfter);
    if (c.channelRenamedOnly)
        return named(texts, kRenameKey, c.lastChannelName, "Rename " + c.lastChannelName);
    if (c.channelsChanged == 1)
        return named(texts, kPropertiesKey, c.lastChannelName, "Properties of " + c.lastChannelName);
    if (c.channelsChanged > 1 || c.orderChanged)
        return named(texts, kMoveKey, {}, "Move channels");
    if (c.transpondersChanged)
        return named(texts, "StepTransponders", {}, "Transponders");
    if (c.settingsChanged)
        return named(texts, "StepSettings", {}, "Settings");
    return named(texts, "StepChange", {}, "Change");
}

} // namespace cs::undo
