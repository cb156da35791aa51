#include "widgets/cut_text_tips.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyleOptionViewItem>
#include <QToolTip>

#include <algorithm>

namespace cs::widgets {

CutTextTips::CutTextTips(QAbstractItemView& view) : QObject(&view), view_(view) {
    view.viewport()->installEventFilter(this);
}

bool CutTextTips::isCut(const QAbstractItemView& view, const QModelIndex& index) {
    if (!index.isValid() || index.data(Qt::DisplayRole).toString().isEmpty())
        return false;
    const QRect rect = view.visualRect(index);
    const int shown = std::min(rect.right(), view.viewport()->width() - 1) - rect.left() + 1;
    QAbstractItemDelegate* delegate = view.itemDelegateForIndex(index);
    if (!delegate)
        return false;
    QStyleOptionViewItem option;
    option.initFrom(view.viewport());
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    option.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(16, 16);
    option.rect = rect;
    return delegate->sizeHint(option, index).width() > shown;
}

bool CutTextTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || watched != view_.viewport())
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = view_.indexAt(help->pos());
    if (!index.isValid() || !index.data(Qt::ToolTipRole).toString().isEmpty() || !isCut(view_, index))
        return false;
    QToolTip::showText(help->globalPos(), index.data(Qt::DisplayRole).toString(), view_.viewport(),
                       view_.visualRect(index));
    return true;
}

} // namespace cs::widgets
