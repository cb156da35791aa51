#pragma once
// The texts of importing: the two failure messages, their caption and the chooser's own texts
// are fixed texts of the receiver's import window; outcome notes may come from the language.
#include <functional>
#include <string>
#include <string_view>

namespace cs {

// Text of a language key; "?" or an empty text count as missing. The desktop program passes the
// current language's lookup, the command line and tests leave it empty (English).
using TextLookup = std::function<std::string(std::string_view key)>;

// The text of `key`, or `english` when the lookup is empty or has no text for it.
std::string lookupText(const TextLookup& lookup, std::string_view key, std::string_view english);

// Failure 1 (the file cannot be opened) and failure 2 (it cannot be interpreted), for a file
// name; empty for any other code.
std::string importFailureMessage(int failure, std::string_view fileName);
// The caption of both failure messages.
std::string importFailureCaption();

// Fixed texts of the chooser window.
namespace chooser_text {
inline constexpr std::string_view kChannelBase = "Baza programów (%ld)";
inline constexpr std::string_view kTransponderList = "Lista transponderów";
inline constexpr std::string_view kColourProfiles = "Palety kolorów ...";
inline constexpr std::string_view kReceiverSettings = "Ustawienia odbiornika ...";
inline constexpr std::string_view kColourProfile = "Profil kolorów ";  // followed by 1..4
inline constexpr std::string_view kIndividualSettings = "Indywidualne ustawienia odbiornika";
inline constexpr std::string_view kSatelliteParameters = "Parametry satelit / konwerterów";
inline constexpr std::string_view kPreferredSettings = "Ustawienia preferowane";
inline constexpr std::string_view kTimerSettings = "Ustawienia timera";
inline constexpr std::string_view kNothingChosen = "Nie wybrano żadnego składnika";
inline constexpr std::string_view kNothingChosenCaption = "Błąd";
inline constexpr std::string_view kNoDescription = "Brak opis pliku.";
} // namespace chooser_text

} // namespace cs
