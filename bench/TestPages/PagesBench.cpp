// Each test page built and previewed as the dialog does on every change of its options: the
// page's bytes (commands, encoding), then the preview (decoding onto paper, drawing it), in
// milliseconds. Goal: under 50 ms a page, a user's large picture aside.
#include "TestPages/Preview.h"
#include "TestPages/TestPage.h"

#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

TPageOptions Options(int page) {
    TPageOptions options;
    options.Invoice.RandomCode = QStringLiteral("0042");
    options.Invoice.When = QDateTime(QDate(2026, 12, 8), QTime(15, 1, 10));
    // Past the pages: the image page with a photograph-sized picture of the user's.
    if (page == TestPageCount) {
        QImage photo(4000, 3000, QImage::Format_RGB32);
        QPainter painter(&photo);
        QLinearGradient ramp(0, 0, 4000, 3000);
        ramp.setColorAt(0, Qt::white);
        ramp.setColorAt(1, Qt::darkBlue);
        painter.fillRect(photo.rect(), ramp);
        options.Image = photo;
    }
    return options;
}

TTestPage PageOf(int index) {
    return index == TestPageCount ? tpImage : static_cast<TTestPage>(index);
}

void Label(benchmark::State& state, int index) {
    state.SetLabel(index == TestPageCount ? "image, 4000x3000 picture"
                                          : TestPageName(PageOf(index)));
}

void Bytes(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    const TPageOptions options = Options(index);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodePage(csEPSON, PageOf(index), options));
    Label(state, index);
}

void Preview(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    const std::string bytes = EncodePage(csEPSON, PageOf(index), Options(index)).Bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(PreviewImage(csEPSON, bytes, 384));
    Label(state, index);
}

void BuildAndPreview(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    const TPageOptions options = Options(index);
    for (auto _ : state) {
        const TEncoding page = EncodePage(csEPSON, PageOf(index), options);
        benchmark::DoNotOptimize(PreviewImage(csEPSON, page.Bytes, options.WidthDots));
    }
    Label(state, index);
}

BENCHMARK(Bytes)->DenseRange(0, TestPageCount)->Unit(benchmark::kMillisecond);
BENCHMARK(Preview)->DenseRange(0, TestPageCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildAndPreview)->DenseRange(0, TestPageCount)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The preview draws text: fonts need a GUI application, never a window.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
