#include "image/channel_record.h"

#include "common/crc16.h"

#include <algorithm>
#include <cstring>

namespace cs {
namespace {

constexpr std::uint16_t kSatelliteMinMHz = 950;
constexpr std::uint16_t kSatelliteMaxMHz = 12750;
constexpr std::uint16_t kSymbolRateMin = 1000;
constexpr std::uint16_t kSymbolRateMax = 45000;
// DVB-T bands in units of 0.1 MHz.
constexpr std::uint16_t kVhfMin = 1740, kVhfMax = 2300;
constexpr std::uint16_t kUhfMin = 4700, kUhfMax = 8980;
constexpr std::uint16_t kMinPid = 32;

bool pidAcceptable(std::uint16_t pid) { return pid == 0 || pid >= kMinPid; }

} // namespace

ChannelRecord::ChannelRecord(ConstBytes from) {
    auto src = slice(from, 0, size);
    std::copy(src.begin(), src.end(), bytes_.begin());
}

ChannelRecord ChannelRecord::erased() {
    ChannelRecord r;
    r.bytes_.fill(0xFF);
    return r;
}

std::string_view ChannelRecord::name() const {
    const auto* p = reinterpret_cast<const char*>(bytes_.data() + channel_field::kName);
    const void* nul = std::memchr(p, 0, channel_field::kNameSize);
    return {p, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : channel_field::kNameSize};
}

void ChannelRecord::setName(std::string_view text) {
    const std::size_t n = std::min(text.size(), channel_field::kNameMaxWritten);
    auto field = slice(Bytes(bytes_), channel_field::kName, channel_field::kNameSize);
    std::fill(field.begin(), field.end(), 0);
    std::copy_n(text.begin(), n, field.begin());
}

std::uint16_t ChannelRecord::listPosition(std::size_t list) const {
    if (list < 1 || list > channel_field::kListCount)
        return 0;
    return get16(channel_field::kListPositions + 2 * (list - 1));
}

void ChannelRecord::setListPosition(std::size_t list, std::uint16_t position) {
    if (list < 1 || list > channel_field::kListCount)
        return;
    set16(channel_field::kListPositions + 2 * (list - 1), position);
}

unsigned ChannelRecord::audioMode() const {
    const unsigned low = (get8(channel_field::kFlags2) & channel_bits::kAudioModeLow) ? 1 : 0;
    const unsigned high = (get8(channel_field::kFlags3) & channel_bits::kAudioModeHigh) ? 1 : 0;
    return (high << 1) | low;
}

void ChannelRecord::setAudioMode(unsigned mode) {
    setBits(channel_field::kFlags2, channel_bits::kAudioModeLow, (mode & 1) ? 0xFF : 0);
    setBits(channel_field::kFlags3, channel_bits::kAudioModeHigh, (mode & 2) ? 0xFF : 0);
}

std::uint16_t recordCrc(const ChannelRecord& record) {
    return crc16(slice(record.bytes(), 0, channel_field::kCrcCovered));
}

bool isValidChannelRecord(const ChannelRecord& r) {
    const std::uint8_t sat = r.satellite();
    if (sat < kFirstSatellite || sat > kSatelliteDvbC)
        return false;
    if (r.name().size() >= channel_field::kNameSize)
        return false;
    const std::uint16_t f = r.frequency();
    if (sat < kSatelliteDvbT) {
        const std::uint16_t sr = r.symbolRate();
        if (f < kSatelliteMinMHz || f > kSatelliteMaxMHz || sr < kSymbolRateMin || sr > kSymbolRateMax)
            return false;
    } else if (sat == kSatelliteDvbT) {
        const bool vhf = f >= kVhfMin && f <= kVhfMax;
        const bool uhf = f >= kUhfMin && f <= kUhfMax;
        if (!vhf && !uhf)
            return false;
    }
    if (!pidAcceptable(r.videoPid()) || !pidAcceptable(r.audioPid()))
        return false;
    return r.storedCrc() == recordCrc(r);
}

ChannelKind channelKind(const ChannelRecord& r) {
    if (r.videoPresent() && r.videoPid() != 0)
        return ChannelKind::Tv;
    if (r.notAService() || (r.videoPid() == 0 && r.audioPid() == 0))
        return ChannelKind::NotService;
    return ChannelKind::Radio;
}

} // namespace cs
