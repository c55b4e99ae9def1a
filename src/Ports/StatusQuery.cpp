#include "Ports/StatusQuery.h"

#include "Ports/NetPort.h"
#include "Ports/SerialPort.h"
#include "Rtl/Events.h"
#include "Rtl/Tick.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/lp.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The driver's receive settings, put back after a request.
struct TReceiveSettings {
    explicit TReceiveSettings(TSerialDriver& driver)
        : Driver(driver), Size(driver.PacketSize()), Timeout(driver.PacketTimeout()),
          Mode(driver.PacketMode()) {}
    ~TReceiveSettings() {
        Driver.SetOnReceivePacket(nullptr);
        Driver.SetPacketSize(Size);
        Driver.SetPacketTimeout(Timeout);
        Driver.SetPacketMode(Mode);
    }
    TReceiveSettings(const TReceiveSettings&) = delete;
    TReceiveSettings& operator=(const TReceiveSettings&) = delete;
    TSerialDriver& Driver;
    std::int16_t Size;
    std::int32_t Timeout;
    TPacketMode Mode;
};

} // namespace

bool IsPrinterDevice(const std::string& path) {
    return StartsWith(path, "/dev/lp") || StartsWith(path, "/dev/usb/lp");
}

int ReadLptStatus(const std::string& path, int& status) {
    // The usb printer driver only opens for writing; nothing is written.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int value = 0;
    const int err = ::ioctl(fd, LPGETSTATUS, &value) == 0 ? 0 : errno;
    ::close(fd);
    if (err == 0)
        status = value;
    return err;
}

TStatusReport TStatusQuery::Run(TPort& port, TCommandSet set) {
    TStatusReport report;
    report.Port = port.Name();
    report.Device = port.Device();
    report.Kind = port.Kind();
    FCollector = {};
    if (port.Kind() == pkParallel) {
        AskParallel(port, report);
        return report;
    }
    if (set != csEPSON) {
        report.Outcome = soNotSupported;
        return report;
    }
    const long long start = SteadyMs();
    const bool opened = port.Open();
    report.OpenMs = SteadyMs() - start;
    if (!opened) {
        report.Outcome = soOpenFailed;
        report.Failure = port.Failure().Text;
        port.Close();
        return report;
    }
    if (port.Kind() == pkSerial)
        AskSerial(static_cast<TSerialPort&>(port), report);
    else
        AskNet(static_cast<TNetPort&>(port), report);
    report.Answers = FCollector.Answers();
    port.Close();
    return report;
}

template <class Send, class Wait>
void TStatusQuery::AskAll(TStatusReport& report, Send send, Wait wait) {
    for (int n = 1; n <= StatusRequestCount; ++n) {
        const auto request = static_cast<TStatusRequest>(n);
        const std::string bytes = StatusRequestBytes(request);
        FCollector.Begin(request);
        report.ToSend += bytes.size();
        if (!send(bytes)) {
            FCollector.End();
            report.Outcome = soSendFailed;
            return;
        }
        report.Sent += bytes.size();
        const bool cancelled = !wait();
        FCollector.End();
        if (cancelled) {
            report.Outcome = soCancelled;
            return;
        }
        // A printer that let one request pass is not asked again: its late answer could not
        // be told from the answer to the next.
        if (FCollector.Answers().back().Bytes.empty())
            return;
    }
}

void TStatusQuery::AskSerial(TSerialPort& port, TStatusReport& report) {
    TSerialDriver& driver = port.Driver();
    // The answers come through the driver's receive path: one byte a packet, handed on at the
    // poll that sees it. The handler lives for this request only.
    TReceiveSettings saved(driver);
    driver.SetPacketSize(1);
    driver.SetPacketTimeout(-1);
    driver.SetOnReceivePacket([this](TSerialDriver*, const std::uint8_t* data, std::uint32_t size) {
        FCollector.Take(data, size);
    });
    auto send = [&](const std::string& bytes) {
        // What came since the last request (a late answer) is not this one's.
        driver.PurgeBuffers(true, false);
        const bool sent = port.Write(bytes);
        if (!sent)
            report.Failure = port.Failure().Text;
        return sent;
    };
    auto wait = [&] {
        const long long start = SteadyMs();
        for (;;) {
            driver.PollTimerProc();
            if (FCollector.Answered()) {
                // Bytes that came with it are shown as extra.
                driver.PollTimerProc();
                return true;
            }
            if (driver.DeviceLost() || SteadyMs() - start >= Bound)
                return true;
            if (Pause(1, FCancel) == weCancelled)
                return false;
        }
    };
    AskAll(report, send, wait);
}

void TStatusQuery::AskNet(TNetPort& port, TStatusReport& report) {
    bool closed = false;
    auto send = [&](const std::string& bytes) {
        std::string stale;
        if (!closed && port.Receive(stale, 0) == ECONNRESET)
            closed = true;
        const bool sent = !closed && port.Write(bytes);
        if (!sent)
            report.Failure = closed ? "the printer closed the connection" : port.Failure().Text;
        return sent;
    };
    auto wait = [&] {
        const long long start = SteadyMs();
        while (!FCollector.Answered()) {
            const long long left = Bound - (SteadyMs() - start);
            if (left <= 0)
                break;
            std::string got;
            const int err = port.Receive(got, static_cast<int>(left));
            FCollector.Take(reinterpret_cast<const std::uint8_t*>(got.data()), got.size());
            if (err == ECANCELED)
                return false;
            if (err != 0) {
                closed = true;
                break;
            }
        }
        return true;
    };
    AskAll(report, send, wait);
}

void TStatusQuery::AskParallel(TPort& port, TStatusReport& report) {
    if (!IsPrinterDevice(report.Device)) {
        report.Outcome = soNoStatusDevice;
        return;
    }
    int status = 0;
    const long long start = SteadyMs();
    const int err = LptRead(report.Device, status);
    report.OpenMs = SteadyMs() - start;
    if (err != 0) {
        report.Outcome = err == ENOTTY || err == EINVAL ? soNoStatusDevice : soOpenFailed;
        report.Failure = std::strerror(err);
        return;
    }
    report.LptStatus = status;
    (void)port;
}

QStringList StatusReportLines(const TStatusReport& report) {
    QStringList lines;
    const QString port = QString::fromStdString(report.Port);
    lines << QStringLiteral("連接埠：") + port + " (" + QString::fromStdString(report.Device) + ")";
    const QString why =
        report.Failure.empty() ? QString() : " (" + QString::fromStdString(report.Failure) + ")";
    switch (report.Outcome) {
    case soNotSupported:
        lines << QStringLiteral("此模式不支援狀態查詢");
        return lines;
    case soNoStatusDevice:
        lines << QStringLiteral(
                     "此裝置不回報狀態：只有印表機裝置 (/dev/lp*、/dev/usb/lp*) 會回報") +
                     why;
        return lines;
    case soOpenFailed:
        lines << QStringLiteral("連線檢查：連接埠無法開啟，沒有送出任何資料") + why;
        lines << QStringLiteral("請確認裝置存在、已接上，並有使用權限 (連接埠設定…)");
        return lines;
    default:
        break;
    }
    lines << QStringLiteral("連線檢查：開啟連接埠 %1 ms").arg(report.OpenMs);
    if (report.LptStatus) {
        lines << QStringLiteral("狀態由印表機驅動程式回報，不送出資料");
        lines << DecodeLptStatus(*report.LptStatus);
        lines << QStringLiteral("狀態線 (十六進位)：") +
                     HexText(std::string(1, static_cast<char>(*report.LptStatus & 0xFF)));
        return lines;
    }
    lines << QStringLiteral("送出查詢：%1 / %2 位元組").arg(report.Sent).arg(report.ToSend) +
                 (report.Outcome == soSendFailed ? QStringLiteral("，傳送失敗") + why : QString());
    bool any = false;
    for (const TStatusAnswer& answer : report.Answers)
        any = any || !answer.Bytes.empty();
    if (report.Outcome == soCancelled) {
        lines << QStringLiteral("查詢中止：視窗已關閉");
    } else if (!any && report.Outcome == soAsked) {
        lines << QStringLiteral("印表機沒有回應");
        lines << QStringLiteral(
            "連接埠與傳輸線可以送出資料，但印表機沒有回答。許多印表機的接線"
            "或設定只接收、不回傳 (例如只接傳送線的傳輸線，或關閉了狀態回傳)。");
    }
    if (any) {
        for (const TStatusAnswer& answer : report.Answers)
            lines << DecodeStatusByte(answer);
        for (int n = static_cast<int>(report.Answers.size()) + 1; n <= StatusRequestCount; ++n)
            lines << StatusRequestName(static_cast<TStatusRequest>(n)) +
                         QStringLiteral("：未詢問 (前一項沒有回應)");
    }
    QStringList raw;
    for (const TStatusAnswer& answer : report.Answers)
        raw << QStringLiteral("DLE EOT %1 → ").arg(static_cast<int>(answer.Request)) +
                   (answer.Bytes.empty() ? QStringLiteral("--") : HexText(answer.Bytes));
    if (!raw.isEmpty())
        lines << QStringLiteral("原始回應 (十六進位)：") + raw.join(QStringLiteral("，"));
    return lines;
}
