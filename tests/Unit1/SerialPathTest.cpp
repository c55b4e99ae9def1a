// The window's commands through the serial driver to a pseudo-terminal playing the printer.
#include "FormFixture.h"
#include "Pty.h"

#include "Rtl/Strings.h"

namespace {

class SerialFormTest : public FormTest {
  protected:
    SerialFormTest() : com1_("VEMIX_COM1", pty_.SlavePath()), trace_("VEMIX_TRACE", "1") {
        Port(0);
    }
    // Runs an action and returns the speed the driver's trace reports for its port cycles.
    std::string TracedLine(const std::function<void()>& action) {
        StderrCapture capture(dir_.File("trace"));
        action();
        return capture.Stop();
    }

    Pty pty_;
    ScopedEnv com1_;
    ScopedEnv trace_;
};

} // namespace

TEST_F(SerialFormTest, EveryButtonInEveryModeReachesThePrinter) {
    form().Edit1->setText(QStringLiteral("發票A"));
    form().NumEdit_LineFeed->setText("5");
    const std::string text = ToAnsi(QStringLiteral("發票A\n"));
    const std::string expected[] = {
        text + "\n" + "\x0C" + B({0x1B, 0x70, 0x30, 0x32, 0x64}) + B({0x1B, 0x64, 0x05}) +
            B({0x1D, 0x56, 0x01}),
        text + "\n" + "\x0C" + "\x07" + B({0x1B, 0x61, 0x05}) + B({0x1B, 0x43, 0x01}),
        B({0x1B, 0x1B, 0x4C, 0x52, 0x01}) + B({0x1B, 0x1B, 0x4C, 0x42, 0x05}) +
            B({0x1B, 0x1B, 0x43, 0x01}),
    };
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        Mode(mode);
        rec_.Clear();
        form().Button1Click();
        form().Button2Click();
        form().Button3Click();
        form().Button4Click();
        form().Button8Click();
        form().Button_CUTClick();
        EXPECT_EQ(pty_.Read(expected[mode].size()), expected[mode]);
        // TP-3688 lacks three commands: their messages only, the port cycles stay quiet.
        EXPECT_EQ(rec_.Texts().size(), mode == 2 ? 3 : 0) << rec_.Texts().join("|").toStdString();
        EXPECT_FALSE(form().SerialDriver1->Connected());
    }
}

TEST_F(SerialFormTest, TextLineGoesOutAt9600EightNoneOne) {
    std::string trace = TracedLine([&] { form().Button1Click(); });
    EXPECT_EQ(pty_.Read(41), ToAnsi(form().Edit1->text()) + "\n");
    EXPECT_NE(trace.find("COM1 (" + pty_.SlavePath() + "): open, 9600 8N1"), std::string::npos)
        << trace;
    EXPECT_TRUE(rec_.Texts().isEmpty());
}

TEST_F(SerialFormTest, FontGroupUsesTheSpeedTheLastCommandApplied) {
    Click(form().RadioGroup_Speed, 1);
    std::string before = TracedLine([&] { Click(form().RadioGroup_ESC_SP, 1); });
    EXPECT_NE(before.find("open, 9600 "), std::string::npos) << before;
    EXPECT_EQ(pty_.Read(3), B({0x1B, 0x20, 0x01}));
    form().Button2Click();
    std::string after = TracedLine([&] { Click(form().RadioGroup_ESC_SP, 2); });
    EXPECT_NE(after.find("open, 19200 "), std::string::npos) << after;
    EXPECT_EQ(pty_.Read(4), B({0x0A, 0x1B, 0x20, 0x02}));
}

TEST_F(SerialFormTest, CutInStartModeAt19200) {
    Mode(1);
    Click(form().RadioGroup_Speed, 1);
    std::string trace = TracedLine([&] { form().Button_CUTClick(); });
    EXPECT_EQ(pty_.Read(3), B({0x1B, 0x43, 0x01}));
    EXPECT_NE(trace.find("open, 19200 8N1"), std::string::npos) << trace;
}

TEST_F(SerialFormTest, EmptyCommandOpensAndClosesWithoutASendMessage) {
    Mode(2);
    std::string trace = TracedLine([&] { form().Button3Click(); });
    EXPECT_EQ(rec_.Texts(), QStringList{LfCr(QStringLiteral("無法判斷發票機的模式 TP-3688"),
                                             QStringLiteral(" (跳頁-可能會異常)！"))});
    EXPECT_NE(trace.find("open"), std::string::npos);
    EXPECT_NE(trace.find("close"), std::string::npos);
    EXPECT_EQ(pty_.ReadAll(100), "");
}

TEST_F(SerialFormTest, UnpluggedAdapterGivesOpenAndSendMessagesAndNoCrash) {
    pty_.CloseMaster();
    form().Button2Click();
    QStringList texts = rec_.Texts();
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.last(), QStringLiteral("RS232 元件,傳送命令異常！"));
    EXPECT_FALSE(form().SerialDriver1->Connected());
}
