#include "editing/drag_hint.h"

#include <QLabel>
#include <QWidget>

namespace cs::editing {

DragHint::DragHint() {
    timer_.setSingleShot(true);
    timer_.setInterval(kDragHintDelayMs);
    connect(&timer_, &QTimer::timeout, this, &DragHint::show);
}

DragHint::~DragHint() = default;

void DragHint::schedule(QWidget* control, QPoint at, const QString& text) {
    text_ = text;
    const QPoint anchor = (control ? control->mapToGlobal(at) : at) + QPoint(kDragHintOffset, kDragHintOffset);
    if (!window_) {
        window_ = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                                                        Qt::WindowDoesNotAcceptFocus);
        window_->setObjectName(QStringLiteral("dragHint"));
        window_->setWordWrap(true);
        window_->setMargin(3);
        window_->setAttribute(Qt::WA_TransparentForMouseEvents);
        window_->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    const QRect bounds = window_->fontMetrics().boundingRect(QRect(0, 0, kDragHintMaxWidth, 10000),
                                                             Qt::TextWordWrap, text_);
    rect_ = QRect(anchor, bounds.size() + QSize(8, 8));
    pending_ = true;
    if (text_ == lastText_ || rect_.topLeft() == lastRect_.topLeft()) {
        // A shown hint follows the pointer, so that the pointer never comes over it.
        if (shown_)
            window_->move(rect_.topLeft());
        return;
    }
    lastText_ = text_;
    lastRect_ = rect_;
    if (shown_) {
        // The shown hint goes; the new one waits its own delay.
        window_->hide();
        shown_ = false;
    }
    timer_.start();
}

void DragHint::show() {
    if (pending_ && window_) {
        window_->setText(text_);
        window_->setGeometry(rect_);
        window_->show();
        timer_.stop();
        shown_ = true;
    }
    pending_ = false;
}

void DragHint::hide() {
    timer_.stop();
    // Hidden, not deleted: this runs inside drag events (see the header).
    if (window_)
        window_->hide();
    shown_ = false;
    pending_ = false;
    lastText_.clear();
    lastRect_ = QRect();
}

} // namespace cs::editing
