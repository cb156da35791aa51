#pragma once
// The texts that represent the database: satellites, favourite lists, providers, the rows of the
// channel list, the nodes of the tree and the confirmation questions. Texts of the active
// language are read through one lookup function (key -> text).
#include "database/tree_node.h"
#include "common/text_lookup.h"
#include "database/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

// "%.1f" of a DVB-T or DVB-C frequency field (units of 0.1 MHz).
std::string dvbtFrequencyText(std::uint16_t field);
std::string dvbcFrequencyText(std::uint16_t field);

// The texts of one row of the channel list.
struct ChannelRow {
    int image = 0;             // 2 + channel kind (0 not a service, 1 TV, 2 radio)
    std::string caption;       // "%04d" row number in numbering mode, else the name
    std::string name;          // the channel name filtered for display
    std::string language;
    std::string ca;            // "+" scrambled, " " free
    std::string frequency;
    std::string symbolRate;
    std::string fec;
    std::string polarisation;
    std::string satellite;
    std::string video;
    std::string audio;
    std::string provider;
};

// A tree node of a used satellite.
struct SatelliteNode {
    std::uint8_t number;
    std::string text;
};


class DisplayTexts {
public:
    DisplayTexts(const ChannelDatabase& database, TextLookup lookup);

    std::string text(std::string_view key) const { return lookup_(key); }

    // 1..65 (64 "DVB-T", 65 "DVB-C"); style 1 "S%d-%s [%.2f %s]", 2 "S%d-%s", 0 the name.
    // Anything else "NoName".
    std::string satelliteText(int number, int style) const;
    // "LIST" + " " + name for list 1..8, "MAIN LIST" otherwise. All forms read the same.
    std::string listText(int list, int form) const;
    // Code below 3: "'unknown'"; otherwise provider code - 3 of the provider list, filtered.
    std::string providerText(const TreeNode& provider) const;
    ChannelRow channelRowTexts(std::uint16_t slot, int rowNumber, bool showNumbers) const;

    // Tree support: one node per used satellite (with orbit position); the provider nodes start
    // with the unknown provider.
    std::vector<SatelliteNode> satelliteNodes() const;
    std::vector<std::string> providerNodes() const;

    // Confirmation questions.
    std::string copyMovePrompt(bool move, std::size_t count, std::string_view channelName, int targetList) const;
    std::string removePrompt(std::size_t count, std::string_view channelName, int list) const;
    std::string copyAllPrompt(int firstList, int secondList) const;
    std::string copyAllProviderPrompt(const TreeNode& provider, int secondList) const;
    std::string eraseAllPrompt(const TreeNode& node) const;

private:
    const ChannelDatabase& db_;
    TextLookup lookup_;
};

} // namespace cs
