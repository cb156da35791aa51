// Fuzz target of the clipboard blocks another editor process hands over: the first byte says
// how many of the following bytes are the info block, the rest is the data block. Whatever they
// hold, decoding stays within them, hands back at most the whole entries present, and every
// channel it hands back has a satellite number 1..65 and names that keep the name rules.
#include "editing/clipboard_blocks.h"
#include "editing/name_rules.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

using namespace cs;
using namespace cs::editing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t infoSize = std::min<std::size_t>(data[0] % 16, size - 1);
    // Copies of exactly the given lengths, so that ASan sees any read past them.
    const std::vector<std::uint8_t> info(data + 1, data + 1 + infoSize);
    const std::vector<std::uint8_t> block(data + 1 + infoSize, data + size);
    const DecodedClipboard decoded = decodeClipboard(info, block);
    if (decoded.channels.size() + decoded.dropped > block.size() / kDataEntrySize)
        std::abort();
    for (const PastedChannel& c : decoded.channels) {
        const unsigned satellite = c.record.satellite();
        if (satellite < kFirstSatellite || satellite > kSatelliteDvbC)
            std::abort();
        for (char ch : c.record.name())
            if (!nameCharacter(static_cast<unsigned char>(ch)))
                std::abort();
        if (c.record.bytes()[channel_field::kNameSize - 1] != 0)
            std::abort();
        for (char ch : c.providerName)
            if (!nameCharacter(static_cast<unsigned char>(ch)))
                std::abort();
        if (c.providerName.size() > ChannelEntry::kProviderNameMax)
            std::abort();
    }
    return 0;
}
