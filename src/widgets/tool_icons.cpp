#include "widgets/tool_icons.h"

#include "widgets/icon_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace cs::widgets {

namespace {

// Every picture is drawn on a 32 x 32 grid and rendered at the sizes the tool bar and menus use.

QIcon render(const widgets::Drawing& draw) { return widgets::paintIcon({16, 22, 24, 32, 48}, 32.0, draw); }


QPen outline(double width = 1.6) { return widgets::outlinePen(width); }

void sheet(QPainter& p, QRectF r) {
    p.setPen(outline());
    p.setBrush(palette::paper);
    p.drawRect(r);
    p.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 1.4));
    for (double y = r.top() + 5; y < r.bottom() - 3; y += 4)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(QPen(color, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({to + d * 4, to - d * 4 + n * 5, to - d * 4 - n * 5}));
}

void receiverBox(QPainter& p) {
    p.setPen(outline());
    p.setBrush(QColor(0x55, 0x60, 0x6e));
    p.drawRoundedRect(QRectF(3, 20, 26, 9), 2, 2);
    p.setBrush(palette::green);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(6, 23, 3, 3));
}

} // namespace

QIcon toolIcon(ToolIcon which) {
    switch (which) {
    case ToolIcon::Open:
        return render([](QPainter& p) {
            p.setPen(outline());
            p.setBrush(palette::folder.darker(115));
            p.drawRect(QRectF(3, 8, 24, 19));
            p.drawRect(QRectF(3, 6, 10, 3));
            p.setBrush(palette::folder);
            p.drawPolygon(QPolygonF({QPointF(7, 13), QPointF(30, 13), QPointF(26, 27), QPointF(3, 27)}));
        });
    case ToolIcon::Save:
        return render([](QPainter& p) {
            p.setPen(outline());
            p.setBrush(palette::blue);
            p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
            p.setBrush(palette::paper);
            p.drawRect(QRectF(9, 4, 14, 9));
            p.setBrush(QColor(0xd8, 0xdd, 0xe4));
            p.drawRect(QRectF(8, 18, 16, 10));
        });
    case ToolIcon::Cut:
        return render([](QPainter& p) {
            p.setPen(QPen(QColor(0x8a, 0x94, 0xa0), 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9, 4), QPointF(21, 21));
            p.drawLine(QPointF(23, 4), QPointF(11, 21));
            p.setPen(QPen(palette::red, 2.4));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(4, 20, 8, 8));
            p.drawEllipse(QRectF(20, 20, 8, 8));
        });
    case ToolIcon::Copy:
        return render([](QPainter& p) {
            sheet(p, QRectF(4, 3, 16, 20));
            sheet(p, QRectF(12, 9, 16, 20));
        });
    case ToolIcon::Paste:
        return render([](QPainter& p) {
            p.setPen(outline());
            p.setBrush(QColor(0xb9, 0x83, 0x4a));
            p.drawRoundedRect(QRectF(5, 5, 20, 24), 2, 2);
            p.setBrush(QColor(0xd8, 0xdd, 0xe4));
            p.drawRect(QRectF(10, 3, 10, 5));
            sheet(p, QRectF(13, 12, 15, 18));
        });
    case ToolIcon::Delete:
        return render([](QPainter& p) {
            p.setPen(QPen(palette::red, 4.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 8), QPointF(24, 24));
            p.drawLine(QPointF(24, 8), QPointF(8, 24));
        });
    case ToolIcon::Properties:
        return render([](QPainter& p) {
            sheet(p, QRectF(5, 3, 20, 26));
            p.setPen(outline(1.2));
            p.setBrush(palette::blue);
            p.drawEllipse(QRectF(17, 17, 12, 12));
            p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(23, 21.5), QPointF(23, 26));
            p.drawPoint(QPointF(23, 19.2));
        });
    case ToolIcon::Find:
        return render([](QPainter& p) {
            p.setPen(QPen(palette::outline, 3.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(19, 19), QPointF(28, 28));
            p.setPen(outline(2.2));
            p.setBrush(QColor(0xcf, 0xe4, 0xf7));
            p.drawEllipse(QRectF(4, 4, 17, 17));
        });
    case ToolIcon::Wizard:
        return render([](QPainter& p) {
            receiverBox(p);
            p.setPen(QPen(palette::outline, 2.0, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            QPainterPath cable(QPointF(24, 20));
            cable.cubicTo(QPointF(24, 10), QPointF(10, 14), QPointF(10, 6));
            p.drawPath(cable);
            p.setBrush(palette::blue);
            p.drawRoundedRect(QRectF(6, 2, 8, 6), 1.5, 1.5);
        });
    case ToolIcon::SendDatabase:
        return render([](QPainter& p) {
            receiverBox(p);
            arrow(p, QPointF(16, 3), QPointF(16, 13), palette::green);
        });
    case ToolIcon::ReceiveDatabase:
        return render([](QPainter& p) {
            receiverBox(p);
            arrow(p, QPointF(16, 15), QPointF(16, 6), palette::blue);
        });
    case ToolIcon::Numbering:
        return render([](QPainter& p) {
            p.setPen(outline());
            p.setBrush(palette::paper);
            p.drawRect(QRectF(3, 4, 26, 24));
            QFont font;
            font.setPixelSize(13);
            font.setBold(true);
            p.setFont(font);
            p.setPen(palette::blue);
            p.drawText(QRectF(3, 4, 26, 24), Qt::AlignCenter, QStringLiteral("12"));
        });
    case ToolIcon::Undo:
    case ToolIcon::Redo:
        return render([which](QPainter& p) {
            // A hook-shaped arrow turning back to the left (undo) or on to the right (redo).
            if (which == ToolIcon::Redo) {
                p.translate(32, 0);
                p.scale(-1, 1);
            }
            p.setPen(QPen(palette::blue, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            QPainterPath hook(QPointF(12, 12));
            hook.lineTo(QPointF(19, 12));
            hook.cubicTo(QPointF(30, 12), QPointF(30, 27), QPointF(19, 27));
            hook.lineTo(QPointF(10, 27));
            p.drawPath(hook);
            p.setPen(Qt::NoPen);
            p.setBrush(palette::blue);
            p.drawPolygon(QPolygonF({QPointF(3, 12), QPointF(12, 5), QPointF(12, 19)}));
        });
    case ToolIcon::Help:
    case ToolIcon::HelpCursor:
        return render([which](QPainter& p) {
            p.setPen(outline());
            p.setBrush(which == ToolIcon::Help ? palette::blue : palette::green);
            p.drawEllipse(QRectF(4, 4, 24, 24));
            QFont font;
            font.setPixelSize(18);
            font.setBold(true);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(4, 4, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
        });
    }
    return {};
}

QIcon applicationIcon() {
    // Also drawn large: the desktop shows it in launchers and the about box shows it big.
    return widgets::paintIcon({16, 22, 24, 32, 48, 64, 128, 256}, 32.0, [](QPainter& p) {
        // Dish, feed arm and the receiver's box.
        p.setPen(outline(1.4));
        p.setBrush(QColor(0xd9, 0xe1, 0xea));
        QPainterPath dish(QPointF(4, 6));
        dish.quadTo(QPointF(8, 26), QPointF(26, 22));
        dish.quadTo(QPointF(14, 18), QPointF(4, 6));
        p.drawPath(dish);
        p.setPen(QPen(palette::outline, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 18), QPointF(23, 8));
        p.setBrush(palette::red);
        p.drawEllipse(QRectF(21, 5, 5, 5));
        p.setPen(QPen(palette::blue, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(22, 0, 9, 9), 0 * 16, 90 * 16);
        p.setPen(outline(1.2));
        p.setBrush(palette::blue);
        p.drawRoundedRect(QRectF(10, 25, 20, 6), 1.5, 1.5);
        p.setBrush(palette::green);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(12, 27, 2.5, 2.5));
    });
}

} // namespace cs::widgets
