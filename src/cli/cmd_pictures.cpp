// pictures STORE.dsp [--extract DIR | --pack [--logo F] [--radio F] [--background F]]
// Lists a picture store, extracts its JPEG files, or packs pictures into a new store. --pack
// replaces STORE.dsp (atomically) with a store holding only the pictures given, and refuses to
// overwrite a file that is not a picture store.
#include "bmp_input.h"
#include "cli_args.h"
#include "command_registry.h"

#include "common/log_sink.h"
#include "common/new_file.h"
#include "common/regular_file.h"
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_store.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cs::cli {
namespace {

namespace fs = std::filesystem;
using namespace cs::picture_store_format;

// Pictures to import can be large photos; the store itself never exceeds 64 KiB.
constexpr std::size_t kMaxInputPicture = 256u * 1024 * 1024;
const char* const kSlotOptions[kPictureCount] = {"logo", "radio", "background"};

std::string whyNotAStore(const ParseResult& r, const ParsedStore& s) {
    switch (r.error) {
    case StoreError::TooLarge: return "it is larger than 65536 bytes";
    case StoreError::ShortHeader: return "it is shorter than its 64-byte header";
    case StoreError::ShortPayload: return "it could not be read completely";
    case StoreError::WrongAddress: return format("its header address is 0x%X, not 0x90000", s.address);
    case StoreError::NoFileSystem: return "its payload is too short for the picture file system";
    case StoreError::EntryOutOfPayload: return format("file entry %d lies outside the file", r.failedEntry);
    case StoreError::None: break;
    }
    return "";
}

// Reads and checks a store; prints the reason and gives false when it is not one.
bool loadStore(const std::string& path, std::vector<std::uint8_t>& file, ParseResult& parsed) {
    std::string error;
    auto data = readWholeFile(path, kMaxFileSize, error);
    if (!data) {
        std::fprintf(stderr, "%s is not a picture store: %s\n", path.c_str(), error.c_str());
        return false;
    }
    file = std::move(*data);
    NullLog log;
    parsed = parsePictureStore(file, log);
    if (!parsed.ok()) {
        std::fprintf(stderr, "%s is not a picture store: %s\n", path.c_str(), whyNotAStore(parsed, parsed.store).c_str());
        return false;
    }
    return true;
}

std::string listingJson(const ParsedStore& s) {
    std::string out = format("{\"used\": %u, \"entries\": [", s.usedSize);
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        const StoreEntry& e = s.entries[i];
        out += format("%s{\"index\": %d, \"name\": %s, \"size\": %u, \"offset\": %u}", i ? ", " : "", e.index,
                      jsonString(latin1ToUtf8(e.name)).c_str(), e.size, e.offset);
    }
    return out + "]}";
}

// An entry name comes from the file: use it only when it is a plain file name.
bool safeFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c > 0x7E || c == '/' || c == '\\')
            return false;
    return true;
}

int extract(const std::string& storePath, const std::string& dir) {
    std::vector<std::uint8_t> file;
    ParseResult parsed;
    if (!loadStore(storePath, file, parsed))
        return kBadInput;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "cannot create the folder %s: %s\n", dir.c_str(),
                     ec ? ec.message().c_str() : "a file of that name is in the way");
        return kWriteFailed;
    }
    std::set<std::string> used;
    for (const StoreEntry& e : parsed.store.entries) {
        std::string name = e.name;
        if (!safeFileName(name) || used.count(name)) {
            const std::string fallback = format("entry%d.jpg", e.index);
            std::fprintf(stderr, "entry %d: name %s is not usable as a file name, writing %s instead\n", e.index,
                         jsonString(latin1ToUtf8(e.name)).c_str(), fallback.c_str());
            name = fallback;
        }
        used.insert(name);
        // Never follows or replaces what is already there: a taken name gets "-1", "-2", ...
        fs::path written;
        std::string error;
        if (!writeNewFile(fs::path(dir) / name, entryData(file, e), written, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return kWriteFailed;
        }
        std::printf("%s\n", written.c_str());
    }
    return kOk;
}

// JPEG data for a picture file: JPEG as it is, BMP converted with the encoder's defaults.
bool pictureAsJpeg(const std::string& path, std::vector<std::uint8_t>& jpeg) {
    std::string error;
    auto data = readWholeFile(path, kMaxInputPicture, error);
    if (!data) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (data->size() >= 2 && (*data)[0] == 'B' && (*data)[1] == 'M') {
        std::optional<Bitmap> bitmap = readBmpPicture(path, error);
        JpegEncodeResult converted = bitmap ? encodeJpeg(*bitmap) : JpegEncodeResult{std::nullopt, error};
        if (!converted.data) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), converted.error.c_str());
            return false;
        }
        jpeg = std::move(*converted.data);
        return true;
    }
    jpeg = std::move(*data);
    return true;
}

int pack(const std::string& storePath, const Args& args) {
    bool any = false;
    for (const char* option : kSlotOptions)
        any = any || args.value(option).has_value();
    if (!any) {
        std::fprintf(stderr, "--pack needs at least one of --logo, --radio, --background\n");
        return kUsage;
    }
    if (const FileProblem problem = outputProblem(storePath); problem != FileProblem::None) {
        std::fprintf(stderr, "%s %s; nothing was written\n", storePath.c_str(), fileProblemText(problem).c_str());
        return kWriteFailed;
    }
    // Never replace something that is not a picture store (a channel database, say).
    std::error_code ec;
    if (fs::exists(storePath, ec)) {
        std::string error;
        auto data = readWholeFile(storePath, kMaxFileSize, error);
        if (!data || data->size() < kHeaderSize || readU32(*data, kHeaderAddress) != kStoreAddress) {
            std::fprintf(stderr, "%s exists and is not a picture store; it is left as it is\n", storePath.c_str());
            return kBadInput;
        }
    }

    PictureStore store;
    NullLog log;
    for (int n = 0; n < kPictureCount; ++n) {
        const auto path = args.value(kSlotOptions[n]);
        if (!path)
            continue;
        std::vector<std::uint8_t> jpeg;
        if (!pictureAsJpeg(*path, jpeg))
            return kBadInput;
        const SlotResult loaded = store.slot(n).load(jpeg, fs::path(*path).filename().string(), log);
        if (!loaded) {
            std::fprintf(stderr, "%s is not a usable JPEG or BMP picture: %s\n", path->c_str(), loaded.error.c_str());
            return kBadInput;
        }
    }

    const PictureStoreWriteResult written = writePictureStore(storePath, store, log);
    for (int n = 0; n < kPictureCount; ++n)
        if (written.leftOut[static_cast<std::size_t>(n)])
            std::fprintf(stderr, "warning: the %s picture (%zu bytes) does not fit in the store and was left out\n",
                         kSlotOptions[n], store.slot(n).encodedSize());
    if (!written.written) {
        std::fprintf(stderr, "%s was not written: %s\n", storePath.c_str(), written.error.c_str());
        const bool tooLarge = written.leftOut[0] || written.leftOut[1] || written.leftOut[2];
        return tooLarge ? kBadInput : kWriteFailed;
    }
    std::vector<std::uint8_t> file;
    ParseResult parsed;
    if (!loadStore(storePath, file, parsed))
        return kWriteFailed;
    std::printf("%s\n", listingJson(parsed.store).c_str());
    return kOk;
}

int run(const std::vector<std::string>& argv) {
    Args args;
    if (auto err = Args::parse(argv, {"extract", "logo", "radio", "background"}, {"pack"}, args)) {
        std::fprintf(stderr, "%s\n", err->c_str());
        return kUsage;
    }
    if (args.positional().size() != 1) {
        std::fprintf(stderr, "usage: pictures STORE.dsp [--extract DIR | --pack [--logo F] [--radio F] [--background F]]\n");
        return kUsage;
    }
    const std::string& storePath = args.positional()[0];
    const bool packing = args.has("pack");
    if (packing && args.has("extract")) {
        std::fprintf(stderr, "--extract and --pack exclude each other\n");
        return kUsage;
    }
    if (!packing)
        for (const char* option : kSlotOptions)
            if (args.has(option)) {
                std::fprintf(stderr, "--%s only goes with --pack\n", option);
                return kUsage;
            }
    if (packing)
        return pack(storePath, args);
    if (auto dir = args.value("extract")) {
        // Refused before the store is read: a device, FIFO or link loop where the folder should be.
        const FileProblem problem = outputProblem(*dir);
        if (problem != FileProblem::None && problem != FileProblem::Folder) {
            std::fprintf(stderr, "%s %s; nothing was written\n", dir->c_str(), fileProblemText(problem).c_str());
            return kWriteFailed;
        }
        return extract(storePath, *dir);
    }

    std::vector<std::uint8_t> file;
    ParseResult parsed;
    if (!loadStore(storePath, file, parsed))
        return kBadInput;
    std::printf("%s\n", listingJson(parsed.store).c_str());
    return kOk;
}

const CommandRegistration registration(
    "pictures",
    "pictures STORE.dsp [--extract DIR | --pack [--logo F] [--radio F] [--background F]]  "
    "(--pack replaces STORE.dsp with a new store of the given JPEG/BMP pictures)",
    run);

} // namespace
} // namespace cs::cli
