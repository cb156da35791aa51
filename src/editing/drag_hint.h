#pragma once
// The hint next to the pointer that says what a drop would do. It shows 500 ms after its text
// or place last changed, and goes with the end of the drag.
//
// The hint window is a tool-tip window that takes no input and lies below and to the right of
// the pointer, never under it: the X11 drag code looks at the window under the pointer. It is
// made once and only hidden while a drag lasts; deleting it inside a drag event would leave that
// code holding a dangling window.
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

#include <memory>

class QLabel;
class QWidget;

namespace cs::editing {

inline constexpr int kDragHintDelayMs = 500;
inline constexpr int kDragHintMaxWidth = 400;
// The hint's top-left corner lies this far right of and below the pointer.
inline constexpr int kDragHintOffset = 20;

class DragHint final : public QObject {
    Q_OBJECT

public:
    DragHint();
    ~DragHint() override;

    // `at` is the pointer within `control`.
    void schedule(QWidget* control, QPoint at, const QString& text);
    void show();
    void hide();

    bool pending() const { return pending_; }
    bool shown() const { return shown_; }
    QString text() const { return text_; }
    QRect rect() const { return rect_; }
    QTimer& timer() { return timer_; }
    QLabel* window() const { return window_.get(); }

private:
    QString text_;
    QString lastText_;
    QRect rect_;
    QRect lastRect_;
    std::unique_ptr<QLabel> window_;
    bool pending_ = false;
    bool shown_ = false;
    QTimer timer_;
};

} // namespace cs::editing
