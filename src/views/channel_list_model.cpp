#include "views/channel_list_model.h"

#include "views/view_icons.h"
#include "database/channel_database.h"
#include "database/display_texts.h"
#include "image/channel_record.h"

#include <QColor>
#include <QIcon>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace cs::views {

const std::array<ListColumnInfo, kListColumnCount> kListColumns = {{
    {54, "Nr", "Propertis_List_transponder_Id"},
    {120, "Program", "HintChannel"},
    {52, "J\u0119zyk", "HintLang"},
    {34, "CA", ""},
    {80, "Cz\u0119stot", "Propertis_List_transponder_Frequency"},
    {86, "SymbolRate", "Propertis_List_transponder_SymbolRate"},
    {48, "FEC", "Propertis_List_transponder_FecRate"},
    {34, "Pol", "Propertis_List_transponder_Polarization"},
    {106, "Satelita", "Propertis_List_transponder_Satellite"},
    {60, "VIDEO", ""},
    {60, "AUDIO", ""},
    {120, "PROVIDER", "TreeViewProvider"},
}};

namespace {

// A name reduced to its letters and digits, letters upper-cased, as a sort key.
struct NameKey {
    std::array<unsigned char, channel_field::kNameSize + 1> bytes{};

    explicit NameKey(std::string_view name) {
        std::size_t n = 0;
        for (char ch : name) {
            auto c = static_cast<unsigned char>(ch);
            if (c >= 'a' && c <= 'z')
                c = static_cast<unsigned char>(c - 'a' + 'A');
            if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
                bytes[n++] = c;
        }
    }
};

int compareBytes(const unsigned char* a, const unsigned char* b) {
    for (;; ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == 0)
            return 0;
    }
}

// Record bytes from the language number onward, up to the first difference or the first zero
// byte; never past the record's end.
int compareFromLanguage(const ChannelRecord& a, const ChannelRecord& b) {
    const ConstBytes x = a.bytes();
    const ConstBytes y = b.bytes();
    for (std::size_t i = channel_field::kAudioLanguage; i < ChannelRecord::size; ++i) {
        if (x[i] != y[i])
            return x[i] < y[i] ? -1 : 1;
        if (x[i] == 0)
            return 0;
    }
    return 0;
}

int compareUnsigned(unsigned a, unsigned b) { return a < b ? -1 : (a > b ? 1 : 0); }

} // namespace

int compareRows(const ChannelDatabase& db, std::uint16_t slotA, int numberA, std::uint16_t slotB, int numberB,
                int logicalColumn, int direction) {
    if (logicalColumn == kColNumber)
        return direction ? compareUnsigned(static_cast<unsigned>(numberA), static_cast<unsigned>(numberB))
                         : compareUnsigned(static_cast<unsigned>(numberB), static_cast<unsigned>(numberA));
    if (logicalColumn == kColProvider) {
        // A channel without provider sorts after every channel that has one, in both directions.
        const std::string_view pa = db.entry(slotA).provider();
        const std::string_view pb = db.entry(slotB).provider();
        if (pa.empty() || pb.empty())
            return pa.empty() == pb.empty() ? 0 : (pa.empty() ? 1 : -1);
        // char_traits<char> compares like memcmp: bytes as unsigned characters.
        const int r = pa.compare(pb);
        const int c = r < 0 ? -1 : (r > 0 ? 1 : 0);
        return direction ? -c : c;
    }
    if (direction)
        std::swap(slotA, slotB);
    const ChannelRecord& a = db.record(slotA);
    const ChannelRecord& b = db.record(slotB);
    switch (logicalColumn) {
    case kColName: {
        const NameKey ka(a.name()), kb(b.name());
        return compareBytes(ka.bytes.data(), kb.bytes.data());
    }
    case kColLanguage: return compareFromLanguage(a, b);
    case kColCa: return compareUnsigned(a.scrambled(), b.scrambled());
    case kColFrequency: return compareUnsigned(a.frequency(), b.frequency());
    case kColSymbolRate: return compareUnsigned(a.symbolRate(), b.symbolRate());
    case kColFec: return compareUnsigned(a.fec(), b.fec());
    case kColPolarisation: return compareUnsigned(b.polarisation(), a.polarisation());
    case kColSatellite: return compareUnsigned(a.satellite(), b.satellite());
    case kColVideo: return compareUnsigned(a.videoPid(), b.videoPid());
    case kColAudio: return compareUnsigned(a.audioPid(), b.audioPid());
    default: return 0;
    }
}

ChannelListModel::ChannelListModel(const ChannelDatabase& database, const DisplayTexts& texts, QObject* parent)
    : QAbstractTableModel(parent),
      db_(database),
      texts_(texts),
      slots_(kMaxChannelSlots),
      numbers_(kMaxChannelSlots),
      scratchSlots_(kMaxChannelSlots),
      scratchNumbers_(kMaxChannelSlots) {
    for (std::size_t c = 0; c < kListColumns.size(); ++c)
        captions_[c] = QString::fromUtf8(kListColumns[c].designed);
}

ChannelListModel::~ChannelListModel() = default;

void ChannelListModel::setNumbering(bool on) {
    if (on == numbering_)
        return;
    beginResetModel();
    numbering_ = on;
    cacheRow_ = -1;
    endResetModel();
}

void ChannelListModel::setCaptions(const std::array<QString, kListColumnCount>& captions) {
    captions_ = captions;
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void ChannelListModel::setRows(std::span<const std::uint16_t> rowSlots, const std::function<void(int)>& progress) {
    beginResetModel();
    count_ = std::min(rowSlots.size(), slots_.size());
    const std::size_t step = count_ / 100;
    for (std::size_t i = 0; i < count_; ++i) {
        slots_[i] = rowSlots[i];
        numbers_[i] = static_cast<std::uint16_t>(i + 1);
        if (progress && step != 0 && i % step == 0)
            progress(static_cast<int>(i));
    }
    cacheRow_ = -1;
    endResetModel();
}

void ChannelListModel::clear() {
    beginResetModel();
    count_ = 0;
    cacheRow_ = -1;
    endResetModel();
}

int ChannelListModel::rowOfSlot(std::uint16_t slot) const {
    const auto it = std::find(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(count_), slot);
    return it == slots_.begin() + static_cast<std::ptrdiff_t>(count_) ? -1 : static_cast<int>(it - slots_.begin());
}

void ChannelListModel::sortBy(int logicalColumn, int direction) {
    std::vector<int> order(count_);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        return compareRows(db_, slots_[static_cast<std::size_t>(x)], numbers_[static_cast<std::size_t>(x)],
                           slots_[static_cast<std::size_t>(y)], numbers_[static_cast<std::size_t>(y)], logicalColumn,
                           direction) < 0;
    });
    setOrder(order);
}

void ChannelListModel::setOrder(std::span<const int> rowsInNewOrder) {
    const std::size_t n = std::min(rowsInNewOrder.size(), count_);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Where each old row went, so that the selection follows its channels.
    std::vector<int> newRowOf(count_, -1);
    for (std::size_t i = 0; i < n; ++i) {
        const auto from = static_cast<std::size_t>(rowsInNewOrder[i]);
        scratchSlots_[i] = slots_[from];
        scratchNumbers_[i] = numbers_[from];
        newRowOf[from] = static_cast<int>(i);
    }
    std::copy_n(scratchSlots_.begin(), n, slots_.begin());
    std::copy_n(scratchNumbers_.begin(), n, numbers_.begin());
    count_ = n;
    cacheRow_ = -1;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before) {
        const int to = idx.row() < static_cast<int>(newRowOf.size()) ? newRowOf[static_cast<std::size_t>(idx.row())] : -1;
        after.push_back(to < 0 ? QModelIndex() : index(to, idx.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ChannelListModel::refreshRow(int row) {
    if (row < 0 || row >= rows())
        return;
    cacheRow_ = -1;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ChannelListModel::refreshRows() {
    if (rows() == 0)
        return;
    cacheRow_ = -1;
    emit dataChanged(index(0, 0), index(rows() - 1, columnCount() - 1));
}

int ChannelListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(count_);
}

int ChannelListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount - (numbering_ ? 0 : 1);
}

const ChannelRow& ChannelListModel::rowTexts(int row) const {
    if (cacheRow_ != row || !cache_) {
        cache_ = std::make_unique<ChannelRow>(texts_.channelRowTexts(slotAt(row), numberAt(row), numbering_));
        cacheRow_ = row;
    }
    return *cache_;
}

QString ChannelListModel::cellText(const ChannelRow& r, int logical) const {
    const std::string* s = nullptr;
    switch (logical) {
    case kColNumber: s = &r.caption; break;
    case kColName: s = &r.name; break;
    case kColLanguage: s = &r.language; break;
    case kColCa: s = &r.ca; break;
    case kColFrequency: s = &r.frequency; break;
    case kColSymbolRate: s = &r.symbolRate; break;
    case kColFec: s = &r.fec; break;
    case kColPolarisation: s = &r.polarisation; break;
    case kColSatellite: s = &r.satellite; break;
    case kColVideo: s = &r.video; break;
    case kColAudio: s = &r.audio; break;
    case kColProvider: s = &r.provider; break;
    default: return {};
    }
    // Names and codes are the receiver's single-byte characters (at most 0x7D), never UTF-8.
    return QString::fromLatin1(s->data(), static_cast<qsizetype>(s->size()));
}

QVariant ChannelListModel::data(const QModelIndex& idx, int role) const {
    if (!idx.isValid() || idx.row() >= rows() || idx.column() >= columnCount())
        return {};
    const int logical = logicalColumn(idx.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cellText(rowTexts(idx.row()), role == Qt::EditRole ? kColName : logical);
    case Qt::DecorationRole:
        if (idx.column() == 0)
            return listIcon(rowTexts(idx.row()).image);
        return {};
    case Qt::ForegroundRole:
        if (isCut_ && isCut_(slotAt(idx.row())))
            return QColor(Qt::gray);
        return {};
    case kRoleSlot:
        return static_cast<int>(slotAt(idx.row()));
    default:
        return {};
    }
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return captions_[static_cast<std::size_t>(logicalColumn(section))];
    return {};
}

Qt::ItemFlags ChannelListModel::flags(const QModelIndex& idx) const {
    if (!idx.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    if (editable_ && !numbering_ && rename_ && logicalColumn(idx.column()) == kColName)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ChannelListModel::setData(const QModelIndex& idx, const QVariant& value, int role) {
    if (role != Qt::EditRole || !idx.isValid() || !(flags(idx) & Qt::ItemIsEditable))
        return false;
    if (!rename_(slotAt(idx.row()), value.toString()))
        return false;
    refreshRow(idx.row());
    return true;
}

} // namespace cs::views
