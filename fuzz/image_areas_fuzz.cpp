// Fuzz target of the areas of a database, each on its own: the channel table, BA_2 (settings),
// BA_3 (providers) and the transponder table in CONFIG. A small input is laid as patches over a
// fixed valid template of one area (built here once), optionally with its CRCs made right so
// that it passes the integrity checks, and the area is loaded, stored back and loaded again:
// what is stored must read back the same.
//
// Input: [area][flags][patches...], a patch being [offset:2][length:1][bytes], the offset taken
// modulo the area's size. Flags bit 0 makes the checks pass (record CRCs, area CRC).
#include "common/byte_order.h"
#include "common/crc16.h"
#include "common/log_sink.h"
#include "image/channel_table.h"
#include "image/provider_area.h"
#include "image/provider_rebuild.h"
#include "image/settings_area.h"
#include "image/transponders.h"
#include "plausible_channel.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace cs;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// The channel table: a BASE area of the smallest size with the first 64 slots in use, the
// slots the patches reach.
constexpr std::size_t kTableSlots = 64;

// ---------------------------------------------------------------- templates

std::vector<std::uint8_t> channelTableTemplate() {
    std::vector<std::uint8_t> area(baseAreaSize(kTableSlots), 0xFF);
    for (std::size_t i = 0; i < 12; ++i) {
        const ChannelRecord r = fuzzing::plausibleChannel(i);
        std::copy(r.bytes().begin(), r.bytes().end(), area.begin() + static_cast<std::ptrdiff_t>(i * 2 * ChannelRecord::size));
    }
    return area;
}

void sealSettings(Bytes area) {
    writeU32(area, settings_layout::kCrcOffset, crc16(slice(ConstBytes(area), 0, settings_layout::kCrcCoveredSize)));
}

std::vector<std::uint8_t> settingsTemplate() {
    std::vector<std::uint8_t> area(settings_layout::kSize, 0);
    area[settings_layout::kListCountOffset] = 3;
    std::copy_n("Sport", 5, area.begin() + settings_layout::kListNamesOffset);
    std::copy_n("News", 4, area.begin() + settings_layout::kListNamesOffset + settings_layout::kListNameSize);
    for (std::size_t s = 0; s < 4; ++s)
        std::copy_n("Sat", 3, area.begin() + static_cast<std::ptrdiff_t>(s * 32));
    sealSettings(area);
    return area;
}

std::vector<std::uint8_t> providerTemplate(bool r78) {
    std::vector<std::uint8_t> area(provider_layout::kSize, 0);
    Bytes all(area);
    const char tag[4] = {'C', 'H', r78 ? '5' : '1', 0};
    std::copy_n(tag, 4, area.begin());
    const std::size_t records = r78 ? provider_layout::kR78Providers : provider_layout::kBasicProviders;
    for (std::size_t p = 0; p < 3; ++p) {
        ProviderRecord rec;
        rec.setFlags(0x80);
        rec.setNumber(static_cast<std::uint16_t>(p + 1));
        rec.setName(p == 1 ? "Provider with a long name" : "P");
        rec.setMarker();
        std::copy(rec.bytes().begin(), rec.bytes().end(), area.begin() + static_cast<std::ptrdiff_t>(records + 24 * p));
    }
    for (std::size_t slot = 0; slot < 12; ++slot)
        writeU16(all, provider_layout::kProviderNumbers + 2 * slot, static_cast<std::uint16_t>(1 + slot % 3));
    sealProviderArea(all);
    return area;
}

std::vector<std::uint8_t> configTemplate() {
    std::vector<std::uint8_t> area(kTransponderTableSize, 0xFF);
    Bytes all(area);
    writeU16(all, transponder_table::kFormatOffset, transponder_table::kFormatWord);
    writeU16(all, transponder_table::kCountOffset, 3);
    writeU16(all, transponder_table::kReservedOffset, 0);
    const std::uint8_t t[18] = {5, 0x0A, 0xF8, 0x2A, 0x6C, 0x6B, 64, 0x10, 0x27, 0x08, 0, 0, 65, 3, 0x84, 0x0D, 0xF4, 0x1A};
    std::copy_n(t, sizeof t, area.begin() + transponder_table::kRecordsOffset);
    return area;
}

// ---------------------------------------------------------------- patches

// Applies the input's patches within the first `window` bytes; returns the patched offsets.
std::vector<std::size_t> applyPatches(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& area,
                                      std::size_t window) {
    std::vector<std::size_t> touched;
    std::size_t at = 0;
    while (at + 3 <= size) {
        const std::size_t offset = (data[at] | (data[at + 1] << 8)) * 7 % window;
        const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
        const std::size_t n = std::min(length, area.size() - offset);
        std::copy_n(data + at + 3, n, area.begin() + static_cast<std::ptrdiff_t>(offset));
        touched.push_back(offset);
        at += 3 + length;
    }
    return touched;
}

// ---------------------------------------------------------------- the areas

struct Slots final : ChannelSlotSource {
    std::bitset<ProviderWorkArea::kSlots> inUse;
    bool slotInUse(std::size_t slot) const override { return slot < inUse.size() && inUse[slot]; }
    std::string_view providerName(std::size_t slot) const override { return slot % 5 ? "Fuzz" : ""; }
};

void channelTable(std::vector<std::uint8_t>& area, const std::vector<std::size_t>& touched, bool seal) {
    static NullLog log;
    static auto records = std::make_unique<ChannelRecordArray>();
    static auto reread = std::make_unique<ChannelRecordArray>();
    static std::vector<std::uint8_t> written;
    if (seal)
        for (std::size_t offset : touched) {
            const std::size_t rec = offset / ChannelRecord::size * ChannelRecord::size;
            writeU16(Bytes(area), rec + 62, crc16(slice(ConstBytes(area), rec, 62)));
        }
    const std::span<ChannelRecord> slots(records->data(), kTableSlots);
    loadChannelTable(area, kTableSlots, slots);
    const std::size_t valid = countValidChannels(area, kTableSlots);
    written.resize(area.size());
    const auto inUse = [&](std::size_t slot) { return isValidChannelRecord((*records)[slot]); };
    check(writeChannelTable(written, kTableSlots, slots, inUse, log) == valid);
    check(countValidChannels(written, kTableSlots) == valid);
    loadChannelTable(written, kTableSlots, std::span<ChannelRecord>(reread->data(), kTableSlots));
    std::size_t j = 0;
    for (std::size_t i = 0; i < kTableSlots; ++i)
        if (inUse(i))
            check((*reread)[j++] == (*records)[i]);
}

void settingsArea(std::vector<std::uint8_t>& area, bool seal) {
    static NullLog log;
    if (seal)
        sealSettings(area);
    SettingsModel model, again;
    loadSettings(model, area, log);
    check(model.listCount <= kMaxFavouriteLists);
    std::vector<std::uint8_t> stored = area;
    storeSettings(model, stored);
    loadSettings(again, stored, log);
    check(again.settings == model.settings && again.listCount == model.listCount);
    // Positions are compared as stored bits: a NaN read from the file must come back as itself.
    for (std::size_t i = 0; i < model.satellites.size(); ++i) {
        const SatelliteEntry &a = model.satellites[i], &b = again.satellites[i];
        check(a.name == b.name && a.side == b.side && std::memcmp(&a.position, &b.position, sizeof a.position) == 0);
    }
    // A name is what stands before its NUL; bytes after it are not carried.
    for (std::size_t list = 1; list <= kMaxFavouriteLists; ++list)
        check(again.listName(list) == model.listName(list));
    std::vector<std::uint8_t> storedAgain = stored;
    storeSettings(again, storedAgain);
    check(storedAgain == stored);
}

void providerArea(std::vector<std::uint8_t>& area, bool seal) {
    static NullLog log;
    static auto work = std::make_unique<ProviderWorkArea>();
    static auto again = std::make_unique<ProviderWorkArea>();
    if (seal)
        sealProviderArea(area);
    const bool valid = providerAreaValid(area);
    loadProviderArea(*work, valid ? ConstBytes(area) : ConstBytes(), log);
    check(work->holdsVerify() == valid);
    const ProviderLayout layout = providerLayout(area);
    Slots slots;
    for (std::size_t i = 0; i < 40; ++i)
        slots.inUse[i] = work->providerNumber(i) != 0 || i % 3 == 0;
    // The channels are the first slots; the rest of the table has none.
    const ProviderRebuildResult rebuilt = rebuildProviderArea(*work, slots, 40, valid ? providerCapacity(layout) : 0);
    check(rebuilt.providers + rebuilt.dropped <= ProviderWorkArea::kRecordCount + 8000);
    if (!valid)
        return;
    check(rebuilt.providers <= providerCapacity(layout));
    std::vector<std::uint8_t> stored = area;
    storeProviderArea(*work, stored);
    sealProviderArea(stored);
    check(providerAreaValid(stored));
    loadProviderArea(*again, stored, log);
    const std::size_t numbers = 2 * (layout == ProviderLayout::R78 ? provider_layout::kR78Slots : provider_layout::kBasicSlots);
    check(std::memcmp(again->bytes().data() + ProviderWorkArea::kNumbers, work->bytes().data() + ProviderWorkArea::kNumbers,
                      numbers) == 0);
    check(std::memcmp(again->bytes().data() + ProviderWorkArea::kRecords, work->bytes().data() + ProviderWorkArea::kRecords,
                      providerCapacity(layout) * ProviderRecord::size) == 0);
}

void transponderTable(std::vector<std::uint8_t>& area) {
    static auto table = std::make_unique<TransponderTable>();
    static auto reread = std::make_unique<TransponderTable>();
    const std::size_t loaded = loadTransponders(*table, area);
    check(loaded == countTransponders(*table));
    std::vector<std::uint8_t> saved(area.size());
    check(saveTransponders(*table, saved) == loaded);
    check(loadTransponders(*reread, saved) == loaded);
    std::vector<std::uint8_t> savedAgain(area.size());
    saveTransponders(*reread, savedAgain);
    check(savedAgain == saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static const std::vector<std::uint8_t> templates[] = {channelTableTemplate(), settingsTemplate(),
                                                          providerTemplate(false), providerTemplate(true),
                                                          configTemplate()};
    const std::size_t which = data[0] % 5;
    const bool seal = data[1] & 1;
    static std::vector<std::uint8_t> area;
    area = templates[which];
    const std::size_t window = which == 0 ? kTableSlots * ChannelRecord::size : area.size();
    const std::vector<std::size_t> touched = applyPatches(data + 2, size - 2, area, window);
    switch (which) {
    case 0: channelTable(area, touched, seal); break;
    case 1: settingsArea(area, seal); break;
    case 2:
    case 3: providerArea(area, seal); break;
    default: transponderTable(area); break;
    }
    return 0;
}
