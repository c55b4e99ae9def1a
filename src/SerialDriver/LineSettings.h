#pragma once
// Line settings to termios and modem lines, kept pure so that every combination can be checked
// without a port (a pseudo-terminal forces 8N1 and has no modem lines).
#include "SerialDriver/ComPortTypes.h"

#include <string>
#include <termios.h>

// The kernel's "other speed" marker in c_cflag: the rate is in c_ispeed / c_ospeed.
inline constexpr tcflag_t kCustomSpeed = 0010000;

// The B-constant for a rate, or 0 when the kernel has none (14400, 56000).
speed_t SpeedCode(TComPortBaudRate speed);

// Raw mode with CLOCAL | CREAD, VMIN = VTIME = 0, the speed (kCustomSpeed plus c_ispeed and
// c_ospeed for rates without a constant), data bits, parity (CMSPAR for mark and space), stop
// bits (1.5 is CSTOPB, which a UART turns into 1.5 at 5 data bits), CRTSCTS for hhRTSCTS, and
// IXON | IXOFF with DC1/DC3 for shXONXOFF.
termios BuildTermios(const TComPortLineSettings& settings);

// TIOCM_DTR / TIOCM_RTS bits to raise and to drop after programming the line.
struct TModemLineChange {
    int Set = 0;
    int Clear = 0;
};
TModemLineChange BuildModemLines(const TComPortLineSettings& settings);

// TIOCMGET bits to the modem input line set.
TComPortLineStatusSet LineStatusFromModemBits(int bits);

// "9600 8N1, DTR on, RTS off, no flow control" for the trace.
std::string DescribeLineSettings(const TComPortLineSettings& settings);

// tcsetattr, or TCSETS2 for a rate without a constant; 0 or -1 with errno.
int ApplyTermios(int fd, const termios& tio);
// The output rate of a port in bits per second (0 when it cannot be read).
std::uint32_t ReadPortSpeed(int fd);
