#include "reference/file_facts.h"

#include "database/display_texts.h"
#include "image/channel_record.h"
#include "image/flash.h"
#include "image/settings_area.h"
#include "image/transponders.h"
#include "reference/database_diff.h"
#include "reference/duplicates.h"

#include <algorithm>
#include <array>

namespace cs {

FileFacts fileFacts(const ChannelDatabase& db) {
    FileFacts facts;
    const Flash& flash = db.flash();
    const ImageFile& image = flash.image();
    facts.capacity = db.capacity();
    std::vector<std::size_t> perSatellite(kSatelliteNumbers, 0);
    // Every list's members counted in the same pass: one read of each record instead of one per list.
    std::array<std::size_t, channel_field::kListCount + 1> listMembers{};
    for (std::uint16_t slot : mainListSlots(db)) {
        const ChannelRecord& r = db.record(slot);
        ++facts.used;
        const ChannelKind kind = channelKind(r);
        facts.tv += kind == ChannelKind::Tv;
        facts.radio += kind == ChannelKind::Radio;
        (r.scrambled() ? facts.scrambled : facts.freeToAir)++;
        if (r.satellite() < kSatelliteNumbers)
            ++perSatellite[r.satellite()];
        for (std::size_t k = 1; k <= channel_field::kListCount; ++k)
            listMembers[k] += r.listPosition(k) != 0;
    }
    facts.free = facts.capacity > facts.used ? facts.capacity - facts.used : 0;
    facts.damagedRecords = flash.damagedRecords();
    facts.transponders = countTransponders(flash.transponders());
    const DuplicateGroups duplicates = findDuplicates(db);
    facts.duplicateServices = duplicates.services.size();
    facts.duplicateNames = duplicates.names.size();
    if (image.hasConfig()) {
        facts.settingsCheck = image.hasSettingsArea() ? AreaCheck::Passed : AreaCheck::Failed;
        facts.providerCheck = image.hasProviderArea() ? AreaCheck::Passed : AreaCheck::Failed;
    }
    const SettingsModel& settings = flash.settings();
    for (std::size_t k = 1; k <= favouriteListCount(settings.listCount); ++k)
        facts.lists.push_back({k, std::string(settings.listName(k)), k < listMembers.size() ? listMembers[k] : 0});
    // The satellite's plain name as the channel list shows it; no language texts are needed.
    const DisplayTexts texts(db, [](std::string_view key) { return std::string(key); });
    for (std::uint8_t s : db.usedSatellites())
        facts.perSatellite.push_back({s, texts.satelliteText(s, 0), perSatellite[s]});
    return facts;
}

} // namespace cs
