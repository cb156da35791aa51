#include "properties/transponder_form.h"

#include "common/log_sink.h"
#include "database/name_lists.h"
#include "properties/number_input.h"

#include <cmath>
#include <cstdlib>

namespace cs::properties {

namespace {

constexpr std::uint32_t kTwentyFourBitMax = 0xFFFFFF;

std::string text(std::string_view v) { return std::string(v); }

} // namespace

TransponderRow transponderRow(std::size_t number, std::uint16_t slot, const TransponderRecord& r) {
    TransponderRow row;
    row.slot = slot;
    row.texts[0] = format("%03ld)", static_cast<long>(number));
    if (r.satellite() == kDvbtSatellite) {
        row.texts[1] = format("%.1f MHz", r.dvbtFrequency() * 0.001);
    } else if (r.satellite() == kDvbcSatellite) {
        row.texts[1] = format("%.1f MHz", r.frequency() * 0.1);
        row.texts[2] = text(dvbcConstellationText(r.dvbcConstellation()));
        row.texts[3] = format("%d kS/s", r.symbolRate());
        row.texts[5] = text(iqModeText(r.dvbcIqMode()));
    } else {
        row.texts[1] = format("%d MHz", r.frequency());
        row.texts[2] = text(polarisationText(r.polarisation()));
        row.texts[3] = format("%05d", r.symbolRate());
        row.texts[4] = text(fecText(r.fec()));
        row.texts[5] = text(iqModeText(r.iqMode()));
    }
    return row;
}

TransponderForm::TransponderForm(const TransponderTable& table) : table_(std::make_unique<TransponderTable>(table)) {}

std::vector<std::uint16_t> TransponderForm::slotsOf(unsigned satellite) const {
    const auto list = std::make_unique<TransponderList>(transponderList(satellite, *table_));
    const auto indices = list->indices();
    return {indices.begin(), indices.end()};
}

std::vector<TransponderRow> TransponderForm::rows(unsigned satellite) const {
    std::vector<TransponderRow> out;
    std::size_t number = 1;
    for (std::uint16_t slot : slotsOf(satellite))
        out.push_back(transponderRow(number++, slot, (*table_)[slot]));
    return out;
}

std::optional<std::uint16_t> TransponderForm::firstFreeSlot() const {
    for (std::size_t i = 0; i < table_->size(); ++i)
        if (!(*table_)[i].inUse())
            return static_cast<std::uint16_t>(i);
    return std::nullopt;
}

bool TransponderForm::isDuplicate(const TransponderRecord& candidate, std::optional<std::uint16_t> except) const {
    for (std::uint16_t slot : slotsOf(candidate.satellite())) {
        if (except && slot == *except)
            continue;
        const TransponderRecord& r = (*table_)[slot];
        if (r.polarisation() == candidate.polarisation() &&
            std::abs(static_cast<int>(r.frequency()) - static_cast<int>(candidate.frequency())) < kDuplicateDistanceMhz)
            return true;
    }
    return false;
}

bool TransponderForm::put(std::uint16_t slot, const TransponderRecord& record) {
    if (slot >= table_->size() || record.satellite() < 1 || record.satellite() > kDvbtSatellite)
        return false;
    (*table_)[slot] = record;
    changed_ = true;
    return true;
}

void TransponderForm::erase(const std::vector<std::uint16_t>& slots) {
    for (std::uint16_t slot : slots)
        if (slot < table_->size())
            (*table_)[slot] = TransponderRecord{};
    if (!slots.empty())
        changed_ = true;
}

TransponderMergeCounts TransponderForm::applyMerge(const TransponderMergePlan& plan) {
    const TransponderMergeCounts counts = applyTransponderMerge(*table_, plan);
    if (counts.added + counts.changed + counts.removed > 0)
        changed_ = true;
    return counts;
}

bool TransponderForm::store(TransponderTable& table) const {
    if (!changed_)
        return false;
    table = *table_;
    return true;
}

TransponderBuild buildTransponder(const TransponderInput& in, const TransponderForm& form,
                                  std::optional<std::uint16_t> changing) {
    TransponderBuild out;
    if (in.satellite == kDvbtSatellite) {
        const auto mhz = readMegahertz(in.terrestrialFrequency);
        if (!mhz)
            return out;
        const double khz = std::round(*mhz * 1000.0);
        // The record keeps 24 bits of kHz: anything else would be stored cut.
        if (khz < 0 || khz > kTwentyFourBitMax) {
            out.outcome = TransponderBuild::Outcome::Invalid;
            return out;
        }
        out.record.setSatellite(kDvbtSatellite);
        out.record.setDvbtFrequency(static_cast<std::uint32_t>(khz));
        out.outcome = TransponderBuild::Outcome::Built;
        return out;
    }
    const NumberText frequency = readNumber(in.frequency);
    const NumberText rate = readNumber(in.symbolRate);
    const bool frequencyOk = frequency.number() && frequency.value >= kTransponderFrequencyMin &&
                             frequency.value <= kTransponderFrequencyMax;
    const bool rateOk = rate.number() && rate.value >= kTransponderSymbolRateMin && rate.value <= kTransponderSymbolRateMax;
    if (!frequencyOk || !rateOk) {
        out.outcome = TransponderBuild::Outcome::Invalid;
        return out;
    }
    TransponderRecord r;
    r.setFrequency(static_cast<std::uint16_t>(frequency.value));
    r.setSymbolRate(static_cast<std::uint16_t>(rate.value));
    r.setPolarisation(static_cast<unsigned>(in.polarisation));
    r.setFec(static_cast<unsigned>(in.fec));
    r.setIqMode(static_cast<unsigned>(in.iqMode));
    r.setSatellite(static_cast<std::uint8_t>(in.satellite));
    // Values taken from the boxes start a fresh log, duplicate or not.
    out.clearLog = true;
    if (form.isDuplicate(r, changing)) {
        out.outcome = TransponderBuild::Outcome::Duplicate;
        return out;
    }
    out.record = r;
    out.outcome = TransponderBuild::Outcome::Built;
    return out;
}

} // namespace cs::properties
