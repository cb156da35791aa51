#pragma once
// A YModem engine on a real port, the far end scripted by the test on another thread.
#include "link/serial_port.h"
#include "link/ymodem.h"
#include "peer_harness.h"
#include "pty_peer.h"
#include "transfer_status_print.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace cs::test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("cs-link-engine-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        port.setLockFolder(lockFolder.path());  // never the machine's own
        port.setDeviceName(peer.path());
        port.setBaudRate(cs::link::BaudRate::Bps115200);
        port.setClosePauseMs(0);
        port.open();
        modem.attachTo(&port);
        modem.timeoutMs = 2000;
        modem.onError = [this](cs::link::TransferStatus error, int count) { errors.emplace_back(error, count); };
        modem.onFileInfo = [this](const std::string& name, std::int64_t size) { fileInfos.emplace_back(name, size); };
        modem.onPacket = [this](int packet, std::int64_t bytes) { packets.emplace_back(packet, bytes); };
        modem.onTransferEnd = [this](cs::link::TransferStatus status) { endStatus = status; };
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Starts the engine, runs `script` as the far end, and returns how the transfer ended
    // (nullopt when it did not end within `limit`).
    std::optional<cs::link::TransferStatus> run(std::function<void()> script, std::chrono::milliseconds limit = 30s) {
        // start() purges the input, so the far end starts talking only afterwards.
        modem.start();
        std::thread far(std::move(script));
        const bool ended = ui.runUntil([this] { return endStatus.has_value(); }, limit);
        far.join();
        EXPECT_TRUE(ended) << "transfer did not end";
        return endStatus;
    }

    std::filesystem::path writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        auto path = folder / name;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    static std::vector<std::uint8_t> pattern(std::size_t n, unsigned seed = 7) {
        std::vector<std::uint8_t> v(n);
        unsigned x = seed;
        for (auto& b : v) {
            x = x * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(x >> 16);
        }
        return v;
    }

    TempDir lockFolder;
    cs::link::LoopDispatcher ui;
    PtyPeer peer;
    cs::link::SerialPort port{ui};
    cs::link::YModemTransfer modem{ui};
    std::vector<std::pair<cs::link::TransferStatus, int>> errors;
    std::vector<std::pair<std::string, std::int64_t>> fileInfos;
    std::vector<std::pair<int, std::int64_t>> packets;
    std::optional<cs::link::TransferStatus> endStatus;
    std::filesystem::path folder;
};

} // namespace cs::test
