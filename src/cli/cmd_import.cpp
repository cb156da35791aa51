// channelsettings-cli import FILE FILE.dsx [--out OUT] [--components LIST]: applies components of
// an import file to a database and saves it as the editor's Save (in place, keeping the ".BAK")
// or Save as (to OUT) does. Nothing is written when a chosen component cannot be applied.
#include "cli_args.h"
#include "cli_database.h"
#include "command_registry.h"

#include "exchange/import_apply.h"
#include "exchange/import_texts.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using cs::cli::fileName;

void reportOutcomes(const cs::ImportReport& report) {
    for (const cs::ComponentOutcome& o : report.components) {
        const std::string name = cs::componentTypeName(o.type);
        if (o.status == cs::ComponentStatus::Applied && o.type == cs::ComponentType::ChannelBase)
            std::fprintf(stderr, "entry %zu: %s imported, %zu channels\n", o.entry, name.c_str(), o.channels);
        else if (o.status == cs::ComponentStatus::Applied)
            std::fprintf(stderr, "entry %zu: %s imported\n", o.entry, name.c_str());
        else if (o.status == cs::ComponentStatus::NoChange)
            std::fprintf(stderr, "entry %zu: %s chosen; it changes nothing\n", o.entry, name.c_str());
        if (!o.message.empty())
            std::fprintf(stderr, "entry %zu: %s\n", o.entry, o.message.c_str());
    }
}

int runImport(const std::vector<std::string>& argv) {
    static const char* usage = "usage: channelsettings-cli import FILE FILE.dsx [--out OUT] [--components LIST]\n";
    cs::cli::Args args;
    if (!cs::cli::parseCommandLine(argv, {"out", "components"}, {}, 2, usage, args))
        return cs::cli::kUsage;
    const std::string& path = args.positional()[0];
    const std::string& dsxPath = args.positional()[1];
    const auto out = args.value("out");
    const std::string target = out ? *out : path;

    // In place, FILE is checked as the input it is first.
    if (out && !cs::cli::outputAllowed(*out, /*allowStdout=*/true))
        return cs::cli::kWriteFailed;
    // Held until the save is done, so that another writer of FILE never loses this change.
    cs::cli::DatabaseSession session;
    if (!cs::cli::lockForUpdate(session, path))
        return cs::cli::kWriteFailed;
    if (!cs::cli::openDatabase(session, path, /*namesKind=*/false))
        return cs::cli::kBadInput;
    cs::ImportFile file;
    cs::FileProblem problem = cs::FileProblem::None;
    const cs::ImportReadResult read = cs::readImportFile(dsxPath, file, &problem);
    if (read != cs::kImportRead) {
        std::fprintf(stderr, "%s\n", cs::importFailureMessage(read, fileName(dsxPath)).c_str());
        if (problem != cs::FileProblem::None && problem != cs::FileProblem::Missing)
            std::fprintf(stderr, "File %s %s\n", fileName(dsxPath).c_str(), cs::fileProblemText(problem).c_str());
        return cs::cli::kBadInput;
    }

    cs::ImportChooser chooser(file);
    if (const auto list = args.value("components")) {
        if (auto error = chooser.selectFromList(*list)) {
            std::fprintf(stderr, "%s\n%s", error->c_str(), usage);
            return cs::cli::kUsage;
        }
    } else {
        chooser.selectAll();
    }
    if (!chooser.confirmed()) {
        std::fprintf(stderr, "%s holds no components to import\n", fileName(dsxPath).c_str());
        return cs::cli::kBadInput;
    }

    const cs::ImportReport report = cs::applyImport(file, chooser, session.db);
    reportOutcomes(report);
    if (report.anyRefused()) {
        std::fprintf(stderr, "nothing was written\n");
        return cs::cli::kBadInput;
    }

    return cs::cli::saveDatabase(session.flash, target, /*keepBackup=*/!out);
}

const cs::cli::CommandRegistration registration("import", "import FILE FILE.dsx [--out OUT] [--components LIST]",
                                                runImport);

} // namespace
