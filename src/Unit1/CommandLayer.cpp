// The command layer: a command word becomes the bytes of the selected printer mode.
#include "Unit1/Form1.h"

#include "Commands/CommandTable.h"
#include "Rtl/Events.h"
#include "Rtl/Messages.h"
#include "Rtl/Strings.h"

void TForm1::ModeNotSupported(const QString& note) {
    ShowError(QStringLiteral("無法判斷發票機的模式 ") + FCommandMode + "\n\r" + note);
    ProcessMessages();
}

// The speed group reaches the driver only through a dispatched command (or a status request).
void TForm1::ApplySpeed() {
    const int index = RadioGroup_Speed->ItemIndex();
    if (index != 0 && index != 1)
        return;
    // A port the console holds open is reprogrammed, dropping both queues, only for a new
    // speed.
    const TComPortBaudRate speed = index == 0 ? br9600 : br19200;
    if (SerialDriver1->ComPortSpeed() != speed || !SerialDriver1->Connected())
        SerialDriver1->SetComPortSpeed(speed);
}

const TCommandCode* TForm1::SupportedCode(TCommandWord word) {
    const std::optional<TCommandSet> set = CommandSetOf(FCommandMode);
    if (set && CommandCode(*set, word).Supported)
        return &CommandCode(*set, word);
    ModeNotSupported(UnsupportedNote(word));
    return nullptr;
}

std::string TForm1::BuildPrintText(const QString& text) {
    const TCommandCode* code = SupportedCode(cwPrint);
    if (!code)
        return {};
    // The line end is converted with the text, so a code page that widens it stays whole.
    return ToAnsi(text + FromAnsi(code->Code));
}

std::string TForm1::BuildLineFeed() {
    return Build(cwLineFeed);
}

std::string TForm1::BuildFormFeed() {
    return Build(cwFormFeed);
}

std::string TForm1::BuildOpenDrawer() {
    return Build(cwOpenDrawer);
}

std::string TForm1::BuildFeedLines(std::int32_t count) {
    return Build(cwFeedLines, count);
}

std::string TForm1::BuildCut() {
    return Build(cwCut);
}

std::string TForm1::Build(TCommandWord word, std::int32_t count) {
    const TCommandCode* code = SupportedCode(word);
    return code ? EncodeCommand(*code, count) : std::string();
}

void TForm1::ExecCommand(const QString& word) {
    TJob job(*this);
    ApplySpeed();
    std::string data;
    const std::optional<TCommandWord> found = CommandWordOf(word);
    switch (found ? static_cast<int>(*found) : -1) {
    case cwPrint:
        data = BuildPrintText(FromAnsi(ToAnsi(Edit1->text())));
        break;
    case cwLineFeed:
        data = BuildLineFeed();
        break;
    case cwFormFeed:
        data = BuildFormFeed();
        break;
    case cwOpenDrawer:
        data = BuildOpenDrawer();
        break;
    case cwFeedLines:
        data = BuildFeedLines(NumEdit_LineFeed->AsInteger());
        break;
    case cwCut:
        data = BuildCut();
        break;
    default:
        ShowError(QStringLiteral("無法判斷發票機指令 ") + FCommandMode + "\n\r" +
                  QStringLiteral(" (控制可能會異常)！"));
        ProcessMessages();
        return;
    }
    FSink->Send(ShortString(data));
}

void TForm1::Button9Click() {
    TJob job(*this);
    ApplySpeed();
    // The memo's lines joined by CR LF, printed as one line.
    QString text = Memo2->toPlainText().replace(QChar('\n'), QStringLiteral("\r\n"));
    FSink->Send(ShortString(BuildPrintText(text)));
}
