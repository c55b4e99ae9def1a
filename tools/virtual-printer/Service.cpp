#include "Service.h"

#include "PaperView/RollImage.h"
#include "Ports/NetAddress.h"
#include "Receipt/Printer.h"
#include "Receipt/TerminalView.h"
#include "Rtl/CodePage.h"
#include "Rtl/Strings.h"

#include <cerrno>
#include <chrono>
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

void OnStop(int) {
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

int SpeedValue(speed_t s) {
    static const struct {
        speed_t code;
        int value;
    } table[] = {{B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
                 {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
                 {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
                 {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
                 {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (const auto& t : table)
        if (t.code == s)
            return t.value;
    return 0;
}

// A new pseudo-terminal: the program writes on the slave, the printer reads the master.
class PseudoTerminal {
  public:
    explicit PseudoTerminal(const std::string& link) {
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
        if (!link.empty())
            MakeLink(link);
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
    // The speed the program set, 0 while none holds the line.
    int Speed() const {
        termios t{};
        if (tcgetattr(slave_.get(), &t) != 0)
            return 0;
        return SpeedValue(cfgetospeed(&t));
    }

  private:
    void MakeLink(const std::string& link) {
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

    Fd master_, slave_;
    std::string path_, link_;
};

class SpeedWatch {
  public:
    explicit SpeedWatch(Paper& paper) : paper_(paper) {}
    void Sample(int speed) {
        if (speed != 0 && speed != last_) {
            last_ = speed;
            paper_.Note("speed " + std::to_string(speed));
        }
    }

  private:
    Paper& paper_;
    int last_ = 0;
};

// Reads the master once; false when nothing was there.
bool ReadMaster(const PseudoTerminal& pty, Decoder& decoder, SpeedWatch& speed) {
    char buf[4096];
    const ssize_t n = read(pty.Master(), buf, sizeof buf);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return false;
        throw std::runtime_error(std::string("read: ") + std::strerror(errno));
    }
    if (n == 0)
        return false;
    // Packet mode: a status byte first; 0 means data follows.
    speed.Sample(pty.Speed());
    if (buf[0] == TIOCPKT_DATA)
        decoder.Feed(buf + 1, static_cast<std::size_t>(n - 1));
    return true;
}

// The program restores the line settings before it closes the port, so the speed it used
// exists only while it holds the port: from its open to its close the printer watches closely.
void WatchCycle(const PseudoTerminal& pty, int notify, Decoder& decoder, SpeedWatch& speed) {
    const auto start = std::chrono::steady_clock::now();
    char events[4096];
    for (;;) {
        speed.Sample(pty.Speed());
        while (ReadMaster(pty, decoder, speed)) {
        }
        const ssize_t n = read(notify, events, sizeof events);
        bool closed = false;
        for (ssize_t i = 0; i < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(events + i);
            closed = (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) != 0 && !(e->mask & IN_OPEN);
            i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
        if (closed || std::chrono::steady_clock::now() - start > std::chrono::milliseconds(20))
            return;
    }
}

void ServePty(const Options& o, Decoder& decoder, Paper& paper, const StopSignal& stop) {
    PseudoTerminal pty(o.link);
    Fd notify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (notify.get() >= 0)
        inotify_add_watch(notify.get(), pty.Path().c_str(),
                          IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    WriteLine(pty.Path());
    // Answers go back on the line, to whoever holds the other end.
    decoder.SetOnReply([&pty](const std::string& bytes) { WriteAll(pty.Master(), bytes); });
    SpeedWatch speed(paper);
    for (;;) {
        pollfd fds[3] = {
            {stop.fd(), POLLIN, 0}, {pty.Master(), POLLIN, 0}, {notify.get(), POLLIN, 0}};
        if (poll(fds, notify.get() >= 0 ? 3 : 2, -1) < 0 && errno != EINTR)
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        if (fds[0].revents || stdoutBroken)
            break;
        if (fds[2].revents) {
            char events[4096];
            bool opened = false;
            const ssize_t n = read(notify.get(), events, sizeof events);
            for (ssize_t i = 0; i < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(events + i);
                opened = opened || (e->mask & IN_OPEN);
                i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
            if (opened)
                WatchCycle(pty, notify.get(), decoder, speed);
        }
        while (ReadMaster(pty, decoder, speed)) {
        }
    }
}

// Reads what is there now; false at the end of the file.
bool Drain(int fd, Decoder& decoder) {
    char buf[4096];
    for (;;) {
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

// "9100" alone is a port on the loopback address; otherwise host[:port] as the program takes it.
std::optional<TSockAddr> ListenAddress(const std::string& text, std::string& error) {
    std::optional<TNetAddress> address;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        if (text.size() > 5 || std::stoi(text) > 65535) {
            error = "--listen: the port is not a number from 0 to 65535";
            return std::nullopt;
        }
        address = TNetAddress{"127.0.0.1", static_cast<std::uint16_t>(std::stoi(text))};
    } else {
        TNetAddressProblem problem = apNone;
        address = ParseNetAddress(text, &problem);
        if (!address) {
            error = std::string("--listen: ") + NetAddressProblemReason(problem);
            return std::nullopt;
        }
    }
    TSockAddr bound;
    if (!NumericAddress(address->Host, address->Port, bound)) {
        error = "--listen: the host must be an IP address, for example 127.0.0.1";
        return std::nullopt;
    }
    return bound;
}

// A network printer: one connection after another, all on the same paper, like a printer on
// its raw port that takes one job at a time.
void ServeNetwork(const Options& o, Decoder& decoder, const StopSignal& stop) {
    std::string error;
    const std::optional<TSockAddr> address = ListenAddress(o.listen, error);
    if (!address)
        throw std::runtime_error(error);
    Fd server(socket(address->Addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    setsockopt(server.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (server.get() < 0 ||
        bind(server.get(), reinterpret_cast<const sockaddr*>(&address->Addr), address->Len) != 0 ||
        listen(server.get(), 16) != 0)
        throw std::runtime_error(o.listen + ": " + std::strerror(errno));
    TSockAddr actual;
    actual.Len = sizeof actual.Addr;
    getsockname(server.get(), reinterpret_cast<sockaddr*>(&actual.Addr), &actual.Len);
    WriteLine(SockAddrText(actual));
    while (Wait(server.get(), stop.fd(), -1)) {
        Fd client(accept4(server.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (client.get() < 0)
            continue;
        // Answers go back on the connection that asked.
        decoder.SetOnReply([&client](const std::string& bytes) { WriteAll(client.get(), bytes); });
        // Until the program closes its end.
        while (Wait(client.get(), stop.fd(), -1)) {
            char buf[4096];
            const ssize_t n = read(client.get(), buf, sizeof buf);
            if (n > 0)
                decoder.Feed(buf, static_cast<std::size_t>(n));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                break;
        }
        decoder.SetOnReply(nullptr);
    }
}

} // namespace

const char* Usage() {
    return "usage: vemix-printer [--mode EPSON|START|TP-3688] [--codepage NAME]\n"
           "                     [--input PATH [--follow] | --link PATH | --listen [HOST:]PORT]\n"
           "                     [--trace] [--png FILE]\n"
           "                     [--paper ok|near-end|out] [--cover open|closed]\n"
           "                     [--drawer open|closed] [--offline] [--silent]\n"
           "       vemix-printer --help | --version\n"
           "Without --input or --listen it listens on a new pseudo-terminal and prints its\n"
           "path first; --input - reads standard input until it ends; --listen takes TCP\n"
           "connections (on 127.0.0.1 unless HOST is given; PORT 0 picks a free one) and\n"
           "prints the address first. In EPSON mode it answers the status requests (DLE EOT,\n"
           "GS a, GS r, GS I) on the pseudo-terminal or the connection as a printer in the\n"
           "state the options give (paper, cover, drawer, off line); --silent answers\n"
           "nothing. See vemix-printer(1).\n";
}

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (a == "--mode" || a == "--codepage" || a == "--input" || a == "--link" || a == "--png" ||
            a == "--listen") {
            std::string& into = a == "--mode"       ? o.mode
                                : a == "--codepage" ? o.codePage
                                : a == "--input"    ? o.input
                                : a == "--link"     ? o.link
                                : a == "--listen"   ? o.listen
                                                    : o.png;
            if (!value(into))
                return std::nullopt;
        } else if (a == "--paper" || a == "--cover" || a == "--drawer") {
            std::string v;
            if (!value(v))
                return std::nullopt;
            if (a == "--paper") {
                const auto level = PaperLevelByName(v);
                if (!level) {
                    error = "--paper takes ok, near-end or out";
                    return std::nullopt;
                }
                o.state.Paper = *level;
            } else if (v == "open" || v == "closed") {
                (a == "--cover" ? o.state.CoverOpen : o.state.DrawerOpen) = v == "open";
            } else {
                error = a + " takes open or closed";
                return std::nullopt;
            }
        } else if (a == "--offline") {
            o.state.Offline = true;
        } else if (a == "--silent") {
            o.state.Silent = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--follow") {
            o.follow = true;
        } else if (a == "--version") {
            o.version = true;
            return o;
        } else if (a == "--help" || a == "-h") {
            error.clear();
            return std::nullopt;
        } else {
            error = "unknown argument " + a;
            return std::nullopt;
        }
    }
    if (!CommandSetByName(o.mode)) {
        error = "unknown mode " + o.mode + " (EPSON, START or TP-3688)";
        return std::nullopt;
    }
    if (!o.input.empty() && !o.link.empty()) {
        error = "--link is for the pseudo-terminal, not with --input";
        return std::nullopt;
    }
    if (!o.listen.empty()) {
        if (!o.input.empty() || !o.link.empty()) {
            error = "--listen is a port of its own, not with --input or --link";
            return std::nullopt;
        }
        if (!ListenAddress(o.listen, error))
            return std::nullopt;
    }
    if (o.follow && o.input.empty()) {
        error = "--follow needs --input";
        return std::nullopt;
    }
    return o;
}

int RunPrinter(const Options& o) {
    try {
        StopSignal stop;
        const TCodePage codePage(o.codePage.empty() ? AnsiCodePage() : o.codePage);
        Paper paper(codePage);
        TTerminalView view(WriteLine, PaperColumns(paper.WidthDots()));
        paper.AddObserver(view);
        TPaperRoll roll;
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
        decoder.Finish();
        if (!o.png.empty() &&
            !SaveRoll(roll, QString::fromStdString(o.png), PaperColumns(paper.WidthDots())))
            status = 1;
        return status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemix-printer: %s\n", e.what());
        return 1;
    }
}
