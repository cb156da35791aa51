#include "compare/satellite_chart.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace cs::compare_ui {

namespace {

constexpr int kBarHeight = 16;
constexpr int kGap = 4;
constexpr int kMargin = 6;

} // namespace

SatelliteChart::SatelliteChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("satelliteChart"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void SatelliteChart::setBars(std::vector<std::pair<QString, std::size_t>> bars) {
    bars_ = std::move(bars);
    updateGeometry();
    update();
}

QSize SatelliteChart::sizeHint() const {
    const int rows = static_cast<int>(bars_.size());
    return {420, 2 * kMargin + rows * (kBarHeight + kGap)};
}

QSize SatelliteChart::minimumSizeHint() const { return {200, sizeHint().height()}; }

void SatelliteChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QFontMetrics metrics(font());
    int labelWidth = 0;
    int countWidth = 0;
    std::size_t largest = 1;
    for (const auto& [label, count] : bars_) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
        countWidth = std::max(countWidth, metrics.horizontalAdvance(QString::number(count)));
        largest = std::max(largest, count);
    }
    labelWidth = std::min(labelWidth, width() / 3);
    const int barLeft = kMargin + labelWidth + kGap;
    const int barSpace = std::max(1, width() - barLeft - countWidth - 2 * kGap - kMargin);
    const QColor barColour = palette().color(QPalette::Highlight);
    int y = kMargin;
    for (const auto& [label, count] : bars_) {
        const QRect labelRect(kMargin, y, labelWidth, kBarHeight);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(labelRect, Qt::AlignVCenter | Qt::AlignRight, metrics.elidedText(label, Qt::ElideRight, labelWidth));
        const int length = static_cast<int>(static_cast<double>(barSpace) * static_cast<double>(count) / static_cast<double>(largest));
        p.fillRect(QRect(barLeft, y + 2, std::max(length, count ? 1 : 0), kBarHeight - 4), barColour);
        p.drawText(QRect(barLeft + length + kGap, y, countWidth + kGap, kBarHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::number(count));
        y += kBarHeight + kGap;
    }
}

} // namespace cs::compare_ui
