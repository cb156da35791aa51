#include "undo/database_state.h"

#include "database/channel_database.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

namespace cs::undo {

static_assert(sizeof(ChannelRecord) == ChannelRecord::size && std::is_trivially_copyable_v<ChannelRecord>);
static_assert(sizeof(TransponderRecord) == TransponderRecord::size && std::is_trivially_copyable_v<TransponderRecord>);

// The flat layout of a snapshot. Each part has a fixed place so that two snapshots compare
// byte for byte.
namespace layout {
inline constexpr std::size_t kEntrySize = 32;
inline constexpr std::size_t kRecords = 0;
inline constexpr std::size_t kEntries = kRecords + kMaxChannelSlots * ChannelRecord::size;
inline constexpr std::size_t kMainTable = kEntries + kMaxChannelSlots * kEntrySize;
inline constexpr std::size_t kOrderSize = 256;  // count, sort state and satellite flags
inline constexpr std::size_t kOrder = kMainTable + kMaxChannelSlots * sizeof(std::uint16_t);
inline constexpr std::size_t kProviders = kOrder + kOrderSize;
inline constexpr std::size_t kSatelliteSize = 21;
inline constexpr std::size_t kModelSize =
    kSatelliteEntryCount * kSatelliteSize + 1 + kMaxFavouriteLists * settings_layout::kListNameSize;
inline constexpr std::size_t kModel = kProviders + ProviderWorkArea::size;
inline constexpr std::size_t kWorking = kModel + kModelSize;
inline constexpr std::size_t kTransponders = kWorking + WorkingSettings::size;
inline constexpr std::size_t kTotal = kTransponders + kTransponderSlots * TransponderRecord::size;
static_assert(kOrderSize >= 2 + 4 + 1 + 4 + 2 * kSatelliteNumbers);
} // namespace layout

namespace {

// Blocks compared at once; a changed block is kept whole, which keeps the runs few.
constexpr std::size_t kBlock = 64;

using EntryBytes = std::array<std::uint8_t, layout::kEntrySize>;

// The entry fields that belong to the database. The mark is the view's selection and the sort
// key and removal mark are scratch of one operation: they stay out.
EntryBytes entryBytes(const ChannelEntry& e) {
    EntryBytes out{};
    std::size_t at = 0;
    auto put = [&](const void* p, std::size_t n) {
        std::memcpy(out.data() + at, p, n);
        at += n;
    };
    put(e.caSystems.data(), sizeof(e.caSystems));
    put(&e.pmtPid, 2);
    put(&e.secondPid, 2);
    const std::uint8_t flags = e.flags & static_cast<std::uint8_t>(~entry_flags::kMarked);
    put(&flags, 1);
    put(e.providerName.data(), e.providerName.size());
    return out;
}

void readEntry(const std::uint8_t* in, ChannelEntry& e) {
    std::size_t at = 0;
    auto get = [&](void* p, std::size_t n) {
        std::memcpy(p, in + at, n);
        at += n;
    };
    const bool marked = e.marked();
    get(e.caSystems.data(), sizeof(e.caSystems));
    get(&e.pmtPid, 2);
    get(&e.secondPid, 2);
    get(&e.flags, 1);
    get(e.providerName.data(), e.providerName.size());
    e.setMarked(marked && e.inUse());
    e.removal = 0;
}

void writeModel(const SettingsModel& m, std::uint8_t* out) {
    for (const SatelliteEntry& s : m.satellites) {
        std::memcpy(out, s.name.data(), s.name.size());
        out[16] = s.side;
        std::memcpy(out + 17, &s.position, 4);
        out += layout::kSatelliteSize;
    }
    *out++ = m.listCount;
    for (const auto& name : m.listNames) {
        std::memcpy(out, name.data(), name.size());
        out += name.size();
    }
}

void readModel(const std::uint8_t* in, SettingsModel& m) {
    for (SatelliteEntry& s : m.satellites) {
        std::memcpy(s.name.data(), in, s.name.size());
        s.side = in[16];
        std::memcpy(&s.position, in + 17, 4);
        in += layout::kSatelliteSize;
    }
    m.listCount = *in++;
    for (auto& name : m.listNames) {
        std::memcpy(name.data(), in, name.size());
        in += name.size();
    }
}

std::span<const std::uint8_t> asBytes(std::span<const ChannelRecord> records) {
    return {reinterpret_cast<const std::uint8_t*>(records.data()), records.size_bytes()};
}

std::span<const std::uint8_t> asBytes(const TransponderTable& table) {
    return {reinterpret_cast<const std::uint8_t*>(table.data()), sizeof(table)};
}

void describeModelChange(const SettingsModel& before, const SettingsModel& after, ChangeSummary& sum) {
    sum.listsBefore = favouriteListCount(before.listCount);
    sum.listsAfter = favouriteListCount(after.listCount);
    if (sum.listsAfter > sum.listsBefore) {
        sum.listNameAfter = std::string(after.listName(sum.listsAfter));
    } else if (sum.listsAfter < sum.listsBefore) {
        // The first list whose name no longer stands at its place is the one removed.
        std::size_t k = 1;
        while (k < sum.listsBefore && before.listName(k) == after.listName(k))
            ++k;
        sum.listNameBefore = std::string(before.listName(k));
    } else {
        for (std::size_t k = 1; k <= sum.listsAfter; ++k)
            if (before.listName(k) != after.listName(k)) {
                sum.renamedList = k;
                sum.listNameBefore = std::string(before.listName(k));
                sum.listNameAfter = std::string(after.listName(k));
                break;
            }
    }
    for (std::size_t n = 0; n < kSatelliteEntryCount; ++n)
        if (before.satellites[n].nameView() != after.satellites[n].nameView()) {
            sum.renamedSatellite = n;
            sum.satelliteNameAfter = std::string(after.satellites[n].nameView());
            break;
        }
}

} // namespace

// ChannelDatabase names this class its friend: the display order and the flags derived from it
// are private state that a restored snapshot must set back as they were.
class DatabaseStateAccess {
public:
    static void writeOrder(const ChannelDatabase& db, std::uint8_t* out) {
        std::memcpy(out, &db.mainCount_, 2);
        std::memcpy(out + 2, &db.sortState_, 4);
        out[6] = db.rebuild_ ? 1 : 0;
        std::memcpy(out + 7, &db.lastSortFlags_, 4);
        std::memcpy(out + 11, db.used_.data(), kSatelliteNumbers);
        std::memcpy(out + 11 + kSatelliteNumbers, db.needsSort_.data(), kSatelliteNumbers);
    }
    static void readOrder(ChannelDatabase& db, const std::uint8_t* in) {
        std::memcpy(&db.mainCount_, in, 2);
        std::memcpy(&db.sortState_, in + 2, 4);
        db.rebuild_ = in[6] != 0;
        std::memcpy(&db.lastSortFlags_, in + 7, 4);
        std::memcpy(db.used_.data(), in + 11, kSatelliteNumbers);
        std::memcpy(db.needsSort_.data(), in + 11 + kSatelliteNumbers, kSatelliteNumbers);
        db.providersDirty_ = true;
        db.resultCount_ = 0;
        db.current_ = ViewRequest{};
    }
    static std::span<std::uint8_t> mainTable(ChannelDatabase& db) {
        return {reinterpret_cast<std::uint8_t*>(db.main_->data()), sizeof(*db.main_)};
    }
};

DatabaseState::DatabaseState(ChannelDatabase& db) : db_(db), snapshot_(layout::kTotal) {}

void DatabaseState::capture() {
    StateDifference ignored = takeChanges();
    (void)ignored;
}

StateDifference DatabaseState::takeChanges() {
    StateDifference diff;
    summary_ = ChangeSummary{};
    std::uint8_t* const snap = snapshot_.data();
    auto compare = [&](std::size_t offset, std::span<const std::uint8_t> live) {
        const std::size_t runsBefore = diff.runs().size();
        for (std::size_t at = 0; at < live.size(); at += kBlock) {
            const std::size_t n = std::min(kBlock, live.size() - at);
            std::uint8_t* old = snap + offset + at;
            if (std::memcmp(old, live.data() + at, n) != 0) {
                diff.addRun(offset + at, {old, n}, live.subspan(at, n));
                std::memcpy(old, live.data() + at, n);
            }
        }
        return diff.runs().size() != runsBefore;
    };
    Flash& flash = db_.flash();
    ChangeSummary& sum = summary_;
    // Records are compared one by one (a record is one block) to count the channels changed.
    const std::span<const std::uint8_t> records = asBytes(flash.records());
    std::size_t lastChanged = kMaxChannelSlots;
    bool lastNameOnly = false;
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i) {
        const std::size_t at = i * ChannelRecord::size;
        const std::uint8_t* oldRecord = snap + layout::kRecords + at;
        const std::uint8_t* newRecord = records.data() + at;
        // An in-place rename touches the name and nothing else of the record.
        const bool nameOnly =
            std::memcmp(oldRecord, newRecord, channel_field::kNameSize) != 0 &&
            std::memcmp(oldRecord + channel_field::kNameSize, newRecord + channel_field::kNameSize,
                        ChannelRecord::size - channel_field::kNameSize) == 0;
        const bool recordChanged = compare(layout::kRecords + at, records.subspan(at, ChannelRecord::size));
        const EntryBytes e = entryBytes(db_.entry(i));
        std::uint8_t* old = snap + layout::kEntries + i * layout::kEntrySize;
        sum.channelsBefore += (old[10] & entry_flags::kInUse) ? 1 : 0;
        sum.channelsAfter += db_.entry(i).inUse() ? 1 : 0;
        bool entryChanged = false;
        if (std::memcmp(old, e.data(), e.size()) != 0) {
            diff.addRun(layout::kEntries + i * layout::kEntrySize, {old, e.size()}, e);
            std::memcpy(old, e.data(), e.size());
            entryChanged = true;
        }
        if (recordChanged || entryChanged) {
            ++sum.channelsChanged;
            lastChanged = i;
            lastNameOnly = nameOnly && !entryChanged;
        }
    }
    if (lastChanged < kMaxChannelSlots)
        sum.lastChannelName = std::string(db_.record(lastChanged).name());
    sum.channelRenamedOnly = sum.channelsChanged == 1 && lastNameOnly;
    sum.orderChanged = compare(layout::kMainTable, DatabaseStateAccess::mainTable(db_));
    std::array<std::uint8_t, layout::kOrderSize> order{};
    DatabaseStateAccess::writeOrder(db_, order.data());
    compare(layout::kOrder, order);
    compare(layout::kProviders, flash.providerWork().bytes());
    std::array<std::uint8_t, layout::kModelSize> model{};
    const SettingsModel& now = flash.settings();
    writeModel(now, model.data());
    if (std::memcmp(snap + layout::kModel, model.data(), model.size()) != 0) {
        SettingsModel before;
        readModel(snap + layout::kModel, before);
        describeModelChange(before, now, sum);
    } else {
        sum.listsBefore = sum.listsAfter = favouriteListCount(now.listCount);
    }
    sum.settingsChanged = compare(layout::kModel, model);
    sum.settingsChanged = compare(layout::kWorking, now.settings.bytes()) || sum.settingsChanged;
    sum.transpondersChanged = compare(layout::kTransponders, asBytes(flash.transponders()));
    return diff;
}

void DatabaseState::step(const StateDifference& difference) {
    difference.applyTo(snapshot_);
    restore();
}

void DatabaseState::restore() {
    const std::uint8_t* const snap = snapshot_.data();
    Flash& flash = db_.flash();
    std::memcpy(flash.records().data(), snap + layout::kRecords, flash.records().size_bytes());
    for (std::size_t i = 0; i < kMaxChannelSlots; ++i)
        readEntry(snap + layout::kEntries + i * layout::kEntrySize, db_.entry(i));
    auto main = DatabaseStateAccess::mainTable(db_);
    std::memcpy(main.data(), snap + layout::kMainTable, main.size());
    DatabaseStateAccess::readOrder(db_, snap + layout::kOrder);
    auto providers = flash.providerWork().bytes();
    std::memcpy(providers.data(), snap + layout::kProviders, providers.size());
    readModel(snap + layout::kModel, flash.settings());
    auto working = flash.settings().settings.bytes();
    std::memcpy(working.data(), snap + layout::kWorking, working.size());
    std::memcpy(flash.transponders().data(), snap + layout::kTransponders, sizeof(TransponderTable));
}

} // namespace cs::undo
