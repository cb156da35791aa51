#pragma once
// The channel list as a table model over the rows of one view: each row is a channel slot of the
// in-memory database and the running number it got when the list was filled. Cell texts are
// built on demand from the database, so that filling 8000 rows only copies slot numbers.
#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace cs {
class ChannelDatabase;
class DisplayTexts;
struct ChannelRow;
} // namespace cs

namespace cs::views {

// Logical columns of the channel list; column 0 exists only in numbering mode.
enum ListColumn : int {
    kColNumber = 0,
    kColName = 1,
    kColLanguage = 2,
    kColCa = 3,
    kColFrequency = 4,
    kColSymbolRate = 5,
    kColFec = 6,
    kColPolarisation = 7,
    kColSatellite = 8,
    kColVideo = 9,
    kColAudio = 10,
    kColProvider = 11,
    kListColumnCount = 12,
};

// The fixed column table: width in pixels, designed caption, and the caption's language key
// (empty when the designed caption stays).
struct ListColumnInfo {
    int width;
    const char* designed;
    const char* key;
};
extern const std::array<ListColumnInfo, kListColumnCount> kListColumns;

// Item data role carrying a row's channel slot.
inline constexpr int kRoleSlot = 0x0100;  // Qt::UserRole

// Comparison of two rows for a column sort: negative, zero or positive. `numberA`/`numberB` are
// the running numbers the rows were filled with; `direction` 1 sorts the falling way.
int compareRows(const ChannelDatabase& db, std::uint16_t slotA, int numberA, std::uint16_t slotB, int numberB,
                int logicalColumn, int direction);

class ChannelListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    ChannelListModel(const ChannelDatabase& database, const DisplayTexts& texts, QObject* parent = nullptr);
    ~ChannelListModel() override;

    // Logical column of a visible column, and back.
    int logicalColumn(int visibleColumn) const { return visibleColumn + (numbering_ ? 0 : 1); }
    int visibleColumn(int logicalColumn) const { return logicalColumn - (numbering_ ? 0 : 1); }

    void setNumbering(bool on);
    bool numbering() const { return numbering_; }
    // Rows may be renamed in place (mode 1, numbering off).
    void setEditable(bool on) { editable_ = on; }
    bool editable() const { return editable_; }
    // Column captions by logical column.
    void setCaptions(const std::array<QString, kListColumnCount>& captions);

    // Replaces the rows: slots in view order, numbered from 1. `progress` is called with the row
    // index each time a hundredth of the rows is done.
    void setRows(std::span<const std::uint16_t> rowSlots, const std::function<void(int)>& progress = {});
    void clear();
    int rows() const { return static_cast<int>(count_); }
    std::span<const std::uint16_t> rowSlots() const { return {slots_.data(), count_}; }
    std::uint16_t slotAt(int row) const { return slots_[static_cast<std::size_t>(row)]; }
    int numberAt(int row) const { return numbers_[static_cast<std::size_t>(row)]; }
    // Row of a slot; -1 when it is not shown.
    int rowOfSlot(std::uint16_t slot) const;
    // Sorts the rows by a logical column (stable: equal rows keep their order).
    void sortBy(int logicalColumn, int direction);
    // Replaces the row order (the same rows in another order, or fewer after a removal); the
    // running numbers travel with their rows.
    void setOrder(std::span<const int> rowsInNewOrder);
    // The cells of a row changed (after its channel was edited).
    void refreshRow(int row);
    // Every row may look different (the clipboard's cut rows changed).
    void refreshRows();

    // A row shown as cut (greyed).
    void setCutTest(std::function<bool(std::uint16_t slot)> test) { isCut_ = std::move(test); }
    // In-place rename of a row's channel; returns false when the text was refused.
    void setRenameHandler(std::function<bool(std::uint16_t slot, const QString& text)> handler) {
        rename_ = std::move(handler);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    const ChannelRow& rowTexts(int row) const;
    QString cellText(const ChannelRow& r, int logical) const;

    const ChannelDatabase& db_;
    const DisplayTexts& texts_;
    // One table of 8192 entries each, allocated once.
    std::vector<std::uint16_t> slots_;
    std::vector<std::uint16_t> numbers_;
    std::vector<std::uint16_t> scratchSlots_;
    std::vector<std::uint16_t> scratchNumbers_;
    std::size_t count_ = 0;
    bool numbering_ = false;
    bool editable_ = true;
    std::array<QString, kListColumnCount> captions_;
    std::function<bool(std::uint16_t)> isCut_;
    std::function<bool(std::uint16_t, const QString&)> rename_;
    // The texts of the row last asked for: a view asks for the cells of one row in a burst.
    mutable std::unique_ptr<ChannelRow> cache_;
    mutable int cacheRow_ = -1;
};

} // namespace cs::views
