#pragma once
// Update from satellites.xml... on the transponder page: the <sat> entries of the chosen file
// (the one at the satellite's own position first), a preview of the transponders to add, change
// and remove, each checkable, and the file's entries the receiver cannot hold with the reason.
// OK hands the chosen changes back; the page carries them out on its working copy, so that the
// properties dialog's OK stores them as one step.
#include "image/satellites_xml.h"
#include "image/transponder_merge.h"
#include "properties/properties_context.h"

#include <QDialog>

class QComboBox;
class QTreeWidget;

namespace cs::properties {

class TransponderUpdateDialog final : public QDialog {
    Q_OBJECT

public:
    TransponderUpdateDialog(const PropertiesContext& context, SatellitesXml file, const TransponderTable& table,
                            unsigned satellite, int position, QWidget* parent = nullptr);

    QComboBox* satList() const { return sats_; }
    QTreeWidget* preview() const { return preview_; }
    // The plan of the chosen <sat> with the rows' check marks.
    TransponderMergePlan chosenPlan() const;

private:
    void satChosen();

    const PropertiesContext& context_;
    SatellitesXml file_;
    const TransponderTable& table_;
    unsigned satellite_ = 0;
    std::vector<std::size_t> order_;  // combo entry -> index of the file's <sat>
    TransponderMergePlan plan_;
    QComboBox* sats_ = nullptr;
    QTreeWidget* preview_ = nullptr;
};

} // namespace cs::properties
