// "連接埠設定" as an operator uses it: choose, test, keep, and be told what is wrong.
#include "FormFixture.h"
#include "Loopback.h"
#include "Pty.h"

#include "DeviceIo/Devices.h"
#include "Unit1/PortSettingsDialog.h"
#include "Unit1/ProbeWording.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <filesystem>
#include <fstream>
#include <netdb.h>
#include <sys/stat.h>

namespace {

class DialogTest : public FormTest {
  protected:
    DialogTest() {
        for (const char* var : {"VEMIX_COM1", "VEMIX_COM2", "VEMIX_NET"})
            unsetenv(var);
    }
    ~DialogTest() override {
        for (const QString& name : TPortSettings::Names())
            SetConfiguredDevice(name.toStdString(), "");
    }
    std::unique_ptr<TPortSettingsDialog> Open() {
        auto dialog = std::make_unique<TPortSettingsDialog>(form().Ports(), &form(), root_.Path());
        dialog->show();
        return dialog;
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void Ok(TPortSettingsDialog& d) {
        QTest::mouseClick(d.findChild<QPushButton*>("Ok"), Qt::LeftButton);
    }
    std::string SettingsFile() const {
        return ReadFileBytes(config_.Path() + "/vemix/vemix-test.ini");
    }

    TempDir config_;
    ScopedEnv xdg_{"XDG_CONFIG_HOME", config_.Path()};
    TempDir root_;
};

} // namespace

TEST_F(DialogTest, ListsThePresentDevicesWithReadableNames) {
    std::filesystem::create_directories(root_.Path() + "/dev/serial/by-id");
    std::filesystem::create_directories(root_.Path() + "/dev/usb");
    { std::ofstream(root_.Path() + "/dev/ttyUSB0") << ""; }
    { std::ofstream(root_.Path() + "/dev/usb/lp0") << ""; }
    std::filesystem::create_symlink("../../ttyUSB0",
                                    root_.Path() + "/dev/serial/by-id/usb-Star_TSP100-if00");
    auto d = Open();
    QComboBox* com = d->DeviceEdit("COM3");
    ASSERT_EQ(com->count(), 1);
    EXPECT_EQ(com->itemText(0), "Star TSP100 (ttyUSB0)");
    EXPECT_EQ(com->currentText(), "");
    EXPECT_EQ(com->lineEdit()->placeholderText(), QStringLiteral("預設 /dev/ttyS2"));
    ASSERT_EQ(d->DeviceEdit("LPT1")->count(), 1);
    EXPECT_EQ(d->DeviceEdit("LPT1")->itemText(0).toStdString(), root_.Path() + "/dev/usb/lp0");
    // Choosing the listed device stores its stable path, not its label.
    com->setCurrentIndex(0);
    Ok(*d);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(DevicePath("COM3"), root_.Path() + "/dev/serial/by-id/usb-Star_TSP100-if00");
    EXPECT_NE(
        SettingsFile().find("COM3=" + root_.Path() + "/dev/serial/by-id/usb-Star_TSP100-if00"),
        std::string::npos)
        << SettingsFile();
}

TEST_F(DialogTest, ACom1MappedHereReceivesTheTypedLineAndTheChoiceIsKept) {
    Pty pty;
    auto d = Open();
    Type(d->DeviceEdit("COM1")->lineEdit(), QString::fromStdString(pty.SlavePath()));
    QTest::mouseClick(d->TestButton("COM1"), Qt::LeftButton);
    EXPECT_TRUE(d->Result()->text().contains(QStringLiteral("開啟並關閉成功")))
        << d->Result()->text().toStdString();
    Ok(*d);
    Port(0);
    form().Edit1->setText("HELLO");
    form().Button1Click();
    EXPECT_EQ(pty.Read(6), "HELLO\n");
    EXPECT_TRUE(rec_.Texts().isEmpty());
    // A new window (a new run) reads the same choice.
    d.reset();
    form_ = std::make_unique<TForm1>();
    EXPECT_EQ(form().Ports().Settings().Stored("COM1"), pty.SlavePath());
    auto again = Open();
    EXPECT_EQ(again->DeviceEdit("COM1")->currentText().toStdString(), pty.SlavePath());
}

TEST_F(DialogTest, AVariableOfThisRunIsShownAndItsStoredChoiceKept) {
    TPortSettings stored;
    stored.SetStored("COM2", "/dev/ttyUSB7");
    stored.SetStored("NET", "127.0.0.9:9100");
    ASSERT_TRUE(stored.Save());
    ScopedEnv com("VEMIX_COM2", "/dev/pts/77");
    ScopedEnv net("VEMIX_NET", "127.0.0.1:9200");
    form_ = std::make_unique<TForm1>();
    auto d = Open();
    EXPECT_FALSE(d->DeviceEdit("COM2")->isEnabled());
    EXPECT_EQ(d->DeviceEdit("COM2")->currentText(), "/dev/pts/77");
    EXPECT_FALSE(d->Note("COM2")->isHidden());
    EXPECT_TRUE(d->Note("COM2")->text().contains("VEMIX_COM2=/dev/pts/77"));
    EXPECT_TRUE(d->Note("COM1")->isHidden());
    EXPECT_EQ(d->NetHostEdit()->text(), "127.0.0.1");
    EXPECT_EQ(d->NetPortEdit()->text(), "9200");
    EXPECT_FALSE(d->NetHostEdit()->isEnabled());
    Ok(*d);
    EXPECT_NE(SettingsFile().find("COM2=/dev/ttyUSB7"), std::string::npos);
    EXPECT_NE(SettingsFile().find("NET=127.0.0.9:9100"), std::string::npos);
}

TEST_F(DialogTest, BadEntriesAreRefusedWhereTheyAreTypedAndNothingIsKept) {
    auto d = Open();
    struct Case {
        const char* host;
        const char* port;
        const char* message;
    };
    for (const Case& c :
         {Case{"my printer", "", "NET 主機名稱不可含空白！"},
          Case{"", "9100", "NET 主機不可空白！"},
          Case{"printer", "70000", "NET 連接埠須為 1 到 65535 的數字！"},
          Case{"printer", "0", "NET 連接埠須為 1 到 65535 的數字！"},
          Case{"printer:9100", "9101", "NET 位址格式錯誤！請輸入 主機 或 主機:連接埠。"}}) {
        SCOPED_TRACE(c.host);
        rec_.Clear();
        Type(d->NetHostEdit(), QString::fromUtf8(c.host));
        Type(d->NetPortEdit(), QString::fromUtf8(c.port));
        Ok(*d);
        EXPECT_EQ(rec_.Texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_TRUE(d->isVisible());
        // The test button refuses it as well, and connects nowhere.
        rec_.Clear();
        QTest::mouseClick(d->TestButton("NET"), Qt::LeftButton);
        EXPECT_EQ(rec_.Texts().size(), 1);
    }
    Type(d->NetHostEdit(), "");
    Type(d->NetPortEdit(), "");
    rec_.Clear();
    // (LPT1 and LPT2 are the fixture's, through their variables.)
    Type(d->DeviceEdit("COM3")->lineEdit(), "ttyUSB0");
    Ok(*d);
    EXPECT_EQ(rec_.Texts(),
              QStringList{QStringLiteral("COM3 的裝置須是以 / 開頭的完整路徑，例如 /dev/ttyS2！")});
    EXPECT_EQ(SettingsFile(), "");
    EXPECT_FALSE(form().Ports().Net().Address());
}

TEST_F(DialogTest, AnIPv6AddressIsTakenInBracketsToo) {
    auto d = Open();
    Type(d->NetHostEdit(), "[::1]:9100");
    Ok(*d);
    EXPECT_TRUE(rec_.Texts().isEmpty()) << rec_.Texts().join('|').toStdString();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(form().Ports().Net().Address(), (TNetAddress{"::1", 9100}));
    EXPECT_NE(SettingsFile().find("NET=[::1]:9100"), std::string::npos) << SettingsFile();
    // Shown again in its two fields, and taken as it is.
    auto again = Open();
    EXPECT_EQ(again->NetHostEdit()->text(), "::1");
    EXPECT_EQ(again->NetPortEdit()->text(), "9100");
    Type(again->NetHostEdit(), "[::1]");
    Type(again->NetPortEdit(), "9101");
    Ok(*again);
    EXPECT_EQ(form().Ports().Net().Address(), (TNetAddress{"::1", 9101}));
}

namespace {

// English words left in a text once the values put into it (names, paths) are taken out;
// identifiers such as VEMIX_COM4 and the commands it proposes are not words.
std::string EnglishWords(QString text, const QStringList& values) {
    for (const QString& v : values)
        text.remove(v);
    for (const char* command : {"vemix-printer --input", "sudo adduser"})
        text.remove(QString::fromUtf8(command));
    text.remove(QRegularExpression(QStringLiteral("/[^\\s、。，：；()]*")));
    QStringList words;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("\\b[A-Za-z]*[a-z]{3,}\\b")).globalMatch(text);
    while (it.hasNext())
        words << it.next().captured();
    return words.join(' ').toStdString();
}

} // namespace

TEST_F(DialogTest, TheTestSaysWhatHappenedAndWhatToDoInTheWindowsLanguage) {
    auto d = Open();
    auto result = [&](const QString& name) {
        QTest::mouseClick(d->TestButton(name), Qt::LeftButton);
        return d->Result()->text();
    };
    const QString missingPath = QString::fromStdString(dir_.File("ttyUSB9"));
    Type(d->DeviceEdit("COM4")->lineEdit(), missingPath);
    const QString missing = result("COM4");
    EXPECT_TRUE(missing.contains(QStringLiteral("無法開啟 — 找不到這個裝置或檔案。\n建議：")))
        << missing.toStdString();
    // A FIFO without its reader, on a port whose device this run's variable names.
    ASSERT_EQ(::mkfifo(dir_.File("lpt1").c_str(), 0600), 0);
    const QString fifo = result("LPT1");
    EXPECT_TRUE(fifo.contains(QStringLiteral("沒有程式在讀取這個具名管道 (FIFO)")))
        << fifo.toStdString();
    EXPECT_TRUE(fifo.contains(QStringLiteral("例如 vemix-printer --input ") +
                              QString::fromStdString(dir_.File("lpt1"))))
        << fifo.toStdString();

    RefusingPort nobody;
    Type(d->NetHostEdit(), "127.0.0.1");
    Type(d->NetPortEdit(), QString::number(nobody.Port()));
    const QString refused = result("NET");
    EXPECT_TRUE(refused.contains(QStringLiteral("無法連線 — 印表機拒絕連線。\n建議：")))
        << refused.toStdString();
    form().Ports().Net().SetLookup(
        [](const std::string&, std::uint16_t, std::vector<TSockAddr>&) { return EAI_NONAME; });
    Type(d->NetHostEdit(), "front-desk-printer");
    const QString unknown = result("NET");
    EXPECT_TRUE(unknown.contains(QStringLiteral("找不到這個主機名稱。\n建議：請檢查主機名稱")))
        << unknown.toStdString();

    for (const QString& text : {missing, fifo, refused, unknown}) {
        EXPECT_EQ(EnglishWords(text, {"front-desk-printer"}), "") << text.toStdString();
        // Never "go to the port settings" from within them.
        EXPECT_FALSE(text.contains(QStringLiteral("連接埠設定"))) << text.toStdString();
    }

    LoopbackListener printer;
    Type(d->NetHostEdit(), "127.0.0.1");
    Type(d->NetPortEdit(), QString::number(printer.Port()));
    EXPECT_TRUE(result("NET").contains(QStringLiteral("連線並中斷成功")))
        << d->Result()->text().toStdString();
    // Connected and left without a byte.
    EXPECT_EQ(printer.Connections(1), std::vector<std::string>{""});
    EXPECT_TRUE(rec_.Texts().isEmpty());
    EXPECT_TRUE(d->grab().save(QStringLiteral(VEMIX_BUILD_DIR "/PortSettings.png")));
}

TEST_F(DialogTest, APermissionHintSaysWhichGroupToJoinAndToLogInAgain) {
    TProbeResult r;
    r.Code = EACCES;
    r.Kind = phOpenAdvice;
    r.Advice = {adJoinGroup, true, "root", "dialout", "rw", "rw", "--", {}, false, ""};
    const TShownValue same = [](const std::string& v) { return QString::fromStdString(v); };
    const QString join = ProbeHintText(r, "/dev/ttyUSB0", false, same);
    EXPECT_TRUE(join.contains(QStringLiteral("加入群組「dialout」"))) << join.toStdString();
    EXPECT_TRUE(join.contains(QStringLiteral("登出再重新登入"))) << join.toStdString();
    r.Advice.Kind = adNoGroupHelps;
    r.Advice.GroupAccess = "-w";
    const QString rule = ProbeHintText(r, "/dev/ttyUSB0", false, same);
    EXPECT_TRUE(rule.contains(QStringLiteral("屬於 root:dialout，權限為擁有者 rw、群組 -w、"
                                             "其他人 --；群組不能讀寫")))
        << rule.toStdString();
    EXPECT_TRUE(rule.contains(QStringLiteral("加入群組「dialout」也沒有用"))) << rule.toStdString();
    for (const QString& text : {join, rule, ProbeReasonText(r, false)})
        EXPECT_EQ(EnglishWords(text, {"root", "dialout"}), "") << text.toStdString();
}

TEST_F(DialogTest, LongValuesAreShortenedAndTheDialogStaysWithinTheScreen) {
    const std::string longPath = "/tmp/" + std::string(300, 'p') + "/lp0";
    TPortSettings stored;
    ASSERT_TRUE(stored.SetStored("COM1", longPath));
    ASSERT_TRUE(stored.Save());
    ScopedEnv net("VEMIX_NET", std::string(300, 'h') + ":9100");
    form_ = std::make_unique<TForm1>();
    form().Ports().Net().SetLookup(
        [](const std::string&, std::uint16_t, std::vector<TSockAddr>&) { return EAI_NONAME; });
    auto d = Open();
    QTest::mouseClick(d->TestButton("COM1"), Qt::LeftButton);
    EXPECT_TRUE(d->Result()->text().contains(QStringLiteral("pp…pp")))
        << d->Result()->text().toStdString();
    EXPECT_TRUE(d->Result()->text().contains(QStringLiteral("路徑或其中一段名稱太長")));
    QTest::mouseClick(d->TestButton("NET"), Qt::LeftButton);
    EXPECT_TRUE(d->Result()->text().contains(QStringLiteral("找不到這個主機名稱")));
    QApplication::processEvents();
    const QRect screen = d->screen()->availableGeometry();
    EXPECT_LE(d->width(), screen.width());
    EXPECT_LE(d->height(), screen.height());
    EXPECT_LE(d->minimumSizeHint().width(), screen.width());
    // Every button can be reached: inside the dialog, which is inside the screen.
    for (const QPushButton* button : d->findChildren<QPushButton*>())
        EXPECT_TRUE(d->rect().contains(QRect(button->mapTo(d.get(), QPoint()), button->size())))
            << button->objectName().toStdString();
    EXPECT_TRUE(d->grab().save(QStringLiteral(VEMIX_BUILD_DIR "/PortSettings-long.png")));
}
