#pragma once
// Undo and Redo of the main window: the actions in the Edit menu and the tool bar, a step
// recorded each time the database becomes modified, and undo and redo that set the database back
// and refresh the tree and the list. The keyboard shortcuts of Save, Exit, Undo and Redo follow
// the stored preference "Ctrl+Z undoes".
#include "undo/database_undo.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class QAction;

namespace cs::app {

class MainWindow;

class UndoCommands final : public QObject {
    Q_OBJECT

public:
    explicit UndoCommands(MainWindow& window);

    // A file was opened: a new history.
    void restart();
    // The database was marked modified. Commands mark it before or after they change it, so the
    // step is recorded once the command has returned to the event loop (or at the next undo,
    // redo or save, whichever comes first).
    void changed();
    // Records a pending change as its step now.
    void flush();
    // The database was saved (or opened): this position is the unmodified one.
    void saved();
    // The next recorded step takes this name instead of one made from what changed.
    void nameNextStep(std::string name) { nextName_ = std::move(name); }
    void undo();
    void redo();
    // Save and Exit keep Ctrl+Z and Ctrl+N and gain Ctrl+S and Ctrl+Q; with the preference set,
    // Ctrl+Z undoes and Save keeps Ctrl+S.
    void applyShortcuts();
    void refreshActions();

    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QAction* toolUndoAction() const { return toolUndo_; }
    QAction* toolRedoAction() const { return toolRedo_; }
    const undo::DatabaseUndo& history() const { return history_; }

private:
    // Carries out an undo or redo with the views refilled around it.
    void stepDone(const std::function<void()>& step);

    MainWindow& window_;
    undo::DatabaseUndo history_;
    std::string nextName_;
    bool restoring_ = false;
    bool pending_ = false;
    QTimer recordTimer_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* toolUndo_ = nullptr;
    QAction* toolRedo_ = nullptr;
};

} // namespace cs::app
