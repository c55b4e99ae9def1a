#include "FormFixture.h"

#include "Rtl/Application.h"
#include "Rtl/Strings.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

namespace {
std::vector<std::string> SplitAfter(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        cur.push_back(c);
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}
} // namespace

TEST_F(FormTest, FullPageIs28StampedLinesThenFormFeed) {
    Lpt1AsFifo();
    Port(4);
    form().Button5Click();
    std::string paper = DrainFifo();
    ASSERT_FALSE(paper.empty());
    EXPECT_EQ(paper.back(), '\x0C');
    auto lines = SplitAfter(paper.substr(0, paper.size() - 1), '\n');
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_EQ(lines[0], "12345678901234567890123456789012\n");
    EXPECT_EQ(lines[1], ToAnsi(QStringLiteral("------Kavrilon股份有限公司------\n")));
    EXPECT_EQ(lines[2], "*01: || 2026/12/08 09:05:07:042*\n");
    EXPECT_EQ(lines[27], "*26: || 2026/12/08 09:05:07:042*\n");
    for (const auto& line : lines)
        EXPECT_EQ(line.size(), 33u) << line;
}

TEST_F(FormTest, InvoiceHas16LinesNineFeedsAndAPageEnd) {
    Lpt1AsFifo();
    Port(4);
    form().Button6Click();
    std::string paper = DrainFifo();
    ASSERT_FALSE(paper.empty());
    EXPECT_EQ(paper.back(), '\x0C');
    auto lines = SplitAfter(paper.substr(0, paper.size() - 1), '\n');
    ASSERT_EQ(lines.size(), 13u + 9u + 3u);
    for (int i = 13; i < 22; ++i)
        EXPECT_EQ(lines[i], "\n");
    EXPECT_EQ(lines[0], ToAnsi(QStringLiteral("Kavrilon股份有限公司\n")));
    EXPECT_EQ(lines[3], ToAnsi(QStringLiteral("日期:2026/12/08 09:05:07 #12345678\n")));
    EXPECT_EQ(lines[3].size(), 35u);
    EXPECT_LE(lines[1].size(), 33u);
    for (int i : {2, 4, 5, 6, 8, 9, 11, 12, 22, 23, 24})
        EXPECT_EQ(lines[i].size(), 33u) << i << ": " << lines[i];
    EXPECT_EQ(lines[24], ToAnsi(QStringLiteral("總  計:                  5,775元\n")));
}

TEST_F(FormTest, Tp3688JobsShowOneMessagePerLineAndOneForThePageEnd) {
    Lpt1AsFifo();
    Port(4);
    Mode(2);
    form().Button5Click();
    EXPECT_EQ(rec_.Texts().size(), 29);
    EXPECT_TRUE(rec_.Texts().last().endsWith(QStringLiteral(" (跳頁-可能會異常)！")));
    rec_.Clear();
    form().Button6Click();
    EXPECT_EQ(rec_.Texts().size(), 17);
    // Only the nine TP-3688 line feeds reach the printer.
    EXPECT_EQ(DrainFifo().size(), 9u * 5u);
}

TEST_F(FormTest, RepeatedInvoicesMoveTheGauge) {
    Lpt1AsFifo();
    Port(4);
    form().NumEdit_Page->setText("3");
    form().NumEdit_delay->setText("0");
    std::vector<int> progress;
    form().Now = [&] {
        progress.push_back(form().Gauge1->Progress());
        return QDateTime(QDate(2026, 12, 8), QTime(9, 0));
    };
    form().Button12Click();
    EXPECT_EQ(form().Gauge1->MaxValue(), 3);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    std::string paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 3);
}

TEST_F(FormTest, RepeatedCutsFeedThenCut) {
    Lpt1AsFifo();
    Port(4);
    form().NumEdit_cut->setText("2");
    form().NumEdit_LineFeed->setText("4");
    form().NumEdit_delay->setText("-5"); // a negative pause does not wait
    form().Button10Click();
    EXPECT_EQ(DrainFifo(),
              B({0x1B, 0x64, 0x04, 0x1D, 0x56, 0x01, 0x1B, 0x64, 0x04, 0x1D, 0x56, 0x01}));
}

TEST_F(FormTest, TimerDrivenJobPrintsPageCountInvoicesAndEnds) {
    Lpt1AsFifo();
    Port(4);
    form().NumEdit_Page->setText("2");
    form().NumEdit_delay->setText("0"); // smallest positive interval instead of never firing
    form().Button11Click();
    EXPECT_EQ(form().TimerCount(), 2);
    EXPECT_FALSE(form().Timer1->Enabled());
    EXPECT_EQ(form().Gauge1->Progress(), 2);
    std::string paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 2);
}

TEST_F(FormTest, TimerDrivenJobEndsWhenThePageCountIsLoweredBelowWhatWasPrinted) {
    Lpt1AsFifo();
    Port(4);
    form().NumEdit_Page->setText("5");
    form().NumEdit_delay->setText("1");
    form().Now = [&] {
        if (form().TimerCount() == 3)
            form().NumEdit_Page->setText("2");
        return QDateTime(QDate(2026, 12, 8), QTime(9, 0));
    };
    form().Button11Click();
    EXPECT_EQ(form().TimerCount(), 3);
    std::string paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 3);
}

TEST_F(FormTest, ClosingTheWindowEndsRunningJobs) {
    Lpt1AsFifo();
    Port(4);
    form().show();
    form().NumEdit_Page->setText("4");
    form().NumEdit_delay->setText("1");
    form().Now = [&] {
        if (form().TimerCount() == 2 || form().Gauge1->Progress() == 2)
            form().close();
        return QDateTime(QDate(2026, 12, 8), QTime(9, 0));
    };
    form().Button11Click();
    std::string paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 1);
    EXPECT_FALSE(form().Timer1->Enabled());
    form().Button12Click();
    paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 0);
}

TEST_F(FormTest, MissingParallelDeviceEndsTheFullPageAfterOneError) {
    ScopedEnv env("VEMIX_LPT1", "/dev/vemix-missing-lp9");
    Port(4);
    Guarded([&] { form().Button5Click(); });
    EXPECT_EQ(rec_.Texts().count(QStringLiteral("I/O error 103")), 1);
    EXPECT_EQ(rec_.Texts().size(), 3);
}

TEST(ZeroPad, PadsToWidthIgnoringBlanks) {
    EXPECT_EQ(TForm1::ZeroPad("7", 2), "07");
    EXPECT_EQ(TForm1::ZeroPad("26", 2), "26");
    EXPECT_EQ(TForm1::ZeroPad("", 2), "00");
    EXPECT_EQ(TForm1::ZeroPad(" 7", 2), "0 7");
    EXPECT_EQ(TForm1::ZeroPad("7", -1), "7");
}

TEST_F(FormTest, WindowRendersToPng) {
    form().show();
    QImage shot = form().grab().toImage();
    EXPECT_EQ(shot.size(), form().size());
    EXPECT_TRUE(shot.save(QStringLiteral(VEMIX_BUILD_DIR "/Form1.png")));
}

TEST_F(FormTest, ACloseDuringALongPauseEndsTheJobAtOnceAndNothingMoreIsSent) {
    Lpt1AsFifo();
    Port(4);
    form().show();
    form().NumEdit_Page->setText("3");
    form().NumEdit_delay->setText("60000");
    QElapsedTimer clock;
    QTimer::singleShot(300, [&] {
        clock.start();
        form().close();
    });
    form().Button12Click();
    EXPECT_LT(clock.elapsed(), 200);
    std::string paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 1);
    EXPECT_TRUE(rec_.Texts().isEmpty());
}

TEST_F(FormTest, ClicksDuringThePauseAllRunAfterItInTheOrderMade) {
    Lpt1AsFifo();
    Port(4);
    form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
    form().NumEdit_Page->setText("2");
    form().NumEdit_delay->setText("600");
    // Through the window, as the window system delivers clicks: each click's position must
    // survive the clicks after it.
    auto click = [&](QWidget* w) {
        QTest::mouseClick(form().windowHandle(), Qt::LeftButton, {},
                          w->mapTo(&form(), w->rect().center()));
    };
    std::string duringPause;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(150, [&] {
        click(form().Button4);
        click(form().Button_CUT);
        click(form().Button8);
        QTimer::singleShot(200, [&] { duringPause = DrainFifo(); });
    });
    form().Button12Click();
    EXPECT_GE(clock.elapsed(), 1200);
    // The first invoice was out before the clicks, and nothing of them ran in the pause.
    EXPECT_EQ(duringPause.find('\x0C'), duringPause.size() - 1) << duringPause.size();
    const std::string rest = DrainFifo();
    const std::string between =
        B({0x1B, 0x70, 0x30, 0x32, 0x64, 0x1D, 0x56, 0x01, 0x1B, 0x64, 0x01});
    EXPECT_EQ(rest.substr(0, between.size()), between);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), '\x0C'), 1);
    EXPECT_EQ(rest.back(), '\x0C');
}
