// The window while a port fails: each box says why in its details part, a close request made
// while a box is up ends the job once the box is dismissed, and Escape ends a repeated job.
#include "FormFixture.h"
#include "Loopback.h"

#include "Rtl/Application.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class FailingJobTest : public FormTest {
  protected:
    // Boxes in order; `onBox` runs while the first one is up.
    void RecordBoxes(std::function<void()> onBox) {
        previous_ = SetMessagePresenter([this, onBox](const TMessage& m) {
            boxes_.push_back(m);
            if (boxes_.size() == 1 && onBox)
                onBox();
        });
    }
    ~FailingJobTest() override { SetMessagePresenter(previous_); }

    QStringList Texts() const {
        QStringList out;
        for (const TMessage& m : boxes_)
            out << m.Text;
        return out;
    }

    std::vector<TMessage> boxes_;
    MessagePresenter previous_;
};

} // namespace

TEST_F(FailingJobTest, EveryPortBoxCarriesTheReasonAndTheDeviceAsItsDetails) {
    RecordBoxes(nullptr);
    const std::string tty = dir_.File("no-such-tty");
    ScopedEnv com("VEMIX_COM2", tty);
    Port(1);
    form().Button2Click();
    // A FIFO without a reader cannot be opened for writing.
    ASSERT_EQ(::mkfifo(dir_.File("lpt1").c_str(), 0600), 0);
    Port(4);
    Guarded([&] { form().Button2Click(); });
    RefusingPort nobody;
    form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", nobody.Port()});
    Port(6);
    form().Button2Click();
    ::unlink(dir_.File("lpt1").c_str());
    form().Button7Click();

    const QString serial = QString::fromStdString("COM2 (" + tty + "): No such file or directory");
    const QString fifo =
        QString::fromStdString("LPT1 (" + dir_.File("lpt1") + "): No such device or address");
    const QString net = QStringLiteral("NET (127.0.0.1:%1): ").arg(nobody.Port());
    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("COM2 PORT 開啟失敗！"), serial},
        {QStringLiteral("RS232 元件,傳送命令異常！"), serial},
        {QStringLiteral("LPT1 ReWrite(F) 失敗！"), fifo},
        {QStringLiteral("LPT 元件,傳送命令異常！"), fifo},
        {QStringLiteral("I/O error 103"), QString()},
        {QStringLiteral("NET PORT 開啟失敗！"), net},
        {QStringLiteral("NET 元件,傳送命令異常！"), net},
        {QStringLiteral("CreateFile error"),
         QString::fromStdString("LPT1 (" + dir_.File("lpt1") + "): No such file or directory")},
    };
    ASSERT_EQ(boxes_.size(), expected.size()) << Texts().join(" | ").toStdString();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(boxes_[i].Text, expected[i].first);
        EXPECT_TRUE(boxes_[i].Details.startsWith(expected[i].second))
            << boxes_[i].Details.toStdString();
    }
    // The serial hint lists the devices that exist; the refused printer says so.
    EXPECT_TRUE(boxes_[0].Details.contains("serial devices here:"));
    EXPECT_TRUE(boxes_[5].Details.contains("refused"));
}

TEST_F(FailingJobTest, ACloseWhileABoxIsUpEndsEachJobOnceTheBoxIsDismissed) {
    // The box's close request is carried out as the box goes.
    RecordBoxes([this] { form().close(); });
    ScopedEnv com("VEMIX_COM1", dir_.File("no-such-tty"));
    Port(0);
    form().show();
    form().Button5Click();
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("COM1 PORT 開啟失敗！")});

    // A missing printer device: no I/O error report after the close either.
    auto fresh = [this](int port) {
        boxes_.clear();
        form_ = std::make_unique<TForm1>();
        Port(port);
        form().show();
    };
    ScopedEnv lpt("VEMIX_LPT1", "/dev/vemix-missing-lp9");
    fresh(4);
    form().NumEdit_Page->setText("3");
    form().NumEdit_delay->setText("0");
    Guarded([&] { form().Button12Click(); });
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("LPT1 ReWrite(F) 失敗！")});

    // The timer-driven job on a refused printer stops its waiting too.
    fresh(6);
    RefusingPort nobody;
    form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", nobody.Port()});
    form().NumEdit_Page->setText("3");
    form().NumEdit_delay->setText("1");
    QElapsedTimer clock;
    clock.start();
    form().Button11Click();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("NET PORT 開啟失敗！")});
    EXPECT_EQ(form().TimerCount(), 1);
}

TEST_F(FailingJobTest, EscapeEndsARepeatedJobAndItsPauseButKeepsWhatWasClickedBefore) {
    RecordBoxes(nullptr);
    Lpt1AsFifo();
    Port(4);
    form().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    form().NumEdit_Page->setText("3");
    form().NumEdit_delay->setText("60000");
    QElapsedTimer clock;
    QTimer::singleShot(200, [&] {
        const QPoint feed = form().Button2->mapTo(&form(), form().Button2->rect().center());
        QTest::mouseClick(form().windowHandle(), Qt::LeftButton, {}, feed);
        clock.start();
        QTest::keyClick(form().windowHandle(), Qt::Key_Escape);
    });
    form().Button12Click();
    EXPECT_LT(clock.elapsed(), 2000);
    // One invoice, then the feed clicked during the pause, once the job has gone.
    std::string paper = DrainFifo();
    EXPECT_EQ(std::count(paper.begin(), paper.end(), '\x0C'), 1);
    EXPECT_EQ(paper.back(), '\x0C');
    QTest::qWait(50);
    EXPECT_EQ(DrainFifo(), "\n");

    // The timer-driven job and continuous cutting end too, and the window goes on working.
    form().NumEdit_Page->setText("5");
    form().NumEdit_delay->setText("400");
    QTimer::singleShot(600, [&] { QTest::keyClick(form().windowHandle(), Qt::Key_Escape); });
    form().Button11Click();
    EXPECT_GE(form().TimerCount(), 1);
    EXPECT_LT(form().TimerCount(), 5);
    EXPECT_FALSE(form().Timer1->Enabled());
    form().NumEdit_cut->setText("10000");
    form().NumEdit_delay->setText("50");
    QTimer::singleShot(300, [&] { QTest::keyClick(form().windowHandle(), Qt::Key_Escape); });
    clock.start();
    form().Button10Click();
    EXPECT_LT(clock.elapsed(), 5000);
    DrainFifo();
    form().Button2Click();
    EXPECT_EQ(DrainFifo(), "\n");
    EXPECT_TRUE(Texts().isEmpty()) << Texts().join(" | ").toStdString();
}
