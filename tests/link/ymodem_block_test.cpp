// Block 0 of a YModem batch: building, parsing and the file name rules of the receiving side.
#include "link/ymodem.h"

#include <gtest/gtest.h>

#include <fstream>
#include <utility>

namespace cs::test {
namespace {

using namespace cs::link::ymodem;

std::vector<std::uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }

// The CLI prints a failed transfer's status as a number ("transfer failed: exit code -9"), so the
// numbers are part of its contract.
TEST(TransferStatusNumbers, StayTheOnesTheCommandLinePrints) {
    using cs::link::TransferStatus;
    const std::pair<TransferStatus, int> table[] = {
        {TransferStatus::Ok, 0},
        {TransferStatus::Timeout, -1},
        {TransferStatus::LinkFailure, -2},
        {TransferStatus::Cancelled, -3},
        {TransferStatus::RemoteCancelled, -4},
        {TransferStatus::ProtocolError, -5},
        {TransferStatus::FileReadFailed, -7},
        {TransferStatus::FileWriteFailed, -8},
        {TransferStatus::TooManyErrors, -9},
        {TransferStatus::NoAnswer, -10},
        {TransferStatus::FileCreateFailed, -11},
        {TransferStatus::FileOpenFailed, -12},
        {TransferStatus::InputOverflow, -14},
        {TransferStatus::BadCheck, -15},
        {TransferStatus::BadByte, -16},
    };
    for (const auto& [status, number] : table)
        EXPECT_EQ(cs::link::statusCode(status), number);
}

TEST(YModemHeader, BuildsNameZeroSizeAndZeroPadding) {
    const auto b = buildHeaderBlock("list.dsp", 590912);
    std::vector<std::uint8_t> expected = bytes("list.dsp");
    expected.push_back(0);
    for (char c : std::string("590912"))
        expected.push_back(static_cast<std::uint8_t>(c));
    expected.resize(128, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.end()), expected);
}

TEST(YModemHeader, OverlongNameIsShortenedKeepingItsExtensionAndSize) {
    const std::string name = std::string(200, 'x') + ".dsp";
    const auto b = buildHeaderBlock(name, 3145728);
    const auto parsed = parseHeaderBlock(b);
    EXPECT_EQ(parsed.size, 3145728);
    EXPECT_LT(parsed.name.size(), 128u);
    EXPECT_EQ(parsed.name.substr(parsed.name.size() - 4), ".dsp");
    EXPECT_EQ(b.back(), 0);  // still terminated
}

TEST(YModemHeader, ParsesNameAndLeadingDigitsOnly) {
    struct Case {
        std::string block;  // may contain embedded zeros
        bool end;
        std::string name;
        std::int64_t size;
    };
    const Case cases[] = {
        {std::string("list.dsp\0" "1500", 13), false, "list.dsp", 1500},
        // what lrzsz sends: size, modification time and mode
        {std::string("a.bin\0" "700 14706625461 100644 0 1 700", 36), false, "a.bin", 700},
        {std::string("a.bin\0", 6), false, "a.bin", kUnknownSize},
        {std::string("a.bin\0" "x12", 9), false, "a.bin", kUnknownSize},
        {std::string("a.bin\0" "99999999999999999999999999", 32), false, "a.bin", kUnknownSize},
        {std::string("a.bin\0" "2147483648", 16), false, "a.bin", kUnknownSize},
        {std::string("a.bin\0" "2147483647", 16), false, "a.bin", 2147483647},
        {std::string(128, 'n'), false, std::string(128, 'n'), kUnknownSize},
        // lrzsz's closing block: first byte 0, something at its end
        {std::string(126, '\0') + "\x01\x02", true, "", kUnknownSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> data(c.block.begin(), c.block.end());
        data.resize(128, 0);
        const auto h = parseHeaderBlock(data);
        EXPECT_EQ(h.endOfBatch, c.end);
        EXPECT_EQ(h.name, c.name);
        EXPECT_EQ(h.size, c.size);
    }
}

TEST(YModemHeader, SafeFileNameKeepsOnlyAPlainName) {
    struct Case {
        std::string announced;
        std::optional<std::string> safe;
    };
    const Case cases[] = {
        {"list.dsp", "list.dsp"},
        {"dir/sub/list.dsp", "list.dsp"},
        {"..\\..\\windows\\list.dsp", "list.dsp"},
        {"/abs/olute", "olute"},
        {"ünïcødé.dsp", "ünïcødé.dsp"},
        {"", std::nullopt},
        {".", std::nullopt},
        {"..", std::nullopt},
        {"a/..", std::nullopt},
        {"dir/", std::nullopt},
        {"tab\there", std::nullopt},
        {"del\x7f", std::nullopt},
        {"new\nline", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.announced);
        EXPECT_EQ(safeFileName(c.announced), c.safe);
    }
}

TEST(YModemHeader, UniqueNameCountsUpBeforeTheExtension) {
    const auto dir = std::filesystem::temp_directory_path() / ("cs-link-unique-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    EXPECT_EQ(uniqueFileName(dir / "list.dsp"), dir / "list.dsp");
    std::ofstream(dir / "list.dsp") << "x";
    EXPECT_EQ(uniqueFileName(dir / "list.dsp"), dir / "list-1.dsp");
    std::ofstream(dir / "list-1.dsp") << "x";
    EXPECT_EQ(uniqueFileName(dir / "list.dsp"), dir / "list-2.dsp");
    std::ofstream(dir / "archive.tar.gz") << "x";
    EXPECT_EQ(uniqueFileName(dir / "archive.tar.gz"), dir / "archive.tar-1.gz");
    std::ofstream(dir / "noext") << "x";
    EXPECT_EQ(uniqueFileName(dir / "noext"), dir / "noext-1");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace cs::test
