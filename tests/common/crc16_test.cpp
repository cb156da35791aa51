#include "common/crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <vector>

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

// Bitwise reference, independent of the table-driven production code.
std::uint16_t crcBitwise(const std::vector<std::uint8_t>& data) {
    std::uint16_t crc = 0;
    for (auto b : data) {
        crc ^= static_cast<std::uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

TEST(Crc16, PublishedCheckValues) {
    struct Case { std::string_view text; std::uint16_t crc; };
    const Case cases[] = {{"", 0x0000}, {"123456789", 0x31C3}, {"A", 0x58E5}};
    for (const auto& c : cases)
        EXPECT_EQ(cs::crc16(bytesOf(c.text)), c.crc) << c.text;
}

TEST(Crc16, TableMatchesBitwiseReferenceOnRandomData) {
    std::mt19937 rng(20261210);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> data(rng() % 3000);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        ASSERT_EQ(cs::crc16(data), crcBitwise(data)) << "length " << data.size();
    }
}

TEST(Crc16, RunningUpdateEqualsWholeBuffer) {
    auto data = bytesOf("channel settings");
    std::uint16_t running = 0;
    for (auto b : data)
        running = cs::crc16Update(running, b);
    EXPECT_EQ(running, cs::crc16(data));
    std::span<const std::uint8_t> all(data);
    EXPECT_EQ(cs::crc16(all.subspan(7), cs::crc16(all.first(7))), cs::crc16(data));
}

} // namespace
