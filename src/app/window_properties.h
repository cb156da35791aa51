#pragma once
// The properties dialog put together over the main window: its database, texts, stored
// settings, log and start-channel chooser. The dialog is made at the first request and kept for
// the rest of the run.
#include "properties/properties_request.h"

#include <functional>

namespace cs::app {

class MainWindow;

// The hook the main window calls to show the properties dialog (MainWindowHooks::openProperties).
std::function<properties::ChangeLevel(MainWindow&, const properties::PropertiesRequest&)> makePropertiesHook();

} // namespace cs::app
