#pragma once
// The connection wizard's decisions, without a window: the checks of the page where the user
// chooses what to send or where to receive, the receive folder's medium and free space, and what
// happens to a file a received image replaces.
#include <cstdint>
#include <filesystem>
#include <string>

namespace cs::wizard {

// Sizes a file to send may have.
inline constexpr std::int64_t kMinSendSize = 64;
inline constexpr std::int64_t kMaxSendSize = 3145728;
// Free space a receive folder needs, in whole MiB.
inline constexpr std::int64_t kMinFreeMiB = 2;

// The send path with ".dsp" added when its file-name part holds no ".".
std::string withSendExtension(const std::string& path);

// Length of the file at `path`: 0 when it does not exist, -1 when it cannot be opened.
std::int64_t sendFileSize(const std::string& path);
bool sendSizeAcceptable(std::int64_t size);

// Where the receive folder lives and why it may not take a received image.
enum class FolderMedium {
    FixedLocal,    // a local, writable disk: fine
    Removable,     // a removable medium (USB stick, card, disc)
    Network,       // a network file system
    Pseudo,        // proc, sysfs and the like
    ReadOnly,
    Unknown,       // the folder cannot be examined
};

struct FolderCheck {
    FolderMedium medium = FolderMedium::Unknown;
    std::int64_t freeMiB = 0;  // free bytes for this user divided by 1048576, rounded down
    bool ok() const { return medium == FolderMedium::FixedLocal && freeMiB >= kMinFreeMiB; }
};

// Examines the file system of `folder`: its mount in `mountInfo` (a /proc/self/mountinfo file),
// the block device behind it in `sysBlock` (/sys/class/block) and statvfs. A block device is
// removable when its disk says so ("removable" 1) or sits on a USB bus.
FolderCheck checkReceiveFolder(const std::filesystem::path& folder,
                               const std::filesystem::path& mountInfo = "/proc/self/mountinfo",
                               const std::filesystem::path& sysBlock = "/sys/class/block");
// The medium of a mount from its file system type and source device (the part of the check
// that needs no statvfs).
FolderMedium mediumOf(const std::string& fsType, const std::string& source, const std::filesystem::path& sysBlock);

// After a receive: the engine never overwrites, so a file of the wanted name got a free name
// (`written`, "list-1.dsp"). When the user agreed to replace `wanted`, the previous file becomes
// its ".BAK" (replacing an older one) and the received file takes the name. Returns the path the
// received image has in the end.
std::filesystem::path takeWantedName(const std::filesystem::path& written, const std::filesystem::path& wanted);

// A serial port the user typed instead of choosing it: only a character device (a tty, a
// pseudo-terminal, /dev/rfcomm0) can be one.
bool usablePortPath(const std::string& path);

} // namespace cs::wizard
