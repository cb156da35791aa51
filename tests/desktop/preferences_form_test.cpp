// The preference rules: which bits the dialog owns, and the port it keeps.
#include <gtest/gtest.h>

#include "desktop/preferences_form.h"
#include "settings/stored_settings.h"
#include "settings/memory_settings_store.h"

namespace cs::desktop {
namespace {

namespace f = settings_flags;

TEST(PreferenceBits, EachBoxSetsAndClearsItsOwnBitOnly) {
    struct Box {
        bool PreferenceBoxes::*box;
        std::int32_t bit;
    } boxes[] = {
        {&PreferenceBoxes::closeEndsProgram, f::kCloseEndsProgram},
        {&PreferenceBoxes::multipleInstances, f::kMultipleInstances},
        {&PreferenceBoxes::dragDropDisabled, f::kDragDropDisabled},
        {&PreferenceBoxes::noDatabaseAtStart, f::kNoDatabaseAtStart},
        {&PreferenceBoxes::startAtLogon, f::kStartAtLogon},
    };
    for (std::int32_t start : {0, -1, f::kDefaults, 0x3e0}) {
        for (const Box& b : boxes) {
            PreferenceBoxes on = boxesFromFlags(start);
            on.*(b.box) = true;
            EXPECT_EQ(flagsWithBoxes(start, on), start | b.bit);
            PreferenceBoxes off = boxesFromFlags(start);
            off.*(b.box) = false;
            EXPECT_EQ(flagsWithBoxes(start, off), start & ~b.bit);
        }
    }
}

TEST(PreferenceBits, BitsFiveToNineAndAboveAreNeverTouched) {
    const std::int32_t others = f::kPortOpenFailed | f::kConnectionWizardOption | f::kPropertiesInHex |
                                f::kAboutAnimationDone | f::kNumberingMode | (1 << 20);
    PreferenceBoxes all{true, true, true, true, true};
    EXPECT_EQ(flagsWithBoxes(others, all), others | 0x1f);
    EXPECT_EQ(flagsWithBoxes(others | 0x1f, PreferenceBoxes{}), others);
    EXPECT_EQ(flagsWithBoxes(0, all), 0x1f);
    EXPECT_EQ(preferenceFlagsMask(), 0x1f);
}

TEST(PreferenceBits, BoxesMirrorTheFlags) {
    EXPECT_EQ(boxesFromFlags(f::kDefaults), (PreferenceBoxes{true, true, false, false, false}));
    EXPECT_EQ(boxesFromFlags(f::kDragDropDisabled | f::kStartAtLogon), (PreferenceBoxes{false, false, true, false, true}));
}

TEST(PreferencePort, TheStoredPortIsSelectedWhenFound) {
    const PortChoices c = portChoices({"/dev/ttyS0", "/dev/ttyUSB0"}, "/dev/ttyUSB0");
    ASSERT_EQ(c.entries.size(), 2u);
    EXPECT_EQ(c.selected, 1);
    EXPECT_TRUE(c.entries[1].connected);
}

TEST(PreferencePort, AMissingStoredPortStaysChosenAndMarked) {
    const PortChoices c = portChoices({"/dev/ttyS0"}, "/dev/ttyUSB0");
    ASSERT_EQ(c.entries.size(), 2u);
    EXPECT_EQ(c.entries[1].name, "/dev/ttyUSB0");
    EXPECT_FALSE(c.entries[1].connected);
    EXPECT_EQ(c.selected, 1);
    EXPECT_EQ(portToStore(c, c.selected, "/dev/ttyUSB0"), "/dev/ttyUSB0");
    // The user picking another port is what changes it.
    EXPECT_EQ(portToStore(c, 0, "/dev/ttyUSB0"), "/dev/ttyS0");
}

TEST(PreferencePort, NoPortsFoundKeepsTheStoredName) {
    const PortChoices none = portChoices({}, "");
    EXPECT_TRUE(none.entries.empty());
    EXPECT_EQ(none.selected, -1);
    EXPECT_EQ(portToStore(none, -1, ""), "");
    // An adapter unplugged: its name is offered and kept, never wiped.
    const PortChoices unplugged = portChoices({}, "/dev/ttyUSB0");
    EXPECT_EQ(portToStore(unplugged, unplugged.selected, "/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(portToStore(unplugged, -1, "/dev/ttyUSB0"), "/dev/ttyUSB0");
}

TEST(PreferencePort, NothingStoredSelectsNothing) {
    const PortChoices c = portChoices({"/dev/ttyS0"}, "");
    EXPECT_EQ(c.selected, -1);
    EXPECT_EQ(portToStore(c, -1, ""), "");
}

TEST(PreferenceStore, OkWritesFlagsAndPortAtOnceAndNothingElse) {
    MemorySettingsStore store;
    StoredSettings settings;
    settings.flags = f::kDragDropDisabled | f::kNumberingMode;
    settings.serialPortName = "/dev/ttyUSB0";
    settings.runCount = 7;
    ASSERT_TRUE(settings.savePreferences(store));
    ASSERT_TRUE(store.openKey(kSettingsKeyPath, false));
    EXPECT_EQ(store.readInteger("TReg.flags"), settings.flags);
    EXPECT_EQ(store.readString("ComPort"), "/dev/ttyUSB0");
    // The run counter counts completed runs; a preference change is none.
    EXPECT_FALSE(store.valueExists("Counter"));
    store.closeKey();
}

} // namespace
} // namespace cs::desktop
