#pragma once
// The small dialog that adds a transponder to the list or changes one: DVB-S frequency,
// polarisation, symbol rate, FEC and IQ mode, or a DVB-T frequency. OK builds the record (with
// the range checks and the duplicate rule) and always closes; Cancel leaves the record empty.
#include "properties/properties_context.h"
#include "properties/transponder_form.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace cs::properties {

class TransponderDialog final : public QDialog {
    Q_OBJECT

public:
    enum class Mode { New, Change };

    // `changing` is the slot of the record being changed (change mode), whose row does not count
    // as a duplicate of itself.
    TransponderDialog(const PropertiesContext& context, const TransponderForm& form, unsigned satellite, Mode mode,
                      const TransponderRecord& seed, std::optional<std::uint16_t> changing, QWidget* parent);

    // The record OK built; all zero after Cancel, a refusal or a duplicate.
    const TransponderRecord& record() const { return record_; }

    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* frequencyBox() const { return frequency_; }
    QComboBox* polarisationList() const { return polarisation_; }
    QComboBox* symbolRateList() const { return symbolRate_; }
    QComboBox* fecList() const { return fec_; }
    QComboBox* iqList() const { return iq_; }
    QComboBox* terrestrialFrequencyList() const { return terrestrialFrequency_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void confirm();

    const PropertiesContext& context_;
    const TransponderForm& form_;
    unsigned satellite_;
    std::optional<std::uint16_t> changing_;
    TransponderRecord record_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* frequency_ = nullptr;
    QComboBox* polarisation_ = nullptr;
    QComboBox* symbolRate_ = nullptr;
    QComboBox* fec_ = nullptr;
    QComboBox* iq_ = nullptr;
    QComboBox* terrestrialFrequency_ = nullptr;
    QComboBox* cableConstellation_ = nullptr;
    QComboBox* cableSymbolRate_ = nullptr;
    QComboBox* cableIq_ = nullptr;
    QComboBox* cableFrequency_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace cs::properties
