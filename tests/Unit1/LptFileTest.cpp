// LPT1 mapped to a regular file, as the window's jobs use it: the file is the printer's paper.
#include "FormFixture.h"

#include "Rtl/Strings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

std::size_t Count(const std::string& s, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(FormTest, AFileAsPrinterCollectsEveryCommandStringOfEveryJobInOrder) {
    const std::string earlier = "paper of an earlier run\n";
    { std::ofstream(dir_.File("lpt1")) << earlier; }
    Port(4);
    form().Button5Click();
    // 28 lines of 33 bytes and the page end, after what the file held.
    std::string paper = ReadFileBytes(dir_.File("lpt1"));
    ASSERT_EQ(paper.size(), earlier.size() + 28u * 33u + 1u) << paper;
    EXPECT_EQ(paper.substr(0, earlier.size()), earlier);
    paper.erase(0, earlier.size());
    EXPECT_EQ(paper.substr(0, 33), "12345678901234567890123456789012\n");
    EXPECT_EQ(paper.substr(33, 33), ToAnsi(QStringLiteral("------Kavrilon股份有限公司------\n")));
    EXPECT_EQ(paper.substr(66, 33), "*01: || 2026/12/08 09:05:07:042*\n");
    EXPECT_EQ(paper.substr(27 * 33, 34), "*26: || 2026/12/08 09:05:07:042*\n\x0C");
    EXPECT_EQ(Count(paper, "|| 2026/12/08"), 26u);

    // Separate presses follow one another on the same paper.
    std::filesystem::remove(dir_.File("lpt1"));
    form().Edit1->setText("AB");
    form().Button1Click();
    form().Button2Click();
    form().Button_CUTClick();
    EXPECT_EQ(ReadFileBytes(dir_.File("lpt1")), "AB\n\n" + B({0x1D, 0x56, 0x01}));

    // A repeated job: both invoices, each ending in its page end.
    std::filesystem::remove(dir_.File("lpt1"));
    form().NumEdit_delay->setText("0");
    form().NumEdit_Page->setText("2");
    form().Button12Click();
    paper = ReadFileBytes(dir_.File("lpt1"));
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 2);
    EXPECT_EQ(Count(paper, ToAnsi(QStringLiteral("總  計:                  5,775元\n"))), 2u);
    EXPECT_EQ(paper.substr(0, paper.size() / 2), paper.substr(paper.size() / 2));
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join('|').toStdString();
}
