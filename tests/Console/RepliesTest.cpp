// Answers read from what a printer sends back: each to its own request whatever the split of
// the bytes, the automatic status block between them once switched on, and bytes that answer
// nothing left alone.
#include "Console/Replies.h"
#include "Receipt/Printer.h"

#include <gtest/gtest.h>

namespace {

struct Seen {
    TReplyKind kind;
    int n;
    TStatusFacts facts;
    std::string text;
    bool recognised;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> Read(TReplyReader& reader, const std::string& bytes, std::size_t step,
                       long long now = 10) {
    std::vector<Seen> seen;
    for (std::size_t at = 0; at < bytes.size(); at += step)
        for (const TReply& r : reader.Take(std::string_view(bytes).substr(at, step), now))
            seen.push_back({r.Kind, r.N, r.Facts, r.Text, r.Recognised});
    return seen;
}

} // namespace

TEST(Replies, EachAnswerToItsRequestWhateverTheSplit) {
    // The virtual printer's answers to one line that asks everything, cover and drawer open.
    TCodePage page("CP950");
    TPaper paper(page);
    TPrinter printer(csEPSON, paper);
    TPrinterState state;
    state.CoverOpen = true;
    state.DrawerOpen = true;
    printer.SetState(state);
    std::string answers;
    printer.SetOnReply([&answers](const std::string& bytes) { answers += bytes; });
    const std::string line = std::string("\x10\x04\x01\x10\x04\x02\x1Dr\x02\x1DI\x43\x1D", 13) +
                             "a\xFF" + std::string("\x1DI\x01\x10\x04\x03", 6);
    printer.Feed(line);

    TReplyReader whole;
    whole.Sent(line, csEPSON, 0);
    EXPECT_TRUE(whole.Waiting(0));
    const std::vector<Seen> all = Read(whole, answers, answers.size());
    EXPECT_FALSE(whole.Waiting(10));
    ASSERT_EQ(all.size(), 7u) << ::testing::PrintToString(
        std::vector<unsigned char>(answers.begin(), answers.end()));
    const TReplyKind kinds[] = {rkRealTime,   rkRealTime, rkDrawerSensor, rkIdentity,
                                rkAutoStatus, rkIdentity, rkRealTime};
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].kind, kinds[i]) << i;
        EXPECT_TRUE(all[i].recognised) << i;
    }
    EXPECT_TRUE(all[0].facts.DrawerPin3 && all[0].facts.Offline);
    EXPECT_TRUE(all[1].facts.CoverOpen && all[1].facts.ErrorOccurred);
    EXPECT_TRUE(all[2].facts.DrawerPin3);
    EXPECT_EQ(all[3].text, "VP-32 Virtual");
    EXPECT_TRUE(all[4].facts.CoverOpen && all[4].facts.Offline && all[4].facts.DrawerPin3);
    EXPECT_EQ(all[5].n, 1);
    EXPECT_EQ(all[6].n, 3);
    for (std::size_t step : {1, 2, 3, 5}) {
        TReplyReader split;
        split.Sent(line, csEPSON, 0);
        EXPECT_EQ(Read(split, answers, step), all) << step;
    }
}

TEST(Replies, StrayLateAndMisshapenBytes) {
    const std::string status1("\x10\x04\x01", 3), status4("\x10\x04\x04", 3);
    TReplyReader reader;
    // An answer with wrong fixed bits is that request's answer, not decoded.
    reader.Sent(status1, csEPSON, 0);
    std::vector<Seen> seen = Read(reader, "\xFF", 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].recognised);
    // After the request's time an answer answers nothing; a new line gives up the old request.
    reader.Sent(status1, csEPSON, 0);
    EXPECT_TRUE(Read(reader, "\x12", 1, TReplyReader::ExpectMs + 1).empty());
    reader.Sent(status1, csEPSON, 0);
    reader.Sent(status4, csEPSON, 0);
    seen = Read(reader, "\x7E", 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].n, 4);
    EXPECT_TRUE(seen[0].facts.PaperOut);
    // Without GS a, a block's bytes answer nothing; with it, one comes between two answers.
    const std::string block("\x18\x00\x0F\x00", 4);
    reader.Sent(status1 + status1, csEPSON, 0);
    seen = Read(reader, "\x12" + block + "\x12", 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].kind, rkRealTime);
    reader.Sent(std::string("\x1D"
                            "a\x01",
                            3) +
                    status1,
                csEPSON, 0);
    seen = Read(reader, block + "\x16", 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, rkAutoStatus);
    EXPECT_TRUE(seen[0].facts.PaperOut && seen[0].facts.Offline);
    EXPECT_TRUE(seen[1].recognised && seen[1].facts.DrawerPin3);
    // An identity block with no end is no answer; the sets without status requests ask none.
    reader.Sent(std::string("\x1DI\x41", 3), csEPSON, 0);
    EXPECT_TRUE(Read(reader, "\x5F" + std::string(TReplyReader::MaxBlock, 'x'), 7).empty());
    reader.Sent(status1, csTP3688, 0);
    EXPECT_FALSE(reader.Waiting(0));
}
