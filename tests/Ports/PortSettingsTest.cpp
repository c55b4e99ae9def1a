// The user's port settings: stored in a file under XDG_CONFIG_HOME, overridden for a run by
// the environment, and never trusted blindly.
#include "DeviceIo/Devices.h"
#include "Ports/PortRegistry.h"
#include "TempDir.h"

#include <QDir>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

class Stderr {
  public:
    explicit Stderr(std::string path) : path_(std::move(path)), saved_(dup(2)) {
        const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        close(fd);
    }
    ~Stderr() { Text(); }
    std::string Text() {
        if (saved_ >= 0) {
            fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
        }
        return ReadFileBytes(path_);
    }

  private:
    std::string path_;
    int saved_;
};

class PortSettingsTest : public ::testing::Test {
  protected:
    PortSettingsTest() {
        for (const char* var : {"VEMIX_COM1", "VEMIX_COM2", "VEMIX_LPT1", "VEMIX_NET"})
            unsetenv(var);
    }
    ~PortSettingsTest() override {
        for (const QString& name : TPortSettings::Names())
            SetConfiguredDevice(name.toStdString(), "");
    }
    TempDir dir_;
    ScopedEnv config_{"XDG_CONFIG_HOME", dir_.Path()};
};

} // namespace

TEST_F(PortSettingsTest, WithNothingStoredTheDefaultsHold) {
    EXPECT_EQ(TPortSettings::DefaultFile().toStdString(), dir_.Path() + "/vemix/vemix-test.ini");
    const TPortSettings s = TPortSettings::Load();
    EXPECT_EQ(s.Effective("COM1"), "/dev/ttyS0");
    EXPECT_EQ(s.Effective("LPT2"), "/dev/lp1");
    EXPECT_EQ(s.Effective("NET"), "");
    EXPECT_FALSE(s.NetAddress());
}

TEST_F(PortSettingsTest, StoredChoicesSurviveAndTheEnvironmentWinsForOneRun) {
    TPortSettings s;
    EXPECT_TRUE(s.SetStored("COM1", "/dev/serial/by-id/usb-Printer-if00"));
    EXPECT_TRUE(s.SetStored("LPT1", "/dev/usb/lp0"));
    EXPECT_TRUE(s.SetStored("NET", "192.0.2.7:9101"));
    EXPECT_FALSE(s.SetStored("COM2", "ttyUSB0"));
    EXPECT_FALSE(s.SetStored("NET", "my printer"));
    ASSERT_TRUE(s.Save());

    TPortSettings again = TPortSettings::Load();
    EXPECT_EQ(again.Stored("COM1"), "/dev/serial/by-id/usb-Printer-if00");
    EXPECT_EQ(again.Effective("LPT1"), "/dev/usb/lp0");
    EXPECT_EQ(again.NetAddress(), (TNetAddress{"192.0.2.7", 9101}));
    EXPECT_EQ(again.Stored("COM2"), "");

    TSerialDriver driver;
    TPortRegistry ports(driver, nullptr);
    ports.Apply(again);
    EXPECT_EQ(DevicePath("COM1"), "/dev/serial/by-id/usb-Printer-if00");
    EXPECT_EQ(ports.Net().Device(), "192.0.2.7:9101");
    {
        ScopedEnv com("VEMIX_COM1", "/tmp/pty-of-this-run");
        ScopedEnv net("VEMIX_NET", "127.0.0.1");
        const TPortSettings run = TPortSettings::Load();
        EXPECT_EQ(run.Override("COM1"), "/tmp/pty-of-this-run");
        EXPECT_EQ(run.Effective("COM1"), "/tmp/pty-of-this-run");
        EXPECT_EQ(run.Stored("COM1"), "/dev/serial/by-id/usb-Printer-if00");
        EXPECT_EQ(DevicePath("COM1"), "/tmp/pty-of-this-run");
        EXPECT_EQ(run.NetAddress(), (TNetAddress{"127.0.0.1", 9100}));
    }
    // Clearing a choice brings the default back.
    again.SetStored("COM1", "");
    ASSERT_TRUE(again.Save());
    ports.Apply(TPortSettings::Load());
    EXPECT_EQ(DevicePath("COM1"), "/dev/ttyS0");
}

TEST_F(PortSettingsTest, BadValuesAndUnreadableFilesAreReportedAndIgnored) {
    QDir().mkpath(QString::fromStdString(dir_.Path() + "/vemix"));
    const std::string file = dir_.Path() + "/vemix/vemix-test.ini";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Ports]\nCOM1=relative/path\nCOM2=/dev/ttyUSB1\nLPT1=a, b\nNET=host:70000\n"
               "COM9=/dev/ttyS8\n\x01\xff\xfe garbage \x00 line\n";
    }
    {
        Stderr err(dir_.File("err"));
        const TPortSettings s = TPortSettings::Load();
        EXPECT_EQ(s.Stored("COM1"), "");
        EXPECT_EQ(s.Stored("COM2"), "/dev/ttyUSB1");
        EXPECT_EQ(s.Stored("LPT1"), "");
        EXPECT_FALSE(s.NetAddress());
        const std::string text = err.Text();
        EXPECT_NE(text.find("COM1=relative/path ignored: not an absolute path"), std::string::npos)
            << text;
        EXPECT_NE(text.find("LPT1="), std::string::npos) << text;
        EXPECT_NE(text.find("NET=host:70000 ignored"), std::string::npos) << text;
        EXPECT_NE(text.find("COM9=/dev/ttyS8 ignored: no such port"), std::string::npos) << text;
        EXPECT_NE(text.find("vemix-test.ini: 1 line is not a setting (line 7); ignored"),
                  std::string::npos)
            << text;
    }
    // A folder where the file should be: reported, defaults hold.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    {
        Stderr err(dir_.File("err2"));
        EXPECT_EQ(TPortSettings::Load().Effective("COM1"), "/dev/ttyS0");
        EXPECT_NE(err.Text().find("cannot be read; port settings ignored"), std::string::npos);
    }
    // A bad variable is reported and the stored value holds.
    std::filesystem::remove(file);
    TPortSettings s;
    s.SetStored("NET", "10.1.1.1");
    ASSERT_TRUE(s.Save());
    ScopedEnv net("VEMIX_NET", "10.1.1.1:0");
    Stderr err(dir_.File("err3"));
    EXPECT_EQ(TPortSettings::Load().NetAddress(), (TNetAddress{"10.1.1.1", 9100}));
    EXPECT_NE(err.Text().find("VEMIX_NET=10.1.1.1:0 ignored"), std::string::npos);
}

TEST_F(PortSettingsTest, RandomBytesOrPlainTextAreNoSettingsFile) {
    QDir().mkpath(QString::fromStdString(dir_.Path() + "/vemix"));
    const std::string file = dir_.Path() + "/vemix/vemix-test.ini";
    std::vector<std::string> contents;
    for (unsigned seed : {1u, 2u, 3u, 27u}) {
        std::mt19937 random(seed);
        std::string bytes(8192, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xFF);
        contents.push_back(bytes);
    }
    contents.push_back("Dear operator,\nthis is a letter, not the port settings.\n");
    contents.push_back("COM1=/dev/ttyUSB0\n" + std::string(200, '\0'));
    for (const std::string& bytes : contents) {
        SCOPED_TRACE(bytes.substr(0, 16));
        { std::ofstream(file, std::ios::binary) << bytes; }
        Stderr err(dir_.File("err"));
        const TPortSettings s = TPortSettings::Load();
        for (const QString& name : TPortSettings::Names())
            EXPECT_EQ(s.Stored(name), "") << name.toStdString();
        EXPECT_EQ(err.Text(), "vemix: " + file + ": not a settings file; port settings ignored\n");
    }
}
