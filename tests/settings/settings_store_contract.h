#pragma once
// The behaviour every SettingsStore must show, run against each implementation. A fixture type
// provides `SettingsStore& store()` and `reopen()`, which for a file store starts a new store
// on the same file, so that values are also checked after a round trip through the file.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings_store.h"

namespace cs::test {

template <class Fixture>
class SettingsStoreContract : public ::testing::Test {
protected:
    Fixture fixture;
    SettingsStore& store() { return fixture.store(); }
};

TYPED_TEST_SUITE_P(SettingsStoreContract);

inline constexpr const char* kContractKey = "Software\\Tervanis\\TervanisTools";

TYPED_TEST_P(SettingsStoreContract, KeyOpensOnlyWhenPresentOrCreated) {
    SettingsStore& s = this->store();
    EXPECT_FALSE(s.openKey(kContractKey, false));
    // Nothing works without an open key.
    EXPECT_FALSE(s.valueExists("Counter"));
    EXPECT_FALSE(s.readInteger("Counter"));
    EXPECT_FALSE(s.writeInteger("Counter", 1));
    EXPECT_FALSE(s.writeString("ComPort", "x"));
    EXPECT_FALSE(s.deleteValue("Counter"));
    EXPECT_FALSE(s.closeKey());

    ASSERT_TRUE(s.openKey(kContractKey, true));
    EXPECT_FALSE(s.valueExists("Counter"));
    EXPECT_TRUE(s.writeInteger("Counter", 7));
    EXPECT_TRUE(s.closeKey());

    this->fixture.reopen();
    SettingsStore& again = this->store();
    ASSERT_TRUE(again.openKey(kContractKey, false));
    EXPECT_EQ(again.readInteger("Counter"), 7);
    EXPECT_TRUE(again.closeKey());
}

TYPED_TEST_P(SettingsStoreContract, ValuesKeepTheirContentAndType) {
    const std::vector<std::int32_t> integers = {0, 1, -1, 99, INT32_MIN, INT32_MAX, 0x7F00FF00};
    const std::vector<std::string> strings = {
        "",
        "/home/user/list.dsp",
        "  blanks around  ",
        "dword:00000001",
        "hex:00ff",
        "sz:abc",
        "100% sure %41",
        "a,b,c",
        "semi;colon #hash =equals=",
        "@at start",
        "[section]",
        "back\\slash \"quoted\"",
        "line\nbreak\ttab\rreturn",
        "Zażółć gęślą jaźń ñ Č",
        std::string("\xEF\xBB\xBF" "starts with a byte order mark"),
        std::string("latin-1 \xF1 and broken \xE2\x82 \xFF bytes"),
        std::string("nul\0inside", 10),
    };
    const std::vector<std::uint8_t> binary = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x2C, 0x3D, 0x0A};

    SettingsStore& s = this->store();
    ASSERT_TRUE(s.openKey(kContractKey, true));
    for (std::size_t i = 0; i < integers.size(); ++i)
        EXPECT_TRUE(s.writeInteger("Int" + std::to_string(i), integers[i]));
    for (std::size_t i = 0; i < strings.size(); ++i)
        EXPECT_TRUE(s.writeString("Str" + std::to_string(i), strings[i]));
    EXPECT_TRUE(s.writeBinary("DateTime", binary));
    ASSERT_TRUE(s.closeKey());

    this->fixture.reopen();
    SettingsStore& r = this->store();
    ASSERT_TRUE(r.openKey(kContractKey, false));
    for (std::size_t i = 0; i < integers.size(); ++i) {
        const std::string name = "Int" + std::to_string(i);
        EXPECT_EQ(r.readInteger(name), integers[i]) << name;
        EXPECT_FALSE(r.readString(name)) << name << " is not a string";
    }
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const std::string name = "Str" + std::to_string(i);
        EXPECT_EQ(r.readString(name), strings[i]) << name;
        EXPECT_FALSE(r.readInteger(name)) << name << " is not an integer";
    }
    EXPECT_TRUE(r.valueExists("DateTime"));
    EXPECT_FALSE(r.readInteger("DateTime"));
    EXPECT_FALSE(r.readString("DateTime"));
    EXPECT_FALSE(r.valueExists("Missing"));
    EXPECT_FALSE(r.readInteger("Missing"));
    EXPECT_FALSE(r.readString("Missing"));
    r.closeKey();
}

TYPED_TEST_P(SettingsStoreContract, WriteReplacesValueOfAnyType) {
    SettingsStore& s = this->store();
    ASSERT_TRUE(s.openKey(kContractKey, true));
    EXPECT_TRUE(s.writeString("TReg.flags", "text first"));
    EXPECT_TRUE(s.writeInteger("TReg.flags", 99));
    EXPECT_TRUE(s.writeBinary("ComPort", std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(s.writeString("ComPort", "/dev/ttyS0"));
    ASSERT_TRUE(s.closeKey());

    this->fixture.reopen();
    SettingsStore& r = this->store();
    ASSERT_TRUE(r.openKey(kContractKey, false));
    EXPECT_EQ(r.readInteger("TReg.flags"), 99);
    EXPECT_FALSE(r.readString("TReg.flags"));
    EXPECT_EQ(r.readString("ComPort"), "/dev/ttyS0");
    r.closeKey();
}

TYPED_TEST_P(SettingsStoreContract, DeleteRemovesOnlyThatValue) {
    SettingsStore& s = this->store();
    ASSERT_TRUE(s.openKey(kContractKey, true));
    s.writeInteger("FirstInstall", 1);
    s.writeInteger("Counter", 3);
    EXPECT_TRUE(s.deleteValue("FirstInstall"));
    EXPECT_FALSE(s.valueExists("FirstInstall"));
    EXPECT_FALSE(s.deleteValue("FirstInstall")) << "a second delete finds nothing";
    ASSERT_TRUE(s.closeKey());

    this->fixture.reopen();
    SettingsStore& r = this->store();
    ASSERT_TRUE(r.openKey(kContractKey, false));
    EXPECT_FALSE(r.valueExists("FirstInstall"));
    EXPECT_EQ(r.readInteger("Counter"), 3);
    r.closeKey();
}

TYPED_TEST_P(SettingsStoreContract, KeysHoldSeparateValues) {
    SettingsStore& s = this->store();
    ASSERT_TRUE(s.openKey("Software\\A", true));
    s.writeInteger("Value", 1);
    // Opening another key closes the first; writes go to the new one.
    ASSERT_TRUE(s.openKey("Software\\A\\B", true));
    s.writeInteger("Value", 2);
    ASSERT_TRUE(s.closeKey());

    this->fixture.reopen();
    SettingsStore& r = this->store();
    EXPECT_FALSE(r.openKey("Software\\C", false));
    ASSERT_TRUE(r.openKey("Software\\A", false));
    EXPECT_EQ(r.readInteger("Value"), 1);
    ASSERT_TRUE(r.openKey("Software\\A\\B", false));
    EXPECT_EQ(r.readInteger("Value"), 2);
    r.closeKey();
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract, KeyOpensOnlyWhenPresentOrCreated, ValuesKeepTheirContentAndType,
                            WriteReplacesValueOfAnyType, DeleteRemovesOnlyThatValue, KeysHoldSeparateValues);

} // namespace cs::test
