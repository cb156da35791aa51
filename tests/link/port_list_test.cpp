// Serial port enumeration from a sysfs-like tree and the choice of the stored port.
#include "link/port_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace cs::test {
namespace {

namespace fs = std::filesystem;
using namespace cs::link;

class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("cs-link-sysfs-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "devices/platform");
    }
    void TearDown() override { fs::remove_all(root); }

    // A tty entry; `uartType` >= 0 writes a serial-core "type" file.
    void addTty(const std::string& name, bool withDevice, int uartType = -1) {
        const fs::path entry = root / "class" / name;
        fs::create_directories(entry);
        if (withDevice)
            fs::create_directory_symlink(root / "devices/platform", entry / "device");
        if (uartType >= 0)
            std::ofstream(entry / "type") << uartType << "\n";
    }

    fs::path root;
};

TEST_F(FakeSysfs, ListsDevicesWithHardwareInNaturalOrder) {
    addTty("tty0", false);
    addTty("ttyS0", true, 4);
    addTty("ttyS1", true, 0);  // empty UART slot
    addTty("ttyS10", true, 4);
    addTty("ttyS2", true, 4);
    addTty("ttyUSB0", true);
    addTty("ttyACM0", true);
    addTty("ptmx", false);
    EXPECT_EQ(listSerialDevices(root / "class", "/dev"),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"}));
}

TEST_F(FakeSysfs, MissingTreeGivesNoPorts) { EXPECT_TRUE(listSerialDevices(root / "nothing").empty()); }

TEST(PortList, ExtraPortsComeFromTheEnvironment) {
    ::setenv("CHANNELSETTINGS_EXTRA_PORTS", "/dev/pts/7::/tmp/rx:", 1);
    EXPECT_EQ(extraPortsFromEnvironment(), (std::vector<std::string>{"/dev/pts/7", "/tmp/rx"}));
    std::string storedPort = "/tmp/rx";
    const PortList list = enumerateSerialPorts(storedPort);
    ASSERT_GE(list.names.size(), 2u);
    EXPECT_EQ(list.names[static_cast<std::size_t>(list.selectedIndex)], "/tmp/rx");
    EXPECT_EQ(storedPort, "/tmp/rx");
    ::unsetenv("CHANNELSETTINGS_EXTRA_PORTS");
    EXPECT_TRUE(extraPortsFromEnvironment().empty());
}

TEST(PortList, StoredPortSelection) {
    struct Case {
        std::vector<std::string> names;
        std::string stored;
        int index;
        std::string storedAfter;
    };
    const Case cases[] = {
        {{"/dev/ttyS0", "/dev/ttyS1"}, "/dev/ttyS1", 1, "/dev/ttyS1"},
        {{"/dev/ttyS0", "/dev/ttyS1"}, "/dev/ttyUSB9", 0, "/dev/ttyS0"},
        {{"/dev/ttyS0", "/dev/ttyS1"}, "/DEV/TTYS1", 0, "/dev/ttyS0"},  // exact comparison
        {{}, "/dev/ttyS0", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        PortList list{c.names, -1};
        std::string storedPort = c.stored;
        selectStoredPort(list, storedPort);
        EXPECT_EQ(list.selectedIndex, c.index);
        EXPECT_EQ(storedPort, c.storedAfter);
    }
}

TEST(PortList, NaturalOrderComparesDigitRunsByValue) {
    EXPECT_TRUE(naturalLess("/dev/ttyS2", "/dev/ttyS10"));
    EXPECT_FALSE(naturalLess("/dev/ttyS10", "/dev/ttyS2"));
    EXPECT_TRUE(naturalLess("/dev/ttyS1", "/dev/ttyUSB0"));
    EXPECT_TRUE(naturalLess("COM1", "COM01x"));
    EXPECT_FALSE(naturalLess("same", "same"));
}

} // namespace
} // namespace cs::test

namespace cs::test {
namespace {

// A USB adapter as /sys shows it: tty -> interface folder -> USB device folder with its ids.
class FakeUsbSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("cs-link-usb-" + std::to_string(::getpid()));
        fs::remove_all(root);
        const fs::path usb = root / "devices/usb1/1-1";
        fs::create_directories(usb / "1-1:1.0/ttyUSB0");
        fs::create_directories(root / "drivers/ftdi_sio");
        std::ofstream(usb / "idVendor") << "0403\n";
        std::ofstream(usb / "idProduct") << "6001\n";
        std::ofstream(usb / "manufacturer") << "FTDI\n";
        std::ofstream(usb / "product") << "FT232R USB UART\n";
        std::ofstream(usb / "serial") << "A50285BI\n";
        fs::create_directory_symlink(root / "drivers/ftdi_sio", usb / "1-1:1.0/ttyUSB0/driver");
        fs::create_directories(root / "class/ttyUSB0");
        fs::create_directory_symlink(usb / "1-1:1.0/ttyUSB0", root / "class/ttyUSB0/device");
        fs::create_directories(root / "by-id");
        fs::create_symlink("../../ttyUSB0", root / "by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(FakeUsbSysfs, EntriesSayWhatEachDeviceIs) {
    EXPECT_EQ(describeSerialDevice("ttyUSB0", root / "class", root / "by-id"),
              "ftdi_sio, USB 0403:6001 FTDI FT232R USB UART, serial A50285BI, "
              "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    const PortChoices choices = readPortChoices("/dev/ttyUSB0", root / "class", "/dev", root / "by-id");
    ASSERT_GE(choices.entries.size(), 1u);
    ASSERT_EQ(choices.selectedIndex, 0);
    EXPECT_EQ(portEntryText(choices.entries[0]).rfind("/dev/ttyUSB0 - ftdi_sio, USB 0403:6001", 0), 0u);
}

TEST_F(FakeUsbSysfs, ReadAgainEachTimeAndAMissingStoredPortStaysChosen) {
    // The stored adapter is unplugged: it stays chosen, marked, and nothing else takes its place.
    const PortChoices before = readPortChoices("/dev/ttyUSB1", root / "class", "/dev", root / "by-id");
    ASSERT_EQ(before.entries.size(), 2u);
    EXPECT_EQ(before.entries[0].path, "/dev/ttyUSB0");
    EXPECT_EQ(before.entries[1].path, "/dev/ttyUSB1");
    EXPECT_FALSE(before.entries[1].connected);
    EXPECT_EQ(before.selectedIndex, 1);
    EXPECT_EQ(portEntryText(before.entries[1]), "/dev/ttyUSB1 (not connected)");

    // Plugged in later: the next read shows it.
    fs::create_directories(root / "class/ttyUSB1");
    fs::create_directory_symlink(root / "devices/usb1/1-1/1-1:1.0/ttyUSB0", root / "class/ttyUSB1/device");
    const PortChoices after = readPortChoices("/dev/ttyUSB1", root / "class", "/dev", root / "by-id");
    ASSERT_EQ(after.entries.size(), 2u);
    EXPECT_TRUE(after.entries[1].connected);
    EXPECT_EQ(after.selectedIndex, 1);

    EXPECT_EQ(readPortChoices("", root / "class", "/dev", root / "by-id").selectedIndex, 0);
    EXPECT_EQ(readPortChoices("", root / "nothing", "/dev", root / "by-id").selectedIndex, -1);
}

} // namespace
} // namespace cs::test
