#pragma once
// The pictures of the main window's own commands (tool bar, tray) and of the program, drawn in
// code so that the program needs no picture files and no icon theme.
#include <QIcon>

namespace cs::widgets {

enum class ToolIcon {
    Open,
    Save,
    Cut,
    Copy,
    Paste,
    Delete,
    Properties,
    Find,
    Wizard,
    SendDatabase,
    ReceiveDatabase,
    Numbering,
    Help,
    HelpCursor,
    Undo,
    Redo,
};

QIcon toolIcon(ToolIcon which);
// The program's icon: a receiving dish.
QIcon applicationIcon();

} // namespace cs::widgets
