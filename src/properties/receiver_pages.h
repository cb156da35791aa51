#pragma once
// The receiver-settings, clock and parental-lock pages: single values of the working settings
// record that live in the editor only.
#include "properties/properties_context.h"
#include "properties/receiver_form.h"
#include "properties/settings_page.h"

#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace cs::properties {

class ReceiverSettingsPage final : public SettingsPage {
    Q_OBJECT

public:
    ReceiverSettingsPage(const PropertiesContext& context, QWidget* parent);

    void load(int presetSatellite) override;
    bool commit() override;
    QString caption() const override;
    void prepare() override;

    QComboBox* infoWindowList() const { return infoWindow_; }
    QComboBox* positionerList() const { return positioner_; }
    QComboBox* contrastList() const { return contrast_; }
    QComboBox* startChannelList() const { return startChannelOn_; }
    QPushButton* chooseStartButton() const { return chooseStart_; }
    QComboBox* logoList() const { return logo_; }
    QLineEdit* positionBox() const { return position_; }
    QComboBox* digitalSoundList() const { return digitalSound_; }
    QComboBox* widescreenList() const { return widescreen_; }
    QLineEdit* modulatorBox() const { return modulator_; }
    QComboBox* modulatorChannelList() const { return modulatorChannel_; }
    QScrollBar* modulatorScroll() const { return modulatorScroll_; }
    const ReceiverForm& form() const { return form_; }

    void chooseStartChannel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool chooserAvailable() const;
    void positionFinished();
    void modulatorMoved(int position);

    const PropertiesContext& context_;
    QComboBox* infoWindow_ = nullptr;
    QComboBox* positioner_ = nullptr;
    QComboBox* contrast_ = nullptr;
    QComboBox* startChannelOn_ = nullptr;
    QPushButton* chooseStart_ = nullptr;
    QComboBox* logo_ = nullptr;
    QLineEdit* position_ = nullptr;
    QComboBox* digitalSound_ = nullptr;
    QComboBox* widescreen_ = nullptr;
    QLineEdit* modulator_ = nullptr;
    QComboBox* modulatorChannel_ = nullptr;
    QScrollBar* modulatorScroll_ = nullptr;
    QString positionText_;
    ReceiverForm form_;
};

class ClockPage final : public SettingsPage {
    Q_OBJECT

public:
    ClockPage(const PropertiesContext& context, QWidget* parent);

    void prepare() override;
    void load(int presetSatellite) override;
    bool commit() override;
    QString caption() const override;

    QComboBox* zoneList() const { return zone_; }
    QComboBox* clockOnList() const { return clockOn_; }
    QLineEdit* clockBox() const { return clock_; }

private:
    void showClock();

    const PropertiesContext& context_;
    QComboBox* zone_ = nullptr;
    QComboBox* clockOn_ = nullptr;
    QLineEdit* clock_ = nullptr;
};

class ParentalLockPage final : public SettingsPage {
    Q_OBJECT

public:
    ParentalLockPage(const PropertiesContext& context, QWidget* parent);

    void prepare() override;
    void load(int presetSatellite) override;
    bool commit() override;
    QString caption() const override;

    QLineEdit* oldCodeBox() const { return oldCode_; }
    QLineEdit* newCodeBox() const { return newCode_; }
    QLineEdit* confirmationBox() const { return confirmation_; }
    QPushButton* changeButton() const { return change_; }

    void changeCode();

private:
    const PropertiesContext& context_;
    QLineEdit* oldCode_ = nullptr;
    QLineEdit* newCode_ = nullptr;
    QLineEdit* confirmation_ = nullptr;
    QPushButton* change_ = nullptr;
    std::unique_ptr<ParentalLockForm> form_;
};

} // namespace cs::properties
