#pragma once
// The main window: mode, port and speed choices, the command buttons and the print jobs.
#include "Commands/CommandTable.h"
#include "Commands/Grammar.h"
#include "Forms/Timer.h"
#include "Ports/PortRegistry.h"
#include "Ports/StatusQuery.h"
#include "Rtl/Events.h"
#include "SerialDriver/SerialDriver.h"
#include "Unit1/PortRouter.h"
#include "ui_Form1.h"

#include <QDateTime>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QShortcut;
class TConsoleWindow;

class TForm1 : public QWidget, public Ui::TForm1 {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Window and state
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void RadioGroup_CommandClick() { FormShow(); }
    void RadioGroup_PortClick() { FormShow(); }
    QString CommandMode() const { return FCommandMode; }
    QString PortName() const { return FPortName; }
    std::uint8_t TimerCount() const { return FTimerCount; }

    // Command layer
    std::string BuildPrintText(const QString& text);
    std::string BuildLineFeed();
    std::string BuildFormFeed();
    std::string BuildOpenDrawer();
    std::string BuildFeedLines(std::int32_t count);
    std::string BuildCut();
    void ExecCommand(const QString& word);
    void Button9Click();

    // The print actions and jobs write their command strings to a sink: the port router,
    // unless an action runs into another. Runs an action (a button's handler, a job) with
    // its command strings going to sink instead of the ports: the same strings, one for each
    // cycle the ports would have had, and the command layer's messages as ever.
    void RunInto(TJobSink& sink, const std::function<void()>& action);
    // Commands of any kind (images, symbols, raw bytes) in the selected mode, sent whole as one
    // command string. When the mode cannot write one of them nothing is sent and the result
    // says why.
    TEncoding SendCommands(const std::vector<TCommand>& commands);

    // Port router
    void SendToPort(const std::string& data);
    void SendToCom(const std::string& data);
    void SendToLpt(const std::string& data);
    void SendToNet(const std::string& data);
    void Button7Click();
    // Opens "連接埠設定" to choose the device of each port.
    void Button_PortSettingsClick();
    // Asks the printer on the chosen port how it is and shows the answer with a connection
    // check.
    void Button_StatusClick();
    // Opens "測試頁": the test pages, previewed, then sent on the chosen port and command set.
    void Button_TestPagesClick();
    // A whole page in one port cycle, at the speed chosen now.
    void SendTestPage(const std::string& bytes);
    // Opens "指令主控台", the command console, for the chosen port and mode.
    void Button_ConsoleClick();
    // The console, once it was opened.
    TConsoleWindow* Console() const { return FConsole.get(); }
    // How long each status request waits for its answer, in ms.
    int StatusBoundMs = 500;
    // Reads a printer device's status register; tests give one they do not have.
    TLptStatusRead LptStatusRead = ReadLptStatus;

    // Print actions
    void Button1Click() { ExecCommand(QStringLiteral("列印")); }
    void Button2Click() { ExecCommand(QStringLiteral("跳行")); }
    void Button3Click() { ExecCommand(QStringLiteral("跳頁")); }
    void Button4Click() { ExecCommand(QStringLiteral("開抽屜")); }
    void Button8Click() { ExecCommand(QStringLiteral("跳多行")); }
    void Button_CUTClick() { ExecCommand(QStringLiteral("切紙")); }
    void RadioGroup_ESC_SPClick();

    // Print jobs
    void Button5Click();
    void Button6Click();
    void Button12Click();
    void Button10Click();
    void Button11Click();
    void Timer1Timer();
    static QString ZeroPad(const QString& text, int width);

    TSerialDriver* SerialDriver1;
    // The ports by name, with the devices chosen for them.
    TPortRegistry& Ports() { return *FPorts; }
    TTimer* Timer1;
    // The local clock; tests replace it.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    // How long a parallel device may take no bytes before the write counts as failed.
    int LptTimeoutMs = 10000;

    // Auto-size: every control gets the room its content needs at its fonts, and the window
    // fits round them. Runs at creation; run it again after changing fonts.
    void SizeToContents();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    friend class TConsoleWindow;
    // One action of the operator; the outermost starts a new job for the ports.
    struct TJob {
        explicit TJob(TForm1& form) : F(form) {
            if (F.FJobDepth++ == 0)
                F.FPorts->NewJob();
        }
        ~TJob() { --F.FJobDepth; }
        TJob(const TJob&) = delete;
        TJob& operator=(const TJob&) = delete;
        TForm1& F;
    };
    // A job that repeats (continuous printing, continuous cut, the timer-driven job): Escape
    // in the window ends it after the command string being sent, its pause at once.
    struct TRepeatedJob {
        explicit TRepeatedJob(TForm1& form);
        ~TRepeatedJob();
        TRepeatedJob(const TRepeatedJob&) = delete;
        TRepeatedJob& operator=(const TRepeatedJob&) = delete;
        TForm1& F;
    };
    // A port cycle in progress: the timer-driven job waits for its end before it prints.
    struct TPortCycle {
        explicit TPortCycle(TForm1& form) : F(form) { F.FPorts->BeginCycle(); }
        ~TPortCycle() { F.FPorts->EndCycle(); }
        TPortCycle(const TPortCycle&) = delete;
        TPortCycle& operator=(const TPortCycle&) = delete;
        TForm1& F;
    };

    void WireEvents();
    void ApplyFonts();
    void SetTabOrder();
    void SendLine(const QString& text);
    QString Stamp(const QString& pattern) const;
    void PauseBetweenRepetitions();
    // Escape: a repeated job that runs ends after its current command string.
    void StopRepeatedJob();
    // A port's message, unless the window is closing; details say why, as the port has it.
    void PortError(const QString& text, const QString& details = {});
    // "無法判斷發票機的模式 <mode>" LF CR note, then queued events run.
    void ModeNotSupported(const QString& note);
    // The selected set's code for a word, or nullptr after the not-supported message.
    const TCommandCode* SupportedCode(TCommandWord word);
    void ApplySpeed();
    std::string Build(TCommandWord word, std::int32_t count = 0);
    // True once the window was closed: a running job stops at its next line.
    bool Closing() const { return FClosing; }
    // True when a job stops at its next line: the window was closed, or Escape ended the
    // repeated job it is part of.
    bool JobEnding() const { return FClosing || FRepeatStopped; }

    QString FCommandMode;
    QString FPortName;
    std::uint8_t FTimerCount = 0;
    bool FClosing = false;
    // Cancelled when the window is asked to close: every wait of a job ends at once.
    TWaitCancel FWaitCancel;
    // Cancelled on a close and on Escape: the pause between repetitions ends at once.
    TWaitCancel FPauseCancel;
    int FRepeatDepth = 0;
    bool FRepeatStopped = false;
    std::unique_ptr<TPortRegistry> FPorts;
    TPortRouter FRouter{*this};
    TJobSink* FSink = &FRouter;
    QShortcut* FEscape;
    int FJobDepth = 0;
    // Made after the ports and gone before them.
    std::unique_ptr<TConsoleWindow> FConsole;
};
