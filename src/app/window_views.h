#pragma once
// The views of the main window, put together over its widgets: the one place that knows both.
#include <memory>

namespace cs::views {
class MainViews;
class ViewController;
}
namespace cs::editing {
class EditController;
}
namespace cs::reference_ui {
class ReferenceCommands;
}

namespace cs::app {

class MainWindow;

// Sorting and changes mark the window's database modified, the selected node repaints the node
// panel, a tree selection resets the find position and moving the splitter re-places the bin's
// help text.
std::unique_ptr<views::MainViews> makeWindowViews(MainWindow& window);
// The editing commands over the window and its views (makeWindowViews attaches them).
void attachEditing(MainWindow& window, views::ViewController& views);
// Order like a reference, export the shown view and find duplicates (makeWindowViews attaches
// them); the commands of the window's views, null without views.
void attachReferenceCommands(MainWindow& window, views::ViewController& views);
reference_ui::ReferenceCommands* referenceCommandsOf(MainWindow& window);
// The editing commands of the window's views; null without views.
editing::EditController* editControllerOf(MainWindow& window);

} // namespace cs::app
