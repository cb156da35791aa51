#pragma once
// The channel pages' working values: taken from one channel record and its entry when the dialog
// opens, changed by the boxes and lists, and written back on OK only where they differ. A list
// position of nothing means "no selection": the field keeps its stored value.
#include "database/channel_entry.h"
#include "image/channel_record.h"
#include "properties/number_input.h"
#include "properties/properties_request.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cs::properties {


// What the channel is tuned by; decides which transponder tab is shown.
enum class Delivery { Satellite, Terrestrial, Cable };
Delivery deliveryOf(std::uint8_t satellite);

struct ChannelForm {
    std::optional<int> satellitePosition;     // satellite number - 1
    std::optional<int> polarisation;          // 0 "Hor", 1 "Ver"
    std::optional<int> fec;                   // codes 0..5
    std::optional<int> audioMode;             // 0..3
    std::optional<int> caPriority;            // 0..15
    std::optional<int> cableConstellation;    // code - 2 (codes 2..6)
    bool scrambled = false;
    bool parentalLock = false;
    Pending frequency, symbolRate, videoPid, audioPid, serviceId, pmtPid;
    std::optional<std::string> name;          // set when the name box was edited
    std::string terrestrialFrequency;         // text of the DVB-T frequency list, MHz
    std::string cableFrequency;               // text of the DVB-C frequency list, MHz
    std::string cableSymbolRate;              // text of the DVB-C symbol-rate box
};

// Number of entries of the FEC list (codes 0..5; 6 "auto" and 7 have none).
inline constexpr int kFecEntries = 6;
// DVB-C constellations offered: codes 2..6.
inline constexpr int kFirstCableConstellation = 2;
inline constexpr int kCableConstellationEntries = 5;

ChannelForm loadChannelForm(const ChannelRecord& record, const ChannelEntry& entry);

// Two of video, audio and PMT PID are equal and neither is blank nor 0.
bool pidsMirrored(const ChannelForm& form);

struct ChannelWriteResult {
    enum class Outcome { Written, SamePid, BadParameter } outcome = Outcome::Written;
    ChangeLevel level = ChangeLevel::None;
};

// OK on the channel pages. Refuses (and changes nothing) when PIDs are mirrored or a DVB-T/DVB-C
// frequency or symbol rate does not fit its 16-bit field.
ChannelWriteResult writeChannelForm(const ChannelForm& form, ChannelRecord& record, ChannelEntry& entry);

// The 57 European broadcast channel centre frequencies as "%.1f" MHz: VHF 5..12, UHF 21..69.
std::vector<std::string> terrestrialChannelFrequencies();
// "%.1f" of a DVB-T/DVB-C frequency field (units of 0.1 MHz).
std::string tenthMegahertzText(std::uint16_t field);

} // namespace cs::properties
