// The command console: the line, its bytes and preview, the answers, the history and the ready
// commands; and the main window's button that opens it.
#include "Unit1/ConsoleWindow.h"

#include "DeviceIo/Devices.h"
#include "PaperView/RollImage.h"
#include "Ports/PortSettings.h"
#include "Receipt/PaperRoll.h"
#include "Receipt/Printer.h"
#include "Rtl/Application.h"
#include "Rtl/Strings.h"
#include "Unit1/Form1.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>

namespace {

// The preview's roll: 58 mm paper, as the virtual printer has it.
constexpr int PreviewColumns = 32;
constexpr int PreviewHeight = 150;

QFont Big5Font() {
    QFont font(QStringLiteral("新細明體"));
    font.setPixelSize(15);
    return font;
}

} // namespace

void TForm1::Button_ConsoleClick() {
    if (!FConsole)
        FConsole = std::make_unique<TConsoleWindow>(*this);
    FConsole->show();
    FConsole->raise();
    FConsole->activateWindow();
}

TConsoleWindow::TConsoleWindow(TForm1& form)
    : QWidget(&form, Qt::Window), FForm(form), FCodePage(AnsiCodePage()),
      FHistory(TCommandHistory::Load(TPortSettings::DefaultFile())), FLink(form.Ports()) {
    setObjectName(QStringLiteral("ConsoleWindow"));
    setFont(Big5Font());
    Build();
    SetTabOrder();
    FLink.SetCancel(&FCancel);
    // A printer device's status lines are read as the status button reads them.
    FLink.LptRead = [&form](const std::string& path, int& status) {
        return form.LptStatusRead(path, status);
    };
    FLink.OnWriting = [this](const TLineSent& sent) {
        if (FOutPort)
            Say(WritingLines(sent, *FOutPort, FOutgoing));
    };
    FLink.OnBurst = [this](const TBurst& burst) { Say(BurstLines(burst)); };
    FLink.OnLetGo = [this](TPort& port, int why) { Say({LetGoLine(port, why)}); };
    LineEdited();
    setWindowTitle(Title());
}

TConsoleWindow::~TConsoleWindow() {
    // The port is let go while the window's ports still exist.
    FLink.OnLetGo = nullptr;
    FLink.Close();
}

void TConsoleWindow::Build() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildLineRow());
    FBytes = new QLabel(this);
    FBytes->setWordWrap(true);
    FBytes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(FBytes);
    layout->addWidget(new QLabel(QStringLiteral("預覽 (印表機會印出的樣子)："), this));
    FPreview = new QLabel(this);
    FPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FPreviewArea = new QScrollArea(this);
    FPreviewArea->setWidget(FPreview);
    FPreviewArea->setWidgetResizable(false);
    FPreviewArea->setFixedHeight(PreviewHeight);
    FPreviewArea->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(FPreviewArea);
    layout->addWidget(
        new QLabel(QStringLiteral("印表機的回應 (自送出起的時間、十六進位、文字)："), this));
    FAnswers = new QPlainTextEdit(this);
    FAnswers->setReadOnly(true);
    FAnswers->setTabChangesFocus(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(13);
    FAnswers->setFont(fixed);
    FAnswers->setMinimumHeight(200);
    layout->addWidget(FAnswers, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("↑ ↓：之前送出的指令"), this), 1);
    FClear = new QPushButton(QStringLiteral("清除回應"), this);
    FClose = new QPushButton(QStringLiteral("關閉"), this);
    buttons->addWidget(FClear);
    buttons->addWidget(FClose);
    layout->addLayout(buttons);
    connect(FClear, &QPushButton::clicked, FAnswers, &QPlainTextEdit::clear);
    connect(FClose, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton* button : {FSend, FClear, FClose})
        button->installEventFilter(this); // Enter presses it, as in the main window
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(640, 620);
}

QWidget* TConsoleWindow::BuildLineRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("指令："), row);
    FLine = new QLineEdit(row);
    FLine->setToolTip(
        QStringLiteral("十六進位 (1B 40、0x1B)、控制碼名稱 (ESC @、GS V 1、DLE EOT 1)、"
                       "跳脫字元 (\\x1b@、\\n) 與引號中的文字 (\"總計 100\")，可混用"));
    FLine->setPlaceholderText(QStringLiteral("例如 DLE EOT 1　或　\"總計 100\" LF"));
    label->setBuddy(FLine);
    FSend = new QPushButton(QStringLiteral("送出"), row);
    FReady = new QToolButton(row);
    FReady->setText(QStringLiteral("常用指令"));
    FReady->setPopupMode(QToolButton::InstantPopup);
    FReady->setFocusPolicy(Qt::StrongFocus);
    BuildReadyMenu();
    layout->addWidget(label);
    layout->addWidget(FLine, 1);
    layout->addWidget(FSend);
    layout->addWidget(FReady);
    FLine->installEventFilter(this);
    connect(FLine, &QLineEdit::textChanged, this, [this] { LineEdited(); });
    connect(FLine, &QLineEdit::returnPressed, this, [this] { Guarded([this] { SendLine(); }); });
    connect(FSend, &QPushButton::clicked, this, [this] { Guarded([this] { SendLine(); }); });
    return row;
}

void TConsoleWindow::BuildReadyMenu() {
    auto* menu = new QMenu(FReady);
    menu->setToolTipsVisible(true);
    FReady->setMenu(menu);
    // Written in the set chosen when the menu opens.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        menu->clear();
        for (const TReadyCommand& ready : ReadyCommands(Set())) {
            QAction* action =
                menu->addAction(ready.Text.isEmpty() ? ready.Name : ready.Name + "\t" + ready.Text);
            action->setEnabled(!ready.Text.isEmpty());
            action->setToolTip(ready.Text.isEmpty() ? ready.Why : ready.Text);
            const QString text = ready.Text;
            connect(action, &QAction::triggered, this, [this, text] { Insert(text); });
        }
    });
}

void TConsoleWindow::SetTabOrder() {
    QWidget* previous = nullptr;
    for (QWidget* w :
         std::initializer_list<QWidget*>{FLine, FSend, FReady, FAnswers, FClear, FClose}) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

std::optional<TCommandSet> TConsoleWindow::Set() const {
    return CommandSetOf(FForm.CommandMode());
}

QString TConsoleWindow::Title() const {
    return QStringLiteral("指令主控台 (") + FForm.CommandMode() + QStringLiteral("指令) --> ") +
           FForm.PortName();
}

void TConsoleWindow::LineEdited() {
    FParsed = ParseCommandText(FLine->text(), FCodePage);
    FSend->setEnabled(FParsed.Ok);
    QPalette palette = FBytes->palette();
    palette.setColor(QPalette::WindowText, FParsed.Ok || FParsed.Problem == tpEmpty
                                               ? QColor(0, 0, 128)
                                               : QColor(192, 0, 0));
    FBytes->setPalette(palette);
    if (FParsed.Ok)
        FBytes->setText(BytesText(FParsed.Bytes));
    else if (FParsed.Problem == tpEmpty)
        FBytes->setText(QStringLiteral("0 位元組"));
    else
        FBytes->setText(CommandProblemText(FParsed, FCodePage.Name()) +
                        QStringLiteral("：無法送出"));
    ShowPreview(FParsed.Ok ? FParsed.Bytes : std::string());
}

void TConsoleWindow::ShowPreview(const std::string& bytes) {
    const std::optional<TCommandSet> set = Set();
    if (bytes.empty() || !set) {
        FPreview->setPixmap(QPixmap());
        FPreview->setText(bytes.empty() ? QString() : QStringLiteral("(此模式無法預覽)"));
        FPreview->adjustSize();
        return;
    }
    TPaperRoll roll;
    TPaper paper(FCodePage);
    paper.AddObserver(roll);
    TPrinter printer(*set, paper);
    printer.Feed(bytes);
    printer.Finish();
    FPreview->setPixmap(QPixmap::fromImage(RenderRoll(roll, PreviewColumns)));
    FPreview->adjustSize();
}

void TConsoleWindow::Insert(const QString& text) {
    const QString line = FLine->text();
    const int at = FLine->cursorPosition();
    QString words = text;
    if (at > 0 && !line[at - 1].isSpace())
        words.prepend(' ');
    if (at < line.size() && !line[at].isSpace())
        words.append(' ');
    FLine->insert(words);
    FLine->setFocus();
}

void TConsoleWindow::SendLine() {
    if (!FParsed.Ok || FLink.Sending() || !isVisible())
        return;
    const std::string bytes = FParsed.Bytes;
    FHistory.Add(FLine->text());
    FHistory.Save(TPortSettings::DefaultFile());
    FLine->clear();
    setWindowTitle(Title());
    TPort* port = FForm.Ports().Find(FForm.PortName());
    if (!port) {
        Say({QStringLiteral("× 無法判斷發票機 PORT ") + FForm.PortName()});
        return;
    }
    // The speed chosen now, as for a button's command, and the window's bound for a parallel
    // device.
    FForm.ApplySpeed();
    FLink.LptBoundMs = FForm.LptTimeoutMs;
    FHeldChoice = FForm.PortName();
    FOutPort = port;
    FOutgoing = bytes;
    // The answers are read in the mode's set, where it has one.
    const TLineSent sent = FLink.Send(*port, bytes, Set().value_or(csEPSON));
    FOutPort = nullptr;
    Say(ResultLines(sent, *port));
    // Closed while the line was on its way.
    if (FCloseAfterSend)
        FLink.Close();
}

void TConsoleWindow::ChoiceChanged() {
    setWindowTitle(Title());
    LineEdited();
    TPort* held = FLink.Held();
    if (held && FForm.PortName() != FHeldChoice && !FLink.Sending()) {
        Say({QStringLiteral("! ") + QString::fromStdString(held->Name()) +
             QStringLiteral(" 已關閉 (主視窗改選了 ") + FForm.PortName() + ")"});
        FLink.Close();
    }
}

void TConsoleWindow::Say(const QStringList& lines) {
    for (const QString& line : lines) {
        FAnswers->appendPlainText(line);
        if (TraceEnabled())
            std::fprintf(stderr, "vemix: console: %s\n", line.toUtf8().constData());
    }
}

void TConsoleWindow::Recall(bool older) {
    QString line;
    if (older ? FHistory.Older(FLine->text(), line) : FHistory.Newer(line))
        FLine->setText(line);
}

bool TConsoleWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == FLine && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        Recall(key->key() == Qt::Key_Up);
        return true;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TConsoleWindow::closeEvent(QCloseEvent* event) {
    // A wait of the line being sent ends at once; the port closes once it has unwound.
    FCancel.Cancel();
    if (FLink.Sending())
        FCloseAfterSend = true;
    else
        FLink.Close();
    QWidget::closeEvent(event);
}

void TConsoleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FCancel.Reset();
    FCloseAfterSend = false;
    setWindowTitle(Title());
    LineEdited();
    FLine->setFocus();
}
