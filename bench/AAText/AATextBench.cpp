// Cost of the anti-aliased text against the platform's own anti-aliased text, in one run: for
// text sizes 8 to 96 px, every quality and captions of 1, 40 and 640 characters, the default
// effect and shadow + blur + gradient + noise together, each as a ratio to QPainter::drawText
// of the same captions in the same font onto an image of the same size.
//
// Every iteration draws the next caption of a pool of different captions (mixed Chinese and
// Latin words), so the figures are those of a renderer that has seen the pool once: glyphs
// are kept per font, glyph and position, never whole captions. "first" figures give the cost
// of a caption whose glyphs the renderer has never drawn.
#include "AAText/AAFontEx.h"
#include "AAText/GlyphCache.h"
#include "Graphics/Bitmap.h"
#include "Rtl/Random.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const int Sizes[] = {8, 14, 22, 32, 48, 96};
constexpr int Repetitions = 3;
constexpr double MinTime = 0.1;
const int Lengths[] = {1, 40, 640};
const TAAQuality Qualities[] = {aqHigh, aqNormal, aqLow, aqNone};
const char* QualityName(TAAQuality q) {
    switch (q) {
    case aqHigh:
        return "high";
    case aqNormal:
        return "normal";
    case aqLow:
        return "low";
    case aqNone:
        return "none";
    }
    return "?";
}

// Captions of exactly length characters from words of a receipt-printer vocabulary.
std::vector<QString> Pool(int length) {
    static const char* const words[] = {
        "發票", "印表機", "測試",   "Vemix",    "Printer", "Test",    "receipt", "invoice",
        "cut",  "paper",  "drawer", "統一編號", "金額",    "Total",   "NT$",     "1234.50",
        "COM1", "LPT1",   "9600",   "EPSON",    "START",   "TP-3688", "列印",    "走紙",
        "切紙", "錢箱",   "Font",   "Quality",  "gauge",   "label"};
    const int count = length == 1 ? 24 : length <= 40 ? 16 : 4;
    std::vector<QString> pool;
    std::uint32_t seed = 12345u + static_cast<std::uint32_t>(length);
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int i = 0; i < count; ++i) {
        QString text;
        while (text.size() < length) {
            text += QString::fromUtf8(words[next() % std::size(words)]);
            text += QLatin1Char(' ');
        }
        pool.push_back(text.left(length));
    }
    return pool;
}

void SetupFont(TFont* font, int size) {
    font->SetName(QStringLiteral("DejaVu Sans"));
    font->SetHeight(-size);
    font->SetColor(clNavy);
}

struct TCase {
    int Size;
    int Length;
};

// The image size that holds every caption of the pool.
QSize SurfaceSize(const TCase& c, const std::vector<QString>& pool) {
    TFont font;
    SetupFont(&font, c.Size);
    int w = 1, h = 1;
    for (const QString& text : pool) {
        const auto [tw, th] = font.Extent(text);
        w = std::max(w, tw + 8);
        h = std::max(h, th + 8);
    }
    return QSize(w, h);
}

void Native(benchmark::State& state, TCase c) {
    const auto pool = Pool(c.Length);
    QImage image(SurfaceSize(c, pool), QImage::Format_RGB32);
    TFont font;
    SetupFont(&font, c.Size);
    const QFont qfont = font.ToQFont();
    const int ascent = QFontMetrics(qfont).ascent();
    std::size_t i = 0;
    for (auto _ : state) {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.fillRect(image.rect(), QColor(240, 240, 230));
        p.setFont(qfont);
        p.setPen(ToQColor(clNavy));
        p.drawText(0, ascent, pool[i++ % pool.size()]);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void SetEffects(TAAEffect& e) {
    e.Shadow().SetEnabled(true);
    e.SetBlur(30);
    e.Gradual().SetEnabled(true);
    e.Gradual().SetStartColor(clRed);
    e.Gradual().SetEndColor(clBlue);
    e.SetNoise(30);
}

void Render(benchmark::State& state, TCase c, TAAQuality quality, bool effects, bool first) {
    const auto pool = Pool(c.Length);
    const QSize size = SurfaceSize(c, pool);
    TBitmap bmp(size.width(), size.height(), pf24bit);
    TCanvas* canvas = bmp.Canvas();
    SetupFont(canvas->Font(), c.Size);
    canvas->Brush()->SetColor(RGB(240, 240, 230));
    auto font = std::make_unique<TAAFontEx>(canvas);
    font->SetQuality(quality);
    if (effects)
        SetEffects(*font->Effect());
    SetRandSeed(1);
    // Untimed: the renderer sees every caption of the pool once.
    if (!first)
        for (const QString& text : pool)
            font->TextOut(0, 0, text);
    std::size_t i = 0;
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            font = std::make_unique<TAAFontEx>(canvas);
            font->SetQuality(quality);
            state.ResumeTiming();
        }
        canvas->FillRect(Rect(0, 0, size.width(), size.height()));
        font->TextOut(0, 0, pool[i++ % pool.size()]);
        benchmark::DoNotOptimize(bmp.Image().constBits());
    }
}

std::string Name(const char* kind, TCase c, const char* quality = nullptr) {
    std::string name =
        std::string(kind) + "/" + std::to_string(c.Size) + "px/" + std::to_string(c.Length) + "ch";
    if (quality)
        name += std::string("/") + quality;
    return name;
}

// Prints the usual lines, then a table of every render as a ratio to the native text of the
// same size and caption length.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // The least of the repetitions: the machine is shared, and other work only adds time.
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.function_name;
            const double t = run.GetAdjustedCPUTime();
            const auto it = Times.find(name);
            if (it == Times.end() || t < it->second)
                Times[name] = t;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nCPU time (least of %d runs) as a ratio to QPainter::drawText of the same "
                    "captions (goal: default <= 4, all effects <= 10)\n",
                    Repetitions);
        std::printf("%5s %-7s", "size", "quality");
        for (int len : Lengths)
            std::printf(" | %3d ch: default    all", len);
        std::printf("\n");
        double worstDefault = 0, worstAll = 0;
        for (int size : Sizes) {
            for (TAAQuality q : Qualities) {
                std::printf("%3dpx %-7s", size, QualityName(q));
                for (int len : Lengths) {
                    const TCase c{size, len};
                    const double native = Time(Name("native", c));
                    const double d = Time(Name("default", c, QualityName(q)));
                    const double a = Time(Name("all", c, QualityName(q)));
                    if (native <= 0 || d <= 0 || a <= 0) {
                        std::printf(" | %14s %6s", "-", "-");
                        continue;
                    }
                    worstDefault = std::max(worstDefault, d / native);
                    worstAll = std::max(worstAll, a / native);
                    std::printf(" | %14.2f %6.2f", d / native, a / native);
                }
                std::printf("\n");
            }
        }
        std::printf("worst: default %.2f, all effects %.2f\n", worstDefault, worstAll);
        bool header = false;
        for (int size : Sizes) {
            const TCase c{size, 40};
            const double t = Time(Name("first", c, "normal"));
            if (t <= 0 || Time(Name("native", c)) <= 0)
                continue;
            if (!header) {
                std::printf("\nfirst drawing of a 40-character caption (no glyph kept yet), "
                            "normal quality, default effect:\n");
                header = true;
            }
            std::printf("%3dpx %8.2f\n", size, t / Time(Name("native", c)));
        }
    }
    double Time(const std::string& name) const {
        const auto it = Times.find(name);
        return it == Times.end() ? 0 : it->second;
    }
    std::map<std::string, double> Times;
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    for (int size : Sizes) {
        for (int len : Lengths) {
            const TCase c{size, len};
            benchmark::RegisterBenchmark(Name("native", c).c_str(), Native, c)
                ->MinTime(MinTime)
                ->Repetitions(Repetitions);
            for (TAAQuality q : Qualities) {
                benchmark::RegisterBenchmark(Name("default", c, QualityName(q)).c_str(), Render, c,
                                             q, false, false)
                    ->MinTime(MinTime)
                    ->Repetitions(Repetitions);
                benchmark::RegisterBenchmark(Name("all", c, QualityName(q)).c_str(), Render, c, q,
                                             true, false)
                    ->MinTime(MinTime)
                    ->Repetitions(Repetitions);
            }
        }
        benchmark::RegisterBenchmark(Name("first", TCase{size, 40}, "normal").c_str(), Render,
                                     TCase{size, 40}, aqNormal, false, true)
            ->MinTime(MinTime)
            ->Repetitions(Repetitions);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
