// Waits that keep the window alive: they end on time, on the descriptor, or when cancelled,
// and the window system's own events run meanwhile.
#include "Rtl/Events.h"
#include "Rtl/Messages.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace {

class PaintCounter : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

struct Pipe {
    int r = -1, w = -1;
    Pipe() {
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            r = fds[0];
            w = fds[1];
        }
    }
    ~Pipe() {
        ::close(r);
        ::close(w);
    }
    void Fill() const {
        char block[4096] = {};
        while (::write(w, block, sizeof block) > 0) {
        }
    }
};

} // namespace

TEST(Pause, EndsOnTimeWhileTimersAndPaintingGoOn) {
    PaintCounter widget;
    widget.resize(40, 40);
    widget.show();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        widget.update();
    });
    ticker.start(20);
    const int paintsBefore = widget.paints;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Pause(300), weReady);
    const qint64 took = clock.elapsed();
    EXPECT_GE(took, 300);
    EXPECT_LT(took, 300 + 150); // the machine may be busy; on an idle one it is within 5 ms
    EXPECT_GE(ticks, 5);
    EXPECT_GT(widget.paints, paintsBefore);
}

TEST(Pause, ACancelDuringTheWaitEndsItAtOnceAndLaterWaitsReturnStraightAway) {
    TWaitCancel cancel;
    QTimer::singleShot(50, [&] { cancel.Cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Pause(60000, &cancel), weCancelled);
    EXPECT_LT(clock.elapsed(), 1000);
    clock.restart();
    EXPECT_EQ(Pause(5000, &cancel), weCancelled);
    Pipe p;
    EXPECT_EQ(WaitForFd(p.r, POLLIN, 5000, &cancel), weCancelled);
    EXPECT_LT(clock.elapsed(), 100);
    cancel.Reset();
    EXPECT_EQ(Pause(1, &cancel), weReady);
    EXPECT_EQ(Pause(0, &cancel), weReady);
    EXPECT_EQ(Pause(-20, &cancel), weReady);
}

TEST(WaitForFd, ReadyWhenTheDescriptorIsElseTimesOut) {
    Pipe p;
    short revents = 0;
    // Nothing to read: the bound ends it.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(WaitForFd(p.r, POLLIN, 150, nullptr, &revents), weTimeout);
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_EQ(revents, 0);
    // A write from a timer event (run by the wait itself) makes it ready.
    QTimer::singleShot(30, [&] { EXPECT_EQ(::write(p.w, "x", 1), 1); });
    clock.restart();
    EXPECT_EQ(WaitForFd(p.r, POLLIN, 5000, nullptr, &revents), weReady);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(revents & POLLIN);
    // A full pipe has no room until its reader takes some.
    p.Fill();
    EXPECT_EQ(WaitForFd(p.w, POLLOUT, 0), weTimeout);
    QTimer::singleShot(30, [&] {
        char buf[8192];
        EXPECT_GT(::read(p.r, buf, sizeof buf), 0);
    });
    EXPECT_EQ(WaitForFd(p.w, POLLOUT, 5000, nullptr, &revents), weReady);
    EXPECT_TRUE(revents & POLLOUT);
    // A reader that goes away is reported, not waited out.
    p.Fill();
    QTimer::singleShot(30, [&] {
        ::close(p.r);
        p.r = -1;
    });
    clock.restart();
    EXPECT_EQ(WaitForFd(p.w, POLLOUT, 5000, nullptr, &revents), weReady);
    EXPECT_TRUE(revents & POLLERR);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(Pause, AMessageBoxOpenedDuringTheWaitStillTakesItsClick) {
    int result = -1;
    QTimer::singleShot(30, [&] {
        QDialog box;
        QPushButton ok("OK", &box);
        ok.setGeometry(10, 10, 60, 30);
        QObject::connect(&ok, &QPushButton::clicked, &box, &QDialog::accept);
        // Through the box's window, as the window system delivers a click.
        QTimer::singleShot(50, [&] {
            QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, ok.geometry().center());
        });
        QTimer::singleShot(3000, &box, &QDialog::reject);
        result = box.exec();
    });
    QElapsedTimer clock;
    clock.start();
    Pause(200);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(Messages, WithoutAPresenterTheDefaultShowsThemAndStandardErrorIsTheLastResort) {
    const MessagePresenter test = SetMessagePresenter(nullptr);
    std::vector<QString> shown;
    SetDefaultMessagePresenter([&](const TMessage& m) {
        shown.push_back((m.Kind == MessageKind::Error ? "E:" : "M:") + m.Text);
    });
    ShowError(QStringLiteral("boom"));
    ShowMessage(QStringLiteral("done"));
    EXPECT_EQ(shown, (std::vector<QString>{"E:boom", "M:done"}));
    SetDefaultMessagePresenter(nullptr);
    testing::internal::CaptureStderr();
    ShowError(QStringLiteral("印表機離線"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("印表機離線"), std::string::npos) << log;
    EXPECT_EQ(shown.size(), 2u);
    SetMessagePresenter(test);
}
