// The command console against the virtual printer's logic on a pseudo-terminal and on NET:
// what is typed goes out exactly, answers appear decoded, also late ones, a printer that goes
// away is said, and the main window's buttons share the port the console holds.
#include "FormFixture.h"
#include "Loopback.h"
#include "PrinterPeer.h"
#include "Pty.h"

#include "Ports/PortSettings.h"
#include "Unit1/ConsoleWindow.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

class ConsoleTest : public FormTest {
  protected:
    ConsoleTest() : com1_("VEMIX_COM1", pty_.SlavePath()) {
        QFile::remove(TPortSettings::DefaultFile());
        Port(0);
        form().Button_ConsoleClick();
        console_ = form().Console();
    }
    // Types the line and presses Enter, as the user does.
    void Type(const QString& line) {
        console_->CommandLine()->setFocus();
        console_->CommandLine()->setText(line);
        QTest::keyClick(console_->CommandLine(), Qt::Key_Return);
    }
    QString Pane() const { return console_->AnswerPane()->toPlainText(); }
    // Waits until the pane shows text (answers between sends come by the window's timers).
    bool PaneShows(const QString& text, int timeoutMs = 5000) {
        for (Stopwatch watch; watch.Ms() < timeoutMs; QTest::qWait(10))
            if (Pane().contains(text))
                return true;
        return Pane().contains(text);
    }

    Pty pty_;
    ScopedEnv com1_;
    TConsoleWindow* console_ = nullptr;
};

} // namespace

TEST_F(ConsoleTest, StatusAnswersAppearDecodedAndTheBytesGoWholeOnThePortKeptOpen) {
    TPrinterState state;
    state.Paper = TPaperLevel::Out;
    PrinterPeer printer(pty_.Master(), false, state);
    EXPECT_EQ(console_->windowTitle(), QStringLiteral("指令主控台 (EPSON指令) --> COM1"));
    Type(QStringLiteral("DLE EOT 4 GS r 1 GS I 1 GS I 0x42"));
    ASSERT_TRUE(printer.WaitReceived(12));
    EXPECT_EQ(printer.Received(),
              B({0x10, 0x04, 0x04, 0x1D, 'r', 1, 0x1D, 'I', 1, 0x1D, 'I', 0x42}));
    // Four answers, each in the status box's words.
    ASSERT_TRUE(PaneShows(QStringLiteral("GS I 0x42 製造商 — VEMIX"))) << Pane().toStdString();
    EXPECT_TRUE(
        Pane().contains(QStringLiteral("DLE EOT 4 紙捲感應器 — 紙捲將盡：是，紙捲用完：是")));
    EXPECT_TRUE(Pane().contains(QStringLiteral("GS r 1 紙捲感應器 — 紙捲將盡：是，紙捲用完：是")));
    EXPECT_TRUE(Pane().contains(QStringLiteral("GS I 1 型號 ID — 56")));
    EXPECT_TRUE(Pane().contains(QStringLiteral("→ COM1  12 位元組：10 04 04 1D 72 01")));
    EXPECT_TRUE(Pane().contains(QStringLiteral("5F 56 45 4D 49 58 00"))) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("_VEMIX.|")));
    EXPECT_EQ(form().Ports().Held(), &form().Ports().Serial(1));
    EXPECT_TRUE(form().Ports().Serial(1).IsOpen());

    // The automatic status block comes as soon as it is switched on, and whenever it comes.
    Type(QStringLiteral("GS a FF"));
    ASSERT_TRUE(PaneShows(QStringLiteral("GS a 自動狀態回傳 — 錢箱接腳 3：低電位，連線狀態：離線")))
        << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("紙捲用完：是")));

    // A line far past 255 bytes arrives whole, in the code page.
    const QString text(300, 'A');
    Type("\"" + text + QStringLiteral("總計\" LF"));
    ASSERT_TRUE(printer.WaitReceived(15 + 300 + 5));
    EXPECT_EQ(printer.Received().substr(15), std::string(300, 'A') + "\xC1\x60\xAD\x70\n");
    EXPECT_TRUE(rec_.Messages().empty()) << rec_.Texts().join(" / ").toStdString();
    // The picture of the console at work, for the README.
    console_->CommandLine()->setText(QStringLiteral("ESC ! 0x30 \"總計 100\" LF GS V 1"));
    console_->grab().save(QStringLiteral(VEMIX_BUILD_DIR "/console.png"));
    // Ordinary printing is left as it was: nothing reads the port once the console closes.
    console_->close();
    EXPECT_EQ(form().Ports().Held(), nullptr);
    EXPECT_FALSE(form().Ports().Serial(1).IsOpen());
    EXPECT_FALSE(form().SerialDriver1->OnReceiveData());
}

TEST_F(ConsoleTest, AnAnswerTwoSecondsLateStillAppearsAndTheWindowIsFreeMeanwhile) {
    PrinterPeer printer(pty_.Master(), false, {}, 2000);
    Stopwatch watch;
    Type(QStringLiteral("DLE EOT 1"));
    // The send waits a moment for the answer, then gives the window back.
    EXPECT_LT(watch.Ms(), 1500);
    EXPECT_FALSE(Pane().contains(QStringLiteral("←")));
    ASSERT_TRUE(PaneShows(QStringLiteral("DLE EOT 1 印表機 — 錢箱接腳 3：低電位，連線狀態：上線")))
        << Pane().toStdString();
    const QString pane = Pane();
    const qsizetype at = pane.indexOf(QStringLiteral("← +"));
    ASSERT_GE(at, 0);
    EXPECT_GE(pane.mid(at + 3).section(' ', 0, 0).toInt(), 1900) << pane.toStdString();
}

TEST_F(ConsoleTest, APrinterThatGoesAwayIsSaidAndTheNextLineOpensAnew) {
    auto printer = std::make_unique<PrinterPeer>(pty_.Master(), false);
    Type(QStringLiteral("DLE EOT 1"));
    ASSERT_TRUE(PaneShows(QStringLiteral("DLE EOT 1 印表機")));
    printer.reset();
    pty_.CloseMaster();
    ASSERT_TRUE(PaneShows(QStringLiteral("! COM1 裝置已消失"))) << Pane().toStdString();
    EXPECT_EQ(form().Ports().Held(), nullptr);
    // Another cable: the next line opens the port again.
    Pty again;
    ScopedEnv com1("VEMIX_COM1", again.SlavePath());
    PrinterPeer second(again.Master(), false);
    console_->AnswerPane()->clear();
    Type(QStringLiteral("ESC @ DLE EOT 1"));
    EXPECT_TRUE(PaneShows(QStringLiteral("DLE EOT 1 印表機 — ")));
    EXPECT_TRUE(Pane().contains(QStringLiteral("保持開啟"))) << Pane().toStdString();
    EXPECT_EQ(second.Received(), B({0x1B, '@', 0x10, 0x04, 0x01}));
}

TEST_F(ConsoleTest, OnNetTheWindowsButtonsUseTheConsolesConnection) {
    ListeningSocket listening;
    form().Ports().Net().SetAddress(TNetAddress{"127.0.0.1", listening.Port()});
    PrinterPeer printer(listening.Fd(), true);
    Port(6);
    ASSERT_EQ(form().PortName(), QStringLiteral("NET"));
    EXPECT_EQ(console_->windowTitle(), QStringLiteral("指令主控台 (EPSON指令) --> NET"));
    Type(QStringLiteral("DLE EOT 2"));
    ASSERT_TRUE(PaneShows(QStringLiteral("DLE EOT 2 離線原因 — 上蓋：關閉")));
    // A button's command and the status button go on the same connection, in order.
    form().Button2Click();
    form().Button_StatusClick();
    ASSERT_EQ(rec_.Messages().size(), 1u) << rec_.Texts().join(" / ").toStdString();
    EXPECT_TRUE(rec_.Messages()[0].text.contains(QStringLiteral("送出查詢：12 / 12 位元組")));
    EXPECT_TRUE(rec_.Messages()[0].text.contains(QStringLiteral("連線狀態：上線")));
    EXPECT_EQ(printer.Connections(), 1);
    EXPECT_EQ(printer.Received(),
              B({0x10, 4, 2, 0x0A, 0x10, 4, 1, 0x10, 4, 2, 0x10, 4, 3, 0x10, 4, 4}));
    EXPECT_EQ(form().Ports().Held(), &form().Ports().Net());
    // The printer ends the connection: said, and the next line connects again.
    printer.CloseConnection();
    ASSERT_TRUE(PaneShows(QStringLiteral("! NET 印表機關閉了連線"))) << Pane().toStdString();
    Type(QStringLiteral("\"OK\" LF"));
    EXPECT_TRUE(printer.WaitReceived(19));
    EXPECT_EQ(printer.Connections(), 2);
    // Another port chosen in the window closes the one held for the old choice.
    Port(0);
    EXPECT_TRUE(Pane().contains(QStringLiteral("! NET 已關閉 (主視窗改選了 COM1)")));
    EXPECT_EQ(form().Ports().Held(), nullptr);
}

TEST_F(ConsoleTest, SerialButtonsShareTheHeldPortAndAnotherDeviceIsOpenedOnlyAfterIt) {
    PrinterPeer printer(pty_.Master(), false);
    Type(QStringLiteral("DLE EOT 1"));
    ASSERT_TRUE(PaneShows(QStringLiteral("DLE EOT 1 印表機")));
    form().Button2Click();
    ASSERT_TRUE(printer.WaitReceived(4));
    EXPECT_EQ(printer.Received(), B({0x10, 4, 1, 0x0A}));
    EXPECT_TRUE(rec_.Messages().empty()) << rec_.Texts().join(" / ").toStdString();
    EXPECT_EQ(form().Ports().Held(), &form().Ports().Serial(1));
    // A cycle on another serial port (they share one driver) makes the console let go first.
    form().Ports().Claim(form().Ports().Serial(2));
    EXPECT_TRUE(Pane().contains(QStringLiteral("! COM1 已關閉，讓主視窗使用裝置")));
    EXPECT_FALSE(form().Ports().Serial(1).IsOpen());
}

TEST_F(ConsoleTest, ALineThatDoesNotParseSaysWhereAndWhyAndSendsNothing) {
    PrinterPeer printer(pty_.Master(), false);
    console_->CommandLine()->setText(QStringLiteral("41 zz 42"));
    EXPECT_FALSE(console_->SendButton()->isEnabled());
    EXPECT_TRUE(console_->BytesLabel()->text().startsWith(QStringLiteral("第 4 個字元：zz 不是")))
        << console_->BytesLabel()->text().toStdString();
    EXPECT_TRUE(console_->PreviewLabel()->pixmap().isNull());
    QTest::keyClick(console_->CommandLine(), Qt::Key_Return);
    console_->SendLine();
    for (const QString& bad :
         {QStringLiteral("\"open"), QStringLiteral("\\q"), QStringLiteral("123")}) {
        console_->CommandLine()->setText(bad);
        EXPECT_FALSE(console_->SendButton()->isEnabled()) << bad.toStdString();
        QTest::keyClick(console_->CommandLine(), Qt::Key_Return);
    }
    QTest::qWait(100);
    EXPECT_EQ(printer.Received(), "");
    EXPECT_TRUE(console_->History().Lines().isEmpty());
    EXPECT_EQ(form().Ports().Held(), nullptr);
    // As it is typed: the bytes in hex and the paper the printer would print.
    console_->CommandLine()->setText(QStringLiteral("\"HELLO\" LF GS V 1"));
    EXPECT_TRUE(console_->SendButton()->isEnabled());
    EXPECT_EQ(console_->BytesLabel()->text(),
              QStringLiteral("9 位元組：48 45 4C 4C 4F 0A 1D 56 01"));
    const QImage one = console_->PreviewLabel()->pixmap().toImage();
    console_->CommandLine()->setText(QStringLiteral("\"HELLO\" LF \"WORLD\" LF GS V 1"));
    const QImage two = console_->PreviewLabel()->pixmap().toImage();
    EXPECT_FALSE(one.isNull());
    EXPECT_GT(two.height(), one.height());
}

TEST_F(ConsoleTest, HistoryReadyCommandsAndTheParallelPort) {
    PrinterPeer printer(pty_.Master(), false);
    for (const char* line : {"ESC @", "DLE EOT 1", "DLE EOT 1", "\"A\" LF"})
        Type(QString::fromUtf8(line));
    EXPECT_EQ(console_->History().Lines(),
              (QStringList{"ESC @", "DLE EOT 1", QStringLiteral("\"A\" LF")}));
    QLineEdit* line = console_->CommandLine();
    line->setText(QStringLiteral("draft"));
    QTest::keyClick(line, Qt::Key_Up);
    QTest::keyClick(line, Qt::Key_Up);
    EXPECT_EQ(line->text(), QStringLiteral("DLE EOT 1"));
    QTest::keyClick(line, Qt::Key_Down);
    QTest::keyClick(line, Qt::Key_Down);
    EXPECT_EQ(line->text(), QStringLiteral("draft"));
    // Kept in the settings file for the next run.
    EXPECT_EQ(TCommandHistory::Load(TPortSettings::DefaultFile()).Lines(),
              console_->History().Lines());

    // A ready command goes in at the caret, in the set's own bytes.
    line->setText(QStringLiteral("ESC @"));
    QMenu* menu = console_->ReadyButton()->menu();
    emit menu->aboutToShow();
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QStringLiteral("切紙")))
            action->trigger();
    EXPECT_EQ(line->text(), QStringLiteral("ESC @ GS V 1"));

    // The parallel port: one cycle a line, and what its device can tell.
    Port(4);
    Type(QStringLiteral("\"P\" LF"));
    EXPECT_EQ(Lpt1(), "P\n");
    EXPECT_TRUE(Pane().contains(QStringLiteral("此裝置不回報狀態"))) << Pane().toStdString();
}

TEST_F(ConsoleTest, TheConsoleClosesAtOnceDuringItsWaitAndWithTheMainWindow) {
    TPrinterState silent;
    silent.Silent = true;
    PrinterPeer printer(pty_.Master(), false, silent);
    console_->Link().ListenMs = 5000;
    QTimer::singleShot(200, console_, [this] { console_->close(); });
    Stopwatch watch;
    Type(QStringLiteral("DLE EOT 1"));
    EXPECT_LT(watch.Ms(), 2000);
    EXPECT_FALSE(console_->isVisible());
    EXPECT_EQ(form().Ports().Held(), nullptr);
    // Open again; the main window's close takes the console with it.
    form().Button_ConsoleClick();
    Type(QStringLiteral("ESC @"));
    EXPECT_EQ(form().Ports().Held(), &form().Ports().Serial(1));
    form().close();
    EXPECT_FALSE(console_->isVisible());
    EXPECT_EQ(form().Ports().Held(), nullptr);
}
