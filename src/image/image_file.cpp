#include "image/image_file.h"

#include "common/crc16.h"
#include "image/channel_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace cs {
namespace {

class FileSource final : public ImageSource {
public:
    explicit FileSource(const std::string& path) {
        // Non-blocking so that a FIFO or device name cannot hang the open; only regular files
        // are read.
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode))
            size_ = static_cast<std::size_t>(st.st_size);
        else
            close();
    }
    ~FileSource() override { close(); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool ok() const { return fd_ >= 0; }
    std::size_t size() const override { return size_; }
    std::size_t read(std::size_t offset, Bytes out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
    std::size_t size_ = 0;
};

class MemorySource final : public ImageSource {
public:
    explicit MemorySource(ConstBytes bytes) : bytes_(bytes) {}
    std::size_t size() const override { return bytes_.size(); }
    std::size_t read(std::size_t offset, Bytes out) override {
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min(out.size(), bytes_.size() - offset);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
        return n;
    }

private:
    ConstBytes bytes_;
};

// A NUL-terminated text of at most `width` bytes.
std::string boundedText(ConstBytes b, std::size_t offset, std::size_t width) {
    auto field = slice(b, offset, width);
    const auto end = std::find(field.begin(), field.end(), 0);
    return std::string(field.begin(), end);
}

TypeFile classify(ImageSource& source) {
    const std::size_t size = source.size();
    if (size > kMaxImageFileSize || size < kImageHeaderSize)
        return kTypeNotRecognised;
    std::array<std::uint8_t, kImageHeaderSize> raw{};
    if (source.read(0, raw) != raw.size())
        return kTypeNotRecognised;
    const ImageHeader header{ConstBytes(raw)};
    if (!header.validRegion())
        return kTypeNotRecognised;
    if (header.address() == kSoftwareAddress || isPluginAddress(header.address()))
        return kTypeSoftware;
    if (header.address() == kPictureStoreAddress)
        return kTypePictureStore;
    return isDatabaseFileSize(size) ? kTypeDatabase : kTypeNotRecognised;
}

} // namespace

TypeFile ImageFile::readImageFile(const std::string& path, LogSink& log) {
    FileSource source(path);
    if (!source.ok())
        return kTypeNotRecognised;
    return readImage(source, log);
}

TypeFile ImageFile::readImageBytes(ConstBytes file, LogSink& log) {
    MemorySource source(file);
    return readImage(source, log);
}

TypeFile ImageFile::readImage(ImageSource& source, LogSink& log) {
    const std::size_t size = source.size();
    if (size > kMaxImageFileSize || size < kImageHeaderSize)
        return kTypeNotRecognised;

    std::array<std::uint8_t, kImageHeaderSize> raw{};
    if (source.read(0, raw) != raw.size())
        return kTypeNotRecognised;
    const ImageHeader header{ConstBytes(raw)};
    logf(log, "size=0x%X adress=0x%X flags=0x%X", header.length(), header.address(), header.flags());
    if (!header.validRegion())
        return kTypeNotRecognised;
    logf(log, "HEADER_ADDRESS=0x%X", header.address());

    if (header.address() == kSoftwareAddress) {
        log.write("0x08000 MainSoftware");
        return kTypeSoftware;
    }
    if (header.address() == kPictureStoreAddress)
        return kTypePictureStore;
    if (isPluginAddress(header.address())) {
        log.write("PLUGINS AREA");
        return kTypeSoftware;
    }

    const auto layout = matchDatabaseKind(size, header.address(), header.length());
    if (!layout)
        return kTypeNotRecognised;

    // The new payload is read beside the held one; only a complete database image replaces it.
    std::vector<std::uint8_t> staged;
    try {
        staged.resize(size - kImageHeaderSize);
    } catch (const std::bad_alloc&) {
        return kTypeNotRecognised;
    }
    if (source.read(kImageHeaderSize, staged) != staged.size())
        return kTypeNotRecognised;

    log.write(layout->kind->text);
    held_ = true;
    header_ = header;
    payload_.swap(staged);
    kind_ = layout->kind;
    classifiedBase_ = layout->base;
    classifiedConfig_ = layout->config;
    base_.reset();
    config_.reset();
    ba2Present_ = false;
    ba3Present_ = false;
    return kTypeDatabase;
}

void ImageFile::locateAreas(LogSink& log) {
    base_.reset();
    config_.reset();
    ba2Present_ = false;
    ba3Present_ = false;
    if (!held_)
        return;

    if (classifiedBase_ && fits(payload_.size(), *classifiedBase_, baseAreaSize(channelCapacity()))) {
        log.write("got.Area BASE");
        base_ = classifiedBase_;
    }
    if (!classifiedConfig_ || !fits(payload_.size(), *classifiedConfig_, config_area::kSize))
        return;
    log.write("got.Area CONFIG");
    config_ = classifiedConfig_;

    ConstBytes ba2 = ba2Bytes();
    if (readU32(ba2, ba2_check::kCrc) == crc16(slice(ba2, 0, ba2_check::kCrcCovered))) {
        log.write("BA_2 CRC_OK");
        ba2Present_ = true;
    }
    ConstBytes ba3 = ba3Bytes();
    ba3Present_ = ba3Valid(ba3);
    logf(log, "BA_3 CRC_%s dla kanalow %s MAX=%d", ba3Present_ ? "OK" : "ERROR",
         boundedText(ba3, ba3::kTag, ba3::kTagSize).c_str(), static_cast<int>(channelCapacity()));
}

bool ImageFile::writeImageFile(const std::string& path, const ImageWriteOptions& options, LogSink& log) {
    lastWriteError_.clear();
    lastWriteMadeBackup_ = false;
    if (!held_) {
        lastWriteError_ = "no image is open";
        return false;
    }
    refreshForSave(options.date);

    const std::span<const std::uint8_t> parts[] = {header_.bytes(), payload_};
    const AtomicWriteResult r = writeFileAtomically(path, parts, {options.keepBackup, options.sync});
    lastWriteMadeBackup_ = r.backupMade;
    if (!r.ok) {
        lastWriteError_ = r.error;
        logf(log, "write failed: %s", r.error.c_str());
        return false;
    }
    if (options.keepBackup && !r.backupMade)
        logf(log, "no backup made of %s", path.c_str());
    return true;
}

void ImageFile::refreshForSave(std::string_view date) {
    if (!held_)
        return;
    if (ba2Present_) {
        Bytes ba2 = ba2Area();
        writeU32(ba2, ba2_check::kCrc, crc16(slice(ConstBytes(ba2), 0, ba2_check::kCrcCovered)));
    }
    if (ba3Present_)
        sealBa3(ba3Area());
    header_.refreshForSave(date.empty() ? todayAsHeaderDate() : std::string(date));
}

void ImageFile::clear() {
    held_ = false;
    header_ = ImageHeader();
    std::vector<std::uint8_t>().swap(payload_);
    kind_ = nullptr;
    classifiedBase_.reset();
    classifiedConfig_.reset();
    base_.reset();
    config_.reset();
    ba2Present_ = false;
    ba3Present_ = false;
}

std::size_t ImageFile::providerCapacity() const {
    return ba3Present_ ? cs::providerCapacity(ba3Layout(ba3Bytes())) : 0;
}

Bytes ImageFile::baseArea() { return base_ ? slice(Bytes(payload_), *base_, baseAreaSize(channelCapacity())) : Bytes(); }
ConstBytes ImageFile::baseArea() const {
    return base_ ? slice(ConstBytes(payload_), *base_, baseAreaSize(channelCapacity())) : ConstBytes();
}
Bytes ImageFile::configArea() { return config_ ? slice(Bytes(payload_), *config_, config_area::kSize) : Bytes(); }
ConstBytes ImageFile::configArea() const {
    return config_ ? slice(ConstBytes(payload_), *config_, config_area::kSize) : ConstBytes();
}
Bytes ImageFile::ba2Area() { return ba2Present_ ? slice(configArea(), config_area::kBa2, config_area::kBa2Size) : Bytes(); }
ConstBytes ImageFile::ba2Area() const {
    return ba2Present_ ? slice(configArea(), config_area::kBa2, config_area::kBa2Size) : ConstBytes();
}
ConstBytes ImageFile::ba2Bytes() const {
    return config_ ? slice(configArea(), config_area::kBa2, config_area::kBa2Size) : ConstBytes();
}
Bytes ImageFile::ba3Area() { return ba3Present_ ? slice(configArea(), config_area::kBa3, ba3::kSize) : Bytes(); }
ConstBytes ImageFile::ba3Area() const {
    return ba3Present_ ? slice(configArea(), config_area::kBa3, ba3::kSize) : ConstBytes();
}
ConstBytes ImageFile::ba3Bytes() const {
    return config_ ? slice(configArea(), config_area::kBa3, ba3::kSize) : ConstBytes();
}

TypeFile classifyImageFile(const std::string& path) {
    FileSource source(path);
    if (!source.ok())
        return kTypeNotRecognised;
    return classify(source);
}

TypeFile classifyImageBytes(ConstBytes file) {
    MemorySource source(file);
    return classify(source);
}

std::string todayAsHeaderDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

} // namespace cs
