// One lost, damaged or inserted byte, at chosen places of a transfer with lrzsz (sb -k sending to
// the engine, rb receiving from it), in either direction: YModem is built to survive each, so
// every transfer ends with a byte-identical file.
#include "e2e_support.h"

#include <sstream>

namespace cs::test {
namespace {

using namespace cs::link;
using Kind = LinkFaults::Fault::Kind;

// Five 1024-byte blocks: the layout of each direction is then fixed.
constexpr std::size_t kFileSize = 5 * 1024;
constexpr std::uint64_t kHeaderBlock = 0;  // block 0: 133 bytes
constexpr std::uint64_t kBlockBytes = 1029;
constexpr std::uint64_t dataBlock(int n) { return 133 + kBlockBytes * static_cast<std::uint64_t>(n - 1); }
constexpr std::uint64_t kEot = dataBlock(6);
constexpr std::uint64_t kBatchEnd = kEot + 1;

struct Place {
    const char* name;
    bool blocks;  // in the direction that carries the blocks, else in the answers
    std::uint64_t at;
};

// Where the blocks go: header, number, complement, data and check bytes of block 0, of a data
// block and of the batch end, and the EOT.
constexpr Place kPlaces[] = {
    {"header_start", true, kHeaderBlock},
    {"header_number", true, kHeaderBlock + 1},
    {"header_name", true, kHeaderBlock + 5},
    {"header_crc", true, kHeaderBlock + 132},
    {"block3_start", true, dataBlock(3)},
    {"block3_number", true, dataBlock(3) + 1},
    {"block3_complement", true, dataBlock(3) + 2},
    {"block3_data", true, dataBlock(3) + 500},
    {"block3_crc", true, dataBlock(3) + kBlockBytes - 1},
    {"last_block_crc", true, dataBlock(5) + kBlockBytes - 2},
    {"eot", true, kEot},
    {"batch_end_start", true, kBatchEnd},
    {"batch_end_data", true, kBatchEnd + 40},
    // The receiver's answers: "C", ACK of block 0, "C" for the data, ACK of blocks 1..5, ACK of
    // the EOT, "C" for the next header, ACK of the batch end.
    {"first_c", false, 0},
    {"header_ack", false, 1},
    {"data_c", false, 2},
    {"block2_ack", false, 4},
    {"last_block_ack", false, 7},
    {"eot_ack", false, 8},
    {"next_header_c", false, 9},
    {"batch_end_ack", false, 10},
};

struct SingleFault {
    bool upload;  // the engine sends to rb; otherwise it receives from sb
    Place place;
    Kind kind;
};

std::string caseName(const SingleFault& c) {
    static const char* const kKinds[] = {"flip", "drop", "insert"};
    return std::string(c.upload ? "to_rb_" : "from_sb_") + c.place.name + "_" + kKinds[static_cast<int>(c.kind)];
}

void PrintTo(const SingleFault& c, std::ostream* os) { *os << caseName(c); }

std::vector<SingleFault> allCases() {
    std::vector<SingleFault> out;
    for (bool upload : {false, true})
        for (const Place& place : kPlaces)
            for (Kind kind : {Kind::Flip, Kind::Drop, Kind::Insert})
                out.push_back({upload, place, kind});
    return out;
}

class SingleFaultLine : public ::testing::TestWithParam<SingleFault> {};

TEST_P(SingleFaultLine, FileArrivesByteIdentical) {
    const auto& c = GetParam();
    TempDir dir;
    const auto file = writeRandomFile(dir / "out/image.dsp", kFileSize, 77);
    ReceiverOptions o;
    o.seed = 5;
    o.timeoutMs = 90000;
    // rb leaves after its last ACK; when that ACK is lost the engine still waits for it a while,
    // on a line that stays (the simulator would otherwise hang up behind rb).
    o.lingerMs = 15000;
    if (std::getenv("CS_SINGLE_FAULT_VERBOSE"))
        o.extraArgs.push_back("--verbose");
    // The engine sends the blocks of an upload; the relay direction to the engine carries them
    // in a download.
    const bool toPeer = c.upload == c.place.blocks;
    LinkFaults& faults = toPeer ? o.toPeer : o.toEngine;
    faults.faults.push_back({c.place.at, c.kind});
    ControllerJob job;
    // The program's own wait for a byte: a shorter one would let a late answer of a busy peer
    // cross a block sent again, which no YModem sender can tell apart.
    job.engineTimeoutMs = 5000;
    job.limit = std::chrono::seconds(80);
    setTransferDirection(c.upload, dir.path(), file, o, job);
    SimulatedReceiver rx(o);
    ASSERT_TRUE(rx.waitReady()) << rx.stderrText();
    const auto run = runController(rx.devicePath(), job);
    ASSERT_TRUE(run.ended);
    const auto peerStatus = rx.waitExit(15s);
    rx.terminate(1s);
    const std::string where = rx.stderrText();

    // The seed and place must really damage the line, or the case proves nothing.
    const auto damaged = rx.counts(toPeer ? Direction::ToPeer : Direction::ToEngine);
    ASSERT_TRUE(damaged.has_value());
    EXPECT_EQ(damaged->flipped + damaged->dropped + damaged->garbage, 1u) << rx.summary();
    ASSERT_EQ(run.status, TransferStatus::Ok) << where;
    const auto arrived = c.upload ? dir / "inbox/image.dsp" : dir / "rx/image.dsp";
    ASSERT_TRUE(std::filesystem::exists(arrived)) << where;
    EXPECT_TRUE(readFileBytes(arrived) == readFileBytes(file)) << where;
    RecordProperty("peer_exit", peerStatus ? *peerStatus : -1);
    RecordProperty("relay", rx.summary());
}

INSTANTIATE_TEST_SUITE_P(Places, SingleFaultLine, ::testing::ValuesIn(allCases()),
                         [](const auto& info) { return caseName(info.param); });

} // namespace
} // namespace cs::test
