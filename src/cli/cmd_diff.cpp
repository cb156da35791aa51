// channelsettings-cli diff A.dsp B.dsp: what changed from A to B (channels, favourite lists,
// settings) as JSON. Exits as diff and cmp do: 0 the same, 1 different, 2 trouble.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "reference/database_diff.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using cs::cli::jsonString;
using cs::cli::latin1ToUtf8;

// diff's own codes: 1 already means "different", so a usage error is trouble (2).
constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

std::string slotJson(int slot) { return slot < 0 ? std::string("null") : std::to_string(slot); }

std::string nameJson(int slot, const std::string& name) {
    return slot < 0 ? std::string("null") : jsonString(latin1ToUtf8(name));
}

std::string fieldsJson(unsigned fields) {
    std::string out = "[";
    for (unsigned i = 0; i < cs::diff_field::kCount; ++i)
        if (fields & (1u << i))
            out += (out.size() > 1 ? ", " : "") + jsonString(std::string(cs::diffFieldName(1u << i)));
    return out + "]";
}

std::string diffJson(const cs::DatabaseDiff& diff) {
    using cs::ChannelChange;
    std::string out;
    for (ChannelChange c : {ChannelChange::Added, ChannelChange::Removed, ChannelChange::Renamed, ChannelChange::Moved,
                            ChannelChange::Changed})
        out += (out.empty() ? "{" : ", ") + jsonString(std::string(cs::channelChangeName(c))) + ": " +
               std::to_string(diff.count(c));
    out += ", \"lists\": [";
    for (std::size_t k = 0; k < diff.lists.size(); ++k) {
        const cs::ListDifference& l = diff.lists[k];
        out += (k ? ", " : "") + std::string("{\"number\": ") + std::to_string(l.number) +
               ", \"added\": " + std::to_string(l.addedSlots.size()) + ", \"removed\": " +
               std::to_string(l.removedSlots.size()) + ", \"moved\": " + std::to_string(l.movedSlots.size()) + "}";
    }
    out += "], \"settings\": [";
    for (std::size_t k = 0; k < diff.settings.size(); ++k)
        out += (k ? ", " : "") + jsonString(std::string(cs::settingsPartName(diff.settings[k])));
    out += "], \"channels\": [";
    for (std::size_t k = 0; k < diff.channels.size(); ++k) {
        const cs::ChannelDifference& d = diff.channels[k];
        out += (k ? ", " : "") + std::string("{\"change\": ") + jsonString(std::string(cs::channelChangeName(d.change)));
        out += ", \"slotA\": " + slotJson(d.slotA) + ", \"slotB\": " + slotJson(d.slotB);
        out += ", \"nameA\": " + nameJson(d.slotA, d.nameA) + ", \"nameB\": " + nameJson(d.slotB, d.nameB);
        out += ", \"fields\": " + fieldsJson(d.fields) + "}";
    }
    return out + "]}";
}

int runDiff(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli diff A.dsp B.dsp\n";
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {}, {}, 2, usage, args))
        return kTrouble;
    cs::cli::DatabaseSession a;
    cs::cli::DatabaseSession b;
    // Both files are named when both are no database.
    const bool openedA = cs::cli::openDatabase(a, args.positional()[0], /*namesKind=*/true);
    const bool openedB = cs::cli::openDatabase(b, args.positional()[1], /*namesKind=*/true);
    if (!openedA || !openedB)
        return kTrouble;
    const cs::DatabaseDiff diff = cs::compareDatabases(a.db, b.db);
    std::printf("%s\n", diffJson(diff).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("channelsettings-cli diff: standard output");
        return cs::cli::kWriteFailed;
    }
    return diff.same() ? kSame : kDifferent;
}

const cs::cli::CommandRegistration registration("diff", "diff A.dsp B.dsp", runDiff);

} // namespace
