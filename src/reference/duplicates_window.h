#pragma once
// The duplicates window: the groups findDuplicates gives, in two sections (the same service;
// the same name on one satellite), a row per channel with its number, name, satellite,
// frequency, polarisation, service ID and favourite lists, and a check box choosing it for
// removal. "Remove chosen" removes the chosen channels in one step; their list places go to the
// channel kept in their group.
#include "reference/duplicates.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
} // namespace cs

namespace cs::reference_ui {

// Language keys of the window's caption and of its two sections.
inline constexpr const char* kDuplicatesCaption = "DupTitle";
inline constexpr const char* kServiceSection = "DupSectionService";
inline constexpr const char* kNameSection = "DupSectionName";
inline constexpr int kDuplicateColumnCount = 7;

class DuplicatesWindow final : public QDialog {
    Q_OBJECT

public:
    // `removed` is called after each removal with the number of channels removed (the database
    // changed: the window's owner marks it modified and refills the views).
    DuplicatesWindow(ChannelDatabase& db, const DisplayTexts& texts, std::function<void(std::size_t)> removed,
                     QWidget* parent);

    // Finds the groups again and refills the rows with the default choice.
    void refresh();
    // Removes the chosen channels; false (with a message) when nothing is chosen or a group
    // would keep nothing.
    bool removeChosen();

    QLabel* summaryLabel() const { return summary_; }
    QTreeWidget* groupsTree() const { return tree_; }
    QPushButton* removeButton() const { return remove_; }
    const DuplicateGroups& groups() const { return groups_; }
    // The slots whose rows are checked, ascending.
    std::vector<std::uint16_t> chosenSlots() const;
    // Checks or clears every row of `slot` (a channel may show in both sections).
    void setChosen(std::uint16_t slot, bool chosen);

private:
    QString text(const char* key) const;
    void addSection(const char* caption, const std::vector<std::vector<std::uint16_t>>& groups,
                    const std::vector<std::uint16_t>& chosen, const std::vector<std::uint32_t>& numbers);
    void rowChanged(QTreeWidgetItem* item, int column);
    std::vector<QTreeWidgetItem*> channelRows() const;

    ChannelDatabase& db_;
    const DisplayTexts& texts_;
    std::function<void(std::size_t)> removed_;
    DuplicateGroups groups_;
    QLabel* summary_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QPushButton* remove_ = nullptr;
    bool syncing_ = false;
};

} // namespace cs::reference_ui
