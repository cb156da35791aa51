#include "image/image_header.h"

#include <algorithm>
#include <span>

namespace cs {
namespace {

constexpr DatabaseKind kSettingsR78{"settings.dsp (R7/R8)", 1, 8000};
constexpr DatabaseKind kSettings{"settings.dsp", 1, 4000};
constexpr DatabaseKind kChannels{"channels.dsp", 2, 4000};
constexpr DatabaseKind kConfig{"config.dsp", 3, 0};

struct KindRow {
    const DatabaseKind* kind;
    std::array<std::size_t, 4> sizes;      // 0 = unused
    std::array<std::uint32_t, 2> addresses;
    std::array<std::uint32_t, 2> lengths;
    std::optional<std::size_t> base;
    std::optional<std::size_t> config;
    std::size_t configOnlyWithSize;        // 0 = with every size of the row
};

constexpr std::size_t kNone = 0;

// The rows in the order they are tried.
const std::array<KindRow, 4> kRows = {{
    {&kSettingsR78, {0x90040, 0x80040, kNone, kNone}, {0xD0000, 0xD0000}, {0x47FFF, 0x3FFFF}, 0x00000, 0x80000, 0x90040},
    {&kSettings, {0x60040, 0x50040, kNone, kNone}, {0xD0000, 0xD0000}, {0x2FFFF, 0x27FFF}, 0x00000, 0x40000, kNone},
    {&kChannels, {0x40040, 0x60040, 0x50040, kNone}, {0xD0000, 0xD0000}, {0x1FFFF, 0x1FFFF}, 0x00000, std::nullopt, kNone},
    {&kConfig, {0x10040, 0x40040, 0x60040, 0x50040}, {0xF0000, 0x110000}, {0x7FFF, 0x7FFF}, std::nullopt, 0x00000, kNone},
}};

bool listed(std::span<const std::size_t> sizes, std::size_t size) {
    return size != kNone && std::find(sizes.begin(), sizes.end(), size) != sizes.end();
}

template <typename T, std::size_t N>
bool contains(const std::array<T, N>& values, T v) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

} // namespace

ImageHeader::ImageHeader(ConstBytes from) {
    auto src = slice(from, 0, size);
    std::copy(src.begin(), src.end(), bytes_.begin());
}

std::string_view ImageHeader::date() const {
    auto d = slice(ConstBytes(bytes_), header_field::kDate, header_field::kDateSize);
    return {reinterpret_cast<const char*>(d.data()), d.size()};
}

void ImageHeader::refreshForSave(std::string_view date8) {
    auto colons = slice(Bytes(bytes_), header_field::kColons, header_field::kColonsSize);
    std::fill(colons.begin(), colons.end(), ':');
    auto date = slice(Bytes(bytes_), header_field::kDate, header_field::kDateSize);
    for (std::size_t i = 0; i < date.size(); ++i)
        date[i] = i < date8.size() ? static_cast<std::uint8_t>(date8[i]) : '0';
    writeU16(bytes_, header_field::kFlags, static_cast<std::uint16_t>(flags() | header_field::kValidRegion));
}

bool isPluginAddress(std::uint32_t address) {
    return address >= kPluginFirst && address <= kPluginLast && address != kPictureStoreAddress;
}

std::optional<DatabaseLayout> matchDatabaseKind(std::size_t fileSize, std::uint32_t address, std::uint32_t length) {
    for (const KindRow& row : kRows) {
        if (!listed(row.sizes, fileSize))
            continue;
        if (!contains(row.addresses, address) || !contains(row.lengths, length))
            continue;
        DatabaseLayout layout;
        layout.kind = row.kind;
        layout.base = row.base;
        if (row.config && (row.configOnlyWithSize == kNone || row.configOnlyWithSize == fileSize))
            layout.config = row.config;
        return layout;
    }
    return std::nullopt;
}

bool isDatabaseFileSize(std::size_t fileSize) {
    for (std::size_t s : {0x10040, 0x40040, 0x50040, 0x60040, 0x80040, 0x90040})
        if (s == fileSize)
            return true;
    return false;
}

} // namespace cs
