#include "pictures/picture_store.h"

#include "common/regular_file.h"

#include "pictures/file_io.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cs {

using namespace picture_store_format;

void PictureStore::reset() {
    for (PictureSlot& s : slots_)
        s.clear();
    currentPath_.clear();
    modified_ = true;
}

bool PictureStore::anyLoaded() const {
    for (const PictureSlot& s : slots_)
        if (s.loaded())
            return true;
    return false;
}

PictureMemoryUse PictureStore::memoryUse() const {
    PictureMemoryUse use;
    std::array<std::size_t, kPictureCount> sizes{};
    for (std::size_t n = 0; n < slots_.size(); ++n) {
        if (!slots_[n].loaded())
            continue;
        sizes[n] = slots_[n].encodedSize();
        use.used += sizes[n];
    }
    if (anyLoaded())
        use.used += kPictureDataStart;
    use.overLimit = use.used > kPictureMemoryLimit;
    use.leftOut = planPictureStore(sizes).leftOut;
    return use;
}

std::string pictureMemoryText(std::string_view label, const PictureMemoryUse& use) {
    return std::string(label) +
           format(" %d Kbytes %s", static_cast<int>(use.used / 1024), use.errorSize() ? "ERROR SIZE!" : "");
}

namespace {

// Reads the file in the steps whose failures the log names: size, header, payload.
bool readStoreFile(const std::string& path, std::vector<std::uint8_t>& file, LogSink& log) {
    const RegularFile in(path);  // never waits on a FIFO or device
    if (!in.ok()) {
        logf(log, "cannot open %s", in.error().c_str());
        return false;
    }
    if (in.size() > kMaxFileSize) {
        log.write(storeErrorText(StoreError::TooLarge));
        return false;
    }
    file.assign(static_cast<std::size_t>(in.size()), 0);
    const std::size_t done = in.readAt(0, file.data(), file.size());
    if (done < kHeaderSize) {
        log.write(storeErrorText(StoreError::ShortHeader));
        return false;
    }
    if (done < file.size()) {
        log.write(storeErrorText(StoreError::ShortPayload));
        return false;
    }
    return true;
}

} // namespace

bool readPictureStore(const std::string& path, PictureStore& store, LogSink& log) {
    std::vector<std::uint8_t> file;
    if (!readStoreFile(path, file, log))
        return false;
    const ParseResult parsed = parsePictureStore(file, log);
    if (!parsed.ok())
        return false;
    for (const StoreEntry& e : parsed.store.entries)
        store.slot(e.index).loadStored(entryData(file, e), log);
    store.setCurrentPath(path);
    store.setModified(false);
    return true;
}

PictureStoreWriteResult writePictureStore(const std::string& path, PictureStore& store, LogSink& log) {
    PictureStoreWriteResult result;
    std::array<ConstBytes, kPictureCount> pictures{};
    for (int n = 0; n < kPictureCount; ++n)
        if (store.slot(n).loaded())
            pictures[static_cast<std::size_t>(n)] = store.slot(n).encodedData();
    const BuiltStore built = buildPictureStore(pictures, todayStamp(), log);
    result.leftOut = built.plan.leftOut;
    if (built.file.empty()) {
        result.error = "no picture fits in the store";
        return result;
    }
    if (!replaceFile(path, built.file, result.error)) {
        logf(log, "write failed: %s", result.error.c_str());
        return result;
    }
    result.written = true;
    store.setCurrentPath(path);
    store.setModified(false);
    return result;
}

std::string todayStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return format("%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

} // namespace cs
