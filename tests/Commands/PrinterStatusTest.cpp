// The status answers as the status box reads them.
#include "Commands/PrinterStatus.h"

#include <gtest/gtest.h>

namespace {

TStatusAnswer Answer(TStatusRequest request, std::string bytes) {
    return {request, std::move(bytes)};
}
TStatusAnswer Answer(TStatusRequest request, std::uint8_t byte) {
    return {request, std::string(1, static_cast<char>(byte))};
}

QString Lines(const TStatusAnswer& answer) {
    return DecodeStatusByte(answer).join('|');
}

struct BitCase {
    TStatusRequest request;
    std::uint8_t bits;
    const char* line; // the fact the bits turn on
};

} // namespace

TEST(PrinterStatus, EveryBitOfEveryAnswerNamesItsFact) {
    const BitCase cases[] = {
        {srPrinter, 0x04, "錢箱接腳 3：高電位"}, {srPrinter, 0x08, "連線狀態：離線"},
        {srPrinter, 0x20, "等待恢復上線：是"},   {srPrinter, 0x40, "進紙鍵：按下"},
        {srOffline, 0x04, "上蓋：開啟"},         {srOffline, 0x08, "按進紙鍵送紙中：是"},
        {srOffline, 0x20, "因缺紙停止列印：是"}, {srOffline, 0x40, "發生錯誤：是"},
        {srError, 0x04, "機構錯誤：有"},         {srError, 0x08, "自動切刀錯誤：有"},
        {srError, 0x20, "無法恢復的錯誤：有"},   {srError, 0x40, "可自動恢復的錯誤：有"},
        {srPaper, 0x0C, "紙捲將盡：是"},         {srPaper, 0x60, "紙捲用完：是"},
    };
    for (const BitCase& c : cases) {
        const QStringList clear = DecodeStatusByte(Answer(c.request, std::uint8_t{0x12}));
        const QStringList set =
            DecodeStatusByte(Answer(c.request, static_cast<std::uint8_t>(0x12 | c.bits)));
        const QString fact = QString::fromUtf8(c.line);
        EXPECT_TRUE(set.contains(fact)) << c.line << ": " << set.join('|').toStdString();
        EXPECT_FALSE(clear.contains(fact)) << c.line;
        // Only that fact changes.
        ASSERT_EQ(set.size(), clear.size());
        int differ = 0;
        for (int i = 0; i < set.size(); ++i)
            differ += set[i] != clear[i];
        EXPECT_EQ(differ, 1) << c.line;
    }
}

TEST(PrinterStatus, TypicalAnswersOfHealthyAndEmptyPrinters) {
    EXPECT_EQ(Lines(Answer(srPrinter, std::uint8_t{0x16})),
              "錢箱接腳 3：高電位|連線狀態：上線|等待恢復上線：否|進紙鍵：放開");
    EXPECT_EQ(Lines(Answer(srPrinter, std::uint8_t{0x1A})),
              "錢箱接腳 3：低電位|連線狀態：離線|等待恢復上線：否|進紙鍵：放開");
    EXPECT_EQ(Lines(Answer(srOffline, std::uint8_t{0x72})),
              "上蓋：關閉|按進紙鍵送紙中：否|因缺紙停止列印：是|發生錯誤：是");
    EXPECT_EQ(Lines(Answer(srError, std::uint8_t{0x12})),
              "機構錯誤：無|自動切刀錯誤：無|無法恢復的錯誤：無|可自動恢復的錯誤：無");
    EXPECT_EQ(Lines(Answer(srPaper, std::uint8_t{0x7E})), "紙捲將盡：是|紙捲用完：是");
    // A sensor pair means its condition only with both bits.
    EXPECT_EQ(Lines(Answer(srPaper, std::uint8_t{0x32})), "紙捲將盡：否|紙捲用完：否");
}

TEST(PrinterStatus, WrongFixedBitsAreNeverDecoded) {
    // Each fixed bit wrong in turn: bit 0 set, bit 1 clear, bit 4 clear, bit 7 set.
    for (const std::uint8_t byte : {0x13, 0x10, 0x02, 0x92, 0xFF, 0x00, 0x7F}) {
        EXPECT_FALSE(StatusByteRecognised(byte)) << int(byte);
        const QString text = Lines(Answer(srPrinter, byte));
        EXPECT_TRUE(text.startsWith(QStringLiteral("印表機：無法辨識 ("))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("連線狀態"))) << text.toStdString();
    }
    EXPECT_EQ(Lines(Answer(srPaper, std::uint8_t{0xFE})), "紙捲感應器：無法辨識 (FE)");
    EXPECT_TRUE(StatusByteRecognised(0x12));
    EXPECT_TRUE(StatusByteRecognised(0x7E));
}

TEST(PrinterStatus, MissingAndExtraBytes) {
    EXPECT_EQ(Lines(Answer(srOffline, std::string())), "離線原因：沒有回應");
    // The first byte is the answer; what follows is shown, not decoded.
    const QStringList lines = DecodeStatusByte(Answer(srError, std::string("\x12\x7F\x01", 3)));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "機構錯誤：無");
    EXPECT_EQ(lines[4], "錯誤原因：多出的位元組 7F 01 (未採用)");
}

TEST(PrinterStatus, RequestBytesAndHex) {
    EXPECT_EQ(StatusRequestBytes(srPrinter), std::string("\x10\x04\x01", 3));
    EXPECT_EQ(StatusRequestBytes(srPaper), std::string("\x10\x04\x04", 3));
    EXPECT_EQ(HexText(std::string("\x00\x0a\xff", 3)), "00 0A FF");
    EXPECT_EQ(HexText({}), "");
}

TEST(PrinterStatus, CollectorKeepsEachAnswerToItsRequest) {
    TStatusCollector c;
    const std::uint8_t early = 0x16, answer = 0x12, late = 0x1A;
    c.Take(&early, 1); // before any request: nobody asked
    c.Begin(srPrinter);
    EXPECT_FALSE(c.Answered());
    c.Take(&answer, 1);
    EXPECT_TRUE(c.Answered());
    c.End();
    c.Take(&late, 1); // after the bound
    c.Begin(srOffline);
    EXPECT_FALSE(c.Answered()) << "a late byte was given to the next request";
    c.End();
    ASSERT_EQ(c.Answers().size(), 2u);
    EXPECT_EQ(c.Answers()[0].Bytes, "\x12");
    EXPECT_EQ(c.Answers()[0].Request, srPrinter);
    EXPECT_TRUE(c.Answers()[1].Bytes.empty());
    EXPECT_EQ(c.Answers()[1].Request, srOffline);
    // Bytes nobody asked for are kept apart, in order.
    EXPECT_EQ(c.Late(), "\x16\x1A");

    // A flood keeps the answer and 64 more, in pieces or at once, and counts the rest.
    const std::string flood(1000, '\x12');
    c.Begin(srError);
    c.Take(flood.substr(0, 10));
    c.Take(flood.substr(10));
    c.End();
    EXPECT_EQ(DecodeStatusByte(c.Answers()[2]).last(),
              QStringLiteral("錯誤原因：多出的位元組 ") + HexText(flood.substr(0, 64)) +
                  QStringLiteral("，另有 935 位元組已捨棄 (未採用)"));
}

TEST(PrinterStatus, PrinterDeviceStatusLines) {
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
        EXPECT_EQ(DecodeLptStatus(c.status).join('|'), QString::fromUtf8(c.text)) << c.status;
}
