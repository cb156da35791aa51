#include "database/display_texts.h"

#include "common/log_sink.h"
#include "database/name_lists.h"


namespace cs {

std::string dvbtFrequencyText(std::uint16_t field) { return format("%.1f", field * 0.1); }
std::string dvbcFrequencyText(std::uint16_t field) { return format("%.1f", field * 0.1); }

DisplayTexts::DisplayTexts(const ChannelDatabase& database, TextLookup lookup)
    : db_(database), lookup_(std::move(lookup)) {}

std::string DisplayTexts::satelliteText(int number, int style) const {
    if (number == kSatelliteDvbT)
        return "DVB-T";
    if (number == kSatelliteDvbC)
        return "DVB-C";
    if (number < kFirstSatellite || number > kSatelliteDvbC)
        return "NoName";
    const SatelliteEntry& sat = db_.flash().settings().satellites[static_cast<std::size_t>(number)];
    const std::string name(sat.nameView());
    switch (style) {
    case 1:
        return format("S%d-%s [%.2f %s]", number, name.c_str(), static_cast<double>(sat.position),
                      std::string(orbitSideText(sat.side)).c_str());
    case 2:
        return format("S%d-%s", number, name.c_str());
    default:
        return name;
    }
}

std::string DisplayTexts::listText(int list, int /*form*/) const {
    if (list >= 1 && list <= static_cast<int>(kMaxFavouriteLists))
        return text("TextList") + " " + std::string(db_.flash().settings().listName(static_cast<std::size_t>(list)));
    return text("TextListMain");
}

std::string DisplayTexts::providerText(const TreeNode& provider) const {
    if (provider.kind != TreeNode::Kind::Provider)
        return text("TreeViewUnknow");
    return filterProviderName(db_.provider(static_cast<std::size_t>(provider.index)).name());
}

ChannelRow DisplayTexts::channelRowTexts(std::uint16_t slot, int rowNumber, bool showNumbers) const {
    ChannelRow row;
    const ChannelRecord& r = db_.record(slot);
    row.image = 2 + static_cast<int>(channelKind(r));
    row.name = filterChannelName(r.name());
    row.caption = showNumbers ? format("%04d", rowNumber) : row.name;
    row.language = std::string(audioLanguageOfByte(r.audioLanguage()));
    row.ca = r.scrambled() ? "+" : " ";
    const unsigned satellite = r.satellite();
    if (satellite == kSatelliteDvbT) {
        row.frequency = dvbtFrequencyText(r.frequency()) + " MHz";
        row.symbolRate = std::string(dvbtConstellationText((r.ofdm() >> 2) & 0x03));
        row.polarisation = std::string(dvbtGuardText(r.ofdm() & 0x03));
    } else if (satellite == kSatelliteDvbC) {
        row.frequency = dvbcFrequencyText(r.frequency()) + " MHz";
        row.symbolRate = format("%d kS/s", static_cast<int>(r.symbolRate()));
        row.fec = std::string(dvbcConstellationText(r.cableConstellation()));
    } else {
        row.frequency = std::to_string(r.frequency()) + " MHz";
        row.symbolRate = std::to_string(r.symbolRate()) + " Kbs/s";
        row.fec = std::string(fecText(r.fec()));
        row.polarisation = std::string(polarisationText(r.polarisation()));
    }
    if (satellite != 0)
        row.satellite = satelliteText(static_cast<int>(satellite), 0);
    row.video = std::to_string(r.videoPid());
    row.audio = std::to_string(r.audioPid());
    row.provider = std::string(db_.entry(slot).provider());
    return row;
}

std::vector<SatelliteNode> DisplayTexts::satelliteNodes() const {
    std::vector<SatelliteNode> nodes;
    for (std::uint8_t s : db_.usedSatellites())
        nodes.push_back({s, satelliteText(s, 1)});
    return nodes;
}

std::vector<std::string> DisplayTexts::providerNodes() const {
    std::vector<std::string> nodes{text("TreeViewUnknow")};
    for (std::size_t k = 0; k < db_.providerCount(); ++k)
        nodes.push_back(filterProviderName(db_.provider(k).name()));
    return nodes;
}

std::string DisplayTexts::copyMovePrompt(bool move, std::size_t count, std::string_view channelName,
                                         int targetList) const {
    const std::string verb = text(move ? "TextDoMove" : "TextDoCopy");
    if (count == 1)
        return verb + " " + text("TextChannel") + " " + std::string(channelName) + " " + text("TextTo") + " " +
               listText(targetList, 1);
    return verb + " " + std::to_string(count) + " " + text("TextTo") + " " + listText(targetList, 1);
}

std::string DisplayTexts::removePrompt(std::size_t count, std::string_view channelName, int list) const {
    if (count == 1) {
        // The built-in texts end without a blank; a language file's may bring its own.
        std::string lead = text("TextRemoveChannel");
        if (!lead.empty() && lead.back() != ' ')
            lead += ' ';
        return lead + std::string(channelName) + " " + text("TextFrom") + " " + listText(list, 1);
    }
    return text("TextDoRemove") + " " + std::to_string(count) + " " + text("TextFrom") + " " + listText(list, 1);
}

std::string DisplayTexts::copyAllPrompt(int firstList, int secondList) const {
    return text("TextDoCopyAllChannelsFrom") + " " + listText(firstList, 1) + " " + text("TextFrom") + " " +
           listText(secondList, 1);
}

std::string DisplayTexts::copyAllProviderPrompt(const TreeNode& provider, int secondList) const {
    return text("TextDoCopyAllChannelsFrom") + " " + providerText(provider) + " " + text("TextFrom") + " " +
           listText(secondList, 1);
}

std::string DisplayTexts::eraseAllPrompt(const TreeNode& node) const {
    std::string what;
    if (node.isFavouriteList())
        what = listText(node.index, 1);
    else if (node.isProvider())
        what = providerText(node);
    else if (node.isSatellite())
        what = satelliteText(node.index, 0);
    else
        what = text("TextListMain");
    return text("TextEraseAllChannelsFrom") + " " + what;
}

} // namespace cs
