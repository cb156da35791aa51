#pragma once
// The one painter of the program's pictures: every icon is drawn in code on a square grid with
// one palette and rendered at the sizes asked for, so the program needs no picture files and no
// icon theme, and the tool bar, the tree and the list look alike.
#include <QColor>
#include <QIcon>
#include <QPen>
#include <QPixmap>

#include <functional>
#include <initializer_list>

class QPainter;

namespace cs::widgets {

namespace palette {
inline const QColor outline(40, 40, 48);
inline const QColor paper(0xfb, 0xfb, 0xf6);
inline const QColor folder(0xe8, 0xb3, 0x3c);
inline const QColor blue(46, 110, 200);
inline const QColor lightBlue(150, 200, 245);
inline const QColor yellow(250, 200, 40);
inline const QColor orange(235, 130, 20);
inline const QColor green(60, 160, 80);
inline const QColor red(200, 60, 50);
inline const QColor grey(140, 140, 150);
inline const QColor lightGrey(215, 215, 222);
inline const QColor purple(130, 80, 180);
} // namespace palette

// A drawing made in a `grid` x `grid` box.
using Drawing = std::function<void(QPainter&)>;

// The drawing scaled into a transparent `size` x `size` pixmap, antialiased.
QPixmap paintPixmap(int size, double grid, const Drawing& drawing);
// The drawing at each of `sizes`, each painted when it is first asked for.
QIcon paintIcon(std::initializer_list<int> sizes, double grid, const Drawing& drawing);
// The outline pen, round at caps and joins.
QPen outlinePen(double width);

} // namespace cs::widgets
