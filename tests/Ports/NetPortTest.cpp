// The network port against loopback listeners: bytes exact, refusals, stalls, resets and
// names that do not resolve (through an injected lookup: no test asks a name server).
#include "Loopback.h"
#include "StatusPeer.h"

#include "Ports/NetPort.h"
#include "Rtl/Events.h"
#include "TempDir.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <random>
#include <unistd.h>

namespace {

// Standard error of the program while the object lives.
class Stderr {
  public:
    explicit Stderr(std::string path) : path_(std::move(path)), saved_(dup(2)) {
        const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        close(fd);
    }
    ~Stderr() { Text(); }
    std::string Text() {
        if (saved_ >= 0) {
            fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
        }
        return ReadFileBytes(path_);
    }

  private:
    std::string path_;
    int saved_;
};

std::string RandomBytes(std::size_t n) {
    std::mt19937 rng(7);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

TNetAddress Loopback(std::uint16_t port) {
    return {"127.0.0.1", port};
}

// Counts timer ticks: a frozen window would count none.
struct Ticker {
    int ticks = 0;
    QTimer timer;
    Ticker() {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++ticks; });
        timer.start(20);
    }
};

} // namespace

TEST(NetPort, EachCycleIsOneConnectionWithTheBytesExact) {
    LoopbackListener printer;
    TNetPort port;
    port.SetAddress(Loopback(printer.Port()));
    const std::string first = std::string("\x1B\x64\x05\x00", 4) + "line\n";
    const std::string second = RandomBytes(200000);
    for (const std::string* bytes : {&first, &second}) {
        ASSERT_TRUE(port.Open()) << port.Failure().Text;
        EXPECT_TRUE(port.Write(*bytes));
        port.Close();
        EXPECT_FALSE(port.IsOpen());
    }
    // An empty command still opens and closes.
    ASSERT_TRUE(port.Open());
    EXPECT_TRUE(port.Write(""));
    port.Close();
    const auto got = printer.Connections(3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], first);
    EXPECT_EQ(got[1], second);
    EXPECT_EQ(got[2], "");
    EXPECT_EQ(port.TraceLine(), "NET (127.0.0.1:" + std::to_string(printer.Port()) +
                                    ") [] 0 of 0 bytes, " +
                                    port.TraceLine().substr(port.TraceLine().rfind(", ") + 2));
}

TEST(NetPort, RefusedConnectionFailsAtOnceAndSaysWhy) {
    TempDir dir;
    RefusingPort nobody;
    TNetPort port;
    port.SetAddress(Loopback(nobody.Port()));
    Stderr err(dir.File("err"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port.Open());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(port.Failure().Code, ECONNREFUSED);
    EXPECT_FALSE(port.Write("x"));
    EXPECT_TRUE(port.Write("")); // nothing to send never fails, as on a serial port
    port.Close();
    const std::string text = err.Text();
    EXPECT_NE(text.find("NET (127.0.0.1:" + std::to_string(nobody.Port()) +
                        "): 127.0.0.1:" + std::to_string(nobody.Port()) + ": connection refused"),
              std::string::npos)
        << text;
}

TEST(NetPort, APrinterThatNeverReadsEndsTheWriteAtItsBoundWithTheWindowAlive) {
    TempDir dir;
    LoopbackListener printer(LoopbackListener::Mode::NeverRead);
    TNetPort port;
    port.SetAddress(Loopback(printer.Port()));
    port.SetBound(400);
    const std::string lots(32 << 20, 'x'); // more than both ends' buffers hold
    Stderr err(dir.File("err"));
    Ticker ticker;
    ASSERT_TRUE(port.Open());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port.Write(lots));
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(port.Failure().Code, ETIMEDOUT);
    EXPECT_GE(ticker.ticks, 5);
    port.Close();
    // The same job tries again without waiting; a new job waits again.
    EXPECT_TRUE(port.Hurried());
    ASSERT_TRUE(port.Open());
    clock.restart();
    EXPECT_FALSE(port.Write(lots));
    EXPECT_LT(clock.elapsed(), 400);
    port.Close();
    port.NewJob();
    EXPECT_FALSE(port.Hurried());
    EXPECT_NE(err.Text().find("timed out when the printer had taken"), std::string::npos);
}

TEST(NetPort, APrinterThatResetsMidSendIsAFailedWriteNotACrash) {
    TempDir dir;
    LoopbackListener printer(LoopbackListener::Mode::Reset);
    TNetPort port;
    port.SetAddress(Loopback(printer.Port()));
    Stderr err(dir.File("err"));
    ASSERT_TRUE(port.Open());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port.Write(std::string(32 << 20, 'y')));
    EXPECT_LT(clock.elapsed(), 4000); // the reset ends it, not the bound
    EXPECT_TRUE(port.Failure().Code == ECONNRESET || port.Failure().Code == EPIPE)
        << port.Failure().Text;
    port.Close();
    EXPECT_NE(err.Text().find("connection reset by the printer"), std::string::npos);
}

TEST(NetPort, NamesGoThroughTheLookupWhichIsBounded) {
    TempDir dir;
    LoopbackListener printer;
    TNetPort port;
    Stderr err(dir.File("err"));
    // A name the lookup does not know.
    port.SetLookup(
        [](const std::string&, std::uint16_t, std::vector<TSockAddr>&) { return EAI_NONAME; });
    port.SetAddress(TNetAddress{"printer.invalid", printer.Port()});
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.Failure().Text, "name not found");
    // A lookup that hangs is given up at its bound; the window goes on meanwhile.
    port.SetLookup([](const std::string&, std::uint16_t, std::vector<TSockAddr>&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return EAI_AGAIN;
    });
    port.SetLookupBound(200);
    Ticker ticker;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port.Open());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_GE(ticker.ticks, 3);
    EXPECT_EQ(port.Failure().Code, ETIMEDOUT);
    // A name the lookup knows reaches the printer; one lookup serves the whole job.
    int lookups = 0;
    port.SetLookup(
        [&lookups](const std::string& host, std::uint16_t p, std::vector<TSockAddr>& out) {
            ++lookups;
            TSockAddr a;
            if (host != "printer.test" || !NumericAddress("127.0.0.1", p, a))
                return EAI_NONAME;
            out.push_back(a);
            return 0;
        });
    port.SetAddress(TNetAddress{"printer.test", printer.Port()});
    for (const char* line : {"one\n", "two\n"}) {
        ASSERT_TRUE(port.Open()) << port.Failure().Text;
        EXPECT_TRUE(port.Write(line));
        port.Close();
    }
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(printer.Connections(2), (std::vector<std::string>{"one\n", "two\n"}));
    const std::string text = err.Text();
    EXPECT_NE(
        text.find("NET (printer.invalid:" + std::to_string(printer.Port()) + "): name not found"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("name lookup timed out after 200 ms"), std::string::npos) << text;
}

TEST(NetPort, NoAddressOpensNothingAndACancelledWaitSaysNothing) {
    TempDir dir;
    Stderr err(dir.File("err"));
    TNetPort port;
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.Failure().Code, EDESTADDRREQ);
    EXPECT_NE(err.Text().find("NET (no address): no printer address is set"), std::string::npos);

    LoopbackListener printer(LoopbackListener::Mode::NeverRead);
    TWaitCancel cancel;
    port.SetCancel(&cancel);
    port.SetAddress(Loopback(printer.Port()));
    Stderr quiet(dir.File("quiet"));
    ASSERT_TRUE(port.Open());
    QTimer::singleShot(100, [&] { cancel.Cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port.Write(std::string(32 << 20, 'z')));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(port.Failure().Code, ECANCELED);
    port.Close();
    EXPECT_EQ(quiet.Text(), "");
}

TEST(NetPort, BytesThePrinterDidNotTakeAreASendFailureNotADelivery) {
    TempDir dir;
    const std::string invoice = RandomBytes(489);
    struct Case {
        PeerOptions peer;
        const char* said;
    };
    PeerOptions resets(true);
    resets.resetAfter = 5;
    PeerOptions closes(true);
    closes.closeAtOnce = true;
    for (const Case& c : {Case{resets, "connection reset by the printer when"},
                          Case{closes, "by the printer when the printer had taken "}}) {
        ListeningSocket listening;
        ScriptedPrinter printer(
            listening.Fd(), [](int) { return Reply{}; }, c.peer);
        TNetPort port;
        port.SetAddress(Loopback(listening.Port()));
        Stderr err(dir.File("err"));
        ASSERT_TRUE(port.Open()) << port.Failure().Text;
        EXPECT_FALSE(port.Write(invoice)) << c.said;
        EXPECT_TRUE(port.Failure().Code == ECONNRESET || port.Failure().Code == EPIPE)
            << port.Failure().Text;
        port.Close();
        const std::string text = err.Text();
        EXPECT_NE(text.find(c.said), std::string::npos) << text;
        EXPECT_NE(text.find(" of 489 bytes"), std::string::npos) << text;
        EXPECT_NE(port.TraceLine().find(" by the printer"), std::string::npos) << port.TraceLine();
    }
    // A printer that takes every byte but keeps its end open counts as sent, unconfirmed.
    PeerOptions holds(true);
    holds.holdAtEnd = true;
    ListeningSocket listening;
    ScriptedPrinter printer(
        listening.Fd(), [](int) { return Reply{}; }, holds);
    TNetPort port;
    port.SetAddress(Loopback(listening.Port()));
    ASSERT_TRUE(port.Open());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(port.Write(invoice));
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_LT(clock.elapsed(), 6000);
    port.Close();
    EXPECT_NE(port.TraceLine().find("489 of 489 bytes"), std::string::npos) << port.TraceLine();
    EXPECT_NE(port.TraceLine().find("end not confirmed"), std::string::npos) << port.TraceLine();
    const auto got = printer.Connections(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], invoice);
}

TEST(NetPort, ALookupThatTimedOutIsShortForTheRestOfTheJob) {
    TempDir dir;
    Stderr err(dir.File("err"));
    TNetPort port;
    port.SetLookup([](const std::string&, std::uint16_t, std::vector<TSockAddr>&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3000));
        return EAI_AGAIN;
    });
    port.SetLookupBound(1000);
    port.SetAddress(TNetAddress{"printer.test", 9100});
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(port.Open());
    EXPECT_GE(clock.elapsed(), 1000);
    for (int line = 0; line < 3; ++line) {
        clock.restart();
        EXPECT_FALSE(port.Open());
        EXPECT_LT(clock.elapsed(), 700) << line;
        EXPECT_EQ(port.Failure().Code, ETIMEDOUT);
    }
    port.NewJob();
    clock.restart();
    EXPECT_FALSE(port.Open());
    EXPECT_GE(clock.elapsed(), 1000);
}
