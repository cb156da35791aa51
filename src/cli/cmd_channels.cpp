// channelsettings-cli channels FILE [options]: the channels of one view, in view order, with the
// texts of the channel list, as JSON or CSV.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "database/display_texts.h"
#include "lang/language_texts.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using cs::cli::jsonString;

constexpr const char* kUsage =
    "usage: channelsettings-cli channels FILE [--list K] [--satellite S] [--order M] [--tv-radio T] "
    "[--fta-ca F] [--provider P] [--format json|csv]\n";

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

constexpr std::array<const char*, 13> kFields = {"slot",      "caption", "language",  "ca",
                                                 "frequency", "symbolRate", "fec",    "polarisation",
                                                 "satellite", "video",   "audio",     "provider",
                                                 "listPosition"};

struct Options {
    long list = 0, satellite = 0, order = 0, tvRadio = 0, ftaCa = 0;
    long provider = -1;  // none
    bool csv = false;
};

// Reads an integer option within [lo, hi]; an error text otherwise.
std::optional<std::string> readRange(const cs::cli::Args& args, const char* name, long lo, long hi, long& out) {
    if (!args.value(name))
        return std::nullopt;
    const auto v = args.integer(name, out);
    if (!v || *v < lo || *v > hi)
        return "--" + std::string(name) + " takes a number from " + std::to_string(lo) + " to " + std::to_string(hi);
    out = *v;
    return std::nullopt;
}

int runChannels(const std::vector<std::string>& argv) {
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"list", "satellite", "order", "tv-radio", "fta-ca", "provider", "format"}, {},
                                   1, kUsage, args))
        return cs::cli::kUsage;
    Options opt;
    for (const auto& error : {readRange(args, "list", 0, 8, opt.list), readRange(args, "satellite", 0, 65, opt.satellite),
                              readRange(args, "order", 0, 2, opt.order), readRange(args, "tv-radio", 0, 2, opt.tvRadio),
                              readRange(args, "fta-ca", 0, 2, opt.ftaCa),
                              readRange(args, "provider", 1, 65535, opt.provider)}) {
        if (error) {
            std::fprintf(stderr, "%s\n%s", error->c_str(), kUsage);
            return cs::cli::kUsage;
        }
    }
    const std::string format = args.value("format").value_or("json");
    if (format != "json" && format != "csv") {
        std::fprintf(stderr, "--format takes json or csv\n%s", kUsage);
        return cs::cli::kUsage;
    }
    opt.csv = format == "csv";

    const std::string& path = args.positional()[0];
    cs::cli::DatabaseSession session;
    if (!cs::cli::openDatabase(session, path, /*namesKind=*/true))
        return cs::cli::kBadInput;
    cs::ChannelDatabase& db = session.db;

    cs::ViewSettings view;
    view.orderMode = static_cast<std::uint8_t>(opt.order);
    view.satelliteFilter = static_cast<std::uint8_t>(opt.satellite);
    cs::ViewRequest request;
    if (opt.provider >= 2) {
        if (const auto error = cs::cli::chooseProviderView(db, opt.provider, view)) {
            std::fprintf(stderr, "%s\n", error->c_str());
            return cs::cli::kUsage;
        }
    }
    request.list = static_cast<std::uint8_t>(opt.list);
    request.satellite = static_cast<std::uint8_t>(opt.satellite);
    request.tvRadio = cs::tvRadioBits(static_cast<unsigned>(opt.tvRadio));
    request.freeScrambled = cs::freeScrambledBits(static_cast<unsigned>(opt.ftaCa));
    db.selectChannels(request, view);

    const cs::DisplayTexts texts(db, cs::lang::englishTexts());
    std::string out;
    if (opt.csv) {
        for (std::size_t f = 0; f < kFields.size(); ++f)
            out += std::string(f ? "," : "") + kFields[f];
        out += "\n";
    } else {
        out += "[";
    }
    int rowNumber = 0;
    for (std::uint16_t slot : db.result()) {
        const cs::ChannelRow row = texts.channelRowTexts(slot, ++rowNumber, false);
        const std::uint16_t position = opt.list ? db.record(slot).listPosition(static_cast<std::size_t>(opt.list)) : 0;
        const std::array<std::string, 13> values = {
            std::to_string(slot), row.name,      row.language, row.ca,    row.frequency,
            row.symbolRate,       row.fec,       row.polarisation,        row.satellite,
            row.video,            row.audio,     row.provider, std::to_string(position)};
        if (opt.csv) {
            for (std::size_t f = 0; f < values.size(); ++f)
                out += std::string(f ? "," : "") + csvField(cs::cli::latin1ToUtf8(values[f]));
            out += "\n";
            continue;
        }
        out += rowNumber > 1 ? ",\n " : "\n ";
        out += "{";
        for (std::size_t f = 0; f < values.size(); ++f) {
            out += std::string(f ? ", " : "") + jsonString(kFields[f]) + ": ";
            const bool number = f == 0 || f == values.size() - 1;
            out += number ? values[f] : jsonString(cs::cli::latin1ToUtf8(values[f]));
        }
        out += "}";
    }
    if (!opt.csv)
        out += rowNumber ? "\n]\n" : "]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return cs::cli::kOk;
}

const cs::cli::CommandRegistration registration(
    "channels", "channels FILE [--list K] [--satellite S] [--order M] [--tv-radio T] [--fta-ca F] [--provider P] [--format csv]",
    runChannels);

} // namespace
