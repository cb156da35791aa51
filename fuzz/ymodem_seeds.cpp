// Starting inputs of the YModem receive target: whole batches as a sender sends them (block 0,
// data blocks of 128 and 1024 bytes, EOT, the closing empty block 0), and damaged ones (a wrong
// CRC, a repeated block, a cancel, a hostile name).
#include "fuzz_seeds.h"

#include "common/crc16.h"
#include "link/ymodem.h"

#include <string>

namespace cs::fuzzseeds {
namespace {

using namespace cs::link::ymodem;

void block(std::vector<std::uint8_t>& out, std::uint8_t number, std::span<const std::uint8_t> data, bool badCrc = false) {
    const bool longBlock = data.size() > kShortBlock;
    std::vector<std::uint8_t> body(longBlock ? kLongBlock : kShortBlock, 0x1A);
    std::copy(data.begin(), data.end(), body.begin());
    out.push_back(longBlock ? STX : SOH);
    out.push_back(number);
    out.push_back(static_cast<std::uint8_t>(0xFF - number));
    out.insert(out.end(), body.begin(), body.end());
    const std::uint16_t crc = static_cast<std::uint16_t>(crc16(body) ^ (badCrc ? 1 : 0));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.push_back(static_cast<std::uint8_t>(crc));
}

void headerBlock(std::vector<std::uint8_t>& out, std::string_view name, std::int64_t size) {
    const auto b = buildHeaderBlock(name, size);
    block(out, 0, b);
}

void endOfBatch(std::vector<std::uint8_t>& out) {
    const std::array<std::uint8_t, kShortBlock> empty{};
    block(out, 0, empty);
}

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return v;
}

} // namespace

bool ymodemSeeds(std::string_view target, Seeds& seeds) {
    if (target != "ymodem_receive_fuzz")
        return false;
    // First byte: bit 0 YModem-G, the rest the error limit.
    const auto data = pattern(300);
    {
        std::vector<std::uint8_t> s = {0x08};
        headerBlock(s, "settings.dsp", 300);
        block(s, 1, std::span(data).first(128));
        block(s, 2, std::span(data).subspan(128, 128));
        block(s, 3, std::span(data).subspan(256));
        s.push_back(EOT);
        endOfBatch(s);
        seeds.input("short-blocks", s);
    }
    {
        std::vector<std::uint8_t> s = {0x09};  // streaming: no answers expected
        const auto big = pattern(1500);
        headerBlock(s, "channels.dsp", 1500);
        block(s, 1, std::span(big).first(1024));
        block(s, 2, std::span(big).subspan(1024));
        s.push_back(EOT);
        endOfBatch(s);
        seeds.input("long-blocks-streaming", s);
    }
    {
        std::vector<std::uint8_t> s = {0x14};
        headerBlock(s, "a.dsp", 0);  // no size given
        block(s, 1, std::span(data).first(100), /*badCrc=*/true);
        block(s, 1, std::span(data).first(100));
        block(s, 1, std::span(data).first(100));  // repeated
        s.push_back(EOT);
        s.push_back(EOT);
        endOfBatch(s);
        seeds.input("bad-crc-and-repeat", s);
    }
    {
        std::vector<std::uint8_t> s = {0x08};
        headerBlock(s, "../../escape.dsp", 10);
        block(s, 1, std::span(data).first(10));
        s.push_back(EOT);
        headerBlock(s, "second.dsp", 5);
        s.push_back(CAN);
        s.push_back(CAN);
        seeds.input("hostile-name-then-cancel", s);
    }
    seeds.word(std::vector<std::uint8_t>{SOH, 0x00, 0xFF});
    seeds.word(std::vector<std::uint8_t>{SOH, 0x01, 0xFE});
    seeds.word(std::vector<std::uint8_t>{STX, 0x01, 0xFE});
    seeds.word(std::vector<std::uint8_t>{EOT});
    seeds.word(std::vector<std::uint8_t>{CAN, CAN});
    seeds.word(std::vector<std::uint8_t>{0x1A, 0x1A, 0x1A, 0x1A});
    seeds.word(".dsp");
    return true;
}

} // namespace cs::fuzzseeds
