// The parallel port against files and FIFOs, the serial port against a pseudo-terminal.
#include "DeviceIo/Devices.h"
#include "Ports/ParallelPort.h"
#include "Ports/PortRegistry.h"
#include "Pty.h"
#include "Rtl/Events.h"
#include "Rtl/Exceptions.h"
#include "TempDir.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// LPT1 mapped to a FIFO whose read end the test holds.
struct FifoPrinter {
    TempDir dir;
    std::string path = dir.File("lpt1");
    ScopedEnv env{"VEMIX_LPT1", path};
    int reader = -1;
    FifoPrinter() {
        mkfifo(path.c_str(), 0600);
        reader = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~FifoPrinter() {
        if (reader >= 0)
            close(reader);
    }
    void Fill() const {
        const int w = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        char block[4096] = {};
        while (write(w, block, sizeof block) > 0) {
        }
        close(w);
    }
    std::string Drain() const {
        std::string out;
        char buf[65536];
        ssize_t n;
        while ((n = read(reader, buf, sizeof buf)) > 0)
            out.append(buf, static_cast<std::size_t>(n));
        return out;
    }
};

bool Cycle(TPort& port, const std::string& bytes) {
    const bool opened = port.Open();
    const bool written = port.Write(bytes);
    port.Close();
    return opened && written;
}

} // namespace

TEST(ParallelPort, AFileCollectsEveryCycleAtItsEndAcrossJobs) {
    TempDir dir;
    ScopedEnv env("VEMIX_LPT2", dir.File("out.bin"));
    TParallelPort port("LPT2");
    const std::string bytes("\x1B\x40\x00\xFF\n", 5);
    EXPECT_TRUE(Cycle(port, bytes));
    EXPECT_TRUE(Cycle(port, ""));
    port.NewJob();
    EXPECT_TRUE(Cycle(port, "next job\n"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.bin")), bytes + "next job\n");
    EXPECT_EQ(port.Device(), dir.File("out.bin"));
}

TEST(ParallelPort, AMissingDeviceIsNeverCreatedAndItsCloseRaises103) {
    ScopedEnv env("VEMIX_LPT1", "/dev/vemix-missing-lp9");
    TParallelPort port("LPT1");
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.Failure().Code, ENOENT);
    EXPECT_FALSE(port.Write("")); // not open: even nothing fails
    try {
        port.Close();
        ADD_FAILURE() << "no I/O error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 103);
    }
    EXPECT_FALSE(std::filesystem::exists("/dev/vemix-missing-lp9"));
}

TEST(ParallelPort, AStalledPrinterCostsTheBoundOncePerJob) {
    FifoPrinter printer;
    TParallelPort port("LPT1");
    port.SetBound(300);
    EXPECT_TRUE(Cycle(port, "first\n"));
    EXPECT_EQ(printer.Drain(), "first\n");
    printer.Fill();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Cycle(port, "stalled\n"));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_EQ(port.Failure().Code, ETIMEDOUT);
    // The rest of the job tries without waiting.
    clock.restart();
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(Cycle(port, "again\n"));
    EXPECT_LT(clock.elapsed(), 250);
    // The printer takes paper again: used at once.
    printer.Drain();
    EXPECT_TRUE(Cycle(port, "back\n"));
    EXPECT_EQ(printer.Drain(), "back\n");
    // A new job waits the full bound again.
    printer.Fill();
    port.NewJob();
    clock.restart();
    EXPECT_FALSE(Cycle(port, "x"));
    EXPECT_GE(clock.elapsed(), 300);
}

TEST(ParallelPort, AReaderThatGoesAwayIsAWriteFailureNotTheEndOfTheProgram) {
    FifoPrinter printer;
    TParallelPort port("LPT1");
    ASSERT_TRUE(port.Open());
    close(printer.reader);
    printer.reader = -1;
    EXPECT_FALSE(port.Write("lost\n"));
    EXPECT_EQ(port.Failure().Code, EPIPE);
    port.Close();
}

TEST(ParallelPort, ACloseRequestEndsTheWaitAtOnce) {
    FifoPrinter printer;
    printer.Fill();
    TWaitCancel cancel;
    TParallelPort port("LPT1");
    port.SetCancel(&cancel);
    QTimer::singleShot(100, [&] { cancel.Cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Cycle(port, "x"));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(port.Failure().Code, ECANCELED);
}

TEST(ParallelPort, TheDirectTestLineNeedsAnExistingDevice) {
    TempDir dir;
    ScopedEnv env("VEMIX_LPT1", dir.File("lpt1"));
    TParallelPort port("LPT1");
    EXPECT_FALSE(port.WriteOnce("1234567890\r\n"));
    EXPECT_EQ(port.Failure().Code, ENOENT);
    { std::ofstream(dir.File("lpt1")) << ""; }
    EXPECT_TRUE(port.WriteOnce("1234567890\r\n"));
    EXPECT_EQ(ReadFileBytes(dir.File("lpt1")), "1234567890\r\n");
}

TEST(SerialPort, TheDriverWritesTheBytesToTheMappedDevice) {
    Pty pty;
    TSerialDriver driver;
    TPortRegistry ports(driver, nullptr);
    // The device chosen in the settings, and the variable that overrides it for one run.
    SetConfiguredDevice("COM3", pty.SlavePath());
    EXPECT_EQ(DeviceSource("COM3"), dsSettings);
    EXPECT_EQ(ports.Serial(3).Device(), pty.SlavePath());
    const std::string bytes("\x1B\x61\x05\x00", 4);
    EXPECT_TRUE(Cycle(ports.Serial(3), bytes));
    EXPECT_EQ(pty.Read(bytes.size()), bytes);
    EXPECT_EQ(driver.ComPort(), pnCOM3);
    EXPECT_FALSE(driver.Connected());
    {
        TempDir dir;
        ScopedEnv env("VEMIX_COM3", dir.File("missing"));
        EXPECT_EQ(DeviceSource("COM3"), dsEnvironment);
        EXPECT_FALSE(ports.Serial(3).Open());
        EXPECT_FALSE(ports.Serial(3).Write("x"));
        EXPECT_TRUE(ports.Serial(3).Write(""));
        ports.Serial(3).Close();
    }
    SetConfiguredDevice("COM3", "");
    EXPECT_EQ(DeviceSource("COM3"), dsDefault);
    EXPECT_EQ(DevicePath("COM3"), "/dev/ttyS2");
}

TEST(PortRegistry, NamesOfThePortGroupAndNothingElse) {
    TSerialDriver driver;
    TPortRegistry ports(driver, nullptr);
    EXPECT_EQ(TPortRegistry::Names(),
              (QStringList{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "NET"}));
    EXPECT_EQ(ports.Find("COM4")->Kind(), pkSerial);
    EXPECT_EQ(ports.Find("LPT2")->Name(), "LPT2");
    EXPECT_EQ(ports.Find("NET")->Kind(), pkNetwork);
    EXPECT_EQ(ports.Find("LPT3"), nullptr);
    EXPECT_EQ(ports.Find("com1"), nullptr);
    EXPECT_EQ(ports.Find("COM5"), nullptr);
}
