// The connection wizard's checks without a window: send paths and sizes, the receive folder's
// medium and free space, and a received image that replaces a file.
#include "wizard/wizard_checks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace cs::test {
namespace {

namespace fs = std::filesystem;
using namespace cs::wizard;

class WizardChecks : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("cs-wizard-" + std::to_string(::getpid()) + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path write(const std::string& name, std::size_t size) {
        std::ofstream(root / name, std::ios::binary) << std::string(size, 'x');
        return root / name;
    }
    fs::path root;
};

TEST_F(WizardChecks, SendPathsAndSizes) {
    EXPECT_EQ(withSendExtension("/home/u/upgrade"), "/home/u/upgrade.dsp");
    EXPECT_EQ(withSendExtension("/home/u.v/upgrade"), "/home/u.v/upgrade.dsp");  // the folder's dot does not count
    EXPECT_EQ(withSendExtension("/home/u/list.bin"), "/home/u/list.bin");
    struct Case {
        std::size_t size;
        bool accepted;
    };
    for (const Case c : {Case{63, false}, Case{64, true}, Case{3145728, true}, Case{3145729, false}}) {
        const auto file = write("f" + std::to_string(c.size), c.size);
        EXPECT_EQ(sendFileSize(file.string()), static_cast<std::int64_t>(c.size));
        EXPECT_EQ(sendSizeAcceptable(sendFileSize(file.string())), c.accepted) << c.size;
    }
    EXPECT_EQ(sendFileSize((root / "missing").string()), 0);
    EXPECT_FALSE(sendSizeAcceptable(0));
    EXPECT_FALSE(sendSizeAcceptable(-1));
}

TEST_F(WizardChecks, MediumFromTheFileSystemAndTheBlockDevice) {
    // A fake /sys/class/block: a fixed disk, a USB stick (removable flag) and a USB disk that
    // calls itself fixed but sits on a USB bus.
    const fs::path devices = root / "devices";
    fs::create_directories(devices / "pci0/ata1/sda/sda1");
    std::ofstream(devices / "pci0/ata1/sda/removable") << "0\n";
    std::ofstream(devices / "pci0/ata1/sda/sda1/partition") << "1\n";
    fs::create_directories(devices / "pci0/usb2/sdb/sdb1");
    std::ofstream(devices / "pci0/usb2/sdb/removable") << "1\n";
    std::ofstream(devices / "pci0/usb2/sdb/sdb1/partition") << "1\n";
    fs::create_directories(devices / "pci0/usb3/sdc");
    std::ofstream(devices / "pci0/usb3/sdc/removable") << "0\n";
    fs::create_directories(root / "block");
    fs::create_directory_symlink(devices / "pci0/ata1/sda/sda1", root / "block/sda1");
    fs::create_directory_symlink(devices / "pci0/usb2/sdb/sdb1", root / "block/sdb1");
    fs::create_directory_symlink(devices / "pci0/usb3/sdc", root / "block/sdc");
    struct Case {
        const char* type;
        const char* source;
        FolderMedium medium;
    };
    const Case cases[] = {
        {"ext4", "/dev/sda1", FolderMedium::FixedLocal},  {"vfat", "/dev/sdb1", FolderMedium::Removable},
        {"ext4", "/dev/sdc", FolderMedium::Removable},    {"iso9660", "/dev/sr0", FolderMedium::Removable},
        {"nfs4", "server:/home", FolderMedium::Network},  {"cifs", "//nas/share", FolderMedium::Network},
        {"proc", "proc", FolderMedium::Pseudo},           {"overlay", "overlay", FolderMedium::FixedLocal},
        {"tmpfs", "tmpfs", FolderMedium::FixedLocal},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mediumOf(c.type, c.source, root / "block"), c.medium) << c.type << " " << c.source;
}

TEST_F(WizardChecks, ReceiveFolderOnARemovableMountIsRefusedWhateverItsSpace) {
    fs::create_directories(root / "devices/usb1/sdb/sdb1");
    std::ofstream(root / "devices/usb1/sdb/removable") << "1\n";
    std::ofstream(root / "devices/usb1/sdb/sdb1/partition") << "1\n";
    fs::create_directories(root / "block");
    fs::create_directory_symlink(root / "devices/usb1/sdb/sdb1", root / "block/sdb1");
    const std::string folder = fs::canonical(root).string();
    // The folder as if it were the stick's mount point, and as if it were on the root disk.
    std::ofstream(root / "mountinfo") << "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                                      << "40 22 8:17 / " << folder << " rw,nosuid - vfat /dev/sdb1 rw\n";
    const FolderCheck stick = checkReceiveFolder(root, root / "mountinfo", root / "block");
    EXPECT_EQ(stick.medium, FolderMedium::Removable);
    EXPECT_FALSE(stick.ok());
    std::ofstream(root / "mountinfo2") << "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n";
    const FolderCheck disk = checkReceiveFolder(root, root / "mountinfo2", root / "block");
    EXPECT_EQ(disk.medium, FolderMedium::FixedLocal);
    EXPECT_GE(disk.freeMiB, 0);
    EXPECT_EQ(disk.ok(), disk.freeMiB >= kMinFreeMiB);
    EXPECT_EQ(checkReceiveFolder(root / "missing").medium, FolderMedium::Unknown);
}

// A mount holds a folder only on a path boundary: a share mounted at .../nas does not hold
// .../nas-backup/x, whose name merely begins the same way.
TEST_F(WizardChecks, TheFoldersMountIsFoundOnAPathBoundary) {
    for (const char* folder : {"nas/x", "nas-backup/x", "nasx"})
        fs::create_directories(root / folder);
    const std::string base = fs::canonical(root).string();
    std::ofstream(root / "mountinfo") << "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                                      << "41 22 0:52 / " << base << "/nas rw,relatime - nfs4 server:/share rw\n";
    struct Case {
        const char* folder;
        FolderMedium medium;
    };
    for (const Case c : {Case{"nas", FolderMedium::Network}, Case{"nas/x", FolderMedium::Network},
                         Case{"nas-backup/x", FolderMedium::FixedLocal}, Case{"nasx", FolderMedium::FixedLocal}})
        EXPECT_EQ(checkReceiveFolder(root / c.folder, root / "mountinfo", root / "block").medium, c.medium) << c.folder;
}

TEST_F(WizardChecks, AReceivedImageReplacesAFileOnlyWithItsBackupKept) {
    std::ofstream(root / "list.dsp") << "old";
    std::ofstream(root / "list.BAK") << "older";
    std::ofstream(root / "list-1.dsp") << "received";
    EXPECT_EQ(takeWantedName(root / "list-1.dsp", root / "list.dsp"), root / "list.dsp");
    std::ifstream now(root / "list.dsp"), backup(root / "list.BAK");
    std::string a, b;
    now >> a;
    backup >> b;
    EXPECT_EQ(a, "received");
    EXPECT_EQ(b, "old");
    EXPECT_FALSE(fs::exists(root / "list-1.dsp"));
    // Nothing to replace: the file keeps the name it was written under.
    std::ofstream(root / "other.dsp") << "x";
    EXPECT_EQ(takeWantedName(root / "other.dsp", root / "other.dsp"), root / "other.dsp");
    EXPECT_EQ(takeWantedName(root / "new-1.dsp", root / "new.dsp"), root / "new-1.dsp");
}

} // namespace
} // namespace cs::test
