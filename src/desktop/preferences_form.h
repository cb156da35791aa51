#pragma once
// What the preferences dialog shows and what its OK changes: the five option boxes over the
// stored option bits, and the serial port choice.
#include <cstdint>
#include <string>
#include <vector>

namespace cs::desktop {

struct PreferenceBoxes {
    bool closeEndsProgram = false;   // bit 0
    bool multipleInstances = false;  // bit 1
    bool dragDropDisabled = false;   // bit 2
    bool noDatabaseAtStart = false;  // bit 3
    bool startAtLogon = false;       // bit 4
    bool operator==(const PreferenceBoxes&) const = default;
};

// The bits the dialog owns; every other bit belongs to other windows and is never touched here.
std::int32_t preferenceFlagsMask();
PreferenceBoxes boxesFromFlags(std::int32_t flags);
std::int32_t flagsWithBoxes(std::int32_t flags, const PreferenceBoxes& boxes);

struct PortEntry {
    std::string name;
    bool connected = true;  // false: the stored port, not found on the machine now
};

struct PortChoices {
    std::vector<PortEntry> entries;
    int selected = -1;  // -1: none
};

// The ports found, with the stored one selected. A stored port that is not found (an adapter
// unplugged) is listed after them as not connected and stays selected, instead of being replaced
// by another device.
PortChoices portChoices(const std::vector<std::string>& found, const std::string& storedPort);

// The port OK stores: the entry the user left selected, or the stored port when none is.
std::string portToStore(const PortChoices& choices, int selectedIndex, const std::string& storedPort);

// The serial ports on the machine now (re-read every time it is called).
std::vector<std::string> foundSerialPorts();

} // namespace cs::desktop
