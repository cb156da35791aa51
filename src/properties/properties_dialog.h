#pragma once
// The properties dialog: created once, shown modally for the properties of one channel (the
// "Program", "PIDs" and "Ca" pages) or for one group of receiver settings (one settings page).
// Pages work on working copies; OK writes them back, Cancel drops them.
#include "properties/channel_form.h"
#include "properties/properties_context.h"

#include <QDialog>

#include <cstdint>
#include <map>

class QPushButton;
class QTabWidget;

namespace cs::properties {

class ChannelPages;
class SettingsPage;


class PropertiesDialog final : public QDialog {
    Q_OBJECT

public:
    explicit PropertiesDialog(PropertiesContext context, QWidget* parent = nullptr);
    ~PropertiesDialog() override;

    // Shows the dialog modally and tells what OK wrote. A second request while it is shown,
    // and a row type without a page, do nothing.
    ChangeLevel run(const PropertiesRequest& opening);

    // The steps of run, for tests that drive the dialog without a nested event loop: open
    // prepares and shows the pages (false when there is nothing to show), confirm is OK (false
    // when a page refused and the dialog stays open), result is what the last opening wrote.
    bool open(const PropertiesRequest& opening);
    using QDialog::open;  // the plain window-modal open stays available
    bool confirm();
    ChangeLevel result() const { return result_; }

    // The page a row type opens; nothing for other types.
    SettingsPage* settingsPage(SettingsGroup group) const;
    ChannelPages& channelPages() const { return *channel_; }
    QTabWidget* pages() const { return pages_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void done(int code) override;

protected:
    // A change of language makes the next opening prepare the texts and fixed lists again.
    void changeEvent(QEvent* event) override;

private:
    bool load(const PropertiesRequest& opening);
    void prepareOnce();
    void showSettingsCaption();

    PropertiesContext context_;
    QTabWidget* pages_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    ChannelPages* channel_ = nullptr;
    std::map<SettingsGroup, SettingsPage*> settings_;
    SettingsPage* open_ = nullptr;  // the settings page of this opening
    QString suffix_;
    bool prepared_ = false;
    bool showing_ = false;
    ChangeLevel result_ = ChangeLevel::None;
};

} // namespace cs::properties
