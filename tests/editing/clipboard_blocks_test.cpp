// The exchange blocks of the clipboard: the layout peers rely on, and the decoder's bounds.
#include "editing/clipboard_blocks.h"
#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace cs::editing {
namespace {

namespace fx = cs::fixtures;

ChannelRecord recordOf(const fx::ChannelFields& channel) {
    const auto bytes = fx::encodeChannelRecord(channel);
    return ChannelRecord(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
}

std::vector<std::uint8_t> dataFor(const std::vector<fx::ChannelFields>& specs, std::string_view provider = "Alpha") {
    std::vector<std::uint8_t> data;
    for (const auto& s : specs) {
        ChannelEntry e;
        e.setProvider(provider);
        e.caSystems = {0x0100, 0x0500, 0};
        e.pmtPid = 0x1FFF;
        appendDataEntry(data, recordOf(s), e);
    }
    return data;
}

fx::ChannelFields named(std::string name, std::uint8_t satellite = 28) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.satellite = satellite;
    return s;
}

TEST(ClipboardBlocks, InfoBlockHasTheExchangedLayout) {
    const auto bytes = encodeInfo({0x01020304u, 0xA1B2C3D4u, 7, true});
    const std::array<std::uint8_t, 12> expected{0x04, 0x03, 0x02, 0x01, 0xD4, 0xC3, 0xB2, 0xA1, 7, 1, 0, 0};
    EXPECT_EQ(bytes, expected);
    const auto back = decodeInfo(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->count, 0x01020304u);
    EXPECT_EQ(back->owner, 0xA1B2C3D4u);
    EXPECT_EQ(back->sourceList, 7);
    EXPECT_TRUE(back->cut);
}

TEST(ClipboardBlocks, DataEntryIsTheRecordThenTheEntry) {
    const fx::ChannelFields channel = named("Sky One");
    const auto data = dataFor({channel}, "Provider X");
    ASSERT_EQ(data.size(), 120u);
    const auto rec = fx::encodeChannelRecord(channel);
    EXPECT_EQ(0, std::memcmp(data.data(), rec.data(), 64));
    EXPECT_EQ(0, std::memcmp(data.data() + 64 + entry_block::kProviderName, "Provider X", 11));
    EXPECT_EQ(data[64 + entry_block::kCaSystems], 0x00);
    EXPECT_EQ(data[64 + entry_block::kCaSystems + 1], 0x01);
}

TEST(ClipboardBlocks, RoundTripKeepsChannelsAndProviders) {
    const auto data = dataFor({named("One"), named("Two", 64), named("Three", 65)});
    const auto info = encodeInfo({3, 42, 0, false});
    const DecodedClipboard d = decodeClipboard(info, data);
    ASSERT_EQ(d.channels.size(), 3u);
    EXPECT_EQ(d.channels[1].record.name(), "Two");
    EXPECT_EQ(d.channels[2].record.satellite(), 65);
    EXPECT_EQ(d.channels[0].providerName, "Alpha");
    EXPECT_EQ(d.channels[0].caSystems[1], 0x0500);
    EXPECT_EQ(d.channels[0].pmtPid, 0x1FFF);
    EXPECT_EQ(d.info.owner, 42u);
}

TEST(ClipboardBlocks, DecoderIsBoundedByTheDataPresent) {
    const auto data = dataFor({named("One"), named("Two")});
    struct Case {
        const char* what;
        std::size_t infoSize;
        std::uint32_t count;
        std::size_t dataSize;
        std::size_t expected;
    } cases[] = {
        {"count above the entries present", 12, 1000000, 240, 2},
        {"count of zero", 12, 0, 240, 0},
        {"truncated second entry", 12, 2, 239, 1},
        {"truncated first entry", 12, 1, 119, 0},
        {"no data block", 12, 2, 0, 0},
        {"info block short", 11, 2, 240, 0},
        {"info block empty", 0, 2, 240, 0},
        {"count below the entries present", 12, 1, 240, 1},
    };
    for (const Case& c : cases) {
        const auto info = encodeInfo({c.count, 9, 0, false});
        const DecodedClipboard d = decodeClipboard(std::span(info).first(c.infoSize), std::span(data).first(c.dataSize));
        EXPECT_EQ(d.channels.size(), c.expected) << c.what;
    }
}

TEST(ClipboardBlocks, NamesFromAnotherProcessPassTheCharacterRules) {
    // A name filling all 17 bytes without NUL, with characters outside 32..125.
    auto data = dataFor({named("Plain")}, "Prov");
    const char raw[17] = {'A', '\x01', 'B', '~', '\x7f', 'C', '\xE9', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M'};
    std::memcpy(data.data(), raw, 17);
    const char provider[19] = {'P', '\t', 'r', 'o', 'v', '{', '}', '~', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'y'};
    std::memcpy(data.data() + 64 + entry_block::kProviderName, provider, 19);
    const auto info = encodeInfo({1, 9, 0, false});
    const DecodedClipboard d = decodeClipboard(info, data);
    ASSERT_EQ(d.channels.size(), 1u);
    const std::string_view name = d.channels[0].record.name();
    EXPECT_EQ(name, "ABCDEFGHIJKLM");
    // The stored field ends within its 17 bytes.
    EXPECT_EQ(d.channels[0].record.bytes()[16], 0);
    EXPECT_EQ(d.channels[0].providerName, "Prov{}xxxxxxxxxxy");  // the field had no NUL: cut at its end
    EXPECT_LE(d.channels[0].providerName.size(), ChannelEntry::kProviderNameMax);
}

TEST(ClipboardBlocks, RecordsOutsideTheSatelliteNumbersAreDropped) {
    const auto data = dataFor({named("Zero", 0), named("Ok", 1), named("Past", 66), named("Cable", 65), named("Ff", 255)});
    const auto info = encodeInfo({5, 9, 0, false});
    const DecodedClipboard d = decodeClipboard(info, data);
    ASSERT_EQ(d.channels.size(), 2u);
    EXPECT_EQ(d.channels[0].record.name(), "Ok");
    EXPECT_EQ(d.channels[1].record.name(), "Cable");
    EXPECT_EQ(d.dropped, 3u);
}

TEST(ClipboardBlocks, OwnerTokenIsStableAndNotZero) {
    EXPECT_NE(processOwnerToken(), 0u);
    EXPECT_EQ(processOwnerToken(), processOwnerToken());
}

} // namespace
} // namespace cs::editing
