#include "SerialDriver/LineSettings.h"
#include "Platform/OsVersion.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/utsname.h>

TEST(LineTermios, RawEightNoneOneAtTheDefaults) {
    const termios t = BuildTermios(TComPortLineSettings{});
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    // Raw: no CR/LF mapping either way, no echo, no signals, no line editing.
    EXPECT_EQ(t.c_iflag, 0u);
    EXPECT_EQ(t.c_oflag, 0u);
    EXPECT_EQ(t.c_lflag, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
}

TEST(LineTermios, EveryDataBitsParityStopBitsAndHandshaking) {
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    for (int d = db5BITS; d <= db8BITS; ++d) {
        TComPortLineSettings s;
        s.DataBits = static_cast<TComPortDataBits>(d);
        EXPECT_EQ(BuildTermios(s).c_cflag & CSIZE, sizes[d]) << d;
    }
    const tcflag_t parity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                               PARENB | CMSPAR};
    for (int p = ptNONE; p <= ptSPACE; ++p) {
        TComPortLineSettings s;
        s.Parity = static_cast<TComPortParity>(p);
        const termios t = BuildTermios(s);
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), parity[p]) << p;
        EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | ISTRIP), 0u) << "parity is not checked";
    }
    const tcflag_t stops[] = {0, CSTOPB, CSTOPB};
    for (int b = sb1BITS; b <= sb2BITS; ++b) {
        TComPortLineSettings s;
        s.StopBits = static_cast<TComPortStopBits>(b);
        EXPECT_EQ(BuildTermios(s).c_cflag & CSTOPB, stops[b]) << b;
    }
    for (int h = hhNONE; h <= hhRTSCTS; ++h) {
        TComPortLineSettings s;
        s.HwHandshaking = static_cast<TComPortHwHandshaking>(h);
        EXPECT_EQ((BuildTermios(s).c_cflag & CRTSCTS) != 0, h == hhRTSCTS) << h;
    }
    TComPortLineSettings sw;
    sw.SwHandshaking = shXONXOFF;
    const termios x = BuildTermios(sw);
    EXPECT_EQ(x.c_iflag & (IXON | IXOFF | IXANY), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(x.c_cc[VSTART], 0x11);
    EXPECT_EQ(x.c_cc[VSTOP], 0x13);
    EXPECT_EQ(x.c_lflag, 0u);
}

TEST(LineTermios, EverySpeedIncludingRatesWithoutAConstant) {
    const speed_t codes[] = {B110, B300,   B600,   B1200, B2400,  B4800,  B9600,
                             0,    B19200, B38400, 0,     B57600, B115200};
    for (int b = br110; b <= br115200; ++b) {
        const auto speed = static_cast<TComPortBaudRate>(b);
        const termios t = BuildTermios(TComPortLineSettings{speed});
        if (codes[b] != 0) {
            EXPECT_EQ(cfgetospeed(&t), codes[b]) << b;
        } else {
            EXPECT_EQ(t.c_cflag & CBAUD, kCustomSpeed) << b;
            EXPECT_EQ(t.c_ospeed, BaudRateToValue(speed)) << b;
            EXPECT_EQ(t.c_ispeed, BaudRateToValue(speed)) << b;
        }
    }
}

TEST(LineTermios, ModemLinesFollowDtrAndHandshaking) {
    TComPortLineSettings s;
    s.HwHandshaking = hhNONE;
    TModemLineChange c = BuildModemLines(s);
    EXPECT_EQ(c.Set, TIOCM_DTR);
    EXPECT_EQ(c.Clear, TIOCM_RTS);
    s.HwHandshaking = hhNONERTSON;
    s.EnableDTROnOpen = false;
    c = BuildModemLines(s);
    EXPECT_EQ(c.Set, TIOCM_RTS);
    EXPECT_EQ(c.Clear, TIOCM_DTR);
    s.HwHandshaking = hhRTSCTS;
    c = BuildModemLines(s);
    EXPECT_EQ(c.Set, TIOCM_RTS);

    EXPECT_TRUE(LineStatusFromModemBits(TIOCM_DTR | TIOCM_RTS).Empty());
    const TComPortLineStatusSet all =
        LineStatusFromModemBits(TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CAR);
    EXPECT_EQ(all.Bits(), 0x0F);
    const TComPortLineStatusSet some = LineStatusFromModemBits(TIOCM_DSR | TIOCM_CAR);
    EXPECT_EQ(some.Bits(), 0x0A);
    EXPECT_TRUE(some.Contains(mlRLSD));
    EXPECT_FALSE(some.Contains(mlCTS));
}

TEST(LineTermios, TraceDescription) {
    TComPortLineSettings s{br19200, db7BITS, sb2BITS, ptEVEN, hhRTSCTS, shXONXOFF, false};
    EXPECT_EQ(DescribeLineSettings(s), "19200 7E2, DTR off, RTS/CTS, XON/XOFF");
    EXPECT_EQ(DescribeLineSettings(TComPortLineSettings{}),
              "9600 8N1, DTR on, RTS on, no XON/XOFF");
}

TEST(SerialUnitFunctions, RatesAndPacketTimes) {
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                   14400, 19200, 38400, 56000, 57600, 115200};
    for (int b = br110; b <= br115200; ++b)
        EXPECT_EQ(BaudRateToValue(static_cast<TComPortBaudRate>(b)), rates[b]);
    EXPECT_EQ(PacketTransferTime(br9600, 64), 67u);
    EXPECT_EQ(PacketTransferTime(br9600, 10), 10u);
    EXPECT_EQ(PacketTransferTime(br110, 1), 91u);
    EXPECT_EQ(PacketTransferTime(br115200, 2048), 178u);
    // Halves go to the even neighbour: 12.5 -> 12, 2.5 -> 2, 37.5 -> 38.
    EXPECT_EQ(PacketTransferTime(br9600, 12), 12u);
    EXPECT_EQ(PacketTransferTime(br56000, 14), 2u);
    EXPECT_EQ(PacketTransferTime(br9600, 36), 38u);
    EXPECT_EQ(PacketTransferTime(br9600, 0), 0u);
}

TEST(SerialUnitFunctions, XonXoffLimitsAndTheVersionQuery) {
    EXPECT_EQ(XonXoffLimit(2048, "WNT", 0x00040000), 512);
    EXPECT_EQ(XonXoffLimit(20000, "WNT", 0x00040000), 4096);
    EXPECT_EQ(XonXoffLimit(20000, "WNT", 0x00030033), 5000);
    EXPECT_EQ(XonXoffLimit(20000, "W95", 0x00040000), 5000);
    EXPECT_EQ(XonXoffLimit(7, "WNT", 0x00060001), 1);

    std::uint32_t major = 0, minor = 0;
    EXPECT_TRUE(ParseKernelRelease("6.1.0-18-amd64", major, minor));
    EXPECT_EQ(major, 6u);
    EXPECT_EQ(minor, 1u);
    EXPECT_TRUE(ParseKernelRelease("70000.12", major, minor));
    EXPECT_EQ(major, 70000u);
    EXPECT_FALSE(ParseKernelRelease("6", major, minor));
    EXPECT_FALSE(ParseKernelRelease("v6.1", major, minor));
    EXPECT_FALSE(ParseKernelRelease("6.x", major, minor));
    EXPECT_FALSE(ParseKernelRelease(nullptr, major, minor));

    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    ASSERT_TRUE(ParseKernelRelease(u.release, major, minor));
    EXPECT_EQ(GetPlatformTag(), "WNT");
    EXPECT_EQ(GetOSVersion(), ((major & 0xFFFF) << 16) | (minor & 0xFFFF));
    // On this platform the cap applies from kernel 4 on.
    EXPECT_EQ(XonXoffLimit(20000, GetPlatformTag(), GetOSVersion()), major >= 4 ? 4096 : 5000);
}
