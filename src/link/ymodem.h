#pragma once
// YModem batch transfers: BlockTransferProtocol (block layer, file and packet events) and
// YModemTransfer (batch upload of a file list, download into a folder), with their workers.
#include "link/protocol.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::link {

namespace ymodem {
constexpr std::uint8_t SOH = 0x01;
constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t EOT = 0x04;
constexpr std::uint8_t ACK = 0x06;
constexpr std::uint8_t NAK = 0x15;
constexpr std::uint8_t CAN = 0x18;
constexpr std::uint8_t kStartCrc = 'C';
constexpr std::uint8_t kStartStreaming = 'G';

constexpr std::size_t kShortBlock = 128;
constexpr std::size_t kLongBlock = 1024;
// Size announced when block 0 gives none.
constexpr std::int64_t kUnknownSize = 2147483647;
// How long a downloader waits for an answer to each start request.
constexpr int kStartRequestWaitMs = 10000;
// Start requests, start characters or end-of-file answers tried before giving up.
constexpr int kStartTries = 10;
// A damaged block is followed by the rest of it: input is dropped until the line has been this
// quiet before the block is asked for again.
constexpr int kPurgeQuietMs = 100;
// Longest wait for the answer to the block on the line before a cancel is sent.
constexpr int kCancelAnswerWaitMs = 1000;
// Lost answers to the batch-end block after which the sender stops waiting.
constexpr int kBatchEndUnansweredLimit = 2;

// Block 0 for a file: its name, a 0 byte, its size in decimal, 0 bytes up to 128. A name too
// long for the block is shortened in its stem, keeping the extension where possible.
std::array<std::uint8_t, kShortBlock> buildHeaderBlock(std::string_view fileName, std::int64_t size);

struct HeaderBlock {
    bool endOfBatch = false;  // first byte 0
    std::string name;         // bytes up to the first 0 byte (or the end of the block)
    std::int64_t size = kUnknownSize;
};
HeaderBlock parseHeaderBlock(std::span<const std::uint8_t> data);

// The announced name reduced to a plain file name (no folder part, with either separator), or
// nullopt when it must be refused: empty, ".", "..", or holding control characters.
std::optional<std::string> safeFileName(std::string_view announced);

// `path` when no file of that name exists, else the first free name-N.ext beside it.
std::filesystem::path uniqueFileName(const std::filesystem::path& path);
} // namespace ymodem

enum class YModemVariant { YModem, YModemG };

class BlockTransferProtocol;

class BlockTransferWorker : public TransferWorker {
public:
    BlockTransferWorker(BlockTransferProtocol& owner, const Settings& settings);

protected:
    void sendCancel() override;

    // Sends the block in packet_ until it is accepted: NAK and a lost answer send it again, a
    // stray byte is counted and the answer awaited (the start character, which a receiver
    // repeats while it waits for the first blocks, is passed over there). With `unansweredLimit` > 0, that many answers lost in a row also end the wait.
    void sendBlock(int number, std::size_t size, std::uint8_t startChar, int unansweredLimit = 0);
    enum class BlockResult { Data, EndOfFile };
    // Receives the block `expected` into packet_ (its size into packetSize_), checked by
    // `startChar` (NAK: checksum, otherwise CRC-16); EOT is answered with ACK and returned. A
    // damaged block is purged and asked for again with NAK, a block that does not come is asked
    // for again (`requestChar` for the first block of a file, NAK after), a repeated block is
    // acknowledged and dropped, and only a block out of sequence ends the transfer.
    BlockResult receiveBlock(int expected, std::uint8_t startChar, std::uint8_t requestChar);
    // Waits for the receiver's start character (NAK, "C" or "G").
    std::uint8_t waitForStartRequest();
    // Sends `startChar` until something arrives, waiting `waitMs` after each.
    void requestStart(std::uint8_t startChar, int waitMs);

    // Sends CAN CAN and ends with `status`.
    [[noreturn]] void abortTransfer(TransferStatus status);

    void reportFile(const std::string& name, std::int64_t size);
    void reportPacket(int packet, std::int64_t byteCount);

    BlockTransferProtocol& blockOwner_;
    std::array<std::uint8_t, ymodem::kLongBlock> packet_{};
    std::size_t packetSize_ = 0;

private:
    // Reads number, complement, data and check value of a block of `size` bytes; 0, or
    // kReadCancelled / kReadTimedOut when the block could not be read whole.
    int readBlockBody(std::size_t size, bool useSum, int& number, int& complement, bool& good);
    // Drops the rest of a damaged block and asks for it again with NAK.
    void rejectBlock();

    std::array<std::uint8_t, 3 + ymodem::kLongBlock + 2> frame_{};
    // A start request that already arrived as the implicit answer to block 0.
    std::uint8_t pendingStart_ = 0;
};

class BlockTransferProtocol : public TransferProtocol {
public:
    using TransferProtocol::TransferProtocol;

    std::function<void(const std::string& name, std::int64_t size)> onFileInfo;
    std::function<void(int packet, std::int64_t byteCount)> onPacket;
};

class YModemTransfer : public BlockTransferProtocol {
public:
    explicit YModemTransfer(UiDispatcher& ui);
    ~YModemTransfer() override;

    // Upload: the paths to send, in order. After a download: the files received (folder plus
    // announced name; the path actually written is the one given to onFileInfo).
    std::vector<std::string> files;
    YModemVariant variant = YModemVariant::YModem;
    std::string targetFolder;
    // How long a download waits for the answer to each start request.
    int startRequestWaitMs = ymodem::kStartRequestWaitMs;

protected:
    std::unique_ptr<TransferWorker> createWorker() override;
    void workerFinished(TransferWorker& worker) override;
};

class YModemWorker : public BlockTransferWorker {
public:
    struct Job {
        std::vector<std::string> files;
        std::string targetFolder;
        YModemVariant variant = YModemVariant::YModem;
        int startRequestWaitMs = ymodem::kStartRequestWaitMs;
    };

    YModemWorker(YModemTransfer& owner, const Settings& settings, Job job);
    const std::vector<std::string>& received() const { return received_; }

protected:
    void upload() override;
    void download() override;

private:
    void sendFile(const std::string& path);
    void receiveFile(const std::string& folder, const std::string& name, std::int64_t size,
                     std::uint8_t startChar);
    void sendEndOfFile();

    Job job_;
    std::vector<std::string> received_;
};

} // namespace cs::link
