#pragma once
// The picture store: a receiver image file whose header names flash address 0x90000 and whose
// payload is the receiver's small picture file system (a 32-byte info block, 128 file entries of
// 32 bytes, then the JPEG files). Pure functions over bytes; the file I/O is in picture_store.h.
#include "common/byte_order.h"
#include "common/log_sink.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cs::picture_store_format {

// File and header.
inline constexpr std::size_t kHeaderSize = 64;
inline constexpr std::size_t kMaxFileSize = 65536;
inline constexpr std::size_t kMaxPayload = kMaxFileSize - kHeaderSize;  // 65472
inline constexpr std::size_t kHeaderColons = 0;       // 16 x ':'
inline constexpr std::size_t kHeaderIdent = 16;       // "MOVRINDA"
inline constexpr std::size_t kHeaderDate = 24;        // "YYYYMMDD"
inline constexpr std::size_t kHeaderFill = 32;        // 0xFFFFFFFF
inline constexpr std::size_t kHeaderSpaces = 40;      // 8 x ' '
inline constexpr std::size_t kHeaderFlags = 52;       // u16, bit 7 = valid region
inline constexpr std::size_t kHeaderAddress = 56;     // u32, flash address in words
inline constexpr std::size_t kHeaderLength = 60;      // u32, (payload bytes + 1) / 2
inline constexpr std::uint16_t kHeaderValidFlag = 0x0080;
inline constexpr std::uint32_t kStoreAddress = 0x90000;

// Payload.
inline constexpr std::size_t kInfoSize = 32;
inline constexpr std::size_t kInfoMagic = 0;          // "FILE SYSTEM 2001", no terminator
inline constexpr std::size_t kInfoUsedSize = 16;      // u32
inline constexpr std::string_view kInfoMagicText = "FILE SYSTEM 2001";
inline constexpr std::size_t kEntryTable = 32;
inline constexpr std::size_t kEntrySize = 32;
inline constexpr int kEntryCount = 128;
inline constexpr std::size_t kEntryName = 0;          // 16 bytes, NUL-terminated
inline constexpr std::size_t kEntryNameSize = 16;
inline constexpr std::size_t kEntryDataSize = 16;     // u32, 0 = unused
inline constexpr std::size_t kEntryDataOffset = 20;   // u32, from the start of the payload
inline constexpr std::size_t kPictureDataStart = kEntryTable + kEntrySize * kEntryCount;  // 4128
inline constexpr std::size_t kAllocationUnit = 512;
// The first picture starts this far past a 512-byte boundary; its allocation is that much
// shorter, so that later pictures start aligned.
inline constexpr std::size_t kFirstAllocationReduction = kPictureDataStart % kAllocationUnit;  // 32
// A picture written at `position` must end below this payload offset.
inline constexpr std::size_t kPictureEndLimit = 65473;

// The editor's three pictures and their fixed entries.
inline constexpr int kPictureCount = 3;
inline constexpr std::array<std::string_view, kPictureCount> kEntryNames = {"mlogo25k.jpg", "x_radio1.jpg",
                                                                           "background.jpg"};

struct StoreEntry {
    int index = 0;
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

enum class StoreError {
    None,
    TooLarge,           // error_1: file above 65536 bytes
    ShortHeader,        // error_2: no complete 64-byte header
    ShortPayload,       // error_3: payload not read completely
    WrongAddress,       // error_4: header address is not 0x90000
    NoFileSystem,       // payload too short for the info block and the entry table
    EntryOutOfPayload,  // an entry's data lies outside the payload
};

// The log word of an error ("error_1" ...), or a short description for the others.
std::string storeErrorText(StoreError e);

struct ParsedStore {
    std::uint32_t address = 0;
    std::uint32_t lengthWords = 0;
    std::size_t fileSize = 0;
    std::uint32_t usedSize = 0;          // from the info block
    std::vector<StoreEntry> entries;     // entries 0..2 in use, in entry order
};

struct ParseResult {
    StoreError error = StoreError::None;
    int failedEntry = -1;  // the entry that lies outside the payload
    ParsedStore store;
    bool ok() const { return error == StoreError::None; }
};

// Checks a whole store file in memory and lists the entries the editor takes: entries with a
// size, in order, until the first used entry above 2. Logs as the reader does.
ParseResult parsePictureStore(ConstBytes file, LogSink& log);

// The data of a listed entry inside the file (entries of a successful parse always fit).
ConstBytes entryData(ConstBytes file, const StoreEntry& entry);

// Where each picture goes when a store is written.
struct StorePlan {
    std::array<std::uint32_t, kPictureCount> offsets{};
    std::array<bool, kPictureCount> stored{};
    std::array<bool, kPictureCount> leftOut{};   // had a picture that does not fit
    std::uint32_t usedSize = kPictureDataStart;  // end of the last allocation
    bool anyStored() const { return stored[0] || stored[1] || stored[2]; }
};

// Allocation of pictures of the given sizes (0 = no picture). The first starts at 4128; each
// takes its size rounded up to 512 bytes, the first 32 bytes less (counted so that its data still
// ends before the next picture), so later ones are aligned. A
// picture is left out when its allocation would carry the store past the 65472-byte payload the
// reader accepts. Logs "ERROR SIZE! %d" for each picture left out when a log is given.
StorePlan planPictureStore(const std::array<std::size_t, kPictureCount>& sizes, LogSink* log = nullptr);

struct BuiltStore {
    StorePlan plan;
    std::vector<std::uint8_t> file;  // empty when no picture was stored
};

// Lays out a complete store file (header with the given "YYYYMMDD" date, info block, entries and
// pictures). Logs as the writer does.
BuiltStore buildPictureStore(const std::array<ConstBytes, kPictureCount>& pictures, std::string_view date,
                             LogSink& log);

} // namespace cs::picture_store_format
