// The status button against the virtual printer on a pseudo-terminal: the time from the click
// to the shown answer, as a share of the worst case (four requests of 500 ms each).
#include "DeviceIo/Devices.h"
#include "Rtl/Messages.h"
#include "Unit1/Form1.h"

#include <QApplication>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_StatusButtonToShownAnswer(benchmark::State& state) {
    const std::string dir = "/tmp/vemix-bench-status-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    const std::string link = dir + "/com1";
    QProcess printer;
    printer.start(VEMIX_PRINTER_BIN, {"--link", QString::fromStdString(link)});
    for (int i = 0; i < 100 && !std::filesystem::exists(link); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    setenv("VEMIX_COM1", link.c_str(), 1);
    {
        TForm1 form;
        form.FormShow();
        Clock::time_point shown;
        QString text;
        const MessagePresenter previous = SetMessagePresenter([&](const TMessage& m) {
            shown = Clock::now();
            text = m.Text;
        });
        std::vector<double> ms;
        for (auto _ : state) {
            const auto t0 = Clock::now();
            form.Button_Status->click();
            ms.push_back(std::chrono::duration<double, std::milli>(shown - t0).count());
        }
        SetMessagePresenter(previous);
        if (!text.contains(QStringLiteral("紙捲用完：否")))
            state.SkipWithError("the printer did not answer");
        const double worst = 4 * form.StatusBoundMs;
        state.counters["answer_ms"] = Median(ms);
        state.counters["share_of_worst_pct"] = 100.0 * Median(ms) / worst;
    }
    printer.terminate();
    printer.waitForFinished(5000);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StatusButtonToShownAnswer)->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Settings and the single-instance socket stay out of the user's folders.
    const std::string home = "/tmp/vemix-bench-status-home-" + std::to_string(getpid());
    std::filesystem::create_directories(home);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    QApplication app(argc, argv);
    // The pseudo-terminal is mapped to COM1 through VEMIX_COM1, as the program maps ports.
    SetPortOverrideVariables([](const std::string& port) { return "VEMIX_" + port; });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(home);
    return 0;
}
