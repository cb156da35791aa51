// Sending a settings image (590912 bytes) and a 3 MiB file to lrzsz's rb through the simulated
// receiver: this engine beside lrzsz's sb on the same relay, then this engine on a throttled
// line. Each iteration is one whole transfer, timed from start to the sender's end; the
// throttled run also reports the rate of its data phase (first to last data block) against the
// line's YModem-1K limit.
//   build/bin/bench_link
#include "link/serial_port.h"
#include "link/transfer_controller.h"
#include "link/ymodem.h"
#include "peer_harness.h"
#include "pty_peer.h"

#include <thread>

#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>

namespace {

using namespace cs::link;
using namespace cs::test;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kLineBytesPerSec = 11520;  // 115200 baud, 8N1

struct EngineRun {
    std::optional<TransferStatus> status;  // nullopt when the transfer did not end
    double seconds = 0;
    double dataSeconds = 0;  // from the first data block sent to the last one acknowledged
};

EngineRun sendWithEngine(const std::string& device, const std::filesystem::path& file) {
    LoopDispatcher ui;
    SerialPort port(ui);
    YModemTransfer modem(ui);
    port.setDeviceName(device);
    port.setBaudRate(BaudRate::Bps115200);
    port.setClosePauseMs(0);
    port.open();
    modem.attachTo(&port);
    modem.timeoutMs = 5000;
    modem.direction = TransferDirection::Upload;
    modem.files = {file.string()};
    std::optional<TransferStatus> end;
    Clock::time_point dataStart{}, dataEnd{};
    modem.onFileInfo = [&](const std::string&, std::int64_t) { dataStart = Clock::now(); };
    modem.onPacket = [&](int, std::int64_t) { dataEnd = Clock::now(); };
    modem.onTransferEnd = [&](TransferStatus status) { end = status; };
    const auto start = Clock::now();
    modem.start();
    ui.runUntil([&] { return end.has_value(); }, std::chrono::minutes(10));
    EngineRun r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.dataSeconds = std::chrono::duration<double>(dataEnd - dataStart).count();
    r.status = end;
    return r;
}

ReceiverOptions receiverFor(const TempDir& dir, std::uint64_t throttle) {
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Receive;
    o.inbox = dir / "inbox";
    o.toPeer.throttleBytesPerSec = throttle;
    o.toEngine.throttleBytesPerSec = throttle;
    o.timeoutMs = 600000;
    // A serial line adds its byte time and little else; the relay's default 1 ms per chunk
    // stands for a USB adapter and would hide the engine's own share on the throttled line.
    // 0.4 ms still keeps answers clear of rb's habit of flushing its input after each ACK.
    if (throttle > 0)
        o.latencyUs = 400;
    return o;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    return readFileBytes(a) == readFileBytes(b);
}

void BM_EngineToRb(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto throttle = static_cast<std::uint64_t>(state.range(1));
    double dataSeconds = 0;
    for (auto _ : state) {
        TempDir dir;
        const auto file = writeRandomFile(dir / "out/image.dsp", size, size);
        SimulatedReceiver rx(receiverFor(dir, throttle));
        if (!rx.waitReady()) {
            state.SkipWithError("simulated receiver did not start");
            return;
        }
        const auto run = sendWithEngine(rx.devicePath(), file);
        const auto status = rx.waitExit(std::chrono::seconds(30));
        if (run.status != TransferStatus::Ok || status != 0 || !sameFile(dir / "inbox/image.dsp", file)) {
            state.SkipWithError("transfer failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        dataSeconds += run.dataSeconds;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["data_s"] = dataSeconds / static_cast<double>(state.iterations());
    if (throttle > 0) {
        const double rate = static_cast<double>(size) * static_cast<double>(state.iterations()) / dataSeconds;
        const double limit = static_cast<double>(throttle) * 1024.0 / 1029.0;
        state.counters["data_bytes_per_s"] = rate;
        state.counters["of_1k_limit"] = rate / limit;
    }
}

void BM_SbToRb(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const auto throttle = static_cast<std::uint64_t>(state.range(1));
    for (auto _ : state) {
        TempDir dir;
        const auto file = writeRandomFile(dir / "out/image.dsp", size, size);
        SimulatedReceiver rx(receiverFor(dir, throttle));
        if (!rx.waitReady()) {
            state.SkipWithError("simulated receiver did not start");
            return;
        }
        const auto start = Clock::now();
        auto sb = runOnDevice(rx.devicePath(), {"sb", "--ymodem", "-k", file.string()}, dir.path());
        const auto sbStatus = sb.waitExit(std::chrono::minutes(10));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const auto status = rx.waitExit(std::chrono::seconds(30));
        if (sbStatus != 0 || status != 0 || !sameFile(dir / "inbox/image.dsp", file)) {
            state.SkipWithError("transfer failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The engine's own share of each block: a scripted receiver on a bare pseudo-terminal answers
// every block at once, so the time per block is the engine's turnaround (ACK in, next block out)
// plus the pseudo-terminal.
void BM_EngineTurnaround(benchmark::State& state) {
    constexpr int kBlocks = 1000;
    TempDir dir;
    const auto file = writeRandomFile(dir / "image.dsp", kBlocks * 1024, 1);
    for (auto _ : state) {
        PtyPeer peer;
        LoopDispatcher ui;
        SerialPort port(ui);
        YModemTransfer modem(ui);
        port.setDeviceName(peer.path());
        port.setClosePauseMs(0);
        port.open();
        modem.attachTo(&port);
        modem.files = {file.string()};
        modem.onPacket = [](int, std::int64_t) {};
        std::optional<TransferStatus> end;
        modem.onTransferEnd = [&](TransferStatus status) { end = status; };
        modem.start();
        Clock::time_point first{}, last{};
        std::thread receiver([&] {
            peer.send('C');
            readFrame(peer);
            peer.send(std::uint8_t{0x06});
            peer.send('C');
            for (int i = 0; i < kBlocks; ++i) {
                readFrame(peer);
                if (i == 0)
                    first = Clock::now();
                last = Clock::now();
                peer.send(std::uint8_t{0x06});
            }
            peer.readByte();
            peer.send(std::uint8_t{0x06});
            peer.send('C');
            readFrame(peer);
            peer.send(std::uint8_t{0x06});
        });
        ui.runUntil([&] { return end.has_value(); }, std::chrono::minutes(2));
        receiver.join();
        if (end != TransferStatus::Ok) {
            state.SkipWithError("transfer failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(last - first).count() / (kBlocks - 1));
    }
}
// The fixed cost of a connection as the wizard makes it: from Connect (probe, command, the
// receiver's pauses, reopen, the receiver's "C") to the first data block acknowledged, and from
// the last data block acknowledged to the connection's end (EOT, batch end, close).
class IdleView final : public TransferView {
public:
    void showConnection(const std::string&) override {}
    void showFile(const std::string&) override {}
    void showFileSize(const std::string&) override {}
    void showPacket(const std::string&) override {}
    void setProgressMax(std::int64_t) override {}
    void setProgress(std::int64_t) override {}
    void connectionEnded() override { ended = true; }
    bool ended = false;
};

void BM_ConnectionFixedCost(benchmark::State& state) {
    double startSeconds = 0, endSeconds = 0;
    for (auto _ : state) {
        TempDir dir;
        const auto file = writeRandomFile(dir / "out/image.dsp", 4096, 1);
        ReceiverOptions o;
        o.inbox = dir / "inbox";
        SimulatedReceiver rx(o);
        if (!rx.waitReady()) {
            state.SkipWithError("simulated receiver did not start");
            return;
        }
        LoopDispatcher ui;
        IdleView view;
        TransferController controller(ui, view, englishLinkText);
        controller.engine.direction = TransferDirection::Upload;
        controller.engine.files = {file.string()};
        Clock::time_point firstBlock{}, lastBlock{};
        controller.engine.onPacket = [&](int packet, std::int64_t) {
            if (packet == 1)
                firstBlock = Clock::now();
            lastBlock = Clock::now();
        };
        const auto start = Clock::now();
        controller.connect(rx.devicePath(), kCommandSend);
        ui.runUntil([&] { return view.ended; }, std::chrono::minutes(1));
        const auto end = Clock::now();
        if (controller.result != ConnectionResult::Ok) {
            state.SkipWithError("transfer failed");
            return;
        }
        startSeconds += std::chrono::duration<double>(firstBlock - start).count();
        endSeconds += std::chrono::duration<double>(end - lastBlock).count();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["connect_to_first_block_s"] = startSeconds / static_cast<double>(state.iterations());
    state.counters["last_ack_to_end_s"] = endSeconds / static_cast<double>(state.iterations());
}

BENCHMARK(BM_ConnectionFixedCost)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineTurnaround)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

// {file size, bytes per second each way (0: unthrottled)}
BENCHMARK(BM_EngineToRb)->Args({590912, 0})->Args({3 << 20, 0})->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SbToRb)->Args({590912, 0})->Args({3 << 20, 0})->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineToRb)->Args({590912, kLineBytesPerSec})->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SbToRb)->Args({590912, kLineBytesPerSec})->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
