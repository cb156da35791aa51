#include "cli_args.h"

#include <cstdio>
#include <cstdlib>

namespace cs::cli {

std::optional<std::string> Args::parse(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
                                       const std::set<std::string>& flagOptions, Args& out) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            std::string name = a.substr(2);
            if (valueOptions.count(name)) {
                if (i + 1 >= argv.size())
                    return "option --" + name + " needs a value";
                out.values_[name] = argv[++i];
            } else if (flagOptions.count(name)) {
                out.flags_.insert(name);
            } else {
                return "unknown option " + a;
            }
        } else {
            out.positional_.push_back(a);
        }
    }
    return std::nullopt;
}

bool Args::has(const std::string& name) const { return flags_.count(name) || values_.count(name); }

std::optional<std::string> Args::value(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

std::optional<long> Args::integer(const std::string& name, long defaultValue) const {
    auto v = value(name);
    if (!v)
        return defaultValue;
    char* end = nullptr;
    long n = std::strtol(v->c_str(), &end, 10);
    if (v->empty() || *end != '\0')
        return std::nullopt;
    return n;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool parseCommandLine(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
                      const std::set<std::string>& flagOptions, std::size_t positionalCount, const char* usage,
                      Args& out) {
    if (auto error = Args::parse(argv, valueOptions, flagOptions, out)) {
        std::fprintf(stderr, "%s\n%s", error->c_str(), usage);
        return false;
    }
    if (out.positional().size() != positionalCount) {
        std::fprintf(stderr, "%s", usage);
        return false;
    }
    return true;
}

} // namespace cs::cli
