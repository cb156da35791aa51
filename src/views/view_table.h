#pragma once
// The channel list's shown columns as a text table: what Copy puts on the clipboard as text and
// HTML, and what Print and Export as PDF lay out.
#include "common/text_table.h"

#include <span>

class QAbstractItemModel;
class QTableView;

namespace cs::views {

// The header captions and the display texts of the given rows, in the given order, of every
// column the list shows (hidden columns left out; every column when `view` is null).
TextTable shownTable(const QAbstractItemModel& model, const QTableView* view, std::span<const int> rows);

} // namespace cs::views
