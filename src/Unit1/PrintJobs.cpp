// The print jobs: a full test page, the sample invoice and the repeated jobs.
#include "Unit1/Form1.h"

#include "Rtl/Events.h"
#include "Rtl/Strings.h"

#include <QShortcut>
#include <algorithm>

QString TForm1::ZeroPad(const QString& text, int width) {
    QString out = text;
    while (out.trimmed().size() < width)
        out.prepend('0');
    return out;
}

QString TForm1::Stamp(const QString& pattern) const {
    // "mm" after the year is the month and "nn" the minutes; Qt spells them MM and mm.
    QString qt = pattern;
    qt.replace("mm", "MM").replace("nn", "mm").replace("hh", "HH");
    return Now().toString(qt);
}

void TForm1::SendLine(const QString& text) {
    FSink->Send(ShortString(BuildPrintText(text)));
}

void TForm1::Button5Click() {
    TJob job(*this);
    SendLine(QStringLiteral("12345678901234567890123456789012"));
    SendLine(QStringLiteral("------Kavrilon股份有限公司------"));
    for (int i = 1; i <= 26; ++i) {
        if (JobEnding())
            return;
        QString number = ZeroPad(QString::number(i), 2);
        SendLine("*" + number + ": " + "|| " + Stamp("yyyy/mm/dd hh:nn:ss:zzz") + "*");
    }
    if (!JobEnding())
        ExecCommand(QStringLiteral("跳頁"));
}

void TForm1::Button6Click() {
    TJob job(*this);
    const QString date = Stamp("yyyy/mm/dd hh:nn:ss");
    const QStringList head{
        QStringLiteral("Kavrilon股份有限公司"),
        QStringLiteral("台北市信義區松仁路100號12樓"),
        QStringLiteral("統編:24681357 電話:(02)2345-6789"),
        QStringLiteral("日期:") + date + QStringLiteral(" #12345678"),
        QStringLiteral("買受人:********             #100"),
        QStringLiteral("簽帳卡號:              MN:QX-481"),
        QStringLiteral("--------------------------------"),
        QStringLiteral("品名:DP001結帳紙"),
        QStringLiteral("單價:   500   數量           5盒"),
        QStringLiteral("小計:   2,500元             應稅"),
        QStringLiteral("品名:DP002色帶"),
        QStringLiteral("單價:   300   數量          10個"),
        QStringLiteral("小計:   3,000元             應稅"),
    };
    const QStringList totals{
        QStringLiteral("銷售額:                  5,500元"),
        QStringLiteral("營業稅:                    275元"),
        QStringLiteral("總  計:                  5,775元"),
    };
    for (const QString& line : head) {
        if (JobEnding())
            return;
        SendLine(line);
    }
    for (int i = 0; i < 9; ++i) {
        if (JobEnding())
            return;
        ExecCommand(QStringLiteral("跳行"));
    }
    for (const QString& line : totals) {
        if (JobEnding())
            return;
        SendLine(line);
    }
    if (!JobEnding())
        ExecCommand(QStringLiteral("跳頁"));
}

TForm1::TRepeatedJob::TRepeatedJob(TForm1& form) : F(form) {
    if (F.FRepeatDepth++ > 0)
        return;
    F.FRepeatStopped = false;
    if (!F.FClosing)
        F.FPauseCancel.Reset();
    F.FEscape->setEnabled(true);
}

TForm1::TRepeatedJob::~TRepeatedJob() {
    if (--F.FRepeatDepth > 0)
        return;
    F.FEscape->setEnabled(false);
    F.FRepeatStopped = false;
}

void TForm1::StopRepeatedJob() {
    if (FRepeatDepth == 0)
        return;
    FRepeatStopped = true;
    FPauseCancel.Cancel();
    Timer1->SetEnabled(false);
}

void TForm1::Button12Click() {
    TJob job(*this);
    TRepeatedJob repeated(*this);
    Gauge1->SetProgress(0);
    Gauge1->SetMaxValue(NumEdit_Page->AsInteger());
    const std::uint8_t n = static_cast<std::uint8_t>(NumEdit_Page->AsInteger() & 0xFF);
    std::uint8_t k = 1;
    for (int i = 0; i < n; ++i, ++k) {
        Gauge1->SetProgress(k);
        Button6Click();
        if (JobEnding())
            return;
        PauseBetweenRepetitions();
        if (JobEnding())
            return;
    }
}

void TForm1::PauseBetweenRepetitions() {
    // The window stays drawn and closable; clicks and keys wait until the pause is over.
    if (Pause(NumEdit_delay->AsInteger(), &FPauseCancel) == weCancelled)
        return;
    ProcessMessages();
}

void TForm1::Button10Click() {
    TJob job(*this);
    TRepeatedJob repeated(*this);
    const auto n = static_cast<std::uint16_t>(NumEdit_cut->AsInteger() & 0xFFFF);
    for (int i = 0; i < n; ++i) {
        ExecCommand(QStringLiteral("跳多行"));
        if (JobEnding())
            return;
        ExecCommand(QStringLiteral("切紙"));
        PauseBetweenRepetitions();
        if (JobEnding())
            return;
    }
}

void TForm1::Button11Click() {
    TJob job(*this);
    TRepeatedJob repeated(*this);
    // The window's timer does not run at 0 ms or less: the smallest positive interval instead.
    Timer1->SetInterval(std::max(1, NumEdit_delay->AsInteger()));
    FTimerCount = 0;
    int pages = NumEdit_Page->AsInteger();
    if (pages <= 0)
        return;
    Gauge1->SetProgress(0);
    Gauge1->SetMaxValue(pages);
    // The job ends once the count reaches or passes the page count read on this pass, so a
    // page count lowered below what was printed ends it instead of running on past 255.
    while (!JobEnding() && FTimerCount < std::min(NumEdit_Page->AsInteger(), 255)) {
        Timer1->SetEnabled(true);
        Sleep(1);
        ProcessMessages();
    }
    Timer1->SetEnabled(false);
}

void TForm1::Timer1Timer() {
    // A port wait lets timers run; an invoice must not start inside another line's cycle.
    // The timer stays on and comes back one interval later.
    if (FPorts->CycleRunning())
        return;
    TJob job(*this);
    Timer1->SetEnabled(false);
    ++FTimerCount;
    Gauge1->SetProgress(FTimerCount);
    Button6Click();
}
