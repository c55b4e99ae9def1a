#include "SerialDriver/SerialDriver.h"
#include "Pty.h"
#include "SerialDriver/LineSettings.h"
#include "TempDir.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::string AllByteValues() {
    std::string s;
    for (int i = 0; i < 256; ++i)
        s.push_back(static_cast<char>(i));
    return s;
}

std::string Pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>('A' + i % 23);
    return s;
}

struct Received {
    std::vector<std::string> chunks;
    void Bind(TSerialDriver& d, bool packets) {
        auto handler = [this](TSerialDriver*, const std::uint8_t* p, std::uint32_t n) {
            chunks.emplace_back(reinterpret_cast<const char*>(p), n);
        };
        if (packets)
            d.SetOnReceivePacket(handler);
        else
            d.SetOnReceiveData(handler);
    }
};

} // namespace

TEST(SerialDriverProperties, DefaultsAndSetterRules) {
    TSerialDriver d;
    EXPECT_EQ(d.ComPort(), pnCOM2);
    EXPECT_EQ(d.ComPortSpeed(), br9600);
    EXPECT_EQ(d.ComPortDataBits(), db8BITS);
    EXPECT_EQ(d.ComPortStopBits(), sb1BITS);
    EXPECT_EQ(d.ComPortParity(), ptNONE);
    EXPECT_EQ(d.ComPortHwHandshaking(), hhNONERTSON);
    EXPECT_EQ(d.ComPortSwHandshaking(), shNONE);
    EXPECT_EQ(d.ComPortInBufSize(), 2048);
    EXPECT_EQ(d.ComPortOutBufSize(), 2048);
    EXPECT_EQ(d.PacketSize(), -1);
    EXPECT_EQ(d.PacketTimeout(), -1);
    EXPECT_EQ(d.PacketMode(), pmDiscard);
    EXPECT_EQ(d.ComPortPollingDelay(), 50);
    EXPECT_TRUE(d.EnableDTROnOpen());
    EXPECT_EQ(d.OutputTimeout(), 500);
    EXPECT_EQ(d.InputTimeout(), 200u);
    EXPECT_FALSE(d.CheckLineStatus());
    EXPECT_EQ(d.PacketBeginTick(), TSerialDriver::NoTick);

    d.SetPacketTimeout(10);
    EXPECT_EQ(d.PacketTimeout(), 200);
    d.SetPacketTimeout(0);
    EXPECT_EQ(d.PacketTimeout(), -1);
    d.SetPacketTimeout(50);
    EXPECT_EQ(d.PacketTimeout(), 50);
    d.SetPacketTimeout(200);
    d.SetComPortPollingDelay(300);
    EXPECT_EQ(d.PacketTimeout(), 450);
    d.SetComPortPollingDelay(300); // unchanged: the time-out is not touched again
    EXPECT_EQ(d.PacketTimeout(), 450);

    d.SetPacketSize(3000);
    EXPECT_EQ(d.PacketSize(), 3000);
    EXPECT_EQ(d.ComPortInBufSize(), 6000);
    d.SetPacketSize(0);
    EXPECT_EQ(d.PacketSize(), -1);
    EXPECT_EQ(d.ComPortInBufSize(), 6000);
    d.SetPacketSize(-7);
    EXPECT_EQ(d.PacketSize(), -1);
    // A smaller input size is raised again by the packet size.
    d.SetPacketSize(1000);
    d.SetComPortInBufSize(100);
    EXPECT_EQ(d.ComPortInBufSize(), 2000);
    // Above 16383 twice the value no longer fits the input size: the largest that does.
    d.SetPacketSize(20000);
    EXPECT_EQ(d.PacketSize(), 16383);
    EXPECT_EQ(d.ComPortInBufSize(), 32766);
    // Sizes of 0 or below are refused.
    d.SetComPortInBufSize(0);
    d.SetComPortInBufSize(-5);
    EXPECT_EQ(d.ComPortInBufSize(), 32766);
    d.SetComPortOutBufSize(0);
    d.SetComPortOutBufSize(-1);
    EXPECT_EQ(d.ComPortOutBufSize(), 2048);
    d.SetComPortOutBufSize(64);
    EXPECT_EQ(d.ComPortOutBufSize(), 64);
}

TEST(SerialDriverProperties, EverythingIsQuietWhileDisconnected) {
    TSerialDriver d;
    const std::string bytes = "abc";
    EXPECT_EQ(d.SendData(bytes.data(), 3, 100), 0u);
    EXPECT_FALSE(d.SendString("abc"));
    EXPECT_TRUE(d.SendString(""));
    EXPECT_EQ(d.OutputFreeSpace(), 0xFFFF);
    EXPECT_TRUE(d.ReadLineStatus().Empty());
    d.PurgeBuffers(true, true);
    d.ApplySettings();
    d.PollTimerProc();
    d.Disconnect();
    EXPECT_FALSE(d.Connected());
}

TEST(SerialDriverPort, BytesArriveExactlyAndTheSpeedIsProgrammed) {
    Pty pty;
    ScopedEnv env("VEMIX_COM1", pty.SlavePath());
    termios before{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &before), 0);

    TSerialDriver d;
    d.SetComPort(pnCOM1);
    d.SetComPortHwHandshaking(hhNONE);
    ASSERT_TRUE(d.Connect());
    EXPECT_TRUE(d.Connected());
    termios now{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &now), 0);
    EXPECT_EQ(cfgetospeed(&now), static_cast<speed_t>(B9600));
    EXPECT_EQ(now.c_oflag & OPOST, 0u) << "LF must not become CR LF";
    EXPECT_EQ(d.OutputFreeSpace(), 2048);
    EXPECT_TRUE(d.ReadLineStatus().Empty()) << "a pseudo-terminal has no modem lines";

    const std::string all = AllByteValues() + "\x1B\x64\x0A";
    EXPECT_TRUE(d.SendString(all));
    EXPECT_EQ(pty.Read(all.size()), all);

    d.SetComPortSpeed(br19200);
    ASSERT_EQ(tcgetattr(pty.Slave(), &now), 0);
    EXPECT_EQ(cfgetospeed(&now), static_cast<speed_t>(B19200));
    EXPECT_EQ(ReadPortSpeed(pty.Slave()), 19200u);
    d.SetComPortSpeed(br14400); // no B-constant: programmed through termios2
    EXPECT_EQ(ReadPortSpeed(pty.Slave()), 14400u);
    EXPECT_TRUE(d.SendString("\x0A\x0D"));
    EXPECT_EQ(pty.Read(2), "\x0A\x0D");

    // The terminal's own settings come back at close.
    d.Disconnect();
    EXPECT_FALSE(d.Connected());
    ASSERT_EQ(tcgetattr(pty.Slave(), &now), 0);
    EXPECT_EQ(now.c_lflag, before.c_lflag);
    EXPECT_EQ(now.c_oflag, before.c_oflag);
    EXPECT_EQ(cfgetospeed(&now), cfgetospeed(&before));
}

TEST(SerialDriverPort, EmptyStringAndTrace) {
    Pty pty;
    ScopedEnv env("VEMIX_COM4", pty.SlavePath());
    ScopedEnv trace("VEMIX_TRACE", "1");
    TSerialDriver d;
    d.SetComPort(pnCOM4);
    CaptureStderr();
    ASSERT_TRUE(d.Connect());
    EXPECT_TRUE(d.SendString(""));
    EXPECT_TRUE(d.SendString("\x1B\x64\x0A"));
    d.Disconnect();
    const std::string log = GetCapturedStderr();
    EXPECT_EQ(pty.Read(3), "\x1B\x64\x0A");
    EXPECT_NE(log.find("COM4 (" + pty.SlavePath() + "): open, 9600 8N1"), std::string::npos) << log;
    EXPECT_NE(log.find("wrote 0 of 0 bytes"), std::string::npos) << log;
    EXPECT_NE(log.find("wrote 3 of 3 bytes in "), std::string::npos) << log;
    EXPECT_NE(log.find(": 1B 64 0A\n"), std::string::npos) << log;
    EXPECT_NE(log.find("close after "), std::string::npos) << log;
}

TEST(SerialDriverPort, MissingPortFailsWithOneLineOnStandardError) {
    TempDir dir;
    const std::string missing = dir.File("ttyNone");
    ScopedEnv env("VEMIX_COM3", missing);
    TSerialDriver d;
    d.SetComPort(pnCOM3);
    CaptureStderr();
    EXPECT_FALSE(d.Connect());
    const std::string log = GetCapturedStderr();
    EXPECT_FALSE(d.Connected());
    EXPECT_FALSE(d.SendString("abc"));
    EXPECT_TRUE(d.SendString(""));
    EXPECT_NE(log.find("COM3"), std::string::npos) << log;
    EXPECT_NE(log.find(missing), std::string::npos) << log;
    EXPECT_NE(log.find("No such file or directory"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    struct stat st {};
    EXPECT_NE(stat(missing.c_str(), &st), 0) << "opening a port never creates a file";
}

TEST(SerialDriverPort, AFileIsNotAPort) {
    TempDir dir;
    const std::string file = dir.File("plain");
    {
        std::FILE* f = std::fopen(file.c_str(), "w");
        std::fclose(f);
    }
    ScopedEnv env("VEMIX_COM2", file);
    TSerialDriver d;
    CaptureStderr();
    EXPECT_FALSE(d.Connect());
    const std::string log = GetCapturedStderr();
    EXPECT_FALSE(d.Connected());
    EXPECT_NE(log.find("COM2 (" + file + ")"), std::string::npos) << log;
    EXPECT_EQ(ReadFileBytes(file), "");
}

TEST(SerialDriverPort, PortNumberIsFixedWhileConnectedAndConnectDoesNotReopen) {
    Pty first, second, tenth;
    ScopedEnv e2("VEMIX_COM2", first.SlavePath());
    ScopedEnv e3("VEMIX_COM3", second.SlavePath());
    ScopedEnv e10("VEMIX_COM10", tenth.SlavePath());
    TSerialDriver d;
    ASSERT_TRUE(d.Connect());
    d.SetComPort(pnCOM3);
    EXPECT_EQ(d.ComPort(), pnCOM2);
    // A second Connect keeps the open port: bytes waiting are not purged by a reprogramming.
    first.Write("xyz");
    ASSERT_TRUE(first.WaitInput(3));
    EXPECT_TRUE(d.Connect());
    EXPECT_EQ(first.InputWaiting(), 3);
    EXPECT_TRUE(d.SendString("one"));
    d.Disconnect();
    ASSERT_TRUE(d.Connect());
    EXPECT_TRUE(d.SendString("two"));
    d.Disconnect();
    EXPECT_EQ(first.Read(6), "onetwo");
    EXPECT_EQ(second.ReadAll(50), "");

    d.SetComPort(pnCOM10);
    ASSERT_TRUE(d.Connect());
    EXPECT_TRUE(d.SendString("ten"));
    d.Disconnect();
    EXPECT_EQ(tenth.Read(3), "ten");
}

TEST(SerialDriverPort, SizesAreFixedWhileConnected) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    ASSERT_TRUE(d.Connect());
    d.SetComPortInBufSize(100);
    d.SetComPortOutBufSize(100);
    EXPECT_EQ(d.ComPortInBufSize(), 2048);
    EXPECT_EQ(d.ComPortOutBufSize(), 2048);
    // The packet size is taken while connected and raises the input size.
    d.SetPacketSize(3000);
    EXPECT_EQ(d.PacketSize(), 3000);
    EXPECT_EQ(d.ComPortInBufSize(), 6000);
}

TEST(SerialDriverPort, XoffStallGivesUpAfterTheTimeoutAndXonResumes) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    d.SetComPortSwHandshaking(shXONXOFF);
    d.SetOutputTimeout(300);
    ASSERT_TRUE(d.Connect());
    pty.Write("\x13");
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // the line sees XOFF

    Stopwatch stall;
    EXPECT_EQ(d.SendData("hello", 5), 0u);
    EXPECT_GE(stall.Ms(), 290);
    EXPECT_LT(stall.Ms(), 3000);
    Stopwatch again;
    EXPECT_FALSE(d.SendString("hello"));
    EXPECT_GE(again.Ms(), 290);

    pty.Write("\x11");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(d.SendString("go"));
    EXPECT_EQ(pty.Read(2), "go");
    Stopwatch close;
    d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
}

TEST(SerialDriverPort, FullQueueStallReturnsThePartialCountAndClosesQuickly) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    d.SetOutputTimeout(250);
    ASSERT_TRUE(d.Connect());
    const std::string data = Pattern(1 << 20);
    Stopwatch stall;
    const std::uint32_t sent = d.SendData(data.data(), static_cast<std::uint32_t>(data.size()));
    EXPECT_GE(stall.Ms(), 240);
    EXPECT_LT(stall.Ms(), 5000);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, data.size());
    // What went out is exactly the beginning of the data.
    const std::string got = pty.ReadAll();
    EXPECT_EQ(got.size(), sent);
    EXPECT_EQ(got, data.substr(0, got.size()));
    Stopwatch close;
    d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
}

TEST(SerialDriverPort, StallTimeoutSurvivesTickCounterWrapAndSignFlip) {
    for (std::uint32_t base : {0xFFFFFF00u, 0x7FFFFF80u}) {
        Stopwatch clock;
        ScopedTick tick([&] { return base + static_cast<std::uint32_t>(clock.Ms()); });
        Pty pty;
        ScopedEnv env("VEMIX_COM2", pty.SlavePath());
        TSerialDriver d;
        d.SetComPortSwHandshaking(shXONXOFF);
        d.SetOutputTimeout(400);
        ASSERT_TRUE(d.Connect());
        pty.Write("\x13");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Stopwatch stall;
        EXPECT_FALSE(d.SendString("held"));
        EXPECT_GE(stall.Ms(), 390) << std::hex << base;
        EXPECT_LT(stall.Ms(), 3000) << std::hex << base;
    }
}

TEST(SerialDriverPort, UnplugMidSendEndsTheSendAndTheNextConnectFails) {
    auto pty = std::make_unique<Pty>();
    const std::string path = pty->SlavePath();
    ScopedEnv env("VEMIX_COM2", path);
    TSerialDriver d;
    d.SetOutputTimeout(5000);
    ASSERT_TRUE(d.Connect());
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        pty->CloseMaster();
    });
    const std::string data = Pattern(1 << 20);
    Stopwatch send;
    EXPECT_FALSE(d.SendString(data));
    unplug.join();
    EXPECT_LT(send.Ms(), 2500) << "the send ends with the device, not with the time-out";
    EXPECT_FALSE(d.SendString("more"));
    d.PollTimerProc();
    Stopwatch close;
    d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
    CaptureStderr();
    EXPECT_FALSE(d.Connect());
    const std::string log = GetCapturedStderr();
    EXPECT_FALSE(d.Connected());
    EXPECT_NE(log.find("COM2 (" + path + ")"), std::string::npos) << log;
}

TEST(SerialDriverPort, LineCheckStopsTheSendWithoutModemLines) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    d.SetCheckLineStatus(true);
    ASSERT_TRUE(d.Connect());
    Stopwatch send;
    EXPECT_FALSE(d.SendString("never"));
    EXPECT_LT(send.Ms(), 250) << "stops at the first pass, not at the time-out";
    EXPECT_EQ(pty.ReadAll(50), "");
    d.SetCheckLineStatus(false);
    EXPECT_TRUE(d.SendString("ok"));
    EXPECT_EQ(pty.Read(2), "ok");
}

TEST(SerialDriverPort, ChangingASettingWhileConnectedPurgesBothQueues) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    d.SetOutputTimeout(200);
    ASSERT_TRUE(d.Connect());
    pty.Write("waiting input");
    ASSERT_TRUE(pty.WaitInput(13));
    // Fill the line until it stalls; what has not reached the other end yet is dropped.
    const std::string data = Pattern(1 << 20);
    const std::uint32_t sent = d.SendData(data.data(), static_cast<std::uint32_t>(data.size()));
    ASSERT_GT(sent, 0u);
    d.SetComPortParity(ptEVEN);
    EXPECT_EQ(pty.InputWaiting(), 0);
    const std::string got = pty.ReadAll();
    EXPECT_LT(got.size(), sent);
    EXPECT_EQ(got, data.substr(0, got.size()));
}

TEST(SerialDriverReceive, StreamModeEmptiesTheQueueWithOrWithoutAHandler) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    d.SetComPortInBufSize(16);
    ASSERT_TRUE(d.Connect());
    pty.Write(Pattern(10));
    ASSERT_TRUE(pty.WaitInput(10));
    d.PollTimerProc();
    EXPECT_EQ(pty.InputWaiting(), 0);

    Received rx;
    rx.Bind(d, false);
    const std::string data = Pattern(40);
    pty.Write(data);
    ASSERT_TRUE(pty.WaitInput(40));
    d.PollTimerProc(); // at most one buffer per tick
    EXPECT_EQ(pty.InputWaiting(), 24);
    d.PollTimerProc();
    d.PollTimerProc();
    d.PollTimerProc(); // nothing waits: no call
    ASSERT_EQ(rx.chunks.size(), 3u);
    EXPECT_EQ(rx.chunks[0], data.substr(0, 16));
    EXPECT_EQ(rx.chunks[1], data.substr(16, 16));
    EXPECT_EQ(rx.chunks[2], data.substr(32));
}

TEST(SerialDriverReceive, PollTimerRunsWhileConnected) {
    Pty pty;
    ScopedEnv env("VEMIX_COM2", pty.SlavePath());
    TSerialDriver d;
    Received rx;
    rx.Bind(d, false);
    ASSERT_TRUE(d.Connect());
    pty.Write("ack");
    for (int i = 0; i < 100 && rx.chunks.empty(); ++i)
        QTest::qWait(20);
    ASSERT_EQ(rx.chunks.size(), 1u);
    EXPECT_EQ(rx.chunks[0], "ack");
    d.Disconnect();
    pty.Write("late");
    QTest::qWait(200);
    EXPECT_EQ(rx.chunks.size(), 1u) << "no polling after Disconnect";
}

namespace {
// A connected driver in packet mode with the tick counter in the test's hands.
struct PacketRig {
    std::uint32_t now = 1000;
    ScopedTick tick{[this] { return now; }};
    Pty pty;
    ScopedEnv env{"VEMIX_COM2", pty.SlavePath()};
    TSerialDriver d;
    Received rx;
    PacketRig(std::int32_t timeout, TPacketMode mode) {
        d.SetPacketSize(10);
        d.SetPacketTimeout(timeout);
        d.SetPacketMode(mode);
        rx.Bind(d, true);
        if (!d.Connect())
            throw std::runtime_error("no port");
    }
    void Arrive(const std::string& bytes, int waiting) {
        pty.Write(bytes);
        if (!pty.WaitInput(waiting))
            throw std::runtime_error("bytes did not arrive");
    }
};
} // namespace

TEST(SerialDriverReceive, PacketsAndAShortPacketPassedAfterTheTimeout) {
    PacketRig r(300, pmPass);
    const std::string data = Pattern(25);
    r.Arrive(data, 25);
    r.d.PollTimerProc();
    ASSERT_EQ(r.rx.chunks.size(), 2u);
    EXPECT_EQ(r.rx.chunks[0], data.substr(0, 10));
    EXPECT_EQ(r.rx.chunks[1], data.substr(10, 10));
    EXPECT_EQ(r.pty.InputWaiting(), 5);
    // The rest came between two ticks with the packets: its wait starts at this tick.
    EXPECT_EQ(r.d.PacketBeginTick(), 1000u);
    r.now = 1300;
    r.d.PollTimerProc(); // exactly the time-out: not yet
    EXPECT_EQ(r.rx.chunks.size(), 2u);
    r.now = 1301;
    r.d.PollTimerProc();
    ASSERT_EQ(r.rx.chunks.size(), 3u);
    EXPECT_EQ(r.rx.chunks[2], data.substr(20));
    EXPECT_EQ(r.pty.InputWaiting(), 0);
    EXPECT_EQ(r.d.PacketBeginTick(), TSerialDriver::NoTick);
}

TEST(SerialDriverReceive, ShortPacketDroppedAfterTheTimeout) {
    PacketRig r(300, pmDiscard);
    r.Arrive("12345", 5);
    r.d.PollTimerProc(); // first seen here
    EXPECT_EQ(r.d.PacketBeginTick(), 1000u);
    r.now = 1200;
    r.d.PollTimerProc();
    EXPECT_EQ(r.pty.InputWaiting(), 5);
    r.now = 1301;
    r.d.PollTimerProc();
    EXPECT_EQ(r.pty.InputWaiting(), 0);
    EXPECT_TRUE(r.rx.chunks.empty());
    // The next packet is whole again.
    r.Arrive("abcdefghij", 10);
    r.d.PollTimerProc();
    ASSERT_EQ(r.rx.chunks.size(), 1u);
    EXPECT_EQ(r.rx.chunks[0], "abcdefghij");
}

TEST(SerialDriverReceive, WithoutATimeoutAnIncompletePacketWaits) {
    PacketRig r(-1, pmPass);
    r.Arrive("12345", 5);
    r.d.PollTimerProc();
    r.now = 0x7FFFFFFF;
    r.d.PollTimerProc();
    r.now = 5;
    r.d.PollTimerProc();
    EXPECT_TRUE(r.rx.chunks.empty());
    EXPECT_EQ(r.pty.InputWaiting(), 5);
    r.Arrive("6789012", 12);
    r.d.PollTimerProc();
    ASSERT_EQ(r.rx.chunks.size(), 1u);
    EXPECT_EQ(r.rx.chunks[0], "1234567890");
    EXPECT_EQ(r.pty.InputWaiting(), 2);
}

TEST(SerialDriverReceive, StartTickAdvancesByTheTransferTimeOfEachPacket) {
    PacketRig r(300, pmPass);
    r.Arrive("abcde", 5);
    r.d.PollTimerProc();
    EXPECT_EQ(r.d.PacketBeginTick(), 1000u);
    r.now = 1100;
    r.Arrive(Pattern(20), 25);
    r.d.PollTimerProc();
    EXPECT_EQ(r.rx.chunks.size(), 2u);
    // Two packets of 10 bytes at 9600 bit/s: 10 ms each.
    EXPECT_EQ(r.d.PacketBeginTick(), 1020u);
    r.now = 1320;
    r.d.PollTimerProc();
    EXPECT_EQ(r.rx.chunks.size(), 2u);
    r.now = 1321;
    r.d.PollTimerProc();
    ASSERT_EQ(r.rx.chunks.size(), 3u);
    EXPECT_EQ(r.rx.chunks[2].size(), 5u);
    // An exact number of packets leaves no start tick behind.
    r.Arrive(Pattern(10), 10);
    r.d.PollTimerProc();
    EXPECT_EQ(r.rx.chunks.size(), 4u);
    EXPECT_EQ(r.d.PacketBeginTick(), TSerialDriver::NoTick);
}

TEST(SerialDriverReceive, HandlerMayCloseThePortOrChangeThePacketSize) {
    PacketRig r(-1, pmPass);
    int calls = 0;
    r.d.SetOnReceivePacket([&](TSerialDriver* sender, const std::uint8_t*, std::uint32_t n) {
        ++calls;
        EXPECT_EQ(n, 10u);
        sender->Disconnect();
    });
    r.Arrive(Pattern(30), 30);
    r.d.PollTimerProc();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(r.d.Connected());

    PacketRig s(-1, pmPass);
    std::vector<std::uint32_t> sizes;
    s.d.SetOnReceivePacket([&](TSerialDriver* sender, const std::uint8_t*, std::uint32_t n) {
        sizes.push_back(n);
        sender->SetPacketSize(static_cast<std::int16_t>(sender->PacketSize() + 5));
    });
    s.Arrive(Pattern(30), 30);
    s.d.PollTimerProc(); // 10, then 15; 5 of the snapshot stay for the next tick
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{10, 15}));
    EXPECT_EQ(s.pty.InputWaiting(), 5);
}
