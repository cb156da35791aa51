#include "exchange/import_apply.h"

#include "image/settings_area.h"

#include <algorithm>
#include <array>

namespace cs {
namespace {

using WS = WorkingSettings;

constexpr std::array<SettingsRange, 7> kAlways = {{
    {1716, 1},
    {1746, 2},
    {2267, 3},
    {2726, 2},
    {2597, 128},
    {1600, 2},
    {4084, 4},
}};
constexpr std::array<SettingsRange, 1> kIndividual = {{{WS::individualSettingsOffset, WS::individualSettingsSize}}};
constexpr std::array<SettingsRange, 2> kSatellites = {{
    {WS::converterListOffset, settings_layout::kConverterCount * Converter::size},
    {WS::antennaOffset, WS::antennaCount * AntennaSettings::size},
}};
constexpr std::array<SettingsRange, 2> kPreferred = {{{2270, 64}, {2592, 4}}};
constexpr std::array<SettingsRange, 1> kTimer = {{{1748, 504}}};

std::string entryName(const ImportComponent& c) {
    return componentTypeName(c.type) + " (entry " + std::to_string(c.entry) + ")";
}

std::size_t requiredSize(ComponentType type) {
    switch (type) {
    case ComponentType::ColourProfiles: return dsx_colour_profiles::kSize;
    case ComponentType::ReceiverSettings: return dsx_receiver_settings::kSize;
    default: return 0;
    }
}

void copyRanges(ConstBytes block, Bytes settings, std::span<const SettingsRange> ranges) {
    for (const auto& r : ranges) {
        const ConstBytes from = slice(block, r.offset, r.size);
        std::copy(from.begin(), from.end(), slice(settings, r.offset, r.size).begin());
    }
}

// Replaces every channel and provider; the counts were checked against the block and the tables.
ComponentOutcome applyChannelBase(ConstBytes block, const ChannelBaseCounts& counts, ChannelDatabase& db) {
    namespace cb = dsx_channel_base;
    Flash& flash = db.flash();
    const std::size_t capacity = flash.channelCapacity();
    const std::size_t c = counts.channels, p = counts.providers;
    const std::size_t providersAt = cb::kRecords + c * ChannelRecord::size;
    const std::size_t numbersAt = providersAt + p * ProviderRecord::size;

    auto records = flash.records();
    std::fill_n(records.begin(), capacity, ChannelRecord{});
    for (std::size_t i = 0; i < c; ++i)
        records[i] = ChannelRecord(slice(block, cb::kRecords + i * ChannelRecord::size, ChannelRecord::size));

    ProviderWorkArea& work = flash.providerWork();
    for (std::size_t r = 0; r < ProviderWorkArea::kRecordCount; ++r)
        work.setProvider(r, r < p ? ProviderRecord(slice(block, providersAt + r * ProviderRecord::size, ProviderRecord::size))
                                  : ProviderRecord{});
    for (std::size_t i = 0; i < std::min(capacity, ProviderWorkArea::kSlots); ++i)
        work.setProviderNumber(i, i < c ? readU16(block, numbersAt + i * sizeof(std::uint16_t)) : 0);

    db.loadEntries(false);
    db.attachProviderNames();

    ComponentOutcome out;
    out.status = ComponentStatus::Applied;
    out.channels = db.channelCount();
    out.providers = p;
    // Channels whose provider cannot be named keep no provider at the next save; say so.
    std::size_t unnamed = 0;
    for (std::size_t i = 0; i < c; ++i)
        if (db.entry(i).inUse() && work.providerNumber(i) != 0 && db.entry(i).provider().empty())
            ++unnamed;
    if (unnamed > 0) {
        out.message = std::to_string(unnamed) + " imported channels carry a provider number that ";
        out.message += work.holdsVerify() ? "no provider record among the first " + std::to_string(flash.providerCapacity()) +
                                                " of this database has"
                                          : "this database cannot keep (it has no provider area)";
        out.message += "; they keep no provider";
    }
    return out;
}

} // namespace

std::span<const SettingsRange> receiverSettingsAlways() { return kAlways; }

std::span<const SettingsRange> receiverSettingsSubItem(std::size_t subItem) {
    switch (subItem) {
    case kIndividualSettings: return kIndividual;
    case kSatelliteParameters: return kSatellites;
    case kPreferredSettings: return kPreferred;
    case kTimerSettings: return kTimer;
    default: return {};
    }
}

bool ImportReport::anyRefused() const {
    return std::any_of(components.begin(), components.end(),
                       [](const ComponentOutcome& o) { return o.status == ComponentStatus::Refused; });
}

std::string componentTypeName(ComponentType type) {
    switch (type) {
    case ComponentType::ChannelBase: return "channel base";
    case ComponentType::TransponderList: return "transponder list";
    case ComponentType::ColourProfiles: return "colour profiles";
    case ComponentType::ReceiverSettings: return "receiver settings";
    default: return "component";
    }
}

std::optional<std::string> componentProblem(const ImportFile& file, const ImportComponent& c, const Flash& flash) {
    if (c.type == ComponentType::TransponderList)
        return std::nullopt;  // nothing is read from it
    const std::string name = entryName(c);
    if (!file.blockInFile(c))
        return "The block of the " + name + " runs past the end of the file (it states " + std::to_string(c.size) +
               " bytes)";
    if (c.type == ComponentType::ChannelBase) {
        const ChannelBaseCounts counts = file.channelBaseCounts(c);
        if (!counts.readable || counts.needed > c.size)
            return "The " + name + " states " + std::to_string(counts.channels) + " channels and " +
                   std::to_string(counts.providers) + " providers, more than its block of " + std::to_string(c.size) +
                   " bytes holds";
        if (counts.channels > flash.channelCapacity())
            return "The " + name + " holds " + std::to_string(counts.channels) + " channels; this database has room for " +
                   std::to_string(flash.channelCapacity());
        if (counts.providers > ProviderWorkArea::kRecordCount)
            return "The " + name + " holds " + std::to_string(counts.providers) +
                   " providers; the provider table has room for " + std::to_string(ProviderWorkArea::kRecordCount);
        return std::nullopt;
    }
    if (c.size < requiredSize(c.type))
        return "The block of the " + name + " has " + std::to_string(c.size) + " bytes, fewer than the " +
               std::to_string(requiredSize(c.type)) + " it needs";
    return std::nullopt;
}

ImportReport applyImport(const ImportFile& file, const ImportChooser& chooser, ChannelDatabase& db) {
    ImportReport report;
    for (const ImportComponent& c : file.components()) {
        const ChooserItem* item = chooser.itemOfEntry(c.entry);
        ComponentOutcome out;
        if (!chooser.confirmed() || !item || !item->selected) {
            out.status = ComponentStatus::NotSelected;
        } else if (!c.validMarker()) {
            out.status = ComponentStatus::InvalidMarker;
            out.message = "Directory entry " + std::to_string(c.entry) + " (" + componentTypeName(c.type) +
                          ") is not marked as valid; it was not imported";
        } else if (auto problem = componentProblem(file, c, db.flash())) {
            out.status = ComponentStatus::Refused;
            out.message = *problem + "; it was not imported";
        } else {
            const ConstBytes block = file.blockBytes(c);
            Bytes settings = db.flash().settings().settings.bytes();
            switch (c.type) {
            case ComponentType::ChannelBase:
                out = applyChannelBase(block, file.channelBaseCounts(c), db);
                report.channelsReplaced = true;
                break;
            case ComponentType::ColourProfiles:
                for (std::size_t k = 1; k <= dsx_colour_profiles::kProfileCount; ++k) {
                    if (!item->subItem(k))
                        continue;
                    const std::size_t from = (k - 1) * dsx_colour_profiles::kProfileSize;
                    const SettingsRange to{WS::colourProfilesOffset + (k - 1) * WS::colourProfileSize, WS::colourProfileSize};
                    const ConstBytes profile = slice(block, from, dsx_colour_profiles::kProfileSize);
                    std::copy(profile.begin(), profile.end(), slice(settings, to.offset, to.size).begin());
                }
                out.status = ComponentStatus::Applied;
                break;
            case ComponentType::ReceiverSettings:
                copyRanges(block, settings, kAlways);
                for (std::size_t k = 1; k <= kSubItemCount; ++k)
                    if (item->subItem(k))
                        copyRanges(block, settings, receiverSettingsSubItem(k));
                report.satellitesChanged = report.satellitesChanged || item->subItem(kSatelliteParameters);
                out.status = ComponentStatus::Applied;
                break;
            default:
                out.status = ComponentStatus::NoChange;
                break;
            }
            report.modified = report.modified || out.status == ComponentStatus::Applied;
        }
        out.entry = c.entry;
        out.type = c.type;
        report.components.push_back(std::move(out));
    }
    return report;
}

} // namespace cs
