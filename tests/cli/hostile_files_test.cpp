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

TEST(CliHostileFiles, ExtractionNeverFollowsOrReplacesWhatIsInTheFolder) {
    fx::TempDir dir;
    const auto jpeg = cs::pictest::makeJpeg({.width = 32, .height = 16});
    const auto store = dir / "store.dsp";
    fx::writeFile(store, storeWith("logo.jpg", jpeg));
    const auto out = dir / "out";
    fs::create_directory(out);
    // A link in the folder pointing outside it, a file of the same name, and a dangling link.
    const std::vector<std::uint8_t> precious = {'k', 'e', 'e', 'p'};
    fx::writeFile(dir / "precious.txt", precious);
    fs::create_symlink(dir / "precious.txt", out / "logo.jpg");
    fx::writeFile(out / "logo-1.jpg", precious);
    fs::create_symlink(dir / "nowhere.jpg", out / "logo-2.jpg");

    const CliRun r = runCli(dir.path(), {"pictures", store.string(), "--extract", out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, (out / "logo-3.jpg").string() + "\n");
    EXPECT_EQ(fx::readFile(dir / "precious.txt"), precious) << "the file outside the folder is untouched";
    EXPECT_EQ(fx::readFile(out / "logo-1.jpg"), precious);
    EXPECT_TRUE(fs::is_symlink(out / "logo.jpg"));
    EXPECT_TRUE(fs::is_symlink(out / "logo-2.jpg"));
    EXPECT_FALSE(fs::exists(dir / "nowhere.jpg")) << "a dangling link is not followed either";
    EXPECT_EQ(fx::readFile(out / "logo-3.jpg"), jpeg);

    // A second extraction into the same folder adds files; it never replaces the first.
    const CliRun again = runCli(dir.path(), {"pictures", store.string(), "--extract", out.string()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, (out / "logo-4.jpg").string() + "\n");
}

TEST(CliHostileFiles, PackRefusesDamagedAndOversizedPicturesAndWritesNoStore) {
    fx::TempDir dir;
    auto truncated = cs::pictest::makeJpeg({.width = 720, .height = 576});
    truncated.resize(truncated.size() / 2);
    fx::writeFile(dir / "cut.jpg", truncated);
    // 4097 x 4096 in its header: a few bytes claiming more than 16 megapixels.
    auto huge = cs::pictest::makeJpeg({.width = 16, .height = 16});
    for (std::size_t i = 2; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0x10, huge[i + 6] = 0x00, huge[i + 7] = 0x10, huge[i + 8] = 0x01;
            break;
        }
    fx::writeFile(dir / "huge.jpg", huge);
    const std::pair<const char*, const char*> cases[] = {{"cut.jpg", "Premature end of JPEG file"},
                                                         {"huge.jpg", "4097 x 4096"}};
    for (const auto& [name, says] : cases) {
        const CliRun r = runCli(dir.path(), {"pictures", (dir / "new.dsp").string(), "--pack", "--background",
                                             (dir / name).string()});
        EXPECT_EQ(r.exitCode, 2) << name << ": " << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "new.dsp")) << name;
    }
}

} // namespace
