#pragma once
// End-to-end runs of the transfer controller against the simulated receiver (lrzsz behind a
// relay on pseudo-terminals).
#include "link/transfer_controller.h"
#include "peer_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cs::test {

// Keeps what the controller shows.
class RecordingView final : public cs::link::TransferView {
public:
    void ShowConnection(const std::string& text) override { connection.push_back(text); }
    void ShowFile(const std::string& text) override { file = text; }
    void ShowFileSize(const std::string& text) override { fileSize = text; }
    void ShowPacket(const std::string& text) override { packet = text; }
    void SetProgressMax(std::int64_t max) override { progressMax = max; }
    void SetProgress(std::int64_t position) override { progress = position; }
    void PortWorked() override { ++portWorked; }
    void ConnectionEnded() override { ++ended; }

    std::vector<std::string> connection;
    std::string file, fileSize, packet;
    std::int64_t progressMax = 0, progress = 0;
    int portWorked = 0;
    int ended = 0;
};

struct ControllerRun {
    int linkResult = -1;
    int exitCode = 999;
    bool ended = false;
    RecordingView view;
    std::vector<std::string> files;  // engine's Files after the transfer
};

struct ControllerJob {
    bool upload = true;
    std::filesystem::path file;    // upload
    std::filesystem::path folder;  // download
    std::string command;           // empty: no command, the engine starts at once
    int engineTimeoutMs = 5000;
    std::chrono::milliseconds limit = std::chrono::seconds(120);
};

// Runs one transfer through TFDump on `device` and waits for its end.
inline ControllerRun runController(const std::string& device, const ControllerJob& job) {
    ControllerRun run;
    cs::link::LoopDispatcher ui;
    cs::link::TFDump dump(ui, run.view, cs::link::EnglishLinkText);
    dump.VaYModem.Timeout = job.engineTimeoutMs;
    if (job.upload) {
        dump.VaYModem.Mode = cs::link::TVaTransferMode::tmUpload;
        dump.VaYModem.Files = {job.file.string()};
    } else {
        dump.VaYModem.Mode = cs::link::TVaTransferMode::tmDownload;
        dump.VaYModem.TargetFolder = job.folder.string();
    }
    try {
        if (job.command.empty())
            dump.OpenDirect(device);
        else
            dump.OpenLink(device, job.command);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "open failed: " << e.what();
        return run;
    }
    run.ended = ui.runUntil([&] { return run.view.ended > 0; }, job.limit);
    if (!run.ended)
        dump.Break();
    // The program stays responsive: the UI thread still runs posted work at once.
    bool alive = false;
    ui.post([&] { alive = true; });
    EXPECT_TRUE(ui.runUntil([&] { return alive; }, std::chrono::seconds(2)));
    EXPECT_FALSE(dump.VaComm.Active());
    EXPECT_FALSE(dump.VaYModem.GetIsActive());
    run.linkResult = dump.LinkResult;
    run.exitCode = dump.LastExitCode();
    run.files = dump.VaYModem.Files;
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
