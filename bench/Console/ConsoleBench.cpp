// A status request and its decoded answer through the console's open port, as a ratio to the
// same request on a plain file descriptor in the same run: on a pseudo-terminal and on a
// loopback connection, with a printer that answers at once (the receipt unit's own printer).
#include "Console/ConsoleLink.h"
#include "DeviceIo/Devices.h"
#include "Receipt/Printer.h"
#include "Rtl/CodePage.h"

#include <QCoreApplication>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const std::string Request("\x10\x04\x01", 3);

// Answers every request on fd at once; with accept, on each connection in turn.
class Responder {
  public:
    Responder(int fd, bool accept) : fd_(fd), accept_(accept) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Responder() {
        stop_ = true;
        thread_.join();
    }

  private:
    void Run() {
        TCodePage page("CP950");
        TPaper paper(page);
        TPrinter printer(csEPSON, paper);
        int fd = accept_ ? -1 : fd_;
        printer.SetOnReply([&fd](const std::string& bytes) {
            if (::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) [[maybe_unused]]
                ssize_t n = ::write(fd, bytes.data(), bytes.size());
        });
        while (!stop_) {
            pollfd p{fd < 0 ? fd_ : fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            if (fd < 0) {
                fd = ::accept(fd_, nullptr, nullptr);
                continue;
            }
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                printer.Feed(buf, static_cast<std::size_t>(n));
            else if (accept_) {
                ::close(fd);
                fd = -1;
            }
        }
        if (accept_ && fd >= 0)
            ::close(fd);
    }
    int fd_;
    bool accept_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The request on a plain descriptor: write, wait, read the byte, decode it.
double PlainRequest(int fd) {
    const auto t0 = Clock::now();
    if (::write(fd, Request.data(), Request.size()) != 3)
        return -1;
    pollfd p{fd, POLLIN, 0};
    unsigned char answer = 0;
    if (::poll(&p, 1, 500) != 1 || ::read(fd, &answer, 1) != 1)
        return -1;
    TStatusFacts facts;
    if (!ReadRealTimeStatus(srPrinter, answer, facts))
        return -1;
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// The same through the console's link: sent on the held port, read until the answer is decoded.
double ConsoleRequest(TConsoleLink& link, TPort& port, bool& decoded) {
    decoded = false;
    link.OnBurst = [&decoded](const TBurst& burst) {
        for (const TReply& reply : burst.Replies)
            decoded = decoded || (reply.Kind == rkRealTime && reply.Recognised);
    };
    const auto t0 = Clock::now();
    const TLineSent sent = link.Send(port, Request, csEPSON);
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
    return sent.Written && decoded ? us : -1;
}

// Both ways in turn, each iteration; the counters give the medians and their ratio.
void Compare(benchmark::State& state, int plainFd, TConsoleLink& link, TPort& port) {
    std::vector<double> plain, console;
    for (auto _ : state) {
        bool decoded = false;
        const double a = PlainRequest(plainFd);
        const double b = ConsoleRequest(link, port, decoded);
        if (a < 0 || b < 0) {
            state.SkipWithError("no answer");
            return;
        }
        plain.push_back(a);
        console.push_back(b);
        state.SetIterationTime(b / 1e6);
    }
    state.counters["plain_us"] = Median(plain);
    state.counters["console_us"] = Median(console);
    state.counters["ratio"] = Median(console) / Median(plain);
}

void BM_StatusOnAPseudoTerminal(benchmark::State& state) {
    int master = -1, slave = -1;
    char name[128];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    setenv("VEMIX_COM1", name, 1);
    {
        Responder printer(master, false);
        TSerialDriver driver;
        TPortRegistry ports(driver, nullptr);
        TConsoleLink link(ports);
        // The plain descriptor is the slave openpty gave; the console opens the line itself
        // and both share it, each reading its own answers in turn.
        Compare(state, slave, link, ports.Serial(1));
        link.Close();
    }
    ::close(slave);
    ::close(master);
}
BENCHMARK(BM_StatusOnAPseudoTerminal)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// A socket listening on a free port of 127.0.0.1, or -1.
int ListenOnLoopback(sockaddr_in& address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &len) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void BM_StatusOnALoopbackConnection(benchmark::State& state) {
    // A printer for the plain descriptor and one for the console, each with its connection.
    sockaddr_in plainAt{}, consoleAt{};
    const int forPlain = ListenOnLoopback(plainAt);
    const int forConsole = ListenOnLoopback(consoleAt);
    if (forPlain < 0 || forConsole < 0) {
        state.SkipWithError("no loopback socket");
        return;
    }
    {
        Responder plainPrinter(forPlain, true);
        Responder consolePrinter(forConsole, true);
        const int plain = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(plain, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(plain, reinterpret_cast<sockaddr*>(&plainAt), sizeof plainAt) != 0) {
            state.SkipWithError("no connection");
        } else {
            TSerialDriver driver;
            TPortRegistry ports(driver, nullptr);
            ports.Net().SetAddress(TNetAddress{"127.0.0.1", ntohs(consoleAt.sin_port)});
            TConsoleLink link(ports);
            Compare(state, plain, link, ports.Net());
            link.Close();
        }
        ::close(plain);
    }
    ::close(forPlain);
    ::close(forConsole);
}
BENCHMARK(BM_StatusOnALoopbackConnection)
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SetPortOverrideVariables([](const std::string& port) { return "VEMIX_" + port; });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
