#pragma once
// Help > File information: what the shown image holds, in numbers (kind and capacity, channels
// used and free, TV and radio, free and scrambled, damaged records left out at open, providers,
// transponders, favourite lists with sizes, each area's check, duplicates) and a bar chart of
// channels per satellite.
#include "compare/compare_host.h"
#include "reference/file_facts.h"

#include <QDialog>

class QFormLayout;

namespace cs {
class ChannelDatabase;
}

namespace cs::compare_ui {

class SatelliteChart;

class FileInfoWindow final : public QDialog {
    Q_OBJECT

public:
    FileInfoWindow(const CompareHost& host, const ChannelDatabase& db, QWidget* parent);

    const FileFacts& facts() const { return facts_; }
    SatelliteChart* chart() const { return chart_; }
    // The text shown beside a caption key ("FileInfoUsed", ...); empty when there is none.
    QString valueOf(const char* key) const;

private:
    void addRow(const char* key, const QString& value);

    CompareHost host_;
    FileFacts facts_;
    QFormLayout* form_ = nullptr;
    SatelliteChart* chart_ = nullptr;
};

// Opens the window (modal) over the shown database.
void showFileInformation(const CompareHost& host, const ChannelDatabase& db);

} // namespace cs::compare_ui
