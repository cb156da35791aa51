#pragma once
// The link's UI dispatcher for the desktop program: tasks run on the Qt main thread through
// queued invocations; waiting callers are served by UiDispatcher::postAndWait on top of post().
#include "link/ui_dispatcher.h"

#include <QObject>

namespace cs::widgets {

class QtDispatcher final : public cs::link::UiDispatcher {
public:
    // Tasks run in the thread of `context` (the application object by default) and are dropped
    // once the context is destroyed.
    explicit QtDispatcher(QObject* context = nullptr);

    void post(std::function<void()> fn) override;
    void postAfter(std::chrono::milliseconds delay, std::function<void()> fn) override;
    bool isUiThread() const override;
    void pumpFor(std::chrono::milliseconds duration) override;
    // Shown in the application's error box (stop icon, OK).
    void showError(std::string_view message) override;

private:
    QObject* context_;
};

} // namespace cs::widgets
