#include "settings/stored_value_text.h"

namespace cs {
namespace {

constexpr std::string_view kIntegerPrefix = "dword:";
constexpr std::string_view kBinaryPrefix = "hex:";
constexpr std::string_view kStringPrefix = "sz:";
constexpr std::size_t kIntegerDigits = 8;
constexpr char kHexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendHexByte(std::string& out, std::uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

// Length of the valid UTF-8 sequence at `i`, 0 when there is none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;  // no overlong forms
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool needsEscapes(std::string_view value) {
    if (value.starts_with(kIntegerPrefix) || value.starts_with(kBinaryPrefix) || value.starts_with(kStringPrefix))
        return true;
    // A byte order mark at the start could be taken for the file's own.
    if (value.starts_with("\xEF\xBB\xBF"))
        return true;
    for (std::size_t i = 0; i < value.size();) {
        std::size_t n = utf8SequenceLength(value, i);
        if (n == 0 || isControl(static_cast<unsigned char>(value[i])))
            return true;
        i += n;
    }
    return false;
}

} // namespace

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = utf8SequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string integerText(std::int32_t value) {
    std::string out(kIntegerPrefix);
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHexDigits[(bits >> shift) & 0x0F];
    return out;
}

std::string binaryText(std::span<const std::uint8_t> bytes) {
    std::string out(kBinaryPrefix);
    for (std::uint8_t b : bytes)
        appendHexByte(out, b);
    return out;
}

std::string stringText(std::string_view value) {
    if (!needsEscapes(value))
        return std::string(value);
    std::string out(kStringPrefix);
    bool first = true;
    for (std::size_t i = 0; i < value.size();) {
        std::size_t n = utf8SequenceLength(value, i);
        const auto c = static_cast<unsigned char>(value[i]);
        if (n == 0 || isControl(c) || c == '%' || (first && n == 3 && value.substr(i, 3) == "\xEF\xBB\xBF")) {
            out += '%';
            appendHexByte(out, c);
            n = 1;
        } else {
            out.append(value.substr(i, n));
        }
        first = false;
        i += n;
    }
    return out;
}

StoredType storedType(std::string_view text) {
    if (text.starts_with(kIntegerPrefix))
        return integerFromText(text) ? StoredType::integer : StoredType::malformed;
    if (text.starts_with(kBinaryPrefix))
        return binaryFromText(text) ? StoredType::binary : StoredType::malformed;
    return stringFromText(text) ? StoredType::string : StoredType::malformed;
}

std::optional<std::int32_t> integerFromText(std::string_view text) {
    if (!text.starts_with(kIntegerPrefix))
        return std::nullopt;
    text.remove_prefix(kIntegerPrefix.size());
    if (text.size() != kIntegerDigits)
        return std::nullopt;
    std::uint32_t bits = 0;
    for (char c : text) {
        int v = hexValue(c);
        if (v < 0)
            return std::nullopt;
        bits = (bits << 4) | static_cast<std::uint32_t>(v);
    }
    return static_cast<std::int32_t>(bits);
}

std::optional<std::vector<std::uint8_t>> binaryFromText(std::string_view text) {
    if (!text.starts_with(kBinaryPrefix))
        return std::nullopt;
    text.remove_prefix(kBinaryPrefix.size());
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int hi = hexValue(text[i]);
        int lo = hexValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return bytes;
}

std::optional<std::string> stringFromText(std::string_view text) {
    if (text.starts_with(kIntegerPrefix) || text.starts_with(kBinaryPrefix))
        return std::nullopt;
    if (!text.starts_with(kStringPrefix))
        return std::string(text);
    text.remove_prefix(kStringPrefix.size());
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (text.size() - i < 3)
            return std::nullopt;
        int hi = hexValue(text[i + 1]);
        int lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
    }
    return out;
}

} // namespace cs
