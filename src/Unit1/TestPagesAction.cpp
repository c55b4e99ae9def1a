// The test pages button: the dialog, and every page it prints sent whole, in one port cycle.
#include "Unit1/Form1.h"

#include "PagesDialog/TestPagesDialog.h"
#include "Rtl/Messages.h"

void TForm1::Button_TestPagesClick() {
    const std::optional<TCommandSet> set = CommandSetOf(FCommandMode);
    if (!set) {
        ShowError(QStringLiteral("無法判斷發票機的模式 ") + FCommandMode + "\n\r" +
                  QStringLiteral(" (列印-可能會異常)！"));
        return;
    }
    TTestPagesDialog dialog(
        *set, QStringLiteral("測試頁 (") + FCommandMode + QStringLiteral("指令) --> ") + FPortName,
        [this](const std::string& bytes) { SendTestPage(bytes); }, [this] { return Now(); }, this);
    dialog.exec();
}

void TForm1::SendTestPage(const std::string& bytes) {
    TJob job(*this);
    // The speed chosen now, as for a command.
    ApplySpeed();
    SendToPort(bytes);
}
