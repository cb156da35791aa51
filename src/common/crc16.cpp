#include "common/crc16.h"

#include <array>

namespace cs {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x8000) ? static_cast<std::uint16_t>((c << 1) ^ 0x1021) : static_cast<std::uint16_t>(c << 1);
        table[i] = c;
    }
    return table;
}

constexpr auto kTable = makeTable();

// kSliced[k][b]: the CRC of byte b followed by k zero bytes, so that sixteen bytes are folded in
// with sixteen independent lookups (the channel table and image areas are checked on every open
// and save).
constexpr std::array<std::array<std::uint16_t, 256>, 16> makeSliced() {
    std::array<std::array<std::uint16_t, 256>, 16> t{};
    t[0] = makeTable();
    for (std::size_t k = 1; k < 16; ++k)
        for (unsigned b = 0; b < 256; ++b)
            t[k][b] = static_cast<std::uint16_t>((t[k - 1][b] << 8) ^ t[0][t[k - 1][b] >> 8]);
    return t;
}

constexpr auto kSliced = makeSliced();

} // namespace

std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ byte) & 0xFF]);
}

std::uint16_t crc16(std::span<const std::uint8_t> data, std::uint16_t crc) {
    const std::uint8_t* p = data.data();
    std::size_t n = data.size();
    for (; n >= 16; p += 16, n -= 16) {
        crc = static_cast<std::uint16_t>(
            kSliced[15][((crc >> 8) ^ p[0]) & 0xFF] ^ kSliced[14][(crc ^ p[1]) & 0xFF] ^ kSliced[13][p[2]] ^
            kSliced[12][p[3]] ^ kSliced[11][p[4]] ^ kSliced[10][p[5]] ^ kSliced[9][p[6]] ^ kSliced[8][p[7]] ^
            kSliced[7][p[8]] ^ kSliced[6][p[9]] ^ kSliced[5][p[10]] ^ kSliced[4][p[11]] ^ kSliced[3][p[12]] ^
            kSliced[2][p[13]] ^ kSliced[1][p[14]] ^ kSliced[0][p[15]]);
    }
    if (n >= 8) {
        crc = static_cast<std::uint16_t>(
            kSliced[7][((crc >> 8) ^ p[0]) & 0xFF] ^ kSliced[6][(crc ^ p[1]) & 0xFF] ^ kSliced[5][p[2]] ^
            kSliced[4][p[3]] ^ kSliced[3][p[4]] ^ kSliced[2][p[5]] ^ kSliced[1][p[6]] ^ kSliced[0][p[7]]);
        p += 8;
        n -= 8;
    }
    for (; n > 0; ++p, --n)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ *p) & 0xFF]);
    return crc;
}

} // namespace cs
