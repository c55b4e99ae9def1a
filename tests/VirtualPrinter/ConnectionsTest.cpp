// The real program serving one client after another: network clients queued behind a silent
// one, the printer's state across connections, and the speed of each cycle on the
// pseudo-terminal.
#include "PrinterProcess.h"
#include "SerialDriver/PortSpeed.h"
#include "TempDir.h"

#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <thread>

namespace {

// True when the printer ended the connection (end of file) within the time.
bool ClosedByPrinter(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    char c;
    return poll(&p, 1, timeoutMs) > 0 && read(fd, &c, 1) == 0;
}

// As the program sets a speed: a B-constant where there is one, else the rate itself.
int SetSpeed(int fd, termios t, std::uint32_t rate) {
    const speed_t codes[][2] = {{4800, B4800}, {9600, B9600}, {19200, B19200}, {115200, B115200}};
    for (const auto& c : codes)
        if (c[0] == rate) {
            cfsetspeed(&t, c[1]);
            return tcsetattr(fd, TCSANOW, &t);
        }
    TTermios2Fields f{t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag, {}, rate};
    std::memcpy(f.cc, t.c_cc, sizeof f.cc);
    return SetTermios2(fd, f);
}

} // namespace

TEST(VirtualPrinterConnections, QueueIsServedInOrderPastSilentClientsAndTheStateCarriesOver) {
    Printer printer({"--listen", "127.0.0.1:0", "--idle", "1.5"});
    const std::string address = printer.Line();
    ASSERT_EQ(address.rfind("127.0.0.1:", 0), 0u) << address;
    ASSERT_NE(address, "127.0.0.1:0") << "the port taken is printed";
    // Connected in this order, so they queue: one that says nothing, one that stops in the
    // middle of a line and of a command (ESC E 1), one that completes both, and as many as
    // the program makes for a receipt, one line each.
    const int silent = ConnectTo(address);
    const int partial = ConnectTo(address);
    ASSERT_TRUE(silent >= 0 && partial >= 0);
    Send(partial, "Hel\x1b");
    std::vector<int> queue;
    for (int i = 0; i <= 30; ++i) {
        const int fd = ConnectTo(address, 1000);
        ASSERT_GE(fd, 0) << "connection " << i << " waits in the queue";
        Send(fd, i == 0 ? std::string("E\x01lo\n") : "line " + std::to_string(i) + "\n");
        shutdown(fd, SHUT_WR);
        queue.push_back(fd);
    }
    QElapsedTimer queued;
    queued.start();
    EXPECT_TRUE(printer.WaitFor("[bold on]"));
    EXPECT_EQ(printer.Line(), Row("Hello"));
    EXPECT_GE(queued.elapsed(), 2 * 1500 - 500) << "served after both idle limits";
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(printer.Line(), Row("line " + std::to_string(i)));
    queue.insert(queue.end(), {silent, partial});
    for (const int fd : queue)
        EXPECT_TRUE(ClosedByPrinter(fd, 2000));

    // A client that sends a byte now and then is not idle, however long it takes.
    const int slow = ConnectTo(address);
    ASSERT_GE(slow, 0);
    for (const char c : std::string("slow\n")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Send(slow, std::string(1, c));
    }
    EXPECT_TRUE(printer.WaitFor(Row("slow")));
    queue.push_back(slow);
    for (const int fd : queue)
        close(fd);
    EXPECT_EQ(printer.Stop(), 0);
    const QString errors = QString::fromUtf8(printer.Process().readAllStandardError());
    EXPECT_EQ(errors.count("sent nothing for 1.5 s, connection closed"), 2) << errors.toStdString();
}

TEST(VirtualPrinterConnections, IdleLimitIsAPositiveNumberOfSecondsForTheNetworkOnly) {
    struct Case {
        QStringList args;
        const char* says; // on standard error, with the usage
    } cases[] = {{{"--listen", "0", "--idle", "0"}, "seconds above 0"},
                 {{"--listen", "0", "--idle", "ten"}, "seconds above 0"},
                 {{"--listen", "0", "--idle", "1e9"}, "at most 86400"},
                 {{"--idle", "5"}, "--idle is for the connections of --listen"}};
    for (const Case& c : cases) {
        Printer printer(c.args);
        ASSERT_TRUE(printer.Process().waitForFinished(TimeoutMs));
        EXPECT_EQ(printer.Process().exitCode(), 2) << c.args.join(' ').toStdString();
        const QByteArray errors = printer.Process().readAllStandardError();
        EXPECT_TRUE(errors.contains(c.says)) << errors.toStdString();
        EXPECT_TRUE(errors.contains("--idle SECONDS")) << "the usage names it";
    }
}

TEST(VirtualPrinterConnections, PseudoTerminalNotesTheSpeedOfEveryCycleBeforeItsBytes) {
    TempDir dir;
    const std::string link = dir.File("com1");
    Printer printer({"--link", QString::fromStdString(link)});
    ASSERT_FALSE(printer.Line().empty());
    // 14400 and 56000 have no B-constant: the program sets them as a rate of their own.
    const std::uint32_t speeds[] = {9600, 19200, 14400, 4800, 56000, 115200, 9600};
    std::vector<std::string> want;
    for (std::size_t i = 0; i < std::size(speeds); ++i) {
        // As the program's serial port does: open, settings, write, restore, close, at once.
        const int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios saved{}, t{};
        ASSERT_EQ(tcgetattr(fd, &saved), 0);
        t = saved;
        cfmakeraw(&t);
        ASSERT_EQ(SetSpeed(fd, t, speeds[i]), 0);
        const std::string line = "line " + std::to_string(i);
        Send(fd, line + "\n");
        tcsetattr(fd, TCSANOW, &saved);
        close(fd);
        // The next command string after this one printed.
        EXPECT_TRUE(printer.WaitFor(Row(line)));
        want.insert(want.end(), {"[speed " + std::to_string(speeds[i]) + "]", Row(line)});
    }
    EXPECT_EQ(printer.Stop(), 0);
    std::vector<std::string> seen = printer.Seen();
    seen.erase(seen.begin());
    seen.pop_back(); // [end]
    EXPECT_EQ(seen, want);
}
