// Serial driver costs on a pseudo-terminal: the processor time a stalled send burns while it
// waits out its time-out, and the time of one whole command cycle.
#include "SerialDriver/SerialDriver.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct BenchPty {
    int master = -1;
    int slave = -1;
    BenchPty() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            std::abort();
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        setenv("VEMIX_COM1", name, 1);
    }
    ~BenchPty() {
        close(slave);
        close(master);
    }
    void Drain() const {
        char buf[4096];
        while (read(master, buf, sizeof buf) > 0) {
        }
    }
};

double ThreadCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A send held by XOFF for the whole 500 ms time-out: processor time as a share of wall time.
void BM_StalledSendCpu(benchmark::State& state) {
    BenchPty pty;
    TSerialDriver d;
    d.SetComPort(pnCOM1);
    d.SetComPortSwHandshaking(shXONXOFF);
    d.SetOutputTimeout(500);
    if (!d.Connect()) {
        state.SkipWithError("no port");
        return;
    }
    if (write(pty.master, "\x13", 1) != 1)
        std::abort();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double c0 = ThreadCpuSeconds();
        const auto w0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(d.SendString("stalled"));
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
        cpu += ThreadCpuSeconds() - c0;
    }
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["wall_ms"] = 1000.0 * wall / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StalledSendCpu)->Iterations(6)->Unit(benchmark::kMillisecond);

// Open, program the line, write 32 bytes, close: what every command string costs.
void BM_CommandCycle(benchmark::State& state) {
    BenchPty pty;
    TSerialDriver d;
    d.SetComPort(pnCOM1);
    d.SetComPortHwHandshaking(hhNONE);
    const std::string line(32, 'x');
    std::vector<double> cycles;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        d.Connect();
        d.ApplySettings();
        benchmark::DoNotOptimize(d.SendString(line));
        d.Disconnect();
        cycles.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
        state.PauseTiming();
        pty.Drain();
        state.ResumeTiming();
    }
    std::sort(cycles.begin(), cycles.end());
    if (!cycles.empty())
        state.counters["median_us"] = cycles[cycles.size() / 2];
}
BENCHMARK(BM_CommandCycle)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
