#include "widgets/icon_painter.h"

#include <QPainter>

namespace cs::widgets {

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
    QIcon icon;
    for (int size : sizes)
        icon.addPixmap(paintPixmap(size, grid, drawing));
    return icon;
}

QPen outlinePen(double width) {
    return QPen(palette::outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace cs::widgets
