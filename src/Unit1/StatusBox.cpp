// The status box's lines: the port, the connection check and what the printer said.
#include "Unit1/StatusWording.h"

#include <cerrno>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// What to do about a port that did not open, for the reason the port layer gave.
QString OpenAdvice(TPortKind kind, int code) {
    if (kind == pkNetwork) {
        switch (code) {
        case EDESTADDRREQ:
            return QStringLiteral("尚未設定網路印表機的位址：請在 連接埠設定… 輸入主機與連接埠");
        case ECONNREFUSED:
            return QStringLiteral("印表機拒絕連線：請確認連接埠 (通常是 9100) 與印表機的設定");
        case ETIMEDOUT:
            return QStringLiteral("連線逾時：請確認位址、網路線，以及印表機已開機");
        case EHOSTUNREACH:
        case ENETUNREACH:
            return QStringLiteral("找不到通往印表機的網路：請確認位址與網路設定");
        case ENOENT:
            return QStringLiteral("找不到這個主機名稱：請確認名稱，或改用印表機的 IP 位址");
        default:
            break;
        }
    }
    switch (code) {
    case EBUSY:
        return QStringLiteral("連接埠正由另一個程式使用：請先結束那個程式");
    case EISDIR:
        return QStringLiteral("這是資料夾，不是裝置：請在 連接埠設定… 選擇裝置");
    case ENOTTY:
        return QStringLiteral("這個裝置不是序列埠：請在 連接埠設定… 選擇序列埠裝置");
    case ENODEV:
        return QStringLiteral("這個連接埠後面沒有硬體：請在 連接埠設定… 選擇其他裝置");
    case ENXIO:
        return QStringLiteral("裝置沒有接上，或 FIFO 沒有讀取的程式");
    case EACCES:
    case EPERM:
        return QStringLiteral("沒有使用這個裝置的權限：請加入裝置所屬的群組並重新登入");
    default:
        return QStringLiteral("請確認裝置存在、已接上，並有使用權限 (連接埠設定…)");
    }
}

// Why the requests stopped before the last one.
QString EndLine(const TStatusReport& report) {
    switch (report.Outcome) {
    case soCancelled:
        return QStringLiteral("查詢中止：視窗已關閉");
    case soFlooded:
        return QStringLiteral("查詢停止：印表機不停送出資料，無法分辨哪個位元組是回應");
    case soDeviceLost:
        if (report.FailureCode == EPIPE)
            return QStringLiteral("查詢中斷：印表機關閉了連線");
        if (report.FailureCode == ECONNRESET)
            return QStringLiteral("查詢中斷：印表機重設了連線");
        if (report.FailureCode == EIO)
            return QStringLiteral("查詢中斷：裝置已消失 (傳輸線另一端已關閉，或轉接器被拔除)");
        return QStringLiteral("查詢中斷 (") + Q(report.Failure) + ")";
    default:
        return {};
    }
}

bool AnyAnswer(const TStatusReport& report) {
    for (const TStatusAnswer& answer : report.Answers)
        if (!answer.Bytes.empty())
            return true;
    return false;
}

void AnswerLines(const TStatusReport& report, QStringList& lines) {
    for (const TStatusAnswer& answer : report.Answers)
        lines << StatusAnswerLines(answer);
    const QString why = report.Outcome == soAsked ? QStringLiteral(" (前一項沒有回應)")
                                                  : QStringLiteral(" (查詢已停止)");
    for (int n = static_cast<int>(report.Answers.size()) + 1; n <= StatusRequestCount; ++n)
        lines << StatusRequestName(static_cast<TStatusRequest>(n)) + QStringLiteral("：未詢問") +
                     why;
}

void RequestLines(const TStatusReport& report, QStringList& lines) {
    const QString why = report.Failure.empty() ? QString() : " (" + Q(report.Failure) + ")";
    lines << QStringLiteral("送出查詢：%1 / %2 位元組").arg(report.Sent).arg(report.ToSend) +
                 (report.Outcome == soSendFailed ? QStringLiteral("，傳送失敗") + why : QString());
    const bool any = AnyAnswer(report);
    if (!EndLine(report).isEmpty())
        lines << EndLine(report);
    else if (!any && report.Outcome == soAsked && !report.Late.empty())
        lines << QStringLiteral("印表機沒有回應")
              << QStringLiteral("印表機有送出資料，但不在每項等待的 %1 ms 內：回應太慢，"
                                "或送出的不是狀態回應。")
                     .arg(report.Bound);
    else if (!any && report.Outcome == soAsked)
        lines << QStringLiteral("印表機沒有回應")
              << QStringLiteral(
                     "連接埠與傳輸線可以送出資料，但印表機沒有回答。許多印表機的接線"
                     "或設定只接收、不回傳 (例如只接傳送線的傳輸線，或關閉了狀態回傳)。");
    if (any)
        AnswerLines(report, lines);
    if (!report.Late.empty())
        lines << QStringLiteral("遲到的位元組 (不屬於任何查詢)：") +
                     KeptBytesText(report.Late, report.LateDropped);
    QStringList raw;
    for (const TStatusAnswer& answer : report.Answers)
        raw << QStringLiteral("DLE EOT %1 → ").arg(static_cast<int>(answer.Request)) +
                   (answer.Bytes.empty() ? QStringLiteral("--") : HexText(answer.Bytes));
    if (!raw.isEmpty())
        lines << QStringLiteral("原始回應 (十六進位)：") + raw.join(QStringLiteral("，"));
}

} // namespace

QStringList StatusReportLines(const TStatusReport& report) {
    QStringList lines;
    lines << QStringLiteral("連接埠：") + Q(report.Port) + " (" + Q(report.Device) + ")";
    const QString why = report.Failure.empty() ? QString() : " (" + Q(report.Failure) + ")";
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
        lines << OpenAdvice(report.Kind, report.FailureCode);
        return lines;
    default:
        break;
    }
    lines << QStringLiteral("連線檢查：開啟連接埠 %1 ms").arg(report.OpenMs);
    if (report.LptStatus) {
        lines << QStringLiteral("狀態由印表機驅動程式回報，不送出資料");
        lines << DeviceStatusLines(*report.LptStatus);
        lines << QStringLiteral("狀態線 (十六進位)：") +
                     HexText(std::string(1, static_cast<char>(*report.LptStatus & 0xFF)));
        return lines;
    }
    RequestLines(report, lines);
    return lines;
}
