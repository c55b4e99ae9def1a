// The command layer: a command word becomes the bytes of the selected printer mode.
#include "Unit1/Form1.h"

#include "Platform/Events.h"
#include "Platform/Messages.h"
#include "Platform/Strings.h"

namespace {

const QStringList TwoModes{"EPSON", "START"};
const QStringList ThreeModes{"EPSON", "START", "TP-3688"};
const QStringList CommandWords{"列印", "跳行", "跳頁", "開抽屜", "跳多行", "切紙"};

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// "無法判斷發票機的模式 <mode>" LF CR "<suffix>", then let queued events run.
void ModeNotSupported(const QString& mode, const QString& suffix) {
    ShowError(QStringLiteral("無法判斷發票機的模式 ") + mode + "\n\r" + suffix);
    ProcessMessages();
}

// The speed group reaches the driver only through a dispatched command.
void ApplySpeed(int itemIndex, TSerialDriver& driver) {
    if (itemIndex == 0)
        driver.SetComPortSpeed(br9600);
    else if (itemIndex == 1)
        driver.SetComPortSpeed(br19200);
}
} // namespace

std::string TForm1::BuildPrintText(const QString& text) {
    if (IndexOfText(TwoModes, FCommandMode) < 0) {
        ModeNotSupported(FCommandMode, QStringLiteral(" (列印-可能會異常)！"));
        return {};
    }
    return ToAnsi(text + QChar(0x0A));
}

std::string TForm1::BuildLineFeed() {
    switch (IndexOfText(ThreeModes, FCommandMode)) {
    case 0:
    case 1:
        return "\x0A";
    case 2:
        return Bytes({0x1B, 0x1B, 0x4C, 0x52, 0x01});
    }
    ModeNotSupported(FCommandMode, QStringLiteral(" (跳行-可能會異常)！"));
    return {};
}

std::string TForm1::BuildFormFeed() {
    if (IndexOfText(TwoModes, FCommandMode) < 0) {
        ModeNotSupported(FCommandMode, QStringLiteral(" (跳頁-可能會異常)！"));
        return {};
    }
    return "\x0C";
}

std::string TForm1::BuildOpenDrawer() {
    switch (IndexOfText(TwoModes, FCommandMode)) {
    case 0:
        return Bytes({0x1B, 0x70, 0x30, 0x32, 0x64});
    case 1:
        return "\x07";
    }
    ModeNotSupported(FCommandMode, QStringLiteral(" (開抽屜-可能會異常)！"));
    return {};
}

std::string TForm1::BuildFeedLines(std::int32_t count) {
    const auto n = static_cast<unsigned char>(count & 0xFF);
    switch (IndexOfText(ThreeModes, FCommandMode)) {
    case 0:
        return Bytes({0x1B, 0x64, n});
    case 1:
        return Bytes({0x1B, 0x61, n});
    case 2:
        return Bytes({0x1B, 0x1B, 0x4C, 0x42, n});
    }
    ModeNotSupported(FCommandMode, QStringLiteral(" (跳行-可能會異常)！"));
    return {};
}

std::string TForm1::BuildCut() {
    switch (IndexOfText(ThreeModes, FCommandMode)) {
    case 0:
        return Bytes({0x1D, 0x56, 0x01});
    case 1:
        return Bytes({0x1B, 0x43, 0x01});
    case 2:
        return Bytes({0x1B, 0x1B, 0x43, 0x01});
    }
    ModeNotSupported(FCommandMode, QStringLiteral(" (切紙-可能會異常)！"));
    return {};
}

void TForm1::ExecCommand(const QString& word) {
    ApplySpeed(RadioGroup_Speed->ItemIndex(), *SerialDriver1);
    std::string data;
    switch (IndexOfText(CommandWords, word)) {
    case 0:
        data = BuildPrintText(FromAnsi(ToAnsi(Edit1->text())));
        break;
    case 1:
        data = BuildLineFeed();
        break;
    case 2:
        data = BuildFormFeed();
        break;
    case 3:
        data = BuildOpenDrawer();
        break;
    case 4:
        data = BuildFeedLines(NumEdit_LineFeed->AsInteger());
        break;
    case 5:
        data = BuildCut();
        break;
    default:
        ShowError(QStringLiteral("無法判斷發票機指令 ") + FCommandMode + "\n\r" +
                  QStringLiteral(" (控制可能會異常)！"));
        ProcessMessages();
        return;
    }
    SendToPort(ShortString(data));
}

void TForm1::Button9Click() {
    ApplySpeed(RadioGroup_Speed->ItemIndex(), *SerialDriver1);
    // The memo's lines joined by CR LF, printed as one line.
    QString text = Memo2->toPlainText().replace(QChar('\n'), QStringLiteral("\r\n"));
    SendToPort(ShortString(BuildPrintText(text)));
}
