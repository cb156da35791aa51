#pragma once
// A receiver image file held in memory: its header, its payload and the areas the editor
// understands inside the payload (BASE with the channel table, CONFIG with BA_2 and BA_3), with
// their integrity checks. A file is read whole and written back whole with the same size.
#include "common/byte_order.h"
#include "common/log_sink.h"
#include "common/atomic_file.h"
#include "common/regular_file.h"
#include "image/image_header.h"
#include "image/provider_area.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

// Offsets inside CONFIG.
namespace config_area {
inline constexpr std::size_t kSize = 0x10000;
inline constexpr std::size_t kSettingsArea = 0x6000;
inline constexpr std::size_t kSettingsAreaSize = 0x2000;   // two 4096-byte blocks
inline constexpr std::size_t kProviderArea = 0x8000;
} // namespace config_area

// The checked part of BA_2: CRC-16 over bytes 0..4091, stored as u32 at 4092.
namespace settings_check {
inline constexpr std::size_t kCrc = 4092;
inline constexpr std::size_t kCrcCovered = 4092;
} // namespace settings_check

inline constexpr int kSystemInfo = 16;

// Where the bytes of an image come from: a file or memory.
class ImageSource {
public:
    virtual ~ImageSource() = default;
    virtual std::size_t size() const = 0;
    // Reads up to `out.size()` bytes at `offset`; returns how many arrived.
    virtual std::size_t read(std::size_t offset, Bytes out) = 0;
};

struct ImageWriteOptions {
    bool keepBackup = false;
    bool sync = true;
    std::string date;  // "YYYYMMDD" written into the header; empty: today's local date
};

class ImageFile {
public:
    // Reads and classifies a file. A database image (result 0) replaces the held image; any other
    // result leaves the held image, its kind and its areas exactly as they were, so that the
    // database already open can still be saved safely. Call locateAreas after a result of 0.
    ImageKind readImageFile(const std::string& path, LogSink& log);
    // The same from bytes in memory (the whole file, header included).
    ImageKind readImageBytes(ConstBytes file, LogSink& log);
    ImageKind readImage(ImageSource& source, LogSink& log);

    // Derives BASE, CONFIG, BA_2 and BA_3 and validates BA_2 (CRC) and BA_3 (CRC and
    // provider_verify); an area that fails is treated as absent until another file is read.
    void locateAreas(LogSink& log);

    // Recomputes the integrity values of BA_2 and BA_3 (when present) and refreshes the header:
    // colons, the date ("YYYYMMDD"; empty: today) and flags bit 7.
    void refreshForSave(std::string_view date);

    // refreshForSave, then writes header and payload to `path` through a temporary file. False
    // when no image is held or the file could not be written completely; `lastWriteError` tells
    // why.
    bool writeImageFile(const std::string& path, const ImageWriteOptions& options, LogSink& log);
    // refreshForSave, then the whole file as writeImageFile would write it (for a pipe); empty
    // when no image is held.
    std::vector<std::uint8_t> fileBytesForSave(std::string_view date);

    // Drops the held image.
    void clear();

    bool hasImage() const { return held_; }
    const ImageHeader& header() const { return header_; }
    std::size_t fileSize() const { return held_ ? kImageHeaderSize + payload_.size() : 0; }
    Bytes payload() { return payload_; }
    ConstBytes payload() const { return payload_; }

    std::string_view kindText() const { return kind_ ? kind_->text : std::string_view(); }
    int kindNumber() const { return kind_ ? kind_->kindNumber : 0; }
    std::size_t channelCapacity() const { return kind_ ? kind_->channelCapacity : 0; }
    std::size_t providerCapacity() const;

    bool hasBase() const { return base_.has_value(); }
    bool hasConfig() const { return config_.has_value(); }
    bool hasSettingsArea() const { return settingsAreaPresent_; }
    // CONFIG is there but BA_2 failed its check: its defaults are shown, and a save leaves it as it is.
    bool settingsAreaDamaged() const { return config_.has_value() && !settingsAreaPresent_; }
    bool hasProviderArea() const { return providerAreaPresent_; }
    std::optional<std::size_t> configOffset() const { return config_; }

    // The areas as spans into the payload; empty when the area is absent.
    Bytes baseArea();
    ConstBytes baseArea() const;
    Bytes configArea();
    ConstBytes configArea() const;
    Bytes settingsArea();              // only when BA_2 passed its check
    ConstBytes settingsArea() const;
    ConstBytes settingsAreaBytes() const;  // BA_2's bytes whenever CONFIG exists, checked or not
    Bytes providerArea();              // only when BA_3 passed its checks
    ConstBytes providerArea() const;
    ConstBytes providerAreaBytes() const;  // BA_3's bytes whenever CONFIG exists

    // What kept the last readImageFile from reading its path (a folder, FIFO, device, link loop).
    FileProblem lastReadProblem() const { return lastReadProblem_; }
    const std::string& lastWriteError() const { return lastWriteError_; }
    bool lastWriteMadeBackup() const { return lastWriteMadeBackup_; }
    bool lastWriteBackupRefused() const { return lastWriteBackupRefused_; }
    int lastWriteErrorNumber() const { return lastWriteErrorNumber_; }

private:
    bool held_ = false;
    ImageHeader header_;
    std::vector<std::uint8_t> payload_;
    const DatabaseKind* kind_ = nullptr;
    std::optional<std::size_t> classifiedBase_;
    std::optional<std::size_t> classifiedConfig_;
    std::optional<std::size_t> base_;
    std::optional<std::size_t> config_;
    bool settingsAreaPresent_ = false;
    bool providerAreaPresent_ = false;
    std::string lastWriteError_;
    bool lastWriteMadeBackup_ = false;
    bool lastWriteBackupRefused_ = false;
    int lastWriteErrorNumber_ = 0;
    FileProblem lastReadProblem_ = FileProblem::None;
};

// Read-only probe of a file's kind for the connection wizard: header bit 7 required; 1 for the
// software address or a plug-in address, 2 for the picture store, 0 for a database file size
// (address and length not checked), -1 otherwise.
ImageKind classifyImageFile(const std::string& path);
ImageKind classifyImageBytes(ConstBytes file);

// Today's local date as "YYYYMMDD".
std::string todayAsHeaderDate();

} // namespace cs
