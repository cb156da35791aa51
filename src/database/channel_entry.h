#pragma once
// The in-memory companion of one channel slot. Entry i always belongs to record slot i and to
// provider slot i of the provider work area; the links never change while an image is open.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cs {

// Bits of ChannelEntry::flags.
namespace entry_flags {
inline constexpr std::uint8_t kInUse = 0x04;
inline constexpr std::uint8_t kInserted = 0x08;  // inserted by the last insertIncoming
inline constexpr std::uint8_t kMarked = 0x10;    // marked for the next operation (deleteMarked)
inline constexpr std::uint8_t kSpare = 0x20;
inline constexpr std::uint8_t kMatched = 0x40;   // matched by the last matchChannels
inline constexpr std::uint8_t kChanged = 0x80;   // set on open, insert and delete
inline constexpr std::uint8_t kLoaded = kChanged | kInUse;
inline constexpr std::uint8_t kNewlyInserted = kChanged | kInserted | kInUse;
} // namespace entry_flags

// Bit 0 of ChannelEntry::removal: scratch mark of the delete operation.
inline constexpr std::uint8_t kRemovalMark = 0x01;

struct ChannelEntry {
    static constexpr std::size_t kProviderNameSize = 19;  // NUL-terminated
    static constexpr std::size_t kProviderNameMax = 18;
    static constexpr std::size_t kCaSystems = 3;

    std::uint16_t slot = 0;        // record slot and provider slot of this entry
    std::int32_t sortKey = 0;      // scratch while sorting
    // Editor fields (edited with the channel's properties, never stored in the image).
    std::array<std::uint16_t, kCaSystems> caSystems{};
    std::uint16_t pmtPid = 0;      // 13 bits
    std::uint16_t secondPid = 0;   // 13 bits
    std::uint8_t flags = 0;
    std::uint8_t removal = 0;
    std::array<char, kProviderNameSize> providerName{};

    bool inUse() const { return flags & entry_flags::kInUse; }
    bool marked() const { return flags & entry_flags::kMarked; }
    void setMarked(bool on) {
        flags = static_cast<std::uint8_t>(on ? (flags | entry_flags::kMarked) : (flags & ~entry_flags::kMarked));
    }

    std::string_view provider() const {
        return {providerName.data(),
                static_cast<std::size_t>(std::find(providerName.begin(), providerName.end(), '\0') - providerName.begin())};
    }
    // At most 18 characters; the rest of the field becomes NUL.
    void setProvider(std::string_view name) {
        providerName.fill('\0');
        std::copy_n(name.begin(), std::min(name.size(), kProviderNameMax), providerName.begin());
    }

    // Zeroes everything but the slot link.
    void reset() {
        const std::uint16_t keep = slot;
        *this = ChannelEntry{};
        slot = keep;
    }
};

} // namespace cs
