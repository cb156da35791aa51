#include "properties/channel_form.h"

#include <cstdio>

namespace cs::properties {

namespace {

constexpr int kCaPriorityEntries = 16;
constexpr std::uint16_t kPmtPidMask = 0x1FFF;

std::optional<int> positionIfBelow(unsigned code, int entries) {
    return code < static_cast<unsigned>(entries) ? std::optional<int>(static_cast<int>(code)) : std::nullopt;
}

} // namespace

Delivery deliveryOf(std::uint8_t satellite) {
    if (satellite == kSatelliteDvbT)
        return Delivery::Terrestrial;
    if (satellite == kSatelliteDvbC)
        return Delivery::Cable;
    return Delivery::Satellite;
}

ChannelForm loadChannelForm(const ChannelRecord& record, const ChannelEntry& entry) {
    ChannelForm f;
    if (record.satellite() >= kFirstSatellite && record.satellite() <= kSatelliteDvbC)
        f.satellitePosition = record.satellite() - 1;
    f.polarisation = static_cast<int>(record.polarisation());
    f.fec = positionIfBelow(record.fec(), kFecEntries);
    f.audioMode = static_cast<int>(record.audioMode());
    f.caPriority = positionIfBelow(record.caPriority(), kCaPriorityEntries);
    const unsigned qam = record.cableConstellation();
    if (qam >= kFirstCableConstellation && qam < kFirstCableConstellation + kCableConstellationEntries)
        f.cableConstellation = static_cast<int>(qam) - kFirstCableConstellation;
    f.scrambled = record.scrambled();
    f.parentalLock = record.parentalLock() != 0;
    f.frequency = record.frequency();
    f.symbolRate = record.symbolRate();
    f.videoPid = record.videoPid();
    f.audioPid = record.audioPid();
    f.serviceId = record.serviceId();
    f.pmtPid = entry.pmtPid & kPmtPidMask;
    f.terrestrialFrequency = tenthMegahertzText(record.frequency());
    f.cableFrequency = tenthMegahertzText(record.frequency());
    f.cableSymbolRate = std::to_string(record.symbolRate());
    return f;
}

bool pidsMirrored(const ChannelForm& form) {
    const Pending pids[] = {form.videoPid, form.audioPid, form.pmtPid};
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            if (pids[i] && pids[j] && *pids[i] != 0 && *pids[i] == *pids[j])
                return true;
    return false;
}

ChannelWriteResult writeChannelForm(const ChannelForm& form, ChannelRecord& record, ChannelEntry& entry) {
    if (pidsMirrored(form))
        return {ChannelWriteResult::Outcome::SamePid, ChangeLevel::None};

    const Delivery delivery = deliveryOf(record.satellite());
    // Read the DVB-T/DVB-C boxes first: a value that does not fit refuses OK before anything is
    // written.
    std::optional<std::uint16_t> listFrequency;
    std::optional<std::uint16_t> cableSymbolRate;
    if (delivery == Delivery::Terrestrial) {
        if (readMegahertz(form.terrestrialFrequency)) {
            listFrequency = tenthMegahertz(form.terrestrialFrequency);
            if (!listFrequency)
                return {ChannelWriteResult::Outcome::BadParameter, ChangeLevel::None};
        }
    } else if (delivery == Delivery::Cable) {
        if (readMegahertz(form.cableFrequency)) {
            listFrequency = tenthMegahertz(form.cableFrequency);
            if (!listFrequency)
                return {ChannelWriteResult::Outcome::BadParameter, ChangeLevel::None};
        }
        const NumberText rate = readNumber(form.cableSymbolRate);
        if (!rate.number())
            cableSymbolRate = 5000;
        else if (rate.value < 0 || rate.value > kSixteenBitMax)
            return {ChannelWriteResult::Outcome::BadParameter, ChangeLevel::None};
        else
            cableSymbolRate = static_cast<std::uint16_t>(rate.value);
    }

    const ChannelRecord before = record;
    const std::uint16_t pmtBefore = entry.pmtPid;

    if (form.satellitePosition)
        record.setSatellite(static_cast<std::uint8_t>(*form.satellitePosition + 1));
    if (form.frequency && *form.frequency >= 0 && *form.frequency <= kSixteenBitMax)
        record.setFrequency(static_cast<std::uint16_t>(*form.frequency));
    if (form.symbolRate && *form.symbolRate >= 0 && *form.symbolRate <= kSixteenBitMax)
        record.setSymbolRate(static_cast<std::uint16_t>(*form.symbolRate));
    if (form.polarisation)
        record.setPolarisation(static_cast<unsigned>(*form.polarisation));
    if (form.fec)
        record.setFec(static_cast<unsigned>(*form.fec));
    record.setParentalLock(form.parentalLock ? (record.parentalLock() != 0 ? record.parentalLock() : 1u) : 0u);
    record.setScrambled(form.scrambled);
    if (form.audioMode)
        record.setAudioMode(static_cast<unsigned>(*form.audioMode));
    if (form.caPriority)
        record.setCaPriority(static_cast<unsigned>(*form.caPriority));
    if (form.videoPid)
        record.setVideoPid(static_cast<std::uint16_t>(*form.videoPid));
    if (form.audioPid)
        record.setAudioPid(static_cast<std::uint16_t>(*form.audioPid));
    if (form.serviceId)
        record.setServiceId(static_cast<std::uint16_t>(*form.serviceId));
    if (form.pmtPid)
        entry.pmtPid = static_cast<std::uint16_t>((entry.pmtPid & ~kPmtPidMask) | (*form.pmtPid & kPmtPidMask));
    record.setVideoPresent(record.videoPid() != 0);
    if (form.name && *form.name != record.name())
        record.setName(*form.name);
    if (listFrequency)
        record.setFrequency(*listFrequency);
    if (cableSymbolRate)
        record.setSymbolRate(*cableSymbolRate);
    if (delivery == Delivery::Cable && form.cableConstellation)
        record.setCableConstellation(static_cast<std::uint8_t>(*form.cableConstellation + kFirstCableConstellation));

    if (record == before && entry.pmtPid == pmtBefore)
        return {ChannelWriteResult::Outcome::Written, ChangeLevel::None};
    const bool placement = record.satellite() != before.satellite() || record.frequency() != before.frequency() ||
                           record.polarisation() != before.polarisation() ||
                           record.scrambled() != before.scrambled() || delivery != Delivery::Satellite;
    return {ChannelWriteResult::Outcome::Written, placement ? ChangeLevel::Placement : ChangeLevel::Written};
}

std::vector<std::string> terrestrialChannelFrequencies() {
    std::vector<std::string> out;
    char buffer[16];
    for (int channel = 5; channel <= 12; ++channel) {
        std::snprintf(buffer, sizeof buffer, "%.1f", 177.5 + 7.0 * (channel - 5));
        out.emplace_back(buffer);
    }
    for (int channel = 21; channel <= 69; ++channel) {
        std::snprintf(buffer, sizeof buffer, "%.1f", 474.0 + 8.0 * (channel - 21));
        out.emplace_back(buffer);
    }
    return out;
}

std::string tenthMegahertzText(std::uint16_t field) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", field * 0.1);
    return buffer;
}

} // namespace cs::properties
