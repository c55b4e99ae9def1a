// The decoder and the paper over 1 MB of receipts (Big5 and ASCII lines, styles, sizes,
// alignment, a barcode, a QR code, a small raster image, feeds and cuts), as MB/s: the decoder
// alone, then with the paper, then with the terminal view writing every line.
#include "Receipt/Printer.h"
#include "Receipt/TerminalView.h"

#include <benchmark/benchmark.h>

namespace {

std::string Receipt(const TCodePage& big5) {
    std::string r = std::string("\x1b@\x1b"
                                "a1\x1b"
                                "E\x01",
                                8);
    r += big5.Encode(QStringLiteral("Kavrilon股份有限公司")) + "\n";
    r += big5.Encode(QStringLiteral("台北市信義區松仁路100號12樓")) + "\n";
    r += std::string("\x1b"
                     "E\x00\x1b"
                     "a0",
                     6);
    for (int i = 0; i < 20; ++i)
        r +=
            big5.Encode(QStringLiteral("品名:DP%1結帳紙  單價: 500 x %2").arg(i).arg(i % 7)) + "\n";
    r += std::string("\x1d!\x11", 3) + "TOTAL      5,775\n" + std::string("\x1d!\x00", 3);
    r += std::string("\x1dh\x50\x1dw\x02\x1dk\x49\x0c", 9) + "{BAB12345678";
    const std::string qr = "https://example.org/receipt/0123456789";
    r += std::string("\x1d(k", 3) + static_cast<char>(qr.size() + 3) + '\0' + "1P0" + qr;
    r += std::string("\x1d(k\x03\x00\x31\x51\x30", 8);
    r += std::string("\x1dv0\x00\x06\x00\x08\x00", 8) + std::string(48, '\x5a');
    r += "\x1b"
         "d\x03\x1dV\x01";
    return r;
}

std::string Stream() {
    const TCodePage big5("CP950");
    const std::string one = Receipt(big5);
    std::string all;
    while (all.size() < (1u << 20))
        all += one;
    return all;
}

void Report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void DecoderAlone(benchmark::State& state) {
    const std::string stream = Stream();
    std::size_t commands = 0;
    for (auto _ : state) {
        TDecoder decoder(csEPSON,
                         [&](const TCommand&, std::uint64_t, std::string_view) { ++commands; });
        decoder.Feed(stream);
        decoder.Finish();
    }
    benchmark::DoNotOptimize(commands);
    Report(state, stream.size());
}

void DecoderAndPaper(benchmark::State& state) {
    const std::string stream = Stream();
    const TCodePage big5("CP950");
    for (auto _ : state) {
        TPaper paper(big5);
        TPrinter printer(csEPSON, paper);
        printer.Feed(stream);
        printer.Finish();
        benchmark::DoNotOptimize(paper.Top());
    }
    Report(state, stream.size());
}

void DecoderPaperAndTerminal(benchmark::State& state) {
    const std::string stream = Stream();
    const TCodePage big5("CP950");
    std::size_t written = 0;
    for (auto _ : state) {
        TPaper paper(big5);
        TTerminalView view([&](const std::string& l) { written += l.size(); }, 32);
        paper.AddObserver(view);
        TPrinter printer(csEPSON, paper);
        printer.Feed(stream);
        printer.Finish();
    }
    benchmark::DoNotOptimize(written);
    Report(state, stream.size());
}

} // namespace

BENCHMARK(DecoderAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(DecoderAndPaper)->Unit(benchmark::kMillisecond);
BENCHMARK(DecoderPaperAndTerminal)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
