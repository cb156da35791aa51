#pragma once
// The working image `flash`: the one image file held in memory with its areas, the in-memory
// channel record array, the working copy of BA_3, the settings model and the transponder table,
// and the file-level order of opening and saving. The in-memory database plugs its own steps of
// opening and saving in through FlashSteps.
#include "common/log_sink.h"
#include "image/channel_table.h"
#include "image/image_file.h"
#include "image/provider_area.h"
#include "image/provider_rebuild.h"
#include "image/settings_area.h"
#include "image/transponders.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

class Flash;

// What openImage made of a file. The numbers are the ones `channelsettings-cli info` prints as
// "result", so they stay fixed.
enum class OpenResult : int {
    Loaded = 0,
    NoFile = 1,
    NotDatabase = 2,
    Software = 26,       // main software or plug-in image
    PictureStore = 42,
};

// What saveImage did.
enum class SaveResult : int {
    Saved = 0,
    Failed = 1,          // nothing open, or the file could not be written; lastSave().error says why
    BackupRefused = 2,   // a plain save whose ".BAK" could not be made: the file is unchanged, and
                         // lastSave().error says why and suggests Save as
};

// The steps of opening and saving that belong to the in-memory channel database. At open they
// run after the image's tables were copied into `flash` (records, provider work area, settings);
// at save they tell which slots are in use and which provider each carries.
class FlashSteps : public ChannelSlotSource {
public:
    // The main window drops its views of the previous database.
    virtual void resetViews() {}
    // Rebuild every entry from flash.records() (the channel table is already copied).
    virtual void loadEntries(Flash& flash) = 0;
    // Fill each entry's provider name from flash.providerWork().
    virtual void attachProviderNames(Flash& flash) = 0;
    // Renumber the providers into flash.providerWork() in the compacted channel order.
    virtual ProviderRebuildResult rebuildProviders(Flash& flash);
    // BA_3 has taken the rebuilt numbers (in the order of the saved table); the database may put
    // its working copy back into its own slot order.
    virtual void providersStored(Flash& flash) {}
};

// The database state that can be read straight from the image: which slots hold a valid record
// and the provider name each carries. It serves the command line and tests, and stands in for
// the in-memory database until one installs its own steps.
class PlainChannelSlots final : public FlashSteps {
public:
    void loadEntries(Flash& flash) override;
    void attachProviderNames(Flash& flash) override;
    bool slotInUse(std::size_t slot) const override { return slot < inUse_.size() && inUse_[slot]; }
    std::string_view providerName(std::size_t slot) const override;

    std::size_t channelCount() const { return inUse_.count(); }
    // Satellite numbers 1..65 that at least one in-use channel carries.
    std::bitset<66> usedSatellites(const Flash& flash) const;
    // In-use channels with a position in favourite list 1..8.
    std::size_t listMembers(const Flash& flash, std::size_t list) const;
    // Provider records in use after verification: marker, non-zero number and at least two
    // in-use channels carrying that number.
    std::size_t verifiedProviders(const Flash& flash) const;

private:
    using Names = std::array<std::array<char, ProviderRecord::kNameSize>, kMaxChannelSlots>;
    std::bitset<kMaxChannelSlots> inUse_;
    std::unique_ptr<Names> names_;  // made by the first loadEntries
};

struct SaveOptions {
    bool sync = true;       // fsync the written file; off only for benchmarks
    std::string date;       // header date "YYYYMMDD"; empty: today
};

struct SaveReport {
    std::size_t channelsWritten = 0;
    ProviderRebuildResult providers;
    bool backupMade = false;
    std::string error;      // why the file could not be written
    int errorNumber = 0;    // the system's error number of that failure
    bool backupRefused = false;
};

class Flash {
public:
    explicit Flash(LogSink& log);
    Flash(const Flash&) = delete;
    Flash& operator=(const Flash&) = delete;

    // The in-memory database installs its steps; without it PlainChannelSlots serves.
    void setSteps(FlashSteps& steps) { steps_ = &steps; }
    FlashSteps& steps() { return *steps_; }
    PlainChannelSlots& plainSlots() { return plain_; }

    // Only OpenResult::Loaded replaces the open database.
    OpenResult openImage(const std::string& path);
    // The same for a file's bytes already in memory; `name` becomes the open file's path.
    OpenResult openImageBytes(ConstBytes file, const std::string& name);

    // With keepBackup the previous file becomes the ".BAK" once the new content is safely
    // written.
    SaveResult saveImage(const std::string& path, bool keepBackup, const SaveOptions& options = {});
    // The same save into memory, as the file would be written (for standard output); false when
    // no database is open.
    bool saveImageBytes(std::vector<std::uint8_t>& out, const SaveOptions& options = {});
    // The in-memory part of a save: channel table, transponders, settings and providers written
    // into the image buffer. False when no database is open.
    bool storeIntoImage();

    const std::string& path() const { return path_; }
    // Why the last openImage could not read its path at all (a folder, FIFO, device, link loop);
    // FileProblem::None when it was read.
    FileProblem openProblem() const { return openProblem_; }
    bool loaded() const { return loaded_; }
    ImageFile& image() { return image_; }
    const ImageFile& image() const { return image_; }
    std::size_t channelCapacity() const { return image_.channelCapacity(); }
    std::size_t providerCapacity() const { return image_.providerCapacity(); }

    // Whether the slot's record passed isValidChannelRecord when the image was opened; the
    // table is checked once per open, for the log and for loadEntries.
    bool validAtOpen(std::size_t slot) const { return slot < validAtOpen_.size() && validAtOpen_[slot]; }
    // Slots of the opened channel table that are neither erased (all 0xFF) nor a valid record:
    // damaged records, which opening leaves out and a save drops.
    std::size_t damagedRecords() const { return damagedRecords_; }

    std::span<ChannelRecord> records() { return *records_; }
    std::span<const ChannelRecord> records() const { return *records_; }
    ProviderWorkArea& providerWork() { return *providerWork_; }
    const ProviderWorkArea& providerWork() const { return *providerWork_; }
    SettingsModel& settings() { return *settings_; }
    const SettingsModel& settings() const { return *settings_; }
    TransponderTable& transponders() { return *transponders_; }
    const TransponderTable& transponders() const { return *transponders_; }

    const SaveReport& lastSave() const { return lastSave_; }
    LogSink& log() { return log_; }

private:
    OpenResult finishOpen(ImageKind type, const std::string& path);
    void writeOpenDiagnostics(ImageKind type);

    LogSink& log_;
    ImageFile image_;
    std::unique_ptr<ChannelRecordArray> records_;
    std::unique_ptr<ProviderWorkArea> providerWork_;
    std::unique_ptr<SettingsModel> settings_;
    std::unique_ptr<TransponderTable> transponders_;
    std::bitset<kMaxChannelSlots> validAtOpen_;
    std::size_t damagedRecords_ = 0;
    PlainChannelSlots plain_;
    FlashSteps* steps_ = &plain_;
    std::string path_;
    bool loaded_ = false;
    SaveReport lastSave_;
    FileProblem openProblem_ = FileProblem::None;
};

} // namespace cs
