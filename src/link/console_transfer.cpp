#include "link/console_transfer.h"

#include "link/transfer_controller.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <thread>

namespace cs::link {

namespace {

constexpr int kTransferFailed = 4;
constexpr int kBarWidth = 30;

// Controller texts on the console: one redrawn line on a terminal, plain lines otherwise.
class ConsoleView final : public TransferView {
public:
    ConsoleView(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

    void showConnection(const std::string& text) override {
        if (text == connection_)
            return;
        connection_ = text;
        if (terminal_)
            redraw(true);
        else
            printLine(text);
    }
    void showFile(const std::string& text) override {
        if (!terminal_ && !text.empty())
            printLine("File: " + text);
    }
    void showFileSize(const std::string& text) override {
        if (!terminal_ && !text.empty())
            printLine("File size: " + text);
    }
    // The controller sets the position first and then the packet text: progress is shown
    // once both are known.
    void showPacket(const std::string& text) override {
        packet_ = text;
        if (max_ <= 0 || position_ <= 0)
            return;
        const int done = percent();
        if (terminal_) {
            redraw(false);
        } else if (done / 10 != lastTenth_) {
            lastTenth_ = done / 10;
            printLine("Progress: " + std::to_string(done) + "% (" + std::to_string(position_) + " of " +
                      std::to_string(max_) + " bytes, " + packet_ + ")");
        }
    }
    void setProgressMax(std::int64_t max) override {
        max_ = max;
        lastTenth_ = -1;
    }
    void setProgress(std::int64_t position) override { position_ = position; }
    void portFailed(const std::string& reason) override { failure = reason; }
    void connectionEnded() override {
        ended = true;
        if (terminal_ && drawn_) {
            std::fputc('\n', out_);
            std::fflush(out_);
            drawn_ = false;
        }
    }

    bool ended = false;
    std::string failure;

private:
    int percent() const {
        if (max_ <= 0)
            return 0;
        const std::int64_t p = position_ * 100 / max_;
        return static_cast<int>(p > 100 ? 100 : p);
    }

    void printLine(const std::string& text) {
        std::fprintf(out_, "%s\n", text.c_str());
        std::fflush(out_);
    }

    void redraw(bool force) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100) && position_ < max_)
            return;
        lastDraw_ = now;
        std::string line = "\r\033[K" + connection_;
        if (max_ > 0 && position_ > 0) {
            const int filled = percent() * kBarWidth / 100;
            line += " [" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " +
                    std::to_string(percent()) + "% " + std::to_string(position_) + "/" + std::to_string(max_);
        }
        std::fputs(line.c_str(), out_);
        std::fflush(out_);
        drawn_ = true;
    }

    std::FILE* out_;
    const bool terminal_;
    std::string connection_;
    std::string packet_;
    std::int64_t max_ = 0;
    std::int64_t position_ = 0;
    int lastTenth_ = -1;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// Turns SIGINT, SIGTERM and SIGHUP into a call on the UI thread while it lives.
class BreakSignals {
public:
    BreakSignals(UiDispatcher& ui, std::function<void()> onBreak) : ui_(ui), onBreak_(std::move(onBreak)) {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &set_, &old_);
        signalFd_.reset(::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK));
        stopFd_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (signalFd_ && stopFd_)
            thread_ = std::thread([this] { watch(); });
    }
    ~BreakSignals() {
        const std::uint64_t one = 1;
        if (stopFd_)
            [[maybe_unused]] auto n = ::write(stopFd_.get(), &one, sizeof one);
        if (thread_.joinable())
            thread_.join();
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }

private:
    void watch() {
        for (;;) {
            std::array<pollfd, 2> p{{{signalFd_.get(), POLLIN, 0}, {stopFd_.get(), POLLIN, 0}}};
            if (::poll(p.data(), p.size(), -1) < 0 && errno != EINTR)
                return;
            if (p[1].revents)
                return;
            if (p[0].revents) {
                signalfd_siginfo info{};
                while (::read(signalFd_.get(), &info, sizeof info) == sizeof info) {
                }
                ui_.post(onBreak_);
            }
        }
    }

    UiDispatcher& ui_;
    std::function<void()> onBreak_;
    sigset_t set_{};
    sigset_t old_{};
    UniqueFd signalFd_;
    UniqueFd stopFd_;
    std::thread thread_;
};

} // namespace

ConsoleTransferResult runConsoleTransfer(const ConsoleTransfer& request, std::FILE* err) {
    ConsoleTransferResult result;
    LoopDispatcher ui;
    ui.errorSink = [err](std::string_view message) {
        std::fprintf(err, "%.*s\n", static_cast<int>(message.size()), message.data());
    };
    ConsoleView view(err, ::isatty(::fileno(err)) == 1);
    bool aborted = false;
    // Signals are blocked before the port's threads exist, so only the watcher sees them.
    TransferController* controllerPtr = nullptr;
    BreakSignals signals(ui, [&] {
        if (!controllerPtr || aborted)
            return;
        aborted = true;
        const bool running = controllerPtr->engine.isRunning();
        controllerPtr->userBreak();
        if (!running)
            view.connectionEnded();
    });
    TransferController controller(ui, view, englishLinkText);
    controllerPtr = &controller;
    std::vector<std::string> written;
    if (request.upload) {
        controller.engine.direction = TransferDirection::Upload;
        controller.engine.files = {request.file};
    } else {
        controller.engine.direction = TransferDirection::Download;
        controller.engine.targetFolder = request.folder;
        controller.engine.files.clear();
        auto previous = controller.engine.onFileInfo;
        controller.engine.onFileInfo = [previous, &written](const std::string& name, std::int64_t size) {
            written.push_back(name);
            previous(name, size);
        };
    }
    // The receiver has answered once its first file starts.
    bool answered = false;
    bool timedOut = false;
    {
        auto previous = controller.engine.onFileInfo;
        controller.engine.onFileInfo = [previous, &answered](const std::string& name, std::int64_t size) {
            answered = true;
            previous(name, size);
        };
    }

    try {
        if (request.noCommand)
            controller.connectDirect(request.port);
        else
            controller.connect(request.port, request.command);
    } catch (const std::exception& e) {
        std::fprintf(err, "%s\n", e.what());
        std::fprintf(err, "transfer failed: %s\n", "could not open the port");
        result.exitCode = kTransferFailed;
        return result;
    }
    if (aborted && !controller.engine.isRunning())
        view.ended = true;
    if (request.timeoutSeconds > 0) {
        ui.postAfter(std::chrono::seconds(request.timeoutSeconds), [&] {
            if (answered || view.ended || aborted)
                return;
            timedOut = true;
            aborted = true;
            const bool running = controller.engine.isRunning();
            controller.userBreak();
            if (!running)
                view.connectionEnded();
        });
    }
    ui.runUntil([&] { return view.ended; }, std::chrono::hours(24 * 365));
    controllerPtr = nullptr;

    if (controller.result == ConnectionResult::Ok) {
        result.received = written;
        return result;
    }
    // Files completed before a failure stay and are listed; the partial one was deleted.
    const std::size_t complete = controller.engine.files.size();
    result.received.assign(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(std::min(complete, written.size())));
    if (controller.result == ConnectionResult::PortFailed) {
        std::fprintf(err, "%s\n", view.failure.c_str());
        std::fprintf(err, "transfer failed: %s\n", "could not open the port");
    } else if (timedOut) {
        std::fprintf(err, "transfer failed: the receiver did not answer within %d s\n", request.timeoutSeconds);
    } else if (controller.result == ConnectionResult::UserBreak) {
        std::fprintf(err, "transfer failed: %s\n", englishLinkText("Creator_Msg_ConnectBreakUser").c_str());
    } else {
        if (!controller.failureText().empty())
            std::fprintf(err, "%s\n", controller.failureText().c_str());
        std::fprintf(err, "transfer failed: exit code %d\n", statusCode(controller.lastStatus()));
    }
    result.exitCode = kTransferFailed;
    return result;
}

} // namespace cs::link
