#pragma once
// The log window: every line of the program's diagnostic log (the loader, the properties dialog,
// the image manager), including those written before it was first shown. It is created at start
// and kept hidden until the Help menu shows it; a double-click writes its lines to the log file in
// the user's state folder and shows where, and its pop-up menu copies them all to the clipboard.
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

class QLabel;
class QListWidget;
class QMenu;

namespace cs {
class MemoryLog;
}

namespace cs::desktop {

class LogWindow final : public QWidget {
    Q_OBJECT

public:
    LogWindow(MemoryLog& log, std::filesystem::path logFile, QWidget* parent = nullptr);
    ~LogWindow() override;

    // Takes the lines written since the last call (the log tells the window when there are any).
    void takeNewLines();
    // Writes every line to the log file; false (and a message) when that failed.
    bool writeLogFile();
    void copyAll();

    QStringList lines() const;
    const std::filesystem::path& logFile() const { return logFile_; }
    QListWidget* list() const { return list_; }
    QMenu* popupMenu() const { return popup_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyTexts();

    MemoryLog& log_;
    std::filesystem::path logFile_;
    QListWidget* list_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* popup_ = nullptr;
    std::uint64_t seenClears_ = 0;
    std::size_t seenLines_ = 0;
    // Shared with the log's listener, which may run on another thread after this window is gone
    // only until the destructor has removed it.
    std::shared_ptr<std::atomic<bool>> updatePending_;
};

} // namespace cs::desktop
