#pragma once
// 指令主控台: a window beside the main one to type any command, see its bytes and what the
// printer would print, send it on the port and in the command set chosen in the main window,
// and see every byte the printer sends back, decoded where it is a known answer.
#include "Commands/CommandText.h"
#include "Console/ConsoleLink.h"
#include "Console/History.h"
#include "Rtl/CodePage.h"
#include "Rtl/Events.h"

#include <QWidget>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QToolButton;
class TForm1;

class TConsoleWindow : public QWidget {
    Q_OBJECT
  public:
    // A window of its own, owned by the main window; its history is kept in the settings file.
    explicit TConsoleWindow(TForm1& form);
    ~TConsoleWindow() override;

    // The main window's mode or port changed: the title follows, and a port held for the old
    // choice is closed.
    void ChoiceChanged();
    // Sends the line as it stands; a line that does not parse sends nothing.
    void SendLine();
    // Puts a ready command into the line at the caret.
    void Insert(const QString& text);

    QLineEdit* CommandLine() const { return FLine; }
    QPushButton* SendButton() const { return FSend; }
    QToolButton* ReadyButton() const { return FReady; }
    QLabel* BytesLabel() const { return FBytes; }
    QLabel* PreviewLabel() const { return FPreview; }
    QPlainTextEdit* AnswerPane() const { return FAnswers; }
    QPushButton* ClearButton() const { return FClear; }
    QPushButton* CloseButton() const { return FClose; }
    TConsoleLink& Link() { return FLink; }
    const TCommandHistory& History() const { return FHistory; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Build();
    QWidget* BuildLineRow();
    void BuildReadyMenu();
    void SetTabOrder();
    void LineEdited();
    void ShowPreview(const std::string& bytes);
    void Say(const QStringList& lines);
    void Recall(bool older);
    QString Title() const;
    std::optional<TCommandSet> Set() const;

    TForm1& FForm;
    TCodePage FCodePage;
    TCommandHistory FHistory;
    TConsoleLink FLink;
    // Cancelled when the console is asked to close: its waits end at once.
    TWaitCancel FCancel;
    TCommandText FParsed;
    QString FHeldChoice;       // the port name a held port was opened for
    TPort* FOutPort = nullptr; // the line being sent and its port
    std::string FOutgoing;
    bool FCloseAfterSend = false;

    QLineEdit* FLine;
    QPushButton* FSend;
    QToolButton* FReady;
    QLabel* FBytes;
    QLabel* FPreview;
    QScrollArea* FPreviewArea;
    QPlainTextEdit* FAnswers;
    QPushButton* FClear;
    QPushButton* FClose;
};

// The console's words (ConsoleWords.cpp): the window's language, the status box's words.

// Why a line does not parse: "第 4 個字元：zz 不是…"; "" for an empty line.
QString CommandProblemText(const TCommandText& parsed, const std::string& codePage);
// "3 位元組：1B 40 0A"; the bytes past the first shown are counted, not shown.
QString BytesText(const std::string& bytes, std::size_t shown = 256);
// One burst: "← +12 ms  12 1A  |..|" (16 bytes a line), then a line per answer it completed.
QStringList BurstLines(const TBurst& burst);
// An answer in the status box's words: "DLE EOT 1 印表機 — 錢箱接腳 3：低電位，…".
QString ReplyLine(const TReply& reply);
// The bytes going out on port, and how the port was opened for them.
QStringList WritingLines(const TLineSent& sent, const TPort& port, const std::string& bytes);
// What went wrong with a send, and a printer device's status lines after it.
QStringList ResultLines(const TLineSent& sent, const TPort& port);
// The held port was closed without the console asking (why as TConsoleLink::OnLetGo).
QString LetGoLine(const TPort& port, int why);

// A ready command: its name and its text in the console's syntax, or, when the set cannot
// write it, an empty text and why.
struct TReadyCommand {
    QString Name;
    QString Text;
    QString Why;
};
// Initialise, status 1 to 4, cut, feed 3 lines, drawer, self-test, Chinese mode on and off, as
// the set writes them (the window's own bytes where it has the command).
std::vector<TReadyCommand> ReadyCommands(std::optional<TCommandSet> set);
