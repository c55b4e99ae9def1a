#include "FormFixture.h"

#include "Rtl/Application.h"

#include <QElapsedTimer>
#include <filesystem>
#include <fstream>

TEST_F(FormTest, MissingParallelDeviceGivesThreeReportsInOrderAndCreatesNothing) {
    const std::string missing = "/dev/vemix-missing-lp9";
    ScopedEnv env("VEMIX_LPT1", missing);
    Port(4);
    bool finished = false;
    Guarded([&] {
        form().Button2Click();
        finished = true;
    });
    EXPECT_EQ(rec_.Texts(), (QStringList{QStringLiteral("LPT1 ReWrite(F) 失敗！"),
                                         QStringLiteral("LPT 元件,傳送命令異常！"),
                                         QStringLiteral("I/O error 103")}));
    EXPECT_FALSE(finished);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(FormTest, ParallelOutputReachesAFifoReader) {
    Lpt1AsFifo();
    Port(4);
    form().Button4Click();
    form().Button_CUTClick();
    EXPECT_EQ(DrainFifo(), B({0x1B, 0x70, 0x30, 0x32, 0x64, 0x1D, 0x56, 0x01}));
    EXPECT_TRUE(rec_.Texts().isEmpty());
}

TEST_F(FormTest, OfflineParallelDeviceGivesTheWriteMessageWithinTheBound) {
    Lpt1AsFifo();
    // Fill the pipe so the "printer" takes no more bytes.
    int writer = ::open(dir_.File("lpt1").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    std::string block(4096, 'z');
    while (::write(writer, block.data(), block.size()) > 0) {
    }
    ::close(writer);
    form().LptTimeoutMs = 300;
    Port(4);
    QElapsedTimer clock;
    clock.start();
    Guarded([&] { form().Button2Click(); });
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_EQ(rec_.Texts(), QStringList{QStringLiteral("LPT 元件,傳送命令異常！")});
}

TEST_F(FormTest, PortNameOutsideTheListsOpensNothing) {
    form().RadioGroup_Port->SetItems({"COM9", "LPT3"});
    form().RadioGroup_Port->SetItemIndex(0);
    form().FormShow();
    form().Button2Click();
    EXPECT_EQ(rec_.Texts(), QStringList{LfCr(QStringLiteral("無法判斷發票機 PORT COM9"),
                                             QStringLiteral(" (列印可能會異常)！"))});
    rec_.Clear();
    form().SendToLpt("x");
    EXPECT_EQ(rec_.Texts(), QStringList{LfCr(QStringLiteral("無法判斷發票機 LPT PORT COM9"),
                                             QStringLiteral(" (列印可能會異常)！"))});
}

TEST_F(FormTest, MissingSerialPortGivesOpenThenSendMessage) {
    ScopedEnv env("VEMIX_COM4", dir_.File("no-such-tty"));
    Port(3);
    form().Button2Click();
    EXPECT_EQ(rec_.Texts(), (QStringList{QStringLiteral("COM4 PORT 開啟失敗！"),
                                         QStringLiteral("RS232 元件,傳送命令異常！")}));
    EXPECT_EQ(form().SerialDriver1->ComPort(), pnCOM4);
    EXPECT_FALSE(form().SerialDriver1->Connected());
}

TEST_F(FormTest, Button7WritesItsTestLineOrSaysCreateFileError) {
    form().Button7Click();
    EXPECT_EQ(rec_.Messages().size(), 1u);
    EXPECT_EQ(rec_.Messages()[0].kind, MessageKind::Plain);
    EXPECT_EQ(rec_.Texts(), QStringList{"CreateFile error"});
    // Button7 opens an existing device only; give it one.
    { std::ofstream(dir_.File("lpt1")) << "old"; }
    rec_.Clear();
    form().Button7Click();
    EXPECT_EQ(Lpt1().substr(0, 12), "1234567890\r\n");
    EXPECT_TRUE(rec_.Texts().isEmpty());
}

TEST_F(FormTest, FailedOpenExplainsItselfOnStandardErrorInOneLine) {
    const std::string missing = "/dev/vemix-missing-lp9";
    ScopedEnv env("VEMIX_LPT2", missing);
    Port(5);
    StderrCapture capture(dir_.File("stderr"));
    Guarded([&] { form().Button3Click(); });
    std::string text = capture.Stop();
    EXPECT_NE(text.find("LPT2 (" + missing + "): No such file or directory"), std::string::npos)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    // The window's own message stays exact.
    EXPECT_EQ(rec_.Texts().value(0), QStringLiteral("LPT2 ReWrite(F) 失敗！"));
}
