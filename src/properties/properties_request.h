#pragma once
// What the properties dialog is opened for, and what its OK wrote, as plain values: the main
// window and the editing commands ask through these without knowing the dialog.
#include <cstdint>

#include "image/settings_group.h"

namespace cs::properties {

// What OK wrote; the numbers are the dialog's result levels.
enum class ChangeLevel : int {
    None = 0,       // nothing written (Cancel, or OK without a change)
    Written = 1,    // fields written
    Placement = 2,  // a field that decides where the channel sorts or how it is tuned
};

struct PropertiesRequest {
    enum class Purpose { Channel, Settings } purpose = Purpose::Channel;
    std::uint16_t channelSlot = 0;                        // Channel: slot of the first selected channel
    SettingsGroup settingsGroup = SettingsGroup::Receiver;  // Settings: the page to show
    int presetSatellite = 0;  // 1..63: the Satellites page on that satellite, whatever the group
};

} // namespace cs::properties
