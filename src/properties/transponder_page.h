#pragma once
// The transponder-list page: one satellite's transponders from a working copy of the whole table,
// with add, change (double-click) and delete of the checked rows.
#include "properties/properties_context.h"
#include "properties/settings_page.h"
#include "properties/transponder_form.h"

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cs::properties {

class TransponderDialog;
class TransponderUpdateDialog;

class TransponderPage final : public SettingsPage {
    Q_OBJECT

public:
    TransponderPage(const PropertiesContext& context, QWidget* parent);

    void prepare() override;
    void load(int presetSatellite) override;
    bool commit() override;
    QString caption() const override;

    // Runs the transponder dialog modally; tests replace it to fill and confirm the dialog.
    using DialogRunner = std::function<void(TransponderDialog&)>;
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    // Runs the update dialog modally; tests replace it to choose and confirm.
    using UpdateRunner = std::function<int(TransponderUpdateDialog&)>;
    void setUpdateRunner(UpdateRunner runner) { runUpdate_ = std::move(runner); }

    QComboBox* satelliteList() const { return satellite_; }
    QTreeWidget* transponderList() const { return list_; }
    QLabel* emptyNotice() const { return empty_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* updateButton() const { return update_; }
    const TransponderForm* form() const { return form_.get(); }

    void addTransponder();
    void deleteChecked();
    void changeTransponder(QTreeWidgetItem* row);
    // Update from satellites.xml...: a file, a <sat> and the chosen changes on the working copy.
    void updateFromSatellitesXml();

private:
    void satelliteChosen();
    void fillList(std::optional<std::uint16_t> selectSlot = std::nullopt);
    unsigned satellite() const;

    const PropertiesContext& context_;
    QComboBox* satellite_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* empty_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* update_ = nullptr;
    std::unique_ptr<TransponderForm> form_;
    DialogRunner runDialog_;
    UpdateRunner runUpdate_;
};

} // namespace cs::properties
