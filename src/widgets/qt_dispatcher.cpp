#include "widgets/qt_dispatcher.h"

#include "widgets/message_box.h"
#include "lang/lang_list.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <exception>
#include <string>

namespace cs::widgets {

namespace {

void showErrorBox(std::string_view message) {
    messageBox(std::string(message), cs::lang::text("TextError"), kStopOk);
}

} // namespace

QtDispatcher::QtDispatcher(QObject* context) : context_(context ? context : QCoreApplication::instance()) {}

void QtDispatcher::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        context_,
        [fn = std::move(fn)] {
            // The task may outlive this dispatcher, so errors go straight to the error box.
            try {
                fn();
            } catch (const std::exception& e) {
                showErrorBox(e.what());
            }
        },
        Qt::QueuedConnection);
}

void QtDispatcher::postAfter(std::chrono::milliseconds delay, std::function<void()> fn) {
    QTimer::singleShot(delay, context_, [fn = std::move(fn)] {
        try {
            fn();
        } catch (const std::exception& e) {
            showErrorBox(e.what());
        }
    });
}

bool QtDispatcher::isUiThread() const { return QThread::currentThread() == context_->thread(); }

void QtDispatcher::pumpFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

void QtDispatcher::showError(std::string_view message) { showErrorBox(message); }

} // namespace cs::widgets
