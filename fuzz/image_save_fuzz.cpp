// Fuzz target of the save round trip: a whole file is loaded into the working image, and every
// database that loads must survive a save and be read back with the same kind, areas, channels
// and transponders. (The header and the areas on their own have faster targets of their own.)
//
// The input is either a raw file (first byte below 0x80) or a recipe that expands into a file of
// one of the database sizes: a plausible template (erased channel table, empty CONFIG) with the
// input's patches applied, optionally with a matching header and with the area and record CRCs
// made right, so that random inputs reach the channel, provider and settings code behind the
// integrity checks.
#include "common/byte_order.h"
#include "common/crc16.h"
#include "common/log_sink.h"
#include "image/flash.h"
#include "plausible_channel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace cs;

namespace {

constexpr std::array<std::size_t, 8> kSizes = {0x10040, 0x40040, 0x50040, 0x60040,
                                               0x80040, 0x90040, 0x90040, 0x60040};

struct HeaderChoice {
    std::uint32_t address, length;
};
constexpr std::array<HeaderChoice, 8> kHeaders = {{{0xD0000, 0x47FFF},
                                                   {0xD0000, 0x3FFFF},
                                                   {0xD0000, 0x2FFFF},
                                                   {0xD0000, 0x27FFF},
                                                   {0xD0000, 0x1FFFF},
                                                   {0xF0000, 0x7FFF},
                                                   {0x110000, 0x7FFF},
                                                   {0x8000, 0x1FFFF}}};

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Lays the file out in `file` (kept between inputs, so that its pages are not fresh each time).
void expand(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& file) {
    const std::uint8_t mode = data[0];
    const std::size_t fileSize = kSizes[mode & 7];
    const bool fixCrcs = mode & 0x20;
    const bool fixRecords = mode & 0x40;
    file.assign(fileSize, 0xFF);
    Bytes all(file);

    // Header: colons, flags bit 7, and a header choice picked by the second byte.
    std::fill_n(file.begin(), 16, ':');
    const std::uint8_t pick = size > 1 ? data[1] : 0;
    writeU16(all, 52, (pick & 0x80) ? 0x0000 : 0x0080);
    writeU32(all, 56, kHeaders[pick & 7].address);
    writeU32(all, 60, kHeaders[(pick >> 3) & 7].length);

    // Where CONFIG would lie for this size, so that its template can be laid out.
    const std::size_t config = fileSize == 0x10040 ? 64 : fileSize == 0x90040 ? 64 + 0x80000 : 64 + 0x40000;
    const bool hasConfigSpace = config + 0x10000 <= fileSize;
    if (hasConfigSpace) {
        writeU16(all, config, 100);
        writeU16(all, config + 2, 0);
        writeU16(all, config + 4, 0);
        std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(config + 0x6000), 0x2000 + 0x8000, 0);
        if (pick & 0x40)
            file[config + 0x8000 + 2] = '5';
    }

    // A few plausible channels sharing providers, list names and transponders, for the patches
    // to disturb.
    if (mode & 0x10) {
        const std::size_t count = 2 + (pick & 7);
        const bool r78 = hasConfigSpace && file[config + 0x8000 + 2] == '5';
        const std::size_t records = r78 ? 16004 : 8004;
        for (std::size_t i = 0; i < count && fileSize != 0x10040; ++i) {
            const ChannelRecord r = fuzzing::plausibleChannel(i);
            std::copy(r.bytes().begin(), r.bytes().end(), file.begin() + static_cast<std::ptrdiff_t>(64 + 64 * i));
            if (hasConfigSpace)
                writeU16(all, config + 0x8000 + 4 + 2 * i, static_cast<std::uint16_t>(1 + i % 3));
        }
        if (hasConfigSpace) {
            for (std::size_t p = 0; p < 3; ++p) {
                ProviderRecord rec;
                rec.setFlags(0x80);
                rec.setNumber(static_cast<std::uint16_t>(p + 1));
                rec.setName(p == 1 ? "Provider with a long name" : "P");
                rec.setMarker();
                std::copy(rec.bytes().begin(), rec.bytes().end(),
                          file.begin() + static_cast<std::ptrdiff_t>(config + 0x8000 + records + 24 * p));
            }
            file[config + 0x6000 + 2154] = static_cast<std::uint8_t>(pick & 0x0F);
            std::copy_n("Sport", 5, file.begin() + static_cast<std::ptrdiff_t>(config + 0x6000 + 2058));
            writeU16(all, config + 2, 3);
            const std::uint8_t t[18] = {5, 0x0A, 0xF8, 0x2A, 0x6C, 0x6B, 64, 0x10, 0x27, 0x08, 0, 0, 65, 3, 0x84, 0x0D, 0xF4, 0x1A};
            std::copy_n(t, sizeof t, file.begin() + static_cast<std::ptrdiff_t>(config + 6));
        }
    }

    // Patches: [offset:3][length:1][bytes], offsets taken modulo the file size.
    std::vector<std::size_t> touched;
    std::size_t at = 2;
    while (at + 4 <= size) {
        const std::size_t offset = (data[at] | (data[at + 1] << 8) | (data[at + 2] << 16)) % fileSize;
        const std::size_t length = std::min<std::size_t>(data[at + 3], size - at - 4);
        const std::size_t n = std::min(length, fileSize - offset);
        std::copy_n(data + at + 4, n, file.begin() + static_cast<std::ptrdiff_t>(offset));
        touched.push_back(offset);
        at += 4 + length;
    }

    if (fixRecords && fileSize != 0x10040) {
        for (std::size_t offset : touched) {
            if (offset < 64)
                continue;
            const std::size_t slot = (offset - 64) / 64;
            const std::size_t rec = 64 + slot * 64;
            if (slot < 8000 && rec + 64 <= fileSize)
                writeU16(all, rec + 62, crc16(slice(ConstBytes(all), rec, 62)));
        }
    }
    if (fixCrcs && hasConfigSpace) {
        const std::size_t settingsBlock = config + 0x6000, providerBlock = config + 0x8000;
        writeU32(all, settingsBlock + 4092, crc16(slice(ConstBytes(all), settingsBlock, 4092)));
        writeU32(all, providerBlock + (file[providerBlock + 2] == '5' ? 30968 : 24804), 0x58AD7C01);
        writeU32(all, providerBlock + 32764, crc16(slice(ConstBytes(all), providerBlock, 32764)));
    }
}

std::size_t transponderCount(const Flash& f) { return countTransponders(f.transponders()); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static NullLog log;
    static Flash flash(log);
    static Flash reopened(log);

    static std::vector<std::uint8_t> file;
    static std::vector<std::uint8_t> saved;
    if (data[0] & 0x80)
        expand(data, size, file);
    else
        file.assign(data + 1, data + size);

    const ImageKind probe = classifyImageBytes(file);
    const OpenResult result = flash.openImageBytes(file, "fuzz.dsp");
    check(result == OpenResult::Loaded || result == OpenResult::NotDatabase || result == OpenResult::Software ||
          result == OpenResult::PictureStore);
    if (result == OpenResult::Software)
        check(probe == kImageSoftware);
    if (result == OpenResult::PictureStore)
        check(probe == kImagePictureStore);
    if (result != OpenResult::Loaded)
        return 0;
    check(probe == kImageDatabase);

    const ImageFile& image = flash.image();
    const std::size_t channels = flash.plainSlots().channelCount();
    const std::size_t transponders = transponderCount(flash);
    const bool settingsBlock = image.hasSettingsArea(), providerBlock = image.hasProviderArea();
    const std::string kind(image.kindText());
    check(flash.plainSlots().verifiedProviders(flash) <= flash.providerCapacity());

    check(flash.storeIntoImage());
    flash.image().refreshForSave("20000101");
    saved.assign(image.header().bytes().begin(), image.header().bytes().end());
    saved.insert(saved.end(), image.payload().begin(), image.payload().end());
    check(saved.size() == file.size());

    check(reopened.openImageBytes(saved, "saved.dsp") == OpenResult::Loaded);
    check(reopened.image().kindText() == kind);
    check(reopened.image().hasSettingsArea() == settingsBlock);
    check(reopened.image().hasProviderArea() == providerBlock);
    check(reopened.plainSlots().channelCount() == channels);
    check(transponderCount(reopened) == transponders);
    return 0;
}
