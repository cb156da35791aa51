// Comparing a sent database image with the one received back: what counts as identical (the
// receiver's own header and the bytes the editor never reads do not count), how each area names
// what differs, and files of other kinds.
#include "fixtures/image_builder.h"
#include "image/image_comparison.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

namespace fx = cs::fixtures;
using cs::AreaVerdict;
using cs::ComparedArea;
using fx::ChannelFields;
using fx::DatabaseFileKind;
using fx::DatabaseImageBuilder;

ChannelFields channel(const char* name, std::uint16_t serviceId, std::uint16_t provider = 0) {
    ChannelFields c;
    c.name = name;
    c.serviceId = serviceId;
    c.providerNumber = provider;
    return c;
}

// A small database as a user sends it: channels, two lists, providers, transponders and bytes
// the editor carries without reading.
DatabaseImageBuilder sentDatabase(DatabaseFileKind kind = DatabaseFileKind::SettingsR78) {
    DatabaseImageBuilder b(kind);
    b.fillCarried(7);
    if (kind == DatabaseFileKind::SettingsR78)
        b.providerLayout(fx::ProviderLayout::R78);
    b.defaultSatellites().listCount(2).listName(1, "News").listName(2, "Sport");
    b.channel(0, channel("Alpha", 1, 1)).channel(1, channel("Beta", 2, 1)).channel(2, channel("Gamma", 3, 2));
    b.channel(3, channel("Delta", 4, 2));
    b.provider(0, 1, "First Provider").provider(1, 2, "Second");
    b.transponder(fx::satelliteTransponder(28, 11494, 22000)).transponder(fx::satelliteTransponder(28, 11856, 27500, 0, 1));
    return b;
}

cs::ImageComparison compare(const DatabaseImageBuilder& sent, const DatabaseImageBuilder& received) {
    return cs::compareImageBytes(sent.build(), received.build());
}

const cs::AreaComparison& area(const cs::ImageComparison& c, ComparedArea which) {
    for (const auto& a : c.areas)
        if (a.area == which)
            return a;
    throw std::runtime_error("area not compared");
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += l + "\n";
    return out;
}

TEST(ImageComparison, WhatTheReceiverRewritesDoesNotCount) {
    const std::uint8_t changed[] = {0x5A};
    struct Case {
        const char* what;
        std::function<void(DatabaseImageBuilder&)> change;
    };
    const Case cases[] = {
        {"nothing", [](DatabaseImageBuilder&) {}},
        {"header date, flags and identification",
         [](DatabaseImageBuilder& b) { b.headerDate("20300101").headerFlags(0x0081).headerIdent("OTHERBOX"); }},
        {"header bytes the editor does not read",
         [&](DatabaseImageBuilder& b) { b.poke(40, changed).poke(54, changed); }},
        {"CONFIG between the transponder table and the settings area",
         [&](DatabaseImageBuilder& b) { b.poke(b.layout().config + 0x5A06, changed).poke(b.layout().config + 0x5FFF, changed); }},
        {"BASE after the channel table",
         [&](DatabaseImageBuilder& b) { b.poke(b.layout().base + 8000 * 64, changed).poke(b.layout().base + 0x7FFFF, changed); }},
    };
    for (const Case& c : cases) {
        DatabaseImageBuilder received = sentDatabase();
        c.change(received);
        const auto result = compare(sentDatabase(), received);
        EXPECT_TRUE(result.identical()) << c.what << "\n" << cs::comparisonReport(result);
        EXPECT_EQ(result.areas.size(), 4u) << c.what;
        EXPECT_EQ(cs::comparisonReport(result).rfind(cs::kIdenticalHeadline, 0), 0u) << c.what;
    }
}

TEST(ImageComparison, EachAreaNamesWhatDiffers) {
    struct Case {
        const char* what;
        std::function<void(DatabaseImageBuilder&)> change;
        ComparedArea area;
        std::size_t differences;
        std::string firstLine;
    };
    const Case cases[] = {
        {"a renamed channel", [](DatabaseImageBuilder& b) { b.channel(2, channel("Gamma HD", 3, 2)); },
         ComparedArea::ChannelTable, 1, "slot 3: \"Gamma\" -> \"Gamma HD\""},
        {"a channel's service ID",
         [](DatabaseImageBuilder& b) { b.channel(1, channel("Beta", 99, 1)); }, ComparedArea::ChannelTable, 1,
         "slot 2 \"Beta\": service ID, record check differ"},
        {"a damaged record",
         [](DatabaseImageBuilder& b) {
             const std::uint8_t letter[] = {'b'};
             b.poke(b.layout().base + 4, letter);
         },
         ComparedArea::ChannelTable, 1, "slot 1: \"Alpha\" -> \"Alphb\" (damaged record)"},
        {"a name in Latin-1", [](DatabaseImageBuilder& b) { b.channel(0, channel("Alpha \xE4\x01", 1, 1)); },
         ComparedArea::ChannelTable, 1, "slot 1: \"Alpha\" -> \"Alpha \xC3\xA4\\x01\""},
        {"a channel gone", [](DatabaseImageBuilder& b) { b.erasedSlot(3); }, ComparedArea::ChannelTable, 1,
         "slot 4: \"Delta\" -> (empty)"},
        // the name and the area's check word both differ
        {"a favourite list's name", [](DatabaseImageBuilder& b) { b.listName(2, "Sports"); },
         ComparedArea::SettingsArea, 2, "block 1, offset 2075, name of favourite list 2: 00 -> 73"},
        {"a byte of the network block", [](DatabaseImageBuilder& b) {
             const std::uint8_t ip[] = {192, 168, 1, 9};
             b.pokeSettingsArea(4128, ip);
         },
         ComparedArea::SettingsArea, 1, ""},
        {"a provider record", [](DatabaseImageBuilder& b) { b.provider(1, 2, "Secnd"); }, ComparedArea::ProviderArea, 2,
         "provider record 2: \"Second\" (number 2) -> \"Secnd\" (number 2)"},
        {"a channel's provider", [](DatabaseImageBuilder& b) { b.providerNumber(0, 2); }, ComparedArea::ProviderArea, 2,
         "provider of channel slot 1: 1 -> 2"},
        {"a transponder entry",
         [](DatabaseImageBuilder& b) { b.transponderRaw(1, fx::satelliteTransponder(28, 11857, 27500, 0, 1)); },
         ComparedArea::TransponderTable, 1,
         "entry 2: satellite 28 11856 MHz V 27500 kS/s -> satellite 28 11857 MHz V 27500 kS/s"},
    };
    for (const Case& c : cases) {
        DatabaseImageBuilder received = sentDatabase();
        c.change(received);
        const auto result = compare(sentDatabase(), received);
        ASSERT_TRUE(result.comparable) << c.what;
        EXPECT_FALSE(result.identical()) << c.what;
        for (const auto& a : result.areas) {
            if (a.area != c.area) {
                EXPECT_EQ(a.verdict, AreaVerdict::Identical) << c.what << ": " << cs::areaName(a.area);
                continue;
            }
            EXPECT_EQ(a.verdict, AreaVerdict::Different) << c.what;
            EXPECT_EQ(a.differenceCount, c.differences) << c.what << "\n" << joined(a.details);
            ASSERT_FALSE(a.details.empty()) << c.what;
            if (!c.firstLine.empty()) {
                EXPECT_EQ(a.details.front(), c.firstLine) << c.what;
            }
        }
        const std::string report = cs::comparisonReport(result);
        EXPECT_EQ(report.find(cs::kIdenticalHeadline), std::string::npos) << c.what;
        EXPECT_NE(report.find(std::string(cs::areaName(c.area)) + ": " + std::to_string(c.differences) + " difference"),
                  std::string::npos)
            << c.what << "\n" << report;
    }
}

TEST(ImageComparison, NetworkBlockDifferenceSaysBlockAndField) {
    DatabaseImageBuilder received = sentDatabase();
    const std::uint8_t ip[] = {192, 168, 1, 9};
    received.pokeSettingsArea(4128, ip);
    const auto result = compare(sentDatabase(), received);
    const auto& a = area(result, ComparedArea::SettingsArea);
    ASSERT_EQ(a.details.size(), 1u);
    EXPECT_EQ(a.details.front().rfind("block 2, offset 32..", 0), 0u) << a.details.front();
    EXPECT_NE(a.details.front().find("network settings"), std::string::npos) << a.details.front();
}

TEST(ImageComparison, ALongListIsCounted) {
    DatabaseImageBuilder sent(DatabaseFileKind::Channels);
    DatabaseImageBuilder received(DatabaseFileKind::Channels);
    for (std::size_t slot = 0; slot < 30; ++slot) {
        const std::string name = "Ch " + std::to_string(slot);
        sent.channel(slot, channel(name.c_str(), static_cast<std::uint16_t>(slot + 1)));
        received.channel(slot, channel((name + "x").c_str(), static_cast<std::uint16_t>(slot + 1)));
    }
    const auto result = compare(sent, received);
    ASSERT_EQ(result.areas.size(), 1u);  // a channels-only image has nothing else
    const auto& a = result.areas.front();
    EXPECT_EQ(a.differenceCount, 30u);
    ASSERT_EQ(a.details.size(), cs::kMaxListedDifferences + 1);
    EXPECT_EQ(a.details.back(), "... and 10 more channel slots");
}

TEST(ImageComparison, OtherKindsAreComparedOnWhatBothHave) {
    // 8000 slots sent, a 4000-slot channels image back: the channels that did not fit are
    // reported, and the areas it lacks are missing, never identical.
    DatabaseImageBuilder sent = sentDatabase();
    sent.channel(4500, channel("Far Away", 50));
    DatabaseImageBuilder received(DatabaseFileKind::Channels);
    received.channel(0, channel("Alpha", 1, 1)).channel(1, channel("Beta", 2, 1)).channel(2, channel("Gamma", 3, 2));
    received.channel(3, channel("Delta", 4, 2));
    const auto result = compare(sent, received);
    ASSERT_TRUE(result.comparable);
    EXPECT_FALSE(result.identical());
    const auto& channels = area(result, ComparedArea::ChannelTable);
    EXPECT_EQ(channels.verdict, AreaVerdict::Different);
    EXPECT_EQ(channels.details.front(), "1 sent channels after slot 4000 have no place in the received table");
    for (ComparedArea missing : {ComparedArea::SettingsArea, ComparedArea::ProviderArea, ComparedArea::TransponderTable})
        EXPECT_EQ(area(result, missing).verdict, AreaVerdict::MissingInReceived) << cs::areaName(missing);
    EXPECT_NE(cs::comparisonReport(result).find("Settings area: missing"), std::string::npos);

    // Basic provider layout against the R7/R8 one: the provider area cannot be set side by side.
    const auto layouts = compare(sentDatabase(DatabaseFileKind::Settings), sentDatabase(DatabaseFileKind::SettingsR78));
    EXPECT_EQ(area(layouts, ComparedArea::ProviderArea).verdict, AreaVerdict::NotComparable);
    EXPECT_FALSE(layouts.identical());

    // A config image sent: only its three CONFIG areas are compared.
    const auto config = compare(DatabaseImageBuilder(DatabaseFileKind::Config), DatabaseImageBuilder(DatabaseFileKind::Config));
    EXPECT_TRUE(config.identical());
    EXPECT_EQ(config.areas.size(), 3u);
}

TEST(ImageComparison, NoDatabaseIsNeverIdentical) {
    const auto sent = sentDatabase().build();
    struct Case {
        const char* what;
        fx::ImageBytes received;
        std::string problem;
    };
    const Case cases[] = {
        {"software", fx::softwareImage(), "The received file is a software image, not a database."},
        {"picture store", fx::pictureStoreHeaderImage(), "The received file is a picture store, not a database."},
        {"cut short", fx::truncated(sent, sent.size() - 1), "The received file is not a database image."},
        {"empty", {}, "The received file is not a database image."},
    };
    for (const Case& c : cases) {
        const auto result = cs::compareImageBytes(sent, c.received);
        EXPECT_FALSE(result.comparable) << c.what;
        EXPECT_FALSE(result.identical()) << c.what;
        EXPECT_EQ(result.problem, c.problem) << c.what;
        EXPECT_EQ(cs::comparisonReport(result), "The files cannot be compared. " + c.problem + "\n") << c.what;
    }
    fx::TempDir dir;
    fx::writeFile(dir / "sent.dsp", sent);
    const auto unreadable = cs::compareImageFiles(dir / "sent.dsp", dir / "gone.dsp");
    EXPECT_FALSE(unreadable.comparable);
    EXPECT_EQ(unreadable.problem, "Could not read " + (dir / "gone.dsp").string() + ".");
    fx::writeFile(dir / "back.dsp", sent);
    EXPECT_TRUE(cs::compareImageFiles(dir / "sent.dsp", dir / "back.dsp").identical());
}

} // namespace
