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

namespace cs::app {

class MainWindow;

// Sorting and changes mark the window's database modified, the selected node repaints the node
// panel, a tree selection resets the find position and moving the splitter re-places the bin's
// help text.
std::unique_ptr<views::MainViews> makeWindowViews(MainWindow& window);
// The editing commands over the window and its views (makeWindowViews attaches them).
void attachEditing(MainWindow& window, views::ViewController& views);
// The editing commands of the window's views; null without views.
editing::EditController* editControllerOf(MainWindow& window);

} // namespace cs::app
