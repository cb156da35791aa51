#pragma once
// File > Compare with...: the shown database against another file, grouped (only in the other
// file, new in this file, renamed, moved, changed, favourite lists, settings) with counts, each
// channel row saying how its channel was matched. A double-click selects the channel in the
// main window; "Take from the other file" brings back what the chosen rows name (a removed
// channel, an old name, an old place) as one undo step.
#include "compare/compare_host.h"
#include "reference/database_diff.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cs {
class ChannelDatabase;
}

namespace cs::compare_ui {

// The role of a channel row's item that holds its entry index in the comparison.
inline constexpr int kEntryRole = 0x0100;  // Qt::UserRole

class CompareWindow final : public QDialog {
    Q_OBJECT

public:
    // `other` must be an open database; the window keeps it for as long as it is open.
    CompareWindow(const CompareHost& host, ChannelDatabase& shown, std::shared_ptr<const ChannelDatabase> other,
                  std::string otherPath, QWidget* parent);

    // Compares again and refills the rows.
    void refresh();
    // Takes the chosen rows from the other file; false (with a message) when none can be taken.
    bool takeChosen();
    // Chooses the rows of these entries (replacing the choice).
    void chooseEntries(const std::vector<std::size_t>& entries);

    const DatabaseDiff& diff() const { return diff_; }
    QTreeWidget* tree() const { return tree_; }
    QLabel* headline() const { return headline_; }
    QPushButton* takeButton() const { return take_; }
    // The group of this kind of change (nullptr when it has no rows).
    QTreeWidgetItem* group(ChannelChange change) const;

private:
    QString text(const char* key) const;
    QString fieldsText(unsigned fields) const;
    void addChannelGroup(ChannelChange change, const char* key);
    void addListsAndSettings();
    void rowActivated(QTreeWidgetItem* item);

    CompareHost host_;
    ChannelDatabase& shown_;
    std::shared_ptr<const ChannelDatabase> other_;
    std::string otherPath_;
    DatabaseDiff diff_;
    QLabel* headline_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QPushButton* take_ = nullptr;
};

// An open database read from a file, or the reason it is none (the editor's message).
struct OtherDatabase {
    std::shared_ptr<const ChannelDatabase> database;
    std::string problem;
};
OtherDatabase openOtherDatabase(const std::string& path);

// Asks for the other file, opens it and shows the comparison (modal).
void compareWithFile(const CompareHost& host, ChannelDatabase& shown);
// The same for a file already chosen (a drop).
void compareWithPath(const CompareHost& host, ChannelDatabase& shown, const std::string& path);

} // namespace cs::compare_ui
