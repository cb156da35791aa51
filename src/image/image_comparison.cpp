#include "image/image_comparison.h"

#include "common/log_sink.h"
#include "image/channel_record.h"
#include "image/channel_table.h"
#include "image/provider_area.h"
#include "image/settings_area.h"
#include "image/transponders.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

namespace cs {

namespace {

// Names are stored in Latin-1; the report is UTF-8 text, with control bytes shown as \xNN.
std::string inQuotes(std::string_view latin1) {
    std::string out = "\"";
    for (const char c : latin1) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x20 || (b >= 0x7F && b < 0xA0)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        } else if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out + "\"";
}

std::string hexBytes(ConstBytes bytes) {
    std::string out;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += out.empty() ? "" : " ";
        out += buf;
    }
    return out;
}

bool allErased(ConstBytes bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; });
}

// Collects the lines of one area, keeping at most kMaxListedDifferences of them.
class DifferenceList {
public:
    explicit DifferenceList(ComparedArea area) { result_.area = area; }

    void add(std::string line) {
        ++result_.differenceCount;
        if (result_.details.size() < kMaxListedDifferences)
            result_.details.push_back(std::move(line));
    }
    // A remark that is no difference of its own (a failed check, a count).
    void note(std::string line) { notes_.push_back(std::move(line)); }

    AreaComparison finish(std::string_view moreWhat) {
        if (result_.differenceCount > result_.details.size())
            result_.details.push_back("... and " + std::to_string(result_.differenceCount - result_.details.size()) +
                                      " more " + std::string(moreWhat));
        result_.details.insert(result_.details.end(), notes_.begin(), notes_.end());
        result_.verdict = result_.differenceCount ? AreaVerdict::Different : AreaVerdict::Identical;
        return std::move(result_);
    }

private:
    AreaComparison result_;
    std::vector<std::string> notes_;
};

AreaComparison missing(ComparedArea area, std::string reason) {
    AreaComparison a;
    a.area = area;
    a.verdict = AreaVerdict::MissingInReceived;
    a.details.push_back(std::move(reason));
    return a;
}

// ---- channel table

struct FieldName {
    std::size_t first;
    std::size_t end;
    const char* name;
};

// The fields of a 64-byte channel record, for saying what changed in a slot.
constexpr FieldName kChannelFields[] = {
    {channel_field::kName, channel_field::kName + channel_field::kNameSize, "name"},
    {channel_field::kAudioLanguage, channel_field::kAudioLanguage + 1, "audio language"},
    {channel_field::kListPositions, channel_field::kListPositions + 2 * channel_field::kListCount,
     "favourite list positions"},
    {channel_field::kVideoPid, channel_field::kVideoPid + 2, "video PID"},
    {channel_field::kAudioPid, channel_field::kAudioPid + 2, "audio PID"},
    {channel_field::kFrequency, channel_field::kFrequency + 2, "frequency"},
    {channel_field::kSymbolRate, channel_field::kSymbolRate + 2, "symbol rate"},
    {channel_field::kSatellite, channel_field::kSatellite + 1, "satellite"},
    {channel_field::kCableConstellation, channel_field::kCableConstellation + 1, "cable constellation"},
    {channel_field::kMatchId, channel_field::kMatchId + 2, "transport ID"},
    {channel_field::kServiceId, channel_field::kServiceId + 2, "service ID"},
    {channel_field::kFlags, channel_field::kFlags + 1, "flags"},
    {channel_field::kFlags2, channel_field::kFlags3 + 1, "sound, lock and audio flags"},
    {channel_field::kCrc, channel_field::kCrc + 2, "record check"},
};

std::string channelFieldsDiffering(ConstBytes a, ConstBytes b) {
    std::string out;
    std::vector<const char*> named;
    for (std::size_t i = 0; i < ChannelRecord::size; ++i) {
        if (a[i] == b[i])
            continue;
        const char* name = "other bytes";
        for (const FieldName& f : kChannelFields)
            if (i >= f.first && i < f.end)
                name = f.name;
        if (std::find(named.begin(), named.end(), name) == named.end())
            named.push_back(name);
    }
    for (const char* name : named)
        out += (out.empty() ? "" : ", ") + std::string(name);
    return out;
}

// How a slot looks to a user: the channel's name, marked when the record fails its own checks
// (a damaged record shows what it claims to hold), or "(empty)" for an erased slot.
std::string slotText(ConstBytes record) {
    if (allErased(record))
        return "(empty)";
    const ChannelRecord r(record);
    return inQuotes(r.name()) + (isValidChannelRecord(r) ? "" : " (damaged record)");
}

std::size_t validRecordsIn(ConstBytes base, std::size_t from, std::size_t to) {
    std::size_t n = 0;
    for (std::size_t slot = from; slot < to; ++slot)
        n += isValidChannelRecord(ChannelRecord(base.subspan(slot * ChannelRecord::size, ChannelRecord::size)));
    return n;
}

AreaComparison compareChannelTables(const ImageFile& sent, const ImageFile& received) {
    if (!received.hasBase())
        return missing(ComparedArea::ChannelTable, "The received file has no channel table.");
    DifferenceList list(ComparedArea::ChannelTable);
    const ConstBytes a = sent.baseArea();
    const ConstBytes b = received.baseArea();
    const std::size_t common = std::min(sent.channelCapacity(), received.channelCapacity());
    // Only the table; the filler behind it is the receiver's.
    for (std::size_t slot = 0; slot < common; ++slot) {
        const ConstBytes ra = a.subspan(slot * ChannelRecord::size, ChannelRecord::size);
        const ConstBytes rb = b.subspan(slot * ChannelRecord::size, ChannelRecord::size);
        if (std::equal(ra.begin(), ra.end(), rb.begin()))
            continue;
        const std::string before = slotText(ra);
        const std::string after = slotText(rb);
        const std::string number = "slot " + std::to_string(slot + 1);
        if (before != after)
            list.add(number + ": " + before + " -> " + after);
        else
            list.add(number + " " + before + ": " + channelFieldsDiffering(ra, rb) + " differ");
    }
    if (sent.channelCapacity() != received.channelCapacity()) {
        list.note("The sent table has " + std::to_string(sent.channelCapacity()) + " slots, the received one " +
                  std::to_string(received.channelCapacity()) + "; the first " + std::to_string(common) +
                  " were compared.");
        const std::size_t lost = validRecordsIn(a, common, sent.channelCapacity());
        if (lost)
            list.add(std::to_string(lost) + " sent channels after slot " + std::to_string(common) +
                     " have no place in the received table");
        const std::size_t extra = validRecordsIn(b, common, received.channelCapacity());
        if (extra)
            list.add(std::to_string(extra) + " received channels after slot " + std::to_string(common) +
                     " were not sent");
    }
    return list.finish("channel slots");
}

// ---- settings area

struct SettingsRegion {
    std::size_t first;
    std::size_t end;
    std::size_t recordSize;  // 0: one field
    const char* name;
};

// What the bytes of BA_2 hold, for naming a differing range.
constexpr SettingsRegion kSettingsRegions[] = {
    {settings_layout::kSatellitesOffset,
     settings_layout::kSatellitesOffset + settings_layout::kSatelliteCount * SatelliteRecord::size,
     SatelliteRecord::size, "satellite entry"},
    {settings_layout::kListNamesOffset,
     settings_layout::kListNamesOffset + settings_layout::kListCount * settings_layout::kListNameSize,
     settings_layout::kListNameSize, "name of favourite list"},
    {settings_layout::kListCountOffset, settings_layout::kListCountOffset + 1, 0, "number of favourite lists"},
    {settings_layout::kConverterListOffset,
     settings_layout::kConverterListOffset + settings_layout::kConverterCount * 8, 8, "converter"},
    {settings_layout::kVersionOffset, settings_layout::kVersionOffset + 4, 0, "version word"},
    {settings_layout::kCrcOffset, settings_layout::kCrcOffset + 4, 0, "check word"},
    {settings_layout::kMyIpOffset, settings_layout::kServerInfoOffset, 0, "network settings"},
    {settings_layout::kServerInfoOffset, settings_layout::kServerNameOffset, settings_layout::kServerInfoSize,
     "server entry (description)"},
    {settings_layout::kServerNameOffset, settings_layout::kSubdirNameOffset, settings_layout::kServerNameSize,
     "server entry (name)"},
    {settings_layout::kSubdirNameOffset, settings_layout::kServerAddressOffset, settings_layout::kSubdirNameSize,
     "server entry (folder)"},
    {settings_layout::kServerAddressOffset, settings_layout::kServerPortOffset, 4, "server entry (address)"},
    {settings_layout::kServerPortOffset, settings_layout::kUsernameOffset, 2, "server entry (port)"},
    {settings_layout::kUsernameOffset, settings_layout::kServerPasswordOffset, settings_layout::kUsernameSize,
     "server entry (user name)"},
    {settings_layout::kServerPasswordOffset,
     settings_layout::kServerPasswordOffset + settings_layout::kServerCount * settings_layout::kServerPasswordSize,
     settings_layout::kServerPasswordSize, "server entry (password)"},
    {settings_layout::kVersion2Offset, settings_layout::kVersion2Offset + 4, 0, "second version word"},
    {settings_layout::kCrc2Offset, settings_layout::kCrc2Offset + 4, 0, "second check word"},
};

// The label of one byte of BA_2: its region, and within a table the record's number.
std::string settingsLabel(std::size_t offset, ConstBytes sentArea) {
    for (const SettingsRegion& r : kSettingsRegions) {
        if (offset < r.first || offset >= r.end)
            continue;
        if (!r.recordSize)
            return r.name;
        const std::size_t index = (offset - r.first) / r.recordSize;
        if (r.first == settings_layout::kSatellitesOffset) {
            // The entry's name in the sent image helps to find it in the satellite dialog.
            const ConstBytes name =
                sentArea.subspan(r.first + index * r.recordSize + SatelliteRecord::nameOffset, SatelliteRecord::nameSize);
            const auto nul = std::find(name.begin(), name.end(), std::uint8_t{0});
            const std::string text(name.begin(), nul);
            return std::string(r.name) + " " + std::to_string(index) + (text.empty() ? "" : " (" + inQuotes(text) + ")");
        }
        return std::string(r.name) + " " + std::to_string(index + 1);
    }
    return "other settings";
}

AreaComparison compareSettingsAreas(const ImageFile& sent, const ImageFile& received) {
    if (!received.hasConfig())
        return missing(ComparedArea::SettingsArea, "The received file has no settings area.");
    DifferenceList list(ComparedArea::SettingsArea);
    const ConstBytes a = sent.settingsAreaBytes();
    const ConstBytes b = received.settingsAreaBytes();
    // Runs of differing bytes that belong to the same field or record make one line.
    std::size_t i = 0;
    while (i < a.size()) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        const std::string label = settingsLabel(i, a);
        std::size_t end = i + 1;
        for (std::size_t j = i + 1; j < a.size() && settingsLabel(j, a) == label; ++j)
            if (a[j] != b[j])
                end = j + 1;
        const std::size_t block = i / settings_layout::kBlockSize + 1;
        const std::size_t at = i % settings_layout::kBlockSize;
        std::string line = "block " + std::to_string(block) + ", offset " + std::to_string(at);
        if (end - i > 1)
            line += ".." + std::to_string(at + (end - i) - 1);
        line += ", " + label;
        if (end - i <= 8)
            line += ": " + hexBytes(a.subspan(i, end - i)) + " -> " + hexBytes(b.subspan(i, end - i));
        list.add(std::move(line));
        i = end;
    }
    if (sent.hasSettingsArea() && !received.hasSettingsArea())
        list.note("The received settings area does not match its own check word.");
    return list.finish("ranges");
}

// ---- provider area

std::string providerRecordText(ConstBytes record) {
    const ProviderRecord r(record);
    if (!(r.flags() & ProviderRecord::kInUse) || !r.hasMarker())
        return allErased(record) || std::all_of(record.begin(), record.end(), [](std::uint8_t v) { return v == 0; })
                   ? "(free)"
                   : "(unused record)";
    return inQuotes(r.name()) + " (number " + std::to_string(r.number()) + ")";
}

AreaComparison compareProviderAreas(const ImageFile& sent, const ImageFile& received) {
    if (!received.hasConfig())
        return missing(ComparedArea::ProviderArea, "The received file has no provider area.");
    const ConstBytes a = sent.providerAreaBytes();
    const ConstBytes b = received.providerAreaBytes();
    const ProviderLayout layout = providerLayout(a);
    if (layout != providerLayout(b)) {
        AreaComparison c;
        c.area = ComparedArea::ProviderArea;
        c.verdict = AreaVerdict::NotComparable;
        c.details.push_back("The received provider area uses the other layout (4000 or 8000 channel slots).");
        return c;
    }
    DifferenceList list(ComparedArea::ProviderArea);
    const bool basic = layout == ProviderLayout::Basic;
    const std::size_t slots = basic ? provider_layout::kBasicSlots : provider_layout::kR78Slots;
    const std::size_t recordsAt = basic ? provider_layout::kBasicProviders : provider_layout::kR78Providers;
    const std::size_t records = providerCapacity(layout);
    std::size_t otherFrom = SIZE_MAX;
    std::size_t otherCount = 0;
    auto otherByte = [&](std::size_t offset) {
        otherFrom = std::min(otherFrom, offset);
        ++otherCount;
    };
    for (std::size_t i = 0; i < provider_layout::kProviderNumbers; ++i)
        if (a[i] != b[i])
            otherByte(i);
    for (std::size_t slot = 0; slot < slots; ++slot) {
        const std::size_t at = provider_layout::kProviderNumbers + 2 * slot;
        const std::uint16_t before = readU16(a, at);
        const std::uint16_t after = readU16(b, at);
        if (before != after)
            list.add("provider of channel slot " + std::to_string(slot + 1) + ": " + std::to_string(before) + " -> " +
                     std::to_string(after));
    }
    for (std::size_t r = 0; r < records; ++r) {
        const ConstBytes ra = a.subspan(recordsAt + r * ProviderRecord::size, ProviderRecord::size);
        const ConstBytes rb = b.subspan(recordsAt + r * ProviderRecord::size, ProviderRecord::size);
        if (std::equal(ra.begin(), ra.end(), rb.begin()))
            continue;
        const std::string before = providerRecordText(ra);
        const std::string after = providerRecordText(rb);
        const std::string number = "provider record " + std::to_string(r + 1);
        list.add(before != after ? number + ": " + before + " -> " + after
                                 : number + " " + before + ": flags or other bytes differ");
    }
    for (std::size_t i = recordsAt + records * ProviderRecord::size; i < a.size(); ++i)
        if (a[i] != b[i])
            otherByte(i);
    if (otherCount)
        list.add(std::to_string(otherCount) + " further bytes differ (tag, check values and reserved bytes), the first at offset " +
                 std::to_string(otherFrom));
    if (sent.hasProviderArea() && !received.hasProviderArea())
        list.note("The received provider area fails its check (check word or verification mark).");
    return list.finish("differences");
}

// ---- transponder table

std::string transponderText(const TransponderRecord& t) {
    if (!t.inUse())
        return "(free)";
    const unsigned satellite = t.satellite();
    if (satellite == kDvbtSatellite)
        return "DVB-T " + std::to_string(t.dvbtFrequency()) + " kHz";
    if (satellite == kDvbcSatellite)
        return "DVB-C " + std::to_string(t.frequency() / 10) + "." + std::to_string(t.frequency() % 10) + " MHz " +
               std::to_string(t.symbolRate()) + " kS/s";
    return "satellite " + std::to_string(satellite) + " " + std::to_string(t.frequency()) + " MHz " +
           (t.polarisation() ? "V" : "H") + " " + std::to_string(t.symbolRate()) + " kS/s";
}

TransponderRecord transponderAt(ConstBytes config, std::size_t index) {
    TransponderRecord t;
    const ConstBytes from =
        config.subspan(transponder_table::kRecordsOffset + index * TransponderRecord::size, TransponderRecord::size);
    std::copy(from.begin(), from.end(), t.bytes().begin());
    return t;
}

AreaComparison compareTransponderTables(const ImageFile& sent, const ImageFile& received) {
    if (!received.hasConfig())
        return missing(ComparedArea::TransponderTable, "The received file has no transponder table.");
    DifferenceList list(ComparedArea::TransponderTable);
    const ConstBytes a = sent.configArea();
    const ConstBytes b = received.configArea();
    const std::uint16_t countBefore = readU16(a, transponder_table::kCountOffset);
    const std::uint16_t countAfter = readU16(b, transponder_table::kCountOffset);
    if (countBefore != countAfter)
        list.add("number of transponders: " + std::to_string(countBefore) + " -> " + std::to_string(countAfter));
    for (std::size_t at : {transponder_table::kFormatOffset, transponder_table::kReservedOffset})
        if (readU16(a, at) != readU16(b, at))
            list.add((at == transponder_table::kFormatOffset ? std::string("format word: ") : std::string("reserved word: ")) +
                     std::to_string(readU16(a, at)) + " -> " + std::to_string(readU16(b, at)));
    for (std::size_t i = 0; i < kTransponderSlots; ++i) {
        const TransponderRecord before = transponderAt(a, i);
        const TransponderRecord after = transponderAt(b, i);
        if (before == after)
            continue;
        std::string beforeText = transponderText(before);
        std::string afterText = transponderText(after);
        if (beforeText == afterText) {
            beforeText = hexBytes(before.bytes());
            afterText = hexBytes(after.bytes());
        }
        list.add("entry " + std::to_string(i + 1) + ": " + beforeText + " -> " + afterText);
    }
    return list.finish("entries");
}

const char* notDatabaseReason(ImageKind kind) {
    switch (kind) {
    case kImageSoftware:
        return "is a software image, not a database";
    case kImagePictureStore:
        return "is a picture store, not a database";
    default:
        return "is not a database image";
    }
}

std::optional<std::vector<std::uint8_t>> readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

} // namespace

bool ImageComparison::identical() const {
    return comparable && !areas.empty() &&
           std::all_of(areas.begin(), areas.end(), [](const AreaComparison& a) { return a.verdict == AreaVerdict::Identical; });
}

std::string_view areaName(ComparedArea area) {
    switch (area) {
    case ComparedArea::ChannelTable:
        return "Channel table";
    case ComparedArea::SettingsArea:
        return "Settings area";
    case ComparedArea::ProviderArea:
        return "Provider area";
    case ComparedArea::TransponderTable:
        return "Transponder table";
    }
    return {};
}

ImageComparison compareImages(const ImageFile& sent, const ImageFile& received) {
    ImageComparison result;
    if (!sent.hasImage() || !(sent.hasBase() || sent.hasConfig())) {
        result.problem = "The sent file is not a database image.";
        return result;
    }
    if (!received.hasImage() || !(received.hasBase() || received.hasConfig())) {
        result.problem = "The received file is not a database image.";
        return result;
    }
    result.comparable = true;
    if (sent.hasBase())
        result.areas.push_back(compareChannelTables(sent, received));
    if (sent.hasConfig()) {
        result.areas.push_back(compareSettingsAreas(sent, received));
        result.areas.push_back(compareProviderAreas(sent, received));
        result.areas.push_back(compareTransponderTables(sent, received));
    }
    return result;
}

ImageComparison compareImageBytes(ConstBytes sentBytes, ConstBytes receivedBytes) {
    NullLog log;
    ImageFile sent;
    ImageFile received;
    const ImageKind sentKind = sent.readImageBytes(sentBytes, log);
    const ImageKind receivedKind = received.readImageBytes(receivedBytes, log);
    ImageComparison result;
    if (sentKind != kImageDatabase) {
        result.problem = std::string("The sent file ") + notDatabaseReason(sentKind) + ".";
        return result;
    }
    if (receivedKind != kImageDatabase) {
        result.problem = std::string("The received file ") + notDatabaseReason(receivedKind) + ".";
        return result;
    }
    sent.locateAreas(log);
    received.locateAreas(log);
    return compareImages(sent, received);
}

ImageComparison compareImageFiles(const std::filesystem::path& sentPath, const std::filesystem::path& receivedPath) {
    const auto sent = readWhole(sentPath);
    const auto received = readWhole(receivedPath);
    if (!sent || !received) {
        ImageComparison result;
        result.problem = "Could not read " + (sent ? receivedPath : sentPath).string() + ".";
        return result;
    }
    return compareImageBytes(*sent, *received);
}

std::string comparisonReport(const ImageComparison& comparison) {
    if (!comparison.comparable)
        return "The files cannot be compared. " + comparison.problem + "\n";
    std::string out;
    if (comparison.identical())
        out = std::string(kIdenticalHeadline) + "\n";
    else
        out = "The receiver does not hold exactly what was sent.\n";
    for (const AreaComparison& area : comparison.areas) {
        out += "\n" + std::string(areaName(area.area)) + ": ";
        switch (area.verdict) {
        case AreaVerdict::Identical:
            out += "identical\n";
            continue;
        case AreaVerdict::Different:
            out += std::to_string(area.differenceCount) + (area.differenceCount == 1 ? " difference\n" : " differences\n");
            break;
        case AreaVerdict::MissingInReceived:
            out += "missing\n";
            break;
        case AreaVerdict::NotComparable:
            out += "not comparable\n";
            break;
        }
        for (const std::string& line : area.details)
            out += "  " + line + "\n";
    }
    return out;
}

} // namespace cs
