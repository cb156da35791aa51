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

// Orders names so that runs of digits compare by value.
bool naturalLess(const std::string& a, const std::string& b);

} // namespace cs::link
