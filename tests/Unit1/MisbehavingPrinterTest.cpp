// Status requests against printers that misbehave, on a pseudo-terminal and on a loopback
// connection: stray and late bytes, answers without end, devices and connections that go away.
#include "Loopback.h"
#include "Ports/NetPort.h"
#include "Ports/SerialPort.h"
#include "Pty.h"
#include "StatusPeer.h"
#include "TempDir.h"
#include "Unit1/StatusWording.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString Text(const TStatusReport& report) {
    return StatusReportLines(report).join('|');
}
bool Has(const TStatusReport& report, const char* text) {
    return Text(report).contains(QString::fromUtf8(text));
}

struct SerialLine {
    Pty pty;
    ScopedEnv env{"VEMIX_COM1", pty.SlavePath()};
    TSerialDriver driver;
    TSerialPort port{"COM1", driver, pnCOM1};
};

struct NetLine {
    ListeningSocket listening;
    int fd = listening.Fd();
    TNetPort port;
    NetLine() { port.SetAddress(TNetAddress{"127.0.0.1", listening.Port()}); }
};

// Counts timer ticks: a frozen window would count none.
struct Ticker {
    int ticks = 0;
    QTimer timer;
    Ticker() {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++ticks; });
        timer.start(20);
    }
};

const std::string kPaperOut = "\x1A\x32\x12\x7E";

} // namespace

TEST(MisbehavingPrinter, AStrayByteAfterAnAnswerIsExtraNotTheNextAnswer) {
    // Out of paper; a stray byte follows the first answer 20 ms later.
    for (const bool net : {false, true}) {
        auto script = [](int request) {
            Reply r(kPaperOut.substr(static_cast<std::size_t>(request - 1), 1));
            return request == 1 ? r.Stray("\x16", 20) : r;
        };
        SerialLine serial;
        NetLine network;
        TPort& port = net ? static_cast<TPort&>(network.port) : serial.port;
        ScriptedPrinter printer(net ? network.fd : serial.pty.Master(), script, net);
        TStatusQuery query;
        query.SettleMs = 100;
        const TStatusReport report = query.Run(port, csEPSON);
        EXPECT_TRUE(Has(report, "紙捲用完：是")) << net << Text(report).toStdString();
        EXPECT_TRUE(Has(report, "無法恢復的錯誤：無"));
        EXPECT_TRUE(Has(report, "印表機：多出的位元組 16 (未採用)"));
        EXPECT_TRUE(
            Has(report, "DLE EOT 1 → 1A 16，DLE EOT 2 → 32，DLE EOT 3 → 12，DLE EOT 4 → 7E"));
    }
}

TEST(MisbehavingPrinter, AnAnswerThatComesLateBelongsToNobody) {
    // The first answer (on line) comes after the bound; the printer goes off line meanwhile.
    SerialLine line;
    std::atomic<int> asked{0};
    ScriptedPrinter printer(line.pty.Master(), [&asked](int request) {
        if (asked++ == 0)
            return Reply("\x16", 700);
        return Reply(std::string(1, request == 1 ? '\x1A' : '\x12'));
    });
    TStatusQuery query;
    const TStatusReport first = query.Run(line.port, csEPSON);
    EXPECT_TRUE(Has(first, "DLE EOT 1 → --")) << Text(first).toStdString();
    // Pressed again at once: the late answer arrives while this press asks.
    const TStatusReport second = query.Run(line.port, csEPSON);
    EXPECT_TRUE(Has(second, "連線狀態：離線")) << Text(second).toStdString();
    EXPECT_FALSE(Has(second, "連線狀態：上線"));
    EXPECT_TRUE(Has(second, "遲到的位元組 (不屬於任何查詢)：16"));
    EXPECT_TRUE(Has(second, "DLE EOT 1 → 1A，DLE EOT 2 → 12"));
}

TEST(MisbehavingPrinter, AnswersWithoutEndAreCutToTheirBoundsWithTheWindowAlive) {
    // One printer keeps sending after its first answer; the other answers with 1 MB.
    for (const bool net : {false, true}) {
        SerialLine serial;
        NetLine network;
        TPort& port = net ? static_cast<TPort&>(network.port) : serial.port;
        const long long flood = net ? 1 << 20 : -1;
        ScriptedPrinter printer(
            net ? network.fd : serial.pty.Master(),
            [flood](int) { return Reply("\x12").Flood(flood); }, net);
        Ticker ticker;
        Stopwatch clock;
        TStatusQuery query;
        const TStatusReport report = query.Run(port, csEPSON);
        const long long took = clock.Ms();
        EXPECT_LT(took, 5000) << net;
        EXPECT_GE(ticker.ticks, took / 100) << net << " the window froze for " << took << " ms";
        const QString text = Text(report);
        EXPECT_LT(text.size(), 3000) << net << " " << text.left(300).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("位元組已捨棄"))) << text.left(600).toStdString();
        EXPECT_TRUE(Has(report, "連線狀態：上線"));
        // A line that never goes quiet is asked no further; a huge answer ends.
        EXPECT_TRUE(Has(report, net ? "紙捲用完：否" : "查詢停止")) << net;
    }
}

TEST(MisbehavingPrinter, ADeviceOrConnectionThatGoesAwayIsSaidToHaveGone) {
    {
        SerialLine line;
        PeerOptions gone;
        gone.vanish = [&line] { line.pty.CloseMaster(); };
        ScriptedPrinter printer(
            line.pty.Master(), [](int) { return Reply().Then(PeerEnd::Vanish); }, gone);
        TStatusQuery query;
        query.Bound = 2000;
        Stopwatch clock;
        const TStatusReport report = query.Run(line.port, csEPSON);
        EXPECT_LT(clock.Ms(), 1500) << "the wait went on after the device went away";
        EXPECT_TRUE(Has(report, "裝置已消失")) << Text(report).toStdString();
        EXPECT_FALSE(Has(report, "只接收、不回傳"));
    }
    // A network printer that resets after its first answer, one that closes on the second.
    for (const PeerEnd end : {PeerEnd::Reset, PeerEnd::Close}) {
        NetLine line;
        ScriptedPrinter printer(
            line.fd,
            [end](int request) {
                return Reply(request == 1 ? "\x16" : "").Then(request == 1 ? PeerEnd::Keep : end);
            },
            true);
        TStatusQuery query;
        query.Bound = 2000;
        const TStatusReport report = query.Run(line.port, csEPSON);
        EXPECT_TRUE(Has(report, "錢箱接腳 3：高電位")) << Text(report).toStdString();
        EXPECT_TRUE(Has(report, end == PeerEnd::Reset ? "印表機重設了連線" : "印表機關閉了連線"))
            << Text(report).toStdString();
        EXPECT_FALSE(Has(report, "只接收、不回傳"));
    }
}
