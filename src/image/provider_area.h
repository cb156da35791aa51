#pragma once
// BA_3, the channel-to-provider area of CONFIG, in its two layouts, and the editor's working copy
// of it (ProviderWorkArea). Provider numbers belong to channel slots in slot order; the provider
// records follow them, then the provider_verify magic and the area CRC.
#include "common/byte_order.h"
#include "common/log_sink.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cs {

inline constexpr std::uint32_t kProviderVerifyMagic = 0x58AD7C01;

// Byte layout of BA_3 (offsets from its start).
namespace provider_layout {
inline constexpr std::size_t kSize = 32768;
inline constexpr std::size_t kTag = 0;                     // 4-byte text tag, carried unchanged
inline constexpr std::size_t kTagSize = 4;
inline constexpr std::size_t kLayoutByte = 2;              // '5' selects the R7/R8 layout
inline constexpr std::uint8_t kR78LayoutChar = '5';
inline constexpr std::size_t kProviderNumbers = 4;         // u16 per channel slot
inline constexpr std::size_t kCrc = 32764;                 // u32 holding the CRC-16 of bytes 0..32763
inline constexpr std::size_t kCrcCovered = 32764;

// Basic layout: 4000 slots, 700 provider records.
inline constexpr std::size_t kBasicSlots = 4000;
inline constexpr std::size_t kBasicProviders = 8004;
inline constexpr std::size_t kBasicProviderBytes = 16800;
inline constexpr std::size_t kBasicVerify = 24804;
inline constexpr std::size_t kBasicProviderCapacity = 700;

// R7/R8 layout: 8000 slots, 623 provider records and 12 further bytes.
inline constexpr std::size_t kR78Slots = 8000;
inline constexpr std::size_t kR78Providers = 16004;
inline constexpr std::size_t kR78ProviderBytes = 14964;
inline constexpr std::size_t kR78Verify = 30968;
inline constexpr std::size_t kR78ProviderCapacity = 623;
} // namespace provider_layout

enum class ProviderLayout : std::uint8_t { Basic, R78 };

// The layout a BA_3 area uses (by its byte 2).
ProviderLayout providerLayout(ConstBytes providerArea);
std::size_t providerVerifyOffset(ProviderLayout layout);
std::size_t providerCapacity(ProviderLayout layout);

// One 24-byte provider record.
class ProviderRecord {
public:
    static constexpr std::size_t size = 24;
    static constexpr std::size_t kFlags = 0;       // bit 7 in use; bits 0-1 filter marks
    static constexpr std::size_t kCarried = 1;     // 0 in records the editor writes
    static constexpr std::size_t kNumber = 2;      // u16, 1-based
    static constexpr std::size_t kName = 4;        // 19 bytes, NUL-terminated
    static constexpr std::size_t kNameSize = 19;
    static constexpr std::size_t kNameMax = 18;
    static constexpr std::size_t kMarker = 23;
    static constexpr std::uint8_t kMarkerValue = 0xA5;
    static constexpr std::uint8_t kInUse = 0x80;

    ProviderRecord() = default;
    explicit ProviderRecord(ConstBytes from);

    std::uint8_t flags() const { return readU8(bytes_, kFlags); }
    void setFlags(std::uint8_t v) { writeU8(bytes_, kFlags, v); }
    std::uint16_t number() const { return readU16(bytes_, kNumber); }
    void setNumber(std::uint16_t v) { writeU16(bytes_, kNumber, v); }
    std::string_view name() const;             // up to the first NUL, at most 19 bytes
    void setName(std::string_view text);       // at most 18 characters, NUL-filled
    bool hasMarker() const { return readU8(bytes_, kMarker) == kMarkerValue; }
    void setMarker(std::uint8_t v = kMarkerValue) { writeU8(bytes_, kMarker, v); }

    Bytes bytes() { return bytes_; }
    ConstBytes bytes() const { return bytes_; }
    bool operator==(const ProviderRecord&) const = default;

private:
    std::array<std::uint8_t, size> bytes_{};
};

// The editor's working copy of BA_3, the same for both layouts.
class ProviderWorkArea {
public:
    static constexpr std::size_t size = 34816;
    static constexpr std::size_t kNumbers = 0;         // 8000 x u16
    static constexpr std::size_t kSlots = 8000;
    static constexpr std::size_t kRecords = 16000;     // 700 x ProviderRecord
    static constexpr std::size_t kRecordCount = 700;
    static constexpr std::size_t kRecordBytes = kRecordCount * ProviderRecord::size;
    static constexpr std::size_t kVerify = 32800;

    std::uint16_t providerNumber(std::size_t slot) const;         // 0 for a slot past 8000
    void setProviderNumber(std::size_t slot, std::uint16_t number);
    ProviderRecord provider(std::size_t index) const;              // index 0..699
    void setProvider(std::size_t index, const ProviderRecord& record);
    // The name of the first record among the first `capacity` that carries the marker and
    // `number`; empty when there is none.
    std::string_view providerName(std::uint16_t number, std::size_t capacity) const;

    bool holdsVerify() const { return readU32(bytes_, kVerify) == kProviderVerifyMagic; }
    void setVerify() { writeU32(bytes_, kVerify, kProviderVerifyMagic); }
    void clear() { bytes_.fill(0); }

    Bytes bytes() { return bytes_; }
    ConstBytes bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, size> bytes_{};
};

// Open: zero the work area, then, when BA_3 is present (an empty span means absent) and its
// provider_verify holds, copy its provider numbers and provider region in and set the work
// area's provider_verify.
void loadProviderArea(ProviderWorkArea& work, ConstBytes providerArea, LogSink& log);

// Save: copy the work area's provider numbers and provider region back into BA_3. Nothing
// happens when BA_3 is absent or the work area holds no provider_verify.
void storeProviderArea(const ProviderWorkArea& work, Bytes providerArea);

// Stores provider_verify at the layout's offset and the area CRC (upper half zero).
void sealProviderArea(Bytes providerArea);
// True when the stored CRC word equals the CRC of bytes 0..32763 and provider_verify holds.
bool providerAreaValid(ConstBytes providerArea);

} // namespace cs
