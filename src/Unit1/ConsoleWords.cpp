// The console's words: problems of a typed line, bursts and answers, what a send did.
#include "Unit1/ConsoleWindow.h"

#include "Commands/CommandTable.h"
#include "Commands/Grammar.h"
#include "Commands/PrinterStatus.h"
#include "Rtl/Strings.h"
#include "Unit1/StatusWording.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t BytesPerLine = 16;
// What the answer pane shows of a line sent: the line above shows more.
constexpr std::size_t SentShown = 32;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Printable ASCII as it is, every other byte as a dot.
QString AsText(std::string_view bytes) {
    QString text;
    for (const char c : bytes)
        text += c >= 0x20 && c < 0x7F ? QChar(c) : QChar('.');
    return text;
}

QString IdentityName(std::uint8_t n) {
    switch (n) {
    case 1:
        return QStringLiteral("型號 ID");
    case 2:
        return QStringLiteral("類型 ID");
    case 3:
        return QStringLiteral("版本 ID");
    case 0x41:
        return QStringLiteral("韌體版本");
    case 0x42:
        return QStringLiteral("製造商");
    case 0x43:
        return QStringLiteral("型號名稱");
    case 0x44:
        return QStringLiteral("序號");
    case 0x45:
        return QStringLiteral("字型");
    default:
        return QStringLiteral("識別");
    }
}

// "DLE EOT 1 印表機", "GS r 1 紙捲感應器", "GS I 0x42 製造商", "GS a 自動狀態回傳".
QString ReplyName(const TReply& reply) {
    switch (reply.Kind) {
    case rkRealTime:
        return QStringLiteral("DLE EOT %1 ").arg(reply.N) +
               StatusRequestName(static_cast<TStatusRequest>(reply.N));
    case rkPaperSensor:
        return QStringLiteral("GS r %1 紙捲感應器").arg(reply.N);
    case rkDrawerSensor:
        return QStringLiteral("GS r %1 錢箱").arg(reply.N);
    case rkIdentity:
        return (reply.N < 10 ? QStringLiteral("GS I %1 ").arg(reply.N)
                             : QStringLiteral("GS I 0x%1 ").arg(reply.N, 2, 16)) +
               IdentityName(reply.N);
    case rkAutoStatus:
        break;
    }
    return QStringLiteral("GS a 自動狀態回傳");
}

std::span<const TStatusFact> FactsOf(const TReply& reply) {
    switch (reply.Kind) {
    case rkRealTime:
        return FactsOfRequest(static_cast<TStatusRequest>(reply.N));
    case rkPaperSensor:
        return FactsOfSensor(true);
    case rkDrawerSensor:
        return FactsOfSensor(false);
    case rkAutoStatus:
        return FactsOfAutoStatus();
    case rkIdentity:
        break;
    }
    return {};
}

QString PortLabel(const TPort& port) {
    return Q(port.Name() + " (" + port.Device() + ")");
}

QString Reason(const TPortFailure& failure) {
    if (!failure.Text.empty())
        return Q(failure.Text);
    return Q(failure.Code ? std::strerror(failure.Code) : "failed");
}

// The window's messages for a port that did not open or did not take the bytes.
QString OpenMessage(const TPort& port) {
    return Q(port.Name()) + (port.Kind() == pkParallel ? QStringLiteral(" ReWrite(F) 失敗！")
                                                       : QStringLiteral(" PORT 開啟失敗！"));
}
QString WriteMessage(const TPort& port) {
    switch (port.Kind()) {
    case pkSerial:
        return QStringLiteral("RS232 元件,傳送命令異常！");
    case pkParallel:
        return QStringLiteral("LPT 元件,傳送命令異常！");
    case pkNetwork:
        break;
    }
    return Q(port.Name()) + QStringLiteral(" 元件,傳送命令異常！");
}

QStringList LptLines(const TLineSent& sent, const TPort& port) {
    if (port.Answers() != akDeviceLines)
        return {
            QStringLiteral("   此裝置不回報狀態：只有印表機裝置 (/dev/lp*、/dev/usb/lp*) 會回報")};
    if (!sent.LptStatus)
        return {QStringLiteral("   狀態線無法讀取 (") + Q(std::strerror(sent.LptError)) + ")"};
    return {QStringLiteral("   狀態線：") +
            DeviceStatusLines(*sent.LptStatus).join(QStringLiteral("，")) + QStringLiteral(" (") +
            HexText(std::string(1, static_cast<char>(*sent.LptStatus & 0xFF))) + ")"};
}

} // namespace

QString CommandProblemText(const TCommandText& parsed, const std::string& codePage) {
    const QString at = QStringLiteral("第 %1 個字元：").arg(parsed.Position + 1);
    switch (parsed.Problem) {
    case tpNone:
    case tpEmpty:
        return {};
    case tpOddHex:
        return at + parsed.Item + QStringLiteral(" 的十六進位數字要兩個一組");
    case tpBadHex:
        return at + parsed.Item + QStringLiteral("：0x 後面要一或兩個十六進位數字");
    case tpUnknownWord:
        return at + parsed.Item +
               QStringLiteral(" 不是十六進位、控制碼名稱 (大寫)、單一字元或引號中的文字");
    case tpOpenQuote:
        return at + QStringLiteral("引號沒有結束");
    case tpBadEscape:
        return at + parsed.Item + QStringLiteral(" 不是跳脫字元 (\\xHH \\n \\r \\t \\\\ \\\" \\0)");
    case tpUnmappable:
        return at + parsed.Item + QStringLiteral(" 不在印表機的字碼頁 ") + Q(codePage) +
               QStringLiteral(" 中");
    }
    return {};
}

QString BytesText(const std::string& bytes, std::size_t shown) {
    const QString count = QStringLiteral("%1 位元組：").arg(bytes.size());
    if (bytes.size() <= shown)
        return count + HexText(bytes);
    return count + HexText(bytes.substr(0, shown)) + QStringLiteral(" …");
}

QStringList BurstLines(const TBurst& burst) {
    QStringList lines;
    const QString time = QStringLiteral("← +%1 ms").arg(burst.MsSinceSend);
    const QString indent(time.size(), ' ');
    for (std::size_t at = 0; at < burst.Bytes.size(); at += BytesPerLine) {
        const std::string_view part = std::string_view(burst.Bytes).substr(at, BytesPerLine);
        lines << (at == 0 ? time : indent) + "  " +
                     HexText(std::string(part)).leftJustified(3 * BytesPerLine) + " |" +
                     AsText(part) + "|";
    }
    for (const TReply& reply : burst.Replies)
        lines << "   " + ReplyLine(reply);
    return lines;
}

QString ReplyLine(const TReply& reply) {
    const QString name = ReplyName(reply) + QStringLiteral(" — ");
    if (!reply.Recognised)
        return name + QStringLiteral("無法辨識 (") + HexText(reply.Bytes) + ")";
    if (reply.Kind == rkIdentity)
        return name + (reply.Text.empty() && reply.Bytes.size() == 1 ? HexText(reply.Bytes)
                                                                     : Q(reply.Text));
    return name + FactLines(reply.Facts, FactsOf(reply)).join(QStringLiteral("，"));
}

QStringList WritingLines(const TLineSent& sent, const TPort& port, const std::string& bytes) {
    QStringList lines;
    if (sent.NewlyOpened && port.Answers() == akStatusBytes)
        lines << QStringLiteral("   開啟 %1 (%2 ms)，保持開啟：印表機之後送出的位元組也會顯示")
                     .arg(PortLabel(port))
                     .arg(sent.OpenMs);
    lines << QStringLiteral("→ ") + Q(port.Name()) + "  " + BytesText(bytes, SentShown);
    return lines;
}

QStringList ResultLines(const TLineSent& sent, const TPort& port) {
    if (!sent.Opened)
        return {QStringLiteral("× ") + OpenMessage(port) + " " + PortLabel(port) + ": " +
                Reason(sent.Failure) + QStringLiteral("；沒有送出任何位元組")};
    QStringList lines;
    if (!sent.Written)
        lines << QStringLiteral("× ") + WriteMessage(port) + " " + PortLabel(port) + ": " +
                     Reason(sent.Failure) +
                     (port.Answers() == akStatusBytes ? QStringLiteral("；連接埠已關閉")
                                                      : QString());
    if (port.Kind() == pkParallel)
        lines << LptLines(sent, port);
    return lines;
}

QString LetGoLine(const TPort& port, int why) {
    const QString name = QStringLiteral("! ") + Q(port.Name()) + " ";
    const QString again = QStringLiteral("；下次送出時重新開啟");
    switch (why) {
    case 0:
        return name + QStringLiteral("已關閉，讓主視窗使用裝置") + again;
    case EIO:
        return name + QStringLiteral("裝置已消失 (傳輸線另一端已關閉，或轉接器被拔除)") + again;
    case EPIPE:
        return name + QStringLiteral("印表機關閉了連線") + again;
    case ECONNRESET:
        return name + QStringLiteral("印表機重設了連線") + again;
    default:
        return name + QStringLiteral("連線中斷 (") + Q(std::strerror(why)) + ")" + again;
    }
}

namespace {

QString WindowCommand(TCommandSet set, TCommandWord word, int count, QString& why) {
    const TCommandCode& code = CommandCode(set, word);
    if (!code.Supported) {
        why = QStringLiteral("此模式沒有這個指令");
        return {};
    }
    return FormatCommandText(EncodeCommand(code, count), set);
}

QString Typed(TCommandSet set, const TCommand& command, QString& why) {
    const TEncoding encoding = Encode(set, command);
    if (!encoding.Supported) {
        why = Q(encoding.Reason);
        return {};
    }
    return FormatCommandText(encoding.Bytes, set);
}

} // namespace

std::vector<TReadyCommand> ReadyCommands(std::optional<TCommandSet> maybeSet) {
    const TCommandSet set = maybeSet.value_or(csEPSON);
    std::vector<TReadyCommand> ready;
    auto add = [&](const QString& name, auto make) {
        TReadyCommand command{name, {}, {}};
        command.Text = make(command.Why);
        ready.push_back(command);
    };
    add(QStringLiteral("初始化"), [&](QString& why) { return Typed(set, Cmd::Init{}, why); });
    for (int n = 1; n <= StatusRequestCount; ++n)
        add(QStringLiteral("狀態 %1：").arg(n) + StatusRequestName(static_cast<TStatusRequest>(n)),
            [&](QString& why) {
                return Typed(set, Cmd::RealTimeStatus{static_cast<std::uint8_t>(n)}, why);
            });
    add(QStringLiteral("切紙"), [&](QString& why) { return WindowCommand(set, cwCut, 0, why); });
    add(QStringLiteral("進紙 3 行"),
        [&](QString& why) { return WindowCommand(set, cwFeedLines, 3, why); });
    add(QStringLiteral("開錢箱"),
        [&](QString& why) { return WindowCommand(set, cwOpenDrawer, 0, why); });
    add(QStringLiteral("自我測試"), [&](QString& why) { return Typed(set, Cmd::SelfTest{}, why); });
    add(QStringLiteral("中文模式開"),
        [&](QString& why) { return Typed(set, Cmd::ChineseMode{true}, why); });
    add(QStringLiteral("中文模式關"),
        [&](QString& why) { return Typed(set, Cmd::ChineseMode{false}, why); });
    return ready;
}
