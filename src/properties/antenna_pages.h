#pragma once
// The Satellites page (antenna switching of satellites 1..63 per band) and the Converters page
// (the eight converters).
#include "properties/antenna_form.h"
#include "properties/properties_context.h"
#include "properties/settings_page.h"

#include <array>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace cs::properties {

class SatellitesPage final : public SettingsPage {
    Q_OBJECT

public:
    SatellitesPage(const PropertiesContext& context, QWidget* parent);

    void prepare() override;
    void load(int presetSatellite) override;
    bool commit() override;
    QString caption() const override;

    QComboBox* satelliteList() const { return satellite_; }
    // A band's list: band 0 Ku, 1 C, 2 L/S.
    QComboBox* bandList(std::size_t band, BandControl control) const {
        return lists_[band * kBandControls + static_cast<std::size_t>(control)];
    }
    QTabWidget* bandTabs() const { return bands_; }
    QPushButton* allNoMotorButton() const { return allNoMotor_; }
    QPushButton* allGotoXButton() const { return allGotoX_; }
    const AntennaForm* form() const { return form_.get(); }

private:
    void satelliteChosen();
    void bandListChanged();
    void setAllMotorModes(unsigned mode);

    const PropertiesContext& context_;
    QComboBox* satellite_ = nullptr;
    QTabWidget* bands_ = nullptr;
    std::array<QComboBox*, kAntennaControls> lists_{};
    QPushButton* allNoMotor_ = nullptr;
    QPushButton* allGotoX_ = nullptr;
    std::unique_ptr<AntennaForm> form_;
};

class ConvertersPage final : public SettingsPage {
    Q_OBJECT

public:
    ConvertersPage(const PropertiesContext& context, QWidget* parent);

    void prepare() override;
    void load(int presetSatellite) override;
    bool commit() override;
    QString caption() const override;

    QComboBox* converterList() const { return converter_; }
    QLineEdit* valueBox(ConverterValue value) const { return boxes_[static_cast<std::size_t>(value)]; }
    const ConverterForm* form() const { return form_.get(); }

private:
    void converterChosen();
    void valueFinished(ConverterValue value);
    void showValues();

    const PropertiesContext& context_;
    QComboBox* converter_ = nullptr;
    std::array<QLineEdit*, 3> boxes_{};
    std::unique_ptr<ConverterForm> form_;
};

} // namespace cs::properties
