// Open and save of the 8000-slot demo database against the floor: one plain read of the file and
// one CRC-16 pass over all its bytes. Saves go to a temporary folder without fsync, so that the
// figure is the editor's own work and not the disk's.
#include "common/crc16.h"
#include "common/log_sink.h"
#include "fixtures/image_builder.h"
#include "image/flash.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fx = cs::fixtures;

// The demo database written once into a temporary folder for all benchmarks.
struct DemoFile {
    fx::TempDir dir;
    std::string path = (dir / "demo.dsp").string();
    DemoFile() { fx::writeFile(path, fx::demoDatabase()); }
};

const DemoFile& demo() {
    static const DemoFile file;
    return file;
}

void BM_Floor_ReadAndCrc(benchmark::State& state) {
    const std::string& path = demo().path;
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        ::fstat(fd, &st);
        buffer.resize(static_cast<std::size_t>(st.st_size));
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(cs::crc16(buffer));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_Floor_ReadAndCrc)->Unit(benchmark::kMillisecond);

void BM_Open(benchmark::State& state) {
    cs::NullLog log;
    cs::Flash flash(log);
    for (auto _ : state) {
        const cs::OpenResult result = flash.openImage(demo().path);
        if (result != cs::OpenResult::Loaded)
            state.SkipWithError("demo database did not open");
        benchmark::DoNotOptimize(flash.plainSlots().channelCount());
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    cs::NullLog log;
    cs::Flash flash(log);
    if (flash.openImage(demo().path) != cs::OpenResult::Loaded) {
        state.SkipWithError("demo database did not open");
        return;
    }
    // Range 1 picks the folder: 0 the temporary folder (a disk here), 1 a memory file system,
    // which leaves only the editor's own work beside the kernel's copy into the page cache.
    const bool memory = state.range(1) != 0;
    if (memory && !std::filesystem::is_directory("/dev/shm")) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    if (memory)
        ::setenv("TMPDIR", "/dev/shm", 1);
    fx::TempDir out;
    if (memory) {
        if (oldTmp)
            ::setenv("TMPDIR", savedTmp.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    const std::string target = (out / "saved.dsp").string();
    cs::SaveOptions options;
    options.sync = false;
    const bool keepBackup = state.range(0) != 0;
    for (auto _ : state) {
        if (flash.saveImage(target, keepBackup, options) != cs::SaveResult::Saved)
            state.SkipWithError("save failed");
    }
}
// First argument 0: save as (no backup), 1: plain save keeping the ".BAK"; second: disk or memory.
BENCHMARK(BM_Save)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"backup", "memfs"})->Unit(benchmark::kMillisecond);

} // namespace
