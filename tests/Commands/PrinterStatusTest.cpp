// The status requests and what each got back, kept to its own request.
#include "Commands/PrinterStatus.h"

#include <gtest/gtest.h>

TEST(PrinterStatus, RequestsAreTheLanguagesAndOnlyEscPosHasThem) {
    EXPECT_EQ(StatusRequestBytes(srPrinter), std::string("\x10\x04\x01", 3));
    EXPECT_EQ(StatusRequestBytes(srPaper), std::string("\x10\x04\x04", 3));
    EXPECT_TRUE(AsksStatus(csEPSON));
    EXPECT_FALSE(AsksStatus(csSTART));
    EXPECT_FALSE(AsksStatus(csTP3688));
}

TEST(PrinterStatus, WrongFixedBitsAreNeverRead) {
    // Each fixed bit wrong in turn: bit 0 set, bit 1 clear, bit 4 clear, bit 7 set.
    for (const std::uint8_t byte : {0x13, 0x10, 0x02, 0x92, 0xFF, 0x00, 0x7F}) {
        TStatusFacts facts;
        EXPECT_FALSE(ReadStatusAnswer({srPrinter, std::string(1, static_cast<char>(byte))}, facts))
            << int(byte);
        EXPECT_EQ(facts, TStatusFacts{}) << int(byte);
    }
    TStatusFacts facts;
    EXPECT_FALSE(ReadStatusAnswer({srPaper, {}}, facts));
    // Only the first byte is the answer.
    EXPECT_TRUE(ReadStatusAnswer({srPaper, std::string("\x7E\xFF", 2)}, facts));
    EXPECT_TRUE(facts.PaperOut);
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
    EXPECT_EQ(c.Answers()[2].Bytes, flood.substr(0, 65));
    EXPECT_EQ(c.Answers()[2].Dropped, 935u);
}
