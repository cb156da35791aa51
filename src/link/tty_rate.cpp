// Free line rates through termios2 and BOTHER; kept apart because <asm/termbits.h> clashes with
// the C library's <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace cs::link::posix {

int setRateAnyBits(int fd, unsigned rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return errno;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &tio) != 0)
        return errno;
    return 0;
}

int readRateBits(int fd, unsigned& rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return errno;
    rate = tio.c_ospeed;
    return 0;
}

} // namespace cs::link::posix
