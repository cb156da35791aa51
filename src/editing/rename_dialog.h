#pragma once
// Edit > Rename...: find and replace in the names of the selected channels (or of every row the
// list shows), plain or as a regular expression, with or without letter case, and a live preview
// of old and new names in which the rows the receiver's name rules changed are marked. The
// preview and OK go through the same core rules (rename_rules.h) as the command line.
#include "editing/rename_rules.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace cs {
class DisplayTexts;
}

namespace cs::editing {

// Language keys of the dialog.
namespace rename_keys {
inline constexpr const char* kTitle = "RenameTitle";
inline constexpr const char* kFind = "RenameFind";
inline constexpr const char* kReplace = "RenameReplace";
inline constexpr const char* kRegex = "RenameRegex";
inline constexpr const char* kIgnoreCase = "RenameIgnoreCase";
inline constexpr const char* kOldName = "RenameOldName";
inline constexpr const char* kNewName = "RenameNewName";
inline constexpr const char* kRuled = "RenameRuled";
inline constexpr const char* kBadExpression = "RenameBadExpression";
inline constexpr const char* kRenamed = "RenameCountRenamed";
inline constexpr const char* kUnchanged = "RenameCountUnchanged";
inline constexpr const char* kCut = "RenameCountCut";
inline constexpr const char* kMenu = "MenuRenameMany";
inline constexpr const char* kOk = "TextBtnOK";
inline constexpr const char* kCancel = "TextBtnCancel";
} // namespace rename_keys

class RenameDialog final : public QDialog {
    Q_OBJECT

public:
    RenameDialog(const ChannelDatabase& db, const DisplayTexts& texts, std::vector<std::uint16_t> channelSlots,
                 QWidget* parent = nullptr);

    // The preview's rows for the present find and replace; empty while the find text is unusable.
    const std::vector<RenameRow>& rows() const { return rows_; }
    RenameSummary summary() const { return summarizeRename(rows_); }

private:
    void refreshPreview();

    const ChannelDatabase& db_;
    const DisplayTexts& texts_;
    std::vector<std::uint16_t> slots_;
    std::vector<RenameRow> rows_;
    QLineEdit* find_ = nullptr;
    QLineEdit* replace_ = nullptr;
    QCheckBox* regex_ = nullptr;
    QCheckBox* ignoreCase_ = nullptr;
    QTableWidget* preview_ = nullptr;
    QLabel* summary_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

// Shows the dialog over these channels; on OK calls `beforeChange` (the window marks the step)
// and stores the new names. Returns the summary of what was stored, nothing when cancelled.
std::optional<RenameSummary> renameChannels(ChannelDatabase& db, const DisplayTexts& texts,
                                            std::vector<std::uint16_t> channelSlots, const std::function<void()>& beforeChange,
                                            QWidget* parent);

} // namespace cs::editing
