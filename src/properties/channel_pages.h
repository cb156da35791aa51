#pragma once
// The three channel pages of the properties dialog: "Program" (name, provider, satellite,
// transponder, CA and parental flags, audio mode, CA priority), "PIDs" (video, audio, PMT,
// service ID and the hex option) and "Ca" (the channel's CA systems, read-only).
#include "properties/channel_form.h"
#include "properties/properties_context.h"

#include <QObject>
#include <QString>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTreeWidget;
class QWidget;

namespace cs::properties {

class ChannelPages final : public QObject {
    Q_OBJECT

public:
    ChannelPages(const PropertiesContext& context, QWidget* dialog);

    QWidget* programPage() const { return program_; }
    QWidget* pidsPage() const { return pids_; }
    QWidget* caPage() const { return ca_; }

    // First show of the dialog: texts and fixed lists.
    void prepare();
    // Opening for a channel slot; the caption the dialog shows.
    QString load(std::uint16_t slot);
    // OK. Nothing when OK is refused (a message was shown and the dialog stays open).
    std::optional<ChangeLevel> commit();

    // ---- controls (the window tests drive them)
    QLineEdit* nameBox() const { return name_; }
    QLineEdit* providerBox() const { return provider_; }
    QComboBox* satelliteList() const { return satellite_; }
    QTabWidget* transponderTabs() const { return transponderTabs_; }
    QLineEdit* frequencyBox() const { return frequency_; }
    QLineEdit* symbolRateBox() const { return symbolRate_; }
    QComboBox* polarisationList() const { return polarisation_; }
    QComboBox* fecList() const { return fec_; }
    QComboBox* terrestrialFrequencyList() const { return terrestrialFrequency_; }
    QLineEdit* ofdmModeBox() const { return ofdmMode_; }
    QLineEdit* ofdmConstellationBox() const { return ofdmConstellation_; }
    QLineEdit* ofdmGuardBox() const { return ofdmGuard_; }
    QComboBox* cableFrequencyList() const { return cableFrequency_; }
    QLineEdit* cableSymbolRateBox() const { return cableSymbolRate_; }
    QComboBox* cableConstellationList() const { return cableConstellation_; }
    QCheckBox* scrambledBox() const { return scrambled_; }
    QCheckBox* parentalLockBox() const { return parentalLock_; }
    QComboBox* audioModeList() const { return audioMode_; }
    QComboBox* caPriorityList() const { return caPriority_; }
    QLineEdit* videoPidBox() const { return videoPid_; }
    QLineEdit* audioPidBox() const { return audioPid_; }
    QLineEdit* pmtPidBox() const { return pmtPid_; }
    QLineEdit* serviceIdBox() const { return serviceId_; }
    QCheckBox* hexBox() const { return hex_; }
    QTreeWidget* caList() const { return caList_; }
    QLabel* noCaNotice() const { return noCa_; }
    const ChannelForm& form() const { return form_; }

private:
    void buildProgramPage();
    void buildPidsPage();
    void buildCaPage();
    void nameFinished();
    // A numeric box lost focus: its check decides the pending value.
    void numberFinished(QLineEdit* box, Pending& pending, CheckedNumber (*check)(std::string_view));
    void pidFinished(QLineEdit* box, Pending& pending, const Pending& other);
    void cableSymbolRateFinished();
    void showPids();
    void fillCaList();
    void rememberText(QLineEdit* box);
    bool untouched(QLineEdit* box) const;
    void restoreText(QLineEdit* box);
    bool hex() const;

    const PropertiesContext& context_;
    QWidget* dialog_;
    QWidget* program_ = nullptr;
    QWidget* pids_ = nullptr;
    QWidget* ca_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* provider_ = nullptr;
    QComboBox* satellite_ = nullptr;
    QTabWidget* transponderTabs_ = nullptr;
    QLineEdit* frequency_ = nullptr;
    QLineEdit* symbolRate_ = nullptr;
    QComboBox* polarisation_ = nullptr;
    QComboBox* fec_ = nullptr;
    QComboBox* terrestrialFrequency_ = nullptr;
    QLineEdit* ofdmMode_ = nullptr;
    QLineEdit* ofdmConstellation_ = nullptr;
    QLineEdit* ofdmGuard_ = nullptr;
    QComboBox* cableFrequency_ = nullptr;
    QLineEdit* cableSymbolRate_ = nullptr;
    QComboBox* cableConstellation_ = nullptr;
    QCheckBox* scrambled_ = nullptr;
    QCheckBox* parentalLock_ = nullptr;
    QComboBox* audioMode_ = nullptr;
    QComboBox* caPriority_ = nullptr;
    QLineEdit* videoPid_ = nullptr;
    QLineEdit* audioPid_ = nullptr;
    QLineEdit* pmtPid_ = nullptr;
    QLineEdit* serviceId_ = nullptr;
    QCheckBox* hex_ = nullptr;
    QTreeWidget* caList_ = nullptr;
    QLabel* noCa_ = nullptr;

    bool loaded_ = false;
    std::uint16_t slot_ = 0;
    ChannelForm form_;
};

} // namespace cs::properties
