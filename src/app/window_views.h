#pragma once
// The views of the main window, put together over its widgets: the one place that knows both.
#include <functional>
#include <memory>
#include <string>

#include "editing/edit_controller.h"
#include "reference/reference_commands.h"
#include "views/view_controller.h"

namespace cs::app {

class MainWindow;

// The views and the commands attached to them, owned together; the commands go first.
struct WindowViews {
    std::unique_ptr<views::ViewController> views;
    std::unique_ptr<editing::EditController> editing;
    std::unique_ptr<reference_ui::ReferenceCommands> reference;
    // Compares the shown database with another file (a database dropped with Ctrl held).
    std::function<void(const std::string& path)> compareWith;
};

// Sorting and changes mark the window's database modified, the selected node repaints the node
// panel and moving the splitter re-places the bin's help text; the editing commands and the
// reference commands (order like a reference, export the shown view, find duplicates) are
// attached to the views.
std::unique_ptr<WindowViews> makeWindowViews(MainWindow& window);

} // namespace cs::app
