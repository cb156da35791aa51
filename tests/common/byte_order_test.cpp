#include "common/byte_order.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(ByteOrder, ReadsAndWritesLittleEndianAtOffsets) {
    // Nine bytes: any endianness or off-by-one mistake shows in one of the reads.
    std::array<std::uint8_t, 9> b{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
    EXPECT_EQ(cs::readU8(b, 8), 0x09);
    EXPECT_EQ(cs::readU16(b, 1), 0x0302);
    EXPECT_EQ(cs::readU32(b, 5), 0x09080706u);
    cs::writeU32(b, 0, 0xA1B2C3D4u);
    cs::writeU16(b, 7, 0xBEEF);
    EXPECT_EQ((std::array<std::uint8_t, 9>{0xD4, 0xC3, 0xB2, 0xA1, 0x05, 0x06, 0x07, 0xEF, 0xBE}), b);
}

TEST(ByteOrder, FitsRejectsRangesPastTheEnd) {
    EXPECT_TRUE(cs::fits(10, 6, 4));
    EXPECT_FALSE(cs::fits(10, 7, 4));
    EXPECT_FALSE(cs::fits(10, 11, 0));
    EXPECT_FALSE(cs::fits(10, 2, static_cast<std::size_t>(-1)));
}

TEST(ByteOrderDeathTest, AccessPastTheEndStopsTheProgram) {
    std::array<std::uint8_t, 4> b{};
    EXPECT_DEATH(cs::readU32(b, 1), "out of range");
    EXPECT_DEATH(cs::writeU16(b, 3, 1), "out of range");
}

} // namespace
