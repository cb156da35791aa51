#pragma once
// Small option parser shared by the commands: positional arguments and "--name value" options.
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cs::cli {

class Args {
public:
    // `valueOptions` take a value ("--out FILE"); `flagOptions` stand alone ("--all").
    // Returns an error text for an unknown option or a missing value.
    static std::optional<std::string> parse(const std::vector<std::string>& argv,
                                            const std::set<std::string>& valueOptions,
                                            const std::set<std::string>& flagOptions, Args& out);

    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    // Integer option with a default; nullopt when the value is not a number.
    std::optional<long> integer(const std::string& name, long defaultValue) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
    std::set<std::string> flags_;
};

// Parses the command line of a command that takes exactly `positionalCount` arguments. On an
// unknown option, a missing value or a wrong count, prints the problem and `usage` to standard
// error and returns false (the command then exits with kUsage).
bool parseCommandLine(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
                      const std::set<std::string>& flagOptions, std::size_t positionalCount, const char* usage,
                      Args& out);

// JSON string literal with escapes, for the commands' JSON output.
std::string jsonString(const std::string& s);

// Names stored in receiver files are single-byte characters; printed as UTF-8, bytes above 127
// read as Latin-1, so that every JSON text the commands print is valid UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

} // namespace cs::cli
