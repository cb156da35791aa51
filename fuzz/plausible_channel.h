#pragma once
// The channel records the image fuzz targets lay into their templates: valid, sharing
// satellites, transponders and list positions, for the inputs to disturb.
#include "image/channel_record.h"

#include <cstddef>
#include <cstdint>

namespace cs::fuzzing {

inline ChannelRecord plausibleChannel(std::size_t i) {
    ChannelRecord r;
    r.setName(i % 3 ? "Fuzz TV" : "");
    r.setSatellite(static_cast<std::uint8_t>(i % 4 == 3 ? 64 : 1 + i * 9 % 63));
    r.setFrequency(static_cast<std::uint16_t>(i % 4 == 3 ? 5060 : 10700 + i));
    r.setSymbolRate(27500);
    r.setVideoPid(static_cast<std::uint16_t>(i % 2 ? 0 : 160));
    r.setAudioPid(80);
    r.setListPosition(1 + i % 8, static_cast<std::uint16_t>(i + 1));
    r.setStoredCrc(recordCrc(r));
    return r;
}

} // namespace cs::fuzzing
