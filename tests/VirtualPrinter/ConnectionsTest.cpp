// The real program serving one client after another: the speed of each cycle on the
// pseudo-terminal.
#include "PrinterProcess.h"
#include "SerialDriver/PortSpeed.h"
#include "TempDir.h"

#include <cstring>
#include <fcntl.h>
#include <termios.h>

namespace {

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
