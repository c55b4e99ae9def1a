#include "Service.h"

#include "Pictures.h"

#include "PaperView/PaperImage.h"
#include "Ports/NetAddress.h"
#include "Receipt/Printer.h"
#include "Receipt/TerminalView.h"
#include "Rtl/CodePage.h"
#include "Rtl/Strings.h"
#include "SerialDriver/PortSpeed.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The printer the ports feed and the paper it prints on.
using Decoder = TPrinter;
using Paper = TPaper;

volatile sig_atomic_t stopFd = -1;
// SIGINT and SIGTERM received, so that long work can see one came.
volatile sig_atomic_t stops = 0;

void OnStop(int) {
    stops = stops + 1;
    if (stopFd >= 0) {
        const char c = 1;
        [[maybe_unused]] ssize_t r = write(stopFd, &c, 1);
    }
}

// A descriptor closed on every path.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void Reset(int fd = -1) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// SIGINT and SIGTERM wake the poll loop through a pipe.
class StopSignal {
  public:
    StopSignal() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        read_.Reset(fds[0]);
        write_.Reset(fds[1]);
        stopFd = fds[1];
        struct sigaction sa {};
        sa.sa_handler = OnStop;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &oldInt_);
        sigaction(SIGTERM, &sa, &oldTerm_);
        signal(SIGPIPE, SIG_IGN);
    }
    ~StopSignal() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        stopFd = -1;
    }
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    int fd() const { return read_.get(); }

  private:
    Fd read_, write_;
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

bool stdoutBroken = false;

// Writes an answer; a peer that went away or takes nothing for a second loses it.
void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        pollfd p{fd, POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && poll(&p, 1, 1000) > 0)
            continue;
        return;
    }
}

void WriteLine(const std::string& line) {
    if (stdoutBroken)
        return;
    // Flushed per line: a test reading through a pipe sees each line at once.
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() ||
        std::fputc('\n', stdout) == EOF || std::fflush(stdout) != 0)
        stdoutBroken = true;
}

// Waits for input or a stop; returns false on a stop (or when nobody reads our output).
bool Wait(int fd, int stop, int timeoutMs) {
    pollfd fds[2] = {{stop, POLLIN, 0}, {fd, POLLIN, 0}};
    const int n = fd >= 0 ? 2 : 1;
    for (;;) {
        const int r = poll(fds, n, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || fds[0].revents || stdoutBroken)
            return false;
        return true;
    }
}

// A new pseudo-terminal: the program writes on the slave, the printer reads the master.
class PseudoTerminal {
  public:
    // Its output starts held (see LineHold); nobody can find it before Link or Path.
    PseudoTerminal() {
        master_.Reset(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (master_.get() < 0 || grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0)
            throw std::runtime_error(std::string("pseudo-terminal: ") + std::strerror(errno));
        char name[128];
        if (ptsname_r(master_.get(), name, sizeof name) != 0)
            throw std::runtime_error(std::string("ptsname: ") + std::strerror(errno));
        path_ = name;
        // Held open so the line does not hang up between the program's open-close cycles.
        slave_.Reset(open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (slave_.get() < 0)
            throw std::runtime_error(path_ + ": " + std::strerror(errno));
        termios t{};
        tcgetattr(slave_.get(), &t);
        cfmakeraw(&t);
        // Speed 0 while no program holds the line, so every speed a program sets is seen;
        // EXTPROC makes the kernel tell the master about each change (packet mode).
        cfsetispeed(&t, B0);
        cfsetospeed(&t, B0);
        t.c_lflag |= EXTPROC;
        tcsetattr(slave_.get(), TCSANOW, &t);
        int on = 1;
        ioctl(master_.get(), TIOCPKT, &on);
        fcntl(master_.get(), F_SETFL, fcntl(master_.get(), F_GETFL) | O_NONBLOCK);
        Hold(true);
    }
    ~PseudoTerminal() {
        if (link_.empty())
            return;
        char target[256];
        const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path_)
            unlink(link_.c_str());
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& Path() const { return path_; }
    int Master() const { return master_.get(); }
    // The speed the program set (any rate, not only the B-constants), 0 while none holds the
    // line.
    std::uint32_t Speed() const { return GetOutputSpeed(slave_.get()); }
    // Bytes the program wrote that the printer has not read yet.
    int Waiting() const {
        int n = 0;
        return ioctl(master_.get(), FIONREAD, &n) == 0 ? n : 0;
    }
    // Stops or restarts the line's output, as XOFF and XON would.
    void Hold(bool held) const { tcflow(slave_.get(), held ? TCOOFF : TCOON); }

    void Link(const std::string& link) {
        struct stat st {};
        if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
            throw std::runtime_error(link + " exists and is not a symbolic link");
        const std::string tmp = link + ".tmp" + std::to_string(getpid());
        unlink(tmp.c_str());
        if (symlink(path_.c_str(), tmp.c_str()) != 0 || rename(tmp.c_str(), link.c_str()) != 0) {
            const int err = errno;
            unlink(tmp.c_str());
            throw std::runtime_error(link + ": " + std::strerror(err));
        }
        link_ = link;
    }

  private:
    Fd master_, slave_;
    std::string path_, link_;
};

class SpeedWatch {
  public:
    explicit SpeedWatch(Paper& paper) : paper_(paper) {}
    void Sample(std::uint32_t speed) {
        if (speed != 0 && speed != last_) {
            last_ = speed;
            paper_.Note("speed " + std::to_string(speed));
        }
    }

  private:
    Paper& paper_;
    std::uint32_t last_ = 0;
};

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// The program sets its speed, writes and restores the line's settings within microseconds,
// sooner than any watcher wakes, so the speed cannot be caught by looking. Instead the line's
// output is held after every burst of bytes and passes again when new settings with a speed
// come; the program's port waits for room meanwhile, as on a serial line held by XOFF. A
// program that sets no speed, or writes more under the same one, is let through after a moment.
class LineHold {
  public:
    static constexpr int NoSpeedGraceMs = 50;
    static constexpr int SameSpeedGraceMs = 10;

    // Without open and close events nobody could be let through: then nothing is held.
    LineHold(const PseudoTerminal& pty, bool seesOpens)
        : pty_(pty), enabled_(seesOpens), held_(seesOpens) {
        if (!seesOpens)
            pty_.Hold(false);
    }
    void Opened(int opened, int closed) {
        opens_ = std::max(0, opens_ + opened - closed);
        if (opened > 0)
            lastEvent_ = Clock::now();
    }
    void SettingsChanged() {
        lastEvent_ = Clock::now();
        changed_ = true;
    }
    // Bytes arrived: nothing more passes until the speed has been read again.
    void Hold() {
        if (!held_)
            heldAt_ = Clock::now();
        Set(true);
        changed_ = false;
    }
    void Decide(std::uint32_t speed) { Set(MsToWait(speed) != 0); }
    // How long the printer may sleep before Decide would decide otherwise (-1: until an event).
    int WaitMs(std::uint32_t speed) const { return held_ ? MsToWait(speed) : -1; }

  private:
    // 0: let bytes through now; -1: hold until an event.
    int MsToWait(std::uint32_t speed) const {
        if (speed != 0 && changed_)
            return 0;
        if (speed != 0)
            return Left(heldAt_, SameSpeedGraceMs);
        return opens_ == 0 ? -1 : Left(lastEvent_, NoSpeedGraceMs);
    }
    static int Left(Clock::time_point since, int ms) {
        return static_cast<int>(std::max<long long>(0, ms - MsSince(since)));
    }
    void Set(bool held) {
        if (!enabled_ || held == held_)
            return;
        pty_.Hold(held);
        held_ = held;
    }

    const PseudoTerminal& pty_;
    bool enabled_;
    bool held_; // the terminal starts held
    bool changed_ = false;
    int opens_ = 0;
    Clock::time_point lastEvent_ = Clock::now();
    Clock::time_point heldAt_ = Clock::now();
};

// Reads the master once; false when nothing was there.
bool ReadMaster(const PseudoTerminal& pty, Decoder& decoder, LineHold& hold) {
    char buf[4096];
    const ssize_t n = read(pty.Master(), buf, sizeof buf);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return false;
        throw std::runtime_error(std::string("read: ") + std::strerror(errno));
    }
    if (n == 0)
        return false;
    // Packet mode: a status byte first; 0 means data follows, TIOCPKT_IOCTL new settings.
    if (buf[0] == TIOCPKT_DATA)
        decoder.Feed(buf + 1, static_cast<std::size_t>(n - 1));
    else if (buf[0] & TIOCPKT_IOCTL)
        hold.SettingsChanged();
    return true;
}

// Opens and closes of the line since the last call.
void ReadOpenEvents(int notify, LineHold& hold) {
    char events[4096];
    int opened = 0, closed = 0;
    const ssize_t n = read(notify, events, sizeof events);
    for (ssize_t i = 0; i < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(events + i);
        opened += (e->mask & IN_OPEN) ? 1 : 0;
        closed += (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) ? 1 : 0;
        i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
    hold.Opened(opened, closed);
}

void ServePty(const Options& o, Decoder& decoder, Paper& paper, const StopSignal& stop) {
    PseudoTerminal pty;
    // Every open is seen and the line is held before anybody can find it.
    Fd notify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (notify.get() >= 0 && inotify_add_watch(notify.get(), pty.Path().c_str(),
                                               IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
        notify.Reset();
    LineHold hold(pty, notify.get() >= 0);
    if (!o.link.empty())
        pty.Link(o.link);
    WriteLine(pty.Path());
    // Answers go back on the line, to whoever holds the other end.
    decoder.SetOnReply([&pty](const std::string& bytes) { WriteAll(pty.Master(), bytes); });
    SpeedWatch speed(paper);
    for (;;) {
        pollfd fds[3] = {
            {stop.fd(), POLLIN, 0}, {pty.Master(), POLLIN, 0}, {notify.get(), POLLIN, 0}};
        if (poll(fds, notify.get() >= 0 ? 3 : 2, hold.WaitMs(pty.Speed())) < 0 && errno != EINTR)
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        if (fds[0].revents || stdoutBroken)
            break;
        if (fds[2].revents)
            ReadOpenEvents(notify.get(), hold);
        if (pty.Waiting() > 0)
            hold.Hold();
        // The speed is read before the bytes, so its marker comes before what they print.
        speed.Sample(pty.Speed());
        while (ReadMaster(pty, decoder, hold)) {
        }
        const std::uint32_t now = pty.Speed();
        speed.Sample(now);
        hold.Decide(now);
    }
}

// Reads what is there now; false at the end of the file. A stop ends it early: a long file is
// not read to its end first.
bool Drain(int fd, Decoder& decoder) {
    char buf[4096];
    for (;;) {
        if (stops)
            return true;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) {
            decoder.Feed(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return true;
        if (n < 0)
            throw std::runtime_error(std::string("read: ") + std::strerror(errno));
        return false;
    }
}

void ServeInput(const Options& o, Decoder& decoder, const StopSignal& stop) {
    if (o.input == "-") {
        // Standard input, read until it ends.
        WriteLine(o.input);
        const int flags = fcntl(0, F_GETFL);
        fcntl(0, F_SETFL, flags | O_NONBLOCK);
        while (Wait(0, stop.fd(), -1) && Drain(0, decoder)) {
        }
        fcntl(0, F_SETFL, flags);
        return;
    }
    struct stat st {};
    if (stat(o.input.c_str(), &st) != 0)
        throw std::runtime_error(o.input + ": " + std::strerror(errno));
    if (S_ISFIFO(st.st_mode)) {
        Fd in(open(o.input.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (in.get() < 0)
            throw std::runtime_error(o.input + ": " + std::strerror(errno));
        // Our own writer keeps the FIFO open between the program's cycles, so a writer that
        // opens without blocking always finds a reader and the stream never ends early.
        Fd keeper(open(o.input.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        WriteLine(o.input);
        while (Wait(in.get(), stop.fd(), -1))
            Drain(in.get(), decoder);
        return;
    }
    Fd in(open(o.input.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0)
        throw std::runtime_error(o.input + ": " + std::strerror(errno));
    WriteLine(o.input);
    if (!S_ISREG(st.st_mode)) {
        // A terminal or another stream: read until it ends.
        while (Wait(in.get(), stop.fd(), -1))
            if (!Drain(in.get(), decoder))
                return;
        return;
    }
    off_t pos = 0;
    for (;;) {
        Drain(in.get(), decoder);
        pos = lseek(in.get(), 0, SEEK_CUR);
        if (!o.follow || !Wait(-1, stop.fd(), 100))
            return;
        struct stat now {};
        // A file written anew (create-always) is read again from its start.
        if (fstat(in.get(), &now) == 0 && now.st_size < pos)
            lseek(in.get(), 0, SEEK_SET);
    }
}

// The port of "host:port" or "[v6]:port" as written; empty when none is given.
std::string PortText(const std::string& text) {
    if (!text.empty() && text[0] == '[') {
        const auto close = text.find("]:");
        return close == std::string::npos ? "" : text.substr(close + 2);
    }
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        return "";
    return text.substr(colon + 1);
}

// "9100" alone is a port on the loopback address; otherwise host[:port] as the program takes it,
// and port 0 as well: the system picks a free one.
std::optional<TSockAddr> ListenAddress(const std::string& text, std::string& error) {
    std::optional<TNetAddress> address;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        if (text.size() > 5 || std::stoi(text) > 65535) {
            error = "--listen: the port is not a number from 0 to 65535";
            return std::nullopt;
        }
        address = TNetAddress{"127.0.0.1", static_cast<std::uint16_t>(std::stoi(text))};
    } else {
        // The program's addresses never name port 0; a listener may.
        const std::string port = PortText(text);
        const bool anyPort = !port.empty() && port.find_first_not_of('0') == std::string::npos;
        const std::string probe = anyPort ? text.substr(0, text.size() - port.size()) + "1" : text;
        TNetAddressProblem problem = apNone;
        address = ParseNetAddress(probe, &problem);
        if (!address) {
            error = problem == apBadPort
                        ? "--listen: the port is not a number from 0 to 65535"
                        : std::string("--listen: ") + NetAddressProblemReason(problem);
            return std::nullopt;
        }
        if (anyPort)
            address->Port = 0;
    }
    TSockAddr bound;
    if (!NumericAddress(address->Host, address->Port, bound)) {
        error = "--listen: the host must be an IP address, for example 127.0.0.1";
        return std::nullopt;
    }
    return bound;
}

// "1.5" seconds as milliseconds: above 0 and at most a day.
std::optional<int> IdleMs(const std::string& text) {
    double seconds = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
    if (ec != std::errc() || ptr != end || !(seconds > 0) || seconds > 86400)
        return std::nullopt;
    const auto ms = static_cast<int>(std::lround(seconds * 1000));
    return ms > 0 ? std::optional<int>(ms) : std::nullopt;
}

// Milliseconds as seconds, "10" or "1.5", whatever the locale.
std::string SecondsText(int ms) {
    char buf[32];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, ms / 1000.0);
    return ec == std::errc() ? std::string(buf, ptr) : std::to_string(ms / 1000);
}

void Listen(const Options& o, Fd& server) {
    std::string error;
    const std::optional<TSockAddr> address = ListenAddress(o.listen, error);
    if (!address)
        throw std::runtime_error(error);
    server.Reset(socket(address->Addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    setsockopt(server.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // A long queue: the program makes one connection per command string, and they wait here
    // while another client holds the printer.
    if (server.get() < 0 ||
        bind(server.get(), reinterpret_cast<const sockaddr*>(&address->Addr), address->Len) != 0 ||
        listen(server.get(), SOMAXCONN) != 0)
        throw std::runtime_error(o.listen + ": " + std::strerror(errno));
    TSockAddr actual;
    actual.Len = sizeof actual.Addr;
    getsockname(server.get(), reinterpret_cast<sockaddr*>(&actual.Addr), &actual.Len);
    WriteLine(SockAddrText(actual));
}

// One connection, until the program closes its end or sends nothing for the idle limit, as a
// printer closes a connection that went quiet; false on a stop.
bool ServeConnection(int client, const std::string& peer, const Options& o, Decoder& decoder,
                     int stop) {
    // Answers go back on the connection that asked.
    decoder.SetOnReply([client](const std::string& bytes) { WriteAll(client, bytes); });
    auto last = Clock::now();
    bool stopped = false;
    for (;;) {
        const long long left = o.idleMs - MsSince(last);
        if (left <= 0) {
            std::fprintf(stderr, "vemix-printer: %s sent nothing for %s s, connection closed\n",
                         peer.c_str(), SecondsText(o.idleMs).c_str());
            break;
        }
        pollfd fds[2] = {{stop, POLLIN, 0}, {client, POLLIN, 0}};
        const int r = poll(fds, 2, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || fds[0].revents || stdoutBroken) {
            stopped = true;
            break;
        }
        if (r == 0)
            continue;
        char buf[4096];
        const ssize_t n = read(client, buf, sizeof buf);
        if (n > 0) {
            decoder.Feed(buf, static_cast<std::size_t>(n));
            last = Clock::now();
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    decoder.SetOnReply(nullptr);
    return !stopped;
}

// A network printer: one connection at a time, in the order they came, like a printer on its
// raw port. The printer is one and the same for all of them: its state, and a line or command
// a connection left unfinished, carry over to the next.
void ServeNetwork(const Options& o, Decoder& decoder, const StopSignal& stop) {
    Fd server;
    Listen(o, server);
    while (Wait(server.get(), stop.fd(), -1)) {
        TSockAddr peer;
        peer.Len = sizeof peer.Addr;
        Fd client(accept4(server.get(), reinterpret_cast<sockaddr*>(&peer.Addr), &peer.Len,
                          SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (client.get() < 0)
            continue;
        if (!ServeConnection(client.get(), SockAddrText(peer), o, decoder, stop.fd()))
            return;
    }
}

// --paper, --cover, --drawer: the printer's state.
bool TakeState(const std::string& a, const std::string& v, Options& o, std::string& error) {
    if (a == "--paper") {
        const auto level = PaperLevelByName(v);
        if (!level) {
            error = "--paper takes ok, near-end or out";
            return false;
        }
        o.state.Paper = *level;
    } else if (v == "open" || v == "closed") {
        (a == "--cover" ? o.state.CoverOpen : o.state.DrawerOpen) = v == "open";
    } else {
        error = a + " takes open or closed";
        return false;
    }
    return true;
}

// --idle, --width, --chinese and the state with their value; false (and why) when it is wrong.
bool TakeValue(const std::string& a, const std::string& v, Options& o, std::string& error) {
    if (a == "--idle") {
        const std::optional<int> ms = IdleMs(v);
        if (!ms) {
            error = "--idle takes a number of seconds above 0, at most 86400";
            return false;
        }
        o.idleMs = *ms;
        o.idleGiven = true;
    } else if (a == "--width") {
        if (v != "58" && v != "80") {
            error = "--width takes 58 or 80 (mm)";
            return false;
        }
        o.widthDots = v == "58" ? TPaper::Width58 : TPaper::Width80;
    } else if (a == "--chinese") {
        if (v != "on" && v != "off") {
            error = "--chinese takes on or off";
            return false;
        }
        o.chinese = v == "on";
    } else {
        return TakeState(a, v, o, error);
    }
    return true;
}

// The option's text field, for those that take any text; null for another option.
std::string* TextField(const std::string& a, Options& o) {
    if (a == "--mode")
        return &o.mode;
    if (a == "--codepage")
        return &o.codePage;
    if (a == "--input")
        return &o.input;
    if (a == "--link")
        return &o.link;
    if (a == "--listen")
        return &o.listen;
    if (a == "--png")
        return &o.png;
    return nullptr;
}

// An option without a value; false for another option.
bool TakeFlag(const std::string& a, Options& o) {
    bool* flag = a == "--offline"  ? &o.state.Offline
                 : a == "--silent" ? &o.state.Silent
                 : a == "--trace"  ? &o.trace
                 : a == "--follow" ? &o.follow
                                   : nullptr;
    if (flag)
        *flag = true;
    return flag != nullptr;
}

bool TakesValue(const std::string& a) {
    for (const char* name : {"--idle", "--paper", "--cover", "--drawer", "--width", "--chinese"})
        if (a == name)
            return true;
    return false;
}

// The options that go together, and the mode and address that exist.
bool CheckTogether(const Options& o, std::string& error) {
    if (!CommandSetByName(o.mode)) {
        error = "unknown mode " + o.mode + " (EPSON, START or TP-3688)";
        return false;
    }
    if (!o.input.empty() && !o.link.empty()) {
        error = "--link is for the pseudo-terminal, not with --input";
        return false;
    }
    if (!o.listen.empty()) {
        if (!o.input.empty() || !o.link.empty()) {
            error = "--listen is a port of its own, not with --input or --link";
            return false;
        }
        if (!ListenAddress(o.listen, error))
            return false;
    }
    if (o.idleGiven && o.listen.empty()) {
        error = "--idle is for the connections of --listen";
        return false;
    }
    if (o.follow && o.input.empty()) {
        error = "--follow needs --input";
        return false;
    }
    return true;
}

} // namespace

const char* Usage() {
    return "usage: vemix-printer [--mode EPSON|START|TP-3688] [--codepage NAME]\n"
           "                     [--input PATH [--follow] | --link PATH |\n"
           "                      --listen [HOST:]PORT [--idle SECONDS]] [--trace] [--png FILE]\n"
           "                     [--paper ok|near-end|out] [--cover open|closed]\n"
           "                     [--drawer open|closed] [--offline] [--silent]\n"
           "                     [--width 58|80] [--chinese on|off]\n"
           "       vemix-printer --help | --version\n"
           "Without --input or --listen it listens on a new pseudo-terminal and prints its\n"
           "path first; --input - reads standard input until it ends; --listen takes TCP\n"
           "connections (on 127.0.0.1 unless HOST is given; PORT 0 picks a free one) and\n"
           "prints the address first; it serves them one at a time, in order, and closes one\n"
           "that sends nothing for --idle seconds (10 by default). In EPSON mode it answers\n"
           "the status requests (DLE EOT, GS a, GS r, GS I) on the pseudo-terminal or the\n"
           "connection as a printer in the state the options give (paper, cover, drawer, off\n"
           "line); --silent answers nothing. --width is the paper (58 mm: 384 dots and 32\n"
           "columns, the default; 80 mm: 576 dots and 48 columns); --chinese off starts\n"
           "the printer with Chinese mode off (FS & turns it on). --png writes the paper\n"
           "at one pixel a dot; past 200000 dots it goes on in FILE-2, FILE-3, ...\n"
           "See vemix-printer(1).\n";
}

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--version") {
            o.version = true;
            return o;
        }
        if (a == "--help" || a == "-h") {
            error.clear();
            return std::nullopt;
        }
        if (TakeFlag(a, o))
            continue;
        std::string* text = TextField(a, o);
        if (!text && !TakesValue(a)) {
            error = "unknown argument " + a;
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            error = a + " needs a value";
            return std::nullopt;
        }
        const std::string value = argv[++i];
        if (text)
            *text = value;
        else if (!TakeValue(a, value, o, error))
            return std::nullopt;
    }
    if (!CheckTogether(o, error))
        return std::nullopt;
    return o;
}

int RunPrinter(const Options& o) {
    try {
        StopSignal stop;
        const TCodePage codePage(o.codePage.empty() ? AnsiCodePage() : o.codePage);
        Paper paper(codePage, o.widthDots, o.chinese);
        TTerminalView view(WriteLine, PaperColumns(paper.WidthDots()));
        paper.AddObserver(view);
        // A stop while serving ends the serving, and the pictures are drawn after it; any
        // other stop ends the drawing, and no picture is drawn after it.
        int stopsAllowed = 0;
        TRollPictures pictures(o.png, o.widthDots,
                               [&stopsAllowed] { return stops != stopsAllowed; });
        auto draw = [&](const TPaperSheet& sheet) { return pictures.Write(sheet); };
        bool written = true;
        TPaperRoll roll;
        roll.SetOnSheet([&](const TPaperSheet& sheet) { written = draw(sheet) && written; });
        if (!o.png.empty())
            paper.AddObserver(roll);
        Decoder decoder(*CommandSetByName(o.mode), paper);
        if (o.trace)
            decoder.SetTrace(WriteLine);
        decoder.SetState(o.state);
        int status = 0;
        try {
            if (!o.listen.empty())
                ServeNetwork(o, decoder, stop);
            else if (o.input.empty())
                ServePty(o, decoder, paper, stop);
            else
                ServeInput(o, decoder, stop);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vemix-printer: %s\n", e.what());
            status = 1;
        }
        stopsAllowed = stops;
        decoder.Finish();
        if (!o.png.empty() && !(draw(roll.Sheet()) && written))
            status = 1;
        return status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemix-printer: %s\n", e.what());
        return 1;
    }
}
