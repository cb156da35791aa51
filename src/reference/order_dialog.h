#pragma once
// The dialog of "Order like a reference...": the reference file, the list to order and the two
// options; and the summary shown after the ordering, with the unmatched channels on request.
#include "reference/reference_list.h"
#include "reference/reference_order.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
} // namespace cs

namespace cs::reference_ui {

// Caption of the dialog, its summary and its boxes.
inline constexpr const char* kOrderCaption = "OrderTitle";  // language key

struct OrderRequest {
    std::string file;
    OrderOptions options;
};

// True when the path names a CSV list (by its extension): it holds no favourite lists.
bool looksLikeCsv(const std::string& path);

class OrderDialog final : public QDialog {
    Q_OBJECT

public:
    // `shownList`: the favourite list preset as the target (0 the main list).
    OrderDialog(const ChannelDatabase& db, const DisplayTexts& texts, int shownList, std::string startFolder,
                QWidget* parent);

    OrderRequest request() const;

    QLineEdit* fileBox() const { return file_; }
    QPushButton* browseButton() const { return browse_; }
    QComboBox* targetBox() const { return target_; }
    QCheckBox* takeNamesBox() const { return takeNames_; }
    QCheckBox* rebuildListsBox() const { return rebuildLists_; }
    QDialogButtonBox* buttons() const { return buttons_; }

private:
    void browse();
    void fileChanged();

    std::string startFolder_;
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    QComboBox* target_ = nullptr;
    QCheckBox* takeNames_ = nullptr;
    QCheckBox* rebuildLists_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QString referenceFilter_;
    QString chooseTitle_;
};

// Section captions of the summary's details.
inline constexpr const char* kUnmatchedSection = "OrderLacking";  // language keys
inline constexpr const char* kMissingSection = "OrderFoundNowhere";

class OrderSummaryDialog final : public QDialog {
    Q_OBJECT

public:
    // Built right after the ordering: the unmatched slots name channels as they are now.
    // `targetText` names the ordered list in single-byte characters, as records hold names;
    // `mainList`: the channel table was ordered (the views keep grouping it by satellite).
    OrderSummaryDialog(const OrderSummary& summary, const ReferenceList& reference, const std::string& targetText,
                       bool mainList, const ChannelDatabase& db, const DisplayTexts& texts, QWidget* parent);

    QLabel* countsLabel() const { return counts_; }
    QPushButton* detailsButton() const { return details_; }
    // Two top-level items (kUnmatchedSection, kMissingSection), a row per channel under each.
    QTreeWidget* detailsTree() const { return tree_; }

private:
    QLabel* counts_ = nullptr;
    QPushButton* details_ = nullptr;
    QTreeWidget* tree_ = nullptr;
};

} // namespace cs::reference_ui
