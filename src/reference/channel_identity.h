#pragma once
// What identifies a service when two lists are compared: satellite, service ID and, on a
// satellite, polarisation (the frequency is compared with sameTransmission).
#include "image/channel_record.h"

#include <cstdint>

namespace cs {

constexpr std::uint32_t serviceKey(std::uint8_t satellite, unsigned polarisation, std::uint16_t serviceId) {
    const unsigned pol = satellite >= kSatelliteDvbT ? 0u : (polarisation ? 1u : 0u);
    return (static_cast<std::uint32_t>(satellite) << 17) | (pol << 16) | serviceId;
}

} // namespace cs
