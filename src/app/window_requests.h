#pragma once
// What the main window asks of the windows that other parts of the program provide, as plain
// values, so that the window and those dialogs agree without knowing each other's classes.
#include <cstdint>

namespace cs::app {

// What the properties dialog opens for.
struct PropertiesRequest {
    enum class Purpose { Channel, Settings };
    Purpose purpose = Purpose::Channel;
    std::uint16_t channelSlot = 0;  // Channel: slot of the first selected channel
    int settingsRowType = 0;        // Settings: row type of the settings list (0, 1, 2, 3, 5, 6)
    int presetSatellite = 0;        // Settings: 1..63 opens the satellites page on that satellite
};

// What the properties dialog wrote; the window refreshes accordingly.
enum class PropertiesChange {
    None = 0,       // nothing written (Cancel, or OK without a change)
    Written = 1,    // something written
    Placement = 2,  // a channel changed where it sorts or how it is tuned
};

// The start channel of the receiver as the favourite-list chooser presets and hands it back.
struct StartChannelChoice {
    int startChannel = -1;  // 1-based position in the list; -1 none, 0 no row selected
    int startList = 1;      // 1-based favourite-list number
    bool confirmed = false; // OK on a row other than the first, or a double-click on a row
};

} // namespace cs::app
