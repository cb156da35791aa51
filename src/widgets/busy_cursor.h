#pragma once
// The wait cursor for the time of a long operation, restored on every way out.
#include <QApplication>

namespace cs::widgets {

class BusyCursor {
public:
    explicit BusyCursor(bool on = true) : on_(on) {
        if (on_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor() {
        if (on_)
            QApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // For work that reports its own start and end (the database's busy hook).
    static void set(bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

private:
    bool on_;
};

} // namespace cs::widgets
