#include "reference/view_print.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace cs::reference_ui {

namespace {

constexpr qreal kBodyPoints = 8.0;
constexpr qreal kTitlePoints = 11.0;
// Header lines above the table (file name, then view and date) and the footer line.
constexpr int kHeaderLines = 2;

QFont bodyFont(QPaintDevice& device) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setPointSizeF(kBodyPoints);
    return QFont(f, &device);
}

QFont titleFont(QPaintDevice& device) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setPointSizeF(kTitlePoints);
    f.setBold(true);
    return QFont(f, &device);
}

struct Geometry {
    qreal line = 0;        // height of a table row
    qreal titleLine = 0;
    qreal width = 0;
    qreal height = 0;
    qreal tableTop = 0;    // below the page header
    qreal footerTop = 0;
    int rows = 1;          // rows per page below the table's header row
};

Geometry geometryOf(QPagedPaintDevice& device) {
    Geometry g;
    const QFontMetricsF body(bodyFont(device), &device);
    const QFontMetricsF title(titleFont(device), &device);
    g.line = body.height() * 1.3;
    g.titleLine = title.height() * 1.3;
    g.width = device.width();
    g.height = device.height();
    g.tableTop = g.titleLine * kHeaderLines + g.line * 0.5;
    g.footerTop = g.height - g.line;
    const qreal room = g.footerTop - g.line * 0.5 - g.tableTop - g.line;  // less the header row
    g.rows = std::max(1, static_cast<int>(std::floor(room / g.line)));
    return g;
}

qreal sum(const std::vector<qreal>& v) {
    qreal total = 0;
    for (qreal x : v)
        total += x;
    return total;
}

// Column widths from the widest text of each column. When the page is too narrow the captions
// give way first (they are cut, the cells are not); only then is every column scaled down.
std::vector<qreal> columnWidths(const QFontMetricsF& body, const QFontMetricsF& bold, const TextTable& table,
                                qreal width) {
    const std::size_t n = table.header.size();
    const qreal gap = body.averageCharWidth() * 1.5;
    std::vector<qreal> cells(n, body.averageCharWidth() * 3), captions(n, 0), widths(n, 0);
    for (const auto& row : table.rows)
        for (std::size_t c = 0; c < row.size() && c < n; ++c)
            cells[c] = std::max(cells[c], body.horizontalAdvance(QString::fromStdString(row[c])) + gap);
    for (std::size_t c = 0; c < n; ++c) {
        captions[c] = bold.horizontalAdvance(QString::fromStdString(table.header[c])) + gap;
        widths[c] = std::max(cells[c], captions[c]);
    }
    if (sum(widths) > width) {
        const qreal room = std::max<qreal>(0, width - sum(cells));
        qreal wanted = 0;
        for (std::size_t c = 0; c < n; ++c)
            wanted += std::max<qreal>(0, captions[c] - cells[c]);
        for (std::size_t c = 0; c < n; ++c)
            widths[c] = cells[c] + (wanted > 0 ? std::max<qreal>(0, captions[c] - cells[c]) * room / wanted : 0);
    }
    const qreal total = sum(widths);
    if (total > width && total > 0)
        for (qreal& w : widths)
            w *= width / total;
    return widths;
}

void paintRow(QPainter& painter, const QFontMetricsF& metrics, const std::vector<std::string>& cells,
              const std::vector<qreal>& widths, qreal top, qreal height) {
    qreal x = 0;
    for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
        const QString text = metrics.elidedText(QString::fromStdString(cells[c]), Qt::ElideRight,
                                                widths[c] - metrics.averageCharWidth());
        painter.drawText(QRectF(x, top, widths[c], height), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += widths[c];
    }
}

} // namespace

int rowsPerPage(QPagedPaintDevice& device) { return geometryOf(device).rows; }

int paintTable(QPagedPaintDevice& device, const PrintHeader& header, const TextTable& table) {
    const Geometry g = geometryOf(device);
    const int rowCount = static_cast<int>(table.rows.size());
    const int pages = std::max(1, (rowCount + g.rows - 1) / g.rows);
    QPainter painter(&device);
    const QFont body = bodyFont(device);
    const QFont title = titleFont(device);
    QFont bold = body;
    bold.setBold(true);
    const QFontMetricsF metrics(body, &device);
    const std::vector<qreal> widths = columnWidths(metrics, QFontMetricsF(bold, &device), table, g.width);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        painter.setFont(title);
        painter.drawText(QRectF(0, 0, g.width, g.titleLine), Qt::AlignLeft | Qt::AlignVCenter, header.fileName);
        painter.setFont(body);
        painter.drawText(QRectF(0, g.titleLine, g.width, g.titleLine), Qt::AlignLeft | Qt::AlignVCenter, header.view);
        painter.drawText(QRectF(0, g.titleLine, g.width, g.titleLine), Qt::AlignRight | Qt::AlignVCenter, header.date);
        painter.setFont(bold);
        paintRow(painter, metrics, table.header, widths, g.tableTop, g.line);
        const qreal ruleY = g.tableTop + g.line;
        painter.drawLine(QPointF(0, ruleY), QPointF(g.width, ruleY));
        painter.setFont(body);
        const int first = page * g.rows;
        const int last = std::min(rowCount, first + g.rows);
        for (int r = first; r < last; ++r)
            paintRow(painter, metrics, table.rows[static_cast<std::size_t>(r)], widths,
                     ruleY + g.line * (r - first), g.line);
        painter.drawText(QRectF(0, g.footerTop, g.width, g.line), Qt::AlignHCenter | Qt::AlignVCenter,
                         QStringLiteral("%1 %2 %3 %4").arg(header.pageWord).arg(page + 1).arg(header.ofWord).arg(pages));
    }
    return pages;
}

bool writeTablePdf(const QString& path, const PrintHeader& header, const TextTable& table, int* pages) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QPdfWriter writer(&file);
    writer.setTitle(header.fileName + QStringLiteral(" - ") + header.view);
    // Landscape: the list's twelve columns fit across the page.
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                     QPageLayout::Millimeter));
    const int written = paintTable(writer, header, table);
    if (pages)
        *pages = written;
    file.close();
    return file.error() == QFileDevice::NoError;
}

} // namespace cs::reference_ui
