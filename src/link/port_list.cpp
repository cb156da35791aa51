#include "link/port_list.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>

namespace cs::link {

namespace fs = std::filesystem;

namespace {

// Serial-core drivers expose the UART type; 0 means an empty slot (ttyS4..ttyS31 on most PCs).
bool isEmptyUartSlot(const fs::path& entry) {
    std::ifstream in(entry / "type");
    int type = -1;
    return in && (in >> type) && type == 0;
}

} // namespace

bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            // Compare by value: skip leading zeros, then longer is larger, then digit by digit.
            std::size_t zi = i, zj = j;
            while (zi + 1 < ei && a[zi] == '0') ++zi;
            while (zj + 1 < ej && b[zj] == '0') ++zj;
            if (ei - zi != ej - zj)
                return ei - zi < ej - zj;
            const int c = a.compare(zi, ei - zi, b, zj, ej - zj);
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

std::vector<std::string> listSerialDevices(const fs::path& sysClassTty, const fs::path& devDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(sysClassTty, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code linkEc;
        if (!fs::exists(entry / "device", linkEc))
            continue;
        if (isEmptyUartSlot(entry))
            continue;
        names.push_back((devDir / entry.filename()).string());
    }
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

std::vector<std::string> extraPortsFromEnvironment() {
    std::vector<std::string> out;
    const char* env = std::getenv("CHANNELSETTINGS_EXTRA_PORTS");
    if (!env)
        return out;
    std::string s(env);
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t end = s.find(':', start);
        if (end == std::string::npos)
            end = s.size();
        if (end > start)
            out.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

void selectStoredPort(PortList& list, std::string& storedPort) {
    const auto it = std::find(list.names.begin(), list.names.end(), storedPort);
    if (it != list.names.end()) {
        list.selectedIndex = static_cast<int>(it - list.names.begin());
    } else if (!list.names.empty()) {
        list.selectedIndex = 0;
        storedPort = list.names.front();
    } else {
        list.selectedIndex = -1;
        storedPort.clear();
    }
}

PortList enumerateSerialPorts(std::string& storedPort) {
    PortList list;
    list.names = listSerialDevices();
    for (auto& extra : extraPortsFromEnvironment())
        if (std::find(list.names.begin(), list.names.end(), extra) == list.names.end())
            list.names.push_back(std::move(extra));
    selectStoredPort(list, storedPort);
    return list;
}

namespace {

std::string readLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The USB device above a tty's device folder: the first folder upwards that has idVendor.
std::optional<fs::path> usbDeviceOf(fs::path dir) {
    std::error_code ec;
    for (int depth = 0; depth < 8 && !dir.empty() && dir != dir.root_path(); ++depth, dir = dir.parent_path())
        if (fs::exists(dir / "idVendor", ec))
            return dir;
    return std::nullopt;
}

} // namespace

std::string describeSerialDevice(const std::string& name, const fs::path& sysClassTty, const fs::path& byIdDir) {
    std::vector<std::string> parts;
    std::error_code ec;
    const fs::path device = fs::canonical(sysClassTty / name / "device", ec);
    if (!ec) {
        const fs::path driver = fs::read_symlink(device / "driver", ec);
        if (!ec)
            parts.push_back(driver.filename().string());
        if (const auto usb = usbDeviceOf(device)) {
            std::string usbText = "USB " + readLine(*usb / "idVendor") + ":" + readLine(*usb / "idProduct");
            for (const char* field : {"manufacturer", "product"}) {
                const std::string text = readLine(*usb / field);
                if (!text.empty())
                    usbText += " " + text;
            }
            parts.push_back(usbText);
            const std::string serial = readLine(*usb / "serial");
            if (!serial.empty())
                parts.push_back("serial " + serial);
        }
    }
    for (fs::directory_iterator it(byIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        const fs::path target = fs::read_symlink(it->path(), linkEc);
        if (!linkEc && target.filename() == name) {
            parts.push_back(it->path().filename().string());
            break;
        }
    }
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : ", ") + p;
    return out;
}

PortChoices readPortChoices(const std::string& storedPort, const fs::path& sysClassTty, const fs::path& devDir,
                            const fs::path& byIdDir) {
    PortChoices choices;
    std::vector<std::string> paths = listSerialDevices(sysClassTty, devDir);
    for (auto& extra : extraPortsFromEnvironment())
        if (std::find(paths.begin(), paths.end(), extra) == paths.end())
            paths.push_back(std::move(extra));
    for (const auto& path : paths) {
        PortEntry entry;
        entry.path = path;
        const std::string name = fs::path(path).filename().string();
        std::error_code ec;
        if (fs::exists(sysClassTty / name, ec) && path.rfind(devDir.string(), 0) == 0)
            entry.description = describeSerialDevice(name, sysClassTty, byIdDir);
        choices.entries.push_back(std::move(entry));
    }
    if (storedPort.empty()) {
        choices.selectedIndex = choices.entries.empty() ? -1 : 0;
        return choices;
    }
    for (std::size_t i = 0; i < choices.entries.size(); ++i)
        if (choices.entries[i].path == storedPort)
            choices.selectedIndex = static_cast<int>(i);
    if (choices.selectedIndex < 0) {
        PortEntry missing;
        missing.path = storedPort;
        missing.connected = false;
        choices.entries.push_back(std::move(missing));
        choices.selectedIndex = static_cast<int>(choices.entries.size() - 1);
    }
    return choices;
}

std::string portEntryText(const PortEntry& entry) {
    if (!entry.connected)
        return entry.path + " (not connected)";
    if (entry.description.empty())
        return entry.path;
    return entry.path + " - " + entry.description;
}

} // namespace cs::link
