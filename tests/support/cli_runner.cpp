#include "cli_runner.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace cs::clitest {
namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

CliRun runCli(const std::filesystem::path& home, const std::vector<std::string>& args) {
    return runCli(home, args, CliOptions{});
}

CliRun runCli(const std::filesystem::path& home, const std::vector<std::string>& args, const CliOptions& options) {
    std::vector<std::string> argvText{CS_CLI_PATH};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvText)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("HOME=", 0) != 0 && entry.rfind("XDG_DATA_HOME=", 0) != 0)
            envText.push_back(entry);
    }
    envText.push_back("HOME=" + home.string());
    std::vector<char*> envp;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const auto outPath = options.stdoutPath.empty() ? home / ".cli-stdout" : options.stdoutPath;
    const auto errPath = home / ".cli-stderr";
    // Opened here, so that a FIFO's reader is the caller's business and the child starts at once.
    int outFd = -1;
    if (options.stdoutClosedPipe) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            ::close(ends[0]);
            outFd = ends[1];
        }
    } else {
        outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (outFd < 0 || errFd < 0)
        throw std::runtime_error("cannot open the output files of " CS_CLI_PATH);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, 0);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        ::signal(SIGPIPE, options.ignoreSigpipe ? SIG_IGN : SIG_DFL);
        const std::pair<int, long long> limits[] = {{RLIMIT_AS, options.memoryLimit},
                                                   {RLIMIT_FSIZE, options.fileSizeLimit}};
        for (const auto& [resource, value] : limits) {
            if (value <= 0)
                continue;
            rlimit lim{};
            ::getrlimit(resource, &lim);
            lim.rlim_cur = static_cast<rlim_t>(value);
            ::setrlimit(resource, &lim);
        }
        if (options.uid >= 0) {
            ::setgroups(0, nullptr);
            if (::setresgid(options.uid, options.uid, options.uid) != 0 ||
                ::setresuid(options.uid, options.uid, options.uid) != 0)
                ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(outFd);
    ::close(errFd);
    if (pid < 0)
        throw std::runtime_error("cannot start " CS_CLI_PATH);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (options.stdoutPath.empty() && !options.stdoutClosedPipe) {
        run.out = slurp(outPath);
        std::filesystem::remove(outPath);
    }
    run.err = slurp(errPath);
    std::filesystem::remove(errPath);
    return run;
}

} // namespace cs::clitest
