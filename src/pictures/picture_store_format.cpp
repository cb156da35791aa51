#include "pictures/picture_store_format.h"

#include <algorithm>
#include <cstring>

namespace cs::picture_store_format {

std::string storeErrorText(StoreError e) {
    switch (e) {
    case StoreError::None: return "";
    case StoreError::TooLarge: return "error_1";
    case StoreError::ShortHeader: return "error_2";
    case StoreError::ShortPayload: return "error_3";
    case StoreError::WrongAddress: return "error_4";
    case StoreError::NoFileSystem: return "error_5 payload too short for the file system";
    case StoreError::EntryOutOfPayload: return "error_6 file entry outside the payload";
    }
    return "";
}

namespace {

std::string entryName(ConstBytes entry) {
    ConstBytes raw = slice(entry, kEntryName, kEntryNameSize);
    auto end = std::find(raw.begin(), raw.end(), 0);
    return std::string(raw.begin(), end);
}

std::size_t roundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }

void copyText(Bytes dst, std::size_t off, std::string_view text) {
    Bytes to = slice(dst, off, text.size());
    std::memcpy(to.data(), text.data(), text.size());
}

} // namespace

ParseResult parsePictureStore(ConstBytes file, LogSink& log) {
    ParseResult result;
    auto fail = [&](StoreError e) {
        result.error = e;
        result.store.entries.clear();
        log.write(storeErrorText(e));
        return result;
    };
    if (file.size() > kMaxFileSize)
        return fail(StoreError::TooLarge);
    if (file.size() < kHeaderSize)
        return fail(StoreError::ShortHeader);
    ParsedStore& s = result.store;
    s.fileSize = file.size();
    s.address = readU32(file, kHeaderAddress);
    s.lengthWords = readU32(file, kHeaderLength);
    if (s.address != kStoreAddress)
        return fail(StoreError::WrongAddress);

    ConstBytes payload = file.subspan(kHeaderSize);
    logf(log, "sizeof(FILESYS_INFO)=%d sizeof(FILESYS_INFO)=%d", static_cast<int>(kInfoSize), static_cast<int>(kEntrySize));
    logf(log, "addres=0x%x WORD", s.address);
    logf(log, "size=0x%x WORD, size=%u", s.lengthWords, s.lengthWords * 2u);
    logf(log, "FileReadSize=%d (z 64 HEADER)", static_cast<int>(file.size()));
    logf(log, "FileReadSize(WithoutHeader)=%d", static_cast<int>(payload.size()));
    // Without the whole entry table there is nothing trustworthy to scan.
    if (payload.size() < kPictureDataStart)
        return fail(StoreError::NoFileSystem);
    s.usedSize = readU32(payload, kInfoUsedSize);
    logf(log, "filesys_info->size=%u b", s.usedSize);

    for (int n = 0; n < kEntryCount; ++n) {
        ConstBytes entry = slice(payload, kEntryTable + kEntrySize * static_cast<std::size_t>(n), kEntrySize);
        const std::uint32_t size = readU32(entry, kEntryDataSize);
        if (size == 0)
            continue;
        if (n >= kPictureCount)
            break;
        const std::uint32_t offset = readU32(entry, kEntryDataOffset);
        StoreEntry e{n, entryName(entry), size, offset};
        log.write("---------------");
        log.write(e.name);
        logf(log, "file_info->size =%u b", size);
        logf(log, "file_info->wsk =0x%x offset %u b", offset, offset);
        // A damaged or hostile entry must not make us read past the payload.
        if (!fits(payload.size(), offset, size)) {
            result.failedEntry = n;
            return fail(StoreError::EntryOutOfPayload);
        }
        ConstBytes data = payload.subspan(offset, size);
        std::string first;
        for (std::size_t i = 0; i < std::min<std::size_t>(8, data.size()); ++i)
            first += format(i == 0 ? "%02X" : " %02X", data[i]);
        log.write(first);
        s.entries.push_back(std::move(e));
    }
    return result;
}

ConstBytes entryData(ConstBytes file, const StoreEntry& entry) {
    return slice(file, kHeaderSize + entry.offset, entry.size);
}

StorePlan planPictureStore(const std::array<std::size_t, kPictureCount>& sizes, LogSink* log) {
    StorePlan plan;
    std::size_t position = kPictureDataStart;
    for (int n = 0; n < kPictureCount; ++n) {
        const std::size_t size = sizes[static_cast<std::size_t>(n)];
        if (size == 0)
            continue;
        // The next picture starts at the first 512-byte boundary after this one's data. For the
        // first picture that is its size plus the 32 bytes in front of it, rounded up, less those
        // 32 bytes; rounding the size alone would let a first picture of 481..512 bytes past a
        // multiple of 512 run into the second.
        std::size_t allocation = roundUp(size, kAllocationUnit);
        if (position == kPictureDataStart)
            allocation = roundUp(size + kFirstAllocationReduction, kAllocationUnit) - kFirstAllocationReduction;
        // The data alone ending below 65473 is not enough: the allocation is what the used size
        // and the file length grow by, and the reader refuses files above 65536 bytes.
        if (position + size >= kPictureEndLimit || position + allocation > kMaxPayload) {
            if (log)
                logf(*log, "ERROR SIZE! %zu", position + size);
            plan.leftOut[static_cast<std::size_t>(n)] = true;
            continue;
        }
        plan.offsets[static_cast<std::size_t>(n)] = static_cast<std::uint32_t>(position);
        plan.stored[static_cast<std::size_t>(n)] = true;
        position += allocation;
    }
    plan.usedSize = static_cast<std::uint32_t>(position);
    return plan;
}

BuiltStore buildPictureStore(const std::array<ConstBytes, kPictureCount>& pictures, std::string_view date,
                             LogSink& log) {
    log.write("-+==CreateDspPictureFile==+-");
    std::array<std::size_t, kPictureCount> sizes{};
    for (int n = 0; n < kPictureCount; ++n)
        sizes[static_cast<std::size_t>(n)] = pictures[static_cast<std::size_t>(n)].size();

    BuiltStore built;
    built.plan = planPictureStore(sizes, &log);
    const StorePlan& plan = built.plan;

    std::vector<std::uint8_t> payload(kMaxFileSize, 0xFF);
    Bytes p(payload);
    copyText(p, kInfoMagic, kInfoMagicText);
    std::fill_n(payload.begin() + static_cast<std::ptrdiff_t>(kInfoUsedSize), kPictureDataStart - kInfoUsedSize, 0);
    for (int n = 0; n < kPictureCount; ++n) {
        if (!plan.stored[static_cast<std::size_t>(n)])
            continue;
        ConstBytes jpeg = pictures[static_cast<std::size_t>(n)];
        const std::uint32_t position = plan.offsets[static_cast<std::size_t>(n)];
        Bytes to = slice(p, position, jpeg.size());
        std::copy(jpeg.begin(), jpeg.end(), to.begin());
        const std::size_t entry = kEntryTable + kEntrySize * static_cast<std::size_t>(n);
        copyText(p, entry + kEntryName, kEntryNames[static_cast<std::size_t>(n)]);
        writeU32(p, entry + kEntryDataSize, static_cast<std::uint32_t>(jpeg.size()));
        writeU32(p, entry + kEntryDataOffset, position);
        const std::string name(kEntryNames[static_cast<std::size_t>(n)]);
        logf(log, "load jpg size=%zu %s", jpeg.size(), name.c_str());
        logf(log, "write_into_buffer - total_file_size=%u %s", position + static_cast<std::uint32_t>(jpeg.size()),
             name.c_str());
    }
    writeU32(p, kInfoUsedSize, plan.usedSize);
    if (!plan.anyStored()) {
        log.write("ERROR::return FALSE");
        return built;
    }

    std::vector<std::uint8_t>& file = built.file;
    file.assign(kHeaderSize + plan.usedSize, 0);
    Bytes f(file);
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(kHeaderColons), 16, ':');
    copyText(f, kHeaderIdent, "MOVRINDA");
    std::string day(date.substr(0, 8));
    day.resize(8, '0');
    copyText(f, kHeaderDate, day);
    writeU32(f, kHeaderFill, 0xFFFFFFFFu);
    copyText(f, kHeaderSpaces, "        ");
    writeU16(f, kHeaderFlags, kHeaderValidFlag);
    writeU32(f, kHeaderAddress, kStoreAddress);
    writeU32(f, kHeaderLength, (plan.usedSize + 1) / 2);
    std::copy_n(payload.begin(), plan.usedSize, file.begin() + static_cast<std::ptrdiff_t>(kHeaderSize));
    return built;
}

} // namespace cs::picture_store_format
