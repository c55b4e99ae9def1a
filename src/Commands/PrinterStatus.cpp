#include "Commands/PrinterStatus.h"

#include <algorithm>

namespace {

QString YesNo(bool on) {
    return on ? QStringLiteral("是") : QStringLiteral("否");
}
QString HasNone(bool on) {
    return on ? QStringLiteral("有") : QStringLiteral("無");
}

struct TFact {
    std::uint8_t Mask;
    const char* Name;
    QString (*Value)(bool);
};

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

const std::vector<TFact>& Facts(TStatusRequest request) {
    using namespace StatusBit;
    static const std::vector<TFact> printer{{DrawerPin3, "錢箱接腳 3", PinLevel},
                                            {Offline, "連線狀態", LineState},
                                            {WaitingRecovery, "等待恢復上線", YesNo},
                                            {FeedButton, "進紙鍵", ButtonState}};
    static const std::vector<TFact> offline{{CoverOpen, "上蓋", CoverState},
                                            {FeedingByButton, "按進紙鍵送紙中", YesNo},
                                            {StoppedByPaperEnd, "因缺紙停止列印", YesNo},
                                            {ErrorOccurred, "發生錯誤", YesNo}};
    static const std::vector<TFact> error{{Mechanical, "機構錯誤", HasNone},
                                          {AutoCutter, "自動切刀錯誤", HasNone},
                                          {Unrecoverable, "無法恢復的錯誤", HasNone},
                                          {AutoRecoverable, "可自動恢復的錯誤", HasNone}};
    static const std::vector<TFact> paper{{NearEnd, "紙捲將盡", YesNo},
                                          {PaperEnd, "紙捲用完", YesNo}};
    switch (request) {
    case srOffline:
        return offline;
    case srError:
        return error;
    case srPaper:
        return paper;
    case srPrinter:
        break;
    }
    return printer;
}

} // namespace

std::string StatusRequestBytes(TStatusRequest request) {
    return std::string{0x10, 0x04, static_cast<char>(request)};
}

bool StatusByteRecognised(std::uint8_t answer) {
    return (answer & StatusBit::FixedMask) == StatusBit::FixedValue;
}

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
    QStringList parts;
    for (const char c : bytes)
        parts
            << QStringLiteral("%1").arg(static_cast<unsigned char>(c), 2, 16, QChar('0')).toUpper();
    return parts.join(' ');
}

QStringList DecodeStatusByte(const TStatusAnswer& answer) {
    const QString name = StatusRequestName(answer.Request);
    if (answer.Bytes.empty())
        return {name + QStringLiteral("：沒有回應")};
    const auto byte = static_cast<std::uint8_t>(answer.Bytes[0]);
    QStringList lines;
    if (!StatusByteRecognised(byte)) {
        lines << name + QStringLiteral("：無法辨識 (") + HexText(answer.Bytes.substr(0, 1)) + ")";
    } else {
        for (const TFact& fact : Facts(answer.Request)) {
            // A pair of bits means the condition only when both are set.
            const bool on = (byte & fact.Mask) == fact.Mask;
            lines << QString::fromUtf8(fact.Name) + QStringLiteral("：") + fact.Value(on);
        }
    }
    if (answer.Bytes.size() > 1)
        lines << name + QStringLiteral("：多出的位元組 ") +
                     KeptBytesText(answer.Bytes.substr(1), answer.Dropped) +
                     QStringLiteral(" (未採用)");
    return lines;
}

QString KeptBytesText(const std::string& kept, std::size_t dropped) {
    return HexText(kept) +
           (dropped == 0 ? QString() : QStringLiteral("，另有 %1 位元組已捨棄").arg(dropped));
}

bool StatusAnswerStopsPrinting(const TStatusAnswer& answer) {
    using namespace StatusBit;
    if (answer.Bytes.empty() || !StatusByteRecognised(static_cast<std::uint8_t>(answer.Bytes[0])))
        return false;
    const auto byte = static_cast<std::uint8_t>(answer.Bytes[0]);
    switch (answer.Request) {
    case srPrinter:
        return byte & Offline;
    case srOffline:
        return byte & (CoverOpen | StoppedByPaperEnd | ErrorOccurred);
    case srError:
        return byte & (Mechanical | AutoCutter | Unrecoverable | AutoRecoverable);
    case srPaper:
        return (byte & PaperEnd) == PaperEnd;
    }
    return false;
}

void TStatusCollector::Begin(TStatusRequest request) {
    FAnswers.push_back({request, {}, 0});
    FOpen = true;
}

namespace {
// Appends what fits of size bytes (the first byte and StatusExtraKept more), counts the rest.
void Keep(std::string& into, std::size_t& dropped, const char* data, std::size_t size) {
    const std::size_t room = 1 + StatusExtraKept - std::min(into.size(), 1 + StatusExtraKept);
    const std::size_t n = std::min(room, size);
    into.append(data, n);
    dropped += size - n;
}
} // namespace

void TStatusCollector::Take(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    if (FOpen)
        Keep(FAnswers.back().Bytes, FAnswers.back().Dropped, bytes, size);
    else
        Keep(FLate, FLateDropped, bytes, size);
}

void TStatusCollector::Take(const std::string& bytes) {
    Take(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void TStatusCollector::End() {
    FOpen = false;
}

bool LptStatusStopsPrinting(int status) {
    using namespace LptStatusBit;
    return (status & PaperOut) || !(status & Selected) || !(status & NoError);
}

QStringList DecodeLptStatus(int status) {
    using namespace LptStatusBit;
    return {QStringLiteral("缺紙：") + YesNo(status & PaperOut),
            QStringLiteral("已選取 (上線)：") + YesNo(status & Selected),
            QStringLiteral("錯誤：") + HasNone(!(status & NoError)),
            QStringLiteral("忙碌：") + YesNo(!(status & NotBusy))};
}
