// Asking a printer how it is: a scripted printer at the far end of a pseudo-terminal or a
// loopback connection, and a printer device through its status register.
#include "Ports/NetPort.h"
#include "Ports/ParallelPort.h"
#include "Ports/SerialPort.h"
#include "Pty.h"
#include "Rtl/Events.h"
#include "StatusPeer.h"
#include "TempDir.h"
#include "Unit1/StatusWording.h"

#include <QTimer>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string Joined(const TStatusReport& report) {
    return StatusReportLines(report).join('|').toStdString();
}

bool Has(const TStatusReport& report, const char* text) {
    return StatusReportLines(report).join('|').contains(QString::fromUtf8(text));
}

// COM1 on a pseudo-terminal, through the driver.
struct SerialLine {
    Pty pty;
    ScopedEnv env{"VEMIX_COM1", pty.SlavePath()};
    TSerialDriver driver;
    TSerialPort port{"COM1", driver, pnCOM1};
};

long long Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 since)
        .count();
}

} // namespace

TEST(StatusQuery, SerialPrinterAnswersEachRequestThroughTheDriver) {
    SerialLine line;
    ScriptedPrinter printer(line.pty.Master(), Answers("\x16\x12\x12\x12"));
    line.driver.SetPacketSize(-1);
    TStatusQuery query;
    const TStatusReport report = query.Run(line.port, csEPSON);
    EXPECT_EQ(report.Outcome, soAsked);
    EXPECT_EQ(report.Sent, 12u);
    EXPECT_EQ(report.ToSend, 12u);
    EXPECT_EQ(printer.Requests(), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_EQ(report.Answers.size(), 4u);
    EXPECT_TRUE(Has(report, "錢箱接腳 3：高電位")) << Joined(report);
    EXPECT_TRUE(Has(report, "紙捲用完：否"));
    EXPECT_TRUE(Has(report, "原始回應 (十六進位)：DLE EOT 1 → 16，DLE EOT 2 → 12，DLE EOT 3 → 12，"
                            "DLE EOT 4 → 12"))
        << Joined(report);
    EXPECT_FALSE(Has(report, "沒有回應"));
    // The request's handler and packet settings are gone with it, the port closed.
    EXPECT_FALSE(line.driver.OnReceivePacket());
    EXPECT_EQ(line.driver.PacketSize(), -1);
    EXPECT_EQ(line.driver.PacketTimeout(), -1);
    EXPECT_FALSE(line.driver.Connected());
}

TEST(StatusQuery, SilentPrinterIsAResultWithinTheBoundAndIsNotAskedAgain) {
    SerialLine line;
    ScriptedPrinter printer(line.pty.Master(), [](int) { return Reply{}; });
    TStatusQuery query;
    const auto start = std::chrono::steady_clock::now();
    const TStatusReport report = query.Run(line.port, csEPSON);
    const long long took = Ms(start);
    EXPECT_GE(took, 450);
    EXPECT_LT(took, 1500);
    EXPECT_EQ(report.Outcome, soAsked);
    EXPECT_EQ(printer.Requests(), std::vector<int>{1});
    EXPECT_TRUE(Has(report, "印表機沒有回應")) << Joined(report);
    EXPECT_TRUE(Has(report, "送出查詢：3 / 3 位元組"));
    EXPECT_TRUE(Has(report, "DLE EOT 1 → --"));
}

TEST(StatusQuery, LateAnswerIsNeverTakenForAnotherRequest) {
    SerialLine line;
    std::atomic<int> run{0};
    // First run: request 2 answered after its bound. Second run: every answer at once.
    ScriptedPrinter printer(line.pty.Master(), [&run](int request) {
        if (run == 0 && request == 2)
            return Reply{"\x72", 400};
        return Reply{std::string(1, request == 1 ? '\x1A' : '\x12'), 0};
    });
    TStatusQuery query;
    query.Bound = 150;
    const TStatusReport first = query.Run(line.port, csEPSON);
    ASSERT_EQ(first.Answers.size(), 2u) << Joined(first);
    EXPECT_EQ(first.Answers[0].Bytes, "\x1A");
    EXPECT_TRUE(first.Answers[1].Bytes.empty());
    EXPECT_TRUE(Has(first, "離線原因：沒有回應"));
    EXPECT_TRUE(Has(first, "錯誤原因：未詢問"));
    EXPECT_TRUE(Has(first, "紙捲感應器：未詢問"));
    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // the late byte arrives
    run = 1;
    const TStatusReport second = query.Run(line.port, csEPSON);
    ASSERT_EQ(second.Answers.size(), 4u) << Joined(second);
    for (const TStatusAnswer& a : second.Answers)
        EXPECT_EQ(a.Bytes, a.Request == srPrinter ? "\x1A" : "\x12") << int(a.Request);
}

TEST(StatusQuery, ExtraBytesAndUnrecognisedAnswersAreShownNotDecoded) {
    SerialLine line;
    ScriptedPrinter printer(line.pty.Master(), [](int request) {
        if (request == 1)
            return Reply{std::string("\x16\x16", 2), 0};
        if (request == 3)
            return Reply{"\xFF", 0};
        return Reply{"\x12", 0};
    });
    TStatusQuery query;
    const TStatusReport report = query.Run(line.port, csEPSON);
    ASSERT_EQ(report.Answers.size(), 4u) << Joined(report);
    EXPECT_TRUE(Has(report, "印表機：多出的位元組 16 (未採用)")) << Joined(report);
    EXPECT_TRUE(Has(report, "錯誤原因：無法辨識 (FF)"));
    EXPECT_FALSE(Has(report, "機構錯誤"));
    EXPECT_EQ(report.Answers[1].Bytes, "\x12") << "the extra byte went to the next request";
}

TEST(StatusQuery, OtherSetsSendNothingAndAMissingPortSaysSo) {
    {
        SerialLine line;
        ScriptedPrinter printer(line.pty.Master(), Answers("\x12\x12\x12\x12"));
        TStatusQuery query;
        for (const TCommandSet set : {csSTART, csTP3688}) {
            const TStatusReport report = query.Run(line.port, set);
            EXPECT_EQ(report.Outcome, soNotSupported);
            EXPECT_TRUE(Has(report, "此模式不支援狀態查詢"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(printer.Received(), "");
        EXPECT_FALSE(line.driver.Connected());
    }
    TempDir dir;
    ScopedEnv env("VEMIX_COM1", dir.File("missing"));
    TSerialDriver driver;
    TSerialPort port("COM1", driver, pnCOM1);
    TStatusQuery query;
    const TStatusReport report = query.Run(port, csEPSON);
    EXPECT_EQ(report.Outcome, soOpenFailed);
    EXPECT_EQ(report.Sent, 0u);
    EXPECT_TRUE(Has(report, "連線檢查：連接埠無法開啟")) << Joined(report);
}

TEST(StatusQuery, ClosingTheWindowEndsTheWaitAtOnce) {
    SerialLine line;
    ScriptedPrinter printer(line.pty.Master(), [](int) { return Reply{}; });
    TWaitCancel cancel;
    TStatusQuery query(&cancel);
    query.Bound = 5000;
    QTimer::singleShot(100, [&cancel] { cancel.Cancel(); });
    const auto start = std::chrono::steady_clock::now();
    const TStatusReport report = query.Run(line.port, csEPSON);
    EXPECT_LT(Ms(start), 1500);
    EXPECT_EQ(report.Outcome, soCancelled);
    EXPECT_TRUE(Has(report, "查詢中止"));
    EXPECT_FALSE(line.driver.Connected());
}

namespace {
// A loopback listener on a free port.
struct Listener {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t port = 0;
    Listener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd, 4);
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { close(fd); }
};
} // namespace

TEST(StatusQuery, NetworkPrinterAnswersOverItsConnection) {
    Listener listener;
    ScriptedPrinter printer(listener.fd, Answers("\x1A\x32\x12\x7E"), true);
    TNetPort port;
    port.SetAddress(TNetAddress{"127.0.0.1", listener.port});
    TStatusQuery query;
    const TStatusReport report = query.Run(port, csEPSON);
    EXPECT_EQ(report.Outcome, soAsked) << Joined(report);
    EXPECT_EQ(printer.Requests(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(Has(report, "連線狀態：離線")) << Joined(report);
    EXPECT_TRUE(Has(report, "因缺紙停止列印：是"));
    EXPECT_TRUE(Has(report, "紙捲用完：是"));
    EXPECT_FALSE(port.IsOpen());
}

TEST(StatusQuery, SilentNetworkPrinterAndARefusedConnection) {
    {
        Listener listener;
        ScriptedPrinter printer(
            listener.fd, [](int) { return Reply{}; }, true);
        TNetPort port;
        port.SetAddress(TNetAddress{"127.0.0.1", listener.port});
        TStatusQuery query;
        const auto start = std::chrono::steady_clock::now();
        const TStatusReport report = query.Run(port, csEPSON);
        EXPECT_GE(Ms(start), 450);
        EXPECT_LT(Ms(start), 1500);
        EXPECT_TRUE(Has(report, "印表機沒有回應")) << Joined(report);
    }
    std::uint16_t closedPort = 0;
    {
        Listener gone;
        closedPort = gone.port;
    }
    TNetPort port;
    port.SetAddress(TNetAddress{"127.0.0.1", closedPort});
    TStatusQuery query;
    const TStatusReport report = query.Run(port, csEPSON);
    EXPECT_EQ(report.Outcome, soOpenFailed) << Joined(report);
}

TEST(StatusQuery, PrinterDevicesReportTheirStatusLinesWithoutASend) {
    TempDir dir;
    std::vector<std::string> asked;
    TStatusQuery query;
    query.LptRead = [&asked](const std::string& path, int& status) {
        asked.push_back(path);
        if (path == "/dev/usb/lp7") {
            status = 0xB8; // paper out, selected, no error, not busy
            return 0;
        }
        return ENOENT;
    };
    {
        ScopedEnv env("VEMIX_LPT1", "/dev/usb/lp7");
        TParallelPort port("LPT1");
        // Any command set: the driver's lines do not depend on it.
        const TStatusReport report = query.Run(port, csTP3688);
        EXPECT_EQ(report.Outcome, soAsked);
        EXPECT_TRUE(Has(report, "缺紙：是|已選取 (上線)：是|錯誤：無|忙碌：否")) << Joined(report);
        EXPECT_TRUE(Has(report, "狀態線 (十六進位)：B8"));
    }
    {
        ScopedEnv env("VEMIX_LPT1", "/dev/lp5");
        TParallelPort port("LPT1");
        EXPECT_EQ(query.Run(port, csEPSON).Outcome, soOpenFailed);
    }
    {
        // A file or FIFO has no status lines: nothing is asked.
        ScopedEnv env("VEMIX_LPT1", dir.File("lpt1.bin"));
        TParallelPort port("LPT1");
        const TStatusReport report = query.Run(port, csEPSON);
        EXPECT_EQ(report.Outcome, soNoStatusDevice);
        EXPECT_TRUE(Has(report, "此裝置不回報狀態"));
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"/dev/usb/lp7", "/dev/lp5"}));
}
