#include "link/ymodem.h"

#include "common/byte_order.h"
#include "common/crc16.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace cs::link {

namespace fs = std::filesystem;
using namespace ymodem;

namespace {
// A block on the wire: header, number, its complement, data, then the check value.
constexpr std::size_t kFrameHeader = 0;
constexpr std::size_t kFrameNumber = 1;
constexpr std::size_t kFrameComplement = 2;
constexpr std::size_t kFrameData = 3;
} // namespace

// ---------------------------------------------------------------------------------------------
// Block 0

namespace ymodem {

namespace {

// Cuts a UTF-8 string to at most `max` bytes without splitting a character.
std::string_view cutUtf8(std::string_view s, std::size_t max) {
    if (s.size() <= max)
        return s;
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return s.substr(0, n);
}

} // namespace

std::array<std::uint8_t, kShortBlock> buildHeaderBlock(std::string_view fileName, std::int64_t size) {
    std::array<std::uint8_t, kShortBlock> block{};
    const std::string digits = std::to_string(std::max<std::int64_t>(size, 0));
    // name, 0, digits and at least one closing 0 byte
    const std::size_t maxName = kShortBlock - 2 - digits.size();
    std::string name(fileName);
    if (name.size() > maxName) {
        const auto dot = name.rfind('.');
        const std::string ext = (dot != std::string::npos && dot > 0) ? name.substr(dot) : std::string();
        if (!ext.empty() && ext.size() * 2 <= maxName)
            name = std::string(cutUtf8(std::string_view(name).substr(0, dot), maxName - ext.size())) + ext;
        else
            name = std::string(cutUtf8(name, maxName));
    }
    std::copy(name.begin(), name.end(), block.begin());
    std::copy(digits.begin(), digits.end(), block.begin() + static_cast<std::ptrdiff_t>(name.size() + 1));
    return block;
}

HeaderBlock parseHeaderBlock(std::span<const std::uint8_t> data) {
    HeaderBlock h;
    if (data.empty() || data[0] == 0) {
        h.endOfBatch = true;
        return h;
    }
    const auto nul = std::find(data.begin(), data.end(), std::uint8_t{0});
    h.name.assign(data.begin(), nul);
    if (nul == data.end())
        return h;  // no size field
    auto p = nul + 1;
    auto digitsEnd = p;
    while (digitsEnd != data.end() && *digitsEnd >= '0' && *digitsEnd <= '9')
        ++digitsEnd;
    if (digitsEnd == p)
        return h;
    std::int64_t value = 0;
    const char* first = reinterpret_cast<const char*>(&*p);
    const char* last = first + (digitsEnd - p);
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc() && ptr == last && value <= kUnknownSize)
        h.size = value;
    return h;
}

std::optional<std::string> safeFileName(std::string_view announced) {
    const auto sep = announced.find_last_of("/\\");
    std::string_view name = sep == std::string_view::npos ? announced : announced.substr(sep + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            return std::nullopt;
    return std::string(name);
}

fs::path uniqueFileName(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec)))
        return path;
    const std::string name = path.filename().string();
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    for (int i = 1;; ++i) {
        fs::path candidate = path.parent_path() / (stem + "-" + std::to_string(i) + ext);
        if (!fs::exists(fs::symlink_status(candidate, ec)))
            return candidate;
    }
}

} // namespace ymodem

// ---------------------------------------------------------------------------------------------
// BlockTransferWorker

BlockTransferWorker::BlockTransferWorker(BlockTransferProtocol& owner, const Settings& settings)
    : TransferWorker(owner, settings), blockOwner_(owner) {}

void BlockTransferWorker::sendCancel() {
    const std::array<std::uint8_t, 2> can{CAN, CAN};
    write(can);
}

void BlockTransferWorker::abortTransfer(TransferStatus status) {
    sendCancel();
    finish(status);
}

void BlockTransferWorker::reportFile(const std::string& name, std::int64_t size) {
    BlockTransferProtocol* owner = &blockOwner_;
    runOnUiThread([owner, name, size] {
        if (owner->onFileInfo)
            owner->onFileInfo(name, size);
    });
}

void BlockTransferWorker::reportPacket(int packet, std::int64_t byteCount) {
    BlockTransferProtocol* owner = &blockOwner_;
    runOnUiThread([owner, packet, byteCount] {
        if (owner->onPacket)
            owner->onPacket(packet, byteCount);
    });
}

void BlockTransferWorker::sendBlock(int number, std::size_t size, std::uint8_t startChar, int unansweredLimit) {
    const std::uint8_t n = static_cast<std::uint8_t>(number & 0xFF);
    const Bytes frameBytes(frame_);
    writeU8(frameBytes, kFrameHeader, size == kShortBlock ? SOH : STX);
    writeU8(frameBytes, kFrameNumber, n);
    writeU8(frameBytes, kFrameComplement, static_cast<std::uint8_t>(255 - n));
    const std::span<const std::uint8_t> data(packet_.data(), size);
    std::copy(data.begin(), data.end(), slice(frameBytes, kFrameData, size).begin());
    std::size_t length = kFrameData + size;
    if (startChar == NAK) {
        std::uint8_t sum = 0;
        for (std::uint8_t b : data)
            sum = static_cast<std::uint8_t>(sum + b);
        writeU8(frameBytes, length++, sum);
    } else {
        // CRC-16 high byte first, unlike the receiver's little-endian records
        const std::uint16_t crc = crc16(data);
        writeU8(frameBytes, length++, static_cast<std::uint8_t>(crc >> 8));
        writeU8(frameBytes, length++, static_cast<std::uint8_t>(crc));
    }
    const std::span<const std::uint8_t> frame(frame_.data(), length);
    const bool streaming = startChar == kStartStreaming;
    const bool startCharIsRepeated = number <= 1;
    int unanswered = 0;
    bool damagedAnswer = false;
    for (;;) {
        if (cancelled())
            abortTransfer(TransferStatus::Cancelled);
        // What arrived before this block went out answers nothing: read as this block's answer,
        // a stray byte would put every later answer one block behind.
        if (!streaming)
            clearInput();
        write(frame);
        if (streaming) {
            std::uint8_t c = 0;
            if (peekByte(c) && c == CAN)
                finish(TransferStatus::RemoteCancelled);
            return;
        }
        for (;;) {
            const int c = readByte(true);
            if (c == ACK)
                return;
            if (c == kReadCancelled) {
                // A receiver flushes its input right after it answers a block: a CAN CAN sent
                // while it still takes in the block would be lost with it. Cancel once it has
                // answered (or after a short wait).
                waitForAnswerDespiteCancel(std::min(settings_.timeoutMs, kCancelAnswerWaitMs));
                abortTransfer(TransferStatus::Cancelled);
            }
            if (c == kReadTimedOut) {
                if (unansweredLimit > 0 && ++unanswered >= unansweredLimit)
                    return;
                break;  // the answer was lost (error counted): send the block again
            }
            if (c == NAK) {
                reportError(TransferStatus::BadCheck, true);
                break;
            }
            // Before the first blocks are acknowledged the receiver's loader keeps repeating its
            // start request; those requests are still on the line and no error. Taking them as
            // a request to send again would put the blocks out of step with the answers.
            if (c == startChar && startCharIsRepeated) {
                // ...except after block 0 when its answer came damaged: a receiver answers
                // block 0 with ACK and then asks for the data with its start character.
                if (number == 0 && damagedAnswer) {
                    pendingStart_ = static_cast<std::uint8_t>(c);
                    return;
                }
                continue;
            }
            if (c == CAN)
                finish(TransferStatus::RemoteCancelled);
            // A stray byte: count it and keep waiting for the answer.
            damagedAnswer = true;
            reportError(TransferStatus::BadByte, true);
        }
    }
}

int BlockTransferWorker::readBlockBody(std::size_t size, bool useSum, int& number, int& complement, bool& good) {
    number = readByte(true);
    if (number < 0)
        return number;
    complement = readByte(true);
    if (complement < 0)
        return complement;
    std::uint16_t crc = 0;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const int b = readByte(true);
        if (b < 0)
            return b;
        packet_[i] = static_cast<std::uint8_t>(b);
        if (useSum)
            sum = static_cast<std::uint8_t>(sum + b);
        else
            crc = crc16Update(crc, static_cast<std::uint8_t>(b));
    }
    if (useSum) {
        const int check = readByte(true);
        if (check < 0)
            return check;
        good = check == sum;
    } else {
        const int hi = readByte(true);
        if (hi < 0)
            return hi;
        const int lo = readByte(true);
        if (lo < 0)
            return lo;
        good = ((hi << 8) | lo) == crc;
    }
    return 0;
}

void BlockTransferWorker::rejectBlock() {
    purgeUntilQuiet(kPurgeQuietMs, settings_.timeoutMs);
    if (cancelled())
        abortTransfer(TransferStatus::Cancelled);
    write(NAK);
}

BlockTransferWorker::BlockResult BlockTransferWorker::receiveBlock(int expected, std::uint8_t startChar,
                                                                   std::uint8_t requestChar) {
    // A damaged block is answered with NAK. When nothing came at all, the request itself may
    // have been lost: the first block of a file is asked for again with the start character (a
    // NAK there would switch the sender to checksums), every later one with NAK.
    const std::uint8_t askAgain = expected <= 1 ? requestChar : NAK;
    const bool streaming = requestChar == kStartStreaming;
    for (;;) {
        packet_.fill(0);
        const int header = readByte(true);
        std::size_t size = 0;
        if (header == SOH) {
            size = kShortBlock;
        } else if (header == STX) {
            size = kLongBlock;
        } else if (header == kReadCancelled) {
            abortTransfer(TransferStatus::Cancelled);
        } else if (header == kReadTimedOut) {
            write(askAgain);  // nothing came (error counted): ask again
            continue;
        } else if (header == EOT) {
            write(ACK);
            return BlockResult::EndOfFile;
        } else if (header == CAN) {
            finish(TransferStatus::RemoteCancelled);
        } else {
            // Noise, or the rest of a block whose header was lost.
            reportError(TransferStatus::BadByte, true);
            rejectBlock();
            continue;
        }
        int number = 0;
        int complement = 0;
        bool good = false;
        const int body = readBlockBody(size, startChar == NAK, number, complement, good);
        if (body == kReadCancelled || cancelled())
            abortTransfer(TransferStatus::Cancelled);
        if (body == kReadTimedOut) {
            rejectBlock();  // a byte of the block was lost (error counted)
            continue;
        }
        // A number that disagrees with its complement is damage, not a block out of sequence.
        if ((number ^ complement) != 0xFF || !good) {
            reportError(TransferStatus::BadCheck, true);
            rejectBlock();
            continue;
        }
        if (number == (expected & 0xFF)) {
            packetSize_ = size;
            return BlockResult::Data;
        }
        if (expected > 0 && number == ((expected - 1) & 0xFF)) {
            // The previous block again: our ACK was lost. Acknowledge it and drop it; after a
            // repeated block 0 the sender also waits for the request of the first data block.
            if (!streaming) {
                write(ACK);
                if (expected == 1)
                    write(requestChar);
            }
            continue;
        }
        abortTransfer(TransferStatus::ProtocolError);  // truly out of sequence
    }
}

std::uint8_t BlockTransferWorker::waitForStartRequest() {
    if (pendingStart_ != 0)
        return std::exchange(pendingStart_, std::uint8_t{0});
    for (int i = 0; i < kStartTries; ++i) {
        const int c = readByte();
        if (c == NAK || c == kStartCrc || c == kStartStreaming)
            return static_cast<std::uint8_t>(c);
        if (c == kReadCancelled)
            abortTransfer(TransferStatus::Cancelled);
        reportError(TransferStatus::BadByte, true);
    }
    abortTransfer(TransferStatus::ProtocolError);
}

void BlockTransferWorker::requestStart(std::uint8_t startChar, int waitMs) {
    for (int round = 0; round < kStartTries; ++round) {
        write(startChar);
        if (waitForInput(waitMs)) {
            if (cancelled())
                abortTransfer(TransferStatus::Cancelled);
            return;
        }
        reportError(TransferStatus::Timeout, true);
    }
    abortTransfer(TransferStatus::NoAnswer);
}

// ---------------------------------------------------------------------------------------------
// YModemTransfer

YModemTransfer::YModemTransfer(UiDispatcher& ui) : BlockTransferProtocol(ui) {}

YModemTransfer::~YModemTransfer() { stopWorker(); }

std::unique_ptr<TransferWorker> YModemTransfer::createWorker() {
    TransferWorker::Settings s;
    s.direction = direction;
    s.timeoutMs = timeoutMs;
    s.maxErrors = maxErrors;
    s.inputCapacity = static_cast<std::size_t>(std::max(inputCapacity, 0));
    YModemWorker::Job job;
    job.files = files;
    job.targetFolder = targetFolder;
    job.variant = variant;
    job.startRequestWaitMs = startRequestWaitMs;
    if (direction == TransferDirection::Download)
        files.clear();
    return std::make_unique<YModemWorker>(*this, s, std::move(job));
}

void YModemTransfer::workerFinished(TransferWorker& worker) {
    if (direction == TransferDirection::Download)
        files = static_cast<YModemWorker&>(worker).received();
}

// ---------------------------------------------------------------------------------------------
// YModemWorker

YModemWorker::YModemWorker(YModemTransfer& owner, const Settings& settings, Job job)
    : BlockTransferWorker(owner, settings), job_(std::move(job)) {}

void YModemWorker::upload() {
    for (const std::string& path : job_.files)
        sendFile(path);
    const std::uint8_t start = waitForStartRequest();
    packet_.fill(0);
    // Every file's end was acknowledged, so the receiver holds them all; a receiver that has
    // gone quiet after the batch end (its last ACK lost) is not waited for ten times over.
    sendBlock(0, kShortBlock, start, kBatchEndUnansweredLimit);
    finish(TransferStatus::Ok);
}

void YModemWorker::sendFile(const std::string& path) {
    const std::uint8_t first = waitForStartRequest();
    // The file is opened before its block 0 goes out, read-only, so that a missing or unreadable
    // file never announces itself to the receiver.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!file || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        abortTransfer(TransferStatus::FileOpenFailed);
    const std::int64_t length = st.st_size;
    const auto header = buildHeaderBlock(fs::path(path).filename().string(), length);
    packet_.fill(0);
    std::copy(header.begin(), header.end(), packet_.begin());
    sendBlock(0, kShortBlock, first);
    reportFile(path, length);

    // The receiver chose its mode with its request for block 0 and asks for the data the same
    // way. A different request is a damaged one ("C" with one bit flipped is "G") or a receiver
    // that timed out waiting for the data and repeats with NAK while it still checks CRC-16:
    // the mode of block 0 stays.
    const std::uint8_t start = first;
    (void)waitForStartRequest();
    const std::size_t blockSize = start == NAK ? kShortBlock : kLongBlock;
    std::int64_t position = 0;
    for (int number = 1; position < length; ++number) {
        packet_.fill(0);
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(blockSize), length - position));
        std::size_t got = 0;
        while (got < want) {
            const ssize_t r = ::read(file.get(), packet_.data() + got, want - got);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                abortTransfer(TransferStatus::FileReadFailed);  // read error, or the file shrank while being sent
            got += static_cast<std::size_t>(r);
        }
        sendBlock(number, blockSize, start);
        position += static_cast<std::int64_t>(got);
        reportPacket(number, position);
    }
    sendEndOfFile();
}

void YModemWorker::sendEndOfFile() {
    for (int i = 0; i < kStartTries; ++i) {
        if (cancelled())
            abortTransfer(TransferStatus::Cancelled);
        clearInput();
        write(EOT);
        for (;;) {
            const int c = readByte(true);
            if (c == ACK)
                return;
            if (c == kReadCancelled)
                abortTransfer(TransferStatus::Cancelled);
            if (c == kReadTimedOut)
                break;
            if (c == CAN)
                finish(TransferStatus::RemoteCancelled);
            reportError(TransferStatus::BadByte, true);
            if (c == NAK)
                break;  // the receiver asks for the EOT again
        }
    }
    abortTransfer(TransferStatus::ProtocolError);
}

void YModemWorker::download() {
    std::string folder = job_.targetFolder.empty() ? std::string(".") : job_.targetFolder;
    if (folder.back() != '/')
        folder += '/';
    const bool streaming = job_.variant == YModemVariant::YModemG;
    const std::uint8_t startChar = streaming ? kStartStreaming : kStartCrc;
    for (;;) {
        requestStart(startChar, job_.startRequestWaitMs);
        if (receiveBlock(0, kStartCrc, startChar) == BlockResult::EndOfFile) {
            // A repeated end of file (our ACK was lost) where block 0 belongs: it has been
            // answered; ask for block 0 again, but count it so a confused sender cannot loop.
            reportError(TransferStatus::BadByte, true);
            continue;
        }
        const HeaderBlock header = parseHeaderBlock({packet_.data(), packetSize_});
        if (header.endOfBatch) {
            if (!streaming)
                write(ACK);
            finish(TransferStatus::Ok);
        }
        const auto name = safeFileName(header.name);
        if (!name)
            abortTransfer(TransferStatus::FileCreateFailed);
        if (!streaming)
            write(ACK);
        receiveFile(folder, *name, header.size, startChar);
    }
}

void YModemWorker::receiveFile(const std::string& folder, const std::string& name, std::int64_t size,
                                  std::uint8_t startChar) {
    // O_EXCL: an existing file is never overwritten, even one created since the name was chosen.
    const fs::path wanted(folder + name);
    fs::path path;
    UniqueFd file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        path = uniqueFileName(wanted);
        file.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (!file && errno != EEXIST)
            break;
    }
    if (!file)
        abortTransfer(TransferStatus::FileCreateFailed);
    reportFile(path.string(), size);
    write(startChar);

    const bool streaming = startChar == kStartStreaming;
    std::int64_t position = 0;
    for (int number = 1;; ++number) {
        if (receiveBlock(number, startChar, startChar) == BlockResult::EndOfFile)
            break;
        auto count = static_cast<std::int64_t>(packetSize_);
        if (size != 0 && size - position <= count)
            count = std::max<std::int64_t>(size - position, 0);
        std::size_t done = 0;
        while (done < static_cast<std::size_t>(count)) {
            const ssize_t w = ::write(file.get(), packet_.data() + done, static_cast<std::size_t>(count) - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                abortTransfer(TransferStatus::FileWriteFailed);
            done += static_cast<std::size_t>(w);
        }
        position += count;
        reportPacket(number, position);
        if (!streaming)
            write(ACK);
    }
    if (::fsync(file.get()) != 0 || ::close(file.release()) != 0)
        finish(TransferStatus::FileWriteFailed);
    received_.push_back(folder + name);
}

} // namespace cs::link
