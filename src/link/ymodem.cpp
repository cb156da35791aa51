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

std::array<std::uint8_t, kShortBlock> BuildHeaderBlock(std::string_view fileName, std::int64_t size) {
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

HeaderBlock ParseHeaderBlock(std::span<const std::uint8_t> data) {
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

std::optional<std::string> SafeFileName(std::string_view announced) {
    const auto sep = announced.find_last_of("/\\");
    std::string_view name = sep == std::string_view::npos ? announced : announced.substr(sep + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            return std::nullopt;
    return std::string(name);
}

fs::path CreateUniqueFileName(const fs::path& path) {
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
// TVaXYModemThread

TVaXYModemThread::TVaXYModemThread(TVaXYModem& owner, const Settings& settings)
    : TVaProtocolThread(owner, settings), xyOwner_(owner) {}

void TVaXYModemThread::RemoteCan() {
    const std::array<std::uint8_t, 2> can{CAN, CAN};
    Write(can);
}

void TVaXYModemThread::Abort(int code) {
    RemoteCan();
    SetExitCode(code);
}

void TVaXYModemThread::FileInfo(const std::string& name, std::int64_t size) {
    TVaXYModem* owner = &xyOwner_;
    Synchronize([owner, name, size] {
        if (owner->OnFileInfo)
            owner->OnFileInfo(name, size);
    });
}

void TVaXYModemThread::PacketEvent(int packet, std::int64_t byteCount) {
    TVaXYModem* owner = &xyOwner_;
    Synchronize([owner, packet, byteCount] {
        if (owner->OnPacketEvent)
            owner->OnPacketEvent(packet, byteCount);
    });
}

void TVaXYModemThread::WritePacket(int number, std::size_t size, std::uint8_t startChar) {
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
        if (Cancelled())
            Abort(kExitCancelled);
        Write(frame);
        if (startChar == StartStreaming) {
            std::uint8_t c = 0;
            if (PeekChar(c) && c == CAN)
                SetExitCode(kExitRemoteCancelled);
            return;
        }
        const int c = ReadChar();
        if (c == ACK)
            return;
        if (c == NAK) {
            ErrorEvent(kErrorBadCheck, true);
            continue;
        }
        if (c == 0 && Cancelled())
            continue;
        if (c == CAN)
            SetExitCode(kExitRemoteCancelled);
        Abort(kExitProtocol);
    }
}

TVaXYModemThread::PacketResult TVaXYModemThread::ReadPacket(int expected, std::uint8_t startChar) {
    for (;;) {
        packet_.fill(0);
        const int header = ReadChar();
        std::size_t size = 0;
        if (header == SOH) {
            size = kShortBlock;
        } else if (header == STX) {
            size = kLongBlock;
        } else if (header == 0 && Cancelled()) {
            Abort(kExitCancelled);
        } else if (header == EOT) {
            Write(ACK);
            return PacketResult::Eot;
        } else if (header == CAN) {
            SetExitCode(kExitRemoteCancelled);
        } else {
            Abort(kExitProtocol);
        }
        const int number = ReadChar();
        (void)ReadChar();  // the complement is not checked: a wrong number is caught below
        const bool useSum = startChar == NAK;
        std::uint16_t crc = 0;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const auto b = static_cast<std::uint8_t>(ReadChar());
            packet_[i] = b;
            if (useSum)
                sum = static_cast<std::uint8_t>(sum + b);
            else
                crc = crc16Update(crc, b);
        }
        bool good;
        if (useSum) {
            good = ReadChar() == sum;
        } else {
            const int hi = ReadChar();
            const int lo = ReadChar();
            good = ((hi << 8) | lo) == crc;
        }
        if (Cancelled())
            Abort(kExitCancelled);
        if (number != (expected & 0xFF))
            Abort(kExitProtocol);  // a repeated block ends the transfer too
        if (good) {
            packetSize_ = size;
            return PacketResult::Data;
        }
        ErrorEvent(kErrorBadCheck, true);
        Write(NAK);
    }
}

std::uint8_t TVaXYModemThread::RemoteTxStartup() {
    for (int i = 0; i < kStartTries; ++i) {
        const int c = ReadChar();
        if (c == NAK || c == StartCrc || c == StartStreaming)
            return static_cast<std::uint8_t>(c);
        if (c == 0 && Cancelled())
            Abort(kExitCancelled);
        ErrorEvent(kErrorBadByte, true);
    }
    Abort(kExitProtocol);
}

void TVaXYModemThread::RemoteRxStartup(std::uint8_t startChar, int waitMs) {
    for (int round = 0; round < kStartTries; ++round) {
        Write(startChar);
        if (WaitForInput(waitMs)) {
            if (Cancelled())
                Abort(kExitCancelled);
            return;
        }
        ErrorEvent(kErrorTimeout, true);
    }
    Abort(kExitNoAnswer);
}

// ---------------------------------------------------------------------------------------------
// TVaYModem

TVaYModem::TVaYModem(UiDispatcher& ui) : TVaXYModem(ui) {}

TVaYModem::~TVaYModem() { StopWorker(); }

std::unique_ptr<TVaProtocolThread> TVaYModem::CreateWorker() {
    TVaProtocolThread::Settings s;
    s.mode = Mode;
    s.timeoutMs = Timeout;
    s.maxErrors = MaxErrors;
    s.bufferSize = static_cast<std::size_t>(std::max(BufferSize, 0));
    TVaYModemThread::Job job;
    job.files = Files;
    job.targetFolder = TargetFolder;
    job.protocol = Protocol;
    job.startRequestWaitMs = StartRequestWaitMs;
    if (Mode == TVaTransferMode::tmDownload)
        Files.clear();
    return std::make_unique<TVaYModemThread>(*this, s, std::move(job));
}

void TVaYModem::WorkerFinished(TVaProtocolThread& worker) {
    if (Mode == TVaTransferMode::tmDownload)
        Files = static_cast<TVaYModemThread&>(worker).Received();
}

// ---------------------------------------------------------------------------------------------
// TVaYModemThread

TVaYModemThread::TVaYModemThread(TVaYModem& owner, const Settings& settings, Job job)
    : TVaXYModemThread(owner, settings), job_(std::move(job)) {}

void TVaYModemThread::Upload() {
    for (const std::string& path : job_.files)
        SendFile(path);
    const std::uint8_t start = RemoteTxStartup();
    packet_.fill(0);
    WritePacket(0, kShortBlock, start);
    SetExitCode(kExitOk);
}

void TVaYModemThread::SendFile(const std::string& path) {
    const std::uint8_t first = RemoteTxStartup();
    // The file is opened before its block 0 goes out, read-only, so that a missing or unreadable
    // file never announces itself to the receiver.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!file || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        Abort(kExitFileOpen);
    const std::int64_t length = st.st_size;
    const auto header = BuildHeaderBlock(fs::path(path).filename().string(), length);
    packet_.fill(0);
    std::copy(header.begin(), header.end(), packet_.begin());
    WritePacket(0, kShortBlock, first);
    FileInfo(path, length);

    const std::uint8_t start = RemoteTxStartup();
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
                Abort(kExitFileRead);  // read error, or the file shrank while being sent
            got += static_cast<std::size_t>(r);
        }
        WritePacket(number, blockSize, start);
        position += static_cast<std::int64_t>(got);
        PacketEvent(number, position);
    }
    SendEot();
}

void TVaYModemThread::SendEot() {
    for (int i = 0; i < kStartTries; ++i) {
        Write(EOT);
        const int c = ReadChar();
        if (c == ACK)
            return;
        if (c == 0 && Cancelled())
            Abort(kExitCancelled);
        ErrorEvent(kErrorBadByte, true);
    }
    Abort(kExitProtocol);
}

void TVaYModemThread::Download() {
    std::string folder = job_.targetFolder.empty() ? std::string(".") : job_.targetFolder;
    if (folder.back() != '/')
        folder += '/';
    const bool streaming = job_.protocol == TVaYProtocol::YModemG;
    const std::uint8_t startChar = streaming ? StartStreaming : StartCrc;
    for (;;) {
        RemoteRxStartup(startChar, job_.startRequestWaitMs);
        if (ReadPacket(0, StartCrc) == PacketResult::Eot) {
            // A repeated end of file (our ACK was lost) where block 0 belongs: it has been
            // answered; ask for block 0 again, but count it so a confused sender cannot loop.
            ErrorEvent(kErrorBadByte, true);
            continue;
        }
        const HeaderBlock header = ParseHeaderBlock({packet_.data(), packetSize_});
        if (header.endOfBatch) {
            if (!streaming)
                Write(ACK);
            SetExitCode(kExitOk);
        }
        const auto name = SafeFileName(header.name);
        if (!name)
            Abort(kExitFileCreate);
        if (!streaming)
            Write(ACK);
        ReceiveFile(folder, *name, header.size, startChar);
    }
}

void TVaYModemThread::ReceiveFile(const std::string& folder, const std::string& name, std::int64_t size,
                                  std::uint8_t startChar) {
    // O_EXCL: an existing file is never overwritten, even one created since the name was chosen.
    const fs::path wanted(folder + name);
    fs::path path;
    UniqueFd file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        path = CreateUniqueFileName(wanted);
        file.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (!file && errno != EEXIST)
            break;
    }
    if (!file)
        Abort(kExitFileCreate);
    FileInfo(path.string(), size);
    Write(startChar);

    const bool streaming = startChar == StartStreaming;
    std::int64_t position = 0;
    for (int number = 1;; ++number) {
        if (ReadPacket(number, startChar) == PacketResult::Eot)
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
                Abort(kExitFileWrite);
            done += static_cast<std::size_t>(w);
        }
        position += count;
        PacketEvent(number, position);
        if (!streaming)
            Write(ACK);
    }
    if (::fsync(file.get()) != 0 || ::close(file.release()) != 0)
        SetExitCode(kExitFileWrite);
    received_.push_back(folder + name);
}

} // namespace cs::link
