// Each page as a printer reads it: ESC/POS that decodes back to the page's own commands, refused
// by the line-mode sets, and carrying what it is for: rulers of every column count, a style on
// each line that names it, Big5 in both modes, the code table's upper half, every barcode
// system, the QR codes' contents, the self-test last.
#include "PageBytes.h"
#include "Receipt/Paper.h"
#include "Rtl/CodePage.h"
#include "TestPages/SymbolSamples.h"

#include <gtest/gtest.h>

namespace {

constexpr TTestPage AllPages[] = {tpRuler,   tpStyles, tpChinese,  tpCodePage, tpBarcodes,
                                  tpQrCodes, tpImage,  tpEInvoice, tpSelfTest};

TPageOptions Options(int width = 384) {
    TPageOptions options;
    options.WidthDots = width;
    options.Invoice.RandomCode = QStringLiteral("0042");
    options.Invoice.When = QDateTime(QDate(2026, 5, 20), QTime(9, 30));
    return options;
}

struct TLine {
    std::string Text;
    TTextStyle Style;
    TPrintAlign Align;
};

// The lines the paper prints from the page's bytes.
std::vector<TLine> PrintedLines(TTestPage page, const TPageOptions& options) {
    struct TCollect : TPaperObserver {
        std::vector<TLine> Lines;
        void Printed(const TPaperItem& item) override {
            if (const auto* line = std::get_if<TPrintedLine>(&item.Data);
                line && !line->Runs.empty())
                Lines.push_back(
                    {GlyphText(line->Runs[0].Glyphs), line->Runs[0].Style, line->Align});
        }
    } collect;
    const TCodePage codePage("CP950");
    TPaper paper(codePage, options.WidthDots);
    paper.AddObserver(collect);
    for (const TCommand& c : DecodedPage(page, options))
        paper.Apply(c);
    return collect.Lines;
}

// The text lines printed in each font.
std::vector<std::pair<int, std::string>> LinesByFont(const std::vector<TCommand>& commands) {
    std::vector<std::pair<int, std::string>> lines;
    int font = 0;
    std::string line;
    for (const TCommand& c : commands) {
        if (const auto* f = std::get_if<Cmd::Font>(&c))
            font = f->Index();
        else if (const auto* text = std::get_if<Cmd::Text>(&c))
            line += text->Bytes;
        else if (std::holds_alternative<Cmd::LineFeed>(c)) {
            lines.emplace_back(font, line);
            line.clear();
        }
    }
    return lines;
}

std::string Units(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i)
        s += static_cast<char>('0' + i % 10);
    return s;
}

} // namespace

TEST(Pages, EveryPageIsEscPosThatReadsBackAsItsOwnCommands) {
    for (const int width : {384, 576})
        for (const TTestPage page : AllPages) {
            SCOPED_TRACE(std::string(TestPageName(page)) + " " + std::to_string(width));
            const TPageOptions options = Options(width);
            EXPECT_EQ(PageProblem(page, options), "");
            EXPECT_EQ(TestPageByName(TestPageName(page)), page);
            const std::vector<TCommand> built = BuildPage(page, options);
            EXPECT_EQ(DecodedPage(page, options), built);
            ASSERT_FALSE(built.empty());
            EXPECT_EQ(built.front(), TCommand(Cmd::Init{}));
            // Past the cutter and cut; the self-test resets the printer instead.
            if (page == tpSelfTest)
                EXPECT_TRUE(std::holds_alternative<Cmd::SelfTest>(built.back()));
            else
                EXPECT_TRUE(std::holds_alternative<Cmd::Cut>(built.back()));
        }
    EXPECT_EQ(TestPageByName("Ruler"), std::nullopt);
}

TEST(Pages, LineModeSetsPrintNoPage) {
    for (const TTestPage page : AllPages)
        for (const TCommandSet set : {csSTART, csTP3688}) {
            EXPECT_FALSE(PagePrintable(set, page)) << TestPageName(page);
            EXPECT_TRUE(EncodePage(set, page, Options()).Bytes.empty());
        }
}

TEST(Pages, RulerNumbersEachColumnCountInBothFontsAndMarksEveryDot) {
    for (const int width : {384, 576}) {
        const std::vector<TCommand> page = DecodedPage(tpRuler, Options(width));
        const auto lines = LinesByFont(page);
        for (const int font : {0, 1})
            for (const int count : {32, 42, 48}) {
                const auto units =
                    std::find(lines.begin(), lines.end(), std::make_pair(font, Units(count)));
                ASSERT_NE(units, lines.end()) << "font " << font << ", " << count;
                // The tens above: the 3 of column 30, the 4 of 40.
                const std::string& tens = (units - 1)->second;
                EXPECT_EQ(tens.size(), static_cast<std::size_t>(count));
                EXPECT_EQ(tens[29], '3');
                EXPECT_EQ(tens.find_first_not_of(' '), 9u);
            }
        const QImage ruler = RasterPicture(page, 0);
        ASSERT_EQ(ruler.width(), width);
        auto inked = [&ruler](int x) {
            int n = 0;
            for (int y = 0; y < ruler.height(); ++y)
                n += ruler.scanLine(y)[x] == 0;
            return n;
        };
        EXPECT_EQ(inked(0), ruler.height());
        EXPECT_EQ(inked(width - 1), ruler.height());
        EXPECT_GT(inked(80), inked(40));
        EXPECT_GT(inked(40), inked(8));
        EXPECT_GT(inked(8), inked(9));
    }
}

TEST(Pages, StylesEachLineShowsTheStyleItNamesAndNoOther) {
    auto style = [](auto change) {
        TTextStyle s;
        change(s);
        return s;
    };
    const std::vector<std::tuple<const char*, TTextStyle, TPrintAlign>> expected = {
        {"一般 Normal", {}, paLeft},
        {"粗體 Emphasis", style([](TTextStyle& s) { s.Emphasis = true; }), paLeft},
        {"ESC - 1", style([](TTextStyle& s) { s.Underline = 1; }), paLeft},
        {"ESC - 2", style([](TTextStyle& s) { s.Underline = 2; }), paLeft},
        {"Reverse", style([](TTextStyle& s) { s.Reverse = true; }), paLeft},
        {"2x1", style([](TTextStyle& s) { s.Width = 2; }), paLeft},
        {"1x2", style([](TTextStyle& s) { s.Height = 2; }), paLeft},
        {"2x2", style([](TTextStyle& s) { s.Width = s.Height = 2; }), paLeft},
        {"3x3", style([](TTextStyle& s) { s.Width = s.Height = 3; }), paLeft},
        {"4x4", style([](TTextStyle& s) { s.Width = s.Height = 4; }), paLeft},
        {"Left", {}, paLeft},
        {"Center", {}, paCenter},
        {"Right", {}, paRight},
        {"Font A", {}, paLeft},
        {"Font B", style([](TTextStyle& s) { s.Font = pfB; }), paLeft},
    };
    const std::vector<TLine> lines = PrintedLines(tpStyles, Options());
    // The heading, then one line for each style.
    ASSERT_EQ(lines.size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [words, wanted, align] = expected[i];
        const TLine& line = lines[i + 1];
        SCOPED_TRACE(line.Text);
        EXPECT_NE(line.Text.find(words), std::string::npos) << words;
        EXPECT_EQ(line.Style, wanted);
        EXPECT_EQ(line.Align, align);
    }
}

TEST(Pages, ChineseSampleGoesOutInBothModesAndTheTableCoversItsLeadByte) {
    const TCodePage big5("CP950");
    const std::string seller = big5.Encode(QStringLiteral("Kavrilon股份有限公司"));
    const std::string digits = big5.Encode(QStringLiteral("０１２３４５６７８９"));
    for (const int lead : {0xA4, 0xC9}) {
        TPageOptions options = Options();
        options.Big5Lead = static_cast<std::uint8_t>(lead);
        const std::vector<TCommand> page = DecodedPage(tpChinese, options);
        std::vector<bool> modes; // the mode each seller line is printed in
        bool on = true;
        std::string table; // the text after the mode was last switched on
        for (const TCommand& c : page) {
            if (const auto* mode = std::get_if<Cmd::ChineseMode>(&c)) {
                on = mode->On;
                table.clear();
            }
            if (const auto* text = std::get_if<Cmd::Text>(&c)) {
                if (text->Bytes == seller)
                    modes.push_back(on);
                table += text->Bytes;
            }
        }
        EXPECT_EQ(modes, (std::vector<bool>{true, false}));
        EXPECT_TRUE(on) << "the page leaves Chinese mode on";
        EXPECT_EQ(
            std::count_if(page.begin(), page.end(),
                          [&](const TCommand& c) { return c == TCommand(Cmd::Text{digits}); }),
            2);
        // Every trail byte once, and nothing that is not one.
        for (int trail = 0x40; trail <= 0xFF; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const bool valid = (trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE);
            const std::size_t at = table.find(pair);
            EXPECT_EQ(at != std::string::npos, valid) << std::hex << lead << trail;
        }
    }
}

TEST(Pages, CodePageGridHoldsTheUpperHalfInOrderAndRestoresTheTable) {
    for (const int width : {384, 576}) {
        TPageOptions options = Options(width);
        options.CodeTable = 16;
        const std::vector<TCommand> page = DecodedPage(tpCodePage, options);
        const auto at = [&page](const TCommand& c) {
            return std::find(page.begin(), page.end(), c) - page.begin();
        };
        EXPECT_LT(at(Cmd::ChineseMode{false}), at(Cmd::CodeTable{16}));
        const auto lines = LinesByFont(page);
        for (int high = 8; high < 16; ++high) {
            std::string row = std::string(1, "0123456789ABCDEF"[high]) + "x ";
            for (int low = 0; low < 16; ++low)
                row += {static_cast<char>(high * 16 + low), ' '};
            // 35 columns: font B on 58 mm paper, font A on 80 mm.
            const int font = width == 384 ? 1 : 0;
            EXPECT_NE(std::find(lines.begin(), lines.end(), std::make_pair(font, row)), lines.end())
                << high;
        }
        EXPECT_EQ(std::vector<TCommand>(page.end() - 5, page.end() - 2),
                  (std::vector<TCommand>{Cmd::Font{0}, Cmd::CodeTable{0}, Cmd::ChineseMode{true}}));
    }
}

TEST(Pages, BarcodesCarryEverySystemsSampleAtTheModuleWidth) {
    for (const int module : {2, 3}) {
        TPageOptions options = Options();
        options.ModuleWidth = module;
        const std::vector<TCommand> page = DecodedPage(tpBarcodes, options);
        EXPECT_EQ(All<Cmd::BarcodeWidth>(page),
                  std::vector<Cmd::BarcodeWidth>{{static_cast<std::uint8_t>(module)}});
        std::vector<TSymbology> kinds;
        for (std::size_t i = 0; i < page.size(); ++i) {
            const auto* barcode = std::get_if<Cmd::Barcode>(&page[i]);
            if (!barcode)
                continue;
            kinds.push_back(barcode->Kind);
            const auto sample =
                std::find_if(BarcodeSamples().begin(), BarcodeSamples().end(),
                             [&](const TBarcodeSample& s) { return s.Kind == barcode->Kind; });
            ASSERT_NE(sample, BarcodeSamples().end());
            EXPECT_EQ(barcode->Data, sample->Data);
            // Its name and data on the line above it.
            ASSERT_GE(i, 2u);
            EXPECT_EQ(page[i - 2], TCommand(Cmd::Text{std::string(SymbologyName(barcode->Kind)) +
                                                      "  " + sample->Content}));
        }
        EXPECT_EQ(kinds.size(), static_cast<std::size_t>(SymbologyCount));
        std::sort(kinds.begin(), kinds.end());
        EXPECT_EQ(std::unique(kinds.begin(), kinds.end()), kinds.end());
    }
}

TEST(Pages, QrCodesCarryTheirTextAtTheChosenSizeAndLevel) {
    TPageOptions options = Options();
    options.QrModule = 8;
    options.QrLevel = 3;
    const std::vector<TCommand> page = DecodedPage(tpQrCodes, options);
    EXPECT_EQ(All<Cmd::QrStore>(page),
              (std::vector<Cmd::QrStore>{{QrSampleUrl()}, {QrSampleBig5()}}));
    EXPECT_EQ(All<Cmd::QrPrint>(page).size(), 2u);
    EXPECT_EQ(All<Cmd::QrModuleSize>(page), std::vector<Cmd::QrModuleSize>{{8}});
    EXPECT_EQ(All<Cmd::QrErrorLevel>(page), std::vector<Cmd::QrErrorLevel>{{51}});
    EXPECT_EQ(QrSampleBig5(),
              TCodePage("CP950").Encode(QStringLiteral("統一發票 QR 測試：中文 Big5")));
    for (const auto& [module, level, why] : std::vector<std::tuple<int, int, const char*>>{
             {2, 0, "the QR module size is 3 to 8 dots"},
             {9, 0, "the QR module size is 3 to 8 dots"},
             {3, 4, "the QR error level is L, M, Q or H"}}) {
        options.QrModule = module;
        options.QrLevel = level;
        EXPECT_EQ(PageProblem(tpQrCodes, options), why);
    }
}

TEST(Pages, SelfTestIsTheLastCommandAndOfTheChosenKind) {
    for (const int type : {1, 2, 3}) {
        TPageOptions options = Options();
        options.SelfTestType = type;
        const std::vector<TCommand> page = DecodedPage(tpSelfTest, options);
        EXPECT_EQ(page.back(), TCommand(Cmd::SelfTest{2, static_cast<std::uint8_t>(type)}));
        EXPECT_EQ(All<Cmd::Cut>(page).size(), 0u);
    }
}
