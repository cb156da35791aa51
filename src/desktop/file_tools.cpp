#include "desktop/file_tools.h"

#include "common/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

extern char** environ;

namespace cs {
namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};


} // namespace

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string result(folder);
    while (!result.empty() && result.back() == '/')
        result.pop_back();
    result += '/';
    while (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    result += name;
    return result;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    std::string content;
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(n));
    }
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool writeFileAtomically(const std::string& path, std::string_view content) {
    // A symbolic link (a dotfile kept elsewhere) stays a link: its target is replaced.
    std::error_code ec;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(target, ec)) {
        target = std::filesystem::weakly_canonical(target, ec);
        if (ec)
            return false;
    }
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ec);
        if (ec)
            return false;
    }
    const std::span<const std::uint8_t> parts[] = {
        {reinterpret_cast<const std::uint8_t*>(content.data()), content.size()}};
    return writeFileAtomically(target, parts, AtomicWriteOptions{}).ok;
}

bool removeFileIfExists(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string findTool(std::string_view name, std::string_view searchPath) {
    if (name.empty() || name.find('/') != std::string_view::npos)
        return {};
    while (true) {
        auto colon = searchPath.find(':');
        std::string_view folder = searchPath.substr(0, colon);
        // Only absolute folders: an empty or relative entry would mean the current folder.
        if (!folder.empty() && folder.front() == '/') {
            std::string candidate = joinPath(folder, name);
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            return {};
        searchPath.remove_prefix(colon + 1);
    }
}

bool runTool(std::string_view name, const std::vector<std::string>& args, std::string_view searchPath,
             int timeoutMs) {
    std::string program = findTool(name, searchPath);
    if (program.empty())
        return false;

    std::vector<char*> argv;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (auto& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            return false;
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace cs
