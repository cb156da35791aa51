#pragma once
// The in-memory channel database of the open image: a ChannelEntry per record slot, the main
// pointer table that gives the display order, the selection of the channels of one view, the
// provider list, and the changes of channels and favourite lists. It plugs its steps into the
// working image's open and save. Every table is allocated once with the database; nothing is
// allocated per channel.
#include "database/tree_node.h"
#include "database/channel_entry.h"
#include "database/view.h"
#include "image/flash.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

class DisplayTexts;
namespace undo {
class DatabaseStateAccess;
}

inline constexpr std::size_t kSatelliteNumbers = 66;  // satellite numbers 0..65

// Sort flags of buildMainTable.
inline constexpr unsigned kSortByTransponder = 0x01;
inline constexpr unsigned kSortByName = 0x02;

// Sort state values.
inline constexpr int kSorted = -1;
inline constexpr int kRegroupAll = 0;
inline constexpr int kSortFlagged = 1;

// A channel offered by a paste from another editor: its record, its provider name, and what
// matchChannels and insertIncoming made of it.
struct IncomingChannel {
    ChannelRecord record;
    std::string providerName;
    bool matched = false;      // an equal channel already exists (slot says which)
    int slot = -1;             // the slot it was matched with or inserted into; -1 none
};

// A new favourite list's texts: what the tree shows, and the name that is stored.
struct NewListName {
    std::string display;
    std::string name;
};

// The equality of a pasted channel with a channel of the database: same satellite, service ID,
// identifier at offset 48 and PIDs, the same name apart from surrounding blanks and letter case,
// and matching frequencies (DVB-T/DVB-C: the same MHz value; satellite: same polarisation and
// less than 11 MHz apart).
bool channelsEqual(const ChannelRecord& a, const ChannelRecord& b);
// A channel name as that equality compares it: surrounding blanks dropped, letters in lower case.
std::string comparableName(std::string_view name);
// The frequency part of that equality for two channels of one satellite number: DVB-T/DVB-C the
// same MHz value; satellite the same polarisation and less than 11 MHz apart.
bool sameTransmission(std::uint8_t satellite, std::uint16_t frequencyA, unsigned polarisationA,
                      std::uint16_t frequencyB, unsigned polarisationB);

class ChannelDatabase final : public FlashSteps {
public:
    explicit ChannelDatabase(Flash& flash);
    ~ChannelDatabase() override;
    ChannelDatabase(const ChannelDatabase&) = delete;
    ChannelDatabase& operator=(const ChannelDatabase&) = delete;

    Flash& flash() { return flash_; }
    const Flash& flash() const { return flash_; }

    // Called while a long operation runs (true at its start, false at its end); the desktop
    // program shows the busy cursor.
    void setBusyHook(std::function<void(bool)> hook) { busy_ = std::move(hook); }

    // ---- steps of opening and saving (FlashSteps)
    void resetViews() override;
    // At open the records are the table just checked (flash.validAtOpen): no second check.
    void loadEntries(Flash&) override { loadEntries(false, /*checkedAtOpen=*/true); }
    void attachProviderNames(Flash&) override { attachProviderNames(); }
    // At save: provider numbers in the compacted order of the saved channel table.
    ProviderRebuildResult rebuildProviders(Flash&) override;
    // After BA_3 took the compacted numbers, the work area goes back to one number per slot.
    void providersStored(Flash&) override;
    bool slotInUse(std::size_t slot) const override;
    std::string_view providerName(std::size_t slot) const override;

    // Rebuilds every entry from the record array; with copyTable the image's channel table is
    // copied into the record array first.
    void loadEntries(bool copyTable) { loadEntries(copyTable, /*checkedAtOpen=*/false); }
    // Fills each entry's provider name from the provider work area.
    void attachProviderNames();
    // Renumbers the providers from the entries' provider names, one number per slot (used
    // after a paste). Returns the number of providers.
    std::size_t rebuildProviders();

    // ---- order and selection
    // Groups the main pointer table by satellite and sorts the groups that need it. True when
    // the table was rebuilt from the entries.
    bool buildMainTable(unsigned sortFlags);
    // Fills the result array with the channels of a view and sets request.count.
    void selectChannels(ViewRequest& request, ViewSettings& view);
    // Verifies the providers, rebuilds the provider list and the provider selection. May fall
    // back view.providerFilterMode to kProviderAll when no provider is marked for it.
    void refreshProviders(bool force, ViewSettings& view);
    // Bit 0: a satellite 1..63 is used; bit 1: DVB-T (64); bit 2: DVB-C (65).
    unsigned satelliteKinds() const;
    // The next selection regroups and sorts everything (a new order mode).
    void requestFullSort() { sortState_ = kRegroupAll; }
    // Writes a view's row order back: in a favourite-list view each channel's position becomes
    // its row number; otherwise the channels take the places of the main table they held, in
    // the order given.
    void applyViewOrder(std::span<const std::uint16_t> rows);

    // ---- tables
    std::size_t capacity() const { return flash_.channelCapacity(); }
    ChannelEntry& entry(std::size_t slot) { return (*entries_)[slot]; }
    const ChannelEntry& entry(std::size_t slot) const { return (*entries_)[slot]; }
    ChannelRecord& record(std::size_t slot) { return flash_.records()[slot]; }
    const ChannelRecord& record(std::size_t slot) const { return flash_.records()[slot]; }
    std::uint16_t providerNumber(std::size_t slot) const { return flash_.providerWork().providerNumber(slot); }
    std::size_t channelCount() const;
    std::span<const std::uint16_t> mainTable() const { return {main_->data(), mainCount_}; }
    std::uint16_t mainCount() const { return mainCount_; }
    std::span<const std::uint16_t> result() const { return {result_->data(), resultCount_}; }
    const ViewRequest& currentRequest() const { return current_; }
    bool satelliteUsed(std::size_t satellite) const { return satellite < kSatelliteNumbers && used_[satellite]; }
    bool needsSort(std::size_t satellite) const { return satellite < kSatelliteNumbers && needsSort_[satellite]; }
    int sortState() const { return sortState_; }
    bool rebuildPending() const { return rebuild_; }
    // Used satellite numbers 1..65 ascending (the satellite nodes of the tree).
    std::vector<std::uint8_t> usedSatellites() const;
    // In-use channels with a position in favourite list 1..8.
    std::size_t listMembers(std::size_t list) const;

    // ---- providers
    // The provider list: work-area record indices of the verified providers, sorted by name.
    std::span<const std::uint16_t> providerList() const { return {providerList_.data(), providerCount_}; }
    std::size_t providerCount() const { return providerCount_; }
    ProviderRecord provider(std::size_t position) const;  // position in the provider list
    // The providers that pass the provider filter (positions in the provider list).
    std::span<const std::uint16_t> providerSelection() const { return {selection_.data(), selectionCount_}; }
    // Filter marks on the provider records (bit 0 for mode 1, bit 1 for mode 3).
    void clearProviderMarks(std::uint8_t bit);
    void markProvider(std::size_t position, std::uint8_t bit, bool on);
    // Mode 3 view of one provider: clears bit 1 of every provider and sets it on this one.
    void chooseSingleProvider(std::size_t position);

    // ---- changes of channels
    // Puts a record into a free slot. False when refused (satellite number not 1..65, slot not
    // free or outside the table).
    bool insertRecord(std::size_t slot, const ChannelRecord& record, std::string_view providerName);
    // Acts on the marked entries of the current result: in a favourite-list view they leave the
    // list, otherwise they are deleted. Returns how many were affected.
    std::size_t deleteMarked();
    // Deletes all channels of satellite s (0: all). Returns how many were deleted.
    std::size_t deleteSatelliteChannels(std::uint8_t satellite, ViewSettings& view);
    // Deletes the channels without provider (code 2) or of provider code k + 3. Returns how many.
    std::size_t deleteProviderChannels(const TreeNode& provider, ViewSettings& view);
    // Links each incoming channel to an equal channel already in the database.
    std::size_t matchChannels(std::span<IncomingChannel> incoming);
    // Inserts the incoming channels that are neither matched nor placed into free slots,
    // lowest slot first. Returns how many were inserted.
    std::size_t insertIncoming(std::span<IncomingChannel> incoming);

    // ---- favourite-list membership
    std::uint16_t maxListPosition(std::size_t list) const;
    // Gives the channels positions after the list's highest; never above channelCapacity.
    std::size_t appendToList(std::size_t list, std::span<const std::uint16_t> slots);
    // Adds the channels of another view that are not yet in the list, in view order.
    std::size_t copyViewToList(const ViewRequest& source, const ViewSettings& view, std::size_t list);
    // Places channels into a list right after the channel `afterSlot` (or at the end when it is
    // not in the list) and renumbers the list 1..n without gaps; a channel already in the list
    // moves. Never gives a position above channelCapacity. Returns how many were placed.
    std::size_t insertIntoList(std::size_t list, std::optional<std::uint16_t> afterSlot,
                               std::span<const std::uint16_t> slots);
    // Position 0 in that list for the given channels.
    void removeFromList(std::size_t list, std::span<const std::uint16_t> slots);
    void clearList(std::size_t list);

    // ---- favourite lists and satellites
    NewListName proposeListName(const DisplayTexts& texts) const;
    // Adds a list with that name; returns its number, 0 when 8 lists exist or the name is empty.
    std::size_t addList(std::string_view name);
    // Removes list k; later lists move one place down. False for a list that does not exist.
    bool deleteList(std::size_t list);
    // False (nothing stored) when k is not 1..8 or nothing is left of the name.
    bool renameList(std::size_t list, std::string_view name);
    // Satellite 0..63; false when nothing is left of the name.
    bool renameSatellite(std::size_t number, std::string_view name);

private:
    // Undo snapshots read and restore the display order and its flags.
    friend class undo::DatabaseStateAccess;

    void busy(bool on) const {
        if (busy_)
            busy_(on);
    }
    void loadEntries(bool copyTable, bool checkedAtOpen);
    void rebuildMainFromSlots();
    void rebuildMainKeepingOrder();
    void recomputeUsed();
    void sortGroup(std::span<std::uint16_t> group, unsigned sortFlags);
    std::size_t collect(const ViewRequest& request, ViewSettings& view, std::span<std::uint16_t> out);
    std::size_t collectList(std::size_t list, std::span<std::uint16_t> out);
    bool passesProvider(std::uint16_t number, std::uint8_t mode) const;
    bool passesCa(const ChannelEntry& e, const ViewSettings& view) const;
    std::size_t deleteMarkedIn(std::size_t list);
    void providersToSlotOrder();
    void writeListOrder(std::size_t list, std::span<const std::uint16_t> order);

    using SlotTable = std::array<std::uint16_t, kMaxChannelSlots>;
    // One value per provider number: scratch of attaching and verifying providers, kept so that
    // each pass does not map fresh memory.
    using NumberTable = std::array<std::uint16_t, 65536>;
    NumberTable& numberTable();

    Flash& flash_;
    std::function<void(bool)> busy_;
    std::unique_ptr<std::array<ChannelEntry, kMaxChannelSlots>> entries_;
    std::unique_ptr<SlotTable> main_;
    std::unique_ptr<SlotTable> result_;
    std::unique_ptr<SlotTable> scratch_;
    std::unique_ptr<NumberTable> numberTable_;
    std::uint16_t mainCount_ = 0;
    std::uint16_t resultCount_ = 0;
    std::array<std::uint8_t, kSatelliteNumbers> used_{};
    std::array<std::uint8_t, kSatelliteNumbers> needsSort_{};
    int sortState_ = kRegroupAll;
    bool rebuild_ = false;
    unsigned lastSortFlags_ = kSortByTransponder;
    ViewRequest current_;

    // Providers.
    std::array<std::uint16_t, ProviderWorkArea::kRecordCount> providerList_{};
    std::size_t providerCount_ = 0;
    std::array<std::uint16_t, ProviderWorkArea::kRecordCount> selection_{};
    std::size_t selectionCount_ = 0;
    std::unique_ptr<std::bitset<65536>> selectedNumbers_;
    std::uint16_t singleNumber_ = 0;
    bool providersDirty_ = true;
    int providerSatellite_ = -1;  // satellite filter and provider mode of the last selection
    int providerMode_ = -1;
};

} // namespace cs
