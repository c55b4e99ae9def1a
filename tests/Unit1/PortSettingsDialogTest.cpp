// "連接埠設定" as an operator uses it: choose, test, keep, and be told what is wrong.
#include "FormFixture.h"
#include "Loopback.h"
#include "Pty.h"

#include "DeviceIo/Devices.h"
#include "Unit1/PortSettingsDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

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
    stored.SetStored("NET", "10.0.0.9:9100");
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
    EXPECT_NE(SettingsFile().find("NET=10.0.0.9:9100"), std::string::npos);
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

TEST_F(DialogTest, TheTestSaysWhatHappenedWithTheReasonAndAHint) {
    auto d = Open();
    Type(d->DeviceEdit("COM4")->lineEdit(), QString::fromStdString(dir_.File("ttyUSB9")));
    QTest::mouseClick(d->TestButton("COM4"), Qt::LeftButton);
    const QString missing = d->Result()->text();
    EXPECT_TRUE(missing.contains(QStringLiteral("無法開啟 — No such file or directory")))
        << missing.toStdString();
    EXPECT_TRUE(missing.contains("VEMIX_COM4")) << missing.toStdString();

    RefusingPort nobody;
    Type(d->NetHostEdit(), "127.0.0.1");
    Type(d->NetPortEdit(), QString::number(nobody.Port()));
    QTest::mouseClick(d->TestButton("NET"), Qt::LeftButton);
    EXPECT_TRUE(d->Result()->text().contains(QStringLiteral("無法連線 — connection refused")))
        << d->Result()->text().toStdString();

    LoopbackListener printer;
    Type(d->NetPortEdit(), QString::number(printer.Port()));
    QTest::mouseClick(d->TestButton("NET"), Qt::LeftButton);
    EXPECT_TRUE(d->Result()->text().contains(QStringLiteral("連線並中斷成功")))
        << d->Result()->text().toStdString();
    // Connected and left without a byte.
    EXPECT_EQ(printer.Connections(1), std::vector<std::string>{""});
    EXPECT_TRUE(rec_.Texts().isEmpty());
    EXPECT_TRUE(d->grab().save(QStringLiteral(VEMIX_BUILD_DIR "/PortSettings.png")));
}
