// Receiver-sized transfers with lrzsz through the simulated receiver: a whole settings image
// (590912 bytes) and the largest file the wizard sends (3 MiB).
#include "e2e_support.h"

namespace cs::test {
namespace {

using namespace cs::link;

struct LargeCase {
    const char* name;
    bool upload;
    std::size_t size;
    bool sb1k;
};

void PrintTo(const LargeCase& c, std::ostream* os) { *os << c.name; }

class LargeTransfer : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargeTransfer, ArrivesByteIdentical) {
    const auto& c = GetParam();
    TempDir dir;
    const auto file = writeRandomFile(dir / "out/image.dsp", c.size, c.size);
    ReceiverOptions o;
    ControllerJob job;
    if (c.upload) {
        o.mode = ReceiverOptions::Mode::Receive;
        o.inbox = dir / "inbox";
        job.file = file;
    } else {
        o.mode = ReceiverOptions::Mode::Send;
        o.sendFile = file;
        o.sb1k = c.sb1k;
        job.upload = false;
        job.folder = dir / "rx";
        std::filesystem::create_directories(job.folder);
    }
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    job.limit = std::chrono::seconds(300);
    const auto run = runController(rx.devicePath(), job);
    EXPECT_EQ(run.status, TransferStatus::Ok);
    EXPECT_EQ(rx.waitExit(30s), 0) << rx.stderrText();
    const auto arrived = c.upload ? dir / "inbox/image.dsp" : dir / "rx/image.dsp";
    EXPECT_EQ(readFileBytes(arrived), readFileBytes(file));
    EXPECT_EQ(run.view.progress, static_cast<std::int64_t>(c.size));
}

INSTANTIATE_TEST_SUITE_P(Images, LargeTransfer,
                         ::testing::Values(LargeCase{"upload_590912", true, 590912, false},
                                           LargeCase{"upload_3MiB", true, 3u << 20, false},
                                           LargeCase{"download_590912", false, 590912, false},
                                           LargeCase{"download_590912_1k", false, 590912, true},
                                           LargeCase{"download_3MiB_1k", false, 3u << 20, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace cs::test
