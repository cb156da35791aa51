// Paths that are not regular files, given to every command that reads a file, and a folder that
// already holds links when pictures are extracted into it.
#include "fixtures/image_builder.h"
#include "fixtures/picture_store_fixture.h"
#include "jpeg_fixture.h"
#include "support/cli_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fx = cs::fixtures;
using cs::clitest::CliRun;
using cs::clitest::runCli;

std::vector<std::uint8_t> storeWith(const std::string& name, const std::vector<std::uint8_t>& jpeg) {
    fx::PictureStoreFixture store;
    store.entries.push_back({2, name, static_cast<std::uint32_t>(jpeg.size()), 4128, jpeg});
    return fx::makePictureStoreFile(store);
}

TEST(CliHostileFiles, EveryReadFileThatIsNotRegularIsRefusedAtOnceAndNamed) {
    fx::TempDir dir;
    const auto db = dir / "db.dsp";
    fx::writeFile(db, fx::DatabaseImageBuilder(fx::DatabaseFileKind::Channels).build());
    const auto store = dir / "store.dsp";
    fx::writeFile(store, storeWith("logo.jpg", cs::pictest::makeJpeg({.width = 32, .height = 16})));

    // A FIFO without a writer is what used to block: opening it for reading waits for ever.
    const auto fifo = dir / "fifo.dsp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const auto folder = dir / "folder.dsp";
    fs::create_directory(folder);
    const auto loop = dir / "loop.dsp";
    fs::create_symlink("loop.dsp", loop);
    const std::pair<fs::path, std::string> kinds[] = {
        {fifo, "is a named pipe (FIFO), not a file"},
        {folder, "is a folder, not a file"},
        {loop, "is a symbolic link loop"},
        {"/dev/null", "is a device, not a file"},
    };
    for (const auto& [path, what] : kinds) {
        const std::string p = path.string();
        const std::vector<std::vector<std::string>> commands = {
            {"info", p},
            {"save", p, "--out", (dir / "out.dsp").string()},
            {"channels", p},
            {"dsx", p},
            {"import", db.string(), p, "--out", (dir / "out.dsp").string()},
            {"pictures", p},
            {"pictures", p, "--extract", (dir / "pics").string()},
            {"pictures", (dir / "new.dsp").string(), "--pack", "--logo", p},
        };
        for (const auto& args : commands) {
            const CliRun r = runCli(dir.path(), args);
            EXPECT_EQ(r.exitCode, 2) << args[0] << " " << p << ": " << r.err;
            EXPECT_NE(r.err.find(path.filename().string() + " " + what), std::string::npos)
                << args[0] << " " << p << ": " << r.err;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "out.dsp"));
    EXPECT_FALSE(fs::exists(dir / "new.dsp"));
}

} // namespace
