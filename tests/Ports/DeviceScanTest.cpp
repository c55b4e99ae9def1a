// The devices offered in the port settings, from a device tree built by the test.
#include "Ports/DeviceScan.h"
#include "Ports/DeviceProbe.h"
#include "Pty.h"
#include "TempDir.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
void Touch(const std::string& path, const std::string& content = {}) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << content;
}
} // namespace

TEST(DeviceScan, SerialDevicesByStableNameFirstAndOnlyUartsThatExist) {
    TempDir root;
    const std::string r = root.Path();
    for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyUSB2", "ttyACM0", "rfcomm0",
                             "ttyS0", "ttyS1", "tty", "ttyprintk", "lp0"})
        Touch(r + "/dev/" + node);
    Touch(r + "/dev/usb/lp0");
    Touch(r + "/sys/class/tty/ttyS0/type", "4\n");
    Touch(r + "/sys/class/tty/ttyS1/type", "0\n");
    fs::create_directories(r + "/dev/serial/by-id");
    fs::create_symlink("../../ttyUSB1",
                       r + "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9A5K3VX-if00-port0");

    std::vector<std::string> paths, labels;
    for (const TFoundDevice& d : FindSerialDevices(r)) {
        paths.push_back(d.Path.substr(r.size()));
        labels.push_back(d.Label);
    }
    EXPECT_EQ(paths,
              (std::vector<std::string>{
                  "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9A5K3VX-if00-port0", "/dev/ttyUSB0",
                  "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/rfcomm0", "/dev/ttyS0"}))
        << ::testing::PrintToString(paths);
    EXPECT_EQ(labels.at(0), "FTDI FT232R USB UART A9A5K3VX (ttyUSB1)");

    std::vector<std::string> printers;
    for (const TFoundDevice& d : FindPrinterDevices(r))
        printers.push_back(d.Path.substr(r.size()));
    EXPECT_EQ(printers, (std::vector<std::string>{"/dev/usb/lp0", "/dev/lp0"}));

    EXPECT_EQ(ReadableSerialName("usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0"),
              "Prolific Technology Inc. USB-Serial Controller");
    EXPECT_EQ(ReadableSerialName("usb-1a86_USB2.0-Ser_-if00"), "1a86 USB2.0-Ser ");
    EXPECT_TRUE(FindSerialDevices(r + "/nothing").empty());
}

TEST(DeviceProbe, OpensAndClosesWithoutAByteAndSaysWhyNot) {
    Pty pty;
    const TProbeResult ok = ProbeSerial("COM1", pty.SlavePath());
    EXPECT_TRUE(ok.Ok) << ok.Reason;
    EXPECT_EQ(pty.ReadAll(50), "");

    TempDir dir;
    const TProbeResult missing = ProbeSerial("COM1", dir.File("ttyUSB9"));
    EXPECT_FALSE(missing.Ok);
    EXPECT_EQ(missing.Code, ENOENT);
    EXPECT_NE(missing.Hint.find("VEMIX_COM1"), std::string::npos);

    Touch(dir.File("plain"));
    const TProbeResult notTty = ProbeSerial("COM2", dir.File("plain"));
    EXPECT_EQ(notTty.Code, ENOTTY);
    EXPECT_EQ(notTty.Reason, "not a serial device");

    // A file of our own is fine and made at the first print; a FIFO needs its reader.
    const TProbeResult file = ProbeParallel("LPT1", dir.File("new.bin"));
    EXPECT_TRUE(file.Ok);
    EXPECT_FALSE(fs::exists(dir.File("new.bin")));
    EXPECT_EQ(file.Hint, "the file is created at the first print");
    mkfifo(dir.File("fifo").c_str(), 0600);
    const TProbeResult fifo = ProbeParallel("LPT1", dir.File("fifo"));
    EXPECT_EQ(fifo.Code, ENXIO);
    EXPECT_EQ(fifo.Reason, "no program reads this FIFO");
    EXPECT_EQ(ProbeParallel("LPT2", "/dev/vemix-missing-lp9").Code, ENOENT);
    EXPECT_FALSE(fs::exists("/dev/vemix-missing-lp9"));
}
