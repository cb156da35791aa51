#pragma once
// Renaming many channels at once: find and replace (plain text or a regular expression, with or
// without letter case), every new name passed through the receiver's name rules. The window's
// preview, its OK and the command line's `rename` all go through these functions, so what the
// preview shows is exactly what is stored.
#include "database/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <regex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cs::editing {

// Longest find pattern accepted: the pattern is compiled once, names are at most 17 bytes.
inline constexpr std::size_t kRenamePatternMax = 200;

struct RenameOptions {
    std::string find;
    std::string replace;
    bool regex = false;       // ECMAScript syntax; the replacement takes $1, $& and $$
    bool ignoreCase = false;
};

// Why the find text cannot be used.
enum class RenamePatternProblem { None, Empty, TooLong, BadExpression };

// A compiled find and replace. Plain text is matched byte by byte (names hold only the
// characters 32..125, so ignoring case is ASCII case); a regular expression through std::regex.
class NameRewriter {
public:
    static std::optional<NameRewriter> make(const RenameOptions& options, RenamePatternProblem* problem = nullptr,
                                            std::string* detail = nullptr);
    // Whether the name holds a match.
    bool matches(std::string_view name) const;
    // Every match replaced (the name itself when nothing matches).
    std::string rewrite(std::string_view name) const;

private:
    RenameOptions options_;
    std::shared_ptr<const std::regex> regex_;
};

// One row of a rename: the old name, the new name as it will be stored, and what the name rules
// did to the replaced text.
struct RenameRow {
    std::uint16_t slot = 0;
    std::string oldName;
    std::string replaced;   // the name after find and replace, before the name rules
    std::string newName;    // what is stored: the old name when the rules left nothing
    bool matched = false;   // the find text occurs in the old name
    bool ruled = false;     // the name rules changed `replaced` (cut to length, characters dropped)
    bool renamed() const { return newName != oldName; }
};

struct RenameSummary {
    std::size_t renamed = 0;
    std::size_t unchanged = 0;
    std::size_t cut = 0;  // rows whose replaced name the rules shortened or changed
};

// The rows of a rename of the given channels, in the order given.
std::vector<RenameRow> previewRename(const ChannelDatabase& db, std::span<const std::uint16_t> slots,
                                     const NameRewriter& rewriter);
RenameSummary summarizeRename(std::span<const RenameRow> rows);
// Stores the new names of the rows that change.
RenameSummary applyRename(ChannelDatabase& db, std::span<const RenameRow> rows);

} // namespace cs::editing
