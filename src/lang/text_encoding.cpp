#include "text_encoding.h"

#include <array>
#include <cctype>
#include <cstdint>

namespace cs::lang {

namespace {

constexpr char16_t kUndefined = 0xFFFD;

// Upper halves (bytes 0x80..0xFF) of the two Windows code pages the language files use.
constexpr std::array<char16_t, 128> kWindows1250 = {
    0x20AC, kUndefined, 0x201A, kUndefined, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    kUndefined, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,     // 88
    kUndefined, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,     // 90
    kUndefined, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,     // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,         // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,         // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,         // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,         // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,         // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,         // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,         // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,         // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,         // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,         // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,         // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,         // F8
};

constexpr std::array<char16_t, 128> kWindows1252 = [] {
    std::array<char16_t, 128> t{};
    constexpr char16_t high80[32] = {
        0x20AC, kUndefined, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined, // 88
        kUndefined, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178, // 98
    };
    for (int i = 0; i < 32; ++i)
        t[i] = high80[i];
    // 0xA0..0xFF are Latin-1.
    for (int i = 32; i < 128; ++i)
        t[i] = static_cast<char16_t>(0x80 + i);
    return t;
}();

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    const std::size_t n = bytes.size() & ~std::size_t{1}; // an odd last byte cannot form a unit
    for (std::size_t i = 0; i < n; i += 2) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = kUndefined; // unpaired surrogate
        appendUtf8(out, u);
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    const std::size_t n = bytes.size();
    auto p = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p(i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false; // continuation byte, overlong lead (C0, C1) or lead above F4
        }
        if (n - i < len)
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((p(i + k) & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p(i + k) & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string codePageToUtf8(std::string_view bytes, CodePage page) {
    const auto& table = page == CodePage::Windows1250 ? kWindows1250 : kWindows1252;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else
            appendUtf8(out, table[c - 0x80]);
    }
    return out;
}

CodePage codePageForFileName(std::string_view fileName) {
    // Names (or their starts) of languages Windows writes in the Central European code page.
    static constexpr std::string_view kCentralEuropean[] = {
        "polski", "polish", "slovensky", "slovak", "slovencina", "cesky", "czech", "cestina",
        "magyar", "hungarian", "hrvatski", "croatian", "slovenski", "slovenscina", "slovenian",
        "romana", "romanian", "shqip", "albanian", "bosanski", "srpski",
    };
    const std::string name = asciiLower(fileName);
    for (std::string_view start : kCentralEuropean)
        if (startsWith(name, start))
            return CodePage::Windows1250;
    return CodePage::Windows1252;
}

std::string decodeLanguageFile(std::string_view bytes, CodePage fallback) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        // A UTF-8 mark on bytes that are not UTF-8 is a mislabelled 8-bit file.
        return isValidUtf8(bytes) ? std::string(bytes) : codePageToUtf8(bytes, fallback);
    }
    if (startsWith(bytes, "\xFF\xFE"))
        return utf16ToUtf8(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF"))
        return utf16ToUtf8(bytes.substr(2), true);
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return codePageToUtf8(bytes, fallback);
}

} // namespace cs::lang
