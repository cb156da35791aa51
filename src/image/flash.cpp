#include "image/flash.h"

#include "common/crc16.h"
#include "image/satellite_defaults.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace cs {

ProviderRebuildResult FlashSteps::rebuildProviders(Flash& flash) {
    return rebuildProviderArea(flash.providerWork(), *this, flash.channelCapacity(), flash.providerCapacity());
}

void PlainChannelSlots::loadEntries(Flash& flash) {
    inUse_.reset();
    // The table of names is made on first use: a program that installs the database's own
    // steps never needs it.
    if (names_)
        names_->fill({});
    else
        names_ = std::make_unique<Names>();
    const auto records = flash.records();
    const std::size_t n = std::min(flash.channelCapacity(), records.size());
    for (std::size_t i = 0; i < n; ++i)
        inUse_[i] = flash.validAtOpen(i);
}

void PlainChannelSlots::attachProviderNames(Flash& flash) {
    const ProviderWorkArea& work = flash.providerWork();
    if (!work.holdsVerify())
        return;
    if (!names_)
        names_ = std::make_unique<Names>();
    // The first record with the marker for each number, found in one pass over the records.
    constexpr std::uint16_t kNone = 0xFFFF;
    std::vector<std::uint16_t> recordOf(65536, kNone);
    const std::size_t capacity = std::min(flash.providerCapacity(), ProviderWorkArea::kRecordCount);
    for (std::size_t r = capacity; r-- > 0;) {
        const ProviderRecord rec = work.provider(r);
        if (rec.hasMarker())
            recordOf[rec.number()] = static_cast<std::uint16_t>(r);
    }
    const std::size_t n = std::min(flash.channelCapacity(), ProviderWorkArea::kSlots);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t number = work.providerNumber(i);
        if (number == 0 || recordOf[number] == kNone)
            continue;
        const ProviderRecord rec = work.provider(recordOf[number]);
        const std::string_view name = rec.name();
        auto& dst = (*names_)[i];
        dst.fill(0);
        std::copy_n(name.begin(), std::min(name.size(), ProviderRecord::kNameMax), dst.begin());
    }
}

std::string_view PlainChannelSlots::providerName(std::size_t slot) const {
    if (slot >= kMaxChannelSlots || !names_)
        return {};
    const auto& n = (*names_)[slot];
    return {n.data(), static_cast<std::size_t>(std::find(n.begin(), n.end(), '\0') - n.begin())};
}

std::bitset<66> PlainChannelSlots::usedSatellites(const Flash& flash) const {
    std::bitset<66> used;
    const auto records = flash.records();
    for (std::size_t i = 0; i < records.size(); ++i)
        if (slotInUse(i) && records[i].satellite() <= kSatelliteDvbC)
            used[records[i].satellite()] = true;
    return used;
}

std::size_t PlainChannelSlots::listMembers(const Flash& flash, std::size_t list) const {
    std::size_t count = 0;
    const auto records = flash.records();
    for (std::size_t i = 0; i < records.size(); ++i)
        if (slotInUse(i) && records[i].listPosition(list) != 0)
            ++count;
    return count;
}

std::size_t PlainChannelSlots::verifiedProviders(const Flash& flash) const {
    const ProviderWorkArea& work = flash.providerWork();
    if (!work.holdsVerify())
        return 0;
    // Channels per provider number.
    std::vector<std::uint16_t> users(65536, 0);
    const std::size_t n = std::min(flash.channelCapacity(), ProviderWorkArea::kSlots);
    for (std::size_t i = 0; i < n; ++i)
        if (slotInUse(i) && work.providerNumber(i) != 0)
            ++users[work.providerNumber(i)];
    std::size_t count = 0;
    const std::size_t capacity = std::min(flash.providerCapacity(), ProviderWorkArea::kRecordCount);
    for (std::size_t r = 0; r < capacity; ++r) {
        const ProviderRecord rec = work.provider(r);
        if (rec.hasMarker() && rec.number() != 0 && users[rec.number()] >= 2)
            ++count;
    }
    return count;
}

Flash::Flash(LogSink& log)
    : log_(log),
      records_(std::make_unique<ChannelRecordArray>()),
      providerWork_(std::make_unique<ProviderWorkArea>()),
      settings_(std::make_unique<SettingsModel>()),
      transponders_(std::make_unique<TransponderTable>()) {
    records_->fill(ChannelRecord::erased());
    initialSatellites(*settings_);
}

OpenResult Flash::openImage(const std::string& path) {
    // A file that is not regular is never read (nor waited on); the result codes stay those of
    // a missing file (folder, link loop) and of a file that is no database (FIFO, device).
    const ImageKind type = image_.readImageFile(path, log_);
    openProblem_ = image_.lastReadProblem();
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return OpenResult::NoFile;
    return finishOpen(type, path);
}

OpenResult Flash::openImageBytes(ConstBytes file, const std::string& name) {
    return finishOpen(image_.readImageBytes(file, log_), name);
}

OpenResult Flash::finishOpen(ImageKind type, const std::string& path) {
    if (type == kImageDatabase) {
        image_.locateAreas(log_);
        validAtOpen_.reset();
        damagedRecords_ = 0;
        const ConstBytes base = image_.baseArea();
        const std::size_t slots = std::min(image_.channelCapacity(), kMaxChannelSlots);
        for (std::size_t i = 0; i < slots && image_.hasBase(); ++i) {
            const ConstBytes bytes = slice(base, i * ChannelRecord::size, ChannelRecord::size);
            validAtOpen_[i] = isValidChannelRecord(ChannelRecord(bytes));
            if (!validAtOpen_[i] && std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0xFF; }))
                ++damagedRecords_;
        }
    }
    writeOpenDiagnostics(type);
    switch (type) {
    case kImageSoftware:
        return OpenResult::Software;
    case kImagePictureStore:
        return OpenResult::PictureStore;
    case kImageDatabase:
        break;
    default:
        return OpenResult::NotDatabase;
    }

    path_ = path;
    loaded_ = true;
    steps_->resetViews();
    loadSettingsDefaults(*settings_);
    loadSettings(*settings_, image_.settingsArea(), log_);
    loadProviderArea(*providerWork_, image_.providerArea(), log_);
    records_->fill(ChannelRecord::erased());
    if (image_.hasBase())
        loadChannelTable(image_.baseArea(), image_.channelCapacity(), *records_);
    steps_->loadEntries(*this);
    steps_->attachProviderNames(*this);
    loadTransponders(*transponders_, image_.configArea());
    return OpenResult::Loaded;
}

void Flash::writeOpenDiagnostics(ImageKind type) {
    if (type == kImageDatabase) {
        logf(log_, "channel count=%d", static_cast<int>(validAtOpen_.count()));
        if (image_.hasConfig())
            logSettingsAreaDiagnostics(image_.settingsAreaBytes(), log_);
        if (image_.hasProviderArea()) {
            const ConstBytes providerBlock = image_.providerAreaBytes();
            logf(log_, "CRC BA_3=0x%04X  provider_verify=%X", readU32(providerBlock, provider_layout::kCrc), readU32(providerBlock, provider_layout::kBasicVerify));
            logf(log_, "BA_3 obliczone 0x%04X provider_verify=%X", crc16(slice(providerBlock, 0, provider_layout::kCrcCovered)),
                 kProviderVerifyMagic);
        }
    }
    logf(log_, "SYSTEM_INFO=%d", kSystemInfo);
    logf(log_, "iTypeFile=%d", static_cast<int>(type));
}

SaveResult Flash::saveImage(const std::string& path, bool keepBackup, const SaveOptions& options) {
    if (!storeIntoImage())
        return SaveResult::Failed;
    const bool ok = image_.writeImageFile(path, {keepBackup, options.sync, options.date}, log_);
    lastSave_.backupMade = image_.lastWriteMadeBackup();
    lastSave_.error = image_.lastWriteError();
    lastSave_.errorNumber = image_.lastWriteErrorNumber();
    lastSave_.backupRefused = image_.lastWriteBackupRefused();
    if (ok)
        return SaveResult::Saved;
    return image_.lastWriteBackupRefused() ? SaveResult::BackupRefused : SaveResult::Failed;
}

bool Flash::saveImageBytes(std::vector<std::uint8_t>& out, const SaveOptions& options) {
    if (!storeIntoImage())
        return false;
    out = image_.fileBytesForSave(options.date);
    return true;
}

bool Flash::storeIntoImage() {
    lastSave_ = SaveReport();
    if (!loaded_ || !image_.hasImage()) {
        lastSave_.error = "no database is open";
        return false;
    }
    if (image_.hasBase())
        lastSave_.channelsWritten =
            writeChannelTable(image_.baseArea(), image_.channelCapacity(), *records_,
                              [this](std::size_t slot) { return steps_->slotInUse(slot); }, log_);
    if (image_.hasConfig())
        saveTransponders(*transponders_, image_.configArea());
    if (image_.hasSettingsArea())
        storeSettings(*settings_, image_.settingsArea());
    // An image without a channel table (config.dsp) keeps its BA_3: those providers belong to
    // channels kept in another file, and renumbering them from zero channels would wipe them.
    if (image_.hasBase()) {
        lastSave_.providers = steps_->rebuildProviders(*this);
        if (lastSave_.providers.dropped > 0)
            logf(log_, "providers over capacity: %d dropped, %d channels saved without provider",
                 static_cast<int>(lastSave_.providers.dropped),
                 static_cast<int>(lastSave_.providers.channelsUnassigned));
        storeProviderArea(*providerWork_, image_.providerArea());
        steps_->providersStored(*this);
    }
    return true;
}

} // namespace cs
