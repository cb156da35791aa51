#include "views/view_icons.h"

#include "widgets/icon_painter.h"

#include "views/tree_builder.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <functional>

namespace cs::views {

namespace {

// Every glyph is drawn in a 16 x 16 unit box and scaled to the pixmap's size, so the 32-pixel
// settings images and the 16-pixel images share their drawings.
using Glyph = widgets::Drawing;

namespace palette = widgets::palette;

QPixmap render(int size, const Glyph& glyph) { return widgets::paintPixmap(size, 16.0, glyph); }

QPen outline(double width = 1.0) { return widgets::outlinePen(width); }

// A selected node gets a soft yellow disc behind its glyph.
void selectionHalo(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 120, 170));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
}

void drawSatellite(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(-35);
    p.setPen(outline(0.8));
    p.setBrush(palette::blue);
    p.drawRect(QRectF(-7.5, -2.2, 4.5, 4.4));   // solar panels
    p.drawRect(QRectF(3.0, -2.2, 4.5, 4.4));
    p.drawLine(QPointF(-3.0, 0), QPointF(3.0, 0));
    p.setBrush(palette::lightGrey);
    p.drawRect(QRectF(-2.0, -2.8, 4.0, 5.6));   // body
    p.restore();
    p.setPen(outline(0.8));
    p.drawLine(QPointF(8.6, 9.6), QPointF(10.5, 13.5));
    p.setBrush(palette::grey);
    p.drawEllipse(QRectF(9.7, 12.7, 2.0, 2.0));  // antenna
}

void drawSatelliteSelected(QPainter& p) {
    selectionHalo(p);
    drawSatellite(p);
}

void drawListLines(QPainter& p, const QColor& bullet) {
    p.setPen(outline(0.8));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    for (int i = 0; i < 4; ++i) {
        const double y = 4.0 + i * 2.7;
        p.setPen(Qt::NoPen);
        p.setBrush(bullet);
        p.drawEllipse(QRectF(3.2, y - 0.9, 1.8, 1.8));
        p.setPen(QPen(palette::grey, 1.0));
        p.drawLine(QPointF(6.2, y), QPointF(12.8, y));
    }
}

void drawMainList(QPainter& p) { drawListLines(p, palette::blue); }

QPolygonF star(QPointF centre, double outer, double inner) {
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2) ? inner : outer;
        const double a = -M_PI / 2 + i * M_PI / 5;
        poly << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    }
    return poly;
}

void drawFavourite(QPainter& p) {
    p.setPen(outline(0.8));
    p.setBrush(palette::yellow);
    p.drawPolygon(star(QPointF(8, 8.6), 7.2, 3.0));
}

void drawFavouriteSelected(QPainter& p) {
    selectionHalo(p);
    p.setPen(outline(0.8));
    p.setBrush(palette::orange);
    p.drawPolygon(star(QPointF(8, 8.6), 7.2, 3.0));
}

void drawBin(QPainter& p, bool open) {
    p.setPen(outline(0.8));
    p.setBrush(palette::lightGrey);
    QPolygonF can;
    can << QPointF(3.5, 5) << QPointF(12.5, 5) << QPointF(11.5, 15) << QPointF(4.5, 15);
    p.drawPolygon(can);
    p.setPen(QPen(palette::grey, 0.8));
    for (double x : {6.3, 8.0, 9.7})
        p.drawLine(QPointF(x, 7), QPointF(x, 13.5));
    p.setPen(outline(0.8));
    p.setBrush(palette::grey);
    if (open) {
        p.save();
        p.translate(3, 4);
        p.rotate(-30);
        p.drawRect(QRectF(0, -1.5, 10, 1.5));
        p.restore();
    } else {
        p.drawRect(QRectF(2.5, 3.2, 11, 1.6));
        p.drawRect(QRectF(6.5, 1.8, 3, 1.4));
    }
}

void drawTower(QPainter& p, const QColor& waves, double scale) {
    p.save();
    p.translate(8, 8);
    p.scale(scale, scale);
    p.translate(-8, -8);
    p.setPen(outline(0.9));
    p.drawLine(QPointF(8, 5), QPointF(4.5, 15));
    p.drawLine(QPointF(8, 5), QPointF(11.5, 15));
    p.drawLine(QPointF(6.0, 11), QPointF(10.0, 11));
    p.setBrush(palette::red);
    p.drawEllipse(QRectF(6.6, 3.6, 2.8, 2.8));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(waves, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(3.5, 0.5, 9, 9), 30 * 16, 120 * 16);
    p.drawArc(QRectF(1.0, -2.0, 14, 14), 40 * 16, 100 * 16);
    p.restore();
}

void drawProviders(QPainter& p) {
    p.setPen(outline(0.8));
    p.setBrush(palette::lightGrey);
    p.drawRect(QRectF(1.5, 9.5, 13, 5));
    drawTower(p, palette::purple, 0.75);
}

void drawProvidersSelected(QPainter& p) {
    selectionHalo(p);
    drawProviders(p);
}

void drawProvider(QPainter& p) { drawTower(p, palette::purple, 1.0); }

void drawProviderSelected(QPainter& p) {
    selectionHalo(p);
    drawTower(p, palette::orange, 1.0);
}

void drawGear(QPainter& p, const QColor& fill) {
    QPainterPath gear;
    const QPointF c(8, 8);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 45.0);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::outline);
        p.drawRect(QRectF(-1.4, -7.4, 2.8, 3.0));
        p.restore();
    }
    p.setPen(outline(0.8));
    p.setBrush(fill);
    p.drawEllipse(c, 5.0, 5.0);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 2.0, 2.0);
}

void drawSettings(QPainter& p) { drawGear(p, palette::grey); }

void drawTv(QPainter& p) {
    p.setPen(outline(0.8));
    p.setBrush(palette::outline);
    p.drawRoundedRect(QRectF(1, 2.5, 14, 9.5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::lightBlue);
    p.drawRect(QRectF(2.5, 4, 11, 6.5));
    p.setPen(outline(1.0));
    p.drawLine(QPointF(8, 12), QPointF(8, 14));
    p.drawLine(QPointF(5, 14.5), QPointF(11, 14.5));
}

void drawRadio(QPainter& p) {
    p.setPen(outline(0.9));
    p.drawLine(QPointF(4, 6), QPointF(11.5, 1.5));  // antenna
    p.setBrush(palette::green);
    p.drawRoundedRect(QRectF(1, 6, 14, 8.5), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(2.8, 7.8, 5, 5));           // speaker
    p.setBrush(palette::outline);
    p.drawEllipse(QRectF(4.6, 9.6, 1.4, 1.4));
    p.setPen(QPen(Qt::white, 1.0));
    p.drawLine(QPointF(9.5, 8.8), QPointF(13.3, 8.8));
    p.drawLine(QPointF(9.5, 10.8), QPointF(13.3, 10.8));
    p.drawLine(QPointF(9.5, 12.8), QPointF(13.3, 12.8));
}

void drawData(QPainter& p) {
    p.setPen(outline(0.8));
    p.setBrush(palette::lightGrey);
    QPolygonF page;
    page << QPointF(3, 1.5) << QPointF(10, 1.5) << QPointF(13, 4.5) << QPointF(13, 14.5) << QPointF(3, 14.5);
    p.drawPolygon(page);
    p.setPen(QPen(palette::blue, 1.0));
    for (int i = 0; i < 4; ++i) {
        const double y = 5.5 + i * 2.3;
        const double len = (i % 2) ? 5.0 : 7.0;
        p.drawLine(QPointF(5, y), QPointF(5 + len, y));
    }
}

void drawChannel(QPainter& p) {
    p.setPen(outline(0.8));
    p.setBrush(palette::lightBlue);
    p.drawRoundedRect(QRectF(2, 3, 12, 10), 2, 2);
}

void drawStatus(QPainter& p) {
    // A dish: the program's own mark.
    p.setPen(outline(0.8));
    p.setBrush(palette::lightGrey);
    p.drawChord(QRectF(1, 1, 13, 13), 200 * 16, 180 * 16);
    p.drawLine(QPointF(7.5, 7.5), QPointF(12.5, 2.5));
    p.setBrush(palette::red);
    p.drawEllipse(QRectF(11.5, 1.5, 2.5, 2.5));
    p.drawLine(QPointF(6, 12), QPointF(5, 15));
    p.drawLine(QPointF(3, 15), QPointF(8, 15));
}

// Settings pages (drawn at 32 pixels).
void drawReceiver(QPainter& p) {
    p.setPen(outline(0.6));
    p.setBrush(palette::outline);
    p.drawRoundedRect(QRectF(0.8, 5, 14.4, 6), 1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::green);
    p.drawEllipse(QRectF(2.2, 7.3, 1.4, 1.4));
    p.setBrush(QColor(80, 220, 120));
    p.drawRect(QRectF(5, 7.0, 5, 2));
    p.setBrush(palette::lightGrey);
    p.drawEllipse(QRectF(11.5, 7.0, 2, 2));
}

void drawConverter(QPainter& p) {
    p.setPen(outline(0.7));
    p.setBrush(palette::lightGrey);
    p.drawChord(QRectF(0.5, 1, 11, 14), 90 * 16, 180 * 16);  // dish
    p.drawLine(QPointF(6, 8), QPointF(12, 8));
    p.setBrush(palette::blue);
    p.drawRect(QRectF(11.5, 6.5, 3.5, 3));   // LNB
    p.drawLine(QPointF(6, 13), QPointF(6, 15.5));
}

void drawTransponders(QPainter& p) {
    p.setPen(outline(0.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1, 1.5, 14, 13));
    p.setPen(QPen(palette::grey, 0.5));
    for (int i = 1; i < 5; ++i)
        p.drawLine(QPointF(1, 1.5 + i * 2.6), QPointF(15, 1.5 + i * 2.6));
    p.drawLine(QPointF(6, 1.5), QPointF(6, 14.5));
    QPainterPath wave;
    wave.moveTo(2, 8);
    for (int i = 0; i < 6; ++i)
        wave.quadTo(QPointF(2.5 + i * 2.2, (i % 2) ? 11 : 5), QPointF(3.5 + i * 2.2, 8));
    p.setPen(QPen(palette::red, 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

void drawInternet(QPainter& p) {
    p.setPen(outline(0.6));
    p.setBrush(palette::lightBlue);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4.5, 1, 7, 14));
    p.drawLine(QPointF(8, 1), QPointF(8, 15));
    p.drawLine(QPointF(1, 8), QPointF(15, 8));
    p.drawLine(QPointF(2.2, 4.5), QPointF(13.8, 4.5));
    p.drawLine(QPointF(2.2, 11.5), QPointF(13.8, 11.5));
}

void drawClock(QPainter& p) {
    p.setPen(outline(0.7));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        p.drawLine(QPointF(8 + 5.6 * std::cos(a), 8 + 5.6 * std::sin(a)),
                   QPointF(8 + 6.3 * std::cos(a), 8 + 6.3 * std::sin(a)));
    }
    p.setPen(outline(1.0));
    p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
    p.drawLine(QPointF(8, 8), QPointF(11.5, 9.5));
}

void drawLock(QPainter& p) {
    p.setPen(QPen(palette::grey, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
    p.setPen(outline(0.7));
    p.setBrush(palette::yellow);
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7.5), 1, 1);
    p.setBrush(palette::outline);
    p.drawEllipse(QRectF(7.1, 9.6, 1.8, 1.8));
    p.drawRect(QRectF(7.6, 11, 0.8, 2));
}

void drawSettingsPage4(QPainter& p) { drawGear(p, palette::lightGrey); }

template <std::size_t N>
const std::array<QPixmap, N>& renderSet(int size, const std::array<Glyph, N>& glyphs, std::array<QPixmap, N>& cache,
                                        bool& done) {
    if (!done) {
        for (std::size_t i = 0; i < N; ++i)
            cache[i] = render(size, glyphs[i]);
        done = true;
    }
    return cache;
}

const std::array<QPixmap, kTreeImageCount>& treeImages() {
    static std::array<QPixmap, kTreeImageCount> cache;
    static bool done = false;
    static const std::array<Glyph, kTreeImageCount> glyphs = {
        drawSatellite,          // kImgSatellite
        drawFavourite,          // kImgList
        drawMainList,           // kImgMainList
        drawSatelliteSelected,  // kImgSatelliteSelected
        drawFavouriteSelected,  // kImgListSelected
        [](QPainter& p) { drawBin(p, false); },
        [](QPainter& p) { drawBin(p, true); },
        drawProviders,
        drawProvidersSelected,
        drawProvider,
        drawProviderSelected,
        drawSettings,
    };
    return renderSet(kSmallIconSize, glyphs, cache, done);
}

const std::array<QPixmap, kListImageCount>& listImages() {
    static std::array<QPixmap, kListImageCount> cache;
    static bool done = false;
    static const std::array<Glyph, kListImageCount> glyphs = {
        drawChannel, drawFavourite, drawData, drawTv, drawRadio, drawStatus,
    };
    return renderSet(kSmallIconSize, glyphs, cache, done);
}

const std::array<QPixmap, kSettingsImageCount>& settingsImages() {
    static std::array<QPixmap, kSettingsImageCount> cache;
    static bool done = false;
    static const std::array<Glyph, kSettingsImageCount> glyphs = {
        drawReceiver,       // 0 receiver settings
        drawSatellite,      // 1 satellites
        drawClock,          // 2 clock
        drawLock,           // 3 parental lock
        drawSettingsPage4,  // 4
        drawConverter,      // 5 converters
        drawTransponders,   // 6 transponder list
        drawInternet,       // 7 internet
    };
    return renderSet(kLargeIconSize, glyphs, cache, done);
}

} // namespace

QPixmap treeImage(int index) {
    if (index < 0 || index >= kTreeImageCount)
        return {};
    return treeImages()[static_cast<std::size_t>(index)];
}

QIcon treeIcon(int image, int selectedImage) {
    QIcon icon;
    icon.addPixmap(treeImage(image), QIcon::Normal);
    icon.addPixmap(treeImage(selectedImage), QIcon::Selected);
    return icon;
}

QPixmap listImage(int index) {
    if (index < 0 || index >= kListImageCount)
        return {};
    return listImages()[static_cast<std::size_t>(index)];
}

QIcon listIcon(int index) {
    static std::array<QIcon, kListImageCount> icons;
    if (index < 0 || index >= kListImageCount)
        return {};
    QIcon& icon = icons[static_cast<std::size_t>(index)];
    if (icon.isNull())
        icon = QIcon(listImage(index));
    return icon;
}

QPixmap settingsImage(int page) {
    if (page < 0 || page >= kSettingsImageCount)
        return {};
    return settingsImages()[static_cast<std::size_t>(page)];
}

} // namespace cs::views
