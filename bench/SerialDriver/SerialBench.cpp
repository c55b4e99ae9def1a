// Serial driver costs on a pseudo-terminal: the processor time a stalled send burns while it
// waits out its time-out, the time of one whole command cycle, and how long a one-byte answer
// takes to reach the receive handler.
#include "DeviceIo/Devices.h"
#include "SerialDriver/SerialDriver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <random>
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

using Clock = std::chrono::steady_clock;

void LatencyCounters(benchmark::State& state, std::vector<double> ms) {
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
    state.counters["max_ms"] = ms.back();
}

// A one-byte answer at the default settings (poll every 50 ms), awaited in a local event loop
// bounded by 500 ms: from the byte's arrival at the port to the receive handler. The answer
// comes at a random moment of the poll period.
void BM_AnswerLatencyEventLoop(benchmark::State& state) {
    BenchPty pty;
    TSerialDriver d;
    d.SetComPort(pnCOM1);
    if (!d.Connect()) {
        state.SkipWithError("no port");
        return;
    }
    std::mt19937 random(1);
    std::vector<double> ms;
    int missed = 0;
    for (auto _ : state) {
        QEventLoop loop;
        Clock::time_point sent{}, seen{};
        d.SetOnReceiveData([&](TSerialDriver*, const std::uint8_t*, std::uint32_t) {
            seen = Clock::now();
            loop.quit();
        });
        d.PurgeBuffers(true, false);
        QTimer::singleShot(static_cast<int>(random() % 50), &loop, [&] {
            sent = Clock::now();
            if (write(pty.master, "\x12", 1) != 1)
                std::abort();
        });
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
        d.SetOnReceiveData({});
        if (seen > sent)
            ms.push_back(std::chrono::duration<double, std::milli>(seen - sent).count());
        else
            ++missed;
    }
    LatencyCounters(state, ms);
    state.counters["missed"] = missed;
}
BENCHMARK(BM_AnswerLatencyEventLoop)->Iterations(60)->Unit(benchmark::kMillisecond);

// The same answer awaited by calling the driver's poll every millisecond.
void BM_AnswerLatencyPolled(benchmark::State& state) {
    BenchPty pty;
    TSerialDriver d;
    d.SetComPort(pnCOM1);
    if (!d.Connect()) {
        state.SkipWithError("no port");
        return;
    }
    std::mt19937 random(2);
    std::vector<double> ms;
    int missed = 0;
    for (auto _ : state) {
        bool seenOne = false;
        Clock::time_point seen{};
        d.SetOnReceiveData([&](TSerialDriver*, const std::uint8_t*, std::uint32_t) {
            seen = Clock::now();
            seenOne = true;
        });
        d.PurgeBuffers(true, false);
        std::atomic<Clock::rep> sent{0};
        const auto delay = std::chrono::microseconds(random() % 5000);
        std::thread printer([&] {
            std::this_thread::sleep_for(delay);
            sent = Clock::now().time_since_epoch().count();
            if (write(pty.master, "\x12", 1) != 1)
                std::abort();
        });
        const auto bound = Clock::now() + std::chrono::milliseconds(500);
        while (!seenOne && Clock::now() < bound) {
            d.PollTimerProc();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        printer.join();
        d.SetOnReceiveData({});
        if (seenOne)
            ms.push_back(std::chrono::duration<double, std::milli>(
                             seen - Clock::time_point(Clock::duration(sent.load())))
                             .count());
        else
            ++missed;
    }
    LatencyCounters(state, ms);
    state.counters["missed"] = missed;
}
BENCHMARK(BM_AnswerLatencyPolled)->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The pseudo-terminal is mapped to COM1 through VEMIX_COM1, as the program maps ports.
    SetPortOverrideVariables([](const std::string& port) { return "VEMIX_" + port; });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
