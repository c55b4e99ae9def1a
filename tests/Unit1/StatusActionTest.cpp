// The status button on the window: what it asks, and the box it shows.
#include <memory>
#include "FormFixture.h"
#include "Pty.h"
#include "StatusPeer.h"

#include <sys/file.h>

namespace {

class StatusFormTest : public FormTest {
  protected:
    StatusFormTest() : com1_("VEMIX_COM1", pty_.SlavePath()) { Port(0); }
    // The one box the button showed.
    RecordedMessage Box() const {
        EXPECT_EQ(rec_.Messages().size(), 1u) << rec_.Texts().join(" / ").toStdString();
        return rec_.Messages().empty() ? RecordedMessage{} : rec_.Messages().back();
    }
    Pty pty_;
    ScopedEnv com1_;
};

} // namespace

TEST_F(StatusFormTest, TheButtonSitsBesideThePortSettingsAndWarnsOfAPrinterThatCannotPrint) {
    const QRect settings = form().Button_PortSettings->geometry();
    const QRect status = form().Button_Status->geometry();
    EXPECT_EQ(status.top(), settings.top());
    EXPECT_GT(status.left(), settings.right());
    EXPECT_EQ(form().Button_Status->text(), QStringLiteral("印表機狀態"));

    // Each scripted printer ends before the next reads the same line.
    auto printer = std::make_unique<ScriptedPrinter>(pty_.Master(), Answers("\x1A\x32\x12\x7E"));
    QTest::mouseClick(form().Button_Status, Qt::LeftButton);
    // Out of paper: the box warns, one fact a line.
    const RecordedMessage box = Box();
    EXPECT_EQ(box.kind, MessageKind::Warning);
    EXPECT_FALSE(box.text.contains('\r')) << box.text.toStdString();
    const QStringList lines = box.text.split('\n');
    EXPECT_FALSE(lines.contains(QString())) << box.text.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("連線狀態：離線"))) << box.text.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("因缺紙停止列印：是")));
    EXPECT_TRUE(lines.contains(QStringLiteral("紙捲用完：是")));
    EXPECT_TRUE(lines.contains(QStringLiteral("送出查詢：12 / 12 位元組")));
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("連接埠：COM1 (")));
    EXPECT_EQ(printer->Requests(), (std::vector<int>{1, 2, 3, 4}));
    printer.reset();
    // Ordinary printing still reads nothing back.
    EXPECT_FALSE(form().SerialDriver1->OnReceivePacket());
    EXPECT_FALSE(form().SerialDriver1->OnReceiveData());

    // A healthy printer is a plain result; an open cover is not.
    for (const auto& [answers, kind] : {std::pair{"\x12\x12\x12\x12", MessageKind::Information},
                                        std::pair{"\x1A\x16\x12\x12", MessageKind::Warning}}) {
        ScriptedPrinter again(pty_.Master(), Answers(answers));
        rec_.Clear();
        form().Button_StatusClick();
        EXPECT_EQ(Box().kind, kind) << Box().text.toStdString();
    }
}

TEST_F(StatusFormTest, TheBoxSaysWhyThePortDidNotOpen) {
    // Held by another program, a folder, a device that is no serial port.
    const int holder = ::open(pty_.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    struct Case {
        std::string device;
        const char* reason;
    };
    for (const Case& c : {Case{pty_.SlavePath(), "另一個程式"}, Case{dir_.Path(), "資料夾"},
                          Case{"/dev/null", "不是序列埠"}}) {
        ScopedEnv com1("VEMIX_COM1", c.device);
        rec_.Clear();
        form().Button_StatusClick();
        ASSERT_EQ(rec_.Messages().size(), 2u) << c.device;
        EXPECT_EQ(rec_.Messages()[0].text, QStringLiteral("COM1 PORT 開啟失敗！"));
        const QString box = rec_.Messages()[1].text;
        EXPECT_TRUE(box.contains(QString::fromUtf8(c.reason))) << c.device << box.toStdString();
        EXPECT_FALSE(box.contains(QStringLiteral("請確認裝置存在"))) << box.toStdString();
    }
    ::close(holder);
    // NET without an address has no device to check.
    form().Ports().Net().SetAddress(std::nullopt);
    Port(6);
    rec_.Clear();
    form().Button_StatusClick();
    ASSERT_EQ(rec_.Messages().size(), 2u);
    EXPECT_EQ(rec_.Messages()[0].text, QStringLiteral("NET PORT 開啟失敗！"));
    EXPECT_TRUE(rec_.Messages()[1].text.contains(QStringLiteral("尚未設定網路印表機的位址")))
        << rec_.Messages()[1].text.toStdString();
    EXPECT_FALSE(rec_.Messages()[1].text.contains(QStringLiteral("請確認裝置存在")));
}

TEST_F(StatusFormTest, SilentPrinterOtherModesAndAMissingDevice) {
    {
        ScriptedPrinter printer(pty_.Master(), [](int) { return Reply{}; });
        form().StatusBoundMs = 100;
        form().Button_StatusClick();
        const RecordedMessage box = Box();
        EXPECT_EQ(box.kind, MessageKind::Information);
        EXPECT_TRUE(box.text.contains(QStringLiteral("印表機沒有回應"))) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(QStringLiteral("只接收、不回傳")));
    }
    {
        ScriptedPrinter printer(pty_.Master(), Answers("\x12\x12\x12\x12"));
        Mode(1);
        rec_.Clear();
        form().Button_StatusClick();
        EXPECT_EQ(Box().kind, MessageKind::Information);
        EXPECT_TRUE(Box().text.contains(QStringLiteral("此模式不支援狀態查詢")));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(printer.Received(), "");
    }
    Mode(0);
    ScopedEnv missing("VEMIX_COM1", dir_.File("missing"));
    rec_.Clear();
    form().Button_StatusClick();
    ASSERT_EQ(rec_.Messages().size(), 2u);
    EXPECT_EQ(rec_.Messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(rec_.Messages()[0].text, QStringLiteral("COM1 PORT 開啟失敗！"));
    EXPECT_EQ(rec_.Messages()[1].kind, MessageKind::Information);
    EXPECT_TRUE(rec_.Messages()[1].text.contains(QStringLiteral("連接埠無法開啟")));
}

TEST_F(FormTest, APrinterDeviceOnTheParallelPortReportsItsLinesAndAFileReportsNone) {
    ScopedEnv lpt("VEMIX_LPT2", "/dev/usb/lp3");
    form().LptStatusRead = [](const std::string& path, int& status) {
        status = path == "/dev/usb/lp3" ? 0x88 : 0;
        return 0;
    };
    Port(5); // LPT2
    form().Button_StatusClick();
    ASSERT_EQ(rec_.Messages().size(), 1u);
    // Not selected: the printer cannot print.
    EXPECT_EQ(rec_.Messages()[0].kind, MessageKind::Warning);
    EXPECT_TRUE(rec_.Messages()[0].text.contains(QStringLiteral("已選取 (上線)：否")))
        << rec_.Messages()[0].text.toStdString();
    rec_.Clear();
    Port(4); // LPT1: a file
    form().Button_StatusClick();
    ASSERT_EQ(rec_.Messages().size(), 1u);
    EXPECT_TRUE(rec_.Messages()[0].text.contains(QStringLiteral("此裝置不回報狀態")));
    EXPECT_EQ(Lpt1(), "") << "a status request wrote to the parallel port";
}
