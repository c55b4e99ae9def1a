// The window itself: creation from the form, the title, and destruction.
#include "Unit1/Form1.h"

#include "Rtl/Application.h"
#include "Rtl/Messages.h"
#include "Rtl/Strings.h"
#include "Unit1/ConsoleWindow.h"

#include "Forms/AutoSize.h"
#include "Forms/FormLoading.h"
#include "Forms/FrameOverlay.h"
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>

#include <memory>

namespace {
// The mode and port names are short strings: at most 255 bytes in the code page.
QString Short(const QString& text) {
    return FromAnsi(ShortString(ToAnsi(text)));
}
} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), SerialDriver1(new TSerialDriver(this)), Timer1(new TTimer(this)),
      FPorts(std::make_unique<TPortRegistry>(*SerialDriver1, &FWaitCancel)),
      FEscape(new QShortcut(QKeySequence(Qt::Key_Escape), this)) {
    FPorts->Apply(TPortSettings::Load());
    // Properties set from the form file are accepted whatever their order; the label renders
    // once, when the window's colour and fonts are in place.
    auto loading = std::make_unique<TFormLoading>();
    setupUi(this);
    SerialDriver1->setObjectName("SerialDriver1");
    SerialDriver1->SetComPortHwHandshaking(hhNONE);
    Timer1->setObjectName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetOnTimer([this] { Timer1Timer(); });
    // Taken before the key reaches a control, also while a wait holds the other input.
    FEscape->setEnabled(false);
    connect(FEscape, &QShortcut::activated, this, [this] { StopRepeatedJob(); });
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    ApplyFonts();
    // Memos pass Tab on, as every other control does.
    Memo1->setTabChangesFocus(true);
    Memo2->setTabChangesFocus(true);
    // Their frames show whole at fractional scale factors.
    new TFrameOverlay(Memo1);
    new TFrameOverlay(Memo2);
    loading.reset();
    WireEvents();
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(this); // Enter presses it (eventFilter)
    SetTabOrder();
    SizeToContents();
    FormCreate();
}

TForm1::~TForm1() {
    FConsole.reset();
    FormDestroy();
}

void TForm1::ApplyFonts() {
    // Fonts are 15 pixels high; the form file can only say points.
    QFont windowFont(QStringLiteral("Arial Unicode MS"));
    windowFont.setPixelSize(15);
    setFont(windowFont);
    QFont big5(QStringLiteral("新細明體"));
    big5.setPixelSize(15);
    for (QWidget* w : std::initializer_list<QWidget*>{
             Button1, Button2, Button3, Button5, Button6, Button12, Button8, Button_CUT, Button10,
             Button_PortSettings, Button_Status, Button_TestPages, Button_Console, NumEdit_delay,
             NumEdit_Page, NumEdit_LineFeed, NumEdit_cut})
        w->setFont(big5);
    QFont ming(QStringLiteral("細明體"));
    ming.setPixelSize(15);
    Edit1->setFont(ming);
    // The window font covers the rest: Button4, Button7, Button9, Button11 and the groups.
    for (QWidget* w : std::initializer_list<QWidget*>{Button4, Button7, Button9, Button11})
        w->setFont(windowFont);
    QPalette navy = NumEdit_delay->palette();
    navy.setColor(QPalette::Text, QColor(0, 0, 128));
    for (QWidget* w : std::initializer_list<QWidget*>{NumEdit_delay, NumEdit_Page, NumEdit_LineFeed,
                                                      NumEdit_cut})
        w->setPalette(navy);
}

void TForm1::SizeToContents() {
    // Auto-size with an 8-pixel border; controls get the room their fonts need.
    FitControls(this, 8);
}

void TForm1::SetTabOrder() {
    // One control a line. A radio group is one stop (its selected item); hidden controls are
    // passed over while hidden.
    const std::initializer_list<QWidget*> order = {
        Edit1,
        RadioGroup_Command,
        RadioGroup_Port,
        Button_PortSettings,
        Button_Status,
        Button_TestPages,
        Button_Console,
        NumEdit_delay,
        NumEdit_Page,
        Button1,
        Button2,
        Button3,
        Button4,
        Button5,
        Button6,
        Button12,
        Button7,
        RadioGroup_ESC_SP,
        Button8,
        NumEdit_LineFeed,
        RadioGroup_Speed,
        LinkEdit1,
        Memo1,
        Button_CUT,
        Button10,
        NumEdit_cut,
        Memo2,
        Button9,
        Button11,
    };
    // The chain runs through every radio item; only the selected one takes Tab.
    QWidget* previous = nullptr;
    auto append = [&previous](QWidget* w) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    };
    for (QWidget* control : order) {
        if (auto* group = qobject_cast<TRadioGroup*>(control)) {
            for (int i = 0; QWidget* item = group->Button(i); ++i)
                append(item);
        } else {
            append(control);
        }
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A focused button is pressed by Enter as well as by Space, as on Windows.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            if (!key->isAutoRepeat()) // a held key starts one job, not one per repeat
                button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::WireEvents() {
    auto on = [this](QPushButton* button, void (TForm1::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    on(Button1, &TForm1::Button1Click);
    on(Button2, &TForm1::Button2Click);
    on(Button3, &TForm1::Button3Click);
    on(Button4, &TForm1::Button4Click);
    on(Button5, &TForm1::Button5Click);
    on(Button6, &TForm1::Button6Click);
    on(Button7, &TForm1::Button7Click);
    on(Button8, &TForm1::Button8Click);
    on(Button9, &TForm1::Button9Click);
    on(Button10, &TForm1::Button10Click);
    on(Button11, &TForm1::Button11Click);
    on(Button12, &TForm1::Button12Click);
    on(Button_CUT, &TForm1::Button_CUTClick);
    on(Button_PortSettings, &TForm1::Button_PortSettingsClick);
    on(Button_Status, &TForm1::Button_StatusClick);
    on(Button_TestPages, &TForm1::Button_TestPagesClick);
    on(Button_Console, &TForm1::Button_ConsoleClick);
    // Radio groups run their handlers guarded themselves.
    RadioGroup_Command->SetOnClick([this] { RadioGroup_CommandClick(); });
    RadioGroup_Port->SetOnClick([this] { RadioGroup_PortClick(); });
    RadioGroup_ESC_SP->SetOnClick([this] { RadioGroup_ESC_SPClick(); });
}

void TForm1::FormCreate() {
    SerialDriver1->SetComPortSpeed(br9600);
    Edit1->setText(QStringLiteral("一二三四五六七八九十一二三四五六七八九十"));
}

void TForm1::FormShow() {
    FCommandMode = Short(RadioGroup_Command->SelectedText());
    FPortName = Short(RadioGroup_Port->SelectedText());
    setWindowTitle(QStringLiteral("列印測試 (") + FCommandMode + QStringLiteral("指令)"));
    setWindowTitle(windowTitle() + QStringLiteral(" --> ") + FPortName);
    if (FConsole)
        FConsole->ChoiceChanged();
}

void TForm1::FormDestroy() {
    try {
        SerialDriver1->Disconnect();
    } catch (...) {
        ShowError(FPortName + QStringLiteral(" PORT 關閉失敗！"));
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A job still running sees this at its next line and ends; no timer fires any more.
    FClosing = true;
    FWaitCancel.Cancel();
    FPauseCancel.Cancel();
    Timer1->SetEnabled(false);
    if (FConsole)
        FConsole->close();
    QWidget::closeEvent(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}
