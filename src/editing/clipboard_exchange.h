#pragma once
// The clipboard list of this process (the channels taken by the last Cut or Copy) and its copy on
// the system clipboard in the two exchange formats, which another editor process pastes from.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

#include "editing/clipboard_blocks.h"

class QClipboard;
class QMimeData;

namespace cs {
class ChannelDatabase;
}

namespace cs::editing {

// The MIME-data formats carrying the two blocks.
QString infoFormat();
QString dataFormat();

// The rows as a spreadsheet reads a paste: tab-separated text with a header line, and an HTML
// table. Empty texts are left off the clipboard.
struct ClipboardTable {
    QString text;
    QString html;
};

// Both blocks of these channels, as the system clipboard carries them, and the table beside them.
QMimeData* makeClipboardData(const ChannelDatabase& db, std::span<const std::uint16_t> slotList, int sourceList, bool cut,
                             std::uint32_t owner, const ClipboardTable& table = {});

class ClipboardList {
public:
    void clear();
    // Takes the channels (row order) and writes them to the system clipboard, with the rows as a
    // table beside the exchange blocks.
    void take(const ChannelDatabase& db, std::span<const std::uint16_t> slotList, int sourceList, bool cut,
              const ClipboardTable& table = {});

    const std::vector<std::uint16_t>& slotList() const { return slots_; }
    bool empty() const { return slots_.empty(); }
    int sourceList() const { return sourceList_; }
    bool cut() const { return cut_; }
    void clearCut() { cut_ = false; }
    bool contains(std::uint16_t slot) const;
    // A channel that left the database (or the list a cut was taken from) leaves this list.
    void remove(std::uint16_t slot);

    // Channels another editor process put on the system clipboard; 0 when the clipboard holds
    // this process's own data or no complete exchange data.
    static std::uint32_t foreignChannelCount();
    // The channels of the other process, bounded by the data present.
    static DecodedClipboard takeFromClipboard();

private:
    std::vector<std::uint16_t> slots_;
    std::vector<std::uint8_t> member_;  // per slot: 1 while in slots_
    int sourceList_ = 0;
    bool cut_ = false;
};

} // namespace cs::editing
