// Transfers with lrzsz through the simulated receiver: both directions, every block-size edge,
// with and without the receiver's command.
#include "e2e_support.h"

namespace cs::test {
namespace {

using namespace cs::link;

struct SizeCase {
    std::size_t size;
    bool sb1k;  // download: sb with -k
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.size << (c.sb1k ? " bytes, 1k blocks" : " bytes"); }

std::string caseName(const ::testing::TestParamInfo<SizeCase>& info) {
    return std::to_string(info.param.size) + (info.param.sb1k ? "_1k" : "");
}

class UploadToRb : public ::testing::TestWithParam<SizeCase> {};

TEST_P(UploadToRb, ArrivesByteIdentical) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "out/image.dsp", GetParam().size, GetParam().size + 1);
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Receive;
    o.inbox = dir / "inbox";
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    ControllerJob job;
    job.file = file;
    const auto run = runController(rx.devicePath(), job);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.status, TransferStatus::Ok);
    EXPECT_EQ(run.result, ConnectionResult::Ok);
    EXPECT_EQ(rx.waitExit(30s), 0) << rx.stderrText();
    EXPECT_EQ(readFileBytes(dir / "inbox/image.dsp"), readFileBytes(file));
}

INSTANTIATE_TEST_SUITE_P(Sizes, UploadToRb,
                         ::testing::Values(SizeCase{0, false}, SizeCase{1, false}, SizeCase{127, false},
                                           SizeCase{128, false}, SizeCase{129, false}, SizeCase{1023, false},
                                           SizeCase{1024, false}, SizeCase{1025, false}),
                         caseName);

class DownloadFromSb : public ::testing::TestWithParam<SizeCase> {};

TEST_P(DownloadFromSb, ArrivesByteIdenticalWithoutPadding) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "out/image.dsp", GetParam().size, GetParam().size + 2);
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Send;
    o.sendFile = file;
    o.sb1k = GetParam().sb1k;
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    ControllerJob job;
    job.upload = false;
    job.folder = dir / "rx";
    std::filesystem::create_directories(job.folder);
    const auto run = runController(rx.devicePath(), job);
    EXPECT_EQ(run.status, TransferStatus::Ok);
    EXPECT_EQ(run.result, ConnectionResult::Ok);
    EXPECT_EQ(rx.waitExit(30s), 0) << rx.stderrText();
    EXPECT_EQ(readFileBytes(dir / "rx/image.dsp"), readFileBytes(file));
    EXPECT_EQ(run.files, std::vector<std::string>{(dir / "rx/image.dsp").string()});
}

INSTANTIATE_TEST_SUITE_P(Sizes, DownloadFromSb,
                         ::testing::Values(SizeCase{0, false}, SizeCase{1, false}, SizeCase{127, false},
                                           SizeCase{128, false}, SizeCase{129, false}, SizeCase{1023, false},
                                           SizeCase{1024, false}, SizeCase{1025, false}, SizeCase{0, true},
                                           SizeCase{1, true}, SizeCase{127, true}, SizeCase{128, true},
                                           SizeCase{129, true}, SizeCase{1023, true}, SizeCase{1024, true},
                                           SizeCase{1025, true}),
                         caseName);

TEST(ReceiverCommand, SendRunsTheHandshakeAndShowsProgress) {
    TempDir dir;
    const auto file = writeRandomFile(dir / "out/base.dsp", 2000, 5);
    ReceiverOptions o;
    o.mode = ReceiverOptions::Mode::Command;
    o.inbox = dir / "inbox";
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    ControllerJob job;
    job.file = file;
    job.command = std::string(kCommandSend);
    const auto run = runController(rx.devicePath(), job);
    EXPECT_EQ(run.status, TransferStatus::Ok);
    EXPECT_EQ(run.result, ConnectionResult::Ok);
    EXPECT_EQ(rx.waitExit(30s), 0) << rx.stderrText();
    EXPECT_EQ(readFileBytes(dir / "inbox/base.dsp"), readFileBytes(file));

    const auto& texts = run.view.connection;
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts.front(), rx.devicePath() + " Open...");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Create a connection."), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Sending a file ... 115200 bps"), texts.end());
    EXPECT_EQ(texts.back(), "End connection");
    EXPECT_EQ(run.view.fileSize, "2000 bytes 2 kB");
    EXPECT_EQ(run.view.packet, "Packet: 2");
    EXPECT_EQ(run.view.progress, 2000);
    EXPECT_EQ(run.view.progressMax, 2000);
    EXPECT_EQ(run.view.portWorked, 1);
}

TEST(ReceiverCommand, EachReceiveCommandGetsItsOwnFile) {
    struct Case {
        std::string_view command;
        const char* expected;
    };
    const Case cases[] = {{kCommandGetSettings, "settings.dsp"}, {kCommandGetBase, "channels.dsp"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command));
        TempDir dir;
        writeRandomFile(dir / "rx-side/settings.dsp", 999, 11);
        writeRandomFile(dir / "rx-side/channels.dsp", 1500, 12);
        ReceiverOptions o;
        o.mode = ReceiverOptions::Mode::Command;
        o.settingsFile = dir / "rx-side/settings.dsp";
        o.baseFile = dir / "rx-side/channels.dsp";
        o.sb1k = true;
        SimulatedReceiver rx(o);
        ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
        ControllerJob job;
        job.upload = false;
        job.folder = dir / "got";
        std::filesystem::create_directories(job.folder);
        job.command = std::string(c.command);
        const auto run = runController(rx.devicePath(), job);
        EXPECT_EQ(run.status, TransferStatus::Ok);
        EXPECT_EQ(rx.waitExit(30s), 0) << rx.stderrText();
        EXPECT_EQ(filesIn(job.folder), std::vector<std::filesystem::path>{job.folder / c.expected});
        EXPECT_EQ(readFileBytes(job.folder / c.expected), readFileBytes(dir / "rx-side" / c.expected));
        EXPECT_EQ(run.view.file, (job.folder / c.expected).string());
        if (c.command == kCommandGetSettings) {
            EXPECT_EQ(run.view.fileSize, "999 bytes 0 kB");
            EXPECT_NE(std::find(run.view.connection.begin(), run.view.connection.end(),
                                "Receiving a file... 115200 bps"),
                      run.view.connection.end());
        }
    }
}

} // namespace
} // namespace cs::test
