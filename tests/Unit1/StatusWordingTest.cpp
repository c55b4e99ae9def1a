// The status box's words: every condition of the virtual printer, asked over a line and read
// back, gives its facts and the words for them; the answers and device lines as the box shows
// them.
#include "Unit1/StatusWording.h"
#include "Ports/SerialPort.h"
#include "Pty.h"
#include "Receipt/Printer.h"
#include "StatusPeer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TStatusAnswer Answer(TStatusRequest request, std::string bytes) {
    return {request, std::move(bytes)};
}
TStatusAnswer Answer(TStatusRequest request, std::uint8_t byte) {
    return {request, std::string(1, static_cast<char>(byte))};
}

QString Lines(const TStatusAnswer& answer) {
    return StatusAnswerLines(answer).join('|');
}

std::vector<TPrinterState> EveryState() {
    std::vector<TPrinterState> states;
    for (const auto paper : {TPaperLevel::Ok, TPaperLevel::NearEnd, TPaperLevel::Out})
        for (int bits = 0; bits < 8; ++bits) {
            TPrinterState s;
            s.Paper = paper;
            s.CoverOpen = bits & 1;
            s.DrawerOpen = bits & 2;
            s.Offline = bits & 4;
            states.push_back(s);
        }
    return states;
}

// The virtual printer in a condition, answering what the line brings.
struct VirtualPrinter {
    explicit VirtualPrinter(const TPrinterState& state) {
        printer.SetOnReply([this](const std::string& b) { replies += b; });
        printer.SetState(state);
    }
    std::string Ask(int request) {
        replies.clear();
        printer.Feed(std::string{0x10, 0x04, static_cast<char>(request)});
        return replies;
    }
    TCodePage codePage{"CP950"};
    TPaper paper{codePage};
    TPrinter printer{csEPSON, paper};
    std::string replies;
};

} // namespace

TEST(StatusWords, EveryPrinterStateAnsweredAndReadBackGivesItsFactsAndTheirWords) {
    Pty pty;
    ScopedEnv env("VEMIX_COM1", pty.SlavePath());
    TSerialDriver driver;
    TSerialPort port("COM1", driver, pnCOM1);
    for (const TPrinterState& s : EveryState()) {
        SCOPED_TRACE(::testing::Message()
                     << "paper " << int(s.Paper) << " cover " << s.CoverOpen << " drawer "
                     << s.DrawerOpen << " offline " << s.Offline);
        VirtualPrinter virtualPrinter(s);
        ScriptedPrinter line(pty.Master(),
                             [&](int request) { return Reply{virtualPrinter.Ask(request)}; });
        TStatusQuery query;
        query.SettleMs = 5;
        const TStatusReport report = query.Run(port, csEPSON);
        ASSERT_EQ(report.Answers.size(), 4u);
        const TStatusFacts want = FactsOf(s);
        EXPECT_EQ(report.Facts, want);
        EXPECT_EQ(CannotPrint(report), s.IsOffline());

        const QStringList box = StatusReportLines(report);
        const auto says = [&box](const char* fact) {
            return box.contains(QString::fromUtf8(fact));
        };
        EXPECT_TRUE(says(s.DrawerOpen ? "錢箱接腳 3：高電位" : "錢箱接腳 3：低電位"));
        EXPECT_TRUE(says(s.IsOffline() ? "連線狀態：離線" : "連線狀態：上線"));
        EXPECT_TRUE(says(s.CoverOpen ? "上蓋：開啟" : "上蓋：關閉"));
        EXPECT_TRUE(says(s.CoverOpen ? "發生錯誤：是" : "發生錯誤：否"));
        EXPECT_TRUE(says(want.StoppedByPaperEnd ? "因缺紙停止列印：是" : "因缺紙停止列印：否"));
        EXPECT_TRUE(says(want.PaperNearEnd ? "紙捲將盡：是" : "紙捲將盡：否"));
        EXPECT_TRUE(says(want.PaperOut ? "紙捲用完：是" : "紙捲用完：否"));
        EXPECT_TRUE(says("機構錯誤：無"));
        // Fourteen facts, each said once, and nothing unread.
        int factLines = 0;
        for (const TStatusAnswer& answer : report.Answers)
            factLines += static_cast<int>(StatusAnswerLines(answer).size());
        EXPECT_EQ(factLines, 14) << box.join('|').toStdString();
    }
}

TEST(StatusWords, TypicalAnswersOfHealthyAndEmptyPrinters) {
    EXPECT_EQ(Lines(Answer(srPrinter, std::uint8_t{0x16})),
              "錢箱接腳 3：高電位|連線狀態：上線|等待恢復上線：否|進紙鍵：放開");
    EXPECT_EQ(Lines(Answer(srPrinter, std::uint8_t{0x1A})),
              "錢箱接腳 3：低電位|連線狀態：離線|等待恢復上線：否|進紙鍵：放開");
    EXPECT_EQ(Lines(Answer(srPrinter, std::uint8_t{0x32})),
              "錢箱接腳 3：低電位|連線狀態：上線|等待恢復上線：是|進紙鍵：放開");
    EXPECT_EQ(Lines(Answer(srOffline, std::uint8_t{0x72})),
              "上蓋：關閉|按進紙鍵送紙中：否|因缺紙停止列印：是|發生錯誤：是");
    EXPECT_EQ(Lines(Answer(srOffline, std::uint8_t{0x16})),
              "上蓋：開啟|按進紙鍵送紙中：否|因缺紙停止列印：否|發生錯誤：否");
    EXPECT_EQ(Lines(Answer(srError, std::uint8_t{0x12})),
              "機構錯誤：無|自動切刀錯誤：無|無法恢復的錯誤：無|可自動恢復的錯誤：無");
    EXPECT_EQ(Lines(Answer(srError, std::uint8_t{0x1A})),
              "機構錯誤：無|自動切刀錯誤：有|無法恢復的錯誤：無|可自動恢復的錯誤：無");
    EXPECT_EQ(Lines(Answer(srPaper, std::uint8_t{0x7E})), "紙捲將盡：是|紙捲用完：是");
    // A sensor pair means its condition only with both bits.
    EXPECT_EQ(Lines(Answer(srPaper, std::uint8_t{0x32})), "紙捲將盡：否|紙捲用完：否");
}

TEST(StatusWords, UnrecognisedMissingAndExtraBytes) {
    for (const std::uint8_t byte : {0x13, 0x10, 0x02, 0x92, 0xFF, 0x00, 0x7F}) {
        const QString text = Lines(Answer(srPrinter, byte));
        EXPECT_TRUE(text.startsWith(QStringLiteral("印表機：無法辨識 ("))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("連線狀態"))) << text.toStdString();
    }
    EXPECT_EQ(Lines(Answer(srPaper, std::uint8_t{0xFE})), "紙捲感應器：無法辨識 (FE)");
    EXPECT_EQ(Lines(Answer(srOffline, std::string())), "離線原因：沒有回應");
    // The first byte is the answer; what follows is shown, not decoded.
    const QStringList lines = StatusAnswerLines(Answer(srError, std::string("\x12\x7F\x01", 3)));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "機構錯誤：無");
    EXPECT_EQ(lines[4], "錯誤原因：多出的位元組 7F 01 (未採用)");
    // A flood keeps the answer and 64 more and counts the rest.
    TStatusCollector c;
    c.Begin(srError);
    c.Take(std::string(1000, '\x12'));
    c.End();
    EXPECT_EQ(StatusAnswerLines(c.Answers()[0]).last(),
              QStringLiteral("錯誤原因：多出的位元組 ") + HexText(std::string(64, '\x12')) +
                  QStringLiteral("，另有 935 位元組已捨棄 (未採用)"));
}

TEST(StatusWords, PrinterDeviceStatusLines) {
    struct {
        int status;
        const char* text;
    } cases[] = {
        {0x98, "缺紙：否|已選取 (上線)：是|錯誤：無|忙碌：否"}, // ready
        {0xB8, "缺紙：是|已選取 (上線)：是|錯誤：無|忙碌：否"}, // paper out
        {0x88, "缺紙：否|已選取 (上線)：否|錯誤：無|忙碌：否"}, // off line
        {0x90, "缺紙：否|已選取 (上線)：是|錯誤：有|忙碌：否"}, // error line low
        {0x18, "缺紙：否|已選取 (上線)：是|錯誤：無|忙碌：是"}, // busy line low
        {0x00, "缺紙：否|已選取 (上線)：否|錯誤：有|忙碌：是"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeviceStatusLines(c.status).join('|'), QString::fromUtf8(c.text)) << c.status;
}
