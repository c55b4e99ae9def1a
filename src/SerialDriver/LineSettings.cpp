#include "SerialDriver/LineSettings.h"

#include "SerialDriver/PortSpeed.h"

#include <algorithm>
#include <cstring>
#include <sys/ioctl.h>

speed_t SpeedCode(TComPortBaudRate speed) {
    switch (speed) {
    case br110:
        return B110;
    case br300:
        return B300;
    case br600:
        return B600;
    case br1200:
        return B1200;
    case br2400:
        return B2400;
    case br4800:
        return B4800;
    case br9600:
        return B9600;
    case br19200:
        return B19200;
    case br38400:
        return B38400;
    case br57600:
        return B57600;
    case br115200:
        return B115200;
    case br14400:
    case br56000:
        break;
    }
    return 0;
}

termios BuildTermios(const TComPortLineSettings& s) {
    termios t;
    std::memset(&t, 0, sizeof t);
    // Raw: no input mapping, no output processing, no echo, no signals, no canonical lines.
    t.c_cflag = CLOCAL | CREAD;
    switch (s.DataBits) {
    case db5BITS:
        t.c_cflag |= CS5;
        break;
    case db6BITS:
        t.c_cflag |= CS6;
        break;
    case db7BITS:
        t.c_cflag |= CS7;
        break;
    case db8BITS:
        t.c_cflag |= CS8;
        break;
    }
    switch (s.Parity) {
    case ptNONE:
        break;
    case ptODD:
        t.c_cflag |= PARENB | PARODD;
        break;
    case ptEVEN:
        t.c_cflag |= PARENB;
        break;
    case ptMARK:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case ptSPACE:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (s.StopBits != sb1BITS)
        t.c_cflag |= CSTOPB;
    if (s.HwHandshaking == hhRTSCTS)
        t.c_cflag |= CRTSCTS;
    if (s.SwHandshaking == shXONXOFF)
        t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (speed_t code = SpeedCode(s.Speed)) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
    } else {
        t.c_cflag |= kCustomSpeed;
        t.c_ispeed = BaudRateToValue(s.Speed);
        t.c_ospeed = BaudRateToValue(s.Speed);
    }
    return t;
}

TModemLineChange BuildModemLines(const TComPortLineSettings& s) {
    TModemLineChange change;
    (s.EnableDTROnOpen ? change.Set : change.Clear) |= TIOCM_DTR;
    // With RTS/CTS the kernel drives RTS itself; it starts raised.
    (s.HwHandshaking == hhNONE ? change.Clear : change.Set) |= TIOCM_RTS;
    return change;
}

TComPortLineStatusSet LineStatusFromModemBits(int bits) {
    TComPortLineStatusSet set;
    if (bits & TIOCM_CTS)
        set.Include(mlCTS);
    if (bits & TIOCM_DSR)
        set.Include(mlDSR);
    if (bits & TIOCM_RNG)
        set.Include(mlRING);
    if (bits & TIOCM_CAR)
        set.Include(mlRLSD);
    return set;
}

std::string DescribeLineSettings(const TComPortLineSettings& s) {
    static const char parity[] = "NOEMS";
    static const char* const stops[] = {"1", "1.5", "2"};
    static const char* const flow[] = {"RTS off", "RTS on", "RTS/CTS"};
    std::string text = std::to_string(BaudRateToValue(s.Speed)) + " ";
    text += static_cast<char>('5' + s.DataBits);
    text += parity[s.Parity % 5];
    text += stops[s.StopBits % 3];
    text += std::string(", DTR ") + (s.EnableDTROnOpen ? "on" : "off");
    text += std::string(", ") + flow[s.HwHandshaking % 3];
    text += s.SwHandshaking == shXONXOFF ? ", XON/XOFF" : ", no XON/XOFF";
    return text;
}

int ApplyTermios(int fd, const termios& tio) {
    if ((tio.c_cflag & CBAUD) != kCustomSpeed)
        return tcsetattr(fd, TCSANOW, &tio);
    TTermios2Fields f;
    f.iflag = tio.c_iflag;
    f.oflag = tio.c_oflag;
    f.cflag = tio.c_cflag;
    f.lflag = tio.c_lflag;
    std::memcpy(f.cc, tio.c_cc, std::min(sizeof f.cc, sizeof tio.c_cc));
    f.speed = tio.c_ospeed;
    return SetTermios2(fd, f);
}

std::uint32_t ReadPortSpeed(int fd) {
    return GetOutputSpeed(fd);
}
