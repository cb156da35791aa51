#include "wizard/wizard_checks.h"

#include "common/atomic_file.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <array>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace cs::wizard {

namespace fs = std::filesystem;

namespace {

struct Mount {
    std::string point;
    std::string fsType;
    std::string source;
};

// mountinfo escapes blanks and a few other bytes as \ooo.
std::string unescapeMountField(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string oct = s.substr(i + 1, 3);
            if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(oct, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The mount that holds `path`: the longest mount point that is a prefix of it.
bool findMount(const fs::path& mountInfo, const std::string& path, Mount& out) {
    std::ifstream in(mountInfo);
    std::string line;
    std::size_t best = 0;
    bool found = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string word;
        while (fields >> word)
            f.push_back(word);
        // id parent major:minor root mount-point options [optional...] - type source super
        std::size_t dash = 0;
        for (std::size_t i = 6; i < f.size(); ++i)
            if (f[i] == "-") {
                dash = i;
                break;
            }
        if (dash == 0 || dash + 2 >= f.size())
            continue;
        const std::string point = unescapeMountField(f[4]);
        const bool under = path == point || point == "/" ||
                           (path.rfind(point, 0) == 0 && path.size() > point.size() && path[point.size()] == '/');
        if (!under || point.size() < best)
            continue;
        best = point.size();
        out = {point, f[dash + 1], unescapeMountField(f[dash + 2])};
        found = true;
    }
    return found;
}

bool readFlag(const fs::path& file) {
    std::ifstream in(file);
    int v = 0;
    return (in >> v) && v != 0;
}

} // namespace

std::string withSendExtension(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    if (name.find('.') != std::string::npos)
        return path;
    return path + ".dsp";
}

std::int64_t sendFileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec))
        return 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::close(fd);
    return size < 0 ? -1 : static_cast<std::int64_t>(size);
}

bool sendSizeAcceptable(std::int64_t size) { return size >= kMinSendSize && size <= kMaxSendSize; }

FolderMedium mediumOf(const std::string& fsType, const std::string& source, const fs::path& sysBlock) {
    static const std::array<std::string_view, 12> kNetwork{"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs",
                                                           "9p", "fuse.sshfs", "fuse.rclone", "ceph", "glusterfs"};
    static const std::array<std::string_view, 12> kPseudo{"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2",
                                                          "debugfs", "tracefs", "securityfs", "pstore", "configfs",
                                                          "mqueue"};
    for (auto t : kNetwork)
        if (fsType == t)
            return FolderMedium::Network;
    for (auto t : kPseudo)
        if (fsType == t)
            return FolderMedium::Pseudo;
    if (fsType == "iso9660" || fsType == "udf")
        return FolderMedium::Removable;
    if (source.rfind("/dev/", 0) == 0) {
        std::error_code ec;
        const std::string name = fs::path(source).filename().string();
        fs::path entry = sysBlock / name;
        if (fs::exists(entry, ec)) {
            // A partition's disk is its parent folder in /sys/devices.
            fs::path device = fs::canonical(entry, ec);
            if (!ec && fs::exists(device / "partition", ec))
                device = device.parent_path();
            if (!ec && (readFlag(device / "removable") || device.string().find("/usb") != std::string::npos))
                return FolderMedium::Removable;
        }
    }
    return FolderMedium::FixedLocal;
}

FolderCheck checkReceiveFolder(const fs::path& folder, const fs::path& mountInfo, const fs::path& sysBlock) {
    FolderCheck check;
    std::error_code ec;
    const fs::path real = fs::canonical(folder, ec);
    if (ec)
        return check;
    struct statvfs vfs {};
    if (::statvfs(real.c_str(), &vfs) != 0)
        return check;
    check.freeMiB = static_cast<std::int64_t>(static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize / 1048576ull);
    Mount mount;
    if (!findMount(mountInfo, real.string(), mount))
        return check;
    check.medium = mediumOf(mount.fsType, mount.source, sysBlock);
    if (check.medium == FolderMedium::FixedLocal && ((vfs.f_flag & ST_RDONLY) || ::access(real.c_str(), W_OK) != 0))
        check.medium = FolderMedium::ReadOnly;
    return check;
}

fs::path takeWantedName(const fs::path& written, const fs::path& wanted) {
    std::error_code ec;
    if (written == wanted || !fs::exists(written, ec) || !fs::exists(wanted, ec))
        return written;
    const fs::path backup = cs::backupPathFor(wanted);
    fs::rename(wanted, backup, ec);
    if (ec)
        return written;  // the previous file cannot be kept: it is not replaced either
    fs::rename(written, wanted, ec);
    if (ec) {
        fs::rename(backup, wanted, ec);
        return written;
    }
    return wanted;
}

bool usablePortPath(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace cs::wizard
