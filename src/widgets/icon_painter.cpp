#include "widgets/icon_painter.h"

#include <QIconEngine>
#include <QPainter>

#include <algorithm>
#include <map>
#include <vector>

namespace cs::widgets {

namespace {

// Paints a size the first time something asks for it: a window that shows an icon at one size
// never pays for the others, and nothing is painted before the icon is first shown.
class DrawnIconEngine final : public QIconEngine {
public:
    DrawnIconEngine(std::vector<int> sizes, double grid, Drawing drawing)
        : sizes_(std::move(sizes)), grid_(grid), drawing_(std::move(drawing)) {
        std::sort(sizes_.begin(), sizes_.end());
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return paintedFor(size).pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return paintedFor(size * scale).pixmap(size, scale, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        paintedFor(rect.size()).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = designedSize(size);
        const QSize designed(side, side);
        return side > std::min(size.width(), size.height()) ? designed.scaled(size, Qt::KeepAspectRatio) : designed;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : sizes_)
            sizes.append(QSize(side, side));
        return sizes;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }
    QString key() const override { return QStringLiteral("DrawnIconEngine"); }

private:
    DrawnIconEngine(const DrawnIconEngine&) = default;

    // The smallest designed size that fills `size`, or the largest.
    int designedSize(const QSize& size) const {
        const int wanted = std::min(size.width(), size.height());
        for (int side : sizes_)
            if (side >= wanted)
                return side;
        return sizes_.empty() ? wanted : sizes_.back();
    }
    const QIcon& paintedFor(const QSize& size) {
        const int side = designedSize(size);
        if (side > 0 && std::find(painted_.begin(), painted_.end(), side) == painted_.end()) {
            icon_.addPixmap(paintPixmap(side, grid_, drawing_));
            painted_.push_back(side);
        }
        return icon_;
    }

    std::vector<int> sizes_;
    double grid_;
    Drawing drawing_;
    QIcon icon_;                // the sizes painted so far
    std::vector<int> painted_;
};

} // namespace

QPixmap paintPixmap(int size, double grid, const Drawing& drawing) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / grid, size / grid);
    drawing(p);
    p.end();
    return pixmap;
}

QIcon paintIcon(std::initializer_list<int> sizes, double grid, const Drawing& drawing) {
    return QIcon(new DrawnIconEngine(std::vector<int>(sizes), grid, drawing));
}

QPen outlinePen(double width) {
    return QPen(palette::outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace cs::widgets
