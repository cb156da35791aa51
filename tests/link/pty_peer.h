#pragma once
// The far end of a pseudo-terminal pair, driven by a test: what the engine writes to the slave
// device is read here, what the test sends arrives at the engine. A second descriptor keeps the
// slave open, so the engine's port may close and reopen it without hanging up the pair.
#include "link/unique_fd.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cs::test {

using namespace std::chrono_literals;

class PtyPeer {
public:
    PtyPeer();
    const std::string& path() const { return path_; }

    void send(std::span<const std::uint8_t> bytes);
    void send(std::string_view text);
    void send(std::uint8_t byte) { send(std::span<const std::uint8_t>(&byte, 1)); }
    // Up to n bytes, waiting at most `timeout` for all of them.
    std::vector<std::uint8_t> read(std::size_t n, std::chrono::milliseconds timeout = 5s);
    // One byte, or -1 when none came within `timeout`.
    int readByte(std::chrono::milliseconds timeout = 5s);
    // Everything that arrives until the line has been quiet for `quiet`.
    std::vector<std::uint8_t> drain(std::chrono::milliseconds quiet = 100ms);
    // Closes the master: the engine's side sees the device hang up.
    void hangup();
    int slaveFd() const { return slave_.get(); }

private:
    cs::link::UniqueFd master_;
    cs::link::UniqueFd slave_;
    std::string path_;
};

// Independent YModem pieces for scripted peers: a bitwise CRC-16/XMODEM and block framing.
std::uint16_t referenceCrc(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> makeBlock(int number, std::span<const std::uint8_t> data, std::size_t size,
                                    bool crc = true);
// Block 0 data as a sender would write it.
std::vector<std::uint8_t> headerData(std::string_view name, std::string_view sizeField);

struct Frame {
    std::uint8_t header = 0;  // SOH or STX, or the single byte read when it is neither
    int number = -1;
    int complement = -1;
    std::vector<std::uint8_t> data;
    bool checkOk = false;
};
// Reads one block (header, number, complement, data, check) sent by the engine.
Frame readFrame(PtyPeer& peer, bool crc = true, std::chrono::milliseconds timeout = 5s);

} // namespace cs::test
