// The YModem engine receiving files from a scripted sender on a pseudo-terminal.
#include "engine_fixture.h"

#include <fstream>
#include <iterator>

namespace cs::test {
namespace {

using namespace cs::link;
constexpr std::uint8_t kEOT = 0x04, kACK = 0x06, kNAK = 0x15, kCAN = 0x18;

std::vector<std::uint8_t> slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DownloadTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        modem.direction = TransferDirection::Download;
        modem.targetFolder = folder.string();
    }

    // Sends one file the way a YModem sender does, checking the engine's answers.
    void sendFile(std::string_view name, std::string_view sizeField, const std::vector<std::uint8_t>& data,
                  std::size_t blockSize = 1024) {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData(name, sizeField), 128));
        EXPECT_EQ(peer.readByte(), kACK);
        EXPECT_EQ(peer.readByte(), 'C');
        int number = 1;
        for (std::size_t at = 0; at < data.size(); at += blockSize, ++number) {
            const std::span<const std::uint8_t> part(data.data() + at, std::min(blockSize, data.size() - at));
            peer.send(makeBlock(number, part, blockSize));
            EXPECT_EQ(peer.readByte(), kACK) << "block " << number;
        }
        peer.send(kEOT);
        EXPECT_EQ(peer.readByte(), kACK);
    }
    void endBatch() {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, {}, 128));
        EXPECT_EQ(peer.readByte(), kACK);
    }
};

TEST_F(DownloadTest, AnnouncedSizeDropsThePaddingOfTheLastBlock) {
    const auto data = pattern(1500);
    const auto status = run([&] {
        sendFile("list.dsp", "1500", data);
        endBatch();
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(slurp(folder / "list.dsp"), data);
    EXPECT_EQ(packets, (std::vector<std::pair<int, std::int64_t>>{{1, 1024}, {2, 1500}}));
    ASSERT_EQ(fileInfos.size(), 1u);
    EXPECT_EQ(fileInfos[0].second, 1500);
    EXPECT_EQ(modem.files, std::vector<std::string>{(folder / "list.dsp").string()});
}

TEST_F(DownloadTest, BatchOfTwoFilesInMixedBlockSizes) {
    const auto a = pattern(700, 1), b = pattern(0, 2);
    const auto status = run([&] {
        sendFile("a.dsp", "700", a, 128);
        sendFile("b.dsp", "0", b);
        endBatch();
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(slurp(folder / "a.dsp"), a);
    EXPECT_TRUE(std::filesystem::exists(folder / "b.dsp"));
    EXPECT_EQ(std::filesystem::file_size(folder / "b.dsp"), 0u);
    EXPECT_EQ(modem.files.size(), 2u);
}

TEST_F(DownloadTest, ExistingFilesAreKeptAndTheNextFreeNameIsUsed) {
    struct Case {
        std::vector<std::string> existing;
        std::string written;
    };
    const Case cases[] = {
        {{"list.dsp"}, "list-1.dsp"},
        {{"list.dsp", "list-1.dsp"}, "list-2.dsp"},
    };
    for (const auto& c : cases) {
        endStatus.reset();
        fileInfos.clear();
        for (const auto& name : c.existing)
            writeFile(name, {'o', 'l', 'd'});
        const auto data = pattern(200);
        const auto status = run([&] {
            sendFile("list.dsp", "200", data);
            endBatch();
        });
        EXPECT_EQ(status, TransferStatus::Ok);
        for (const auto& name : c.existing)
            EXPECT_EQ(slurp(folder / name), (std::vector<std::uint8_t>{'o', 'l', 'd'})) << name;
        EXPECT_EQ(slurp(folder / c.written), data);
        ASSERT_EQ(fileInfos.size(), 1u);
        EXPECT_EQ(fileInfos[0].first, (folder / c.written).string());
        // files lists the announced name, onFileInfo the one written
        EXPECT_EQ(modem.files, std::vector<std::string>{(folder / "list.dsp").string()});
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
}

TEST_F(DownloadTest, BadCrcIsNakedAndTheTenthErrorEndsTheTransfer) {
    std::vector<int> answers;
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("x.dsp", "100"), 128));
        peer.readByte();
        peer.readByte();
        auto bad = makeBlock(1, pattern(100), 1024);
        bad.back() ^= 0x01;
        for (int i = 0; i < 10; ++i) {
            peer.send(bad);
            answers.push_back(peer.readByte());
        }
        answers.push_back(peer.readByte());
    });
    EXPECT_EQ(status, TransferStatus::TooManyErrors);
    EXPECT_EQ(answers, (std::vector<int>{kNAK, kNAK, kNAK, kNAK, kNAK, kNAK, kNAK, kNAK, kNAK, kCAN, kCAN}));
    ASSERT_EQ(errors.size(), 9u);
    EXPECT_EQ(errors.front(), std::make_pair(TransferStatus::BadCheck, 1));
    EXPECT_EQ(errors.back(), std::make_pair(TransferStatus::BadCheck, 9));
}

TEST_F(DownloadTest, OnlyABlockOutOfSequenceEndsTheTransfer) {
    std::vector<std::uint8_t> tail;
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("x.dsp", "5000"), 128));
        peer.read(2);
        peer.send(makeBlock(1, pattern(1024), 1024));
        EXPECT_EQ(peer.readByte(), kACK);
        peer.send(makeBlock(3, pattern(10), 1024));
        tail = peer.read(2);
    });
    EXPECT_EQ(status, TransferStatus::ProtocolError);
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{kCAN, kCAN}));
}

// What a damaged line does where block 2 belongs; each is survived and the file arrives whole.
TEST_F(DownloadTest, DamageWhereABlockBelongsIsSurvived) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> damaged;  // sent where block 2 belongs
        std::uint8_t answer;                // the engine's answer to it
        std::vector<std::pair<TransferStatus, int>> errors;
    };
    const auto data = pattern(2048);
    const auto block1 = makeBlock(1, std::span(data).first(1024), 1024);
    const auto block2 = makeBlock(2, std::span(data).subspan(1024), 1024);
    auto badComplement = block2;
    badComplement[2] ^= 0x10;
    auto noHeader = block2;
    noHeader.erase(noHeader.begin());
    const Case cases[] = {
        // our ACK of block 1 was lost: the sender repeats it
        {"repeated block", block1, kACK, {}},
        // the number is damaged, so its complement disagrees: a damaged block, not a wrong one
        {"number and complement disagree", badComplement, kNAK, {{TransferStatus::BadCheck, 1}}},
        // a byte where a header belongs, 0x00 included: noise, the rest of the block is dropped
        {"0x00 where the header belongs", {0x00}, kNAK, {{TransferStatus::BadByte, 1}}},
        // its number 2 reads as an STX header, so the block comes up short: the wait for its end
        // times out
        {"block without its header", noHeader, kNAK, {{TransferStatus::Timeout, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        endStatus.reset();
        errors.clear();
        int answer = -1;
        const auto status = run([&] {
            EXPECT_EQ(peer.readByte(), 'C');
            peer.send(makeBlock(0, headerData("x.dsp", "2048"), 128));
            peer.read(2);
            peer.send(block1);
            EXPECT_EQ(peer.readByte(), kACK);
            peer.send(c.damaged);
            answer = peer.readByte();
            peer.send(block2);
            EXPECT_EQ(peer.readByte(), kACK);
            peer.send(kEOT);
            EXPECT_EQ(peer.readByte(), kACK);
            EXPECT_EQ(peer.readByte(), 'C');
            peer.send(makeBlock(0, {}, 128));
            EXPECT_EQ(peer.readByte(), kACK);
        });
        EXPECT_EQ(status, TransferStatus::Ok);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(slurp(folder / "x.dsp"), data);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
}

TEST_F(DownloadTest, RepeatedHeaderIsAcknowledgedAndTheDataAskedForAgain) {
    // Our ACK of block 0 was lost: the sender sends block 0 again and then waits for "C".
    const auto data = pattern(100);
    std::vector<std::uint8_t> answers;
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        const auto header = makeBlock(0, headerData("x.dsp", "100"), 128);
        peer.send(header);
        peer.read(2);
        peer.send(header);
        answers = peer.read(2);
        peer.send(makeBlock(1, data, 128));
        EXPECT_EQ(peer.readByte(), kACK);
        peer.send(kEOT);
        EXPECT_EQ(peer.readByte(), kACK);
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, {}, 128));
        EXPECT_EQ(peer.readByte(), kACK);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(answers, (std::vector<std::uint8_t>{kACK, 'C'}));
    EXPECT_EQ(slurp(folder / "x.dsp"), data);
}

TEST_F(DownloadTest, SenderCancelEndsWithMinus4) {
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(std::vector<std::uint8_t>{kCAN, kCAN});
        peer.drain(200ms);
    });
    EXPECT_EQ(status, TransferStatus::RemoteCancelled);
}

TEST_F(DownloadTest, CancelWhileReceivingSendsCan) {
    modem.onPacket = [this](int, std::int64_t) { modem.cancel(); };
    std::vector<std::uint8_t> tail;
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("x.dsp", "5000"), 128));
        peer.read(2);
        peer.send(makeBlock(1, pattern(1024), 1024));
        tail = peer.read(3);
    });
    EXPECT_EQ(status, TransferStatus::Cancelled);
    // the block is acknowledged (it was written), then the transfer is cancelled
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{kACK, kCAN, kCAN}));
}

TEST_F(DownloadTest, UnansweredStartRequestsEndAfterMaxErrors) {
    modem.startRequestWaitMs = 20;
    std::vector<std::uint8_t> seen;
    const auto status = run([&] { seen = peer.read(12); });
    EXPECT_EQ(status, TransferStatus::TooManyErrors);
    std::vector<std::uint8_t> expected(10, 'C');
    expected.push_back(kCAN);
    expected.push_back(kCAN);
    EXPECT_EQ(seen, expected);
}

TEST_F(DownloadTest, AnnouncedNamesNeverLeaveTheTargetFolder) {
    struct Case {
        std::string announced;
        std::string written;  // empty: refused
    };
    const Case cases[] = {
        {"../../escape.dsp", "escape.dsp"},
        {"/etc/passwd", "passwd"},
        {"C:\\receiver\\base.dsp", "base.dsp"},
        {"..", ""},
        {".", ""},
        {"dir/", ""},
        {std::string("a\x01") + "b.dsp", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.announced);
        endStatus.reset();
        std::vector<std::uint8_t> answer;
        const auto data = pattern(10);
        const auto status = run([&] {
            if (!c.written.empty()) {
                sendFile(c.announced, "10", data);
                endBatch();
            } else {
                EXPECT_EQ(peer.readByte(), 'C');
                peer.send(makeBlock(0, headerData(c.announced, "10"), 128));
                answer = peer.read(2);
            }
        });
        if (c.written.empty()) {
            EXPECT_EQ(status, TransferStatus::FileCreateFailed);
            EXPECT_EQ(answer, (std::vector<std::uint8_t>{kCAN, kCAN}));
            EXPECT_TRUE(std::filesystem::is_empty(folder));
        } else {
            EXPECT_EQ(status, TransferStatus::Ok);
            EXPECT_EQ(slurp(folder / c.written), data);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
        }
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
}

TEST_F(DownloadTest, HeaderWithoutTerminatorOrSizeIsBounded) {
    // 128 name bytes and no 0 byte: no size, so whole blocks are written.
    const std::string name(128, 'n');
    const auto data = pattern(1024);
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, std::vector<std::uint8_t>(name.begin(), name.end()), 128));
        EXPECT_EQ(peer.readByte(), kACK);
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(1, data, 1024));
        EXPECT_EQ(peer.readByte(), kACK);
        peer.send(kEOT);
        EXPECT_EQ(peer.readByte(), kACK);
        endBatch();
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    ASSERT_EQ(fileInfos.size(), 1u);
    EXPECT_EQ(fileInfos[0].second, 2147483647);
    EXPECT_EQ(slurp(folder / name), data);
}

TEST_F(DownloadTest, RepeatedEotWhereHeaderBelongsIsAnsweredNotTakenAsTheEnd) {
    const auto data = pattern(300);
    const auto status = run([&] {
        sendFile("a.dsp", "300", data);
        // the sender missed our ACK and repeats its EOT
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(kEOT);
        EXPECT_EQ(peer.readByte(), kACK);
        endBatch();
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_EQ(slurp(folder / "a.dsp"), data);
    EXPECT_EQ(errors, (std::vector<std::pair<TransferStatus, int>>{{TransferStatus::BadByte, 1}}));
}

TEST_F(DownloadTest, InputQueueOverflowEndsWithMinus14) {
    // While the worker waits for onFileInfo, the UI thread keeps feeding its queue.
    modem.onFileInfo = [this](const std::string&, std::int64_t) {
        peer.send(std::vector<std::uint8_t>(5000, 0x55));
        // until all of it has passed the port (the pseudo-terminal hands it over in parts)
        for (int i = 0; i < 10; ++i) {
            ui.runUntil([this] { return port.bytesAvailable() == 0; }, 2s);
            ui.pumpFor(20ms);
        }
    };
    std::vector<std::uint8_t> tail;
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("x.dsp", "100000"), 128));
        tail = peer.read(4);
    });
    EXPECT_EQ(status, TransferStatus::InputOverflow);
    // ACK of block 0, the request for data, then CAN CAN
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{kACK, 'C', kCAN, kCAN}));
}

TEST_F(DownloadTest, HangUpEndsTheTransfer) {
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'C');
        peer.send(makeBlock(0, headerData("x.dsp", "5000"), 128));
        peer.read(2);
        peer.send(makeBlock(1, pattern(1024), 1024));
        peer.readByte();
        peer.hangup();
    });
    EXPECT_EQ(status, TransferStatus::LinkFailure);
    EXPECT_FALSE(modem.isRunning());
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(DownloadTest, StreamingModeSendsGAndNoAcknowledgements) {
    modem.variant = YModemVariant::YModemG;
    const auto data = pattern(2000);
    std::vector<std::uint8_t> seen;
    const auto status = run([&] {
        EXPECT_EQ(peer.readByte(), 'G');
        peer.send(makeBlock(0, headerData("g.dsp", "2000"), 128));
        EXPECT_EQ(peer.readByte(), 'G');
        peer.send(makeBlock(1, std::span(data).first(1024), 1024));
        peer.send(makeBlock(2, std::span(data).subspan(1024), 1024));
        peer.send(kEOT);
        EXPECT_EQ(peer.readByte(), kACK);
        EXPECT_EQ(peer.readByte(), 'G');
        peer.send(makeBlock(0, {}, 128));
        seen = peer.drain(200ms);
    });
    EXPECT_EQ(status, TransferStatus::Ok);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(slurp(folder / "g.dsp"), data);
}

TEST_F(DownloadTest, DestroyingARunningEngineStopsItWithoutAnEndEvent) {
    std::optional<YModemTransfer> engine;
    engine.emplace(ui);
    engine->direction = TransferDirection::Download;
    engine->targetFolder = folder.string();
    bool ended = false;
    engine->onTransferEnd = [&](TransferStatus) { ended = true; };
    modem.attachTo(nullptr);
    engine->attachTo(&port);
    engine->start();
    EXPECT_EQ(peer.readByte(), 'C');
    engine.reset();
    EXPECT_EQ(peer.read(2), (std::vector<std::uint8_t>{kCAN, kCAN}));
    ui.pumpFor(50ms);
    EXPECT_FALSE(ended);
    EXPECT_EQ(port.clientCount(), 0u);
}

} // namespace
} // namespace cs::test
