// Cost of the anti-aliased caption against the platform's own anti-aliased text, in one run:
// a 258 x 20 caption with the default effect and with shadow, blur, gradient and noise, each
// as a ratio to QPainter::drawText onto an image of the same size.
#include "AAText/AAFontEx.h"
#include "Platform/Bitmap.h"
#include "Platform/Random.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr int CaptionWidth = 258;
constexpr int CaptionHeight = 20;
const QString Caption = QStringLiteral("發票印表機測試 Vemix Printer Test");

void SetupFont(TFont* font) {
    font->SetName(QStringLiteral("DejaVu Sans"));
    font->SetHeight(-14);
    font->SetColor(clNavy);
}

void NativeDrawText(benchmark::State& state) {
    QImage image(CaptionWidth, CaptionHeight, QImage::Format_RGB32);
    TFont font;
    SetupFont(&font);
    const QFont qfont = font.ToQFont();
    for (auto _ : state) {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.fillRect(image.rect(), QColor(240, 240, 230));
        p.setFont(qfont);
        p.setPen(ToQColor(clNavy));
        p.drawText(0, 15, Caption);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void Caption_(benchmark::State& state, bool effects) {
    TBitmap bmp(CaptionWidth, CaptionHeight, pf24bit);
    TCanvas* c = bmp.Canvas();
    SetupFont(c->Font());
    c->Brush()->SetColor(RGB(240, 240, 230));
    TAAFontEx font(c);
    if (effects) {
        TAAEffect& e = *font.Effect();
        e.Shadow().SetEnabled(true);
        e.SetBlur(30);
        e.Gradual().SetEnabled(true);
        e.Gradual().SetStartColor(clRed);
        e.Gradual().SetEndColor(clBlue);
        e.SetNoise(30);
    }
    SetRandSeed(1);
    for (auto _ : state) {
        c->FillRect(Rect(0, 0, CaptionWidth, CaptionHeight));
        font.TextOut(0, 0, Caption);
        benchmark::DoNotOptimize(bmp.Image().constBits());
    }
}

void DefaultEffect(benchmark::State& state) {
    Caption_(state, false);
}
void AllEffects(benchmark::State& state) {
    Caption_(state, true);
}

BENCHMARK(NativeDrawText);
BENCHMARK(DefaultEffect);
BENCHMARK(AllEffects);

// Prints the usual table, then every run's time as a ratio to the native text.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                Times[run.benchmark_name()] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto native = Times.find("NativeDrawText");
        if (native == Times.end() || native->second.first <= 0 || native->second.second <= 0)
            return;
        std::printf("\nratio to QPainter::drawText (goal: default <= 5, all effects <= 10)\n");
        std::printf("  %-16s %8s %8s\n", "", "cpu", "real");
        for (const auto& [name, time] : Times)
            std::printf("  %-16s %7.2fx %7.2fx\n", name.c_str(), time.first / native->second.first,
                        time.second / native->second.second);
    }
    std::map<std::string, std::pair<double, double>> Times;
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
