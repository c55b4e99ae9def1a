#include "SerialDriver/LineSettings.h"
#include "Rtl/OsVersion.h"
#include "SerialDriver/SerialDriver.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/utsname.h>

TEST(LineTermios, RawModeWithEveryFramingAndHandshaking) {
    const termios raw = BuildTermios(TComPortLineSettings{});
    // No CR/LF mapping either way, no echo, no signals, no line editing, reads never wait.
    EXPECT_EQ(raw.c_iflag | raw.c_oflag | raw.c_lflag, 0u);
    EXPECT_EQ(raw.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD | HUPCL),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(raw.c_cc[VMIN] + raw.c_cc[VTIME], 0);

    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    const tcflag_t parity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                               PARENB | CMSPAR};
    const tcflag_t stops[] = {0, CSTOPB, CSTOPB};
    for (int i = 0; i < 5; ++i) {
        TComPortLineSettings s;
        s.DataBits = static_cast<TComPortDataBits>(i % 4);
        s.Parity = static_cast<TComPortParity>(i);
        s.StopBits = static_cast<TComPortStopBits>(i % 3);
        s.HwHandshaking = static_cast<TComPortHwHandshaking>(i % 3);
        const termios t = BuildTermios(s);
        EXPECT_EQ(t.c_cflag & CSIZE, sizes[i % 4]) << i;
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), parity[i]) << i;
        EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | ISTRIP), 0u) << "parity is never checked";
        EXPECT_EQ(t.c_cflag & CSTOPB, stops[i % 3]) << i;
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, i % 3 == hhRTSCTS) << i;
    }
    TComPortLineSettings sw;
    sw.SwHandshaking = shXONXOFF;
    const termios x = BuildTermios(sw);
    EXPECT_EQ(x.c_iflag, static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(x.c_cc[VSTART], 0x11);
    EXPECT_EQ(x.c_cc[VSTOP], 0x13);
}

TEST(LineTermios, EverySpeedIncludingRatesWithoutAConstant) {
    const speed_t codes[] = {B110, B300,   B600,   B1200, B2400,  B4800,  B9600,
                             0,    B19200, B38400, 0,     B57600, B115200};
    for (int b = br110; b <= br115200; ++b) {
        const auto speed = static_cast<TComPortBaudRate>(b);
        const termios t = BuildTermios(TComPortLineSettings{speed});
        if (codes[b] != 0) {
            EXPECT_EQ(cfgetospeed(&t), codes[b]) << b;
            EXPECT_EQ(cfgetispeed(&t), codes[b]) << b;
        } else {
            EXPECT_EQ(t.c_cflag & CBAUD, kCustomSpeed) << b;
            EXPECT_EQ(t.c_ospeed, BaudRateToValue(speed)) << b;
            EXPECT_EQ(t.c_ispeed, BaudRateToValue(speed)) << b;
        }
    }
}

TEST(LineTermios, ModemLines) {
    TComPortLineSettings s;
    s.HwHandshaking = hhNONE; // the main window's setting: DTR on, RTS off
    EXPECT_EQ(BuildModemLines(s).Set, TIOCM_DTR);
    EXPECT_EQ(BuildModemLines(s).Clear, TIOCM_RTS);
    s.HwHandshaking = hhNONERTSON;
    s.EnableDTROnOpen = false;
    EXPECT_EQ(BuildModemLines(s).Set, TIOCM_RTS);
    EXPECT_EQ(BuildModemLines(s).Clear, TIOCM_DTR);
    EXPECT_EQ(LineStatusFromModemBits(TIOCM_DSR | TIOCM_CAR | TIOCM_DTR).Bits(), 0x0A);
    EXPECT_EQ(LineStatusFromModemBits(TIOCM_CTS | TIOCM_RNG).Bits(), 0x05);
}

TEST(SerialUnitFunctions, PacketTimes) {
    EXPECT_EQ(PacketTransferTime(br9600, 64), 67u);
    EXPECT_EQ(PacketTransferTime(br110, 1), 91u);
    EXPECT_EQ(PacketTransferTime(br115200, 2048), 178u);
    EXPECT_EQ(PacketTransferTime(br14400, 100), 69u);
    // Halves go to the even neighbour: 12.5 -> 12, 2.5 -> 2, 37.5 -> 38.
    EXPECT_EQ(PacketTransferTime(br9600, 12), 12u);
    EXPECT_EQ(PacketTransferTime(br56000, 14), 2u);
    EXPECT_EQ(PacketTransferTime(br9600, 36), 38u);
}

TEST(SerialUnitFunctions, XonXoffLimitsAndTheVersionQuery) {
    EXPECT_EQ(XonXoffLimit(2048, "WNT", 0x00040000), 512);
    EXPECT_EQ(XonXoffLimit(20000, "WNT", 0x00040000), 4096);
    EXPECT_EQ(XonXoffLimit(20000, "WNT", 0x00030033), 5000);
    EXPECT_EQ(XonXoffLimit(20000, "W95", 0x00040000), 5000);

    std::uint32_t major = 0, minor = 0;
    EXPECT_TRUE(ParseKernelRelease("6.1.0-18-amd64", major, minor));
    EXPECT_EQ(major * 100 + minor, 601u);
    EXPECT_FALSE(ParseKernelRelease("6", major, minor));
    EXPECT_FALSE(ParseKernelRelease("v6.1", major, minor));

    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    ASSERT_TRUE(ParseKernelRelease(u.release, major, minor));
    EXPECT_EQ(GetPlatformTag(), "WNT");
    EXPECT_EQ(GetOSVersion(), ((major & 0xFFFF) << 16) | (minor & 0xFFFF));
}
