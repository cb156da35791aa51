#pragma once
// Renumbering of the providers at save. The channel table is written compacted (the j-th in-use
// slot becomes record j), so the provider numbers are rebuilt in that same order from the
// provider names the channels carry: a name carried by at least two channels becomes a provider,
// numbered in the order its second channel appears.
#include "image/provider_area.h"

#include <cstddef>
#include <string_view>

namespace cs {

// What saving needs from the in-memory database about each channel slot.
class ChannelSlotSource {
public:
    virtual ~ChannelSlotSource() = default;
    virtual bool slotInUse(std::size_t slot) const = 0;
    // The provider name of an in-use slot; empty for none.
    virtual std::string_view providerName(std::size_t slot) const = 0;
};

struct ProviderRebuildResult {
    std::size_t providers = 0;         // providers written (numbers 1..providers)
    std::size_t dropped = 0;           // providers beyond the layout's capacity, not written
    std::size_t channelsUnassigned = 0;// channels of dropped providers, saved without a provider
    bool written = false;              // the work area was updated
};

// Rebuilds the provider numbers and records. The work area is written only when `capacity`
// is non-zero (BA_3 present) and it holds provider_verify; the provider region is never written
// past `capacity` records: providers numbered beyond it are dropped and their channels saved
// with provider number 0. The remaining records up to the 700th are zeroed.
ProviderRebuildResult rebuildProviderArea(ProviderWorkArea& work, const ChannelSlotSource& slots,
                                          std::size_t channelCapacity, std::size_t capacity);

} // namespace cs
