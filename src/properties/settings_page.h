#pragma once
// One settings page of the properties dialog: its texts and fixed lists are built at the
// dialog's first show, its working values are taken when it opens, and OK writes them back.
#include <QString>
#include <QWidget>

namespace cs::properties {

class SettingsPage : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual void prepare() {}
    // `presetSatellite` 1..63 fixes the Satellites page on that satellite; 0 none.
    virtual void load(int presetSatellite) = 0;
    // OK; true when something was written.
    virtual bool commit() = 0;
    // The tab caption (language text).
    virtual QString caption() const = 0;

signals:
    // The page's part of the dialog caption changed ("TP 3" on the transponder list).
    void captionSuffixChanged(const QString& suffix);
};

} // namespace cs::properties
