#pragma once
// The properties dialog put together over the main window: its database, texts, stored
// settings, log and start-channel chooser. The dialog is made at the first request and kept for
// the rest of the run.
#include "app/window_requests.h"

#include <functional>

namespace cs::app {

class MainWindow;

// The hook the main window calls to show the properties dialog (MainWindowHooks::openProperties).
std::function<PropertiesChange(MainWindow&, const PropertiesRequest&)> makePropertiesHook();

} // namespace cs::app
