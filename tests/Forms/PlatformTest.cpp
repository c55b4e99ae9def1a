#include "DeviceIo/Devices.h"
#include "Forms/RadioGroup.h"
#include "Forms/Timer.h"
#include "Recorder.h"
#include "Rtl/Application.h"
#include "Rtl/Exceptions.h"
#include "Rtl/Strings.h"
#include "TempDir.h"

#include <QElapsedTimer>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(AnsiCodePage, Big5BytesAndUnmappableCharacters) {
    // 一 is A4 40 in Big5; the 0x5C trail byte of 許 must survive untouched.
    EXPECT_EQ(ToAnsi(QStringLiteral("一A")), std::string("\xA4\x40"
                                                         "A"));
    EXPECT_EQ(ToAnsi(QStringLiteral("許")), std::string("\xB3\x5C"));
    // Hiragana, an emoji (a surrogate pair) and Hangul are not in Big5.
    EXPECT_EQ(ToAnsi(QString::fromUtf8("a\xE3\x81\x82"
                                       "b\xF0\x9F\x98\x80"
                                       "c\xEA\xB0\x80")),
              "a?b?c?");
    EXPECT_EQ(FromAnsi(ToAnsi(QStringLiteral("列印測試 (EPSON指令)"))),
              QStringLiteral("列印測試 (EPSON指令)"));
    EXPECT_EQ(ToAnsi(QString()), "");
}

TEST(AnsiCodePage, FollowsTheConfiguredCodePageAndFallsBackToBig5ForAnUnknownOne) {
    {
        ScopedEnv env("VEMIX_CODEPAGE", "ISO-8859-1");
        EXPECT_EQ(ToAnsi(QString::fromUtf8("\xC3\xA9\xE4\xB8\x80")), "\xE9?");
        EXPECT_EQ(UnknownCodePage(), std::nullopt);
    }
    // A name iconv does not know is never sent as UTF-8 (or worse, UTF-8 encoded twice).
    for (const char* name : {"BIG-5-NOT", "UTF-9", "ISO-8859-99"}) {
        ScopedEnv env("VEMIX_CODEPAGE", name);
        EXPECT_EQ(UnknownCodePage(), name);
        EXPECT_EQ(AnsiCodePage(), "CP950");
        EXPECT_EQ(ToAnsi(QStringLiteral("一AB\n")), std::string("\xA4\x40"
                                                                "AB\n"));
        EXPECT_EQ(FromAnsi("\xB3\x5C"), QStringLiteral("許"));
    }
    ScopedEnv empty("VEMIX_CODEPAGE", "");
    EXPECT_EQ(UnknownCodePage(), std::nullopt);
    EXPECT_EQ(AnsiCodePage(), "CP950");
}

TEST(ShortStrings, CutAt255AndLookup) {
    EXPECT_EQ(ShortString(std::string(300, 'x')).size(), 255u);
    EXPECT_EQ(ShortString("abc"), "abc");
    QStringList ports{"COM1", "COM2", "LPT1"};
    EXPECT_EQ(IndexOfText(ports, "LPT1"), 2);
    EXPECT_EQ(IndexOfText(ports, "com1"), -1);
    EXPECT_EQ(IndexOfText(ports, "COM1 "), -1);
    EXPECT_EQ(IndexOfText({}, "COM1"), -1);
}

TEST(Devices, PathsFromEnvironmentOrDefaults) {
    unsetenv("VEMIX_COM3");
    unsetenv("VEMIX_LPT2");
    EXPECT_EQ(DevicePath("COM3"), "/dev/ttyS2");
    EXPECT_EQ(DevicePath("LPT2"), "/dev/lp1");
    EXPECT_EQ(DevicePath("COM16"), "/dev/ttyS15");
    ScopedEnv env("VEMIX_COM3", "/tmp/pty-x");
    EXPECT_EQ(DevicePath("COM3"), "/tmp/pty-x");
    EXPECT_EQ(DevicePath("PRN"), "PRN");
}

TEST(Hex, BytesAsTheTracesAndTheStatusBoxShowThem) {
    EXPECT_EQ(FormatHex(std::string("\x1B\x64\x0A\x00\xff", 5)), "1B 64 0A 00 FF");
    EXPECT_EQ(FormatHex({}), "");
}

TEST(Guard, ReportsWhatEscapesAHandlerAndGoesOn) {
    MessageRecorder rec;
    bool after = false;
    Guarded([] { throw EInOutError(103); });
    Guarded([&] { after = true; });
    ASSERT_EQ(rec.Texts(), QStringList{"I/O error 103"});
    EXPECT_EQ(rec.Messages()[0].kind, MessageKind::Error);
    EXPECT_TRUE(after);
}

TEST(Timer, FiresOnlyWhileEnabledWithPositiveInterval) {
    TTimer timer;
    int fired = 0;
    timer.SetEnabled(false);
    timer.SetInterval(5);
    timer.SetOnTimer([&] {
        ++fired;
        timer.SetEnabled(false);
    });
    QTest::qWait(30);
    EXPECT_EQ(fired, 0);
    timer.SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(fired, 1, 2000);
    timer.SetInterval(0);
    timer.SetEnabled(true);
    QTest::qWait(30);
    EXPECT_EQ(fired, 1);
}

TEST(RadioGroup, ClickSelectsAndNotifies) {
    TRadioGroup group;
    group.SetItems({"EPSON", "START", "TP-3688"});
    group.SetItemIndex(0);
    int clicks = 0;
    group.SetOnClick([&] { ++clicks; });
    group.show();
    QTest::mouseClick(group.Button(2), Qt::LeftButton);
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(group.SelectedText(), "TP-3688");
    EXPECT_TRUE(group.Button(2)->isChecked());
    EXPECT_FALSE(group.Button(0)->isChecked());
    EXPECT_EQ(clicks, 1);
    group.SetItemIndex(7);
    EXPECT_EQ(group.ItemIndex(), -1);
}
