#pragma once
// One 64-byte channel record of the BASE channel table, read and written in place through named
// offsets. Bytes and bits the editor does not interpret stay exactly as the receiver wrote them.
#include "common/byte_order.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cs {

// Field offsets within a channel record.
namespace channel_field {
inline constexpr std::size_t kName = 0;               // 17 bytes, NUL-terminated within them
inline constexpr std::size_t kNameSize = 17;
inline constexpr std::size_t kNameMaxWritten = 16;    // the editor writes at most 16 characters
inline constexpr std::size_t kAudioLanguage = 17;     // u8, 0..93
inline constexpr std::size_t kListPositions = 20;     // 8 x u16, lists 1..8
inline constexpr std::size_t kListCount = 8;
inline constexpr std::size_t kVideoPid = 36;          // u16, 0 = none
inline constexpr std::size_t kAudioPid = 38;          // u16, 0 = none
inline constexpr std::size_t kFrequency = 42;         // u16: MHz (satellite), 0.1 MHz (DVB-T/C)
inline constexpr std::size_t kSymbolRate = 44;        // u16, kS/s
inline constexpr std::size_t kOfdm = 45;              // DVB-T only: upper byte of the symbol rate
inline constexpr std::size_t kSatellite = 46;         // 1..63 satellite, 64 DVB-T, 65 DVB-C
inline constexpr std::size_t kCableConstellation = 47;
inline constexpr std::size_t kMatchId = 48;           // u16, compared when matching pasted channels
inline constexpr std::size_t kServiceId = 50;         // u16
inline constexpr std::size_t kFlags = 52;
inline constexpr std::size_t kFlags2 = 59;
inline constexpr std::size_t kFlags3 = 60;
inline constexpr std::size_t kCrc = 62;               // u16 CRC-16 over bytes 0..61
inline constexpr std::size_t kCrcCovered = 62;
} // namespace channel_field

// Bits of the flag bytes.
namespace channel_bits {
inline constexpr std::uint8_t kPolarisation = 0x01;   // flags: 0 "Hor", 1 "Ver"
inline constexpr std::uint8_t kVideoPresent = 0x02;   // flags
inline constexpr std::uint8_t kScrambled = 0x04;      // flags
inline constexpr unsigned kFecShift = 3;              // flags bits 3-5
inline constexpr std::uint8_t kFecMask = 0x38;
inline constexpr std::uint8_t kSoundLevelMask = 0x0F; // flags 2 bits 0-3
inline constexpr unsigned kParentalShift = 5;         // flags 2 bits 5-6
inline constexpr std::uint8_t kParentalMask = 0x60;
inline constexpr std::uint8_t kAudioModeLow = 0x80;   // flags 2 bit 7
inline constexpr std::uint8_t kAudioModeHigh = 0x01;  // flags 3 bit 0
inline constexpr std::uint8_t kNotAService = 0x02;    // flags 3 bit 1
inline constexpr unsigned kCaPriorityShift = 4;       // flags 3 bits 4-7
inline constexpr std::uint8_t kCaPriorityMask = 0xF0;
} // namespace channel_bits

inline constexpr std::uint8_t kFirstSatellite = 1;
inline constexpr std::uint8_t kLastSatellite = 63;
inline constexpr std::uint8_t kSatelliteDvbT = 64;
inline constexpr std::uint8_t kSatelliteDvbC = 65;

// The channel kind used by icons and filters.
enum class ChannelKind : std::uint8_t { NotService = 0, Tv = 1, Radio = 2 };

class ChannelRecord {
public:
    static constexpr std::size_t size = 64;

    ChannelRecord() = default;
    explicit ChannelRecord(ConstBytes from);
    // An erased slot: every byte 0xFF.
    static ChannelRecord erased();

    // Up to the first NUL within the 17 name bytes (all 17 when there is none).
    std::string_view name() const;
    // At most 16 characters; the rest of the 17 bytes becomes NUL.
    void setName(std::string_view text);

    std::uint8_t audioLanguage() const { return get8(channel_field::kAudioLanguage); }
    void setAudioLanguage(std::uint8_t v) { set8(channel_field::kAudioLanguage, v); }
    // Position in favourite list 1..8 (0 = not in the list).
    std::uint16_t listPosition(std::size_t list) const;
    void setListPosition(std::size_t list, std::uint16_t position);
    std::uint16_t videoPid() const { return get16(channel_field::kVideoPid); }
    void setVideoPid(std::uint16_t v) { set16(channel_field::kVideoPid, v); }
    std::uint16_t audioPid() const { return get16(channel_field::kAudioPid); }
    void setAudioPid(std::uint16_t v) { set16(channel_field::kAudioPid, v); }
    std::uint16_t frequency() const { return get16(channel_field::kFrequency); }
    void setFrequency(std::uint16_t v) { set16(channel_field::kFrequency, v); }
    std::uint16_t symbolRate() const { return get16(channel_field::kSymbolRate); }
    void setSymbolRate(std::uint16_t v) { set16(channel_field::kSymbolRate, v); }
    std::uint8_t ofdm() const { return get8(channel_field::kOfdm); }
    void setOfdm(std::uint8_t v) { set8(channel_field::kOfdm, v); }
    std::uint8_t satellite() const { return get8(channel_field::kSatellite); }
    void setSatellite(std::uint8_t v) { set8(channel_field::kSatellite, v); }
    std::uint8_t cableConstellation() const { return get8(channel_field::kCableConstellation); }
    void setCableConstellation(std::uint8_t v) { set8(channel_field::kCableConstellation, v); }
    std::uint16_t matchId() const { return get16(channel_field::kMatchId); }
    std::uint16_t serviceId() const { return get16(channel_field::kServiceId); }
    void setServiceId(std::uint16_t v) { set16(channel_field::kServiceId, v); }

    std::uint8_t flags() const { return get8(channel_field::kFlags); }
    unsigned polarisation() const { return flags() & channel_bits::kPolarisation; }
    void setPolarisation(unsigned bit) { setBits(channel_field::kFlags, channel_bits::kPolarisation, bit ? 0xFF : 0); }
    bool videoPresent() const { return flags() & channel_bits::kVideoPresent; }
    void setVideoPresent(bool on) { setBits(channel_field::kFlags, channel_bits::kVideoPresent, on ? 0xFF : 0); }
    bool scrambled() const { return flags() & channel_bits::kScrambled; }
    void setScrambled(bool on) { setBits(channel_field::kFlags, channel_bits::kScrambled, on ? 0xFF : 0); }
    unsigned fec() const { return (flags() & channel_bits::kFecMask) >> channel_bits::kFecShift; }
    void setFec(unsigned code) {
        setBits(channel_field::kFlags, channel_bits::kFecMask, static_cast<std::uint8_t>(code << channel_bits::kFecShift));
    }

    unsigned soundLevel() const { return get8(channel_field::kFlags2) & channel_bits::kSoundLevelMask; }
    void setSoundLevel(unsigned v) { setBits(channel_field::kFlags2, channel_bits::kSoundLevelMask, static_cast<std::uint8_t>(v)); }
    unsigned parentalLock() const {
        return (get8(channel_field::kFlags2) & channel_bits::kParentalMask) >> channel_bits::kParentalShift;
    }
    void setParentalLock(unsigned v) {
        setBits(channel_field::kFlags2, channel_bits::kParentalMask, static_cast<std::uint8_t>(v << channel_bits::kParentalShift));
    }
    // 0..3: low bit in flags 2 bit 7, high bit in flags 3 bit 0.
    unsigned audioMode() const;
    void setAudioMode(unsigned mode);
    bool notAService() const { return get8(channel_field::kFlags3) & channel_bits::kNotAService; }
    void setNotAService(bool on) { setBits(channel_field::kFlags3, channel_bits::kNotAService, on ? 0xFF : 0); }
    unsigned caPriority() const {
        return (get8(channel_field::kFlags3) & channel_bits::kCaPriorityMask) >> channel_bits::kCaPriorityShift;
    }
    void setCaPriority(unsigned v) {
        setBits(channel_field::kFlags3, channel_bits::kCaPriorityMask, static_cast<std::uint8_t>(v << channel_bits::kCaPriorityShift));
    }

    std::uint16_t storedCrc() const { return get16(channel_field::kCrc); }
    void setStoredCrc(std::uint16_t v) { set16(channel_field::kCrc, v); }

    Bytes bytes() { return bytes_; }
    ConstBytes bytes() const { return bytes_; }
    bool operator==(const ChannelRecord&) const = default;

private:
    std::uint8_t get8(std::size_t off) const { return readU8(bytes_, off); }
    std::uint16_t get16(std::size_t off) const { return readU16(bytes_, off); }
    void set8(std::size_t off, std::uint8_t v) { writeU8(bytes_, off, v); }
    void set16(std::size_t off, std::uint16_t v) { writeU16(bytes_, off, v); }
    void setBits(std::size_t off, std::uint8_t mask, std::uint8_t value) {
        set8(off, static_cast<std::uint8_t>((get8(off) & ~mask) | (value & mask)));
    }

    std::array<std::uint8_t, size> bytes_{};
};

// CRC-16 over the first 62 bytes of a record.
std::uint16_t recordCrc(const ChannelRecord& record);

// The six validity rules: satellite 1..65; a NUL within the name; satellite channels 950..12750
// MHz and 1000..45000 kS/s; DVB-T 174.0-230.0 or 470.0-898.0 MHz; each PID 0 or at least 32; the
// stored CRC matches.
bool isValidChannelRecord(const ChannelRecord& record);

// TV when the video flag is set and a video PID exists; not a service when flags 3 says so or no
// PID exists; radio otherwise.
ChannelKind channelKind(const ChannelRecord& record);

} // namespace cs
