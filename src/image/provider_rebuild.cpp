#include "image/provider_rebuild.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace cs {
namespace {

constexpr std::size_t kMaxRows = ProviderWorkArea::kSlots;
constexpr std::size_t kHashSize = 16384;  // power of two, at least twice kMaxRows
constexpr std::uint16_t kEmpty = 0xFFFF;

struct Row {
    std::array<char, ProviderRecord::kNameMax> name{};
    std::uint8_t nameLength = 0;
    std::uint16_t firstIndex = 0;
    std::uint16_t number = 0;
    std::uint16_t count = 0;
    bool droppedRow = false;
};

// Scratch of one rebuild: one row per distinct name and a hash index over the rows, so that
// thousands of distinct names stay linear.
struct Scratch {
    std::array<Row, kMaxRows> rows{};
    std::size_t used = 0;
    std::array<std::uint16_t, kHashSize> index{};
    std::array<std::uint16_t, ProviderWorkArea::kSlots> numbers{};

    Scratch() { index.fill(kEmpty); }

    static std::size_t hash(std::string_view s) {
        std::uint32_t h = 2166136261u;
        for (char c : s)
            h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
        return h & (kHashSize - 1);
    }

    Row* find(std::string_view name) {
        for (std::size_t h = hash(name);; h = (h + 1) & (kHashSize - 1)) {
            if (index[h] == kEmpty) {
                if (used == kMaxRows)
                    return nullptr;
                index[h] = static_cast<std::uint16_t>(used);
                Row& r = rows[used++];
                r.nameLength = static_cast<std::uint8_t>(name.size());
                std::copy(name.begin(), name.end(), r.name.begin());
                return &r;
            }
            Row& r = rows[index[h]];
            if (std::string_view(r.name.data(), r.nameLength) == name)
                return &r;
        }
    }
};

} // namespace

ProviderRebuildResult rebuildProviderArea(ProviderWorkArea& work, const ChannelSlotSource& slots,
                                          std::size_t channelCapacity, std::size_t capacity) {
    ProviderRebuildResult result;
    const bool write = capacity > 0 && work.holdsVerify();
    const std::size_t limit = write ? std::min(capacity, ProviderWorkArea::kRecordCount) : kMaxRows;
    auto scratch = std::make_unique<Scratch>();
    const std::size_t slotCount = std::min(channelCapacity, ProviderWorkArea::kSlots);

    std::uint16_t next = 1;
    std::size_t j = 0;
    for (std::size_t slot = 0; slot < slotCount; ++slot) {
        if (!slots.slotInUse(slot))
            continue;
        std::string_view name = slots.providerName(slot);
        name = name.substr(0, std::min(name.size(), ProviderRecord::kNameMax));
        if (!name.empty()) {
            Row* row = scratch->find(name);
            if (row) {
                ++row->count;
                if (row->count == 2) {
                    if (next <= limit) {
                        row->number = next++;
                        scratch->numbers[row->firstIndex] = row->number;
                    } else {
                        row->droppedRow = true;
                        ++result.dropped;
                        result.channelsUnassigned += 1;  // the first channel of this name
                    }
                } else if (row->count == 1) {
                    row->firstIndex = static_cast<std::uint16_t>(j);
                }
                if (row->count >= 2) {
                    if (row->droppedRow)
                        ++result.channelsUnassigned;
                    else
                        scratch->numbers[j] = row->number;
                }
            }
        }
        ++j;
    }
    result.providers = static_cast<std::size_t>(next - 1);
    if (!write)
        return result;

    for (std::size_t i = 0; i < ProviderWorkArea::kSlots; ++i)
        work.setProviderNumber(i, scratch->numbers[i]);
    // Records 1..n in number order; the rows hold them in first-seen order, so place by number.
    const ProviderRecord zero;
    for (std::size_t i = 0; i < ProviderWorkArea::kRecordCount; ++i)
        work.setProvider(i, zero);
    for (std::size_t r = 0; r < scratch->used; ++r) {
        const Row& row = scratch->rows[r];
        if (row.number == 0)
            continue;
        ProviderRecord rec;
        rec.setFlags(ProviderRecord::kInUse);
        rec.setNumber(row.number);
        rec.setName(std::string_view(row.name.data(), row.nameLength));
        rec.setMarker();
        work.setProvider(row.number - 1u, rec);
    }
    result.written = true;
    return result;
}

} // namespace cs
