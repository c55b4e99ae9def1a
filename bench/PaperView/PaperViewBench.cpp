// A full receipt through the decoder, the paper and the picture, written as a PNG: text, a
// 384 x 400 raster image, five barcodes and two QR codes. Timed as a ratio to writing a PNG of
// the same size with Qt alone (the same picture, already drawn), both in every iteration.
#include "PaperView/PaperImage.h"
#include "Rtl/CodePage.h"

#include <QBuffer>
#include <QGuiApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (const int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

std::string Qr(const std::string& data) {
    const std::size_t n = data.size() + 3;
    return Bytes({0x1d, '(', 'k', 3, 0, 0x31, 0x43, 5}) +
           Bytes({0x1d, '(', 'k', static_cast<int>(n & 0xFF), static_cast<int>(n >> 8)}) + "1P0" +
           data + Bytes({0x1d, '(', 'k', 3, 0, 0x31, 0x51, 0x30}) + "\n";
}

std::string Receipt() {
    const TCodePage big5("CP950");
    std::string r = Bytes({0x1b, '@', 0x1b, 'a', 1, 0x1d, '!', 0x11});
    r += big5.Encode(QStringLiteral("Kavrilon股份有限公司")) + "\n" + Bytes({0x1d, '!', 0});
    r += big5.Encode(QStringLiteral("台北市信義區松仁路100號12樓")) + "\n" + Bytes({0x1b, 'a', 0});
    for (int i = 0; i < 20; ++i)
        r +=
            big5.Encode(QStringLiteral("品名:DP%1結帳紙  單價: 500 x %2").arg(i).arg(i % 7)) + "\n";
    // A 384 x 400 picture: diagonal stripes.
    r += Bytes({0x1d, 'v', '0', 0, 48, 0, 0x90, 0x01});
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 48; ++x)
            r.push_back(static_cast<char>(0x0F0F0F0F >> ((x + y) % 8)));
    r += Bytes({0x1d, 'h', 80, 0x1d, 'w', 2, 0x1d, 'H', 2});
    for (const auto& [m, data] : std::vector<std::pair<int, std::string>>{{67, "4006381333931"},
                                                                          {65, "012345678905"},
                                                                          {69, "RECEIPT 42"},
                                                                          {70, "12345678"},
                                                                          {73, "{BAB12345678"}})
        r += Bytes({0x1d, 'k', m, static_cast<int>(data.size())}) + data + "\n";
    r += Bytes({0x1b, 'a', 1}) + Qr("https://example.org/receipt/0123456789") +
         Qr("TOTAL 5775 TWD 2026-12-08 12:00");
    return r + Bytes({0x1b, 'd', 3, 0x1d, 'V', 1});
}

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_ReceiptToPng(benchmark::State& state) {
    const std::string bytes = Receipt();
    const QImage drawn = DrawReceipt(bytes);
    std::vector<double> ours, qt;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(Png(DrawReceipt(bytes)).size());
        const auto t1 = Clock::now();
        // Qt alone: a picture of the same size and format, written the same way.
        QImage same(drawn.size(), drawn.format());
        same.setColorTable(drawn.colorTable());
        std::copy_n(drawn.constBits(), drawn.sizeInBytes(), same.bits());
        benchmark::DoNotOptimize(Png(same).size());
        const auto t2 = Clock::now();
        ours.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        qt.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    state.counters["receipt_ms"] = Median(ours);
    state.counters["qt_png_ms"] = Median(qt);
    state.counters["ratio"] = Median(ours) / Median(qt);
    state.counters["height_dots"] = drawn.height();
}

} // namespace

BENCHMARK(BM_ReceiptToPng)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
