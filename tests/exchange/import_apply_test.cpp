// Applying chosen components to an open database: the channel base with its providers, colour
// profiles by sub-flag, receiver settings by range, the transponder list that changes nothing,
// entries whose marker is not 2561, and blocks that do not fit the file or the tables.
#include "exchange_test_support.h"

#include "exchange/import_apply.h"
#include "exchange/importer.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace cs;
using namespace cs::extest;

constexpr std::size_t kProfiles = 2816;  // colour profiles in the working settings record

std::vector<std::uint8_t> settingsBytes(const Flash& flash) {
    const ConstBytes b = flash.settings().settings.bytes();
    return {b.begin(), b.end()};
}

ImportFile readRecipe(const fx::DsxRecipe& recipe) {
    ImportFile file;
    EXPECT_EQ(readDsx(recipe, file), kImportRead);
    return file;
}

ImportReport applyAll(const ImportFile& file, ChannelDatabase& db) {
    ImportChooser chooser(file);
    chooser.selectAll();
    return applyImport(file, chooser, db);
}

fx::ImageBytes smallDatabase(std::size_t channels) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    for (std::size_t i = 0; i < channels; ++i)
        b.channel(i, tv("Old " + std::to_string(i), static_cast<std::uint16_t>(i + 1)));
    return b.build();
}

TEST(ImportApply, EntryWithoutTheValidMarkerIsListedButNeverApplied) {
    OpenDatabase open(smallDatabase(3));
    fx::ChannelBaseFixture base;
    base.records = {fx::encodeChannelRecord(tv("New", 9))};
    fx::DsxRecipe recipe;
    recipe.components = {{0, fx::kDsxChannelBase, 2560, fx::channelBaseBlock(base), {}},
                       {1, fx::kDsxColourProfiles, 0x0A02, fx::colourProfilesBlock(), {}},
                       {2, fx::kDsxReceiverSettings, 0, fx::receiverSettingsBlock(5), {}}};
    const ImportFile file = readRecipe(recipe);
    ASSERT_EQ(ImportChooser(file).items().size(), 3u);
    const auto before = settingsBytes(open.flash);

    const ImportReport report = applyAll(file, open.db);
    ASSERT_EQ(report.components.size(), 3u);
    for (const auto& c : report.components)
        EXPECT_EQ(c.status, ComponentStatus::InvalidMarker) << c.entry;
    EXPECT_FALSE(report.modified);
    EXPECT_EQ(open.db.channelCount(), 3u);
    EXPECT_EQ(open.db.record(0).name(), "Old 0");
    EXPECT_EQ(settingsBytes(open.flash), before);
}

TEST(ImportApply, OnlyTheCheckedColourProfilesChange) {
    OpenDatabase open(smallDatabase(1));
    fx::DsxRecipe recipe;
    recipe.components = {{4, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}}};
    const ImportFile file = readRecipe(recipe);
    ImportChooser chooser(file);
    chooser.items()[0].selected = true;
    ASSERT_TRUE(chooser.storeDetails(0, SubFlags{false, true, false, true}));
    ASSERT_TRUE(chooser.confirm());
    auto expected = settingsBytes(open.flash);
    const fx::ImageBytes block = fx::colourProfilesBlock();
    for (std::size_t k : {2u, 4u})
        std::copy_n(block.begin() + (k - 1) * 64, 64, expected.begin() + kProfiles + (k - 1) * 64);

    const ImportReport report = applyImport(file, chooser, open.db);
    EXPECT_EQ(report.components.at(0).status, ComponentStatus::Applied);
    EXPECT_TRUE(report.modified);
    EXPECT_FALSE(report.channelsReplaced);
    EXPECT_EQ(settingsBytes(open.flash), expected);
}

TEST(ImportApply, ChannelBaseOfTenRecordsReplacesFourThousandChannelsWithTheirProviders) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.provider(0, 1, "Old provider").provider(1, 2, "Other old");
    for (std::size_t i = 0; i < 4000; ++i)
        b.channel(i, tv("Old " + std::to_string(i), static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(1 + i % 2)));
    OpenDatabase open(b.build());
    ASSERT_EQ(open.db.channelCount(), 4000u);

    fx::ChannelBaseFixture base;
    for (int i = 0; i < 10; ++i)
        base.records.push_back(fx::encodeChannelRecord(tv("New " + std::to_string(i), static_cast<std::uint16_t>(100 + i))));
    base.providers = {{7, "Alpha"}, {8, "Beta"}, {9, "Gamma"}};
    base.providerNumbers = {7, 7, 8, 8, 9, 0, 7, 8, 9, 9};
    fx::DsxRecipe recipe;
    recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}}};
    const ImportReport report = applyAll(readRecipe(recipe), open.db);

    ASSERT_EQ(report.components.at(0).status, ComponentStatus::Applied) << report.components[0].message;
    EXPECT_TRUE(report.channelsReplaced);
    EXPECT_EQ(report.components[0].channels, 10u);
    EXPECT_EQ(report.components[0].message, "");
    EXPECT_EQ(open.db.channelCount(), 10u);
    const char* providers[] = {"Alpha", "Alpha", "Beta", "Beta", "Gamma", "", "Alpha", "Beta", "Gamma", "Gamma"};
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(open.db.record(i).name(), "New " + std::to_string(i));
        EXPECT_EQ(open.db.entry(i).provider(), providers[i]) << i;
    }
    for (std::size_t i = 10; i < 4000; ++i)
        ASSERT_FALSE(open.db.entry(i).inUse()) << i;
    EXPECT_EQ(open.flash.providerWork().provider(3), ProviderRecord{});

    // The providers survive a save: the saved image holds exactly the ten channels with them.
    const auto saved = open.dir() / "saved.dsp";
    ASSERT_EQ(open.flash.saveImage(saved.string(), false), SaveResult::Saved);
    NullLog log;
    Flash again(log);
    ChannelDatabase db(again);
    ASSERT_EQ(again.openImage(saved.string()), OpenResult::Loaded);
    ASSERT_EQ(db.channelCount(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(db.record(i).name(), "New " + std::to_string(i));
        EXPECT_EQ(db.entry(i).provider(), providers[i]) << i;
    }
}

// The database has room for 4000 channels: a channel base that fills it exactly is applied whole,
// one channel more is refused and leaves the database as it was.
TEST(ImportApply, AChannelBaseUpToTheCapacityIsAppliedOneMoreIsRefused) {
    struct Case {
        std::size_t channels;
        ComponentStatus status;
    };
    for (const Case c : {Case{4000, ComponentStatus::Applied}, Case{4001, ComponentStatus::Refused}}) {
        SCOPED_TRACE(c.channels);
        OpenDatabase open(smallDatabase(5));
        ASSERT_EQ(open.flash.channelCapacity(), 4000u);
        fx::ChannelBaseFixture base;
        for (std::size_t i = 0; i < c.channels; ++i)
            base.records.push_back(
                fx::encodeChannelRecord(tv("New " + std::to_string(i), static_cast<std::uint16_t>(i + 1))));
        fx::DsxRecipe recipe;
        recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}}};
        const ImportReport report = applyAll(readRecipe(recipe), open.db);
        ASSERT_EQ(report.components.size(), 1u);
        EXPECT_EQ(report.components[0].status, c.status) << report.components[0].message;
        if (c.status == ComponentStatus::Applied) {
            EXPECT_TRUE(report.channelsReplaced);
            EXPECT_EQ(report.components[0].channels, 4000u);
            EXPECT_EQ(open.db.channelCount(), 4000u);
            EXPECT_EQ(open.db.record(0).name(), "New 0");
            EXPECT_EQ(open.db.record(3999).name(), "New 3999");
        } else {
            EXPECT_FALSE(report.modified);
            EXPECT_EQ(open.db.channelCount(), 5u);
            EXPECT_EQ(open.db.record(0).name(), "Old 0");
        }
    }
}

TEST(ImportApply, ProvidersBeyondTheR78ProviderTableAreReported) {
    OpenDatabase open(fx::DatabaseImageBuilder(fx::DatabaseFileKind::SettingsR78).build());
    fx::ChannelBaseFixture base;
    for (int i = 0; i < 4; ++i)
        base.records.push_back(fx::encodeChannelRecord(tv("New " + std::to_string(i), static_cast<std::uint16_t>(i + 1))));
    for (std::uint16_t n = 1; n <= 630; ++n)
        base.providers.push_back({n, "P" + std::to_string(n)});
    base.providerNumbers = {1, 1, 625, 625};
    fx::DsxRecipe recipe;
    recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}}};
    const ImportReport report = applyAll(readRecipe(recipe), open.db);

    ASSERT_EQ(report.components.at(0).status, ComponentStatus::Applied);
    EXPECT_EQ(open.db.entry(0).provider(), "P1");
    EXPECT_EQ(open.db.entry(2).provider(), "");
    EXPECT_NE(report.components[0].message.find("2 imported channels"), std::string::npos) << report.components[0].message;
}

// Literal ranges of the receiver-settings component, independent of the production table.
struct Range {
    std::size_t offset, size;
};
const std::vector<Range> kAlwaysRanges = {{1716, 1}, {1746, 2}, {2267, 3}, {2726, 2}, {2597, 128}, {1600, 2}, {4084, 4}};
const std::vector<std::vector<Range>> kSubItemRanges = {
    {{1720, 24}}, {{0, 64}, {64, 1536}}, {{2270, 64}, {2592, 4}}, {{1748, 504}}};

TEST(ImportApply, ReceiverSettingsTakeTheAlwaysRangesAndEachCheckedSubItem) {
    const fx::ImageBytes block = fx::receiverSettingsBlock(11);
    fx::DsxRecipe recipe;
    recipe.components = {{6, fx::kDsxReceiverSettings, fx::kDsxMarker, block, {}}};
    const ImportFile file = readRecipe(recipe);
    const std::vector<std::set<std::size_t>> choices = {{}, {1}, {2}, {3}, {4}, {1, 2, 3, 4}};
    for (const auto& subItems : choices) {
        fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
        b.converter(0, {9750, 10600, 11700, 0, 0}).satellite(1, {"Sat", 13.0f, 1, 0, {}, 0, {.lnbKu = 3}});
        OpenDatabase open(b.build());
        ImportChooser chooser(file);
        chooser.items()[0].selected = true;
        for (std::size_t k = 1; k <= 4; ++k)
            chooser.items()[0].subFlags[k - 1] = subItems.count(k) > 0;
        ASSERT_TRUE(chooser.confirm());

        auto expected = settingsBytes(open.flash);
        auto take = [&](const std::vector<Range>& ranges) {
            for (const Range& r : ranges)
                std::copy_n(block.begin() + r.offset, r.size, expected.begin() + r.offset);
        };
        take(kAlwaysRanges);
        for (std::size_t k : subItems)
            take(kSubItemRanges[k - 1]);

        const ImportReport report = applyImport(file, chooser, open.db);
        std::string label;
        for (std::size_t k : subItems)
            label += std::to_string(k);
        EXPECT_EQ(report.components.at(0).status, ComponentStatus::Applied) << label;
        EXPECT_EQ(report.satellitesChanged, subItems.count(2) > 0) << label;
        const auto after = settingsBytes(open.flash);
        for (std::size_t i = 0; i < after.size(); ++i)
            ASSERT_EQ(after[i], expected[i]) << "sub-items {" << label << "} byte " << i;
    }
}

TEST(ImportApply, ImportedConvertersAndAntennaSwitchingReachTheSavedImage) {
    const fx::ImageBytes block = fx::receiverSettingsBlock(11);
    fx::DsxRecipe recipe;
    recipe.components = {{0, fx::kDsxReceiverSettings, fx::kDsxMarker, block, {}}};
    const ImportFile file = readRecipe(recipe);
    OpenDatabase open(smallDatabase(2));
    ImportChooser chooser(file);
    ASSERT_EQ(chooser.selectFromList("0:2"), std::nullopt);
    applyImport(file, chooser, open.db);
    const auto saved = open.dir() / "saved.dsp";
    ASSERT_EQ(open.flash.saveImage(saved.string(), false), SaveResult::Saved);

    NullLog log;
    Flash again(log);
    ASSERT_EQ(again.openImage(saved.string()), OpenResult::Loaded);
    const Converter c = again.settings().settings.converter(0);
    EXPECT_EQ(c.lof1, fx::getU16(block, 0));
    EXPECT_EQ(c.lof2, fx::getU16(block, 2));
    EXPECT_EQ(c.threshold, fx::getU16(block, 4));
    // Satellite 5's antenna switching: the 8 stored bytes of its 24-byte record, bits as stored.
    const AntennaSettings a = again.settings().settings.antenna(5);
    EXPECT_EQ(a.get(AntennaField::LnbKu), block[64 + 5 * 24] & 0x07);
    EXPECT_EQ(a.get(AntennaField::MotorIdC), block[64 + 5 * 24 + 4] & 0x3F);
}

TEST(ImportApply, TransponderListCanBeChosenAndChangesNothing) {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.channel(0, tv("Kept", 1)).transponder(fx::satelliteTransponder(28, 11494, 22000));
    OpenDatabase open(b.build());
    fx::DsxRecipe recipe;
    recipe.components = {{9, fx::kDsxTransponderList, fx::kDsxMarker, fx::ImageBytes(6 * 40, 0x1C), {}}};
    const auto settingsBefore = settingsBytes(open.flash);
    const TransponderTable transpondersBefore = open.flash.transponders();

    const ImportReport report = applyAll(readRecipe(recipe), open.db);
    EXPECT_EQ(report.components.at(0).status, ComponentStatus::NoChange);
    EXPECT_FALSE(report.modified);
    EXPECT_EQ(settingsBytes(open.flash), settingsBefore);
    EXPECT_EQ(open.flash.transponders(), transpondersBefore);
    EXPECT_EQ(open.db.channelCount(), 1u);
}

// Blocks that would have been copied past the file or the tables are refused whole, and the
// other components of the file are still applied.
TEST(ImportApply, BlocksThatDoNotFitAreRefusedAndTheRestApplies) {
    auto records = [](std::size_t n) {
        std::vector<fx::Record64> r(n, fx::encodeChannelRecord(tv("New", 1)));
        return r;
    };
    struct Case {
        const char* name;
        fx::DsxComponent component;
        const char* message;
    };
    fx::ChannelBaseFixture tooManyChannels;
    tooManyChannels.records = records(4001);
    fx::ChannelBaseFixture tooManyProviders;
    tooManyProviders.records = records(2);
    for (std::uint16_t n = 1; n <= 701; ++n)
        tooManyProviders.providers.push_back({n, "P"});
    fx::ChannelBaseFixture countsPastBlock;
    countsPastBlock.records = records(10);
    countsPastBlock.statedChannels = 11;
    fx::ChannelBaseFixture fine;
    fine.records = records(3);

    const std::vector<Case> cases = {
        {"more channels than slots", {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(tooManyChannels), {}},
         "holds 4001 channels; this database has room for 4000"},
        {"more providers than the table", {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(tooManyProviders), {}},
         "holds 701 providers; the provider table has room for 700"},
        {"counts past the block", {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(countsPastBlock), {}},
         "states 11 channels and 0 providers, more than its block of 684 bytes holds"},
        {"block past the end of the file", {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(fine), 24 + 66 * 3 + 1},
         "runs past the end of the file"},
        {"short colour profiles", {0, fx::kDsxColourProfiles, fx::kDsxMarker, fx::ImageBytes(255, 3), {}},
         "has 255 bytes, fewer than the 256 it needs"},
        {"short receiver settings", {0, fx::kDsxReceiverSettings, fx::kDsxMarker, fx::ImageBytes(4095, 3), {}},
         "has 4095 bytes, fewer than the 4096 it needs"},
    };
    for (const Case& c : cases) {
        OpenDatabase open(smallDatabase(5));
        fx::DsxRecipe recipe;
        // The broken block comes last, so that a block past the end of the file is possible.
        fx::DsxComponent broken = c.component;
        broken.entry = 5;
        recipe.components = {{1, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}}, broken};
        const auto before = settingsBytes(open.flash);

        const ImportReport report = applyAll(readRecipe(recipe), open.db);
        ASSERT_EQ(report.components.size(), 2u) << c.name;
        const ComponentOutcome& refused = report.components[1];
        EXPECT_EQ(refused.status, ComponentStatus::Refused) << c.name;
        EXPECT_NE(refused.message.find(c.message), std::string::npos) << c.name << ": " << refused.message;
        EXPECT_TRUE(report.anyRefused());
        EXPECT_EQ(report.components[0].status, ComponentStatus::Applied) << c.name;
        EXPECT_FALSE(report.channelsReplaced) << c.name;
        EXPECT_EQ(open.db.channelCount(), 5u) << c.name;
        EXPECT_EQ(open.db.record(0).name(), "Old 0") << c.name;
        const auto after = settingsBytes(open.flash);
        EXPECT_NE(after, before) << c.name;  // the colour profiles did arrive
        if (c.component.type != fx::kDsxColourProfiles) {
            const fx::ImageBytes profiles = fx::colourProfilesBlock();
            EXPECT_TRUE(std::equal(profiles.begin(), profiles.end(), after.begin() + kProfiles)) << c.name;
        }
    }
}

TEST(ImportFileFlow, DroppedFilesAreImportFilesByTheirExtensionInAnyCase) {
    for (const char* yes : {"a.dsx", "/x/B.DSX", "c.Dsx", ".dsx"})
        EXPECT_TRUE(hasImportExtension(yes)) << yes;
    for (const char* no : {"a.dsp", "a.dsx.bak", "dsx", "a.dsxx", ""})
        EXPECT_FALSE(hasImportExtension(no)) << no;
}

TEST(ImportFileFlow, FailureCancelAndConfirmedImport) {
    OpenDatabase open(smallDatabase(4));
    fx::TempDir dir;
    fx::ChannelBaseFixture base;
    base.records = {fx::encodeChannelRecord(tv("Imported", 1))};
    fx::DsxRecipe recipe;
    recipe.description = std::string(400, 'd');  // cut for the chooser, blocks still found
    recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}}};
    const auto path = writeDsx(dir, recipe, "pack.dsx").string();
    fx::ImageBytes corrupt = fx::encodeDsx(recipe);
    corrupt[600] ^= 0x10;
    fx::writeFile(dir / "corrupt.dsx", corrupt);

    bool chooserShown = false;
    auto chooseAll = [&](ImportChooser& chooser, const ImportFile& file) {
        chooserShown = true;
        EXPECT_EQ(file.description().size(), 255u);
        chooser.selectAll();
        return true;
    };
    ImportResult r = importFile((dir / "corrupt.dsx").string(), open.db, chooseAll);
    EXPECT_EQ(r.failure, kImportNotInterpreted);
    EXPECT_EQ(r.message, "Plik corrupt.dsx nie został poprawnie zinterpretowany");
    EXPECT_EQ(r.caption, "Błąd pliku");
    EXPECT_FALSE(chooserShown);

    r = importFile((dir / "none.dsx").string(), open.db, chooseAll);
    EXPECT_EQ(r.failure, kImportNoAccess);
    EXPECT_EQ(r.message, "Brak dostępu do pliku none.dsx");

    r = importFile(path, open.db, [](ImportChooser& chooser, const ImportFile&) {
        chooser.selectAll();
        return false;  // cancelled
    });
    EXPECT_FALSE(r.confirmed);
    EXPECT_EQ(open.db.channelCount(), 4u);

    r = importFile(path, open.db, chooseAll);
    EXPECT_TRUE(chooserShown);
    EXPECT_TRUE(r.confirmed);
    EXPECT_TRUE(r.report.modified);
    EXPECT_EQ(open.db.channelCount(), 1u);
    EXPECT_EQ(open.db.record(0).name(), "Imported");
}

} // namespace
