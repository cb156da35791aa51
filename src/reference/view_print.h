#pragma once
// The shown view laid out as a printed table: a page header with the file name, the view and the
// date, the table's header row on every page, the rows in the list's own order, and page numbers
// ("Page 2 of 5") at the foot. The same painting serves the printer (with its preview) and PDF.
#include "common/text_table.h"

#include <QString>

class QPagedPaintDevice;

namespace cs::reference_ui {

struct PrintHeader {
    QString fileName;
    QString view;
    QString date;
    QString pageWord;  // "Page"
    QString ofWord;    // "of"
};

// Rows that fit on one page of the device with the fonts the table uses.
int rowsPerPage(QPagedPaintDevice& device);
// Paints the table on as many pages as it needs (at least one) and returns their number.
int paintTable(QPagedPaintDevice& device, const PrintHeader& header, const TextTable& table);
// Writes the table as a PDF file (A4, landscape); false when the file cannot be written.
bool writeTablePdf(const QString& path, const PrintHeader& header, const TextTable& table, int* pages = nullptr);

} // namespace cs::reference_ui
