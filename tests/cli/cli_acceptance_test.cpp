// channelsettings-cli as a whole, run as scripts run it: the shape of every command's JSON, the
// exit codes, standard output kept for results and standard error for messages, and the
// agreement between commands that describe the same file.
#include "json_value.h"

#include "fixtures/image_builder.h"
#include "fixtures/import_file_fixture.h"
#include "fixtures/picture_store_fixture.h"
#include "support/cli_runner.h"
#include "jpeg_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using cs::clitest::CliRun;
using cs::clitest::Json;
using T = Json::Type;
using Shape = std::vector<std::pair<std::string, T>>;

const Shape kInfoShape = {{"result", T::Number},     {"typeFile", T::Number},  {"kind", T::String},
                          {"capacity", T::Number},   {"base", T::Bool},        {"config", T::Bool},
                          {"ba2", T::Bool},          {"ba3", T::Bool},         {"channels", T::Number},
                          {"providers", T::Number},  {"transponders", T::Number}, {"satellites", T::Array},
                          {"lists", T::Array},
                          // The numbers of the file information window, after the fields above.
                          {"free", T::Number},       {"tv", T::Number},        {"radio", T::Number},
                          {"freeToAir", T::Number},  {"scrambled", T::Number}, {"damagedRecords", T::Number},
                          {"duplicates", T::Object}, {"checks", T::Object},    {"perSatellite", T::Array}};
const Shape kListShape = {{"number", T::Number}, {"name", T::String}, {"channels", T::Number}};
const Shape kRowShape = {{"slot", T::Number},      {"caption", T::String},   {"language", T::String},
                         {"ca", T::String},        {"frequency", T::String}, {"symbolRate", T::String},
                         {"fec", T::String},       {"polarisation", T::String}, {"satellite", T::String},
                         {"video", T::String},     {"audio", T::String},     {"provider", T::String},
                         {"listPosition", T::Number}};
const Shape kSaveShape = {{"saved", T::String}, {"channels", T::Number}, {"providers", T::Number}, {"backup", T::String}};
const Shape kStoreShape = {{"used", T::Number}, {"entries", T::Array}};
const Shape kStoreEntryShape = {{"index", T::Number}, {"name", T::String}, {"size", T::Number}, {"offset", T::Number}};

std::string describe(const Shape& shape) {
    std::string s;
    for (const auto& [key, type] : shape)
        s += key + ":" + cs::clitest::typeName(type) + " ";
    return s;
}

// Exact member names, in order, with their JSON types; numbers must be integers.
void expectShape(const Json& v, const Shape& shape, const std::string& where) {
    ASSERT_EQ(v.type, T::Object) << where;
    Shape actual;
    for (const auto& [key, member] : v.members) {
        actual.emplace_back(key, member.type);
        if (member.type == T::Number) {
            EXPECT_TRUE(member.integral) << where << ": " << key << " is not an integer";
        }
    }
    EXPECT_EQ(describe(actual), describe(shape)) << where;
}

// Standard output must be exactly one JSON value followed by a newline.
Json parsed(const CliRun& run, const std::string& where) {
    std::string error;
    const auto v = cs::clitest::parseJson(run.out, &error);
    EXPECT_TRUE(v.has_value()) << where << ": stdout is not one JSON value (" << error << "):\n" << run.out.substr(0, 400);
    EXPECT_TRUE(!run.out.empty() && run.out.back() == '\n') << where << ": stdout does not end with a newline";
    return v.value_or(Json{});
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// RFC 4180 reading: quoted fields may hold commas, doubled quotes and line breaks.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, fieldStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\n') {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quoted CSV field";
    EXPECT_TRUE(row.empty() && field.empty()) << "CSV does not end with a line break";
    return rows;
}

// The files every test reads; tests that write copy them first.
struct Files {
    fx::TempDir dir;
    fs::path home, demo, small, config, software, plugin, storeHeader, store, dsx, empty, folder;
};
Files* files = nullptr;

fx::ChannelFields tv(std::string name, std::uint16_t sid, std::uint8_t satellite = 28, std::uint16_t provider = 0) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.satellite = satellite;
    s.providerNumber = provider;
    return s;
}

// A small database whose names need CSV quoting or are not ASCII.
fx::ImageBytes smallDatabase() {
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.defaultSatellites().listCount(2).listName(1, "Caf\xe9").listName(2, "Hi, \"you\"");
    b.provider(0, 1, "Alpha, Beta").provider(1, 2, "Gamma");
    fx::ChannelFields quoted = tv("Say \"Hi\", all", 1, 28, 1);
    quoted.listPositions[0] = 2;
    fx::ChannelFields accented = tv("Caf\xe9 TV", 2, 28, 1);
    accented.listPositions[0] = 1;
    accented.listPositions[1] = 1;
    fx::ChannelFields radio = tv("Radio", 3, 64, 2);
    radio.videoPid = 0;
    fx::ChannelFields pay = tv("Pay", 4, 65, 2);
    pay.scrambled = true;
    b.channel(0, quoted).channel(1, accented).channel(3, radio).channel(4, pay);
    return b.build();
}

// Entry 0: a channel base of five channels; entry 2: colour profiles; entry 3: receiver settings.
fx::ImageBytes importFile() {
    fx::ChannelBaseFixture base;
    for (std::uint16_t i = 0; i < 5; ++i)
        base.records.push_back(fx::encodeChannelRecord(tv("Imported " + std::to_string(i), i + 1)));
    base.providers = {{1, "North"}, {2, "South"}};
    base.providerNumbers = {1, 1, 2, 2, 0};
    fx::DsxRecipe recipe;
    recipe.description = "Acceptance \"pack\"\nline two";
    recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}},
                         {2, fx::kDsxColourProfiles, fx::kDsxMarker, fx::colourProfilesBlock(), {}},
                         {3, fx::kDsxReceiverSettings, fx::kDsxMarker, fx::receiverSettingsBlock(5), {}}};
    return fx::encodeDsx(recipe);
}

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files = new Files;
        Files& f = *files;
        auto at = [&](const char* name) { return f.dir / name; };
        f.home = at("home");
        fs::create_directories(f.home);
        f.demo = at("demo.dsp");
        fx::writeFile(f.demo, fx::demoDatabase());
        f.small = at("small.dsp");
        fx::writeFile(f.small, smallDatabase());
        f.config = at("config.dsp");
        fx::writeFile(f.config, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Config).build());
        f.software = at("software.dsp");
        fx::writeFile(f.software, fx::softwareImage());
        f.plugin = at("plugin.dsp");
        fx::writeFile(f.plugin, fx::pluginImage());
        f.storeHeader = at("store-header.dsp");
        fx::writeFile(f.storeHeader, fx::pictureStoreHeaderImage());
        f.store = at("store.dsp");
        fx::PictureStoreFixture store;
        store.entries = {{0, "mlogo25k.jpg", 700, 4128, fx::fillerBytes(700, 1)},
                         {1, "n\xe4me.jpg", 300, 5120, fx::fillerBytes(300, 2)}};
        fx::writeFixtureFile(f.store, fx::makePictureStoreFile(store));
        f.dsx = at("pack.dsx");
        fx::writeFile(f.dsx, importFile());
        f.empty = at("empty.dsp");
        fx::writeFile(f.empty, {});
        f.folder = at("folder.dsp");
        fs::create_directories(f.folder);
    }
    static void TearDownTestSuite() {
        delete files;
        files = nullptr;
    }

    static CliRun run(const std::vector<std::string>& args) { return cs::clitest::runCli(files->home, args); }
    static std::string p(const fs::path& path) { return path.string(); }

    // A successful command: exit 0, nothing on standard error, its JSON.
    static Json ok(const std::vector<std::string>& args) {
        std::string where;
        for (const auto& a : args)
            where += a + " ";
        const CliRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << where << "\n" << r.err;
        EXPECT_EQ(r.err, "") << where;
        return parsed(r, where);
    }

    // The slots of a `channels` view, each row checked against the row shape.
    static std::vector<long long> slots(const Json& rows, const std::string& where) {
        std::vector<long long> out;
        EXPECT_EQ(rows.type, T::Array) << where;
        for (const Json& row : rows.items) {
            expectShape(row, kRowShape, where);
            if (row.type == T::Object && !row.members.empty())
                out.push_back(row["slot"].integer());
        }
        EXPECT_EQ(std::set<long long>(out.begin(), out.end()).size(), out.size()) << where << ": a slot twice";
        return out;
    }
    static std::vector<long long> view(const std::vector<std::string>& options) {
        std::vector<std::string> args{"channels", p(files->demo)};
        args.insert(args.end(), options.begin(), options.end());
        std::string where;
        for (const auto& a : args)
            where += a + " ";
        return slots(ok(args), where);
    }
};

std::multiset<long long> asSet(const std::vector<long long>& v) { return {v.begin(), v.end()}; }

TEST_F(Cli, InfoPrintsItsObjectForEveryResultCode) {
    struct Case {
        fs::path file;
        int result, typeFile, exitCode;
    };
    const Files& f = *files;
    const std::vector<Case> cases = {
        {f.demo, 0, 0, 0},           {f.config, 0, 0, 0},      {f.dir.path() / "missing.dsp", 1, -1, 2},
        {f.folder, 1, -1, 2},        {f.empty, 2, -1, 2},      {f.software, 26, 1, 2},
        {f.plugin, 26, 1, 2},        {f.storeHeader, 42, 2, 2}, {f.store, 42, 2, 2}};
    for (const Case& c : cases) {
        const std::string where = c.file.filename().string();
        const CliRun r = run({"info", p(c.file)});
        EXPECT_EQ(r.exitCode, c.exitCode) << where;
        const Json info = parsed(r, where);
        expectShape(info, kInfoShape, where);
        if (info.members.size() != kInfoShape.size()) {
            continue;
        }
        EXPECT_EQ(info["result"].integer(), c.result) << where;
        EXPECT_EQ(info["typeFile"].integer(), c.typeFile) << where;
        if (c.result == 0) {
            EXPECT_EQ(r.err, "") << where;
            EXPECT_NE(info["kind"].text, "") << where;
            continue;
        }
        // What is known of a file that is not a database is nothing, and the editor's message
        // explains why, on standard error only.
        EXPECT_EQ(info["kind"].text, "") << where;
        for (const char* count : {"capacity", "channels", "providers", "transponders"})
            EXPECT_EQ(info[count].integer(), 0) << where << " " << count;
        for (const char* flag : {"base", "config", "ba2", "ba3"})
            EXPECT_FALSE(info[flag].boolean) << where << " " << flag;
        EXPECT_TRUE(info["satellites"].items.empty() && info["lists"].items.empty()) << where;
        EXPECT_EQ(lines(r.err).size(), 1u) << where << ": " << r.err;
        EXPECT_NE(r.err.find(c.file.filename().string()), std::string::npos) << where << ": " << r.err;
    }

    // A config-only image is a database without channels: its object says so.
    const Json config = ok({"info", p(f.config)});
    EXPECT_EQ(config["kind"].text, "config.dsp");
    EXPECT_EQ(config["capacity"].integer(), 0);
    EXPECT_FALSE(config["base"].boolean);
    EXPECT_TRUE(config["config"].boolean);
    EXPECT_EQ(slots(ok({"channels", p(f.config)}), "config channels").size(), 0u);
}

TEST_F(Cli, ChannelViewsAgreeWithInfo) {
    const Json info = ok({"info", p(files->demo)});
    expectShape(info, kInfoShape, "info demo");
    const std::vector<long long> all = view({});
    ASSERT_EQ(static_cast<long long>(all.size()), info["channels"].integer());
    const std::multiset<long long> allSet = asSet(all);

    // Favourite lists: the counts of info, positions 1..n in view order, filters ignored.
    ASSERT_FALSE(info["lists"].items.empty());
    for (const Json& list : info["lists"].items) {
        expectShape(list, kListShape, "info list");
        const std::string k = std::to_string(list["number"].integer());
        const Json rows = ok({"channels", p(files->demo), "--list", k});
        ASSERT_EQ(static_cast<long long>(rows.items.size()), list["channels"].integer()) << "list " << k;
        for (std::size_t i = 0; i < rows.items.size(); ++i)
            EXPECT_EQ(rows[i]["listPosition"].integer(), static_cast<long long>(i + 1)) << "list " << k;
        EXPECT_EQ(view({"--list", k, "--satellite", "64", "--order", "2", "--tv-radio", "2", "--fta-ca", "2",
                        "--provider", "2"}),
                  slots(rows, "list " + k))
            << "list " << k << " must ignore the filters";
    }
    for (const Json& row : ok({"channels", p(files->demo)}).items)
        ASSERT_EQ(row["listPosition"].integer(), 0) << "listPosition without --list";

    // The used satellites partition the main list; an unused one shows nothing.
    std::multiset<long long> bySatellite;
    std::set<long long> used;
    for (const Json& s : info["satellites"].items) {
        used.insert(s.integer());
        const auto part = view({"--satellite", std::to_string(s.integer())});
        EXPECT_FALSE(part.empty()) << "satellite " << s.integer();
        bySatellite.insert(part.begin(), part.end());
    }
    EXPECT_TRUE(used.count(64) && used.count(65)) << "the demo has DVB-T and DVB-C channels";
    EXPECT_EQ(bySatellite, allSet);
    for (long long s = 1; s <= 65; ++s)
        if (!used.count(s)) {
            EXPECT_TRUE(view({"--satellite", std::to_string(s)}).empty()) << "unused satellite " << s;
            break;
        }

    // Provider codes: 1 the providers node (everything), 2 the unknown provider, k+3 the listed
    // ones; together the unknown and the listed providers cover every channel once.
    const long long providers = info["providers"].integer();
    ASSERT_GT(providers, 0);
    EXPECT_EQ(view({"--provider", "1"}), all);
    std::multiset<long long> byProvider;
    for (long long code = 2; code < providers + 3; ++code) {
        const auto part = view({"--provider", std::to_string(code)});
        if (code > 2) {
            EXPECT_FALSE(part.empty()) << "provider code " << code;
        }
        byProvider.insert(part.begin(), part.end());
    }
    EXPECT_EQ(byProvider, allSet);
    const CliRun beyond = run({"channels", p(files->demo), "--provider", std::to_string(providers + 3)});
    EXPECT_NE(beyond.exitCode, 0);
    EXPECT_EQ(beyond.out, "");

    // The filters split the main list; the orders only rearrange it.
    for (const char* filter : {"--tv-radio", "--fta-ca"}) {
        const auto one = view({filter, "1"}), two = view({filter, "2"});
        EXPECT_FALSE(one.empty() || two.empty()) << filter;
        std::multiset<long long> both = asSet(one);
        both.insert(two.begin(), two.end());
        EXPECT_EQ(both, allSet) << filter;
        EXPECT_EQ(view({filter, "0"}), all) << filter;
    }
    for (const Json& row : ok({"channels", p(files->demo), "--fta-ca", "1"}).items)
        ASSERT_EQ(row["ca"].text, " ");
    for (const Json& row : ok({"channels", p(files->demo), "--fta-ca", "2"}).items)
        ASSERT_EQ(row["ca"].text, "+");
    for (const char* order : {"1", "2"})
        EXPECT_EQ(asSet(view({"--order", order})), allSet) << "order " << order;
    EXPECT_EQ(view({"--order", "0", "--satellite", "0", "--tv-radio", "0", "--fta-ca", "0", "--list", "0"}), all)
        << "explicit defaults";
}

TEST_F(Cli, CsvHoldsTheRowsOfTheJsonView) {
    for (const auto& [file, options] : std::vector<std::pair<fs::path, std::vector<std::string>>>{
             {files->demo, {}}, {files->demo, {"--satellite", "64"}}, {files->small, {}}, {files->small, {"--list", "1"}}}) {
        std::vector<std::string> args{"channels", p(file)};
        args.insert(args.end(), options.begin(), options.end());
        const Json rows = ok(args);
        args.insert(args.end(), {"--format", "csv"});
        const CliRun csv = run(args);
        ASSERT_EQ(csv.exitCode, 0) << csv.err;
        EXPECT_EQ(csv.err, "");
        EXPECT_TRUE(cs::clitest::validUtf8(csv.out));
        const auto table = parseCsv(csv.out);
        ASSERT_EQ(table.size(), rows.items.size() + 1) << file.filename();
        std::vector<std::string> header;
        for (const auto& [key, type] : kRowShape)
            header.push_back(key);
        EXPECT_EQ(table[0], header);
        for (std::size_t i = 0; i < rows.items.size(); ++i) {
            ASSERT_EQ(table[i + 1].size(), header.size()) << "row " << i;
            for (std::size_t f = 0; f < header.size(); ++f) {
                const Json& v = rows[i][header[f]];
                const std::string text = v.type == T::Number ? std::to_string(v.integer()) : v.text;
                ASSERT_EQ(table[i + 1][f], text) << file.filename() << " row " << i << " " << header[f];
            }
        }
    }
    // The names that needed quoting or were not ASCII came through intact.
    const Json rows = ok({"channels", p(files->small), "--list", "1"});
    ASSERT_EQ(rows.items.size(), 2u);
    EXPECT_EQ(rows[0]["caption"].text, "Caf TV") << "the caption is the filtered name";
    EXPECT_EQ(rows[1]["caption"].text, "Say \"Hi\", all");
    EXPECT_EQ(rows[1]["provider"].text, "Alpha, Beta");
    const Json info = ok({"info", p(files->small)});
    ASSERT_EQ(info["lists"].items.size(), 2u);
    EXPECT_EQ(info["lists"][0]["name"].text, "Caf\u00e9");
    EXPECT_EQ(info["lists"][1]["name"].text, "Hi, \"you\"");
}

TEST_F(Cli, SaveKeepsWhatInfoAndTheViewsReport) {
    fx::TempDir work;
    const fs::path file = work / "db.dsp", copy = work / "copy.dsp";
    fs::copy_file(files->demo, file);
    const auto original = fx::readFile(file);
    const Json before = ok({"info", p(file)});
    const auto viewBefore = slots(ok({"channels", p(file), "--order", "2"}), "before");

    const Json saved = ok({"save", p(file)});
    expectShape(saved, kSaveShape, "save in place");
    EXPECT_EQ(saved["saved"].text, p(file));
    EXPECT_EQ(saved["backup"].text, p(work / "db.BAK"));
    EXPECT_EQ(fx::readFile(work / "db.BAK"), original) << "the backup is the previous file";
    EXPECT_EQ(saved["channels"].integer(), before["channels"].integer());
    EXPECT_EQ(saved["providers"].integer(), before["providers"].integer());
    EXPECT_EQ(fs::file_size(file), original.size());
    EXPECT_EQ(ok({"info", p(file)}).members, before.members) << "save then info gives the same figures";
    EXPECT_EQ(slots(ok({"channels", p(file), "--order", "2"}), "after"), viewBefore);

    // Save as: no backup, the source untouched.
    fs::remove(work / "db.BAK");
    const auto inPlace = fx::readFile(file);
    const CliRun as = run({"save", p(file), "--out", p(copy)});
    ASSERT_EQ(as.exitCode, 0) << as.err;
    const Json asJson = parsed(as, "save --out");
    ASSERT_EQ(asJson.keys(), (std::vector<std::string>{"saved", "channels", "providers", "backup"}));
    EXPECT_EQ(asJson["saved"].text, p(copy));
    EXPECT_EQ(asJson["backup"].type, T::Null);
    EXPECT_FALSE(fs::exists(work / "db.BAK") || fs::exists(work / "copy.BAK"));
    EXPECT_EQ(fx::readFile(file), inPlace);
    EXPECT_EQ(ok({"info", p(copy)}).members, before.members);
}

TEST_F(Cli, CommandsThatWriteLeaveFilesThatAreNoDatabaseAlone) {
    fx::TempDir work;
    for (const fs::path& source : {files->software, files->store, files->empty}) {
        const fs::path file = work.path() / source.filename();
        fs::copy_file(source, file);
        const auto bytes = fx::readFile(file);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"save", p(file)}, {"import", p(file), p(files->dsx)}}) {
            const CliRun r = run(args);
            EXPECT_EQ(r.exitCode, 2) << args[0] << " " << source.filename();
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err, "");
            EXPECT_EQ(fx::readFile(file), bytes) << args[0] << " " << source.filename();
            EXPECT_FALSE(fs::exists(fs::path(file).replace_extension(".BAK"))) << args[0] << " " << source.filename();
        }
    }
}

TEST_F(Cli, DsxDescribesWhatImportApplies) {
    const Json dsx = ok({"dsx", p(files->dsx)});
    ASSERT_EQ(dsx.keys(), (std::vector<std::string>{"description", "components"}));
    EXPECT_EQ(dsx["description"].text, "Acceptance \"pack\"\nline two");
    ASSERT_EQ(dsx["components"].items.size(), 3u);
    const Shape entry = {{"entry", T::Number}, {"type", T::Number}, {"size", T::Number}, {"marker", T::Number}};
    Shape base = entry;
    base.insert(base.end(), {{"channels", T::Number}, {"providers", T::Number}});
    std::vector<long long> entries, types;
    for (const Json& c : dsx["components"].items) {
        expectShape(c, c["type"].integer() == 1 ? base : entry, "dsx component");
        entries.push_back(c["entry"].integer());
        types.push_back(c["type"].integer());
        EXPECT_EQ(c["marker"].integer(), 2561);
    }
    EXPECT_EQ(entries, (std::vector<long long>{0, 2, 3}));
    EXPECT_EQ(types, (std::vector<long long>{1, 4, 8}));
    EXPECT_EQ(dsx["components"][1]["size"].integer(), 256);
    EXPECT_EQ(dsx["components"][2]["size"].integer(), 4096);
    EXPECT_EQ(dsx["components"][0]["channels"].integer(), 5);
    EXPECT_EQ(dsx["components"][0]["providers"].integer(), 2);

    fx::TempDir work;
    const fs::path db = work / "db.dsp", out = work / "out.dsp";
    fs::copy_file(files->small, db);
    const auto bytes = fx::readFile(db);
    for (const std::string list : {"0", "0,2:1+3", "0,2,3:2+4"}) {
        const CliRun r = run({"import", p(db), p(files->dsx), "--out", p(out), "--components", list});
        ASSERT_EQ(r.exitCode, 0) << list << "\n" << r.err;
        const Json saved = parsed(r, "import " + list);
        ASSERT_EQ(saved.keys(), (std::vector<std::string>{"saved", "channels", "providers", "backup"}));
        EXPECT_EQ(saved["backup"].type, T::Null);
        EXPECT_EQ(saved["channels"].integer(), 5) << list;
        const Json info = ok({"info", p(out)});
        EXPECT_EQ(info["channels"].integer(), 5) << "the channel base replaces every channel";
        EXPECT_EQ(info["providers"].integer(), 2);
        EXPECT_EQ(fx::readFile(db), bytes) << "--out leaves the database alone";
    }
    // Without --components every component is applied, in place with a backup.
    const CliRun all = run({"import", p(db), p(files->dsx)});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const Json allJson = parsed(all, "import all");
    expectShape(allJson, kSaveShape, "import in place");
    EXPECT_EQ(fx::readFile(work / "db.BAK"), bytes);
    EXPECT_EQ(ok({"info", p(db)})["channels"].integer(), 5);
}

TEST_F(Cli, PicturesListExtractAndPackAgree) {
    fx::TempDir work;
    // Listing: entry names are printed as valid UTF-8 whatever bytes the store holds.
    const Json listed = ok({"pictures", p(files->store)});
    expectShape(listed, kStoreShape, "pictures");
    ASSERT_EQ(listed["entries"].items.size(), 2u);
    for (const Json& e : listed["entries"].items)
        expectShape(e, kStoreEntryShape, "pictures entry");
    EXPECT_EQ(listed["entries"][1]["name"].text, "n\u00e4me.jpg");

    // Extract: one path a line on stdout, each file the entry's bytes.
    const CliRun extracted = run({"pictures", p(files->store), "--extract", p(work / "out")});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    const auto paths = lines(extracted.out);
    ASSERT_EQ(paths.size(), 2u) << extracted.out;
    EXPECT_EQ(paths[0], p(work.path() / "out" / "mlogo25k.jpg"));
    EXPECT_EQ(fx::readFile(paths[0]), fx::fillerBytes(700, 1));
    EXPECT_EQ(fs::file_size(paths[1]), 300u);

    const fs::path logo = work / "logo.jpg", background = work / "bg.jpg", packed = work / "new.dsp";
    fx::writeFile(logo, cs::pictest::makeJpeg({.width = 400, .height = 300, .quality = 60}));
    fx::writeFile(background, cs::pictest::makeJpeg({.width = 720, .height = 576, .quality = 50, .seed = 3}));
    const Json pack = ok({"pictures", p(packed), "--pack", "--logo", p(logo), "--background", p(background)});
    expectShape(pack, kStoreShape, "pack");
    EXPECT_EQ(pack.members, ok({"pictures", p(packed)}).members) << "pack prints the listing of what it wrote";
    std::vector<std::string> names;
    for (const Json& e : pack["entries"].items)
        names.push_back(e["name"].text);
    EXPECT_EQ(names, (std::vector<std::string>{"mlogo25k.jpg", "background.jpg"}));
    const Json info = parsed(run({"info", p(packed)}), "info of a packed store");
    EXPECT_EQ(info["result"].integer(), 42);
}

TEST_F(Cli, LangListsLanguagesEachOfWhichPrints) {
    const fs::path userFolder = files->home / ".local/share/channelsettings";
    fs::create_directories(userFolder);
    const std::string german = "[LANGUAGE]\r\nMenuFile=&Datei\r\n";
    fx::writeFile(userFolder / "Deutsch.lng", std::vector<std::uint8_t>(german.begin(), german.end()));
    const CliRun list = run({"lang"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::vector<std::string> builtIn;
    bool external = false;
    for (const std::string& line : lines(list.out)) {
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string name = line.substr(0, tab), where = line.substr(tab + 1);
        if (where == "built-in") {
            builtIn.push_back(name);
            continue;
        }
        EXPECT_EQ(name, "Deutsch.lng");
        EXPECT_EQ(fs::path(where), userFolder / "Deutsch.lng");
        external = true;
        const CliRun notBuiltIn = run({"lang", name});
        EXPECT_EQ(notBuiltIn.exitCode, 2);
        EXPECT_EQ(notBuiltIn.out, "");
    }
    fs::remove_all(files->home / ".local");
    EXPECT_TRUE(external);
    ASSERT_EQ(builtIn.size(), 5u) << list.out;
    for (const std::string& name : builtIn) {
        const CliRun text = run({"lang", name});
        EXPECT_EQ(text.exitCode, 0) << name;
        EXPECT_EQ(text.err, "") << name;
        EXPECT_EQ(text.out.rfind("[LANGUAGE]\n", 0), 0u) << name;
        EXPECT_TRUE(cs::clitest::validUtf8(text.out)) << name;
        EXPECT_GT(lines(text.out).size(), 100u) << name;
    }
}

TEST_F(Cli, HelpPrintsUsageOnStandardError) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"info", "--help"}, {"channels", p(files->demo), "--help"},
          {"pictures", "--help"}, {"lang", "--help"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_EQ(r.err.rfind("usage: channelsettings-cli ", 0), 0u) << args[0] << ": " << r.err;
        if (args[0] != "--help") {
            EXPECT_NE(r.err.find("channelsettings-cli " + args[0]), std::string::npos) << r.err;
        }
    }
}

// Every refusal: the expected exit code, nothing on standard output, a message on standard error.
TEST_F(Cli, RefusalsExitWithTheirCodeAndSpeakOnlyOnStandardError) {
    const Files& f = *files;
    fx::TempDir work;
    const fs::path db = work / "db.dsp";
    fs::copy_file(f.small, db);
    const std::string missing = p(f.dir.path() / "missing.dsp"), demo = p(f.demo), dsx = p(f.dsx);
    const std::string blocked = p(work / "file-not-folder");
    fx::writeFile(blocked, std::vector<std::uint8_t>{1});
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        // usage
        {{}, 1},
        {{"nosuch"}, 1},
        {{"info"}, 1},
        {{"info", demo, demo}, 1},
        {{"info", "--bogus", demo}, 1},
        {{"channels", demo, "--list"}, 1},
        {{"channels", demo, "--list", "one"}, 1},
        {{"channels", demo, "--list", "1.5"}, 1},
        {{"channels", demo, "--list", "9"}, 1},
        {{"channels", demo, "--satellite", "66"}, 1},
        {{"channels", demo, "--satellite", "-1"}, 1},
        {{"channels", demo, "--satellite", "99999999999999999999"}, 1},
        {{"channels", demo, "--order", "3"}, 1},
        {{"channels", demo, "--tv-radio", "3"}, 1},
        {{"channels", demo, "--fta-ca", "x"}, 1},
        {{"channels", demo, "--provider", "0"}, 1},
        {{"channels", demo, "--provider", ""}, 1},
        {{"channels", demo, "--format", "xml"}, 1},
        {{"channels", demo, "--sort", "1"}, 1},
        {{"save"}, 1},
        {{"save", demo, "--out"}, 1},
        {{"dsx"}, 1},
        {{"import", p(db)}, 1},
        {{"import", p(db), dsx, "--components", "x"}, 1},
        {{"import", p(db), dsx, "--components", "0,"}, 1},
        {{"import", p(db), dsx, "--components", "0:1"}, 1},
        {{"import", p(db), dsx, "--components", "2:5"}, 1},
        {{"import", p(db), dsx, "--components", "7"}, 1},
        {{"pictures"}, 1},
        {{"pictures", p(f.store), "--pack", "--extract", p(work / "x")}, 1},
        {{"pictures", p(f.store), "--logo", p(f.store)}, 1},
        {{"pictures", p(work / "new.dsp"), "--pack"}, 1},
        {{"lang", "a", "b"}, 1},
        {{"lang", "--all"}, 1},
        // not a database, not an import file, not a store, not a language
        {{"channels", missing}, 2},
        {{"channels", p(f.folder)}, 2},
        {{"channels", p(f.empty)}, 2},
        {{"channels", p(f.software)}, 2},
        {{"channels", p(f.store)}, 2},
        {{"save", missing}, 2},
        {{"save", p(f.folder)}, 2},
        {{"dsx", missing}, 2},
        {{"dsx", p(f.folder)}, 2},
        {{"dsx", p(f.empty)}, 2},
        {{"dsx", demo}, 2},
        {{"import", missing, dsx}, 2},
        {{"import", p(db), missing}, 2},
        {{"import", p(db), demo}, 2},
        {{"pictures", missing}, 2},
        {{"pictures", p(f.folder)}, 2},
        {{"pictures", p(f.empty)}, 2},
        {{"pictures", demo}, 2},
        {{"pictures", p(work / "new.dsp"), "--pack", "--logo", missing}, 2},
        {{"pictures", p(work / "new.dsp"), "--pack", "--logo", demo}, 2},
        {{"lang", "Klingon.lng"}, 2},
        {{"lang", ""}, 2},
        // writes that fail
        {{"save", p(db), "--out", p(work.path())}, 3},
        {{"save", p(db), "--out", p(work / "no" / "such" / "folder.dsp")}, 3},
        {{"save", p(db), "--out", blocked + "/x.dsp"}, 3},
        {{"import", p(db), dsx, "--out", p(work.path())}, 3},
        {{"pictures", p(f.store), "--extract", blocked}, 3},
    };
    const auto dbBytes = fx::readFile(db);
    for (const Case& c : cases) {
        std::string where;
        for (const auto& a : c.args)
            where += a + " ";
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << where << "\n" << r.err;
        EXPECT_EQ(r.out, "") << where;
        EXPECT_FALSE(r.err.empty()) << where;
        EXPECT_TRUE(!r.err.empty() && r.err.back() == '\n') << where << ": message without a line end";
    }
    EXPECT_EQ(fx::readFile(db), dbBytes) << "no refusal changed the database";
    EXPECT_FALSE(fs::exists(work / "db.BAK"));
    EXPECT_FALSE(fs::exists(work / "new.dsp"));
}

} // namespace
