#pragma once
// Tool tips for texts a view cuts: a tree node or list cell too narrow for its text shows the
// whole text when the pointer rests on it. Cells that fit, and cells whose model gives its own
// tool tip, are left to the view.
#include <QObject>

class QAbstractItemView;
class QModelIndex;

namespace cs::widgets {

class CutTextTips final : public QObject {
public:
    // Watches `view`'s viewport; owned by the view.
    explicit CutTextTips(QAbstractItemView& view);

    // Whether `view` shows less than the whole text (with its icon) of `index`.
    static bool isCut(const QAbstractItemView& view, const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& view_;
};

} // namespace cs::widgets
