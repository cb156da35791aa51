#include "editing/rename_rules.h"

#include "editing/name_rules.h"

#include <cctype>

namespace cs::editing {

namespace {

bool sameLetter(char a, char b, bool ignoreCase) {
    if (!ignoreCase)
        return a == b;
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Position of the first occurrence of `find` in `text` at or after `from`.
std::size_t findText(std::string_view text, std::string_view find, std::size_t from, bool ignoreCase) {
    if (find.size() > text.size())
        return std::string_view::npos;
    for (std::size_t at = from; at + find.size() <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < find.size() && sameLetter(text[at + k], find[k], ignoreCase))
            ++k;
        if (k == find.size())
            return at;
    }
    return std::string_view::npos;
}

} // namespace

std::optional<NameRewriter> NameRewriter::make(const RenameOptions& options, RenamePatternProblem* problem,
                                               std::string* detail) {
    const auto fail = [&](RenamePatternProblem p) -> std::optional<NameRewriter> {
        if (problem)
            *problem = p;
        return std::nullopt;
    };
    if (options.find.empty())
        return fail(RenamePatternProblem::Empty);
    if (options.find.size() > kRenamePatternMax)
        return fail(RenamePatternProblem::TooLong);
    NameRewriter r;
    r.options_ = options;
    if (options.regex) {
        auto flags = std::regex::ECMAScript;
        if (options.ignoreCase)
            flags |= std::regex::icase;
        try {
            r.regex_ = std::make_shared<const std::regex>(options.find, flags);
        } catch (const std::regex_error& e) {
            if (detail)
                *detail = e.what();
            return fail(RenamePatternProblem::BadExpression);
        }
    }
    if (problem)
        *problem = RenamePatternProblem::None;
    return r;
}

bool NameRewriter::matches(std::string_view name) const {
    if (regex_)
        return std::regex_search(name.begin(), name.end(), *regex_);
    return findText(name, options_.find, 0, options_.ignoreCase) != std::string_view::npos;
}

std::string NameRewriter::rewrite(std::string_view name) const {
    if (regex_) {
        std::string out;
        std::regex_replace(std::back_inserter(out), name.begin(), name.end(), *regex_, options_.replace);
        return out;
    }
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = findText(name, options_.find, from, options_.ignoreCase);
        if (at == std::string_view::npos)
            break;
        out.append(name.substr(from, at - from));
        out += options_.replace;
        from = at + options_.find.size();
    }
    out.append(name.substr(from));
    return out;
}

std::vector<RenameRow> previewRename(const ChannelDatabase& db, std::span<const std::uint16_t> slots,
                                     const NameRewriter& rewriter) {
    std::vector<RenameRow> rows;
    rows.reserve(slots.size());
    for (const std::uint16_t slot : slots) {
        RenameRow row;
        row.slot = slot;
        row.oldName = std::string(db.record(slot).name());
        row.matched = rewriter.matches(row.oldName);
        row.replaced = row.matched ? rewriter.rewrite(row.oldName) : row.oldName;
        if (row.matched) {
            const auto ruled = channelNameFromEdit(row.replaced);
            row.newName = ruled ? *ruled : row.oldName;
            row.ruled = !ruled || *ruled != row.replaced;
        } else {
            row.newName = row.oldName;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

RenameSummary summarizeRename(std::span<const RenameRow> rows) {
    RenameSummary sum;
    for (const RenameRow& row : rows) {
        if (row.renamed())
            ++sum.renamed;
        else
            ++sum.unchanged;
        if (row.ruled)
            ++sum.cut;
    }
    return sum;
}

RenameSummary applyRename(ChannelDatabase& db, std::span<const RenameRow> rows) {
    for (const RenameRow& row : rows)
        if (row.renamed())
            db.record(row.slot).setName(row.newName);
    return summarizeRename(rows);
}

} // namespace cs::editing
