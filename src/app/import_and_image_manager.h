#pragma once
// The main window's hooks for the import chooser and the image manager: an import file dropped or
// opened goes into the shown database, which is then shown changed and marked modified; the image
// manager opens from the menu or for a picture store the window was asked to open, and hands a
// store to the connection wizard in its software-upgrade mode.
#include "app/main_window.h"
#include "pictures/image_manager_window.h"

#include <string>

namespace cs::app {

// Reads `file`, lets the user choose its components and applies them to the shown database.
void importIntoWindow(MainWindow& window, const std::string& file);

// What the image manager is given by the main window: its texts, folders, log and the wizard.
pictures_ui::ImageManagerHost imageManagerHost(MainWindow& window);

// Shows the image manager modally; `file` ("" for none) is a picture store to open first.
void showImageManager(MainWindow& window, const std::string& file);

// Sets the importFile and openImageManager hooks to the functions above.
void setImportAndImageManagerHooks(MainWindowHooks& hooks);

} // namespace cs::app
