#pragma once
// The image manager's model: three picture slots (logo, radio picture, background), the store's
// current path and modified flag, the memory figure, and reading and writing store files.
#include "common/log_sink.h"
#include "pictures/picture_slot.h"
#include "pictures/picture_store_format.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace cs {

// The memory figure shown while editing: the stored pictures plus the file system in front of
// them, against the 65536 bytes of a store file.
inline constexpr std::size_t kPictureMemoryLimit = 65536;
inline constexpr std::size_t kPictureMemoryBarMaximum = 61408;

struct PictureMemoryUse {
    std::size_t used = 0;                                 // encoded sizes + 4128 when any picture
    bool overLimit = false;                               // used > 65536
    std::array<bool, picture_store_format::kPictureCount> leftOut{};  // pictures a save would have to leave out
    // "ERROR SIZE!" is shown for either: the figure alone misses pictures that fit byte for byte
    // but not once their allocations are rounded up.
    bool errorSize() const { return overLimit || leftOut[0] || leftOut[1] || leftOut[2]; }
};

class PictureStore {
public:
    static constexpr int kSlotCount = picture_store_format::kPictureCount;

    PictureSlot& slot(int n) { return slots_.at(static_cast<std::size_t>(n)); }
    const PictureSlot& slot(int n) const { return slots_.at(static_cast<std::size_t>(n)); }

    const std::string& currentPath() const { return currentPath_; }
    void setCurrentPath(std::string path) { currentPath_ = std::move(path); }
    bool modified() const { return modified_; }
    void setModified(bool m) { modified_ = m; }

    // A new store: every slot and its effects cleared, no path, modified.
    void reset();
    bool anyLoaded() const;
    PictureMemoryUse memoryUse() const;

private:
    std::array<PictureSlot, picture_store_format::kPictureCount> slots_;
    std::string currentPath_;
    bool modified_ = false;
};

// Status text: label (the language's "About_MemoryUses") + " %d Kbytes %s".
std::string pictureMemoryText(std::string_view label, const PictureMemoryUse& use);

// Reads a store file into slots 0..2 (the entries it holds; other slots are not touched). A file
// that fails a check loads nothing and leaves the store as it was. On success the path becomes the
// current path and the store is unmodified.
bool readPictureStore(const std::string& path, PictureStore& store, LogSink& log);

struct PictureStoreWriteResult {
    bool written = false;
    std::array<bool, picture_store_format::kPictureCount> leftOut{};  // pictures too large for the store
    std::string error;                                     // why nothing was written
};

// Writes the slots' encoded pictures as a new store file (atomically: a failed write leaves the
// previous file intact). Nothing is written when no picture fits. On success the path becomes the
// current path and the store is unmodified.
PictureStoreWriteResult writePictureStore(const std::string& path, PictureStore& store, LogSink& log);

// Today's local date as "YYYYMMDD".
std::string todayStamp();

} // namespace cs
