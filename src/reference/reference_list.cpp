#include "reference/reference_list.h"

#include "image/channel_record.h"
#include "image/channel_table.h"
#include "image/settings_area.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace cs {

namespace {

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Quoted when a spreadsheet would otherwise split it or lose its blanks.
void appendCsvField(std::string& out, std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// One CSV record starting at `pos`; advances `pos` past its line end. Quoted fields may hold
// separators and line breaks.
std::optional<std::vector<std::string>> nextRecord(std::string_view text, std::size_t& pos) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    bool wasQuoted = false;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (quoted) {
            if (c == '"') {
                if (pos < text.size() && text[pos] == '"') {
                    fields.back() += '"';
                    ++pos;
                } else {
                    quoted = false;
                }
            } else {
                fields.back() += c;
            }
        } else if (c == '"' && fields.back().empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields.emplace_back();
            wasQuoted = false;
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

template <typename T>
bool readNumber(const std::string& field, T maxValue, T& out) {
    const std::string s = trimmed(field);
    unsigned long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v > maxValue)
        return false;
    out = static_cast<T>(v);
    return true;
}

} // namespace

std::string utf8ToLatin1(std::string_view text, bool* replaced) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        bool valid = c < 0x80 || (c >= 0xC2 && i + length <= text.size());
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (!valid || length == 1) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        unsigned code = c & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += code <= 0xFF ? static_cast<char>(code) : '?';
        if (code > 0xFF && replaced)
            *replaced = true;
        i += length;
    }
    return out;
}

std::string exportReferenceCsv(const ChannelDatabase& db, std::span<const std::uint16_t> slots) {
    std::string out(kReferenceCsvHeader);
    out += '\n';
    out.reserve(slots.size() * 48 + out.size());
    std::uint32_t position = 0;
    for (std::uint16_t slot : slots) {
        const ChannelRecord& r = db.record(slot);
        out += std::to_string(++position);
        out += ',';
        appendCsvField(out, latin1ToUtf8(r.name()));
        out += ',';
        out += std::to_string(r.satellite());
        out += ',';
        out += std::to_string(r.frequency());
        out += r.polarisation() ? ",V," : ",H,";
        out += std::to_string(r.serviceId());
        out += '\n';
    }
    return out;
}

CsvReadResult readReferenceCsv(std::string_view text) {
    CsvReadResult result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t pos = 0;
    std::size_t line = 1;
    auto header = nextRecord(text, pos);
    static constexpr std::array<std::string_view, 6> kColumns = {"position",     "name",      "satellite",
                                                                 "frequency",    "polarisation", "service_id"};
    std::array<std::size_t, 6> column{};
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        const auto found = header ? std::find_if(header->begin(), header->end(),
                                                 [&](const std::string& h) { return trimmed(h) == kColumns[c]; })
                                  : std::vector<std::string>::iterator{};
        if (!header || found == header->end()) {
            result.error = "line 1: the header has no column \"" + std::string(kColumns[c]) +
                           "\" (expected " + std::string(kReferenceCsvHeader) + ")";
            return result;
        }
        column[c] = static_cast<std::size_t>(found - header->begin());
    }
    const std::size_t needed = *std::max_element(column.begin(), column.end()) + 1;
    auto newlinesIn = [&](std::size_t from, std::size_t to) {
        return static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(from),
                                                   text.begin() + static_cast<std::ptrdiff_t>(to), '\n'));
    };
    std::size_t nextLine = 1 + newlinesIn(0, pos);
    while (pos < text.size()) {
        const std::size_t start = pos;
        line = nextLine;
        auto fields = nextRecord(text, pos);
        nextLine += newlinesIn(start, pos);
        if (!fields) {
            result.error = "line " + std::to_string(line) + ": a quoted field is not closed";
            result.list.channels.clear();
            return result;
        }
        if (fields->size() == 1 && trimmed((*fields)[0]).empty())
            continue;  // blank line
        auto fail = [&](const std::string& what) {
            result.error = "line " + std::to_string(line) + ": " + what;
            result.list.channels.clear();
            return result;
        };
        if (result.list.channels.size() >= kMaxReferenceRows)
            return fail("more than " + std::to_string(kMaxReferenceRows) + " channels: no receiver's list is that long");
        if (fields->size() < needed)
            return fail("expected " + std::to_string(needed) + " fields, found " + std::to_string(fields->size()));
        ReferenceChannel ch;
        const auto& f = *fields;
        if (!readNumber<std::uint32_t>(f[column[0]], 0xFFFFFFFFu, ch.position) || ch.position == 0)
            return fail("position \"" + f[column[0]] + "\" is not a number from 1");
        ch.name = utf8ToLatin1(f[column[1]], &ch.nameAltered);
        if (!readNumber<std::uint8_t>(f[column[2]], kSatelliteDvbC, ch.satellite) || ch.satellite < kFirstSatellite)
            return fail("satellite \"" + f[column[2]] + "\" is not a number from 1 to 65");
        if (!readNumber<std::uint16_t>(f[column[3]], 0xFFFF, ch.frequency))
            return fail("frequency \"" + f[column[3]] + "\" is not a number from 0 to 65535");
        const std::string pol = trimmed(f[column[4]]);
        if (pol == "H" || pol == "h")
            ch.polarisation = 0;
        else if (pol == "V" || pol == "v")
            ch.polarisation = 1;
        else
            return fail("polarisation \"" + f[column[4]] + "\" is not H or V");
        if (!readNumber<std::uint16_t>(f[column[5]], 0xFFFF, ch.serviceId))
            return fail("service_id \"" + f[column[5]] + "\" is not a number from 0 to 65535");
        result.list.channels.push_back(std::move(ch));
    }
    std::stable_sort(result.list.channels.begin(), result.list.channels.end(),
                     [](const ReferenceChannel& a, const ReferenceChannel& b) { return a.position < b.position; });
    return result;
}

ReferenceList referenceFromDatabase(const ChannelDatabase& db) {
    ReferenceList list;
    list.fromDatabase = true;
    std::uint32_t position = 0;
    const std::size_t cap = std::min(db.capacity(), kMaxChannelSlots);
    for (std::size_t slot = 0; slot < cap; ++slot) {
        if (!db.entry(slot).inUse())
            continue;
        const ChannelRecord& r = db.record(slot);
        ReferenceChannel ch;
        ch.position = ++position;
        ch.name = std::string(r.name());
        ch.satellite = r.satellite();
        ch.frequency = r.frequency();
        ch.polarisation = r.polarisation() ? 1 : 0;
        ch.serviceId = r.serviceId();
        for (std::size_t k = 0; k < ch.listPositions.size(); ++k)
            ch.listPositions[k] = r.listPosition(k + 1);
        list.channels.push_back(std::move(ch));
    }
    const SettingsModel& settings = db.flash().settings();
    list.listCount = favouriteListCount(settings.listCount);
    for (std::size_t k = 0; k < list.listNames.size(); ++k)
        list.listNames[k] = std::string(settings.listName(k + 1));
    return list;
}

} // namespace cs
