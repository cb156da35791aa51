#include "editing/clipboard_exchange.h"

#include "database/channel_database.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

namespace cs::editing {

QString infoFormat() { return QString::fromLatin1(kInfoFormatName.data(), static_cast<qsizetype>(kInfoFormatName.size())); }
QString dataFormat() { return QString::fromLatin1(kDataFormatName.data(), static_cast<qsizetype>(kDataFormatName.size())); }

QMimeData* makeClipboardData(const ChannelDatabase& db, std::span<const std::uint16_t> slotList, int sourceList, bool cut,
                             std::uint32_t owner, const ClipboardTable& table) {
    ClipboardInfo info;
    info.count = static_cast<std::uint32_t>(slotList.size());
    info.owner = owner;
    info.sourceList = static_cast<std::uint8_t>(sourceList);
    info.cut = cut;
    const auto head = encodeInfo(info);
    std::vector<std::uint8_t> data;
    data.reserve(slotList.size() * kDataEntrySize);
    for (std::uint16_t slot : slotList)
        appendDataEntry(data, db.record(slot), db.entry(slot));
    auto* mime = new QMimeData;
    mime->setData(infoFormat(), QByteArray(reinterpret_cast<const char*>(head.data()), static_cast<qsizetype>(head.size())));
    mime->setData(dataFormat(), QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
    if (!table.text.isEmpty())
        mime->setText(table.text);
    if (!table.html.isEmpty())
        mime->setHtml(table.html);
    return mime;
}

void ClipboardList::clear() {
    for (std::uint16_t slot : slots_)
        member_[slot] = 0;
    slots_.clear();
    sourceList_ = 0;
    cut_ = false;
}

void ClipboardList::take(const ChannelDatabase& db, std::span<const std::uint16_t> slotList, int sourceList, bool cut,
                         const ClipboardTable& table) {
    clear();
    cut_ = cut;
    sourceList_ = sourceList;
    if (member_.size() < kMaxChannelSlots)
        member_.assign(kMaxChannelSlots, 0);
    for (std::uint16_t slot : slotList) {
        if (slot >= kMaxChannelSlots || member_[slot])
            continue;
        member_[slot] = 1;
        slots_.push_back(slot);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    if (slots_.empty())
        clipboard->clear();
    else
        clipboard->setMimeData(makeClipboardData(db, slots_, sourceList, cut, processOwnerToken(), table));
}

bool ClipboardList::contains(std::uint16_t slot) const { return slot < member_.size() && member_[slot]; }

void ClipboardList::remove(std::uint16_t slot) {
    if (!contains(slot))
        return;
    member_[slot] = 0;
    slots_.erase(std::find(slots_.begin(), slots_.end(), slot));
}

namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray& a) {
    return {reinterpret_cast<const std::uint8_t*>(a.constData()), static_cast<std::size_t>(a.size())};
}

} // namespace

std::uint32_t ClipboardList::foreignChannelCount() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime || !mime->hasFormat(infoFormat()) || !mime->hasFormat(dataFormat()))
        return 0;
    const auto info = decodeInfo(bytesOf(mime->data(infoFormat())));
    if (!info || info->owner == processOwnerToken())
        return 0;
    return info->count;
}

DecodedClipboard ClipboardList::takeFromClipboard() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime)
        return {};
    const QByteArray info = mime->data(infoFormat());
    const QByteArray data = mime->data(dataFormat());
    DecodedClipboard out = decodeClipboard(bytesOf(info), bytesOf(data));
    if (out.info.owner == processOwnerToken())
        return {};
    return out;
}

} // namespace cs::editing
