// OK on the channel pages: what reaches the record and the entry, byte by byte, and the level
// the main window acts on.
#include "properties/channel_form.h"

#include "fixtures/image_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace cs;
using namespace cs::properties;
namespace fx = cs::fixtures;

namespace {

// The fixture's description of one channel record, field by field.
using fx::ChannelFields;

ChannelRecord recordOf(const ChannelFields& fields) {
    const fx::Record64 bytes = fx::encodeChannelRecord(fields);
    return ChannelRecord(ConstBytes(bytes));
}

// The record bytes the fields stand for, CRC left out (it is refreshed at save).
void expectBytes(const ChannelRecord& actual, const ChannelFields& expected) {
    const fx::Record64 want = fx::encodeChannelRecord(expected);
    for (std::size_t i = 0; i < 62; ++i)
        EXPECT_EQ(actual.bytes()[i], want[i]) << "byte " << i;
}

ChannelFields sample() {
    ChannelFields s;
    s.name = "Sample TV";
    s.carried = fx::CarriedChannelBytes::pattern(7);
    s.soundLevel = 9;
    s.caPriority = 3;
    return s;
}

} // namespace

TEST(ChannelForm, OkWithoutEditsWritesNothing) {
    const ChannelFields fields = sample();
    ChannelRecord record = recordOf(fields);
    ChannelEntry entry;
    entry.pmtPid = 0xE000 | 100;  // the bits above the 13 of the PMT PID hold another value
    const auto result = writeChannelForm(loadChannelForm(record, entry), record, entry);
    EXPECT_EQ(result.outcome, ChannelWriteResult::Outcome::Written);
    EXPECT_EQ(result.level, ChangeLevel::None);
    expectBytes(record, fields);
    EXPECT_EQ(entry.pmtPid, 0xE000 | 100);
}

TEST(ChannelForm, PidsNameAndListsReachTheRecordAndTheEntry) {
    ChannelFields fields = sample();
    ChannelRecord record = recordOf(fields);
    ChannelEntry entry;
    entry.pmtPid = 0xE000 | 100;
    ChannelForm form = loadChannelForm(record, entry);
    form.videoPid = 0x100;
    form.audioPid = 0x101;
    form.pmtPid = 0x1FFF;
    form.serviceId = 4711;
    form.name = "New name";
    form.audioMode = 3;
    form.caPriority = 15;
    form.fec = 1;
    form.parentalLock = true;
    const auto result = writeChannelForm(form, record, entry);
    EXPECT_EQ(result.level, ChangeLevel::Written);
    fields.videoPid = 0x100;
    fields.audioPid = 0x101;
    fields.serviceId = 4711;
    fields.name = "New name";
    fields.audioMode = 3;
    fields.caPriority = 15;
    fields.fec = 1;
    fields.parentalLock = 1;
    expectBytes(record, fields);
    EXPECT_EQ(entry.pmtPid, 0xFFFF);
}

TEST(ChannelForm, PlacementFieldsGiveLevelTwo) {
    ChannelFields fields = sample();
    for (int field = 0; field < 3; ++field) {
        ChannelRecord record = recordOf(fields);
        ChannelEntry entry;
        ChannelForm form = loadChannelForm(record, entry);
        if (field == 0)
            form.frequency = 12000;
        if (field == 1)
            form.polarisation = 1;
        if (field == 2)
            form.scrambled = true;
        EXPECT_EQ(writeChannelForm(form, record, entry).level, ChangeLevel::Placement) << field;
    }
}

TEST(ChannelForm, RadioChannelLosesTheVideoBitAndBlankPidsStay) {
    ChannelFields fields = sample();
    ChannelRecord record = recordOf(fields);
    ChannelEntry entry;
    ChannelForm form = loadChannelForm(record, entry);
    form.videoPid = 0;
    form.audioPid = std::nullopt;  // blank: unchanged
    form.pmtPid = std::nullopt;
    EXPECT_FALSE(pidsMirrored(form));
    EXPECT_EQ(writeChannelForm(form, record, entry).level, ChangeLevel::Written);
    fields.videoPid = 0;
    fields.videoFlag = false;
    expectBytes(record, fields);
}

TEST(ChannelForm, MirroredPidsRefuseOkAndWriteNothing) {
    struct Case {
        Pending video, audio, pmt;
        bool mirrored;
    };
    const Case cases[] = {
        {100, 100, 200, true},          {100, 200, 100, true},          {100, 200, 200, true},
        {0, 100, 0, false},             {std::nullopt, 100, 100, true}, {std::nullopt, std::nullopt, 100, false},
        {100, 200, std::nullopt, false},
    };
    const ChannelFields fields = sample();
    for (const Case& c : cases) {
        ChannelRecord record = recordOf(fields);
        ChannelEntry entry;
        ChannelForm form = loadChannelForm(record, entry);
        form.videoPid = c.video;
        form.audioPid = c.audio;
        form.pmtPid = c.pmt;
        form.name = "Changed";
        EXPECT_EQ(pidsMirrored(form), c.mirrored);
        const auto result = writeChannelForm(form, record, entry);
        if (c.mirrored) {
            EXPECT_EQ(result.outcome, ChannelWriteResult::Outcome::SamePid);
            expectBytes(record, fields);
        }
    }
}

TEST(ChannelForm, StoredCodesWithoutAnEntryShowNoSelectionAndStay) {
    ChannelFields fields = sample();
    fields.fec = 6;
    fields.parentalLock = 2;
    fields.satellite = 70;
    ChannelRecord record = recordOf(fields);
    ChannelEntry entry;
    ChannelForm form = loadChannelForm(record, entry);
    EXPECT_EQ(form.fec, std::nullopt);
    EXPECT_EQ(form.satellitePosition, std::nullopt);
    EXPECT_TRUE(form.parentalLock);
    EXPECT_EQ(writeChannelForm(form, record, entry).level, ChangeLevel::None);
    expectBytes(record, fields);
}

TEST(ChannelForm, TerrestrialFrequencyFromTheListAndItsSixteenBitLimit) {
    ChannelFields fields = sample();
    fields.satellite = 64;
    fields.frequency = 4740;
    fields.ofdm = 0x15;
    ChannelRecord record = recordOf(fields);
    ChannelEntry entry;
    ChannelForm form = loadChannelForm(record, entry);
    EXPECT_EQ(form.terrestrialFrequency, "474.0");
    form.terrestrialFrequency = "6553.6";  // 65536 tenths: refused, nothing written
    EXPECT_EQ(writeChannelForm(form, record, entry).outcome, ChannelWriteResult::Outcome::BadParameter);
    expectBytes(record, fields);
    form.terrestrialFrequency = "858.0";
    EXPECT_EQ(writeChannelForm(form, record, entry).level, ChangeLevel::Placement);
    fields.frequency = 8580;
    expectBytes(record, fields);
}

TEST(ChannelForm, CableFrequencySymbolRateAndConstellation) {
    ChannelFields fields = sample();
    fields.satellite = 65;
    fields.frequency = 3460;
    fields.symbolRate = 6900;
    fields.cableConstellation = 4;
    ChannelRecord record = recordOf(fields);
    ChannelEntry entry;
    ChannelForm form = loadChannelForm(record, entry);
    EXPECT_EQ(form.cableConstellation, 2);
    form.cableFrequency = "354.0";
    form.cableSymbolRate = "not a number";  // read as 5000
    form.cableConstellation = 4;            // QAM 256
    EXPECT_EQ(writeChannelForm(form, record, entry).level, ChangeLevel::Placement);
    fields.frequency = 3540;
    fields.symbolRate = 5000;
    fields.cableConstellation = 6;
    expectBytes(record, fields);

    form = loadChannelForm(record, entry);
    form.cableSymbolRate = "70000";  // does not fit 16 bits
    EXPECT_EQ(writeChannelForm(form, record, entry).outcome, ChannelWriteResult::Outcome::BadParameter);
    expectBytes(record, fields);
}

TEST(ChannelForm, TerrestrialChannelFrequencies) {
    const auto list = terrestrialChannelFrequencies();
    ASSERT_EQ(list.size(), 57u);
    EXPECT_EQ(list.front(), "177.5");
    EXPECT_EQ(list[7], "226.5");
    EXPECT_EQ(list[8], "474.0");
    EXPECT_EQ(list.back(), "858.0");
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
}
