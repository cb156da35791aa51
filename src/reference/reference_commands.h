#pragma once
// The main window's commands of working with a reference: "Order like a reference..." (a
// dialog, the ordering in one step, then its summary), "Export view as CSV..." (the channels the
// list shows, in the order shown) and "Find duplicates..." (the duplicates window). They reach
// the window through a ReferenceHost, as the editing commands do through theirs.
#include "common/text_table.h"
#include "reference/view_print.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QWidget;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
} // namespace cs

namespace cs::views {
class ViewController;
}

namespace cs::reference_ui {

class OrderSummaryDialog;

// Caption of the export's boxes (no language file has keys for these commands; the window gives
// the menu entries their texts).
inline constexpr const char* kExportCaption = "ExportTitle";  // language key

struct ReferenceHost {
    QWidget* window = nullptr;
    QAction* orderLikeReference = nullptr;
    QAction* exportView = nullptr;
    QAction* findDuplicates = nullptr;
    QAction* printView = nullptr;   // File > Print... with a preview
    QAction* exportPdf = nullptr;   // File > Export as PDF...
    std::function<bool()> databaseLoaded;
    // The database was changed by a command: it is marked modified and the change becomes one
    // undo step of this name.
    std::function<void(const std::string& stepName)> changed;
    // Refills the tree, the list and the status panels after a change.
    std::function<void()> refreshViews;
    // The shown file (its folder starts the file dialogs); empty without one.
    std::function<std::string()> shownFile;
    // A short confirmation in the status bar.
    std::function<void(const std::string& text)> showStatus;
};

class ReferenceCommands final : public QObject {
    Q_OBJECT

public:
    ReferenceCommands(ReferenceHost host, views::ViewController& views, ChannelDatabase& database,
                      const DisplayTexts& texts, QObject* parent = nullptr);

    void orderLikeReference();
    void exportView();
    void findDuplicates();
    void printView();
    void exportPdf();
    // Writes the shown view as a PDF; false (with a message box) when there is nothing to print
    // or the file cannot be written.
    bool exportViewPdf(const std::string& path);

    // The summary of the last ordering while it is open (tests look at it).
    OrderSummaryDialog* summaryDialog() const;

private:
    std::string startFolder() const;
    // The save dialog of the export commands, starting in the shown file's folder.
    std::optional<std::string> askSavePath(const std::string& title, const std::string& filter,
                                           const std::string& extension, const std::string& fileName) const;
    // The shown view as the printed table: the list position (the running number outside a
    // favourite list) and every column the list shows, rows in list order.
    TextTable printTable() const;
    PrintHeader printHeader() const;
    // Whether the list shows channels; says so when it does not.
    bool viewHasChannels(const std::string& caption) const;
    // The favourite list the tree shows, else 0 (the main list).
    int shownList() const;

    ReferenceHost host_;
    views::ViewController& views_;
    ChannelDatabase& db_;
    const DisplayTexts& texts_;
    QPointer<OrderSummaryDialog> summary_;
};

} // namespace cs::reference_ui
