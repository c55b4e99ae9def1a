// The window on "NET": every command string one connection to the printer on loopback.
#include "FormFixture.h"
#include "Loopback.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class NetFormTest : public FormTest {
  protected:
    NetFormTest() { Port(6); }
    void PrinterAt(std::uint16_t port) {
        form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", port});
    }
};

std::string Joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& p : parts)
        all += p;
    return all;
}

} // namespace

TEST_F(NetFormTest, TheInvoiceGoesOutLineByLineAsOnTheParallelPort) {
    EXPECT_EQ(form().windowTitle(), QStringLiteral("列印測試 (EPSON指令) --> NET"));
    LoopbackListener printer;
    PrinterAt(printer.Port());
    form().Button6Click();
    // 13 lines, 9 feeds, 3 lines, the page end: one connection each.
    const auto connections = printer.Connections(26);
    ASSERT_EQ(connections.size(), 26u);
    EXPECT_EQ(connections[13], "\n");
    EXPECT_EQ(connections[25], "\x0C");
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join("|").toStdString();

    Lpt1AsFifo();
    Port(4);
    form().Button6Click();
    EXPECT_EQ(Joined(connections), DrainFifo());
}

TEST_F(NetFormTest, ARefusedConnectionGivesTheOpenAndTheSendMessage) {
    RefusingPort nobody;
    PrinterAt(nobody.Port());
    StderrCapture capture(dir_.File("stderr"));
    form().Button2Click();
    EXPECT_EQ(rec_.Texts(), (QStringList{QStringLiteral("NET PORT 開啟失敗！"),
                                         QStringLiteral("NET 元件,傳送命令異常！")}));
    // Nothing to send: the open message alone.
    rec_.Clear();
    Mode(2);
    form().Button3Click();
    EXPECT_EQ(rec_.Texts().mid(1), QStringList{QStringLiteral("NET PORT 開啟失敗！")});
    EXPECT_NE(capture.Stop().find("connection refused"), std::string::npos);
}

TEST_F(NetFormTest, WithoutAnAddressNothingIsSentAndStandardErrorSaysHowToSetOne) {
    form().Ports().Net().SetAddress(std::nullopt);
    StderrCapture capture(dir_.File("stderr"));
    form().Button4Click();
    EXPECT_EQ(rec_.Texts().value(0), QStringLiteral("NET PORT 開啟失敗！"));
    EXPECT_NE(capture.Stop().find("VEMIX_NET=host[:port]"), std::string::npos);
}

TEST_F(FormTest, AStalledParallelPrinterCostsOneBoundPerJobAndEveryMessageIsShown) {
    Lpt1AsFifo();
    int writer = ::open(dir_.File("lpt1").c_str(), O_WRONLY | O_NONBLOCK);
    std::string block(4096, 'z');
    while (::write(writer, block.data(), block.size()) > 0) {
    }
    ::close(writer);
    Port(4);
    form().LptTimeoutMs = 10000;
    QElapsedTimer clock;
    clock.start();
    form().Button5Click();
    EXPECT_GE(clock.elapsed(), 10000);
    EXPECT_LT(clock.elapsed(), 12000);
    EXPECT_EQ(rec_.Texts().size(), 29);
    EXPECT_EQ(rec_.Texts().count(QStringLiteral("LPT 元件,傳送命令異常！")), 29);
    // The next job waits for the printer again.
    rec_.Clear();
    form().LptTimeoutMs = 300;
    clock.restart();
    form().Button2Click();
    EXPECT_GE(clock.elapsed(), 300);
}

TEST_F(FormTest, ACloseDuringAStalledParallelWriteEndsTheJobAndSendsNothingMore) {
    Lpt1AsFifo();
    int writer = ::open(dir_.File("lpt1").c_str(), O_WRONLY | O_NONBLOCK);
    std::string block(4096, 'z');
    std::size_t filled = 0;
    ssize_t n;
    while ((n = ::write(writer, block.data(), block.size())) > 0)
        filled += static_cast<std::size_t>(n);
    ::close(writer);
    Port(4);
    form().show();
    QElapsedTimer clock;
    QTimer::singleShot(300, [&] {
        clock.start();
        form().close();
    });
    form().Button5Click();
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join("|").toStdString();
    EXPECT_EQ(DrainFifo().size(), filled);
}

TEST_F(FormTest, TheTimerDrivenInvoiceNeverStartsInsideAnotherLinesPortWait) {
    Lpt1AsFifo();
    int writer = ::open(dir_.File("lpt1").c_str(), O_WRONLY | O_NONBLOCK);
    std::string block(4096, 'z');
    while (::write(writer, block.data(), block.size()) > 0) {
    }
    ::close(writer);
    Port(4);
    form().LptTimeoutMs = 400;
    // As while the timer-driven job waits between invoices and a button is pressed.
    form().Timer1->SetInterval(5);
    form().Timer1->SetEnabled(true);
    form().Button2Click();
    EXPECT_EQ(form().TimerCount(), 0);
    EXPECT_EQ(rec_.Texts(), QStringList{QStringLiteral("LPT 元件,傳送命令異常！")});
    // Once the line's cycle is over the timer is served again.
    QTest::qWait(100);
    EXPECT_EQ(form().TimerCount(), 1);
    form().Timer1->SetEnabled(false);
}
