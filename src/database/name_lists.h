#pragma once
// The receiver's name lists and the character filters of displayed names. An index outside a
// list gives an empty text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cs {

std::string_view fecText(unsigned index);                   // "FEC NONE", "1/2", ... "auto"
std::string_view polarisationText(unsigned index);          // "Hor", "Ver", "Left", "Right"
std::string_view iqModeText(unsigned index);                // "IQ NONE" ... "IQ AUTO"
std::string_view dvbtConstellationText(unsigned index);     // "C QPSK" ... "C AUTO"
std::string_view dvbtModeText(unsigned index);              // "MODE 2K" ... "MODE AUTO"
std::string_view dvbtGuardText(unsigned index);             // "INTERVAL NONE" ... "AUTO"
std::string_view dvbcConstellationText(unsigned index);     // "QAM NONE" ... "QAM AUTO"
std::string_view caModuleText(unsigned index);              // "AUTO", "CI 1", ... "PROFIL 08"
std::string_view orbitSideText(unsigned index);             // "W", "E"

inline constexpr std::size_t kAudioLanguageCount = 94;
// The 3-letter code of an audio language number; entry 0 is "no " with a trailing space.
std::string_view audioLanguageText(int number);
// The stored byte is read as a signed number, so 128..255 give an empty text.
std::string_view audioLanguageOfByte(std::uint8_t stored);

// Channel names keep only the characters 0x20..0x7A.
std::string filterChannelName(std::string_view name);
// Provider names lose every character below 32 or above 125.
std::string filterProviderName(std::string_view name);

} // namespace cs
