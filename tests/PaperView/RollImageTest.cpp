// The roll's picture: the Ming face on the roll's columns, the overflow marked.
#include "PaperView/RollImage.h"
#include "Receipt/Printer.h"

#include <gtest/gtest.h>

TEST(RollImage, DrawsTextAndMarksTheOverflow) {
    TCodePage codePage("CP950");
    TPaper paper(codePage);
    TPaperRoll roll;
    paper.AddObserver(roll);
    TPrinter printer(csEPSON, paper);
    printer.Feed("\xb3\x5c\n" + std::string(35, '8') + "\n\x1dV\x01");
    const QImage image = RenderRoll(roll, 32);
    // 35 columns of 12 pixels between two margins of 16.
    ASSERT_EQ(image.width(), 2 * 16 + 35 * 12);
    auto darkIn = [&](QRect r) {
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    };
    EXPECT_GT(darkIn(QRect(16, 16, 24, 30)), 20) << "許 drawn in the first two columns";
    EXPECT_EQ(darkIn(QRect(16 + 24, 16, 32 * 12 - 24, 30)), 0) << "nothing after it";
    // Columns 33 to 35 of the second line sit on red; column 32 does not.
    EXPECT_EQ(image.pixel(16 + 32 * 12 + 1, 16 + 30 + 1), qRgb(255, 200, 200));
    EXPECT_EQ(image.pixel(16 + 31 * 12 + 1, 16 + 30 + 1), qRgb(255, 255, 255));
    EXPECT_GT(darkIn(QRect(16 + 32 * 12, 16 + 30, 36, 30)), 20);
}
