// The channel record, its validity rules and CRC, the compacting write of the channel table, both
// BA_3 layouts with their working copy, and the renumbering of providers at save.
#include "common/log_sink.h"
#include "fixtures/image_builder.h"
#include "image/channel_table.h"
#include "image/image_file.h"
#include "image/provider_area.h"
#include "image/provider_rebuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fx = cs::fixtures;
using fx::ChannelFields;
using fx::DatabaseFileKind;

cs::ChannelRecord recordOf(const ChannelFields& recipe) { return cs::ChannelRecord(fx::encodeChannelRecord(recipe)); }

ChannelFields dvbt(std::uint16_t frequency) {
    ChannelFields s;
    s.satellite = 64;
    s.frequency = frequency;
    s.symbolRate = 0;
    s.ofdm = 0x25;
    return s;
}

TEST(ChannelRecord, ValidityRules) {
    struct Case {
        const char* what;
        ChannelFields recipe;
        bool valid;
    };
    auto with = [](auto change) {
        ChannelFields s;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"default satellite channel", ChannelFields{}, true},
        {"satellite 0", with([](ChannelFields& s) { s.satellite = 0; }), false},
        {"satellite 1", with([](ChannelFields& s) { s.satellite = 1; }), true},
        {"satellite 66", with([](ChannelFields& s) { s.satellite = 66; }), false},
        {"erased satellite byte", with([](ChannelFields& s) { s.satellite = 0xFF; }), false},
        {"DVB-C with any frequency", with([](ChannelFields& s) { s.satellite = 65; s.frequency = 0; s.symbolRate = 0; }), true},
        {"empty name", with([](ChannelFields& s) { s.name = ""; }), true},
        {"16-character name", with([](ChannelFields& s) { s.name = std::string(16, 'N'); }), true},
        {"17 bytes without NUL", with([](ChannelFields& s) { s.name = std::string(17, 'N'); }), false},
        {"frequency 949", with([](ChannelFields& s) { s.frequency = 949; }), false},
        {"frequency 950", with([](ChannelFields& s) { s.frequency = 950; }), true},
        {"frequency 12750", with([](ChannelFields& s) { s.frequency = 12750; }), true},
        {"frequency 12751", with([](ChannelFields& s) { s.frequency = 12751; }), false},
        {"symbol rate 999", with([](ChannelFields& s) { s.symbolRate = 999; }), false},
        {"symbol rate 1000", with([](ChannelFields& s) { s.symbolRate = 1000; }), true},
        {"symbol rate 45000", with([](ChannelFields& s) { s.symbolRate = 45000; }), true},
        {"symbol rate 45001", with([](ChannelFields& s) { s.symbolRate = 45001; }), false},
        {"DVB-T 1739", dvbt(1739), false},
        {"DVB-T 1740", dvbt(1740), true},
        {"DVB-T 2300", dvbt(2300), true},
        {"DVB-T 2301", dvbt(2301), false},
        {"DVB-T 4699", dvbt(4699), false},
        {"DVB-T 4700", dvbt(4700), true},
        {"DVB-T 8980", dvbt(8980), true},
        {"DVB-T 8981", dvbt(8981), false},
        {"video PID 31", with([](ChannelFields& s) { s.videoPid = 31; }), false},
        {"video PID 32", with([](ChannelFields& s) { s.videoPid = 32; }), true},
        {"video PID 0", with([](ChannelFields& s) { s.videoPid = 0; }), true},
        {"audio PID 31", with([](ChannelFields& s) { s.audioPid = 31; }), false},
        {"audio PID 0", with([](ChannelFields& s) { s.audioPid = 0; }), true},
        {"wrong CRC", fx::withBadCrc(ChannelFields{}), false},
        {"CRC of a DVB-T record wrong", fx::withBadCrc(dvbt(5000)), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto record = recordOf(c.recipe);
        EXPECT_EQ(cs::isValidChannelRecord(record), c.valid);
    }
    EXPECT_FALSE(cs::isValidChannelRecord(cs::ChannelRecord::erased()));
}

TEST(ChannelRecord, FieldsReadAtTheirOffsetsAndSettersKeepCarriedBits) {
    ChannelFields s;
    s.name = "Sport 1";
    s.audioLanguage = 42;
    s.listPositions = {3, 0, 0, 0, 0, 0, 0, 511};
    s.videoPid = 0x1FFF;
    s.audioPid = 0x0102;
    s.frequency = 11034;
    s.symbolRate = 27500;
    s.satellite = 63;
    s.cableConstellation = 7;
    s.serviceId = 0xBEEF;
    s.polarisation = 1;
    s.scrambled = true;
    s.fec = 5;
    s.soundLevel = 9;
    s.parentalLock = 2;
    s.audioMode = 2;
    s.caPriority = 13;
    s.carried = fx::CarriedChannelBytes::pattern(7);
    const auto raw = fx::encodeChannelRecord(s);
    cs::ChannelRecord r(raw);

    EXPECT_EQ(r.name(), "Sport 1");
    EXPECT_EQ(r.audioLanguage(), 42);
    EXPECT_EQ(r.listPosition(1), 3);
    EXPECT_EQ(r.listPosition(8), 511);
    EXPECT_EQ(r.listPosition(9), 0);
    EXPECT_EQ(r.videoPid(), 0x1FFF);
    EXPECT_EQ(r.audioPid(), 0x0102);
    EXPECT_EQ(r.frequency(), 11034);
    EXPECT_EQ(r.symbolRate(), 27500);
    EXPECT_EQ(r.satellite(), 63);
    EXPECT_EQ(r.cableConstellation(), 7);
    EXPECT_EQ(r.matchId(), s.carried.matchId);
    EXPECT_EQ(r.serviceId(), 0xBEEF);
    EXPECT_EQ(r.polarisation(), 1u);
    EXPECT_TRUE(r.videoPresent());
    EXPECT_TRUE(r.scrambled());
    EXPECT_EQ(r.fec(), 5u);
    EXPECT_EQ(r.soundLevel(), 9u);
    EXPECT_EQ(r.parentalLock(), 2u);
    EXPECT_EQ(r.audioMode(), 2u);
    EXPECT_FALSE(r.notAService());
    EXPECT_EQ(r.caPriority(), 13u);
    EXPECT_EQ(r.storedCrc(), fx::getU16(raw, 62));
    EXPECT_EQ(cs::recordCrc(r), fx::crc16Bitwise(std::span<const std::uint8_t>(raw).first(62)));

    // Writing every field back through the setters with other values must land exactly where the
    // generator puts them, leaving the carried bytes and bits alone.
    ChannelFields t = s;
    t.name = "ABCDEFGHIJKLMNOPQRS";  // cut to 16 characters by the editor
    t.audioLanguage = 3;
    t.listPositions = {0, 0, 9, 0, 0, 0, 0, 0};
    t.videoPid = 0;
    t.videoFlag = false;
    t.audioPid = 4000;
    t.frequency = 4500;
    t.symbolRate = 6900;
    t.satellite = 65;
    t.cableConstellation = 2;
    t.serviceId = 17;
    t.polarisation = 0;
    t.scrambled = false;
    t.fec = 2;
    t.soundLevel = 15;
    t.parentalLock = 1;
    t.audioMode = 1;
    t.notAService = true;
    t.caPriority = 4;
    r.setName(t.name);
    r.setAudioLanguage(t.audioLanguage);
    r.setListPosition(1, 0);
    r.setListPosition(8, 0);
    r.setListPosition(3, 9);
    r.setVideoPid(0);
    r.setVideoPresent(false);
    r.setAudioPid(t.audioPid);
    r.setFrequency(t.frequency);
    r.setSymbolRate(t.symbolRate);
    r.setSatellite(t.satellite);
    r.setCableConstellation(t.cableConstellation);
    r.setServiceId(t.serviceId);
    r.setPolarisation(0);
    r.setScrambled(false);
    r.setFec(t.fec);
    r.setSoundLevel(t.soundLevel);
    r.setParentalLock(t.parentalLock);
    r.setAudioMode(t.audioMode);
    r.setNotAService(true);
    r.setCaPriority(t.caPriority);
    t.name = "ABCDEFGHIJKLMNOP";
    r.setStoredCrc(cs::recordCrc(r));
    const auto expected = fx::encodeChannelRecord(t);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), r.bytes().begin()));
}

TEST(ChannelRecord, KindFromVideoFlagPidsAndServiceBit) {
    struct Case {
        const char* what;
        bool videoFlag;
        std::uint16_t video, audio;
        bool notAService;
        cs::ChannelKind kind;
    };
    const Case cases[] = {
        {"TV", true, 160, 80, false, cs::ChannelKind::Tv},
        {"TV flag wins over the service bit", true, 160, 80, true, cs::ChannelKind::Tv},
        {"video flag without a video PID", true, 0, 80, false, cs::ChannelKind::Radio},
        {"video PID without the flag", false, 160, 80, false, cs::ChannelKind::Radio},
        {"radio", false, 0, 80, false, cs::ChannelKind::Radio},
        {"marked as no service", false, 0, 80, true, cs::ChannelKind::NotService},
        {"no PIDs", false, 0, 0, false, cs::ChannelKind::NotService},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChannelFields s;
        s.videoFlag = c.videoFlag;
        s.videoPid = c.video;
        s.audioPid = c.audio;
        s.notAService = c.notAService;
        EXPECT_EQ(cs::channelKind(recordOf(s)), c.kind);
    }
}

TEST(ChannelTable, WriteCompactsInUseSlotsWithFreshCrcsAndErasesTheRestOfBase) {
    // Slots 0, 5 and 9 hold channels; slot 5's record was edited in memory (stale CRC).
    fx::DatabaseImageBuilder b(DatabaseFileKind::Channels);
    ChannelFields a, c, d;
    a.name = "A";
    c.name = "C";
    d.name = "D";
    b.channel(0, a).channel(5, fx::withBadCrc(c)).channel(9, d);
    b.rawRecord(3, fx::encodeChannelRecord(fx::withBadCrc(ChannelFields{})));
    const auto bytes = b.build();

    cs::NullLog quiet;
    cs::ImageFile image;
    ASSERT_EQ(image.readImageBytes(bytes, quiet), cs::kImageDatabase);
    image.locateAreas(quiet);
    auto records = std::make_unique<cs::ChannelRecordArray>();
    cs::loadChannelTable(image.baseArea(), 4000, *records);
    const cs::ChannelRecord before5 = (*records)[5];

    cs::MemoryLog log;
    const auto inUse = [](std::size_t slot) { return slot == 0 || slot == 5 || slot == 9; };
    EXPECT_EQ(cs::writeChannelTable(image.baseArea(), 4000, *records, inUse, log), 3u);

    const auto base = image.baseArea();
    ASSERT_EQ(base.size(), 0x40000u);
    const std::string names[] = {"A", "C", "D"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto rec = base.subspan(64 * i, 64);
        EXPECT_TRUE(fx::recordCrcValid(rec)) << i;
        EXPECT_EQ(cs::ChannelRecord(rec).name(), names[i]);
    }
    EXPECT_TRUE(std::all_of(base.begin() + 3 * 64, base.end(), [](std::uint8_t v) { return v == 0xFF; }));
    EXPECT_EQ((*records)[5], before5) << "the in-memory record keeps its own bytes";
    EXPECT_TRUE(log.contains("Save 0005 / 0001 C"));
    EXPECT_EQ(log.lines().back(), "Saved chann=3");
    EXPECT_EQ(cs::countValidChannels(image.baseArea(), 4000), 3u);
}

TEST(ChannelTable, ConfigImagesHaveNoTableToWrite) {
    std::vector<std::uint8_t> none;
    auto records = std::make_unique<cs::ChannelRecordArray>();
    cs::NullLog log;
    EXPECT_EQ(cs::writeChannelTable(none, 0, *records, [](std::size_t) { return true; }, log), 0u);
}

// A BA_3 with providers and per-slot numbers in either layout.
fx::DatabaseImageBuilder providerImage(fx::ProviderLayout layout) {
    fx::DatabaseImageBuilder b(DatabaseFileKind::SettingsR78);
    b.providerLayout(layout).fillCarried(11);
    b.provider(0, 1, "Alpha").provider(1, 2, "Beta").provider(2, 7, "Gamma", 0x81);
    b.providerNumber(0, 1).providerNumber(1, 2).providerNumber(3999, 7);
    if (layout == fx::ProviderLayout::R78)
        b.providerNumber(7999, 2).provider(622, 9, "Last");
    else
        b.provider(699, 9, "Last");
    return b;
}

TEST(ProviderAreaSector, LoadCopiesBothLayoutsIntoTheWorkArea) {
    for (auto layout : {fx::ProviderLayout::Basic, fx::ProviderLayout::R78}) {
        const bool r78 = layout == fx::ProviderLayout::R78;
        SCOPED_TRACE(r78 ? "R7/R8" : "basic");
        cs::NullLog quiet;
        cs::ImageFile image;
        ASSERT_EQ(image.readImageBytes(providerImage(layout).build(), quiet), cs::kImageDatabase);
        image.locateAreas(quiet);
        ASSERT_TRUE(image.hasProviderArea());
        EXPECT_EQ(cs::providerLayout(image.providerArea()), r78 ? cs::ProviderLayout::R78 : cs::ProviderLayout::Basic);

        cs::MemoryLog log;
        cs::ProviderWorkArea work;
        cs::loadProviderArea(work, image.providerArea(), log);
        EXPECT_TRUE(work.holdsVerify());
        EXPECT_EQ(work.providerNumber(0), 1);
        EXPECT_EQ(work.providerNumber(1), 2);
        EXPECT_EQ(work.providerNumber(2), 0);
        EXPECT_EQ(work.providerNumber(3999), 7);
        EXPECT_EQ(work.providerNumber(7999), r78 ? 2 : 0);
        EXPECT_EQ(work.provider(2).flags(), 0x81);
        EXPECT_EQ(work.provider(2).number(), 7);
        EXPECT_EQ(work.provider(2).name(), "Gamma");
        EXPECT_TRUE(work.provider(2).hasMarker());
        const std::size_t last = r78 ? 622 : 699;
        EXPECT_EQ(work.provider(last).name(), "Last");
        EXPECT_EQ(work.providerName(9, image.providerCapacity()), "Last");
        EXPECT_EQ(work.providerName(9, last), "");
        EXPECT_EQ(work.providerName(3, image.providerCapacity()), "");
        EXPECT_EQ(log.lines().back(), r78 ? "sizeof(BA3WORK)=32768 (R7=32768) password=[CH5] 14964 16800"
                                          : "sizeof(BA3WORK)=32768 (R7=32768) password=[CH1] 14964 16800");
        EXPECT_EQ(log.contains("(ba3r78->provider_verify)=0x58AD7C01"), r78);
    }
}

TEST(ProviderAreaSector, AnAbsentOrUnverifiedProviderAreaLeavesTheWorkAreaZeroAndIsNotWritten) {
    cs::ProviderWorkArea work;
    work.setProviderNumber(5, 3);
    work.setVerify();
    cs::NullLog log;
    cs::loadProviderArea(work, {}, log);
    EXPECT_FALSE(work.holdsVerify());
    EXPECT_EQ(work.providerNumber(5), 0);
    EXPECT_TRUE(std::all_of(work.bytes().begin(), work.bytes().end(), [](std::uint8_t v) { return v == 0; }));

    auto bytes = providerImage(fx::ProviderLayout::Basic).build();
    const auto layout = fx::layoutOf(DatabaseFileKind::SettingsR78, 0x90040);
    std::span<std::uint8_t> providerBlock(bytes.data() + layout.providerBlock(), 32768);
    const std::vector<std::uint8_t> before(providerBlock.begin(), providerBlock.end());
    cs::storeProviderArea(work, providerBlock);  // work area without provider_verify
    EXPECT_TRUE(std::equal(before.begin(), before.end(), providerBlock.begin()));
}

TEST(ProviderAreaSector, StoreWritesTheWorkAreaBackAndKeepsTheBytesAfterProviderVerify) {
    for (auto layout : {fx::ProviderLayout::Basic, fx::ProviderLayout::R78}) {
        const bool r78 = layout == fx::ProviderLayout::R78;
        SCOPED_TRACE(r78 ? "R7/R8" : "basic");
        auto bytes = providerImage(layout).build();
        const auto fl = fx::layoutOf(DatabaseFileKind::SettingsR78, 0x90040);
        std::span<std::uint8_t> providerBlock(bytes.data() + fl.providerBlock(), 32768);
        const std::size_t verifyAt = r78 ? 30968 : 24804;
        const std::vector<std::uint8_t> tail(providerBlock.begin() + verifyAt + 4, providerBlock.begin() + 32764);

        cs::NullLog log;
        cs::ProviderWorkArea work;
        cs::loadProviderArea(work, providerBlock, log);
        work.setProviderNumber(1, 0);
        work.setProviderNumber(3998, 4);
        cs::ProviderRecord p;
        p.setFlags(0x80);
        p.setNumber(4);
        p.setName("Delta");
        p.setMarker();
        work.setProvider(3, p);
        if (r78)
            fx::putU32(providerBlock, verifyAt, 0x11111111);  // store rewrites the R7/R8 magic itself
        cs::storeProviderArea(work, providerBlock);

        const std::size_t records = r78 ? 16004 : 8004;
        EXPECT_EQ(fx::getU16(providerBlock, 4 + 2 * 1), 0);
        EXPECT_EQ(fx::getU16(providerBlock, 4 + 2 * 3998), 4);
        EXPECT_EQ(fx::getU16(providerBlock, 4 + 2 * 0), 1);
        EXPECT_EQ(providerBlock[records + 24 * 3 + 0], 0x80);
        EXPECT_EQ(fx::getU16(providerBlock, records + 24 * 3 + 2), 4);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&providerBlock[records + 24 * 3 + 4])), "Delta");
        EXPECT_EQ(providerBlock[records + 24 * 3 + 23], 0xA5);
        EXPECT_EQ(fx::getU32(providerBlock, verifyAt), fx::kProviderVerify);
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), providerBlock.begin() + verifyAt + 4));

        cs::sealProviderArea(providerBlock);
        EXPECT_TRUE(fx::providerAreaValid(bytes, fl));
    }
}

// A fixed table of in-use slots and their provider names, standing for the in-memory database.
class SlotTable : public cs::ChannelSlotSource {
public:
    void add(std::size_t slot, std::string name) { slots_[slot] = std::move(name); }
    bool slotInUse(std::size_t slot) const override { return slots_.count(slot) != 0; }
    std::string_view providerName(std::size_t slot) const override {
        auto it = slots_.find(slot);
        return it == slots_.end() ? std::string_view() : std::string_view(it->second);
    }

private:
    std::map<std::size_t, std::string> slots_;
};

TEST(ProviderRebuild, NamesCarriedTwiceBecomeProvidersNumberedInCompactedOrder) {
    // Slots 2, 4, 9, 11, 12 in use: they are saved as records 0..4.
    SlotTable slots;
    slots.add(2, "Y");
    slots.add(4, "X");
    slots.add(9, "");
    slots.add(11, "X");
    slots.add(12, "Z");
    slots.add(13, "Z");
    slots.add(20, "X");
    cs::ProviderWorkArea work;
    work.setVerify();
    for (std::size_t i = 0; i < cs::ProviderWorkArea::kRecordCount; ++i) {
        cs::ProviderRecord junk;
        junk.setNumber(static_cast<std::uint16_t>(i + 100));
        junk.setMarker();
        work.setProvider(i, junk);
    }
    work.setProviderNumber(7000, 55);

    const auto r = cs::rebuildProviderArea(work, slots, 8000, 700);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.providers, 2u);
    EXPECT_EQ(r.dropped, 0u);
    // Saved order: 2:Y 4:X 9:- 11:X 12:Z 13:Z 20:X -> X gets 1 (second X at record 3), Z gets 2.
    const std::uint16_t expected[] = {0, 1, 0, 1, 2, 2, 1};
    for (std::size_t j = 0; j < 7; ++j)
        EXPECT_EQ(work.providerNumber(j), expected[j]) << j;
    EXPECT_EQ(work.providerNumber(7000), 0);
    EXPECT_EQ(work.provider(0).name(), "X");
    EXPECT_EQ(work.provider(0).number(), 1);
    EXPECT_EQ(work.provider(0).flags(), 0x80);
    EXPECT_TRUE(work.provider(0).hasMarker());
    EXPECT_EQ(work.provider(1).name(), "Z");
    EXPECT_EQ(work.provider(2), cs::ProviderRecord());
    EXPECT_EQ(work.provider(699), cs::ProviderRecord());
    EXPECT_TRUE(work.holdsVerify());
}

TEST(ProviderRebuild, WithoutProviderAreaOrProviderVerifyNothingIsWritten) {
    SlotTable slots;
    slots.add(0, "X");
    slots.add(1, "X");
    cs::ProviderWorkArea work;
    EXPECT_FALSE(cs::rebuildProviderArea(work, slots, 4000, 700).written);
    work.setVerify();
    const auto r = cs::rebuildProviderArea(work, slots, 4000, 0);
    EXPECT_FALSE(r.written);
    EXPECT_EQ(r.providers, 1u);
    EXPECT_EQ(work.providerNumber(0), 0);
}

TEST(ProviderRebuild, ProvidersBeyondTheLayoutsCapacityAreDroppedNeverWrittenPastTheRegion) {
    for (std::size_t capacity : {std::size_t{623}, std::size_t{700}}) {
        SCOPED_TRACE(capacity);
        // 720 names, each on two channels, plus one name on three channels at the end.
        SlotTable slots;
        std::size_t slot = 0;
        for (int p = 0; p < 720; ++p) {
            slots.add(slot++, "P" + std::to_string(p));
            slots.add(slot++, "P" + std::to_string(p));
        }
        for (int k = 0; k < 3; ++k)
            slots.add(slot++, "Late");
        cs::ProviderWorkArea work;
        work.setVerify();

        const auto r = cs::rebuildProviderArea(work, slots, 8000, capacity);
        EXPECT_EQ(r.providers, capacity);
        EXPECT_EQ(r.dropped, 721 - capacity);
        EXPECT_EQ(r.channelsUnassigned, 2 * (720 - capacity) + 3);
        EXPECT_TRUE(work.holdsVerify()) << "provider_verify after the region must survive";
        EXPECT_EQ(work.provider(capacity - 1).number(), capacity);
        EXPECT_EQ(work.provider(capacity - 1).name(), "P" + std::to_string(capacity - 1));
        for (std::size_t i = capacity; i < cs::ProviderWorkArea::kRecordCount; ++i)
            ASSERT_EQ(work.provider(i), cs::ProviderRecord()) << i;
        EXPECT_EQ(work.providerNumber(2 * capacity - 1), capacity);
        EXPECT_EQ(work.providerNumber(2 * capacity), 0) << "channels of a dropped provider keep none";
        EXPECT_EQ(work.providerNumber(slot - 1), 0);
    }
}

} // namespace
