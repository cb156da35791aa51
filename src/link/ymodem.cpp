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

void BlockTransferWorker::sendBlock(int number, std::size_t size, std::uint8_t startChar) {
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
    for (;;) {
        if (cancelled())
            abortTransfer(TransferStatus::Cancelled);
        write(frame);
        if (startChar == kStartStreaming) {
            std::uint8_t c = 0;
            if (peekByte(c) && c == CAN)
                finish(TransferStatus::RemoteCancelled);
            return;
        }
        const int c = readByte();
        if (c == ACK)
            return;
        if (c == NAK) {
            reportError(TransferStatus::BadCheck, true);
            continue;
        }
        if (c == 0 && cancelled())
            continue;
        if (c == CAN)
            finish(TransferStatus::RemoteCancelled);
        abortTransfer(TransferStatus::ProtocolError);
    }
}

BlockTransferWorker::BlockResult BlockTransferWorker::receiveBlock(int expected, std::uint8_t startChar) {
    for (;;) {
        packet_.fill(0);
        const int header = readByte();
        std::size_t size = 0;
        if (header == SOH) {
            size = kShortBlock;
        } else if (header == STX) {
            size = kLongBlock;
        } else if (header == 0 && cancelled()) {
            abortTransfer(TransferStatus::Cancelled);
        } else if (header == EOT) {
            write(ACK);
            return BlockResult::EndOfFile;
        } else if (header == CAN) {
            finish(TransferStatus::RemoteCancelled);
        } else {
            abortTransfer(TransferStatus::ProtocolError);
        }
        const int number = readByte();
        (void)readByte();  // the complement is not checked: a wrong number is caught below
        const bool useSum = startChar == NAK;
        std::uint16_t crc = 0;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const auto b = static_cast<std::uint8_t>(readByte());
            packet_[i] = b;
            if (useSum)
                sum = static_cast<std::uint8_t>(sum + b);
            else
                crc = crc16Update(crc, b);
        }
        bool good;
        if (useSum) {
            good = readByte() == sum;
        } else {
            const int hi = readByte();
            const int lo = readByte();
            good = ((hi << 8) | lo) == crc;
        }
        if (cancelled())
            abortTransfer(TransferStatus::Cancelled);
        if (number != (expected & 0xFF))
            abortTransfer(TransferStatus::ProtocolError);  // a repeated block ends the transfer too
        if (good) {
            packetSize_ = size;
            return BlockResult::Data;
        }
        reportError(TransferStatus::BadCheck, true);
        write(NAK);
    }
}

std::uint8_t BlockTransferWorker::waitForStartRequest() {
    for (int i = 0; i < kStartTries; ++i) {
        const int c = readByte();
        if (c == NAK || c == kStartCrc || c == kStartStreaming)
            return static_cast<std::uint8_t>(c);
        if (c == 0 && cancelled())
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
    sendBlock(0, kShortBlock, start);
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

    const std::uint8_t start = waitForStartRequest();
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
        write(EOT);
        const int c = readByte();
        if (c == ACK)
            return;
        if (c == 0 && cancelled())
            abortTransfer(TransferStatus::Cancelled);
        reportError(TransferStatus::BadByte, true);
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
        if (receiveBlock(0, kStartCrc) == BlockResult::EndOfFile) {
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
        if (receiveBlock(number, startChar) == BlockResult::EndOfFile)
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
