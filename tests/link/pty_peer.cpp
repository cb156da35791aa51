#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <thread>

namespace cs::test {

PtyPeer::PtyPeer() {
    int master = -1, slave = -1;
    char name[128] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    master_.reset(master);
    slave_.reset(slave);
    path_ = name;
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
}

void PtyPeer::send(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && master_) {
        const ssize_t w = ::write(master_.get(), bytes.data() + done, bytes.size() - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
        } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{master_.get(), POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else {
            return;
        }
    }
}

void PtyPeer::send(std::string_view text) {
    send(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> PtyPeer::read(std::size_t n, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < n && master_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{master_.get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        std::uint8_t buf[4096];
        const ssize_t r = ::read(master_.get(), buf, std::min(sizeof buf, n - out.size()));
        if (r > 0)
            out.insert(out.end(), buf, buf + r);
        else if (r < 0 && errno == EIO)
            std::this_thread::sleep_for(5ms);  // no slave open right now
    }
    return out;
}

int PtyPeer::readByte(std::chrono::milliseconds timeout) {
    auto b = read(1, timeout);
    return b.empty() ? -1 : b[0];
}

std::vector<std::uint8_t> PtyPeer::drain(std::chrono::milliseconds quiet) {
    std::vector<std::uint8_t> out;
    for (;;) {
        auto chunk = read(4096, quiet);
        if (chunk.empty())
            return out;
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
}

void PtyPeer::hangup() { master_.reset(); }

std::uint16_t referenceCrc(std::span<const std::uint8_t> data) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : data) {
        crc ^= static_cast<std::uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

std::vector<std::uint8_t> makeBlock(int number, std::span<const std::uint8_t> data, std::size_t size, bool crc) {
    std::vector<std::uint8_t> body(size, 0);
    std::copy_n(data.begin(), std::min(size, data.size()), body.begin());
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(size == 128 ? 0x01 : 0x02),
                                  static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(255 - (number & 0xFF))};
    out.insert(out.end(), body.begin(), body.end());
    if (crc) {
        const auto c = referenceCrc(body);
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    } else {
        std::uint8_t sum = 0;
        for (auto b : body)
            sum = static_cast<std::uint8_t>(sum + b);
        out.push_back(sum);
    }
    return out;
}

std::vector<std::uint8_t> headerData(std::string_view name, std::string_view sizeField) {
    std::vector<std::uint8_t> d(name.begin(), name.end());
    d.push_back(0);
    d.insert(d.end(), sizeField.begin(), sizeField.end());
    return d;
}

Frame readFrame(PtyPeer& peer, bool crc, std::chrono::milliseconds timeout) {
    Frame f;
    const int h = peer.readByte(timeout);
    if (h < 0)
        return f;
    f.header = static_cast<std::uint8_t>(h);
    if (h != 0x01 && h != 0x02)
        return f;
    const std::size_t size = h == 0x01 ? 128 : 1024;
    auto rest = peer.read(2 + size + (crc ? 2 : 1), timeout);
    if (rest.size() != 2 + size + (crc ? 2 : 1))
        return f;
    f.number = rest[0];
    f.complement = rest[1];
    f.data.assign(rest.begin() + 2, rest.begin() + 2 + static_cast<std::ptrdiff_t>(size));
    if (crc) {
        const auto c = referenceCrc(f.data);
        f.checkOk = rest[2 + size] == (c >> 8) && rest[3 + size] == (c & 0xFF);
    } else {
        std::uint8_t sum = 0;
        for (auto b : f.data)
            sum = static_cast<std::uint8_t>(sum + b);
        f.checkOk = rest[2 + size] == sum;
    }
    return f;
}

} // namespace cs::test
