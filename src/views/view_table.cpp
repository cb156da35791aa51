#include "views/view_table.h"

#include <QAbstractItemModel>
#include <QTableView>

namespace cs::views {

TextTable shownTable(const QAbstractItemModel& model, const QTableView* view, std::span<const int> rows) {
    TextTable table;
    std::vector<int> columns;
    for (int c = 0; c < model.columnCount(); ++c)
        if (!view || !view->isColumnHidden(c))
            columns.push_back(c);
    for (const int c : columns)
        table.header.push_back(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    table.rows.reserve(rows.size());
    for (const int r : rows) {
        std::vector<std::string> cells;
        cells.reserve(columns.size());
        for (const int c : columns)
            cells.push_back(model.data(model.index(r, c), Qt::DisplayRole).toString().toStdString());
        table.rows.push_back(std::move(cells));
    }
    return table;
}

} // namespace cs::views
