// The kernel's termios2 calls, kept apart: <asm/termbits.h> cannot share a file with
// <termios.h>.
#include "SerialDriver/PortSpeed.h"

#include <asm/termbits.h>
#include <cstring>
#include <sys/ioctl.h>

int SetTermios2(int fd, const TTermios2Fields& f) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return -1;
    t.c_iflag = f.iflag;
    t.c_oflag = f.oflag;
    t.c_cflag = (f.cflag & ~CBAUD) | BOTHER;
    t.c_lflag = f.lflag;
    std::memcpy(t.c_cc, f.cc, sizeof t.c_cc < sizeof f.cc ? sizeof t.c_cc : sizeof f.cc);
    t.c_ispeed = f.speed;
    t.c_ospeed = f.speed;
    return ioctl(fd, TCSETS2, &t);
}

std::uint32_t GetOutputSpeed(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return t.c_ospeed;
}
