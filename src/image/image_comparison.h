#pragma once
// Comparing a database image that was sent to the receiver with the one the receiver sends back,
// area by area, in words a user understands.
//
// Compared: the channel table (the first channelCapacity slots of BASE), the settings area
// (BA_2, both 4096-byte blocks), the provider area (BA_3) and the transponder table at the start
// of CONFIG; only the areas the sent image has. Ignored, because the receiver writes them itself
// when it builds the file it sends back, and the editor never reads them:
//   - the 64-byte file header: the receiver stamps its own date and flags into it;
//   - the not-interpreted part of CONFIG between the transponder table and the settings area
//     (CONFIG 0x5A06..0x5FFF);
//   - the filler of BASE after the channel table (an 8000-slot table leaves 192 slots' worth).
// A received image of another kind is compared on the areas both have; an area the sent image
// has and the received one lacks is reported as missing, never as identical.
#include "common/byte_order.h"
#include "image/image_file.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

enum class ComparedArea { ChannelTable, SettingsArea, ProviderArea, TransponderTable };

enum class AreaVerdict {
    Identical,
    Different,
    MissingInReceived,  // the sent image has the area, the received one does not
    NotComparable,      // both have it, but in layouts that cannot be set side by side
};

// Details listed per area before the rest is summed up in one "... and N more" line.
inline constexpr std::size_t kMaxListedDifferences = 20;

struct AreaComparison {
    ComparedArea area{};
    AreaVerdict verdict = AreaVerdict::Identical;
    // How many things differ: channel slots, byte ranges, provider slots and records,
    // transponder entries.
    std::size_t differenceCount = 0;
    // One line per difference, at most kMaxListedDifferences and then a line with the rest's
    // count; for MissingInReceived and NotComparable the reason.
    std::vector<std::string> details;
};

struct ImageComparison {
    // False when either file is no database image; `problem` then says which and why.
    bool comparable = false;
    std::string problem;
    std::vector<AreaComparison> areas;

    // Comparable, at least one area compared, and every area identical.
    bool identical() const;
};

// The user's name of an area ("Channel table", ...).
std::string_view areaName(ComparedArea area);

// Both images must have been read and located (readImage..., locateAreas).
ImageComparison compareImages(const ImageFile& sent, const ImageFile& received);
// The same from whole files (header included) in memory.
ImageComparison compareImageBytes(ConstBytes sent, ConstBytes received);
// The same from files; a file that cannot be read is not comparable.
ImageComparison compareImageFiles(const std::filesystem::path& sent, const std::filesystem::path& received);

// The comparison as text: one headline, then per area "<area>: identical" or its differences,
// indented. The headline is kIdenticalHeadline when identical.
std::string comparisonReport(const ImageComparison& comparison);

inline constexpr std::string_view kIdenticalHeadline = "The receiver holds exactly what was sent: identical.";

} // namespace cs
