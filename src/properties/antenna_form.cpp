#include "properties/antenna_form.h"

#include "common/log_sink.h"
#include "properties/number_input.h"

namespace cs::properties {

namespace {

constexpr std::array<std::string_view, kDiseqcEntries> kDiseqc = {"A / LNB 1", "B / LNB 2", "C / LNB 3", "D / LNB 4",
                                                                  "DiSEqC OFF"};
constexpr std::array<std::string_view, kMotorEntries> kMotor = {"DiSeqC brak", "DiSEqC", "Goto X", "All Goto X"};
constexpr std::array<std::string_view, kToneBurstEntries> kTone = {"", "A", "B"};

constexpr AntennaField kBandFields[kBands][kBandControls] = {
    {AntennaField::LnbKu, AntennaField::PowerModeKu, AntennaField::ToneModeKu, AntennaField::DiseqcModeKu,
     AntennaField::MotorModeKu, AntennaField::InputKu},
    {AntennaField::LnbC, AntennaField::PowerModeC, AntennaField::ToneModeC, AntennaField::DiseqcModeC,
     AntennaField::MotorModeC, AntennaField::InputC},
    {AntennaField::LnbLs, AntennaField::PowerModeLs, AntennaField::ToneModeLs, AntennaField::DiseqcModeLs,
     AntennaField::MotorModeLs, AntennaField::InputLs},
};

constexpr AntennaField kMotorFields[] = {AntennaField::MotorModeKu, AntennaField::MotorModeC,
                                         AntennaField::MotorModeLs};

template <std::size_t N>
std::string_view entry(const std::array<std::string_view, N>& list, unsigned code) {
    return code < N ? list[code] : std::string_view();
}

} // namespace

AntennaField antennaFieldOf(std::size_t band, BandControl control) {
    return kBandFields[band][static_cast<std::size_t>(control)];
}

std::string_view diseqcText(unsigned code) { return entry(kDiseqc, code); }
std::string_view motorText(unsigned code) { return entry(kMotor, code); }
std::string_view toneBurstText(unsigned code) { return entry(kTone, code); }

int entryCount(BandControl control) {
    switch (control) {
    case BandControl::Converter: return kConverterEntries;
    case BandControl::ToneBurst: return kToneBurstEntries;
    case BandControl::Diseqc: return kDiseqcEntries;
    case BandControl::Motor: return kMotorEntries;
    case BandControl::Power:
    case BandControl::Input: return kOnOffEntries;
    }
    return 0;
}

std::string converterChoiceText(std::size_t index, const Converter& c) {
    return format("%d. %s %d %d %d", static_cast<int>(index + 1), std::string(converterBandText(c.band)).c_str(), c.lof1,
                  c.lof2, c.threshold);
}

std::string converterTitle(std::size_t index, const Converter& c) {
    return format("%02d. %s", static_cast<int>(index + 1), std::string(converterBandText(c.band)).c_str());
}

AntennaForm::AntennaForm(const WorkingSettings& settings) {
    for (std::size_t s = 1; s <= kAntennaSatellites; ++s)
        records_[s] = settings.antenna(s);
}

const AntennaSettings& AntennaForm::antenna(std::size_t satellite) const { return records_.at(satellite); }

AntennaPositions AntennaForm::positions(std::size_t satellite) const {
    AntennaPositions out{};
    const AntennaSettings& a = antenna(satellite);
    for (std::size_t band = 0; band < kBands; ++band)
        for (std::size_t c = 0; c < kBandControls; ++c) {
            const auto control = static_cast<BandControl>(c);
            const unsigned code = a.get(antennaFieldOf(band, control));
            if (code < static_cast<unsigned>(entryCount(control)))
                out[band * kBandControls + c] = static_cast<int>(code);
        }
    return out;
}

void AntennaForm::applyPositions(std::size_t satellite, const AntennaPositions& positions) {
    AntennaSettings& a = records_.at(satellite);
    for (std::size_t band = 0; band < kBands; ++band)
        for (std::size_t c = 0; c < kBandControls; ++c)
            if (const auto& p = positions[band * kBandControls + c])
                a.set(antennaFieldOf(band, static_cast<BandControl>(c)), static_cast<unsigned>(*p));
    changed_ = true;
}

void AntennaForm::setAllMotorModes(unsigned mode) {
    for (std::size_t s = 1; s <= kAntennaSatellites; ++s)
        for (AntennaField f : kMotorFields)
            records_[s].set(f, mode);
    changed_ = true;
}

bool AntennaForm::store(WorkingSettings& settings) const {
    if (!changed_)
        return false;
    for (std::size_t s = 1; s <= kAntennaSatellites; ++s)
        settings.setAntenna(s, records_[s]);
    return true;
}

std::vector<std::string> antennaDumpLines(std::string_view satelliteName, const AntennaSettings& a,
                                          const WorkingSettings& settings) {
    std::vector<std::string> lines;
    lines.push_back("-==Sat 01 Change ==-");
    lines.push_back(format("nazwa=[%s]", std::string(satelliteName).c_str()));
    static constexpr const char* kBandNames[] = {"ku", "c", "ls"};
    for (std::size_t band = 0; band < kBands; ++band) {
        const char* b = kBandNames[band];
        auto field = [&](BandControl c) { return a.get(antennaFieldOf(band, c)); };
        const unsigned lnb = field(BandControl::Converter);
        const unsigned diseqc = field(BandControl::Diseqc);
        const unsigned motor = field(BandControl::Motor);
        static constexpr AntennaField kMotorIds[] = {AntennaField::MotorIdKu, AntennaField::MotorIdC,
                                                     AntennaField::MotorIdLs};
        lines.push_back(format("%s --------------", b));
        lines.push_back(format("lnb_%s = %u (LNB) [%s]", b, lnb,
                               std::string(converterBandText(settings.converter(lnb).band)).c_str()));
        lines.push_back(format("diseqcMode_%s = %u [%s]", b, diseqc, std::string(diseqcText(diseqc)).c_str()));
        lines.push_back(format("motorMode_%s = %u [%s]", b, motor, std::string(motorText(motor)).c_str()));
        lines.push_back(format("toneMode_%s = %u", b, field(BandControl::ToneBurst)));
        lines.push_back(format("motorID_%s = %u", b, static_cast<unsigned>(a.get(kMotorIds[band]))));
        lines.push_back(format("powerMode_%s = %u", b, field(BandControl::Power)));
        lines.push_back(format("input_%s = %u", b, field(BandControl::Input)));
    }
    return lines;
}

ConverterForm::ConverterForm(const WorkingSettings& settings) {
    for (std::size_t i = 0; i < converters_.size(); ++i)
        converters_[i] = settings.converter(i);
}

ConverterForm::Edit ConverterForm::edit(std::size_t index, ConverterValue value, std::string_view text) {
    if (!editable(index))
        return Edit::Ignored;
    const NumberText n = readNumber(text);
    if (!n.number())
        return Edit::Ignored;
    if (n.value < kConverterMin || n.value > kConverterMax)
        return Edit::Refused;
    Converter& c = converters_[index];
    std::uint16_t& field = value == ConverterValue::Lof1 ? c.lof1 : value == ConverterValue::Lof2 ? c.lof2 : c.threshold;
    if (field != n.value) {
        field = static_cast<std::uint16_t>(n.value);
        changed_ = true;
    }
    return Edit::Stored;
}

bool ConverterForm::store(WorkingSettings& settings) const {
    if (!changed_)
        return false;
    for (std::size_t i = 0; i < converters_.size(); ++i)
        settings.setConverter(i, converters_[i]);
    return true;
}

} // namespace cs::properties
