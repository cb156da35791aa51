#include "app/node_panel.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace cs::app {

namespace {
constexpr int kPanelWidth = 120;
constexpr int kIconSize = 16;
constexpr int kTextLeft = 18;  // the text starts right of the 16-pixel image
constexpr int kTextTop = 2;
constexpr int kTextRight = 6;
} // namespace

NodePanel::NodePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("nodePanel"));
    setFixedWidth(kPanelWidth);
}

void NodePanel::setNode(const QIcon& icon, const QString& text) {
    icon_ = icon;
    text_ = text;
    setToolTip(text);
    // As wide as the node's name needs (never narrower than designed), so it is not cut.
    QFont bold = font();
    bold.setBold(true);
    setFixedWidth(std::max(kPanelWidth, kTextLeft + QFontMetrics(bold).horizontalAdvance(text) + kTextRight));
    update();
}

QSize NodePanel::sizeHint() const { return {width(), std::max(kIconSize + 2, fontMetrics().height() + kTextTop)}; }

void NodePanel::paintEvent(QPaintEvent*) {
    if (text_.isEmpty() && icon_.isNull())
        return;
    QPainter painter(this);
    const int top = std::max(0, (height() - kIconSize) / 2);
    if (!icon_.isNull())
        icon_.paint(&painter, QRect(0, top, kIconSize, kIconSize));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect textRect(kTextLeft, top + kTextTop - 2, width() - kTextLeft, height() - top);
    const QString shown = QFontMetrics(bold).elidedText(text_, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, shown);
}

} // namespace cs::app
