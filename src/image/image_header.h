#pragma once
// The 64-byte header of a receiver image file and the recognition of the file's kind from its
// size, header address and header length.
#include "common/byte_order.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace cs {

inline constexpr std::size_t kImageHeaderSize = 64;
// The editor reads at most 0xE0000 payload bytes.
inline constexpr std::size_t kMaxImagePayload = 0xE0000;
inline constexpr std::size_t kMaxImageFileSize = kImageHeaderSize + kMaxImagePayload;

namespace header_field {
inline constexpr std::size_t kColons = 0;      // 16 ':' characters, rewritten on save
inline constexpr std::size_t kColonsSize = 16;
inline constexpr std::size_t kIdent = 16;      // 8 characters, left as read
inline constexpr std::size_t kDate = 24;       // "YYYYMMDD" of the last save, no terminator
inline constexpr std::size_t kDateSize = 8;
inline constexpr std::size_t kFlags = 52;      // u16
inline constexpr std::size_t kAddress = 56;    // u32 flash address in 16-bit words
inline constexpr std::size_t kLength = 60;     // u32 payload length in 16-bit words minus one
inline constexpr std::uint16_t kValidRegion = 0x0080;  // flags bit 7
} // namespace header_field

class ImageHeader {
public:
    static constexpr std::size_t size = kImageHeaderSize;

    ImageHeader() = default;
    explicit ImageHeader(ConstBytes from);

    std::uint16_t flags() const { return readU16(bytes_, header_field::kFlags); }
    std::uint32_t address() const { return readU32(bytes_, header_field::kAddress); }
    std::uint32_t length() const { return readU32(bytes_, header_field::kLength); }
    bool validRegion() const { return flags() & header_field::kValidRegion; }
    std::string_view date() const;

    // Colons, the save date ("YYYYMMDD") and flags bit 7; every other byte stays.
    void refreshForSave(std::string_view date8);

    Bytes bytes() { return bytes_; }
    ConstBytes bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, size> bytes_{};
};

// The kind of an image file (the open log calls it "iTypeFile").
enum ImageKind : std::int8_t {
    kImageNotRecognised = -1,
    kImageDatabase = 0,
    kImageSoftware = 1,      // main software or plug-in image
    kImagePictureStore = 2,
};

inline constexpr std::uint32_t kSoftwareAddress = 0x8000;
inline constexpr std::uint32_t kPictureStoreAddress = 0x90000;
inline constexpr std::uint32_t kPluginFirst = 0x78000;
inline constexpr std::uint32_t kPluginLast = 0xCFFFF;

bool isPluginAddress(std::uint32_t address);

// One row of the database kinds table.
struct DatabaseKind {
    std::string_view text;      // the log text, e.g. "settings.dsp (R7/R8)"
    int kindNumber;             // 1 settings, 2 channels, 3 config
    std::size_t channelCapacity;
};

// Where the areas of a recognised database lie in the payload.
struct DatabaseLayout {
    const DatabaseKind* kind = nullptr;
    std::optional<std::size_t> base;    // payload offset of the BASE area
    std::optional<std::size_t> config;  // payload offset of the CONFIG area
};

inline constexpr std::size_t kConfigAreaSize = 0x10000;

// Matches the kinds table: for the file size, rows are tried in table order and the first whose
// address and length match decides. nullopt when none does.
std::optional<DatabaseLayout> matchDatabaseKind(std::size_t fileSize, std::uint32_t address, std::uint32_t length);

// True for the file sizes of database images (0x10040, 0x40040, 0x50040, 0x60040, 0x80040, 0x90040).
bool isDatabaseFileSize(std::size_t fileSize);

} // namespace cs
