#pragma once
// CRC-16/XMODEM (polynomial 0x1021, initial value 0, MSB first, no final XOR): the one checksum
// of the receiver, used for image areas, channel records, import files and YModem blocks.
#include <cstdint>
#include <span>

namespace cs {

std::uint16_t crc16(std::span<const std::uint8_t> data, std::uint16_t crc = 0);

// Continues a running CRC by one byte.
std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte);

} // namespace cs
