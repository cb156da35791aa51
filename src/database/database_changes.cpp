// Changes of the channel set and of the favourite lists.
#include "database/channel_database.h"
#include "database/display_texts.h"

#include <algorithm>
#include <bitset>

namespace cs {
namespace {

bool validSatellite(unsigned s) { return s >= kFirstSatellite && s <= kSatelliteDvbC; }
bool validList(std::size_t list) { return list >= 1 && list <= channel_field::kListCount; }

// Blanks and control characters go from both ends; control characters inside are dropped.
std::string cleanName(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 32 && c != 127)
            out += ch;
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

} // namespace

// ------------------------------------------------------------------------------------ channels

bool ChannelDatabase::insertRecord(std::size_t slot, const ChannelRecord& rec, std::string_view providerName) {
    // Only 1..65 name a satellite; any other number would index past the per-satellite tables.
    const unsigned satellite = rec.satellite();
    if (slot >= std::min(capacity(), kMaxChannelSlots) || (*entries_)[slot].inUse() || !validSatellite(satellite))
        return false;
    ChannelEntry& e = (*entries_)[slot];
    e.reset();
    flash_.providerWork().setProviderNumber(slot, 0);
    record(slot) = rec;
    e.setProvider(providerName);
    for (std::size_t list = 1; list <= channel_field::kListCount; ++list)
        record(slot).setListPosition(list, 0);
    e.flags = entry_flags::kNewlyInserted;
    rebuild_ = true;
    used_[satellite] = 1;
    needsSort_[satellite] = 1;
    // A pending full regroup stays pending: only then are the other satellites sorted too.
    if (sortState_ != kRegroupAll)
        sortState_ = kSortFlagged;
    providersDirty_ = true;
    return true;
}

std::size_t ChannelDatabase::deleteMarked() { return deleteMarkedIn(current_.list); }

std::size_t ChannelDatabase::deleteMarkedIn(std::size_t list) {
    std::size_t affected = 0;
    std::size_t kept = 0;
    if (validList(list)) {
        for (std::size_t k = 0; k < resultCount_; ++k) {
            const std::uint16_t slot = (*result_)[k];
            ChannelEntry& e = (*entries_)[slot];
            if (e.marked()) {
                record(slot).setListPosition(list, 0);
                e.setMarked(false);
                e.flags |= entry_flags::kChanged;
                ++affected;
            } else {
                (*result_)[kept++] = slot;
            }
        }
        resultCount_ = static_cast<std::uint16_t>(kept);
        return affected;
    }

    for (std::size_t k = 0; k < resultCount_; ++k) {
        const std::uint16_t slot = (*result_)[k];
        ChannelEntry& e = (*entries_)[slot];
        if (!e.marked() || !e.inUse()) {
            (*result_)[kept++] = slot;
            continue;
        }
        e.reset();
        flash_.providerWork().setProviderNumber(slot, 0);
        e.flags = entry_flags::kChanged;
        e.removal = kRemovalMark;
        record(slot) = ChannelRecord::erased();
        ++affected;
    }
    resultCount_ = static_cast<std::uint16_t>(kept);
    if (affected == 0)
        return 0;
    std::size_t out = 0;
    for (std::size_t k = 0; k < mainCount_; ++k) {
        const std::uint16_t slot = (*main_)[k];
        if (!((*entries_)[slot].removal & kRemovalMark))
            (*main_)[out++] = slot;
    }
    mainCount_ = static_cast<std::uint16_t>(out);
    logf(flash_.log(), "do zapisu :: main_chCnt %d", static_cast<int>(mainCount_));
    logf(flash_.log(), "createMainPtr");
    recomputeUsed();
    providersDirty_ = true;
    return affected;
}

std::size_t ChannelDatabase::deleteSatelliteChannels(std::uint8_t satellite, ViewSettings& view) {
    // Every channel of the satellite, whatever the tool-bar filters hide.
    buildMainTable(lastSortFlags_);
    resultCount_ = 0;
    for (std::size_t k = 0; k < mainCount_; ++k) {
        const std::uint16_t slot = (*main_)[k];
        if (satellite == kAllSatellites || record(slot).satellite() == satellite) {
            (*entries_)[slot].setMarked(true);
            (*result_)[resultCount_++] = slot;
        }
    }
    current_ = ViewRequest{};
    current_.satellite = satellite;
    const std::size_t deleted = deleteMarkedIn(0);
    refreshProviders(true, view);
    return deleted;
}

std::size_t ChannelDatabase::deleteProviderChannels(const TreeNode& provider, ViewSettings& view) {
    buildMainTable(lastSortFlags_);
    refreshProviders(false, view);
    std::uint8_t mode;
    if (provider.kind == TreeNode::Kind::UnknownProvider) {
        mode = kProviderNone;
    } else if (provider.kind == TreeNode::Kind::Provider && provider.index >= 0 &&
               static_cast<std::size_t>(provider.index) < providerCount_) {
        chooseSingleProvider(static_cast<std::size_t>(provider.index));
        ViewSettings single = view;
        single.providerFilterMode = kProviderSingle;
        refreshProviders(true, single);
        mode = kProviderSingle;
    } else {
        return 0;
    }
    resultCount_ = 0;
    for (std::size_t k = 0; k < mainCount_; ++k) {
        const std::uint16_t slot = (*main_)[k];
        if ((*entries_)[slot].inUse() && passesProvider(providerNumber(slot), mode)) {
            (*entries_)[slot].setMarked(true);
            (*result_)[resultCount_++] = slot;
        }
    }
    current_ = ViewRequest{};
    const std::size_t deleted = deleteMarkedIn(0);
    refreshProviders(true, view);
    return deleted;
}

// Equal channels: same satellite, service ID, identifier at 48, PIDs, matching frequency and the
// same name apart from surrounding blanks and letter case.
std::string comparableName(std::string_view name) {
    const auto first = name.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::string();
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool sameTransmission(std::uint8_t satellite, std::uint16_t frequencyA, unsigned polarisationA,
                      std::uint16_t frequencyB, unsigned polarisationB) {
    if (satellite >= kSatelliteDvbT)
        return static_cast<float>(frequencyA * 0.1) == static_cast<float>(frequencyB * 0.1);
    if (polarisationA != polarisationB)
        return false;
    const int diff = static_cast<int>(frequencyA) - static_cast<int>(frequencyB);
    return diff > -11 && diff < 11;
}

bool channelsEqual(const ChannelRecord& a, const ChannelRecord& b) {
    if (a.satellite() != b.satellite() || a.serviceId() != b.serviceId() || a.matchId() != b.matchId() ||
        a.videoPid() != b.videoPid() || a.audioPid() != b.audioPid())
        return false;
    if (!sameTransmission(a.satellite(), a.frequency(), a.polarisation(), b.frequency(), b.polarisation()))
        return false;
    return comparableName(a.name()) == comparableName(b.name());
}

std::size_t ChannelDatabase::matchChannels(std::span<IncomingChannel> incoming) {
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i)
        (*entries_)[i].flags &= static_cast<std::uint8_t>(~entry_flags::kMatched);
    std::size_t matched = 0;
    for (IncomingChannel& in : incoming) {
        in.matched = false;
        in.slot = -1;
        for (std::size_t i = 0; i < cap; ++i) {
            ChannelEntry& e = (*entries_)[i];
            if (!e.inUse() || (e.flags & entry_flags::kMatched) || !channelsEqual(record(i), in.record))
                continue;
            e.flags |= entry_flags::kMatched;
            in.matched = true;
            in.slot = static_cast<int>(i);
            ++matched;
            break;
        }
    }
    return matched;
}

std::size_t ChannelDatabase::insertIncoming(std::span<IncomingChannel> incoming) {
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i)
        (*entries_)[i].flags &= static_cast<std::uint8_t>(~entry_flags::kInserted);
    std::size_t next = 0;
    std::size_t inserted = 0;
    for (std::size_t slot = 0; slot < cap && next < incoming.size(); ++slot) {
        if ((*entries_)[slot].inUse())
            continue;
        // A record that cannot be inserted leaves the slot free for the next one.
        for (; next < incoming.size(); ++next) {
            IncomingChannel& in = incoming[next];
            if (in.matched || in.slot >= 0)
                continue;
            if (insertRecord(slot, in.record, in.providerName)) {
                in.slot = static_cast<int>(slot);
                ++inserted;
                ++next;
                break;
            }
        }
    }
    return inserted;
}

// ------------------------------------------------------------------------------------ lists

std::uint16_t ChannelDatabase::maxListPosition(std::size_t list) const {
    std::uint16_t best = 0;
    for (std::size_t i = 0; i < std::min(capacity(), kMaxChannelSlots); ++i)
        if ((*entries_)[i].inUse())
            best = std::max(best, record(i).listPosition(list));
    return best;
}

std::size_t ChannelDatabase::appendToList(std::size_t list, std::span<const std::uint16_t> slots) {
    if (!validList(list))
        return 0;
    std::size_t position = maxListPosition(list);
    std::size_t added = 0;
    for (std::uint16_t slot : slots) {
        if (position + 1 > capacity())
            break;
        if (slot >= capacity())
            continue;
        record(slot).setListPosition(list, static_cast<std::uint16_t>(++position));
        ++added;
    }
    return added;
}

std::size_t ChannelDatabase::copyViewToList(const ViewRequest& source, const ViewSettings& view, std::size_t list) {
    if (!validList(list))
        return 0;
    ViewSettings settings = view;
    auto rows = std::make_unique<SlotTable>();
    const std::size_t n = collect(source, settings, *rows);
    std::size_t position = maxListPosition(list);
    std::size_t added = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint16_t slot = (*rows)[k];
        if (record(slot).listPosition(list) != 0)
            continue;
        if (position + 1 > capacity())
            break;
        record(slot).setListPosition(list, static_cast<std::uint16_t>(++position));
        ++added;
    }
    return added;
}

std::size_t ChannelDatabase::insertIntoList(std::size_t list, std::optional<std::uint16_t> afterSlot,
                                            std::span<const std::uint16_t> slots) {
    if (!validList(list))
        return 0;
    std::bitset<kMaxChannelSlots> placing;
    for (std::uint16_t slot : slots)
        if (slot < capacity() && (*entries_)[slot].inUse())
            placing[slot] = true;
    // The list in its order, without the channels being placed.
    auto order = std::make_unique<SlotTable>();
    const std::size_t members = collectList(list, *order);
    std::size_t n = 0;
    std::size_t insertAt = std::string::npos;
    for (std::size_t k = 0; k < members; ++k) {
        const std::uint16_t slot = (*order)[k];
        if (placing[slot])
            continue;
        (*order)[n++] = slot;
        if (afterSlot && slot == *afterSlot)
            insertAt = n;
    }
    if (insertAt == std::string::npos)
        insertAt = n;
    auto merged = std::make_unique<SlotTable>();
    std::size_t m = 0;
    std::size_t placed = 0;
    std::copy_n(order->begin(), insertAt, merged->begin());
    m = insertAt;
    std::bitset<kMaxChannelSlots> done;
    for (std::uint16_t slot : slots) {
        if (slot < capacity() && placing[slot] && !done[slot]) {
            done[slot] = true;
            (*merged)[m++] = slot;
            ++placed;
        }
    }
    std::copy(order->begin() + static_cast<std::ptrdiff_t>(insertAt), order->begin() + static_cast<std::ptrdiff_t>(n),
              merged->begin() + static_cast<std::ptrdiff_t>(m));
    m += n - insertAt;
    writeListOrder(list, std::span<const std::uint16_t>(merged->data(), m));
    return placed;
}

void ChannelDatabase::removeFromList(std::size_t list, std::span<const std::uint16_t> slots) {
    for (std::uint16_t slot : slots)
        if (slot < kMaxChannelSlots)
            record(slot).setListPosition(list, 0);
}

void ChannelDatabase::clearList(std::size_t list) {
    if (!validList(list))
        return;
    for (std::size_t i = 0; i < std::min(capacity(), kMaxChannelSlots); ++i)
        record(i).setListPosition(list, 0);
}

NewListName ChannelDatabase::proposeListName(const DisplayTexts& texts) const {
    constexpr std::size_t kDisplayMax = 12;
    // The display text is the list word of the language ("LIST", "LISTA", "ZOZNAM") and a blank.
    const std::string prefix = texts.text("TextList") + " ";
    const SettingsModel& model = flash_.settings();
    const std::size_t count = favouriteListCount(model.listCount);
    const std::string base = texts.text("TextListNew");
    auto taken = [&](const std::string& candidate) {
        for (std::size_t k = 1; k <= count; ++k)
            if (texts.listText(static_cast<int>(k), 0) == candidate)
                return true;
        return false;
    };
    std::string candidate = base.substr(0, kDisplayMax);
    for (int counter = 1; counter < 100 && taken(candidate); ++counter)
        candidate = format("%s%02d", base.c_str(), counter).substr(0, kDisplayMax);
    if (candidate.starts_with(prefix))
        return {candidate, candidate.substr(prefix.size())};
    // A language file whose default name lacks the list word: the whole text is the name.
    return {candidate, candidate};
}

std::size_t ChannelDatabase::addList(std::string_view name) {
    SettingsModel& model = flash_.settings();
    const std::size_t count = favouriteListCount(model.listCount);
    if (count >= kMaxFavouriteLists || name.empty())
        return 0;
    model.listCount = static_cast<std::uint8_t>(count + 1);
    model.setListName(count + 1, name.substr(0, settings_layout::kListNameSize - 1));
    return count + 1;
}

bool ChannelDatabase::deleteList(std::size_t list) {
    SettingsModel& model = flash_.settings();
    const std::size_t count = favouriteListCount(model.listCount);
    if (list < 1 || list > count)
        return false;
    clearList(list);
    for (std::size_t k = list; k < count; ++k)
        model.setListName(k, model.listName(k + 1));
    model.setListName(count, "");
    for (std::size_t i = 0; i < std::min(capacity(), kMaxChannelSlots); ++i) {
        ChannelRecord& r = record(i);
        for (std::size_t k = list; k < count; ++k)
            r.setListPosition(k, r.listPosition(k + 1));
        r.setListPosition(count, 0);
    }
    model.listCount = static_cast<std::uint8_t>(count - 1);
    return true;
}

bool ChannelDatabase::renameList(std::size_t list, std::string_view name) {
    if (!validList(list))
        return false;
    const std::string clean = cleanName(name);
    if (clean.empty())
        return false;
    flash_.settings().setListName(list, std::string_view(clean).substr(0, settings_layout::kListNameSize - 1));
    return true;
}

bool ChannelDatabase::renameSatellite(std::size_t number, std::string_view name) {
    if (number > kLastSatellite)
        return false;
    const std::string clean = cleanName(name);
    if (clean.empty())
        return false;
    flash_.settings().satellites[number].setName(std::string_view(clean).substr(0, SatelliteRecord::nameExchanged));
    return true;
}

} // namespace cs
