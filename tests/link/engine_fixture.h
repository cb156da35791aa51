#pragma once
// A YModem engine on a real port, the far end scripted by the test on another thread.
#include "link/comm.h"
#include "link/ymodem.h"
#include "pty_peer.h"

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
        port.SetDeviceName(peer.path());
        port.SetBaudrate(cs::link::TVaBaudrate::br115200);
        port.SetClosePauseMs(0);
        port.Open();
        modem.SetComm(&port);
        modem.Timeout = 2000;
        modem.OnError = [this](int code, int count) { errors.emplace_back(code, count); };
        modem.OnFileInfo = [this](const std::string& name, std::int64_t size) { fileInfos.emplace_back(name, size); };
        modem.OnPacketEvent = [this](int packet, std::int64_t bytes) { packets.emplace_back(packet, bytes); };
        modem.OnTransferEnd = [this](int code) { endCode = code; };
        folder = std::filesystem::temp_directory_path() /
                 ("cs-link-engine-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Starts the engine, runs `script` as the far end, and returns the exit code.
    int run(std::function<void()> script, std::chrono::milliseconds limit = 30s) {
        // Execute purges the input, so the far end starts talking only afterwards.
        modem.Execute();
        std::thread far(std::move(script));
        const bool ended = ui.runUntil([this] { return endCode.has_value(); }, limit);
        far.join();
        EXPECT_TRUE(ended) << "transfer did not end";
        return endCode.value_or(999);
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

    cs::link::LoopDispatcher ui;
    PtyPeer peer;
    cs::link::TVaComm port{ui};
    cs::link::TVaYModem modem{ui};
    std::vector<std::pair<int, int>> errors;
    std::vector<std::pair<std::string, std::int64_t>> fileInfos;
    std::vector<std::pair<int, std::int64_t>> packets;
    std::optional<int> endCode;
    std::filesystem::path folder;
};

} // namespace cs::test
