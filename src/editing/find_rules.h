#pragma once
// Finding rows of the channel list by the text of their first column.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::editing {

// Whole word off: the caption begins with the text; on: the caption equals it. Letter case is
// ignored (ASCII).
bool captionMatches(std::string_view caption, std::string_view text, bool wholeWord);

// In numbering mode the text is a row number: "12" becomes "0012". Nothing when it is no number.
std::optional<std::string> numberSearchText(std::string_view text);

using CaptionAt = std::function<std::string(int row)>;

// Find next: from `position` + 1 on, wrapping to the start; the row found, or nothing when no
// row matches or the only match is the row at `position` itself.
std::optional<int> findNextRow(int rows, const CaptionAt& caption, std::string_view text, bool wholeWord, int position);

// Find all: every matching row, top to bottom.
std::vector<int> findAllRows(int rows, const CaptionAt& caption, std::string_view text, bool wholeWord);

} // namespace cs::editing
