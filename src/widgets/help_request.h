#pragma once
// A window's Help button asks for the page its F1 key shows: whoever answers F1 (the program's
// support windows, watching the whole application) then picks the page by the window.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace cs::widgets {

inline void requestHelp(QWidget* from) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(from, &press);
}

} // namespace cs::widgets
