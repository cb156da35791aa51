#include "json_value.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace cs::clitest {

const Json& Json::operator[](std::string_view key) const {
    for (const auto& [k, v] : members)
        if (k == key)
            return v;
    throw std::out_of_range("no member " + std::string(key));
}

std::vector<std::string> Json::keys() const {
    std::vector<std::string> out;
    for (const auto& m : members)
        out.push_back(m.first);
    return out;
}

const char* typeName(Json::Type t) {
    switch (t) {
    case Json::Type::Null: return "null";
    case Json::Type::Bool: return "bool";
    case Json::Type::Number: return "number";
    case Json::Type::String: return "string";
    case Json::Type::Array: return "array";
    case Json::Type::Object: return "object";
    }
    return "?";
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { n = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { n = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 3; cp = c & 0x07; }
        else return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size())
                return false;
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view t) : t_(t) {}

    Json document() {
        Json v = value();
        skipSpace();
        if (p_ != t_.size())
            fail("text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        throw std::runtime_error(what + " at offset " + std::to_string(p_));
    }
    void skipSpace() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\n' || t_[p_] == '\r' || t_[p_] == '\t'))
            ++p_;
    }
    bool take(char c) {
        skipSpace();
        if (p_ < t_.size() && t_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c))
            fail(std::string("expected '") + c + "'");
    }
    bool word(std::string_view w) {
        if (t_.substr(p_, w.size()) == w) {
            p_ += w.size();
            return true;
        }
        return false;
    }

    Json value() {
        if (++depth_ > 64)
            fail("nesting too deep");
        skipSpace();
        if (p_ >= t_.size())
            fail("value expected");
        Json v;
        const char c = t_[p_];
        if (c == '{') {
            ++p_;
            v.type = Json::Type::Object;
            if (!take('}')) {
                do {
                    skipSpace();
                    std::string key = string();
                    expect(':');
                    for (const auto& m : v.members)
                        if (m.first == key)
                            fail("duplicate key " + key);
                    v.members.emplace_back(std::move(key), value());
                } while (take(','));
                expect('}');
            }
        } else if (c == '[') {
            ++p_;
            v.type = Json::Type::Array;
            if (!take(']')) {
                do
                    v.items.push_back(value());
                while (take(','));
                expect(']');
            }
        } else if (c == '"') {
            v.type = Json::Type::String;
            v.text = string();
        } else if (word("true")) {
            v.type = Json::Type::Bool;
            v.boolean = true;
        } else if (word("false")) {
            v.type = Json::Type::Bool;
        } else if (word("null")) {
            v.type = Json::Type::Null;
        } else {
            v = number();
        }
        --depth_;
        return v;
    }

    std::string string() {
        if (p_ >= t_.size() || t_[p_] != '"')
            fail("string expected");
        ++p_;
        std::string out;
        while (true) {
            if (p_ >= t_.size())
                fail("unterminated string");
            const auto c = static_cast<unsigned char>(t_[p_++]);
            if (c == '"')
                break;
            if (c < 0x20)
                fail("control character in a string");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (p_ >= t_.size())
                fail("unterminated escape");
            const char e = t_[p_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (p_ + 4 > t_.size())
                    fail("short \\u escape");
                const std::string hex(t_.substr(p_, 4));
                char* end = nullptr;
                const unsigned long cp = std::strtoul(hex.c_str(), &end, 16);
                if (end != hex.c_str() + 4)
                    fail("bad \\u escape");
                p_ += 4;
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    fail("surrogate escapes are not expected here");
                if (cp < 0x80) {
                    out += static_cast<char>(cp);
                } else if (cp < 0x800) {
                    out += static_cast<char>(0xC0 | (cp >> 6));
                    out += static_cast<char>(0x80 | (cp & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | (cp >> 12));
                    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (cp & 0x3F));
                }
                break;
            }
            default: fail("bad escape");
            }
        }
        return out;
    }

    Json number() {
        const std::size_t start = p_;
        if (p_ < t_.size() && t_[p_] == '-')
            ++p_;
        auto digits = [&] {
            const std::size_t d = p_;
            while (p_ < t_.size() && t_[p_] >= '0' && t_[p_] <= '9')
                ++p_;
            return p_ - d;
        };
        const std::size_t intStart = p_;
        const std::size_t intDigits = digits();
        if (intDigits == 0)
            fail("value expected");
        if (intDigits > 1 && t_[intStart] == '0')
            fail("leading zero");
        bool integral = true;
        if (p_ < t_.size() && t_[p_] == '.') {
            ++p_;
            integral = false;
            if (digits() == 0)
                fail("digits expected after '.'");
        }
        if (p_ < t_.size() && (t_[p_] == 'e' || t_[p_] == 'E')) {
            ++p_;
            integral = false;
            if (p_ < t_.size() && (t_[p_] == '+' || t_[p_] == '-'))
                ++p_;
            if (digits() == 0)
                fail("exponent digits expected");
        }
        Json v;
        v.type = Json::Type::Number;
        v.integral = integral;
        v.number = std::strtod(std::string(t_.substr(start, p_ - start)).c_str(), nullptr);
        return v;
    }

    std::string_view t_;
    std::size_t p_ = 0;
    int depth_ = 0;
};

} // namespace

std::optional<Json> parseJson(std::string_view text, std::string* error) {
    if (!validUtf8(text)) {
        if (error)
            *error = "not valid UTF-8";
        return std::nullopt;
    }
    try {
        return Parser(text).document();
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return std::nullopt;
    }
}

} // namespace cs::clitest
