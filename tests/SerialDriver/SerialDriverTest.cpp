#include "SerialDriver/SerialDriver.h"
#include "Pty.h"
#include "SerialDriver/LineSettings.h"
#include "TempDir.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::string Pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>('A' + i % 23);
    return s;
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Every chunk handed to OnReceiveData or OnReceivePacket.
struct Received {
    std::vector<std::string> chunks;
    void Bind(TSerialDriver& d, bool packets) {
        auto handler = [this](TSerialDriver*, const std::uint8_t* p, std::uint32_t n) {
            chunks.emplace_back(reinterpret_cast<const char*>(p), n);
        };
        packets ? d.SetOnReceivePacket(handler) : d.SetOnReceiveData(handler);
    }
};

// A driver on COM2 mapped to a fresh pseudo-terminal.
struct Rig {
    Pty pty;
    ScopedEnv env{"VEMIX_COM2", pty.SlavePath()};
    TSerialDriver d;
};

} // namespace

TEST(SerialDriverProperties, DefaultsAndSetterRules) {
    TSerialDriver d;
    EXPECT_EQ(d.ComPort(), pnCOM2);
    EXPECT_EQ(d.ComPortSpeed(), br9600);
    EXPECT_EQ(d.ComPortHwHandshaking(), hhNONERTSON);
    EXPECT_EQ(d.ComPortInBufSize(), 2048);
    EXPECT_EQ(d.PacketSize(), -1);
    EXPECT_EQ(d.PacketTimeout(), -1);
    EXPECT_EQ(d.ComPortPollingDelay(), 50);
    EXPECT_EQ(d.OutputTimeout(), 500);

    d.SetPacketTimeout(10);
    EXPECT_EQ(d.PacketTimeout(), 200);
    d.SetPacketTimeout(0);
    EXPECT_EQ(d.PacketTimeout(), -1);
    d.SetPacketTimeout(200);
    d.SetComPortPollingDelay(300);
    EXPECT_EQ(d.PacketTimeout(), 450);

    d.SetPacketSize(3000);
    EXPECT_EQ(d.ComPortInBufSize(), 6000);
    d.SetPacketSize(0);
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
    d.SetComPortOutBufSize(-1);
    EXPECT_EQ(d.ComPortInBufSize(), 32766);
    EXPECT_EQ(d.ComPortOutBufSize(), 2048);

    // Disconnected, nothing happens and nothing fails loudly.
    EXPECT_EQ(d.SendData("abc", 3, 100), 0u);
    EXPECT_FALSE(d.SendString("abc"));
    EXPECT_TRUE(d.SendString(""));
    EXPECT_EQ(d.OutputFreeSpace(), 0xFFFF);
    EXPECT_TRUE(d.ReadLineStatus().Empty());
    d.PollTimerProc();
    d.Disconnect();
}

TEST(SerialDriverPort, BytesArriveExactlyWithTheProgrammedSpeedAndTrace) {
    Rig r;
    ScopedEnv trace("VEMIX_TRACE", "1");
    termios before{}, now{};
    ASSERT_EQ(tcgetattr(r.pty.Slave(), &before), 0);
    CaptureStderr();
    ASSERT_TRUE(r.d.Connect());
    EXPECT_TRUE(r.d.SendString(""));
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    EXPECT_TRUE(r.d.SendString(all + "\x1B\x64\x0A"));
    EXPECT_EQ(r.pty.Read(259), all + "\x1B\x64\x0A");
    EXPECT_EQ(r.d.OutputFreeSpace(), 2048);

    ASSERT_EQ(tcgetattr(r.pty.Slave(), &now), 0);
    EXPECT_EQ(cfgetospeed(&now), static_cast<speed_t>(B9600));
    r.d.SetComPortSpeed(br19200);
    EXPECT_EQ(ReadPortSpeed(r.pty.Slave()), 19200u);
    r.d.SetComPortSpeed(br14400); // no B-constant: programmed through termios2
    EXPECT_EQ(ReadPortSpeed(r.pty.Slave()), 14400u);

    r.d.Disconnect();
    const std::string log = GetCapturedStderr();
    EXPECT_NE(log.find("COM2 (" + r.pty.SlavePath() + "): open, 9600 8N1"), std::string::npos)
        << log;
    EXPECT_NE(log.find("wrote 0 of 0 bytes"), std::string::npos) << log;
    EXPECT_NE(log.find("wrote 259 of 259 bytes in "), std::string::npos) << log;
    EXPECT_NE(log.find("FE FF 1B 64 0A\n"), std::string::npos) << log;
    EXPECT_NE(log.find("close after "), std::string::npos) << log;
    // The terminal's own settings come back at close.
    ASSERT_EQ(tcgetattr(r.pty.Slave(), &now), 0);
    EXPECT_EQ(now.c_lflag, before.c_lflag);
    EXPECT_EQ(now.c_oflag, before.c_oflag);
    EXPECT_EQ(cfgetospeed(&now), cfgetospeed(&before));
}

TEST(SerialDriverPort, FailedOpensSayWhyOnStandardErrorAndCreateNothing) {
    TempDir dir;
    const std::string missing = dir.File("ttyNone");
    const std::string file = dir.File("plain");
    std::fclose(std::fopen(file.c_str(), "w"));
    for (const std::string& path : {missing, file}) {
        ScopedEnv env("VEMIX_COM3", path);
        TSerialDriver d;
        d.SetComPort(pnCOM3);
        CaptureStderr();
        EXPECT_FALSE(d.Connect());
        const std::string log = GetCapturedStderr();
        EXPECT_FALSE(d.Connected());
        EXPECT_FALSE(d.SendString("abc"));
        EXPECT_NE(log.find("COM3 (" + path + "): "), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
    struct stat st {};
    EXPECT_NE(stat(missing.c_str(), &st), 0) << "opening a port never creates a file";
    EXPECT_EQ(ReadFileBytes(file), "");
}

TEST(SerialDriverPort, APortHeldByAnotherDriverIsBusy) {
    Rig r;
    TSerialDriver second;
    ASSERT_TRUE(r.d.Connect());
    CaptureStderr();
    EXPECT_FALSE(second.Connect());
    const std::string log = GetCapturedStderr();
    EXPECT_NE(log.find("another program holds the port"), std::string::npos) << log;
    EXPECT_TRUE(r.d.SendString("mine"));
    EXPECT_EQ(r.pty.Read(4), "mine");
    r.d.Disconnect();
    EXPECT_TRUE(second.Connect());
}

TEST(SerialDriverPort, PortAndSizesAreFixedWhileConnectedAndConnectDoesNotReopen) {
    Rig r;
    Pty other, tenth;
    ScopedEnv e3("VEMIX_COM3", other.SlavePath());
    ScopedEnv e10("VEMIX_COM10", tenth.SlavePath());
    ASSERT_TRUE(r.d.Connect());
    r.d.SetComPort(pnCOM3);
    r.d.SetComPortInBufSize(100);
    r.d.SetComPortOutBufSize(100);
    EXPECT_EQ(r.d.ComPort(), pnCOM2);
    EXPECT_EQ(r.d.ComPortInBufSize(), 2048);
    EXPECT_EQ(r.d.ComPortOutBufSize(), 2048);
    r.d.SetPacketSize(3000); // taken while connected, and it raises the input size
    EXPECT_EQ(r.d.ComPortInBufSize(), 6000);
    // A second Connect keeps the open port: waiting input is not purged by a reprogramming.
    r.pty.Write("xyz");
    ASSERT_TRUE(r.pty.WaitInput(3));
    EXPECT_TRUE(r.d.Connect());
    EXPECT_EQ(r.pty.InputWaiting(), 3);
    // Output of one cycle that the other end has not read yet survives the next cycle.
    EXPECT_TRUE(r.d.SendString("one"));
    r.d.Disconnect();
    ASSERT_TRUE(r.d.Connect());
    EXPECT_TRUE(r.d.SendString("two"));
    r.d.Disconnect();
    EXPECT_EQ(r.pty.Read(6), "onetwo");
    EXPECT_EQ(other.ReadAll(50), "");

    r.d.SetComPort(pnCOM10);
    ASSERT_TRUE(r.d.Connect());
    EXPECT_TRUE(r.d.SendString("ten"));
    EXPECT_EQ(tenth.Read(3), "ten");
}

TEST(SerialDriverPort, XoffStallGivesUpAfterTheTimeoutAndXonResumes) {
    Rig r;
    r.d.SetComPortSwHandshaking(shXONXOFF);
    r.d.SetOutputTimeout(300);
    ASSERT_TRUE(r.d.Connect());
    r.pty.Write("\x13");
    Pause(150); // the line sees XOFF
    Stopwatch stall;
    EXPECT_EQ(r.d.SendData("hello", 5), 0u);
    EXPECT_GE(stall.Ms(), 290);
    EXPECT_LT(stall.Ms(), 3000);
    r.pty.Write("\x11");
    Pause(150);
    EXPECT_TRUE(r.d.SendString("go"));
    EXPECT_EQ(r.pty.Read(2), "go");
    Stopwatch close;
    r.d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
}

TEST(SerialDriverPort, FullQueueStallReturnsThePartialCountAndClosesQuickly) {
    Rig r;
    r.d.SetOutputTimeout(250);
    ASSERT_TRUE(r.d.Connect());
    const std::string data = Pattern(1 << 20);
    Stopwatch stall;
    const std::uint32_t sent = r.d.SendData(data.data(), static_cast<std::uint32_t>(data.size()));
    EXPECT_GE(stall.Ms(), 240);
    EXPECT_LT(stall.Ms(), 5000);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, data.size());
    // What went out is exactly the beginning of the data.
    const std::string got = r.pty.ReadAll();
    EXPECT_EQ(got.size(), sent);
    EXPECT_EQ(got, data.substr(0, got.size()));
    Stopwatch close;
    r.d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
}

TEST(SerialDriverPort, StallTimeoutSurvivesTickCounterWrapAndSignFlip) {
    for (std::uint32_t base : {0xFFFFFF00u, 0x7FFFFF80u}) {
        Stopwatch clock;
        ScopedTick tick([&] { return base + static_cast<std::uint32_t>(clock.Ms()); });
        Rig r;
        r.d.SetComPortSwHandshaking(shXONXOFF);
        r.d.SetOutputTimeout(400);
        ASSERT_TRUE(r.d.Connect());
        r.pty.Write("\x13");
        Pause(100);
        Stopwatch stall;
        EXPECT_FALSE(r.d.SendString("held"));
        EXPECT_GE(stall.Ms(), 390) << std::hex << base;
        EXPECT_LT(stall.Ms(), 3000) << std::hex << base;
    }
}

TEST(SerialDriverPort, UnplugMidSendEndsTheSendAndTheNextConnectFails) {
    Rig r;
    r.d.SetOutputTimeout(5000);
    ASSERT_TRUE(r.d.Connect());
    std::thread unplug([&] {
        Pause(150);
        r.pty.CloseMaster();
    });
    Stopwatch send;
    EXPECT_FALSE(r.d.SendString(Pattern(1 << 20)));
    unplug.join();
    EXPECT_LT(send.Ms(), 2500) << "the send ends with the device, not with the time-out";
    EXPECT_FALSE(r.d.SendString("more"));
    r.d.PollTimerProc();
    Stopwatch close;
    r.d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
    CaptureStderr();
    EXPECT_FALSE(r.d.Connect());
    const std::string log = GetCapturedStderr();
    EXPECT_FALSE(r.d.Connected());
    EXPECT_NE(log.find("COM2 (" + r.pty.SlavePath() + ")"), std::string::npos) << log;
}

TEST(SerialDriverPort, APortHeldExclusivelyByAnotherProgramIsBusyAndKeepsItsHold) {
    Rig r;
    // The test's own descriptor of the line plays the other program; root would pass its hold.
    ASSERT_EQ(ioctl(r.pty.Slave(), TIOCEXCL), 0);
    CaptureStderr();
    EXPECT_FALSE(r.d.Connect());
    const std::string log = GetCapturedStderr();
    EXPECT_FALSE(r.d.Connected());
    EXPECT_NE(log.find("another program holds the port"), std::string::npos) << log;
    EXPECT_FALSE(r.d.SendString("intrude"));
    EXPECT_EQ(r.pty.ReadAll(50), "");
    int held = 0;
    ASSERT_EQ(ioctl(r.pty.Slave(), TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 1) << "the other program's hold stays";

    // Once free, the driver holds the port while open and lets go of its own hold at close.
    ASSERT_EQ(ioctl(r.pty.Slave(), TIOCNXCL), 0);
    ASSERT_TRUE(r.d.Connect());
    ioctl(r.pty.Slave(), TIOCGEXCL, &held);
    EXPECT_EQ(held, 1);
    r.d.Disconnect();
    ioctl(r.pty.Slave(), TIOCGEXCL, &held);
    EXPECT_EQ(held, 0);
}

TEST(SerialDriverPort, WithoutModemLinesTheCheckedSendGoesAheadAndThatIsSaidOnce) {
    Rig r;
    r.d.SetCheckLineStatus(true);
    EXPECT_FALSE(r.d.HasModemLines());
    CaptureStderr();
    for (int cycle = 0; cycle < 2; ++cycle) {
        ASSERT_TRUE(r.d.Connect());
        EXPECT_FALSE(r.d.HasModemLines());
        EXPECT_TRUE(r.d.ReadLineStatus().Empty());
        EXPECT_TRUE(r.d.SendString("goes"));
        r.d.Disconnect();
    }
    const std::string log = GetCapturedStderr();
    EXPECT_EQ(r.pty.Read(8), "goesgoes");
    const std::string said = "COM2 (" + r.pty.SlavePath() + "): no modem lines";
    EXPECT_NE(log.find(said), std::string::npos) << log;
    EXPECT_EQ(log.find(said, log.find(said) + 1), std::string::npos) << log;
}

TEST(SerialDriverPort, ChangingASettingWhileConnectedPurgesBothQueues) {
    Rig r;
    r.d.SetOutputTimeout(200);
    ASSERT_TRUE(r.d.Connect());
    r.pty.Write("waiting input");
    ASSERT_TRUE(r.pty.WaitInput(13));
    // Fill the line until it stalls; what has not reached the other end yet is dropped.
    const std::string data = Pattern(1 << 20);
    const std::uint32_t sent = r.d.SendData(data.data(), static_cast<std::uint32_t>(data.size()));
    ASSERT_GT(sent, 0u);
    r.d.SetComPortParity(ptEVEN);
    EXPECT_EQ(r.pty.InputWaiting(), 0);
    const std::string got = r.pty.ReadAll();
    EXPECT_LT(got.size(), sent);
    EXPECT_EQ(got, data.substr(0, got.size()));
}

TEST(SerialDriverReceive, StreamModeEmptiesTheQueueWithOrWithoutAHandler) {
    Rig r;
    r.d.SetComPortInBufSize(16);
    ASSERT_TRUE(r.d.Connect());
    r.pty.Write(Pattern(10));
    ASSERT_TRUE(r.pty.WaitInput(10));
    r.d.PollTimerProc();
    EXPECT_EQ(r.pty.InputWaiting(), 0);

    Received rx;
    rx.Bind(r.d, false);
    const std::string data = Pattern(40);
    r.pty.Write(data);
    ASSERT_TRUE(r.pty.WaitInput(40));
    for (int tick = 0; tick < 4; ++tick) // at most one buffer per tick, then nothing
        r.d.PollTimerProc();
    ASSERT_EQ(rx.chunks.size(), 3u);
    EXPECT_EQ(rx.chunks[0] + "|" + rx.chunks[1] + "|" + rx.chunks[2],
              data.substr(0, 16) + "|" + data.substr(16, 16) + "|" + data.substr(32));
}

TEST(SerialDriverReceive, AHandlerPollingAgainDoesNotLoseItsBytes) {
    Rig r;
    r.d.SetComPortInBufSize(16);
    std::vector<std::string> chunks;
    r.d.SetOnReceiveData([&](TSerialDriver* sender, const std::uint8_t* p, std::uint32_t n) {
        sender->PollTimerProc(); // waiting inside the handler: does nothing
        chunks.emplace_back(reinterpret_cast<const char*>(p), n);
    });
    ASSERT_TRUE(r.d.Connect());
    const std::string data = Pattern(40);
    r.pty.Write(data);
    ASSERT_TRUE(r.pty.WaitInput(40));
    for (int tick = 0; tick < 3; ++tick)
        r.d.PollTimerProc();
    std::string all;
    for (const std::string& c : chunks)
        all += c;
    EXPECT_EQ(all, data);
    EXPECT_EQ(chunks.size(), 3u);
}

TEST(SerialDriverReceive, AHangUpIsNoticedAtTheNextPollAndSaidOnce) {
    Rig r;
    Received rx;
    rx.Bind(r.d, false);
    EXPECT_FALSE(r.d.DeviceLost());
    ASSERT_TRUE(r.d.Connect());
    r.pty.Write("ok");
    for (int i = 0; i < 100 && rx.chunks.empty(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(r.d.DeviceLost());
    CaptureStderr();
    r.pty.CloseMaster();
    for (int i = 0; i < 100 && !r.d.DeviceLost(); ++i)
        QTest::qWait(20); // the poll timer notices
    EXPECT_TRUE(r.d.DeviceLost());
    EXPECT_TRUE(r.d.Connected()) << "still open until the caller closes it";
    EXPECT_FALSE(r.d.SendString("more"));
    EXPECT_TRUE(r.d.ReadLineStatus().Empty());
    r.d.PollTimerProc();
    const std::string log = GetCapturedStderr();
    const std::string said = "COM2 (" + r.pty.SlavePath() + "): the device went away";
    EXPECT_NE(log.find(said), std::string::npos) << log;
    EXPECT_EQ(log.find(said, log.find(said) + 1), std::string::npos) << log;
    EXPECT_EQ(rx.chunks, std::vector<std::string>{"ok"});
    Stopwatch close;
    r.d.Disconnect();
    EXPECT_LT(close.Ms(), 1000);
    EXPECT_FALSE(r.d.DeviceLost());
}

TEST(SerialDriverReceive, PollTimerRunsWhileConnected) {
    Rig r;
    Received rx;
    rx.Bind(r.d, false);
    ASSERT_TRUE(r.d.Connect());
    r.pty.Write("ack");
    for (int i = 0; i < 100 && rx.chunks.empty(); ++i)
        QTest::qWait(20);
    ASSERT_EQ(rx.chunks, std::vector<std::string>{"ack"});
    r.d.Disconnect();
    r.pty.Write("late");
    QTest::qWait(200);
    EXPECT_EQ(rx.chunks.size(), 1u) << "no polling after Disconnect";
}

namespace {
// A connected driver in packet mode (10 bytes) with the tick counter in the test's hands.
struct PacketRig : Rig {
    std::uint32_t now = 1000;
    ScopedTick tick{[this] { return now; }};
    Received rx;
    PacketRig(std::int32_t timeout, TPacketMode mode, std::int16_t size = 10,
              TComPortBaudRate speed = br9600) {
        d.SetComPortSpeed(speed);
        d.SetPacketSize(size);
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
    void TickAt(std::uint32_t tick) {
        now = tick;
        d.PollTimerProc();
    }
};
} // namespace

TEST(SerialDriverReceive, PacketsAndAShortPacketPassedAfterTheTimeout) {
    PacketRig r(300, pmPass);
    const std::string data = Pattern(25);
    r.Arrive(data, 25);
    r.TickAt(1000);
    ASSERT_EQ(r.rx.chunks.size(), 2u);
    EXPECT_EQ(r.rx.chunks[0], data.substr(0, 10));
    EXPECT_EQ(r.rx.chunks[1], data.substr(10, 10));
    // The rest came between two ticks with the packets: its wait starts at this tick.
    EXPECT_EQ(r.d.PacketBeginTick(), 1000u);
    r.TickAt(1300); // exactly the time-out: not yet
    EXPECT_EQ(r.rx.chunks.size(), 2u);
    r.TickAt(1301);
    ASSERT_EQ(r.rx.chunks.size(), 3u);
    EXPECT_EQ(r.rx.chunks[2], data.substr(20));
    EXPECT_EQ(r.pty.InputWaiting(), 0);
    EXPECT_EQ(r.d.PacketBeginTick(), TSerialDriver::NoTick);
}

TEST(SerialDriverReceive, ShortPacketDroppedAfterTheTimeoutOrKeptWithoutOne) {
    PacketRig r(300, pmDiscard);
    r.Arrive("12345", 5);
    r.TickAt(1000); // first seen here
    r.TickAt(1200);
    EXPECT_EQ(r.pty.InputWaiting(), 5);
    r.TickAt(1301);
    EXPECT_EQ(r.pty.InputWaiting(), 0);
    r.Arrive("abcdefghij", 10);
    r.TickAt(1350);
    EXPECT_EQ(r.rx.chunks, std::vector<std::string>{"abcdefghij"});

    PacketRig w(-1, pmPass);
    w.Arrive("12345", 5);
    w.TickAt(1000);
    w.TickAt(0x7FFFFFFF);
    w.TickAt(5);
    EXPECT_TRUE(w.rx.chunks.empty());
    w.Arrive("6789012", 12);
    w.TickAt(6);
    EXPECT_EQ(w.rx.chunks, std::vector<std::string>{"1234567890"});
    EXPECT_EQ(w.pty.InputWaiting(), 2);
}

TEST(SerialDriverReceive, StartTickAdvancesByTheTransferTimeOfEachPacket) {
    PacketRig r(300, pmPass);
    r.Arrive("abcde", 5);
    r.TickAt(1000);
    r.Arrive(Pattern(20), 25);
    r.TickAt(1100);
    EXPECT_EQ(r.rx.chunks.size(), 2u);
    // Two packets of 10 bytes at 9600 bit/s: 10 ms each.
    EXPECT_EQ(r.d.PacketBeginTick(), 1020u);
    r.TickAt(1320);
    EXPECT_EQ(r.rx.chunks.size(), 2u);
    r.TickAt(1321);
    ASSERT_EQ(r.rx.chunks.size(), 3u);
    EXPECT_EQ(r.rx.chunks[2].size(), 5u);
    // An exact number of packets leaves no start tick behind.
    r.Arrive(Pattern(10), 10);
    r.TickAt(1400);
    EXPECT_EQ(r.rx.chunks.size(), 4u);
    EXPECT_EQ(r.d.PacketBeginTick(), TSerialDriver::NoTick);
}

TEST(SerialDriverReceive, HandlerMayCloseThePort) {
    PacketRig r(-1, pmPass);
    int calls = 0;
    r.d.SetOnReceivePacket([&](TSerialDriver* sender, const std::uint8_t*, std::uint32_t) {
        ++calls;
        sender->Disconnect();
    });
    r.Arrive(Pattern(30), 30);
    r.TickAt(1000);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(r.d.Connected());
}

TEST(SerialDriverReceive, PacketsFromASourceFasterThanTheLineAreNotTimedOutEarly) {
    // 32-byte packets, time-out 200: 5 bytes, then 320 at once, then the last 27.
    for (TComPortBaudRate speed : {br9600, br19200}) {
        for (TPacketMode mode : {pmDiscard, pmPass}) {
            PacketRig r(200, mode, 32, speed);
            const std::string data = Pattern(352);
            r.Arrive(data.substr(0, 5), 5);
            r.TickAt(1000);
            r.Arrive(data.substr(5, 320), 325);
            r.TickAt(1050);
            EXPECT_EQ(r.rx.chunks.size(), 10u);
            EXPECT_LE(r.d.PacketBeginTick(), 1050u) << "never in the future";
            r.TickAt(1100);
            r.Arrive(data.substr(325), 32);
            r.TickAt(1150);
            std::string all;
            for (const std::string& c : r.rx.chunks) {
                EXPECT_EQ(c.size(), 32u);
                all += c;
            }
            EXPECT_EQ(all, data) << speed << " " << mode;
        }
    }
}

TEST(SerialDriverReceive, AFailingShortPacketHandlerStillEndsThePacketsWait) {
    PacketRig r(300, pmPass);
    r.d.SetOnReceivePacket([&](TSerialDriver*, const std::uint8_t* p, std::uint32_t n) {
        r.rx.chunks.emplace_back(reinterpret_cast<const char*>(p), n);
        if (n < 10)
            throw std::runtime_error("handler failed");
    });
    r.Arrive("12345", 5);
    r.TickAt(1000);
    EXPECT_ANY_THROW(r.TickAt(1301));
    EXPECT_EQ(r.d.PacketBeginTick(), TSerialDriver::NoTick);
    // The next bytes wait their own full time-out.
    r.Arrive("abcde", 5);
    r.TickAt(1400);
    r.TickAt(1700);
    EXPECT_EQ(r.rx.chunks, std::vector<std::string>{"12345"});
    EXPECT_ANY_THROW(r.TickAt(1701));
    EXPECT_EQ(r.rx.chunks, (std::vector<std::string>{"12345", "abcde"}));
}

namespace {
// The other end writes `bytes` as fast as the line takes them, from its own thread.
std::thread Feed(Pty& pty, std::string bytes) {
    return std::thread([&pty, bytes = std::move(bytes)] {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(pty.Master(), bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                pollfd p{pty.Master(), POLLOUT, 0};
                poll(&p, 1, 5);
            }
        }
    });
}
} // namespace

TEST(SerialDriverReceive, PacketsLargerThanTheLineBufferArriveWhole) {
    for (std::int16_t size : {4095, 4096, 16383}) {
        for (std::int32_t timeout : {-1, 200}) {
            PacketRig r(timeout, pmPass, size);
            EXPECT_EQ(r.d.PacketSize(), size);
            const std::string data = Pattern(2 * static_cast<std::size_t>(size) + 7);
            std::thread feed = Feed(r.pty, data);
            Stopwatch wait;
            while (r.rx.chunks.size() < 2 && wait.Ms() < 20000) {
                r.d.PollTimerProc(); // the clock stands still: no time-out
                Pause(1);
            }
            feed.join();
            for (int i = 0; i < 5; ++i) {
                r.d.PollTimerProc();
                Pause(1);
            }
            ASSERT_EQ(r.rx.chunks.size(), 2u) << size << " " << timeout;
            EXPECT_TRUE(r.rx.chunks[0] == data.substr(0, size)) << size;
            EXPECT_TRUE(r.rx.chunks[1] == data.substr(size, size)) << size;
            // The rest is a short packet, handed on after the time-out.
            r.TickAt(1000 + 5000);
            if (timeout > 0) {
                ASSERT_EQ(r.rx.chunks.size(), 3u);
                EXPECT_EQ(r.rx.chunks[2], data.substr(2 * static_cast<std::size_t>(size)));
            } else {
                EXPECT_EQ(r.rx.chunks.size(), 2u);
            }
        }
    }
}

TEST(SerialDriverReceive, AnAnswerIsAwaitedWithALocalEventLoopOrAOneMillisecondPoll) {
    // The printer answers a status request (DLE EOT 1) with one byte, a little later.
    Rig r;
    std::atomic<bool> stop{false};
    std::thread printer([&] {
        std::string heard;
        while (!stop) {
            char c;
            if (read(r.pty.Master(), &c, 1) == 1) {
                heard.push_back(c);
                if (heard.size() >= 3 && heard.compare(heard.size() - 3, 3, "\x10\x04\x01") == 0) {
                    Pause(30);
                    r.pty.Write("\x12");
                }
            } else {
                Pause(1);
            }
        }
    });
    ASSERT_TRUE(r.d.Connect());
    r.pty.Write("\x7F"); // a stale byte from before the request
    ASSERT_TRUE(r.pty.WaitInput(1));
    for (bool eventLoop : {true, false}) {
        std::string answer;
        QEventLoop loop;
        r.d.SetOnReceiveData([&](TSerialDriver*, const std::uint8_t* p, std::uint32_t n) {
            answer.append(reinterpret_cast<const char*>(p), n);
            loop.quit();
        });
        r.d.PurgeBuffers(true, false);
        Stopwatch wait;
        ASSERT_TRUE(r.d.SendString("\x10\x04\x01"));
        if (eventLoop) {
            QTimer::singleShot(500, &loop, &QEventLoop::quit);
            loop.exec();
        } else {
            while (answer.empty() && wait.Ms() < 500) {
                r.d.PollTimerProc();
                Pause(1);
            }
        }
        r.d.SetOnReceiveData({});
        EXPECT_EQ(answer, "\x12") << (eventLoop ? "event loop" : "polling");
        EXPECT_LT(wait.Ms(), 500);
    }
    stop = true;
    printer.join();
}

TEST(SerialDriverReceive, GatheredInputKeepsItsOrderWhenThePacketSizeChanges) {
    PacketRig r(-1, pmPass, 5000);
    const std::string data = Pattern(5100);
    std::thread feed = Feed(r.pty, data.substr(0, 4500));
    Stopwatch wait;
    while (r.pty.InputWaiting() != 0 || wait.Ms() < 50) {
        r.d.PollTimerProc(); // gathers: the line buffer cannot hold the packet
        Pause(1);
        if (wait.Ms() > 10000)
            break;
    }
    feed.join();
    r.d.PollTimerProc();
    ASSERT_EQ(r.pty.InputWaiting(), 0);
    EXPECT_TRUE(r.rx.chunks.empty());
    r.d.SetPacketSize(12000); // a larger buffer keeps what was gathered
    r.d.SetPacketSize(1000);
    r.TickAt(1000);
    EXPECT_EQ(r.rx.chunks.size(), 4u);
    r.Arrive(data.substr(4500, 600), 600);
    r.TickAt(1001); // 500 gathered + 500 from the port
    EXPECT_EQ(r.rx.chunks.size(), 5u);
    r.rx.Bind(r.d, false);
    r.d.SetPacketSize(-1);
    r.d.PollTimerProc();
    std::string all;
    for (const std::string& c : r.rx.chunks)
        all += c;
    EXPECT_TRUE(all == data);
    EXPECT_EQ(r.rx.chunks.back().size(), 100u);
}

TEST(SerialDriverPort, FailuresCarryAnErrnoCodeAndATextThatSuccessClears) {
    TempDir dir;
    {
        ScopedEnv env("VEMIX_COM3", dir.File("ttyNone"));
        TSerialDriver d;
        d.SetComPort(pnCOM3);
        CaptureStderr();
        EXPECT_FALSE(d.Connect());
        GetCapturedStderr();
        EXPECT_EQ(d.LastError(), ENOENT);
        EXPECT_NE(d.LastErrorText().find(dir.File("ttyNone")), std::string::npos)
            << d.LastErrorText();
        EXPECT_FALSE(d.SendString("abc"));
        EXPECT_EQ(d.LastError(), EBADF);
    }
    Rig r;
    r.d.SetComPortSwHandshaking(shXONXOFF);
    r.d.SetOutputTimeout(200);
    ASSERT_TRUE(r.d.Connect());
    EXPECT_EQ(r.d.LastError(), 0);
    EXPECT_EQ(r.d.LastErrorText(), "");
    r.pty.Write("\x13");
    Pause(150);
    EXPECT_FALSE(r.d.SendString("held"));
    EXPECT_EQ(r.d.LastError(), ETIMEDOUT);
    EXPECT_NE(r.d.LastErrorText().find("200 ms"), std::string::npos) << r.d.LastErrorText();
    r.pty.Write("\x11");
    Pause(150);
    EXPECT_TRUE(r.d.SendString("go"));
    EXPECT_EQ(r.d.LastError(), 0);
    EXPECT_EQ(r.pty.Read(2), "go");
    // The other end goes away: the send fails with the reason, also on every later send.
    CaptureStderr();
    r.pty.CloseMaster();
    EXPECT_FALSE(r.d.SendString("lost"));
    EXPECT_EQ(r.d.LastError(), EIO);
    EXPECT_FALSE(r.d.SendString("again"));
    EXPECT_EQ(r.d.LastError(), EIO);
    EXPECT_FALSE(r.d.LastErrorText().empty());
    r.d.Disconnect();
    GetCapturedStderr();
}
