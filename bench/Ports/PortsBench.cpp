// The network port's command cycle (connect, write 32 bytes, close) against the same cycle
// written plainly with POSIX sockets, to one loopback listener in the same run; and how late
// a pause that keeps the window alive ends.
#include "Ports/NetPort.h"
#include "Rtl/Events.h"

#include <QCoreApplication>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Accepts one connection after another on 127.0.0.1 and reads each to its end.
class Listener {
  public:
    Listener() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(fd_, 64) != 0)
            std::abort();
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        address_ = a;
        thread_ = std::thread([this] { Serve(); });
    }
    ~Listener() {
        stop_ = true;
        shutdown(fd_, SHUT_RDWR);
        thread_.join();
        close(fd_);
    }
    const sockaddr_in& Address() const { return address_; }
    std::uint16_t Port() const { return ntohs(address_.sin_port); }

  private:
    void Serve() {
        char buf[4096];
        while (!stop_) {
            const int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                continue;
            while (read(c, buf, sizeof buf) > 0) {
            }
            close(c);
        }
    }
    int fd_ = -1;
    sockaddr_in address_{};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

double MicrosSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

// Both cycles alternate, so a busy moment of the machine weighs on both alike.
void BM_NetCycleAgainstPlainSockets(benchmark::State& state) {
    Listener printer;
    TNetPort port;
    port.SetAddress(TNetAddress{"127.0.0.1", printer.Port()});
    const std::string line(32, 'x');
    std::vector<double> net, plain;
    for (auto _ : state) {
        auto t0 = Clock::now();
        const bool ok = port.Open() && port.Write(line);
        port.Close();
        net.push_back(MicrosSince(t0));
        if (!ok) {
            state.SkipWithError("the network port failed");
            return;
        }
        t0 = Clock::now();
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&printer.Address()),
                    sizeof(sockaddr_in)) != 0 ||
            write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            state.SkipWithError("the plain cycle failed");
            close(fd);
            return;
        }
        close(fd);
        plain.push_back(MicrosSince(t0));
    }
    state.counters["net_us"] = Median(net);
    state.counters["plain_us"] = Median(plain);
    state.counters["ratio"] = Median(net) / Median(plain);
    state.counters["net_mean_us"] = Mean(net);
    state.counters["plain_mean_us"] = Mean(plain);
}
// Each cycle leaves a connection in TIME_WAIT: a bounded count keeps the ports free.
BENCHMARK(BM_NetCycleAgainstPlainSockets)->Iterations(3000)->Unit(benchmark::kMicrosecond);

// A pause of 20 ms that keeps the window alive: how late it ends.
void BM_PauseLateness(benchmark::State& state) {
    std::vector<double> late;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        Pause(20);
        late.push_back(MicrosSince(t0) / 1000.0 - 20.0);
    }
    state.counters["late_median_ms"] = Median(late);
    state.counters["late_max_ms"] = *std::max_element(late.begin(), late.end());
}
BENCHMARK(BM_PauseLateness)->Iterations(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // As in the window: waits run the application's events.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
