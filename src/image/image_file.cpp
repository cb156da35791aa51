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
    explicit FileSource(const std::string& path) : file_(path) {}
    bool ok() const { return file_.ok(); }
    FileProblem problem() const { return file_.problem(); }
    std::size_t size() const override { return static_cast<std::size_t>(file_.size()); }
    std::size_t read(std::size_t offset, Bytes out) override { return file_.readAt(offset, out.data(), out.size()); }

private:
    RegularFile file_;
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

// The one place that decides the kind of a file, from its size and its header. An image is
// software or a picture store by its header address alone; a database needs a database file size
// as well (whether address and length fit a known layout is left to the reader). With a log, the
// header lines of the open diagnostics are written as the checks pass.
struct Classification {
    ImageKind kind = kImageNotRecognised;
    ImageHeader header;
};

Classification classify(ImageSource& source, LogSink* log) {
    Classification out;
    const std::size_t size = source.size();
    if (size > kMaxImageFileSize || size < kImageHeaderSize)
        return out;
    std::array<std::uint8_t, kImageHeaderSize> raw{};
    if (source.read(0, raw) != raw.size())
        return out;
    out.header = ImageHeader{ConstBytes(raw)};
    const ImageHeader& header = out.header;
    if (log)
        logf(*log, "size=0x%X adress=0x%X flags=0x%X", header.length(), header.address(), header.flags());
    if (!header.validRegion())
        return out;
    if (log)
        logf(*log, "HEADER_ADDRESS=0x%X", header.address());

    if (header.address() == kSoftwareAddress) {
        if (log)
            log->write("0x08000 MainSoftware");
        out.kind = kImageSoftware;
    } else if (header.address() == kPictureStoreAddress) {
        out.kind = kImagePictureStore;
    } else if (isPluginAddress(header.address())) {
        if (log)
            log->write("PLUGINS AREA");
        out.kind = kImageSoftware;
    } else if (isDatabaseFileSize(size)) {
        out.kind = kImageDatabase;
    }
    return out;
}

} // namespace

ImageKind ImageFile::readImageFile(const std::string& path, LogSink& log) {
    FileSource source(path);
    lastReadProblem_ = source.problem();
    if (!source.ok())
        return kImageNotRecognised;
    return readImage(source, log);
}

ImageKind ImageFile::readImageBytes(ConstBytes file, LogSink& log) {
    MemorySource source(file);
    return readImage(source, log);
}

ImageKind ImageFile::readImage(ImageSource& source, LogSink& log) {
    const Classification found = classify(source, &log);
    if (found.kind != kImageDatabase)
        return found.kind;
    const ImageHeader& header = found.header;
    const std::size_t size = source.size();
    const auto layout = matchDatabaseKind(size, header.address(), header.length());
    if (!layout)
        return kImageNotRecognised;

    // The new payload is read beside the held one; only a complete database image replaces it.
    std::vector<std::uint8_t> staged;
    try {
        staged.resize(size - kImageHeaderSize);
    } catch (const std::bad_alloc&) {
        return kImageNotRecognised;
    }
    if (source.read(kImageHeaderSize, staged) != staged.size())
        return kImageNotRecognised;

    log.write(layout->kind->text);
    held_ = true;
    header_ = header;
    payload_.swap(staged);
    kind_ = layout->kind;
    classifiedBase_ = layout->base;
    classifiedConfig_ = layout->config;
    base_.reset();
    config_.reset();
    settingsAreaPresent_ = false;
    providerAreaPresent_ = false;
    return kImageDatabase;
}

void ImageFile::locateAreas(LogSink& log) {
    base_.reset();
    config_.reset();
    settingsAreaPresent_ = false;
    providerAreaPresent_ = false;
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

    ConstBytes settingsBlock = settingsAreaBytes();
    if (readU32(settingsBlock, settings_check::kCrc) == crc16(slice(settingsBlock, 0, settings_check::kCrcCovered))) {
        log.write("BA_2 CRC_OK");
        settingsAreaPresent_ = true;
    }
    ConstBytes providerBlock = providerAreaBytes();
    providerAreaPresent_ = providerAreaValid(providerBlock);
    logf(log, "BA_3 CRC_%s dla kanalow %s MAX=%d", providerAreaPresent_ ? "OK" : "ERROR",
         boundedText(providerBlock, provider_layout::kTag, provider_layout::kTagSize).c_str(), static_cast<int>(channelCapacity()));
}

bool ImageFile::writeImageFile(const std::string& path, const ImageWriteOptions& options, LogSink& log) {
    lastWriteError_.clear();
    lastWriteMadeBackup_ = false;
    lastWriteBackupRefused_ = false;
    lastWriteErrorNumber_ = 0;
    if (!held_) {
        lastWriteError_ = "no image is open";
        return false;
    }
    refreshForSave(options.date);

    const std::span<const std::uint8_t> parts[] = {header_.bytes(), payload_};
    const AtomicWriteResult r = writeFileAtomically(path, parts, {options.keepBackup, options.sync});
    lastWriteMadeBackup_ = r.backupMade;
    lastWriteBackupRefused_ = r.backupRefused;
    if (!r.ok) {
        lastWriteError_ = r.error;
        lastWriteErrorNumber_ = r.errorNumber;
        logf(log, "write failed: %s", r.error.c_str());
        return false;
    }
    if (options.keepBackup && !r.backupMade)
        logf(log, "no backup made of %s", path.c_str());
    return true;
}

std::vector<std::uint8_t> ImageFile::fileBytesForSave(std::string_view date) {
    if (!held_)
        return {};
    refreshForSave(date);
    std::vector<std::uint8_t> bytes(header_.bytes().begin(), header_.bytes().end());
    bytes.insert(bytes.end(), payload_.begin(), payload_.end());
    return bytes;
}

void ImageFile::refreshForSave(std::string_view date) {
    if (!held_)
        return;
    if (settingsAreaPresent_) {
        Bytes settingsBlock = settingsArea();
        writeU32(settingsBlock, settings_check::kCrc, crc16(slice(ConstBytes(settingsBlock), 0, settings_check::kCrcCovered)));
    }
    if (providerAreaPresent_)
        sealProviderArea(providerArea());
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
    settingsAreaPresent_ = false;
    providerAreaPresent_ = false;
}

std::size_t ImageFile::providerCapacity() const {
    return providerAreaPresent_ ? cs::providerCapacity(providerLayout(providerAreaBytes())) : 0;
}

Bytes ImageFile::baseArea() { return base_ ? slice(Bytes(payload_), *base_, baseAreaSize(channelCapacity())) : Bytes(); }
ConstBytes ImageFile::baseArea() const {
    return base_ ? slice(ConstBytes(payload_), *base_, baseAreaSize(channelCapacity())) : ConstBytes();
}
Bytes ImageFile::configArea() { return config_ ? slice(Bytes(payload_), *config_, config_area::kSize) : Bytes(); }
ConstBytes ImageFile::configArea() const {
    return config_ ? slice(ConstBytes(payload_), *config_, config_area::kSize) : ConstBytes();
}
Bytes ImageFile::settingsArea() { return settingsAreaPresent_ ? slice(configArea(), config_area::kSettingsArea, config_area::kSettingsAreaSize) : Bytes(); }
ConstBytes ImageFile::settingsArea() const {
    return settingsAreaPresent_ ? slice(configArea(), config_area::kSettingsArea, config_area::kSettingsAreaSize) : ConstBytes();
}
ConstBytes ImageFile::settingsAreaBytes() const {
    return config_ ? slice(configArea(), config_area::kSettingsArea, config_area::kSettingsAreaSize) : ConstBytes();
}
Bytes ImageFile::providerArea() { return providerAreaPresent_ ? slice(configArea(), config_area::kProviderArea, provider_layout::kSize) : Bytes(); }
ConstBytes ImageFile::providerArea() const {
    return providerAreaPresent_ ? slice(configArea(), config_area::kProviderArea, provider_layout::kSize) : ConstBytes();
}
ConstBytes ImageFile::providerAreaBytes() const {
    return config_ ? slice(configArea(), config_area::kProviderArea, provider_layout::kSize) : ConstBytes();
}

ImageKind classifyImageFile(const std::string& path) {
    FileSource source(path);
    if (!source.ok())
        return kImageNotRecognised;
    return classify(source, nullptr).kind;
}

ImageKind classifyImageBytes(ConstBytes file) {
    MemorySource source(file);
    return classify(source, nullptr).kind;
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
