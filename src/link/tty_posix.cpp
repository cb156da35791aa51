#include "link/tty_posix.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <array>
#include <chrono>
#include <thread>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace cs::link::posix {

namespace {

struct StandardRate {
    int bits;
    speed_t constant;
};

constexpr std::array<StandardRate, 26> kStandardRates{{
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
}};

// A driver that cannot do a rate sets the nearest one it can; more than this apart counts as
// refused, as on systems whose drivers reject such rates outright.
constexpr int kRateTolerancePercent = 3;

void setModemLine(int fd, int line, bool on) {
    // Pseudo-terminals have no modem lines; the request fails there and that is fine.
    (void)::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

} // namespace

int openDevice(const std::string& path, UniqueFd& out) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return errno;
    if (!::isatty(fd.get()))
        return ENOTTY;
    // TIOCEXCL keeps other programs out, but not the superuser; the advisory lock also keeps out
    // a second editor run as root.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? EBUSY : errno;
    if (::ioctl(fd.get(), TIOCEXCL) != 0)
        return errno;
    out = std::move(fd);
    return 0;
}

void releaseDevice(int fd) {
    // A pseudo-terminal keeps its exclusive flag while its other side stays open, which would
    // lock out the next open by an ordinary user.
    (void)::ioctl(fd, TIOCNXCL);
    (void)::flock(fd, LOCK_UN);
}

int applyLineSettings(int fd, int rate, const LineSettings& s) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return errno;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);

    switch (s.dataBits) {
    case DataBits::Four: return EINVAL;
    case DataBits::Five: t.c_cflag |= CS5; break;
    case DataBits::Six: t.c_cflag |= CS6; break;
    case DataBits::Seven: t.c_cflag |= CS7; break;
    case DataBits::Eight: t.c_cflag |= CS8; break;
    }
    switch (s.stopBits) {
    case StopBits::One: break;
    case StopBits::OneAndHalf:
        // The UART gives 1.5 stop bits for "two" only with 5 data bits.
        if (s.dataBits != DataBits::Five)
            return EINVAL;
        t.c_cflag |= CSTOPB;
        break;
    case StopBits::Two: t.c_cflag |= CSTOPB; break;
    }
    switch (s.parity) {
    case Parity::None: break;
    case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: t.c_cflag |= PARENB; break;
    case Parity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    }
    if (s.parity != Parity::None)
        t.c_iflag |= INPCK;

    const FlowControl& f = s.flow;
    // Linux has no DSR flow control.
    if (f.dsrOutputFlow || f.dsrSensitivity || f.dtr == DtrControl::Handshake ||
        f.rts == RtsControl::Toggle)
        return EINVAL;
    if (f.ctsOutputFlow || f.rts == RtsControl::Handshake)
        t.c_cflag |= CRTSCTS;
    if (f.xonXoffOutput)
        t.c_iflag |= IXON;
    if (f.xonXoffInput)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = s.xonXoff.xon;
    t.c_cc[VSTOP] = s.xonXoff.xoff;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    if (rate <= 0)
        return EINVAL;
    bool custom = true;
    for (const auto& r : kStandardRates) {
        if (r.bits == rate) {
            ::cfsetispeed(&t, r.constant);
            ::cfsetospeed(&t, r.constant);
            custom = false;
            break;
        }
    }
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return errno;
    if (custom) {
        if (int err = setRateAnyBits(fd, static_cast<unsigned>(rate)))
            return err;
    }
    unsigned actual = 0;
    if (readRateBits(fd, actual) == 0 && actual != 0) {
        const long diff = std::labs(static_cast<long>(actual) - rate);
        if (diff * 100 > static_cast<long>(rate) * kRateTolerancePercent)
            return EINVAL;
    }

    setModemLine(fd, TIOCM_DTR, f.dtr == DtrControl::Enabled);
    setModemLine(fd, TIOCM_RTS, f.rts == RtsControl::Enabled ||
                                    f.rts == RtsControl::Handshake);
    return 0;
}

int bytesWaiting(int fd, int& count) {
    count = 0;
    if (::ioctl(fd, FIONREAD, &count) != 0) {
        count = 0;
        return errno;
    }
    return 0;
}

int purge(int fd, bool input, bool output) {
    if (!input && !output)
        return 0;
    const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return ::tcflush(fd, which) == 0 ? 0 : errno;
}

bool readErrorCounters(int fd, ErrorCounters& out) {
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) != 0)
        return false;
    out.frame = ic.frame;
    out.overrun = ic.overrun;
    out.parity = ic.parity;
    out.brk = ic.brk;
    out.bufOverrun = ic.buf_overrun;
    return true;
}

int requestLowLatency(int fd) {
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) != 0)
        return -1;
    if (ss.flags & ASYNC_LOW_LATENCY)
        return -1;  // already so: nothing to restore
    const int previous = ss.flags;
    ss.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &ss) != 0)
        return -1;
    return previous;
}

void restoreSerialFlags(int fd, int flags) {
    serial_struct ss{};
    if (flags < 0 || ::ioctl(fd, TIOCGSERIAL, &ss) != 0)
        return;
    ss.flags = flags;
    (void)::ioctl(fd, TIOCSSERIAL, &ss);
}

void waitUntilSent(int fd, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string errorText(int err) { return std::error_code(err, std::generic_category()).message(); }

} // namespace cs::link::posix
