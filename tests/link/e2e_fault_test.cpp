// Transfers with lrzsz through a relay that damages the line, reproducibly by seed. Whatever
// happens, a transfer ends: byte-identical with exit code 0, or with a non-zero exit code and no
// partial file left behind; never success with a wrong file; the program stays responsive.
#include "e2e_support.h"

#include <regex>
#include <set>

namespace cs::test {
namespace {

using namespace cs::link;

enum class Expect { Any, Success, HangUp };

struct FaultCase {
    const char* name;
    bool upload;
    LinkFaults toPeer;
    LinkFaults toEngine;
    std::uint64_t seed;
    Expect expect = Expect::Any;
};

LinkFaults flips(double rate) {
    LinkFaults f;
    f.flipRate = rate;
    return f;
}
LinkFaults drops(double rate) {
    LinkFaults f;
    f.dropRate = rate;
    return f;
}
LinkFaults garbage(double rate) {
    LinkFaults f;
    f.garbageRate = rate;
    return f;
}
LinkFaults stall(std::uint64_t at, int ms, bool drop) {
    LinkFaults f;
    f.stalls.push_back({at, ms, drop});
    return f;
}
LinkFaults hangup(std::uint64_t after) {
    LinkFaults f;
    f.hangupAfter = after;
    return f;
}

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

constexpr std::size_t kFileSize = 60000;

// Bytes the relay damaged, from its summary line ("... flipped 2 dropped 0 garbage 1 ...").
int damagedBytes(const std::string& summary) {
    static const std::regex counter("(flipped|dropped|garbage) ([0-9]+)");
    int total = 0;
    for (std::sregex_iterator it(summary.begin(), summary.end(), counter), end; it != end; ++it)
        total += std::stoi((*it)[2]);
    return total;
}

class FaultyLine : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultyLine, EndsCleanlyAndNeverWithAWrongFile) {
    const auto& c = GetParam();
    TempDir dir;
    const auto file = writeRandomFile(dir / "out/image.dsp", kFileSize, c.seed + 100);
    ReceiverOptions o;
    o.seed = c.seed;
    o.toPeer = c.toPeer;
    o.toEngine = c.toEngine;
    o.timeoutMs = 150000;
    ControllerJob job;
    // The program's own wait per byte: the sender sends a block again when its answer is lost,
    // and a shorter wait would let a late answer of a busy machine cross that second copy.
    job.engineTimeoutMs = 5000;
    job.limit = std::chrono::seconds(140);
    setTransferDirection(c.upload, dir.path(), file, o, job);
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    const auto run = runController(rx.devicePath(), job);
    ASSERT_TRUE(run.ended);
    rx.terminate(1s);
    const std::string where = rx.stderrText();

    ASSERT_TRUE(run.status.has_value());
    if (*run.status == TransferStatus::Ok) {
        EXPECT_EQ(run.result, ConnectionResult::Ok);
        const auto arrived = c.upload ? dir / "inbox/image.dsp" : dir / "rx/image.dsp";
        ASSERT_TRUE(std::filesystem::exists(arrived)) << where;
        EXPECT_TRUE(readFileBytes(arrived) == readFileBytes(file)) << "success with a wrong file\n" << where;
    } else {
        static const std::set<TransferStatus> kFailures{
            TransferStatus::LinkFailure, TransferStatus::RemoteCancelled, TransferStatus::ProtocolError,
            TransferStatus::TooManyErrors, TransferStatus::NoAnswer, TransferStatus::InputOverflow};
        EXPECT_TRUE(kFailures.count(*run.status)) << statusCode(*run.status);
        EXPECT_EQ(run.result, ConnectionResult::TransferFailed);
        if (!c.upload)
            EXPECT_TRUE(filesIn(job.folder).empty()) << "partial file left";
    }
    switch (c.expect) {
    case Expect::Any:
        // the seed must really damage the line, or the case proves nothing
        EXPECT_GT(damagedBytes(rx.summary()), 0) << rx.summary();
        break;
    case Expect::Success: EXPECT_EQ(run.status, TransferStatus::Ok) << where; break;
    case Expect::HangUp: EXPECT_EQ(run.status, TransferStatus::LinkFailure) << where; break;
    }
    RecordProperty("exit_code", statusCode(*run.status));
    RecordProperty("relay", rx.summary());
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, FaultyLine,
    ::testing::Values(
        // receiving from sb -k
        FaultCase{"rx_flip_1", false, {}, flips(3e-5), 1}, FaultCase{"rx_flip_2", false, {}, flips(3e-5), 2},
        FaultCase{"rx_flip_3", false, {}, flips(3e-5), 3}, FaultCase{"rx_drop_1", false, {}, drops(4e-5), 1},
        FaultCase{"rx_garbage_1", false, {}, garbage(4e-5), 1}, FaultCase{"rx_garbage_2", false, {}, garbage(4e-5), 2},
        FaultCase{"rx_answers_flipped", false, flips(0.03), {}, 3},
        FaultCase{"rx_stall_held", false, {}, stall(30000, 4000, false), 1, Expect::Success},
        FaultCase{"rx_stall_lost", false, {}, stall(30000, 3000, true), 1},
        FaultCase{"rx_hangup", false, {}, hangup(30000), 1, Expect::HangUp},
        // sending to rb
        FaultCase{"tx_flip_1", true, flips(3e-5), {}, 1}, FaultCase{"tx_flip_2", true, flips(3e-5), {}, 2},
        FaultCase{"tx_flip_3", true, flips(3e-5), {}, 3}, FaultCase{"tx_drop_1", true, drops(4e-5), {}, 1},
        FaultCase{"tx_garbage_1", true, garbage(4e-5), {}, 1},
        FaultCase{"tx_answers_flipped", true, {}, flips(0.03), 3},
        FaultCase{"tx_stall_held", true, stall(30000, 4000, false), {}, 1, Expect::Success},
        FaultCase{"tx_hangup", true, hangup(30000), {}, 1, Expect::HangUp}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace cs::test
