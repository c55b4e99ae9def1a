#include "FormFixture.h"

#include "Rtl/Application.h"
#include "Rtl/Strings.h"

#include <QPlainTextEdit>
#include <filesystem>

namespace {

struct Case {
    int mode;
    const char* word;
    std::string bytes;  // what reaches LPT1
    const char* suffix; // the not-supported message's suffix, or nullptr
};

const char* const Modes[] = {"EPSON", "START", "TP-3688"};

} // namespace

TEST_F(FormTest, EveryWordInEveryModeBuildsItsBytesOrItsMessage) {
    Port(4); // LPT1
    form().Edit1->setText(QStringLiteral("許A"));
    form().NumEdit_LineFeed->setText("10");
    const std::string text = std::string("\xB3\x5C"
                                         "A\n");
    const std::vector<Case> cases = {
        {0, "列印", text, nullptr},
        {1, "列印", text, nullptr},
        {2, "列印", "", " (列印-可能會異常)！"},
        {0, "跳行", "\n", nullptr},
        {1, "跳行", "\n", nullptr},
        {2, "跳行", B({0x1B, 0x1B, 0x4C, 0x52, 0x01}), nullptr},
        {0, "跳頁", "\x0C", nullptr},
        {1, "跳頁", "\x0C", nullptr},
        {2, "跳頁", "", " (跳頁-可能會異常)！"},
        {0, "開抽屜", B({0x1B, 0x70, 0x30, 0x32, 0x64}), nullptr},
        {1, "開抽屜", "\x07", nullptr},
        {2, "開抽屜", "", " (開抽屜-可能會異常)！"},
        {0, "跳多行", B({0x1B, 0x64, 0x0A}), nullptr},
        {1, "跳多行", B({0x1B, 0x61, 0x0A}), nullptr},
        {2, "跳多行", B({0x1B, 0x1B, 0x4C, 0x42, 0x0A}), nullptr},
        {0, "切紙", B({0x1D, 0x56, 0x01}), nullptr},
        {1, "切紙", B({0x1B, 0x43, 0x01}), nullptr},
        {2, "切紙", B({0x1B, 0x1B, 0x43, 0x01}), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(Modes[c.mode]) + " " + c.word);
        Mode(c.mode);
        rec_.Clear();
        std::filesystem::remove(dir_.File("lpt1"));
        form().ExecCommand(QString::fromUtf8(c.word));
        // The port is opened and written even when the builder gave nothing.
        ASSERT_TRUE(std::filesystem::exists(dir_.File("lpt1")));
        EXPECT_EQ(Lpt1(), c.bytes);
        QStringList expected;
        if (c.suffix)
            expected << LfCr(QStringLiteral("無法判斷發票機的模式 ") + Modes[c.mode],
                             QString::fromUtf8(c.suffix));
        EXPECT_EQ(rec_.Texts(), expected);
    }
}

TEST_F(FormTest, FeedCountIsTheLowByteAndTextEndsInOneLineFeed) {
    Port(4);
    form().NumEdit_LineFeed->setText("250");
    form().Button8Click();
    EXPECT_EQ(Lpt1(), B({0x1B, 0x64, 0xFA}));
    EXPECT_EQ(form().BuildFeedLines(300), B({0x1B, 0x64, 0x2C}));
    EXPECT_EQ(form().BuildFeedLines(0), B({0x1B, 0x64, 0x00}));
    form().Edit1->setText("");
    form().Button1Click();
    EXPECT_EQ(Lpt1(), "\n");
    // Right after start the edit holds the numerals one to ten twice: 40 bytes in Big5.
    EXPECT_EQ(ToAnsi(TForm1().Edit1->text()).size(), 40u);
    EXPECT_TRUE(rec_.Texts().isEmpty());
}

TEST_F(FormTest, LongTextIsCutTo255BytesLosingItsLineFeed) {
    Port(4);
    form().Memo2->setPlainText(QString(300, 'x'));
    form().Button9Click();
    EXPECT_EQ(Lpt1(), std::string(255, 'x'));
    // The hidden memo's lines are joined by CR LF.
    form().Memo2->setPlainText("a\nb");
    form().Button9Click();
    EXPECT_EQ(Lpt1(), "a\r\nb\n");
}

TEST_F(FormTest, UnknownWordNamesTheModeSendsNothingButAppliesTheSpeed) {
    Port(4);
    Mode(1);
    Click(form().RadioGroup_Speed, 1);
    EXPECT_EQ(form().SerialDriver1->ComPortSpeed(), br9600); // the group alone changes nothing
    form().ExecCommand(QStringLiteral("列印全部"));
    EXPECT_EQ(rec_.Texts(), QStringList{LfCr(QStringLiteral("無法判斷發票機指令 START"),
                                             QStringLiteral(" (控制可能會異常)！"))});
    EXPECT_FALSE(std::filesystem::exists(dir_.File("lpt1")));
    EXPECT_EQ(form().SerialDriver1->ComPortSpeed(), br19200);
    // A command on a parallel port applies it too.
    Click(form().RadioGroup_Speed, 0);
    form().Button2Click();
    EXPECT_EQ(form().SerialDriver1->ComPortSpeed(), br9600);
}

TEST_F(FormTest, FontGroupSendsEscSpaceIndexInEveryModeWithoutMessage) {
    Port(4);
    Mode(2);
    Click(form().RadioGroup_ESC_SP, 2);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x20, 0x02}));
    Click(form().RadioGroup_ESC_SP, 0);
    EXPECT_EQ(Lpt1(), B({0x1B, 0x20, 0x00}));
    EXPECT_TRUE(rec_.Texts().isEmpty());
}

TEST_F(FormTest, TitleFollowsTheGroups) {
    EXPECT_EQ(form().windowTitle(), QStringLiteral("列印測試 (EPSON指令) --> COM1"));
    Mode(2);
    Port(5);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("列印測試 (TP-3688指令) --> LPT2"));
    EXPECT_EQ(form().CommandMode(), "TP-3688");
    EXPECT_EQ(form().PortName(), "LPT2");
    EXPECT_EQ(TForm1().windowTitle(), QStringLiteral("列印測試(EPSON指令)"));
}
