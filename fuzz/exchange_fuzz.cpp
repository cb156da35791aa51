// Fuzz targets of import files (built twice):
//  - CS_FUZZ_IMPORT_READ_ONLY: reading, decoding and checking a file and listing its components;
//  - default: the same, then applying every component to an open database (a 4000-slot image
//    with the basic provider area or an 8000-slot R7/R8 image, both built here from literal
//    bytes) and storing the database into its image as a save does.
//
// The first byte chooses how the rest becomes a file:
//   0: the encoded file as it is;
//   1: the decoded file; the CRC is made right and the file encoded, so the reader goes past the
//      check;
//   2, 3: a recipe that lays out a description and up to four components with plausible sizes and
//      channel counts, filled from the input, with the channel records' CRCs made right.
// Bit 2 of the first byte picks the R7/R8 database.
#include "common/byte_order.h"
#include "common/crc16.h"
#include "common/log_sink.h"
#include "database/channel_database.h"
#include "exchange/import_apply.h"
#include "exchange/import_chooser.h"
#include "exchange/import_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace cs;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// A database image: header, an erased channel table with a few valid channels, a CONFIG area with
// an empty transponder table, a zero BA_2 and a BA_3 with its provider_verify, CRCs right.
std::vector<std::uint8_t> databaseImage(bool r78) {
    const std::size_t payload = r78 ? 0x90000 : 0x60000;
    const std::size_t base = 64, config = 64 + (r78 ? 0x80000 : 0x40000);
    std::vector<std::uint8_t> file(64 + payload, 0xFF);
    Bytes all(file);
    std::fill_n(file.begin(), 16, ':');
    writeU16(all, 52, 0x0080);
    writeU32(all, 56, 0xD0000);
    writeU32(all, 60, r78 ? 0x47FFF : 0x2FFFF);
    for (std::size_t i = 0; i < 5; ++i) {
        ChannelRecord r;
        r.setName("Resident");
        r.setSatellite(static_cast<std::uint8_t>(1 + i));
        r.setFrequency(11000);
        r.setSymbolRate(27500);
        r.setVideoPid(160);
        r.setAudioPid(80);
        r.setStoredCrc(recordCrc(r));
        std::copy(r.bytes().begin(), r.bytes().end(), file.begin() + static_cast<std::ptrdiff_t>(base + 64 * i));
    }
    writeU16(all, config, 100);
    writeU16(all, config + 2, 0);
    writeU16(all, config + 4, 0);
    const std::size_t settingsBlock = config + 0x6000, providerBlock = config + 0x8000;
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(settingsBlock), 0x2000 + 0x8000, 0);
    writeU32(all, settingsBlock + 4092, crc16(slice(ConstBytes(all), settingsBlock, 4092)));
    const char tag[4] = {'C', 'H', r78 ? '5' : '1', 0};
    std::copy_n(tag, 4, file.begin() + static_cast<std::ptrdiff_t>(providerBlock));
    writeU32(all, providerBlock + (r78 ? 30968 : 24804), kProviderVerifyMagic);
    writeU32(all, providerBlock + 32764, crc16(slice(ConstBytes(all), providerBlock, 32764)));
    return file;
}

// Stores the CRC of a decoded file and encodes it.
std::vector<std::uint8_t> seal(std::vector<std::uint8_t> decoded) {
    if (decoded.size() >= dsx::kCrc + 2)
        writeU16(Bytes(decoded), dsx::kCrc, importFileCrc(decoded));
    exchangeBits(Bytes(decoded));
    return decoded;
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
    // Appends `length` bytes of filler for a block body: the rest of the input, cyclically, from
    // where the previous block's filler ended (zeros when the input is used up).
    void fillBlock(std::vector<std::uint8_t>& out, std::size_t length) {
        const std::size_t rest = size_ - std::min(at_, size_);
        if (rest == 0) {
            out.resize(out.size() + length, 0);
            return;
        }
        while (length > 0) {
            const std::size_t from = filled_ % rest;
            const std::size_t n = std::min(length, rest - from);
            out.insert(out.end(), data_ + at_ + from, data_ + at_ + from + n);
            filled_ += n;
            length -= n;
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
};

// Larger blocks only repeat the same records; the size checks have their own unit tests.
constexpr std::size_t kRecipeBlockLimit = 4 * 1024;

std::vector<std::uint8_t> recipe(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t descriptionLength = in.byte();
    const bool overlong = in.byte() & 1;
    const std::size_t components = 1 + in.byte() % 4;
    static constexpr std::array<std::uint32_t, 6> kTypes = {1, 2, 4, 8, 0, 3};

    struct Plan {
        std::uint32_t type, marker, size;
        std::uint16_t channels, providers;
        bool exact;
    };
    std::vector<Plan> plans;
    for (std::size_t i = 0; i < components; ++i) {
        const std::uint8_t kind = in.byte();
        Plan p{kTypes[kind % kTypes.size()], (kind & 0x80) ? in.u16() : dsx::kValidMarker, 0, 0, 0, true};
        const std::uint8_t sizing = in.byte();
        p.exact = !(sizing & 0x80);
        if (p.type == 1) {
            p.channels = (sizing & 0x40) ? in.u16() : in.byte() % 40;
            p.providers = (sizing & 0x20) ? in.u16() : in.byte() % 8;
            p.size = static_cast<std::uint32_t>(24 + 66 * std::size_t{p.channels} + 24 * std::size_t{p.providers});
        } else {
            p.size = p.type == 4 ? 256 : p.type == 8 ? 4096 : 64;
        }
        if (!p.exact)
            p.size += (sizing & 0x40) ? in.u16() * 4u : in.byte();  // often past the end of the file
        plans.push_back(p);
    }

    std::vector<std::uint8_t> file(dsx::kDescription, 0);
    Bytes header(file);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const std::size_t at = dsx::kDirectory + (i * 3 % dsx::kDirectoryEntries) * dsx::kEntrySize;
        writeU32(header, at + dsx::kEntryMarker, plans[i].marker);
        writeU32(header, at + dsx::kEntryBlockSize, plans[i].size);
        writeU32(header, at + dsx::kEntryType, plans[i].type);
    }
    const std::size_t text = descriptionLength + (overlong ? 256 : 0);
    for (std::size_t i = 0; i < text; ++i)
        file.push_back(static_cast<std::uint8_t>('a' + i % 26));
    file.push_back(0);

    for (const Plan& p : plans) {
        const std::size_t start = file.size();
        const std::size_t room = std::min(dsx::kFileSizeLimit - 1 - start, kRecipeBlockLimit);
        const std::size_t length = std::min<std::size_t>(p.exact ? p.size : p.size / 2, room);
        in.fillBlock(file, length);
        if (p.type == 1 && length >= 6) {
            Bytes block = Bytes(file).subspan(start);
            writeU16(block, 0, p.channels);
            writeU16(block, 4, p.providers);
            for (std::size_t r = 0; r < p.channels && 24 + 64 * (r + 1) <= block.size(); ++r) {
                Bytes rec = block.subspan(24 + 64 * r, 64);
                writeU16(rec, 62, crc16(rec.first(62)));
            }
        }
    }
    return file;
}

// The open database of one image. After a channel base the records and the provider work area
// are put back from copies and the entries rebuilt, and the settings record that profiles and
// receiver settings change is put back too, so every input starts from the same database without
// the cost of reopening the image.
struct State {
    NullLog log;
    Flash flash{log};
    ChannelDatabase db{flash};
    std::unique_ptr<ChannelRecordArray> records = std::make_unique<ChannelRecordArray>();
    std::unique_ptr<ProviderWorkArea> providers = std::make_unique<ProviderWorkArea>();
    WorkingSettings settings;
    bool channelsChanged = false;

    explicit State(bool r78) {
        check(flash.openImageBytes(databaseImage(r78), "fuzz.dsp") == OpenResult::Loaded);
        std::copy(flash.records().begin(), flash.records().end(), records->begin());
        *providers = flash.providerWork();
        settings = flash.settings().settings;
    }
    void restore() {
        if (channelsChanged) {
            std::copy(records->begin(), records->end(), flash.records().begin());
            flash.providerWork() = *providers;
            db.loadEntries(false);
            db.attachProviderNames();
            channelsChanged = false;
        }
        flash.settings().settings = settings;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    std::vector<std::uint8_t> file;
    switch (mode & 3) {
    case 0: file.assign(data + 1, data + size); break;
    case 1: file = seal(std::vector<std::uint8_t>(data + 1, data + size)); break;
    default: file = seal(recipe(data + 1, size - 1)); break;
    }

    ImportFile parsed;
    const int result = parsed.parse(file);
    check(result == kImportRead || result == kImportNotInterpreted);
    if (result != kImportRead)
        return 0;
    check(parsed.description().size() <= dsx::kDescriptionMax);
    ImportChooser chooser(parsed);
    check(chooser.items().size() == parsed.components().size());
    for (std::size_t i = 0; i < chooser.items().size(); ++i)
        check(chooser.hasDetails(i) == (chooser.detailLabels(i).size() == kSubItemCount));
#ifdef CS_FUZZ_IMPORT_READ_ONLY
    return 0;
#endif
    static State basic(false);
    static State r78(true);
    chooser.selectAll();
    // Alternate sub-item choices so that partial receiver settings and profiles run too.
    for (auto& item : chooser.items())
        if (item.hasSubItems() && (mode & 0x10))
            item.subFlags = {bool(mode & 0x20), true, bool(mode & 0x40), bool(mode & 0x80)};

    State& state = (mode & 4) ? r78 : basic;
    state.restore();
    const ImportReport report = applyImport(parsed, chooser, state.db);
    check(report.components.size() == parsed.components().size());
    for (const ComponentOutcome& o : report.components) {
        const ImportComponent* c = parsed.componentOfEntry(o.entry);
        check(c != nullptr);
        if (o.status == ComponentStatus::Applied && o.type == ComponentType::ChannelBase)
            check(o.channels <= parsed.channelBaseCounts(*c).channels && o.channels <= state.flash.channelCapacity());
        if (o.status == ComponentStatus::Refused)
            check(!o.message.empty());
    }
    check(state.db.channelCount() <= state.flash.channelCapacity());
    if (report.channelsReplaced) {
        state.channelsChanged = true;
        // The save path over what was imported (providers renumbered from imported names).
        if (mode & 0x08)
            check(state.flash.storeIntoImage());
    }
    return 0;
}
