// The real program on a FIFO, a regular file and a pseudo-terminal.
#include "PrinterProcess.h"
#include "TempDir.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

void WriteOnce(const std::string& path, const std::string& bytes) {
    // As the program does for LPTn: a non-blocking open, one write, close.
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

} // namespace

TEST(VirtualPrinterProgram, FifoServesOneWriterAfterAnotherAndWritesThePicture) {
    TempDir dir;
    const std::string fifo = dir.File("lpt1");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Printer printer({"--input", QString::fromStdString(fifo), "--png",
                     QString::fromStdString(dir.File("roll.png"))});
    ASSERT_EQ(printer.Line(), fifo) << "the path comes first, once the FIFO is open";
    WriteOnce(fifo, "\n");
    // The second writer comes after the first closed; a lead byte waits for its trail.
    WriteOnce(fifo, "Hello \xb3");
    WriteOnce(fifo, "\x5c\n");
    EXPECT_EQ(printer.Line(), Row(""));
    EXPECT_EQ(printer.Line(), "|Hello 許" + std::string(24, ' ') + "|");
    EXPECT_EQ(printer.Stop(), 0);
    EXPECT_EQ(printer.Seen().back(), "[end]");
    // The paper at one pixel a dot: 384 wide, two lines of 30 dots, the second one printed.
    const QImage roll(QString::fromStdString(dir.File("roll.png")));
    EXPECT_EQ(roll.width(), 384);
    ASSERT_EQ(roll.height(), 60);
    int dark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 384; ++x)
            dark += qGray(roll.pixel(x, y)) < 128 ? (y < 30 ? 1000 : 1) : 0;
    EXPECT_GT(dark, 100);
    EXPECT_LT(dark, 1000);
}

TEST(VirtualPrinterProgram, RegularFileIsReadWholeAndTheProgramEnds) {
    TempDir dir;
    const std::string file = dir.File("lpt2.bin");
    {
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "x\x1dV\x01", 4), 4);
        close(fd);
    }
    Printer printer({"--input", QString::fromStdString(file), "--trace"});
    ASSERT_TRUE(printer.Process().waitForFinished(TimeoutMs));
    EXPECT_EQ(printer.Process().exitCode(), 0);
    while (!printer.Line().empty()) {
    }
    EXPECT_EQ(printer.Seen(), (std::vector<std::string>{file, "# 000000  78  text \"x\"",
                                                        "# 000001  1D 56 01  cut partial", Row("x"),
                                                        "[cut partial]", "[end]"}));
}

TEST(VirtualPrinterProgram, PseudoTerminalShowsLinesAndTheSpeedThroughTheLink) {
    TempDir dir;
    const std::string link = dir.File("com1");
    Printer printer({"--link", QString::fromStdString(link)});
    const std::string slave = printer.Line();
    ASSERT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave;
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(slave, target);

    // Two cycles as the serial driver makes them: open, settings, write, restore, close.
    for (int cycle = 0; cycle < 2; ++cycle) {
        const int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios saved{}, t{};
        ASSERT_EQ(tcgetattr(fd, &saved), 0);
        t = saved;
        cfmakeraw(&t);
        cfsetspeed(&t, B19200);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
        const std::string bytes = cycle == 0 ? "\n" : "Hi\n";
        Send(fd, bytes);
        // Held open until the line is out, so the speed is there to be seen for sure.
        EXPECT_TRUE(printer.WaitFor(cycle == 0 ? Row("") : Row("Hi")));
        tcsetattr(fd, TCSANOW, &saved);
        close(fd);
    }
    EXPECT_EQ(printer.Stop(), 0);
    const auto& seen = printer.Seen();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "[speed 19200]"), 1);
    EXPECT_LT(std::find(seen.begin(), seen.end(), "[speed 19200]") - seen.begin(),
              std::find(seen.begin(), seen.end(), Row("")) - seen.begin());
    EXPECT_EQ(seen.back(), "[end]");
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0) << "the link is removed at the end";
}

TEST(VirtualPrinterProgram, VersionAndHelpEndAtOnceWhateverElseIsGiven) {
    Printer version({"--mode", "EPSON", "--version", "--input", "/nonexistent"});
    ASSERT_TRUE(version.Process().waitForFinished(TimeoutMs));
    EXPECT_EQ(version.Process().exitCode(), 0);
    EXPECT_TRUE(QRegularExpression("^vemix-printer \\d+\\.\\d+\\.\\d+\\n$")
                    .match(QString::fromUtf8(version.Process().readAllStandardOutput()))
                    .hasMatch());

    Printer help({"--help"});
    ASSERT_TRUE(help.Process().waitForFinished(TimeoutMs));
    EXPECT_EQ(help.Process().exitCode(), 0);
    const QString usage = QString::fromUtf8(help.Process().readAllStandardOutput());
    EXPECT_TRUE(usage.startsWith("usage: vemix-printer")) << usage.toStdString();
    EXPECT_TRUE(usage.contains("--version"));
}

TEST(VirtualPrinterProgram, NetworkPrinterPutsEveryConnectionOnTheSamePaper) {
    Printer printer({"--listen", "0", "--mode", "START"});
    const std::string address = printer.Line();
    ASSERT_EQ(address.rfind("127.0.0.1:", 0), 0u) << address;
    const int port = std::stoi(address.substr(address.find(':') + 1));
    // As the program's network port sends: one connection per command string.
    for (const std::string& bytes : {std::string("Hel"), std::string("lo\n"),
                                     std::string("\x1b"
                                                 "C\x01")}) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    EXPECT_TRUE(printer.WaitFor(Row("Hello")));
    EXPECT_TRUE(printer.WaitFor("[cut n=1]"));
    EXPECT_EQ(printer.Stop(), 0);
}

TEST(VirtualPrinterProgram, ListenRefusesAnAddressItCannotTake) {
    for (const char* bad : {"70000", "printer.example:9100", "127.0.0.1:x", "a b"}) {
        Printer printer({"--listen", bad});
        ASSERT_TRUE(printer.Process().waitForFinished(TimeoutMs));
        EXPECT_EQ(printer.Process().exitCode(), 2) << bad;
        EXPECT_TRUE(printer.Process().readAllStandardError().contains("--listen")) << bad;
    }
}

TEST(VirtualPrinterProgram, AnswersAClientOnItsConnectionInEveryState) {
    struct State {
        QStringList args;
        std::string status; // the automatic status back
        int paper;          // GS r 1
    } states[] = {
        {{}, Bytes({0x10, 0, 0, 0}), 0},
        {{"--paper", "near-end"}, Bytes({0x10, 0, 0x03, 0}), 0x03},
        {{"--paper", "out"}, Bytes({0x18, 0, 0x0F, 0}), 0x0F},
        {{"--cover", "open"}, Bytes({0x38, 0, 0, 0}), 0},
        {{"--drawer", "open"}, Bytes({0x14, 0, 0, 0}), 0},
        {{"--offline"}, Bytes({0x18, 0, 0, 0}), 0},
    };
    for (const State& s : states) {
        SCOPED_TRACE(s.args.join(' ').toStdString());
        Printer printer(QStringList{"--listen", "0"} + s.args);
        const int fd = ConnectTo(printer.Line());
        ASSERT_GE(fd, 0);
        Send(fd, Bytes({0x1d, 'I', 0x42}));
        EXPECT_EQ(ReadExactly(fd, 7), std::string("\x5fVEMIX\0", 7));
        Send(fd, Bytes({0x1d, 'I', 0x43}));
        const std::string model = ReadExactly(fd, 15, 1000);
        EXPECT_EQ(model.front(), '\x5f');
        EXPECT_EQ(model.back(), '\0');
        Send(fd, Bytes({0x1d, 'a', 0xff}));
        EXPECT_EQ(ReadExactly(fd, 4), s.status);
        // A receipt of the commands a shop prints, ending with the paper sensor request.
        Send(fd, Bytes({0x1b, '@', 0x1b, 'a', 1, 0x1b, 'E', 1}) + "Shop\n" +
                     Bytes({0x1b, 'E', 0, 0x1d, '!', 0x11}) + "Total 100\n" +
                     Bytes({0x1d, 'v', '0', 0, 1, 0, 2, 0, 0x1d, 'V'}) + Bytes({0x1d, 'k', 4}) +
                     "12345" + std::string(1, '\0') + Bytes({0x1d, 'V', 0x41, 3, 0x1d, 'r', 1}));
        EXPECT_EQ(ReadExactly(fd, 1), std::string(1, static_cast<char>(s.paper)));
        close(fd);
        EXPECT_TRUE(printer.WaitFor("[paper sensor request]"));
        EXPECT_EQ(printer.Stop(), 0);
        const auto& seen = printer.Seen();
        for (const char* line :
             {"[identity request 66]", "[identity request 67]", "[auto status on]", "[bold on]",
              "[size 2x2]", "[image 8x2]", "[barcode CODE39 12345]", "[cut full, feed 3]"})
            EXPECT_NE(std::find(seen.begin(), seen.end(), line), seen.end()) << line;
        EXPECT_EQ(std::count_if(seen.begin(), seen.end(),
                                [](const std::string& l) { return l.rfind("[unknown", 0) == 0; }),
                  0);
    }
}

TEST(VirtualPrinterProgram, AnswersOnThePseudoTerminalAndSilentAnswersNothing) {
    for (const bool silent : {false, true}) {
        TempDir dir;
        const std::string link = dir.File("com1");
        QStringList args{"--link", QString::fromStdString(link), "--paper", "out"};
        if (silent)
            args << "--silent";
        Printer printer(args);
        ASSERT_FALSE(printer.Line().empty());
        const int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        Send(fd, Bytes({0x10, 4, 1, 0x10, 4, 2, 0x10, 4, 3, 0x10, 4, 4}));
        if (silent)
            EXPECT_EQ(ReadExactly(fd, 1, 700), "");
        else
            EXPECT_EQ(ReadExactly(fd, 4), "\x1A\x32\x12\x7E");
        EXPECT_TRUE(printer.WaitFor("[status request 4]"));
        close(fd);
        EXPECT_EQ(printer.Stop(), 0);
    }
}
