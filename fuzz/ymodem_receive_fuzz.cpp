// Fuzz target of the YModem receive path: the input is everything the far end sends (block 0
// with name and size, data blocks with their numbers, complements and CRCs, EOT, CAN), delivered
// to the engine as one port would deliver it, before the engine's thread starts. The engine's
// own answers go nowhere. Every transfer must end, and nothing may be written outside the
// receive folder.
//
// The port is in memory: the engine is attached to no device, so the bytes enter through the
// protocol's data path and its writes are dropped. Waits are zero, so an input that runs out
// ends the transfer at once instead of waiting for more.
#include "link/ui_dispatcher.h"
#include "link/ymodem.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <unistd.h>

using namespace cs::link;
namespace fs = std::filesystem;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// The engine with the port's delivery of incoming bytes reachable from here.
class InMemoryPortModem final : public YModemTransfer {
public:
    using YModemTransfer::YModemTransfer;
    void deliver(std::span<const std::uint8_t> bytes) { dataArrived(bytes); }
};

struct Folders {
    fs::path root;
    fs::path receive;
    Folders() {
        root = fs::temp_directory_path() / ("cs-ymodem-fuzz-" + std::to_string(::getpid()));
        receive = root / "in";
        fs::remove_all(root);
        fs::create_directories(receive);
    }
    ~Folders() { fs::remove_all(root); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static LoopDispatcher ui;
    static Folders folders;
    static InMemoryPortModem modem(ui);

    // The first byte picks the variant; the rest is the far end's byte stream.
    const std::span<const std::uint8_t> stream(data + 1, size - 1);
    bool ended = false;
    modem.direction = TransferDirection::Download;
    modem.variant = (data[0] & 1) ? YModemVariant::YModemG : YModemVariant::YModem;
    modem.targetFolder = folders.receive.string();
    modem.timeoutMs = 0;
    modem.startRequestWaitMs = 0;
    modem.maxErrors = 1 + (data[0] >> 1) % 10;
    modem.onTransferStart = [&] { modem.deliver(stream); };
    modem.onTransferEnd = [&](TransferStatus) { ended = true; };
    modem.start();
    check(ui.runUntil([&] { return ended; }, std::chrono::seconds(20)));

    // Received files stay in the receive folder; the folder is emptied for the next input.
    for (const auto& entry : fs::directory_iterator(folders.root))
        check(entry.path() == folders.receive);
    for (const auto& entry : fs::directory_iterator(folders.receive))
        fs::remove_all(entry.path());
    return 0;
}
