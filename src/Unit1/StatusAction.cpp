// The status button: asks the printer on the chosen port and shows what it said, with a check
// of the connection, in an information box, or a warning when the printer cannot print.
#include "Unit1/Form1.h"

#include "DeviceIo/Devices.h"
#include "Rtl/Messages.h"
#include "Rtl/Strings.h"
#include "Unit1/StatusWording.h"

#include <cstdio>

void TForm1::Button_StatusClick() {
    TJob job(*this);
    if (Closing())
        return;
    // A mode outside the sets is said as the command layer says it; nothing is asked.
    const std::optional<TCommandSet> set = CommandSetOf(FCommandMode);
    if (!set) {
        ModeNotSupported(QStringLiteral(" (印表機狀態-可能會異常)！"));
        return;
    }
    TPort* port = FPorts->Find(FPortName);
    if (!port) {
        ShowError(QStringLiteral("無法判斷發票機 PORT ") + FPortName + "\n\r" +
                  QStringLiteral(" (列印可能會異常)！"));
        return;
    }
    // The speed chosen now, as for a command.
    ApplySpeed();
    FPorts->Claim(*port);
    TStatusReport report;
    {
        TPortCycle cycle(*this);
        TStatusQuery query(&FWaitCancel);
        query.Bound = StatusBoundMs;
        query.LptRead = LptStatusRead;
        report = query.Run(*port, *set);
    }
    // A port that does not open says so as every action does, then the check says what that
    // means.
    if (report.Outcome == soOpenFailed) {
        const QString message =
            FPortName + (port->Kind() == pkParallel ? QStringLiteral(" ReWrite(F) 失敗！")
                                                    : QStringLiteral(" PORT 開啟失敗！"));
        if (TraceEnabled())
            std::fprintf(stderr, "vemix: status open message: %s\n", message.toUtf8().constData());
        PortError(message);
    }
    if (Closing())
        return;
    const QStringList lines = StatusReportLines(report);
    if (TraceEnabled())
        std::fprintf(stderr, "vemix: status box: %s\n",
                     lines.join(QStringLiteral(" | ")).toUtf8().constData());
    // The box is the program's own: a plain line break. A printer that cannot print warns.
    const QString text = lines.join('\n');
    if (CannotPrint(report))
        ShowWarning(text);
    else
        ShowInformation(text);
}
