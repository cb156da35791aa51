#include "database/channel_database.h"

#include "image/channel_table.h"

#include <algorithm>
#include <cstring>

namespace cs {
namespace {

// Busy indicator for the length of one operation.
class BusyScope {
public:
    BusyScope(const std::function<void(bool)>& hook, bool on) : hook_(on ? &hook : nullptr) {
        if (hook_ && *hook_)
            (*hook_)(true);
    }
    ~BusyScope() {
        if (hook_ && *hook_)
            (*hook_)(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const std::function<void(bool)>* hook_;
};

bool validSatellite(unsigned s) { return s >= kFirstSatellite && s <= kSatelliteDvbC; }

// Transponder order: vertical before horizontal on the same frequency; DVB-T and DVB-C by
// frequency alone.
std::uint32_t transponderKey(const ChannelRecord& r) {
    const std::uint32_t f = r.frequency();
    const bool horizontalOrTerrestrial = r.polarisation() == 0 || r.satellite() >= kSatelliteDvbT;
    return f * 2 + (horizontalOrTerrestrial ? 1 : 0);
}

// The name reduced to its letters and digits, lower-case letters upper-cased.
struct ReducedName {
    std::array<char, channel_field::kNameSize> text{};
    std::uint8_t length = 0;
};
ReducedName reduceName(std::string_view name) {
    ReducedName out;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 'a' && c <= 'z')
            out.text[out.length++] = static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out.text[out.length++] = static_cast<char>(c);
    }
    return out;
}

// Provider names compared on their characters 32..122 only.
bool providerNameLess(std::string_view a, std::string_view b) {
    auto keep = [](char ch) {
        const unsigned char c = static_cast<unsigned char>(ch);
        return c >= 32 && c <= 122;
    };
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && !keep(a[i]))
            ++i;
        while (j < b.size() && !keep(b[j]))
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j != b.size();
        const unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
}

} // namespace

ChannelDatabase::ChannelDatabase(Flash& flash)
    : flash_(flash),
      entries_(std::make_unique<std::array<ChannelEntry, kMaxChannelSlots>>()),
      main_(std::make_unique<SlotTable>()),
      result_(std::make_unique<SlotTable>()),
      scratch_(std::make_unique<SlotTable>()),
      selectedNumbers_(std::make_unique<std::bitset<65536>>()) {
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i)
        (*entries_)[i].slot = static_cast<std::uint16_t>(i);
    flash_.setSteps(*this);
    if (flash_.loaded()) {
        loadEntries(false);
        attachProviderNames();
    }
}

ChannelDatabase::~ChannelDatabase() { flash_.setSteps(flash_.plainSlots()); }

void ChannelDatabase::resetViews() {
    current_ = ViewRequest{};
    resultCount_ = 0;
}

bool ChannelDatabase::slotInUse(std::size_t slot) const {
    return slot < kMaxChannelSlots && slot < capacity() && (*entries_)[slot].inUse();
}

std::string_view ChannelDatabase::providerName(std::size_t slot) const {
    return slot < kMaxChannelSlots ? (*entries_)[slot].provider() : std::string_view();
}

std::size_t ChannelDatabase::channelCount() const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < capacity(); ++i)
        n += (*entries_)[i].inUse() ? 1 : 0;
    return n;
}

// ------------------------------------------------------------------------------------ loading

void ChannelDatabase::loadEntries(bool copyTable, bool checkedAtOpen) {
    rebuild_ = false;
    sortState_ = kRegroupAll;
    used_.fill(0);
    needsSort_.fill(0);
    if (copyTable) {
        std::fill(flash_.records().begin(), flash_.records().end(), ChannelRecord::erased());
        if (flash_.image().hasBase())
            loadChannelTable(flash_.image().baseArea(), capacity(), flash_.records());
    }
    const auto& cfg = flash_.image().configOffset();
    logf(flash_.log(), "bdLoadAllBase; MAX=%d", static_cast<int>(capacity()));
    logf(flash_.log(), "Main->flash.ba3 =0x%x",
         flash_.image().hasProviderArea() && cfg ? static_cast<unsigned>(*cfg + config_area::kProviderArea) : 0u);
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i) {
        ChannelEntry& e = (*entries_)[i];
        e.reset();
        if (i < cap && (checkedAtOpen ? flash_.validAtOpen(i) : isValidChannelRecord(record(i)))) {
            e.flags = entry_flags::kLoaded;
            used_[record(i).satellite()] = 1;
        }
    }
    mainCount_ = 0;
    resultCount_ = 0;
    sortState_ = kRegroupAll;
    providersDirty_ = true;
}

void ChannelDatabase::attachProviderNames() {
    const ProviderWorkArea& work = flash_.providerWork();
    if (!work.holdsVerify())
        return;
    // First record of each provider number, so that the lookup stays linear.
    constexpr std::uint16_t kNone = 0xFFFF;
    auto& first = numberTable();
    first.fill(kNone);
    const std::size_t records = std::min(flash_.providerCapacity(), ProviderWorkArea::kRecordCount);
    for (std::size_t r = records; r-- > 0;) {
        const ProviderRecord rec = work.provider(r);
        if (rec.hasMarker())
            first[rec.number()] = static_cast<std::uint16_t>(r);
    }
    const std::size_t n = std::min(capacity(), ProviderWorkArea::kSlots);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t number = work.providerNumber(i);
        if (number == 0 || first[number] == kNone)
            continue;
        (*entries_)[i].setProvider(work.provider(first[number]).name());
    }
    providersDirty_ = true;
}

ChannelDatabase::NumberTable& ChannelDatabase::numberTable() {
    if (!numberTable_)
        numberTable_ = std::make_unique<NumberTable>();
    return *numberTable_;
}

// ------------------------------------------------------------------------------------ order

void ChannelDatabase::recomputeUsed() {
    used_.fill(0);
    for (std::size_t k = 0; k < mainCount_; ++k) {
        const unsigned s = record((*main_)[k]).satellite();
        if (validSatellite(s))
            used_[s] = 1;
    }
}

void ChannelDatabase::rebuildMainFromSlots() {
    mainCount_ = 0;
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < cap; ++i)
        if ((*entries_)[i].inUse())
            (*main_)[mainCount_++] = static_cast<std::uint16_t>(i);
}

// The channels already in the table keep their order (so that the satellites an insertion did
// not touch keep the order they were given); new channels follow in slot order.
void ChannelDatabase::rebuildMainKeepingOrder() {
    std::bitset<kMaxChannelSlots> listed;
    std::size_t out = 0;
    for (std::size_t k = 0; k < mainCount_; ++k) {
        const std::uint16_t slot = (*main_)[k];
        if (slot < capacity() && (*entries_)[slot].inUse() && !listed[slot]) {
            listed[slot] = true;
            (*main_)[out++] = slot;
        }
    }
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < cap; ++i)
        if ((*entries_)[i].inUse() && !listed[i])
            (*main_)[out++] = static_cast<std::uint16_t>(i);
    mainCount_ = static_cast<std::uint16_t>(out);
}

void ChannelDatabase::sortGroup(std::span<std::uint16_t> group, unsigned sortFlags) {
    if (sortFlags & kSortByName) {
        // Reduced names are computed once per sort, not once per comparison.
        struct Item {
            ReducedName name;
            std::uint16_t slot;
        };
        std::vector<Item> items(group.size());
        for (std::size_t k = 0; k < group.size(); ++k)
            items[k] = {reduceName(record(group[k]).name()), group[k]};
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            const int c = std::memcmp(a.name.text.data(), b.name.text.data(),
                                      std::min(a.name.length, b.name.length));
            if (c != 0)
                return c < 0;
            if (a.name.length != b.name.length)
                return a.name.length < b.name.length;
            return a.slot < b.slot;
        });
        for (std::size_t k = 0; k < group.size(); ++k)
            group[k] = items[k].slot;
    } else if (sortFlags & kSortByTransponder) {
        // Key, then service ID within equal keys; the slot only makes ties repeatable.
        std::vector<std::uint64_t> keys(group.size());
        for (std::size_t k = 0; k < group.size(); ++k) {
            ChannelEntry& e = (*entries_)[group[k]];
            const ChannelRecord& r = record(group[k]);
            e.sortKey = static_cast<std::int32_t>(transponderKey(r));
            keys[k] = (static_cast<std::uint64_t>(e.sortKey) << 32) | (static_cast<std::uint64_t>(r.serviceId()) << 16) |
                      group[k];
        }
        std::sort(keys.begin(), keys.end());
        for (std::size_t k = 0; k < group.size(); ++k)
            group[k] = static_cast<std::uint16_t>(keys[k] & 0xFFFF);
    }
}

bool ChannelDatabase::buildMainTable(unsigned sortFlags) {
    BusyScope busyScope(busy_, true);
    bool rebuilt = false;
    if (mainCount_ == 0 || sortState_ == kRegroupAll || rebuild_) {
        if (mainCount_ == 0 || sortState_ == kRegroupAll)
            rebuildMainFromSlots();
        else
            rebuildMainKeepingOrder();
        recomputeUsed();
        rebuild_ = false;
        rebuilt = true;
    }
    if (sortState_ != kSorted) {
        // Group by satellite number (stable, so a group keeps the table's order), then sort the
        // groups that need it.
        std::array<std::uint16_t, kSatelliteNumbers + 1> start{};
        for (std::size_t k = 0; k < mainCount_; ++k) {
            const unsigned s = record((*main_)[k]).satellite();
            if (validSatellite(s) && used_[s])
                ++start[s + 1];
        }
        for (std::size_t s = 1; s <= kSatelliteNumbers; ++s)
            start[s] = static_cast<std::uint16_t>(start[s] + start[s - 1]);
        const std::size_t collected = start[kSatelliteNumbers];
        auto fill = start;
        for (std::size_t k = 0; k < mainCount_; ++k) {
            const std::uint16_t slot = (*main_)[k];
            const unsigned s = record(slot).satellite();
            if (validSatellite(s) && used_[s])
                (*scratch_)[fill[s]++] = slot;
        }
        for (std::size_t s = kFirstSatellite; s < kSatelliteNumbers; ++s) {
            const std::size_t n = start[s + 1] - start[s];
            const bool wanted = sortState_ == kRegroupAll || (sortState_ > 0 && needsSort_[s]);
            if (n >= 2 && wanted) {
                sortGroup(std::span<std::uint16_t>(scratch_->data() + start[s], n), sortFlags);
                needsSort_[s] = 0;
            }
        }
        if (collected > 0 || rebuilt) {
            std::copy_n(scratch_->begin(), collected, main_->begin());
            mainCount_ = static_cast<std::uint16_t>(collected);
            sortState_ = kSorted;
            lastSortFlags_ = sortFlags;
            logf(flash_.log(), "do zapisu :: main_chCnt %d", static_cast<int>(mainCount_));
            logf(flash_.log(), "createMainPtr");
        }
    }
    return rebuilt;
}

// ------------------------------------------------------------------------------------ selection

bool ChannelDatabase::passesProvider(std::uint16_t number, std::uint8_t mode) const {
    switch (mode) {
    case kProviderMarked: return (*selectedNumbers_)[number];
    case kProviderNone: return number == 0;
    case kProviderSingle: return selectionCount_ > 0 && number == singleNumber_;
    default: return true;
    }
}

bool ChannelDatabase::passesCa(const ChannelEntry& e, const ViewSettings& view) const {
    if (!view.caFilterActive)
        return true;
    for (std::uint16_t id : e.caSystems)
        if (id != 0 && std::find(view.caChecked.begin(), view.caChecked.end(), id) != view.caChecked.end())
            return true;
    return false;
}

std::size_t ChannelDatabase::collectList(std::size_t list, std::span<std::uint16_t> out) {
    std::size_t n = 0;
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < cap; ++i)
        if ((*entries_)[i].inUse() && record(i).listPosition(list) != 0)
            out[n++] = static_cast<std::uint16_t>(i);
    if (n >= 2)
        std::stable_sort(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n),
                         [&](std::uint16_t a, std::uint16_t b) {
                             return record(a).listPosition(list) < record(b).listPosition(list);
                         });
    for (std::size_t k = 0; k < n; ++k)
        record(out[k]).setListPosition(list, static_cast<std::uint16_t>(k + 1));
    return n;
}

std::size_t ChannelDatabase::collect(const ViewRequest& requestIn, ViewSettings& view,
                                     std::span<std::uint16_t> out) {
    ViewRequest request = requestIn;
    if (request.useMainFilter) {
        request.tvRadio = (view.filterBits & 0x01) ? kHideRadio : 0;
        request.satellite = view.satelliteFilter;
        request.freeScrambled = view.filterBits & (kHideFree | kHideScrambled);
    }
    if (request.list != 0)
        return request.list <= channel_field::kListCount ? collectList(request.list, out) : 0;

    bool showRadio = !(request.tvRadio & kHideRadio);
    bool showTv = !(request.tvRadio & kHideTv);
    if (!showRadio && !showTv)
        showRadio = showTv = true;
    bool showFree = !(request.freeScrambled & kHideFree);
    bool showScrambled = !(request.freeScrambled & kHideScrambled);
    if (!showFree && !showScrambled)
        showFree = showScrambled = true;
    // Classes: 0 TV free, 1 TV scrambled, 2 radio free, 3 radio scrambled.
    const std::array<bool, 4> shown = {showTv && showFree, showTv && showScrambled, showRadio && showFree,
                                       showRadio && showScrambled};
    auto classOf = [](const ChannelRecord& r) {
        return (r.videoPresent() ? 0u : 2u) + (r.scrambled() ? 1u : 0u);
    };
    const unsigned satellite = request.satellite;
    if (satellite > kSatelliteDvbC)
        return 0;

    std::size_t inShownClasses = 0;
    const std::size_t cap = std::min(capacity(), kMaxChannelSlots);
    for (std::size_t i = 0; i < cap; ++i)
        if ((*entries_)[i].inUse() && (satellite == 0 || record(i).satellite() == satellite) &&
            shown[classOf(record(i))])
            ++inShownClasses;
    const bool programOrder = view.orderMode == kOrderProgram;
    BusyScope busyScope(busy_, inShownClasses > (programOrder ? 800u : 1200u));

    const unsigned sortFlags = view.orderMode == kOrderAlphabet ? kSortByName : kSortByTransponder;
    if (sortFlags != lastSortFlags_)
        sortState_ = kRegroupAll;  // the table is in another order
    buildMainTable(sortFlags);
    refreshProviders(false, view);

    // The main table is grouped by satellite; within each satellite mode 0 lists the four classes
    // one after the other, the other modes keep them mixed. A stable counting pass over the
    // table gives exactly that order.
    const std::size_t buckets = kSatelliteNumbers * 4;
    std::array<std::uint16_t, kSatelliteNumbers * 4 + 1> start{};
    auto bucketOf = [&](const ChannelRecord& r) {
        return r.satellite() * 4u + (programOrder ? classOf(r) : 0u);
    };
    std::size_t n = 0;
    for (std::size_t k = 0; k < mainCount_; ++k) {
        const std::uint16_t slot = (*main_)[k];
        const ChannelEntry& e = (*entries_)[slot];
        const ChannelRecord& r = record(slot);
        const unsigned s = r.satellite();
        if (!e.inUse() || !validSatellite(s) || !used_[s] || (satellite != 0 && s != satellite))
            continue;
        if (!shown[classOf(r)] || !passesProvider(providerNumber(slot), view.providerFilterMode) || !passesCa(e, view))
            continue;
        (*scratch_)[n++] = slot;
        ++start[bucketOf(r) + 1];
    }
    for (std::size_t b = 1; b <= buckets; ++b)
        start[b] = static_cast<std::uint16_t>(start[b] + start[b - 1]);
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint16_t slot = (*scratch_)[k];
        out[start[bucketOf(record(slot))]++] = slot;
    }
    return n;
}

void ChannelDatabase::selectChannels(ViewRequest& request, ViewSettings& view) {
    current_ = request;
    resultCount_ = static_cast<std::uint16_t>(collect(request, view, *result_));
    request.count = resultCount_;
    current_.count = resultCount_;
}

void ChannelDatabase::applyViewOrder(std::span<const std::uint16_t> rows) {
    const std::size_t list = current_.list;
    if (list >= 1 && list <= channel_field::kListCount) {
        writeListOrder(list, rows);
        return;
    }
    // The places in the main table held by these channels, in table order, take the rows.
    std::bitset<kMaxChannelSlots> inRows;
    for (std::uint16_t slot : rows)
        if (slot < kMaxChannelSlots)
            inRows[slot] = true;
    std::size_t next = 0;
    for (std::size_t k = 0; k < mainCount_ && next < rows.size(); ++k)
        if (inRows[(*main_)[k]])
            (*main_)[k] = rows[next++];
}

void ChannelDatabase::writeListOrder(std::size_t list, std::span<const std::uint16_t> order) {
    std::uint16_t position = 0;
    for (std::uint16_t slot : order) {
        if (slot >= capacity() || position >= capacity())
            continue;
        record(slot).setListPosition(list, ++position);
    }
}

unsigned ChannelDatabase::satelliteKinds() const {
    unsigned kinds = 0;
    for (std::size_t s = kFirstSatellite; s <= kLastSatellite; ++s)
        if (used_[s])
            kinds |= 1;
    if (used_[kSatelliteDvbT])
        kinds |= 2;
    if (used_[kSatelliteDvbC])
        kinds |= 4;
    return kinds;
}

std::vector<std::uint8_t> ChannelDatabase::usedSatellites() const {
    std::vector<std::uint8_t> out;
    for (std::size_t s = kFirstSatellite; s < kSatelliteNumbers; ++s)
        if (used_[s])
            out.push_back(static_cast<std::uint8_t>(s));
    return out;
}

std::size_t ChannelDatabase::listMembers(std::size_t list) const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < std::min(capacity(), kMaxChannelSlots); ++i)
        if ((*entries_)[i].inUse() && record(i).listPosition(list) != 0)
            ++n;
    return n;
}

// ------------------------------------------------------------------------------------ providers

ProviderRecord ChannelDatabase::provider(std::size_t position) const {
    if (position >= providerCount_)
        return ProviderRecord();
    return flash_.providerWork().provider(providerList_[position]);
}

void ChannelDatabase::clearProviderMarks(std::uint8_t bit) {
    ProviderWorkArea& work = flash_.providerWork();
    for (std::size_t r = 0; r < ProviderWorkArea::kRecordCount; ++r) {
        ProviderRecord rec = work.provider(r);
        if (rec.flags() & bit) {
            rec.setFlags(static_cast<std::uint8_t>(rec.flags() & ~bit));
            work.setProvider(r, rec);
        }
    }
    providersDirty_ = true;
}

void ChannelDatabase::markProvider(std::size_t position, std::uint8_t bit, bool on) {
    if (position >= providerCount_)
        return;
    ProviderWorkArea& work = flash_.providerWork();
    ProviderRecord rec = work.provider(providerList_[position]);
    rec.setFlags(static_cast<std::uint8_t>(on ? (rec.flags() | bit) : (rec.flags() & ~bit)));
    work.setProvider(providerList_[position], rec);
    providersDirty_ = true;
}

void ChannelDatabase::chooseSingleProvider(std::size_t position) {
    clearProviderMarks(0x02);
    markProvider(position, 0x02, true);
}

void ChannelDatabase::refreshProviders(bool force, ViewSettings& view) {
    if (!force && !providersDirty_ && providerSatellite_ == view.satelliteFilter &&
        providerMode_ == view.providerFilterMode)
        return;
    BusyScope busyScope(busy_, providerCount_ >= 55);
    ProviderWorkArea& work = flash_.providerWork();
    providerCount_ = 0;
    selectionCount_ = 0;
    selectedNumbers_->reset();
    singleNumber_ = 0;
    providersDirty_ = false;
    providerSatellite_ = view.satelliteFilter;
    if (!work.holdsVerify()) {
        if (view.providerFilterMode == kProviderMarked || view.providerFilterMode == kProviderSingle)
            view.providerFilterMode = kProviderAll;
        providerMode_ = view.providerFilterMode;
        return;
    }

    // Channels per provider number (counted over the in-use entries, which are exactly the
    // channels of the main table once it is up to date).
    auto& users = numberTable();
    users.fill(0);
    const std::size_t slots = std::min(capacity(), ProviderWorkArea::kSlots);
    for (std::size_t i = 0; i < slots; ++i)
        if ((*entries_)[i].inUse())
            ++users[work.providerNumber(i)];

    const std::size_t records = std::min(flash_.providerCapacity(), ProviderWorkArea::kRecordCount);
    std::bitset<65536> listed;
    for (std::size_t r = 0; r < records; ++r) {
        ProviderRecord rec = work.provider(r);
        std::uint8_t flags = rec.flags() & static_cast<std::uint8_t>(~ProviderRecord::kInUse);
        const bool candidate = rec.hasMarker() && rec.number() != 0;
        if (candidate && users[rec.number()] >= 2)
            flags |= ProviderRecord::kInUse;
        if (candidate && !(flags & ProviderRecord::kInUse)) {
            work.setProvider(r, ProviderRecord());
            continue;
        }
        rec.setFlags(flags);
        work.setProvider(r, rec);
        if (flags & ProviderRecord::kInUse) {
            providerList_[providerCount_++] = static_cast<std::uint16_t>(r);
            listed[rec.number()] = true;
        }
    }
    std::stable_sort(providerList_.begin(), providerList_.begin() + static_cast<std::ptrdiff_t>(providerCount_),
                     [&](std::uint16_t a, std::uint16_t b) {
                         const ProviderRecord ra = work.provider(a), rb = work.provider(b);
                         return providerNameLess(ra.name(), rb.name());
                     });
    for (std::size_t i = 0; i < slots; ++i) {
        const std::uint16_t number = work.providerNumber(i);
        if (number != 0 && !listed[number])
            work.setProviderNumber(i, 0);
    }

    const std::uint8_t mode = view.providerFilterMode;
    providerMode_ = mode;
    if (mode != kProviderMarked && mode != kProviderSingle)
        return;
    const std::uint8_t bit = mode == kProviderMarked ? 0x01 : 0x02;
    bool anyMarked = false;
    for (std::size_t k = 0; k < providerCount_; ++k)
        anyMarked = anyMarked || (work.provider(providerList_[k]).flags() & bit);
    if (!anyMarked) {
        view.providerFilterMode = kProviderAll;
        providerMode_ = kProviderAll;
        return;
    }
    // Providers used by a channel (of the satellite filter's satellite when one is set).
    std::bitset<65536> usedHere;
    for (std::size_t i = 0; i < slots; ++i)
        if ((*entries_)[i].inUse() && (view.satelliteFilter == 0 || record(i).satellite() == view.satelliteFilter))
            usedHere[work.providerNumber(i)] = true;
    for (std::size_t k = 0; k < providerCount_; ++k) {
        const ProviderRecord rec = work.provider(providerList_[k]);
        if ((rec.flags() & bit) && usedHere[rec.number()]) {
            selection_[selectionCount_++] = static_cast<std::uint16_t>(k);
            selectedNumbers_->set(rec.number());
            if (singleNumber_ == 0)
                singleNumber_ = rec.number();
        }
    }
}

ProviderRebuildResult ChannelDatabase::rebuildProviders(Flash&) {
    providersDirty_ = true;
    return rebuildProviderArea(flash_.providerWork(), *this, capacity(), flash_.providerCapacity());
}

void ChannelDatabase::providersStored(Flash&) { providersToSlotOrder(); }

// The rebuild leaves number j for the j-th in-use slot (the order of the saved table); the
// entries stay where they are, so each slot takes its number back.
void ChannelDatabase::providersToSlotOrder() {
    ProviderWorkArea& work = flash_.providerWork();
    if (!work.holdsVerify())
        return;
    std::array<std::uint16_t, ProviderWorkArea::kSlots> compacted{};
    for (std::size_t j = 0; j < ProviderWorkArea::kSlots; ++j)
        compacted[j] = work.providerNumber(j);
    std::size_t j = 0;
    for (std::size_t i = 0; i < ProviderWorkArea::kSlots; ++i)
        work.setProviderNumber(i, slotInUse(i) ? compacted[j++] : 0);
    providersDirty_ = true;
}

std::size_t ChannelDatabase::rebuildProviders() {
    const ProviderRebuildResult r = rebuildProviderArea(flash_.providerWork(), *this, capacity(), flash_.providerCapacity());
    if (r.written)
        providersToSlotOrder();
    providersDirty_ = true;
    return r.providers;
}

} // namespace cs
