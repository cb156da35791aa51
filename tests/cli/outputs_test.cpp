// What the commands write and where: outputs that are devices, FIFOs or link loops, standard
// output that fails or goes away, size and memory limits, two writers of one file, and damaged
// channel records that opening leaves out.
#include "fixtures/image_builder.h"
#include "fixtures/import_file_fixture.h"
#include "fixtures/picture_store_fixture.h"
#include "jpeg_fixture.h"
#include "support/cli_runner.h"

#include "common/file_lock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using cs::clitest::CliOptions;
using cs::clitest::CliRun;
using cs::clitest::runCli;

template <typename Set>
CliOptions options(Set set) {
    CliOptions o;
    set(o);
    return o;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::uint8_t> storeWith(const std::vector<std::uint8_t>& jpeg) {
    fx::PictureStoreFixture store;
    store.entries.push_back({2, "logo.jpg", static_cast<std::uint32_t>(jpeg.size()), 4128, jpeg});
    return fx::makePictureStoreFile(store);
}

fx::ChannelFields channel(std::string name, std::uint16_t sid, std::uint16_t frequency) {
    fx::ChannelFields s;
    s.name = std::move(name);
    s.serviceId = sid;
    s.frequency = frequency;
    return s;
}

// An import file with one channel base of a single channel.
fx::ImageBytes importFile(const std::string& name, std::uint16_t sid) {
    fx::ChannelBaseFixture base;
    base.records.push_back(fx::encodeChannelRecord(channel(name, sid, 12000)));
    fx::DsxRecipe recipe;
    recipe.description = "one channel";
    recipe.components = {{0, fx::kDsxChannelBase, fx::kDsxMarker, fx::channelBaseBlock(base), {}}};
    return fx::encodeDsx(recipe);
}

void writeText(const fs::path& path, const std::string& text) {
    fx::writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

const std::string kCsvHeader = "position,name,satellite,frequency,polarisation,service_id\n";

// A device node of our own (the kernel's null device, major 1 minor 3): never the system's.
fs::path makeNullDevice(const fs::path& at) {
    if (::mknod(at.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        return {};
    return at;
}

TEST(CliOutputs, AnOutputThatIsNoFileIsRefusedBeforeAnythingIsWritten) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    fx::writeFile(db, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings).channel(0, channel("A", 1, 11100)).build());
    const auto dsx = dir / "set.dsx";
    fx::writeFile(dsx, importFile("B", 2));
    const auto csv = dir / "ref.csv";
    writeText(csv, kCsvHeader + "1,A,28,11100,H,1\n");
    const auto store = dir / "store.dsp";
    fx::writeFile(store, storeWith(cs::pictest::makeJpeg({.width = 32, .height = 16})));
    const auto logo = dir / "logo.jpg";
    fx::writeFile(logo, cs::pictest::makeJpeg({.width = 32, .height = 16}));

    const auto device = makeNullDevice(dir / "device");
    ASSERT_FALSE(device.empty());
    const auto fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const auto loop = dir / "loop";
    fs::create_symlink("loop", loop);
    const std::pair<fs::path, std::string> outputs[] = {
        {device, "is a device, not a file"},
        {fifo, "is a named pipe (FIFO), not a file"},
        {loop, "is a symbolic link loop"},
    };
    const auto dbBefore = fx::readFile(db);
    for (const auto& [out, what] : outputs) {
        const std::string o = out.string();
        const std::vector<std::vector<std::string>> commands = {
            {"save", db.string(), "--out", o},
            {"import", db.string(), dsx.string(), "--out", o},
            {"order", db.string(), csv.string(), "--out", o},
            {"pictures", o, "--pack", "--logo", logo.string()},
            {"pictures", store.string(), "--extract", o},
            {"receive", "--port", "/dev/cs-no-such-port", "--all", "--to", o},
        };
        for (const auto& args : commands) {
            const CliRun r = runCli(dir.path(), args);
            EXPECT_EQ(r.exitCode, 3) << args[0] << " " << o << ": " << r.err;
            EXPECT_TRUE(contains(r.err, o + " " + what)) << args[0] << " " << o << ": " << r.err;
            EXPECT_TRUE(r.out.empty()) << args[0] << " " << o << ": " << r.out;
        }
    }
    struct stat st {};
    ASSERT_EQ(::lstat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node is still a device";
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(fs::is_symlink(loop));
    EXPECT_EQ(fx::readFile(db), dbBefore);
    EXPECT_FALSE(fs::exists(dir / "db.BAK"));
}

TEST(CliOutputs, ADashWritesTheSavedFileToStandardOutputAndTheSummaryToStandardError) {
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    fx::writeFile(db, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings).channel(0, channel("A", 1, 11100)).build());
    const CliRun toFile = runCli(dir.path(), {"save", db.string(), "--out", (dir / "copy.dsp").string()});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
    const CliRun toStdout = runCli(dir.path(), {"save", db.string(), "--out", "-"});
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    const auto copy = fx::readFile(dir / "copy.dsp");
    EXPECT_EQ(std::vector<std::uint8_t>(toStdout.out.begin(), toStdout.out.end()), copy);
    EXPECT_TRUE(contains(toStdout.err, "\"saved\": \"-\"")) << toStdout.err;
    EXPECT_FALSE(fs::exists(dir / "-"));
}

TEST(CliOutputs, StandardOutputThatCannotBeWrittenIsAnErrorAndAClosedPipeEndsQuietly) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    fx::writeFile(db, fx::demoDatabase());
    const auto dsx = dir / "set.dsx";
    fx::writeFile(dsx, importFile("B", 2));
    const auto store = dir / "store.dsp";
    fx::writeFile(store, storeWith(cs::pictest::makeJpeg({.width = 32, .height = 16})));
    // A full device of our own (major 1 minor 7): every write fails with "No space left on device".
    const auto full = dir / "full";
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);

    const std::vector<std::vector<std::string>> commands = {
        {"export", db.string()}, {"channels", db.string()}, {"info", db.string()}, {"duplicates", db.string()},
        {"dsx", dsx.string()},   {"pictures", store.string()}, {"lang"},        {"lang", "Polski.lng"},
    };
    for (const auto& args : commands) {
        const CliRun r = runCli(dir.path(), args, options([&](CliOptions& o) { o.stdoutPath = full; }));
        EXPECT_EQ(r.exitCode, 3) << args[0] << ": " << r.err;
        EXPECT_TRUE(contains(r.err, "cannot write standard output")) << args[0] << ": " << r.err;

        const CliRun piped = runCli(dir.path(), args, options([](CliOptions& o) { o.stdoutClosedPipe = true; }));
        EXPECT_EQ(piped.signal, SIGPIPE) << args[0];
        EXPECT_EQ(piped.err, "") << args[0];
        const CliRun ignoring = runCli(dir.path(), args, options([](CliOptions& o) { o.stdoutClosedPipe = o.ignoreSigpipe = true; }));
        EXPECT_NE(ignoring.exitCode, 0) << args[0];
        EXPECT_EQ(ignoring.err, "") << args[0] << ": a closed pipe is no error worth a message";
    }
}

TEST(CliOutputs, AReferenceLargerThanAnyListIsRefusedWithoutReadingIt) {
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    fx::writeFile(db, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings).channel(0, channel("A", 1, 11100)).build());
    // A CSV header followed by a hole: 65 MB that take no room on the disk.
    const auto huge = dir / "huge.csv";
    writeText(huge, kCsvHeader);
    fs::resize_file(huge, 65ull * 1024 * 1024);
    const auto before = fx::readFile(db);
    const CliRun r = runCli(dir.path(), {"order", db.string(), huge.string()}, options([](CliOptions& o) { o.memoryLimit = 160ll << 20; }));
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(contains(r.err, "File huge.csv is too large")) << r.err;
    EXPECT_EQ(fx::readFile(db), before);
}

TEST(CliOutputs, RunningOutOfMemoryIsAMessageNotAnAbort) {
    fx::TempDir dir;
    // 4000 x 4000 pixels decode to 48 MB, more than the limit leaves.
    const auto photo = dir / "photo.jpg";
    fx::writeFile(photo, cs::pictest::makeJpeg({.width = 4000, .height = 4000}));
    const CliRun r = runCli(dir.path(), {"pictures", (dir / "new.dsp").string(), "--pack", "--background", photo.string()},
                            options([](CliOptions& o) { o.memoryLimit = 48ll << 20; }));
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(contains(r.err, "memory")) << "the reason is given: " << r.err;
    EXPECT_FALSE(fs::exists(dir / "new.dsp"));
}

TEST(CliOutputs, ASizeLimitIsAWriteErrorAndLeavesNoPartialPicture) {
    fx::TempDir dir;
    const auto jpeg = cs::pictest::makeJpegOfSize(320, 200, 10000);
    const auto store = dir / "store.dsp";
    fx::writeFile(store, storeWith(jpeg));
    const auto out = dir / "out";
    const CliRun r = runCli(dir.path(), {"pictures", store.string(), "--extract", out.string()},
                            options([](CliOptions& o) { o.fileSizeLimit = 4096; }));
    EXPECT_EQ(r.signal, 0) << "not killed by SIGXFSZ";
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_TRUE(contains(r.err, "File too large")) << r.err;
    EXPECT_TRUE(fs::is_empty(out)) << "the partial picture is removed";
}

TEST(CliOutputs, ASecondWriterWaitsThenSaysWhoHoldsTheFile) {
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    fx::writeFile(db, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings).channel(0, channel("A", 1, 11100)).build());
    const auto dsx = dir / "set.dsx";
    fx::writeFile(dsx, importFile("B", 2));
    const auto before = fx::readFile(db);
    {
        // This test process is the other writer, in the middle of its save.
        cs::FileLock held = cs::FileLock::acquire(db.string(), std::chrono::milliseconds(0));
        ASSERT_TRUE(held.held());
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"save", db.string()}, {"import", db.string(), dsx.string()},
              {"order", db.string(), db.string()}}) {
            const CliRun r = runCli(dir.path(), args);
            EXPECT_EQ(r.exitCode, 3) << args[0] << ": " << r.err;
            EXPECT_TRUE(contains(r.err, db.string() + " is in use by another program")) << r.err;
            EXPECT_TRUE(contains(r.err, "process " + std::to_string(::getpid()) + ")")) << r.err;
        }
        EXPECT_EQ(fx::readFile(db), before);
        EXPECT_FALSE(fs::exists(dir / "db.BAK"));
    }
    const CliRun free = runCli(dir.path(), {"import", db.string(), dsx.string()});
    EXPECT_EQ(free.exitCode, 0) << free.err;
}

TEST(CliOutputs, TwoWritersAtOnceKeepBothChanges) {
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    // Each writer renames one channel: without the lock both read the file before either saved,
    // and the later save brings the other's channel back under its old name.
    const auto first = dir / "first.csv";
    writeText(first, kCsvHeader + "1,Renamed A,28,11100,H,1\n");
    const auto second = dir / "second.csv";
    writeText(second, kCsvHeader + "1,Renamed B,28,11200,H,2\n");
    for (int round = 0; round < 8; ++round) {
        fx::writeFile(db, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Settings)
                              .channel(0, channel("A", 1, 11100))
                              .channel(1, channel("B", 2, 11200))
                              .build());
        std::vector<pid_t> children;
        for (const fs::path& reference : {first, second}) {
            // Each run captures its output in its own home.
            const fs::path home = dir.path() / reference.stem();
            fs::create_directories(home);
            const pid_t pid = ::fork();
            if (pid == 0) {
                const CliRun r = runCli(home, {"order", db.string(), reference.string(), "--names"});
                ::_exit(r.exitCode);
            }
            children.push_back(pid);
        }
        for (pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        const CliRun listed = runCli(dir.path(), {"channels", db.string()});
        EXPECT_TRUE(contains(listed.out, "\"Renamed A\"") && contains(listed.out, "\"Renamed B\""))
            << "round " << round << ": " << listed.out;
    }
}

TEST(CliOutputs, DamagedChannelRecordsAreCountedAndEverySaveSaysSo) {
    fx::TempDir dir;
    fx::DatabaseImageBuilder b(fx::DatabaseFileKind::Settings);
    b.channel(0, channel("A", 1, 11100)).channel(1, fx::withBadCrc(channel("B", 2, 11200))).channel(2, channel("C", 3, 11300));
    const std::vector<std::uint8_t> zeros(64, 0);
    b.rawRecord(3, zeros);  // neither erased nor a record
    const auto db = dir / "db.dsp";
    fx::writeFile(db, b.build());
    const auto clean = dir / "clean.dsp";
    fx::writeFile(clean, fx::demoDatabase());

    const CliRun info = runCli(dir.path(), {"info", db.string()});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(contains(info.out, "\"damagedRecords\": 2")) << info.out;
    EXPECT_TRUE(contains(runCli(dir.path(), {"info", clean.string()}).out, "\"damagedRecords\": 0"));

    const CliRun saved = runCli(dir.path(), {"save", db.string(), "--out", (dir / "out.dsp").string()});
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_TRUE(contains(saved.err, "2 damaged channel records are left out")) << saved.err;
    const CliRun cleanSave = runCli(dir.path(), {"save", clean.string(), "--out", (dir / "out2.dsp").string()});
    EXPECT_FALSE(contains(cleanSave.err, "damaged")) << cleanSave.err;
    // The saved file has dropped them: nothing damaged is left to report.
    EXPECT_TRUE(contains(runCli(dir.path(), {"info", (dir / "out.dsp").string()}).out, "\"damagedRecords\": 0"));
}

} // namespace
