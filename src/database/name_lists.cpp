#include "database/name_lists.h"

#include <array>

namespace cs {
namespace {

template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& list, unsigned index) {
    return index < N ? list[index] : std::string_view();
}

constexpr std::array<std::string_view, 7> kFec = {"FEC NONE", "1/2", "2/3", "3/4", "5/6", "7/8", "auto"};
constexpr std::array<std::string_view, 4> kPolarisation = {"Hor", "Ver", "Left", "Right"};
constexpr std::array<std::string_view, 4> kIq = {"IQ NONE", "IQ NORMAL", "IQ INVERTED", "IQ AUTO"};
constexpr std::array<std::string_view, 4> kDvbtConstellation = {"C QPSK", "C QAM16", "C QAM64", "C AUTO"};
constexpr std::array<std::string_view, 4> kDvbtMode = {"MODE 2K", "MODE 4K", "MODE 8K", "MODE AUTO"};
constexpr std::array<std::string_view, 6> kDvbtGuard = {"INTERVAL NONE", "INTERVAL 1_4", "INTERVAL 1_8",
                                                        "INTERVAL 1_16", "INTERVAL 1_32", "AUTO"};
constexpr std::array<std::string_view, 8> kDvbcConstellation = {"QAM NONE", "QAM 4",   "QAM 16",  "QAM 32",
                                                                "QAM 64",   "QAM 128", "QAM 256", "QAM AUTO"};
constexpr std::array<std::string_view, 16> kCaModule = {"AUTO",      "CI 1",      "CI 2",      "CARD A",
                                                        "CARD B",    "CARD C",    "CARD D",    "USER 00",
                                                        "PROFIL 01", "PROFIL 02", "PROFIL 03", "PROFIL 04",
                                                        "PROFIL 05", "PROFIL 06", "PROFIL 07", "PROFIL 08"};
constexpr std::array<std::string_view, 2> kOrbitSide = {"W", "E"};
constexpr std::array<std::string_view, kAudioLanguageCount> kAudioLanguages = {
    "no ", "alb", "ara", "arc", "arg", "arm", "art", "ast", "baq", "bat", "bel", "ber", "bos", "bre", "bul", "bur",
    "cat", "ces", "chi", "chk", "cze", "cym", "dan", "deu", "dut", "ell", "eng", "esp", "est", "eus", "fas", "fin",
    "fra", "fre", "geo", "ger", "gla", "gle", "glg", "gre", "heb", "hin", "hrv", "hun", "hye", "ice", "ina", "isl",
    "ita", "jpn", "kat", "kor", "kur", "lat", "lav", "lim", "lit", "ltz", "mac", "mkd", "mlt", "mol", "mul", "mya",
    "nld", "nno", "nob", "nor", "per", "pol", "por", "roh", "ron", "rom", "rum", "rus", "scc", "sco", "scr", "slk",
    "slo", "slv", "spa", "srp", "swe", "tur", "ukr", "und", "urd", "wel", "wln", "vie", "zho", "yid"};

} // namespace

std::string_view fecText(unsigned index) { return pick(kFec, index); }
std::string_view polarisationText(unsigned index) { return pick(kPolarisation, index); }
std::string_view iqModeText(unsigned index) { return pick(kIq, index); }
std::string_view dvbtConstellationText(unsigned index) { return pick(kDvbtConstellation, index); }
std::string_view dvbtModeText(unsigned index) { return pick(kDvbtMode, index); }
std::string_view dvbtGuardText(unsigned index) { return pick(kDvbtGuard, index); }
std::string_view dvbcConstellationText(unsigned index) { return pick(kDvbcConstellation, index); }
std::string_view caModuleText(unsigned index) { return pick(kCaModule, index); }
std::string_view orbitSideText(unsigned index) { return pick(kOrbitSide, index); }

std::string_view audioLanguageText(int number) {
    return number >= 0 ? pick(kAudioLanguages, static_cast<unsigned>(number)) : std::string_view();
}

std::string_view audioLanguageOfByte(std::uint8_t stored) { return audioLanguageText(static_cast<std::int8_t>(stored)); }

namespace {

// The characters of `name` within [first, last]; the rest are dropped.
std::string keepCharacters(std::string_view name, unsigned char first, unsigned char last) {
    std::string out;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= first && c <= last)
            out += ch;
    }
    return out;
}

} // namespace

std::string filterChannelName(std::string_view name) { return keepCharacters(name, 0x20, 0x7A); }

std::string filterProviderName(std::string_view name) { return keepCharacters(name, 32, 125); }

} // namespace cs
