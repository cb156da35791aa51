#pragma once
// The favourite-list channel chooser: a small modal dialog that picks one channel of one
// favourite list (the receiver's start channel). It shows its own order of the chosen list and
// leaves the main window's views alone.
#include <QDialog>

#include "editing/start_channel_choice.h"

class QComboBox;
class QListWidget;

namespace cs {
class ChannelDatabase;
class DisplayTexts;
} // namespace cs

namespace cs::editing {

class ListChooserDialog final : public QDialog {
    Q_OBJECT

public:
    ListChooserDialog(const ChannelDatabase& db, const DisplayTexts& texts, const StartChannelChoice& preset,
                      QWidget* parent = nullptr);

    // What the dialog hands back when it closes, however it is closed.
    StartChannelChoice choice() const;

    QComboBox* lists() const { return lists_; }
    QListWidget* channels() const { return channels_; }

private:
    void fillChannels();

    const ChannelDatabase& db_;
    const DisplayTexts& texts_;
    QComboBox* lists_ = nullptr;
    QListWidget* channels_ = nullptr;
    bool confirmed_ = false;
};

// Shows the chooser modally and returns the choice.
StartChannelChoice chooseStartChannel(QWidget* parent, const ChannelDatabase& db, const DisplayTexts& texts,
                                           const StartChannelChoice& preset);

} // namespace cs::editing
