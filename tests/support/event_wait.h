#pragma once
// Waiting on a condition in a window test without QTest::qWaitFor's 10 ms sleeps: the event loop
// blocks until an event arrives, so work that hops to the UI thread and back (the transfer
// engine does so for every block) runs at the speed of the program itself. A short timer
// re-checks conditions that change without an event.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace cs::testsupport {

template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QTimer recheck;
    recheck.start(2);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

} // namespace cs::testsupport
