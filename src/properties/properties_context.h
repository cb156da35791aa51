#pragma once
// What the properties dialog works on, handed in by the main window: the database with its
// working image, the display texts (and through them the active language), the stored settings
// (the hex option), the log the satellite dump goes to, the start-channel chooser and the clock.
#include "properties/receiver_form.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cs {
class ChannelDatabase;
class DisplayTexts;
class MemoryLog;
class StoredSettings;
} // namespace cs

namespace cs::properties {

// The receiver's start channel as the favourite-list chooser presets and hands it back.
struct StartChannel {
    int list = 1;      // favourite list, from 1
    int channel = -1;  // channel within the list, from 1; -1 none
};

struct PropertiesContext {
    ChannelDatabase* database = nullptr;
    const DisplayTexts* texts = nullptr;
    StoredSettings* storedSettings = nullptr;
    MemoryLog* log = nullptr;
    // The favourite-list chooser; nothing when the user cancelled. Empty: no chooser (the
    // receiver page's button stays disabled).
    std::function<std::optional<StartChannel>(const StartChannel& preset)> chooseStartChannel;
    // Whether a chooser is there now (it may be plugged in after the dialog was made); empty:
    // whenever chooseStartChannel is set.
    std::function<bool()> hasStartChannelChooser;
    std::shared_ptr<const ClockSource> clock = std::make_shared<SystemClock>();
};

} // namespace cs::properties
