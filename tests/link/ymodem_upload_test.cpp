// The YModem engine sending files to a scripted receiver on a pseudo-terminal.
#include "engine_fixture.h"

namespace cs::test {
namespace {

using namespace cs::link;
constexpr std::uint8_t kSOH = 0x01, kSTX = 0x02, kEOT = 0x04, kACK = 0x06, kNAK = 0x15, kCAN = 0x18;

std::vector<std::uint8_t> padded(std::vector<std::uint8_t> v, std::size_t size) {
    v.resize(size, 0);
    return v;
}

class UploadTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        modem.direction = TransferDirection::Upload;
    }
};

TEST_F(UploadTest, CrcModeSendsHeaderLongBlockEotAndEmptyHeader) {
    const auto data = pattern(1024);
    const auto path = writeFile("list.dsp", data);
    modem.files = {path.string()};
    std::vector<Frame> frames;
    int eot = -1;
    const auto status = run([&] {
        peer.send('C');
        frames.push_back(readFrame(peer));
        peer.send(kACK);
        peer.send('C');
        frames.push_back(readFrame(peer));
        peer.send(kACK);
        eot = peer.readByte();
        peer.send(kACK);
        peer.send('C');
        frames.push_back(readFrame(peer));
        peer.send(kACK);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].header, kSOH);
    EXPECT_EQ(frames[0].number, 0);
    EXPECT_EQ(frames[0].complement, 255);
    EXPECT_TRUE(frames[0].checkOk);
    EXPECT_EQ(frames[0].data, padded(headerData("list.dsp", "1024"), 128));
    EXPECT_EQ(frames[1].header, kSTX);
    EXPECT_EQ(frames[1].number, 1);
    EXPECT_EQ(frames[1].complement, 254);
    EXPECT_TRUE(frames[1].checkOk);
    EXPECT_EQ(frames[1].data, data);
    EXPECT_EQ(eot, kEOT);
    EXPECT_EQ(frames[2].header, kSOH);
    EXPECT_EQ(frames[2].data, std::vector<std::uint8_t>(128, 0));
    EXPECT_TRUE(frames[2].checkOk);
    EXPECT_EQ(packets, (std::vector<std::pair<int, std::int64_t>>{{1, 1024}}));
    ASSERT_EQ(fileInfos.size(), 1u);
    EXPECT_EQ(fileInfos[0], std::make_pair(path.string(), std::int64_t{1024}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(UploadTest, NakStartGivesShortBlocksWithChecksumsAndZeroPadding) {
    const auto data = pattern(1500);
    const auto path = writeFile("a.bin", data);
    modem.files = {path.string()};
    std::vector<Frame> blocks;
    Frame header, end;
    const auto status = run([&] {
        peer.send(kNAK);
        header = readFrame(peer, false);
        peer.send(kACK);
        peer.send(kNAK);
        for (int i = 0; i < 12; ++i) {
            blocks.push_back(readFrame(peer, false));
            peer.send(kACK);
        }
        if (peer.readByte() == kEOT)
            peer.send(kACK);
        peer.send(kNAK);
        end = readFrame(peer, false);
        peer.send(kACK);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_TRUE(header.checkOk);
    EXPECT_EQ(header.data, padded(headerData("a.bin", "1500"), 128));
    ASSERT_EQ(blocks.size(), 12u);
    std::vector<std::uint8_t> joined;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].header, kSOH);
        EXPECT_EQ(blocks[i].number, static_cast<int>(i + 1));
        EXPECT_TRUE(blocks[i].checkOk) << "block " << i + 1;
        joined.insert(joined.end(), blocks[i].data.begin(), blocks[i].data.end());
    }
    // 11 full blocks and 92 bytes, then 36 zero bytes of padding
    EXPECT_EQ(joined, padded(data, 12 * 128));
    EXPECT_TRUE(end.checkOk);
    EXPECT_EQ(packets.back(), std::make_pair(12, std::int64_t{1500}));
}

TEST_F(UploadTest, NakAnswersAreCountedAndRepeated) {
    // A NAKed block goes again; a NAKed first EOT gives one -16 and a second EOT.
    const auto data = pattern(10);
    modem.files = {writeFile("x.dsp", data).string()};
    Frame first, again;
    int eot1 = -1, eot2 = -1;
    const auto status = run([&] {
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
        peer.send('C');
        first = readFrame(peer);
        peer.send(kNAK);
        again = readFrame(peer);
        peer.send(kACK);
        eot1 = peer.readByte();
        peer.send(kNAK);
        eot2 = peer.readByte();
        peer.send(kACK);
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(first.data, again.data);
    EXPECT_EQ(again.number, 1);
    EXPECT_EQ(eot1, kEOT);
    EXPECT_EQ(eot2, kEOT);
    EXPECT_EQ(errors,
              (std::vector<std::pair<TransferStatus, int>>{{TransferStatus::BadCheck, 1}, {TransferStatus::BadByte, 2}}));
}

TEST_F(UploadTest, ReceiverCancelEndsTheTransfer) {
    modem.files = {writeFile("x.dsp", pattern(300)).string()};
    std::vector<std::uint8_t> after;
    const auto status = run([&] {
        peer.send('C');
        readFrame(peer);
        peer.send(kCAN);
        after = peer.drain(200ms);
    });
    EXPECT_EQ(status, TransferStatus::RemoteCancelled);
    EXPECT_TRUE(after.empty());
}

// A stray byte where the answer belongs (0x00 included) is counted and the answer awaited: the
// block is not sent again, which would leave every later answer one block behind. A lost answer
// sends the block again.
TEST_F(UploadTest, StrayAndLostAnswersAreSurvived) {
    modem.timeoutMs = 300;
    modem.files = {writeFile("x.dsp", pattern(2048)).string()};
    std::vector<int> numbers;
    const auto status = run([&] {
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
        peer.send('C');
        numbers.push_back(readFrame(peer).number);
        peer.send(std::vector<std::uint8_t>{'x', 0x00});
        peer.drain(100ms);  // nothing is sent again
        peer.send(kACK);
        numbers.push_back(readFrame(peer).number);
        // no answer: after the time-out block 2 comes again
        numbers.push_back(readFrame(peer).number);
        peer.send(kACK);
        EXPECT_EQ(peer.readByte(), kEOT);
        peer.send(kACK);
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(errors, (std::vector<std::pair<TransferStatus, int>>{
                          {TransferStatus::BadByte, 1}, {TransferStatus::BadByte, 2}, {TransferStatus::Timeout, 3}}));
}

TEST_F(UploadTest, SilentReceiverAfterTheBatchEndIsNotWaitedFor) {
    // Every file was acknowledged; the receiver's last ACK is lost.
    modem.timeoutMs = 200;
    modem.files = {writeFile("x.dsp", pattern(10)).string()};
    const auto status = run([&] {
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
        EXPECT_EQ(peer.readByte(), kEOT);
        peer.send(kACK);
        peer.send('C');
        readFrame(peer);
        peer.drain(1000ms);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(UploadTest, MissingFileIsRefusedBeforeItsHeaderGoesOut) {
    modem.files = {(folder / "missing.dsp").string()};
    std::vector<std::uint8_t> seen;
    const auto status = run([&] {
        peer.send('C');
        seen = peer.read(2);
    });
    EXPECT_EQ(status, TransferStatus::FileOpenFailed);
    EXPECT_EQ(seen, (std::vector<std::uint8_t>{kCAN, kCAN}));
    EXPECT_TRUE(fileInfos.empty());
}

TEST_F(UploadTest, SilentReceiverEndsAfterMaxErrorsTimeouts) {
    modem.timeoutMs = 20;
    modem.files = {writeFile("x.dsp", pattern(10)).string()};
    std::vector<std::uint8_t> seen;
    const auto status = run([&] { seen = peer.read(2); });
    EXPECT_EQ(status, TransferStatus::TooManyErrors);
    ASSERT_EQ(errors.size(), 9u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(errors[static_cast<std::size_t>(i)], std::make_pair(TransferStatus::Timeout, i + 1));
    EXPECT_EQ(seen, (std::vector<std::uint8_t>{kCAN, kCAN}));
}

TEST_F(UploadTest, StreamingModeDoesNotWaitForAcknowledgements) {
    const auto data = pattern(2500);
    modem.files = {writeFile("g.dsp", data).string()};
    std::vector<std::uint8_t> received;
    const auto status = run([&] {
        peer.send('G');
        readFrame(peer);  // no acknowledgement in this mode
        peer.send('G');
        for (int i = 0; i < 3; ++i) {
            Frame f = readFrame(peer);
            EXPECT_TRUE(f.checkOk);
            received.insert(received.end(), f.data.begin(), f.data.end());
        }
        if (peer.readByte() == kEOT)
            peer.send(kACK);
        peer.send('G');
        readFrame(peer);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(received, padded(data, 3 * 1024));
}

TEST_F(UploadTest, CancelSendsCanAndEndsWithMinus3) {
    modem.files = {writeFile("x.dsp", pattern(5000)).string()};
    modem.onPacket = [this](int packet, std::int64_t) {
        if (packet == 2)
            modem.cancel();
    };
    std::vector<std::uint8_t> tail;
    const auto status = run([&] {
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
        peer.send('C');
        readFrame(peer);
        peer.send(kACK);
        readFrame(peer);
        peer.send(kACK);
        tail = peer.read(2);
    });
    EXPECT_EQ(status, TransferStatus::Cancelled);
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{kCAN, kCAN}));
}

} // namespace
} // namespace cs::test
