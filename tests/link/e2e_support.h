#pragma once
// End-to-end runs of the transfer controller against the simulated receiver (lrzsz behind a
// relay on pseudo-terminals).
#include "link/transfer_controller.h"
#include "peer_harness.h"
#include "transfer_status_print.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace cs::test {

// Keeps what the controller shows.
class RecordingView final : public cs::link::TransferView {
public:
    void showConnection(const std::string& text) override { connection.push_back(text); }
    void showFile(const std::string& text) override { file = text; }
    void showFileSize(const std::string& text) override { fileSize = text; }
    void showPacket(const std::string& text) override { packet = text; }
    void setProgressMax(std::int64_t max) override { progressMax = max; }
    void setProgress(std::int64_t position) override { progress = position; }
    void portConfirmed() override { ++portWorked; }
    void connectionEnded() override { ++ended; }

    std::vector<std::string> connection;
    std::string file, fileSize, packet;
    std::int64_t progressMax = 0, progress = 0;
    int portWorked = 0;
    int ended = 0;
};

struct ControllerRun {
    cs::link::ConnectionResult result = cs::link::ConnectionResult::NothingYet;
    std::optional<cs::link::TransferStatus> status;  // nullopt when the port never opened
    bool ended = false;
    RecordingView view;
    std::vector<std::string> files;  // engine's files after the transfer
};

struct ControllerJob {
    bool upload = true;
    std::filesystem::path file;    // upload
    std::filesystem::path folder;  // download
    std::string command;           // empty: no command, the engine starts at once
    int engineTimeoutMs = 5000;
    std::chrono::milliseconds limit = std::chrono::seconds(120);
};

// Points the receiver and the job at one file: an upload sends `file` into the receiver's inbox
// under `dir`, a download has the receiver send `file` (1024-byte blocks) into `dir`/rx.
inline void setTransferDirection(bool upload, const std::filesystem::path& dir, const std::filesystem::path& file,
                                 ReceiverOptions& o, ControllerJob& job) {
    if (upload) {
        o.mode = ReceiverOptions::Mode::Receive;
        o.inbox = dir / "inbox";
        job.file = file;
    } else {
        o.mode = ReceiverOptions::Mode::Send;
        o.sendFile = file;
        o.sb1k = true;
        job.upload = false;
        job.folder = dir / "rx";
        std::filesystem::create_directories(job.folder);
    }
}

// Runs one transfer through TransferController on `device` and waits for its end.
inline ControllerRun runController(const std::string& device, const ControllerJob& job) {
    ControllerRun run;
    cs::link::LoopDispatcher ui;
    cs::link::TransferController controller(ui, run.view, cs::link::englishLinkText);
    controller.engine.timeoutMs = job.engineTimeoutMs;
    if (job.upload) {
        controller.engine.direction = cs::link::TransferDirection::Upload;
        controller.engine.files = {job.file.string()};
    } else {
        controller.engine.direction = cs::link::TransferDirection::Download;
        controller.engine.targetFolder = job.folder.string();
    }
    try {
        if (job.command.empty())
            controller.connectDirect(device);
        else
            controller.connect(device, job.command);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "open failed: " << e.what();
        return run;
    }
    run.ended = ui.runUntil([&] { return run.view.ended > 0; }, job.limit);
    if (!run.ended)
        controller.userBreak();
    // The program stays responsive: the UI thread still runs posted work at once.
    bool alive = false;
    ui.post([&] { alive = true; });
    EXPECT_TRUE(ui.runUntil([&] { return alive; }, std::chrono::seconds(2)));
    EXPECT_FALSE(controller.port.isOpen());
    EXPECT_FALSE(controller.engine.isRunning());
    run.result = controller.result;
    run.status = controller.lastStatus();
    run.files = controller.engine.files;
    return run;
}

inline std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        out.push_back(e.path());
    return out;
}

} // namespace cs::test
