// Reading an import file: the encoding, the CRC with 0x1234 in place, the description, the
// component directory and where each block starts, and the two failures with their messages.
#include "exchange_test_support.h"

#include "exchange/import_texts.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace cs;
using namespace cs::extest;

fx::DsxRecipe threeComponents() {
    fx::ChannelBaseFixture base;
    base.records = {fx::encodeChannelRecord(tv("One", 1)), fx::encodeChannelRecord(tv("Two", 2))};
    fx::DsxRecipe recipe;
    recipe.description = "Line one\nLine two";
    recipe.components = {
        {0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
        {3, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}},
        // Not a component type: it owns no block, whatever size it states.
        {5, 0, fx::kDsxMarker, {}, 100u},
        {7, fx::kDsxReceiverSettings, 77, fx::receiverSettingsBlock(3), {}},
    };
    return recipe;
}

TEST(ImportFileRead, AcceptsEncodedFileAndLocatesEveryBlock) {
    const fx::DsxRecipe recipe = threeComponents();
    ImportFile file;
    ASSERT_EQ(readDsx(recipe, file), kImportRead);

    EXPECT_EQ(file.description(), "Line one\nLine two");
    EXPECT_EQ(file.descriptionLines(), (std::vector<std::string>{"Line one", "Line two"}));
    EXPECT_FALSE(file.descriptionCut());
    EXPECT_EQ(file.directory()[5].size, 100u);
    EXPECT_EQ(file.directory()[7].marker, 77u);

    ASSERT_EQ(file.components().size(), 3u);
    std::uint64_t expected = 520 + recipe.description.size() + 1;
    const std::size_t specIndex[] = {0, 1, 3};
    for (std::size_t i = 0; i < 3; ++i) {
        const ImportComponent& c = file.components()[i];
        const fx::DsxComponent& want = recipe.components[specIndex[i]];
        EXPECT_EQ(c.entry, want.entry);
        EXPECT_EQ(static_cast<std::uint32_t>(c.type), want.type);
        EXPECT_EQ(c.offset, expected) << "entry " << c.entry;
        EXPECT_TRUE(file.blockInFile(c));
        const ConstBytes block = file.blockBytes(c);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), want.block.begin(), want.block.end())) << "entry " << c.entry;
        expected += want.block.size();
    }
    EXPECT_TRUE(file.components()[0].validMarker());
    EXPECT_FALSE(file.components()[2].validMarker());
    const ChannelBaseCounts counts = file.channelBaseCounts(file.components()[0]);
    EXPECT_EQ(counts.channels, 2);
    EXPECT_EQ(counts.providers, 0);
}

TEST(ImportFileRead, AnyChangedByteFailsTheCheck) {
    const fx::ImageBytes good = fx::encodeDsx(threeComponents());
    // Filler, directory, both CRC bytes, the spare word, the description and the last block byte.
    for (std::size_t at : {std::size_t{0}, std::size_t{131}, std::size_t{140}, std::size_t{516}, std::size_t{517},
                           std::size_t{519}, std::size_t{524}, good.size() - 1}) {
        for (std::uint8_t flip : {std::uint8_t{0x01}, std::uint8_t{0x80}}) {
            fx::ImageBytes bad = good;
            bad[at] ^= flip;
            ImportFile file;
            EXPECT_EQ(file.parse(bad), kImportNotInterpreted) << "byte " << at << " flip " << int(flip);
            EXPECT_TRUE(file.components().empty());
        }
    }
    // An unencoded file with a right CRC is not an import file either.
    ImportFile file;
    EXPECT_EQ(file.parse(fx::decodedDsx(threeComponents())), kImportNotInterpreted);
}

TEST(ImportFileRead, BitExchangeMatchesTheIndependentEncoderForEveryByte) {
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(exchangeBits(byte), fx::dsxExchange(byte)) << b;
        EXPECT_EQ(exchangeBits(exchangeBits(byte)), byte) << b;
    }
    EXPECT_EQ(exchangeBits(std::uint8_t{0x01}), 0x80);
    EXPECT_EQ(exchangeBits(std::uint8_t{0x42}), 0x42);
    EXPECT_EQ(exchangeBits(std::uint8_t{0x3E}), 0x7C);
}

TEST(ImportFileRead, SizeLimitsAndUnreadableFiles) {
    fx::TempDir dir;
    ImportFile file;
    EXPECT_EQ(readImportFile((dir / "missing.dsx").string(), file), kImportNoAccess);
    EXPECT_EQ(readImportFile(dir.path().string(), file), kImportNoAccess);

    // Files of 272384 bytes are read, 272385 bytes are refused before any check.
    auto sized = [](std::size_t total) {
        fx::DsxRecipe recipe;
        recipe.description = "x";
        recipe.components = {{0, fx::kDsxTransponderList, fx::kDsxMarker, fx::ImageBytes(total - 522, 0x11), {}}};
        return recipe;
    };
    EXPECT_EQ(fx::encodeDsx(sized(272384)).size(), 272384u);
    EXPECT_EQ(readImportFile(writeDsx(dir, sized(272384)).string(), file), kImportRead);
    EXPECT_EQ(readImportFile(writeDsx(dir, sized(272385)).string(), file), kImportNotInterpreted);

    // Too short to hold the CRC and the spare word.
    fx::writeFile(dir / "short.dsx", fx::ImageBytes(519, 0));
    EXPECT_EQ(readImportFile((dir / "short.dsx").string(), file), kImportNotInterpreted);
}

TEST(ImportFileRead, FailureMessagesAreTheImportWindowsOwnTexts) {
    EXPECT_EQ(importFailureMessage(kImportNoAccess, "a.dsx"), "Brak dostępu do pliku a.dsx");
    EXPECT_EQ(importFailureMessage(kImportNotInterpreted, "a.dsx"), "Plik a.dsx nie został poprawnie zinterpretowany");
    EXPECT_EQ(importFailureCaption(), "Błąd pliku");
    EXPECT_EQ(importFailureMessage(kImportRead, "a.dsx"), "");
}

TEST(ImportFileRead, OverlongDescriptionIsCutWithoutMovingTheBlocks) {
    fx::DsxRecipe recipe;
    recipe.description = std::string(300, 'D');
    recipe.components = {{2, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}}};
    ImportFile file;
    ASSERT_EQ(readDsx(recipe, file), kImportRead);
    EXPECT_EQ(file.description(), std::string(255, 'D'));
    EXPECT_TRUE(file.descriptionCut());
    ASSERT_EQ(file.components().size(), 1u);
    EXPECT_EQ(file.components()[0].offset, 520u + 300 + 1);
    EXPECT_TRUE(file.blockInFile(file.components()[0]));
}

TEST(ImportFileRead, DescriptionWithoutTerminatorLeavesEveryBlockOutsideTheFile) {
    fx::DsxRecipe recipe;
    recipe.description = "no end";
    recipe.omitDescriptionNul = true;
    recipe.components = {{0, fx::kDsxColourProfiles, fx::kDsxMarker, {}, 256u}};
    ImportFile file;
    ASSERT_EQ(readDsx(recipe, file), kImportRead);
    EXPECT_EQ(file.description(), "no end");
    ASSERT_EQ(file.components().size(), 1u);
    EXPECT_FALSE(file.blockInFile(file.components()[0]));
    EXPECT_TRUE(file.blockBytes(file.components()[0]).empty());
}

TEST(ImportFileRead, DescriptionIsShownAsUtf8) {
    fx::DsxRecipe recipe;
    recipe.description = "Pakiet \xB9\xEA";  // "ąę" in Windows-1250
    ImportFile file;
    ASSERT_EQ(readDsx(recipe, file), kImportRead);
    EXPECT_EQ(file.descriptionUtf8(), "Pakiet ąę");

    // A UTF-8 description cut inside its 255 bytes loses the split character, not its language.
    recipe.description = std::string(254, 'a') + "ąę";
    ASSERT_EQ(readDsx(recipe, file), kImportRead);
    EXPECT_TRUE(file.descriptionCut());
    EXPECT_EQ(file.descriptionUtf8(), std::string(254, 'a'));
}

} // namespace
