#pragma once
// The machine's serial ports, as offered by the connection wizard and the preferences dialog.
#include <filesystem>
#include <string>
#include <vector>

namespace cs::link {

struct PortList {
    std::vector<std::string> names;
    int selectedIndex = -1;  // -1: none selected
};

// The tty devices under `sysClassTty` that have a device behind them (serial ports, USB
// adapters, modems), as paths under `devDir`, in natural order (ttyS2 before ttyS10). Standard
// UART slots the kernel reserves without hardware behind them are left out.
std::vector<std::string> listSerialDevices(const std::filesystem::path& sysClassTty = "/sys/class/tty",
                                           const std::filesystem::path& devDir = "/dev");

// The paths listed in CHANNELSETTINGS_EXTRA_PORTS (colon-separated), in their order.
std::vector<std::string> extraPortsFromEnvironment();

// Selects the stored port name `storedPort` (exact comparison); when it is not in the list, selects
// the first entry and stores its name, or selects none and stores "" when the list is empty.
void selectStoredPort(PortList& list, std::string& storedPort);

// The serial devices followed by the extra ports (each name once), with `storedPort` selected.
PortList enumerateSerialPorts(std::string& storedPort);

// One choice of the wizard's port list: a device path and what it is.
struct PortEntry {
    std::string path;
    // Driver, USB vendor:product, maker and product names, serial number and the
    // /dev/serial/by-id name, as far as known; empty when nothing is known.
    std::string description;
    bool connected = true;  // false: the stored port, which is not there now
};

struct PortChoices {
    std::vector<PortEntry> entries;
    int selectedIndex = -1;  // -1: none
};

// What /sys knows about the tty `name` ("ttyUSB0"), and its /dev/serial/by-id name.
std::string describeSerialDevice(const std::string& name, const std::filesystem::path& sysClassTty = "/sys/class/tty",
                                 const std::filesystem::path& byIdDir = "/dev/serial/by-id");

// The ports as they are now (read each time it is called: an adapter plugged in since shows up).
// The stored port stays chosen: when it is missing it is listed, marked as not connected,
// instead of being replaced by another device. With no stored port the first entry is chosen.
PortChoices readPortChoices(const std::string& storedPort,
                            const std::filesystem::path& sysClassTty = "/sys/class/tty",
                            const std::filesystem::path& devDir = "/dev",
                            const std::filesystem::path& byIdDir = "/dev/serial/by-id");

// "path - description", or "path (not connected)".
std::string portEntryText(const PortEntry& entry);

// Orders names so that runs of digits compare by value.
bool naturalLess(const std::string& a, const std::string& b);

} // namespace cs::link
