// The words of the printer's answers and of a printer device's status lines.
#include "Unit1/StatusWording.h"

#include "Rtl/Strings.h"

#include <vector>

namespace {

QString YesNo(bool on) {
    return on ? QStringLiteral("是") : QStringLiteral("否");
}
QString HasNone(bool on) {
    return on ? QStringLiteral("有") : QStringLiteral("無");
}
QString PinLevel(bool high) {
    return high ? QStringLiteral("高電位") : QStringLiteral("低電位");
}
QString LineState(bool offline) {
    return offline ? QStringLiteral("離線") : QStringLiteral("上線");
}
QString ButtonState(bool pressed) {
    return pressed ? QStringLiteral("按下") : QStringLiteral("放開");
}
QString CoverState(bool open) {
    return open ? QStringLiteral("開啟") : QStringLiteral("關閉");
}

struct TFactWords {
    TStatusFact Fact;
    const char* Name;
    QString (*Value)(bool);
};

using F = TStatusFacts;
const std::vector<TFactWords> Words{
    {&F::DrawerPin3, "錢箱接腳 3", PinLevel},
    {&F::Offline, "連線狀態", LineState},
    {&F::WaitingRecovery, "等待恢復上線", YesNo},
    {&F::FeedButton, "進紙鍵", ButtonState},
    {&F::CoverOpen, "上蓋", CoverState},
    {&F::FeedingByButton, "按進紙鍵送紙中", YesNo},
    {&F::StoppedByPaperEnd, "因缺紙停止列印", YesNo},
    {&F::ErrorOccurred, "發生錯誤", YesNo},
    {&F::MechanicalError, "機構錯誤", HasNone},
    {&F::AutoCutterError, "自動切刀錯誤", HasNone},
    {&F::UnrecoverableError, "無法恢復的錯誤", HasNone},
    {&F::AutoRecoverableError, "可自動恢復的錯誤", HasNone},
    {&F::PaperNearEnd, "紙捲將盡", YesNo},
    {&F::PaperOut, "紙捲用完", YesNo},
};

QString FactLine(TStatusFact fact, const TStatusFacts& facts) {
    for (const TFactWords& words : Words)
        if (words.Fact == fact)
            return QString::fromUtf8(words.Name) + QStringLiteral("：") + words.Value(facts.*fact);
    return {};
}

} // namespace

QString StatusRequestName(TStatusRequest request) {
    switch (request) {
    case srOffline:
        return QStringLiteral("離線原因");
    case srError:
        return QStringLiteral("錯誤原因");
    case srPaper:
        return QStringLiteral("紙捲感應器");
    case srPrinter:
        break;
    }
    return QStringLiteral("印表機");
}

QString HexText(const std::string& bytes) {
    return QString::fromStdString(FormatHex(bytes));
}

QString KeptBytesText(const std::string& kept, std::size_t dropped) {
    return HexText(kept) +
           (dropped == 0 ? QString() : QStringLiteral("，另有 %1 位元組已捨棄").arg(dropped));
}

QStringList StatusAnswerLines(const TStatusAnswer& answer) {
    const QString name = StatusRequestName(answer.Request);
    if (answer.Bytes.empty())
        return {name + QStringLiteral("：沒有回應")};
    QStringList lines;
    TStatusFacts facts;
    if (!ReadStatusAnswer(answer, facts)) {
        lines << name + QStringLiteral("：無法辨識 (") + HexText(answer.Bytes.substr(0, 1)) + ")";
    } else {
        for (const TStatusFact fact : FactsOfRequest(answer.Request))
            lines << FactLine(fact, facts);
    }
    if (answer.Bytes.size() > 1)
        lines << name + QStringLiteral("：多出的位元組 ") +
                     KeptBytesText(answer.Bytes.substr(1), answer.Dropped) +
                     QStringLiteral(" (未採用)");
    return lines;
}

QStringList FactLines(const TStatusFacts& facts, std::span<const TStatusFact> which) {
    QStringList lines;
    for (const TStatusFact fact : which)
        lines << FactLine(fact, facts);
    return lines;
}

QStringList DeviceStatusLines(int status) {
    const TDeviceLines lines = ReadDeviceLines(status);
    return {QStringLiteral("缺紙：") + YesNo(lines.PaperOut),
            QStringLiteral("已選取 (上線)：") + YesNo(lines.Selected),
            QStringLiteral("錯誤：") + HasNone(lines.Error),
            QStringLiteral("忙碌：") + YesNo(lines.Busy)};
}
