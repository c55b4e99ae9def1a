// Real starts of the program: the second on the same display brings the first forward and
// ends; another display gets its own instance; a socket that is not the user's own or not
// this program's is not trusted.
#include "Vemix/SingleInstance.h"
#include "ChildRun.h"
#include "TempDir.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class Program {
  public:
    explicit Program(const TempDir& dir, const QProcessEnvironment& changes = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VEMIX_TRACE", "1");
        // Keep the instance sockets apart from a real run.
        env.insert("TMPDIR", QString::fromStdString(dir.Path()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir.Path()));
        for (const QString& key : changes.keys())
            env.insert(key, changes.value(key));
        process_.setProcessEnvironment(env);
        process_.start(VEMIX_BIN_DIR "/vemix-test", {});
    }
    ~Program() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    QProcess& process() { return process_; }
    // Everything it wrote to standard error so far.
    const QByteArray& Errors() {
        errors_ += process_.readAllStandardError();
        return errors_;
    }
    bool Says(const char* text, int ms) {
        for (int waited = 0; waited <= ms; waited += 50) {
            if (Errors().contains(text))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

  private:
    QProcess process_;
    QByteArray errors_;
};

bool ExistsWithin(const std::string& path, int ms) {
    for (int waited = 0; waited <= ms; waited += 50) {
        if (std::filesystem::exists(path))
            return true;
        QTest::qWait(50);
    }
    return false;
}

bool ListeningWithin(const TempDir& dir, int ms) {
    return ExistsWithin(dir.File("Vemix_Test-offscreen"), ms);
}

} // namespace

TEST(SingleInstance, SecondStartRaisesTheFirstAndEndsAndACrashLeavesNoBlock) {
    TempDir dir;
    {
        Program first(dir);
        ASSERT_TRUE(first.process().waitForStarted(5000));
        ASSERT_TRUE(ListeningWithin(dir, 10000));

        Program second(dir);
        ASSERT_TRUE(second.process().waitForFinished(10000));
        EXPECT_EQ(second.process().exitCode(), 0);
        EXPECT_TRUE(first.Says("brought forward by a second start", 5000));
        EXPECT_EQ(first.process().state(), QProcess::Running);
        // A crash leaves the socket file behind.
        first.process().kill();
        first.process().waitForFinished(5000);
    }
    Program third(dir);
    ASSERT_TRUE(third.process().waitForStarted(5000));
    EXPECT_FALSE(third.process().waitForFinished(1500)) << "the next start must run, not end";
    Program fourth(dir);
    ASSERT_TRUE(fourth.process().waitForFinished(10000));
    EXPECT_EQ(third.process().state(), QProcess::Running);
}

TEST(SingleInstance, EachDisplayHasItsOwnInstance) {
    Xvfb a;
    Xvfb b;
    if (a.Display().isEmpty() || b.Display().isEmpty())
        GTEST_SKIP() << a.Why() << b.Why();
    TempDir dir;
    const std::string socketA = dir.File("Vemix_Test-x11" + a.Display().toStdString());
    const std::string socketB = dir.File("Vemix_Test-x11" + b.Display().toStdString());

    Program first(dir, a.Environment());
    ASSERT_TRUE(ExistsWithin(socketA, 20000)) << first.Errors().toStdString();
    // Another desktop of the same user: a window of its own.
    Program second(dir, b.Environment());
    ASSERT_TRUE(ExistsWithin(socketB, 20000)) << second.Errors().toStdString();
    EXPECT_FALSE(second.process().waitForFinished(1000)) << "a start on another display ran";
    EXPECT_FALSE(first.Errors().contains("brought forward"));

    // The same display again, written with its screen number: the first comes forward.
    QProcessEnvironment again = a.Environment();
    again.insert("DISPLAY", a.Display() + ".0");
    Program third(dir, again);
    ASSERT_TRUE(third.process().waitForFinished(20000));
    EXPECT_EQ(third.process().exitCode(), 0);
    EXPECT_TRUE(first.Says("brought forward by a second start", 5000));
    EXPECT_FALSE(second.Errors().contains("brought forward"));
    EXPECT_EQ(first.process().state(), QProcess::Running);
    EXPECT_EQ(second.process().state(), QProcess::Running);
}

TEST(SingleInstance, ASocketOfAnotherUserIsNotTrusted) {
    if (::getuid() != 0)
        GTEST_SKIP() << "making a file of another user needs root";
    TempDir dir;
    const std::string path = dir.File("Vemix_Test-offscreen");
    // Another local user got there first and left a socket nobody answers on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);

    Program program(dir);
    EXPECT_TRUE(program.Says("belongs to user 65534", 10000)) << program.Errors().toStdString();
    EXPECT_TRUE(program.Errors().contains("starting without the single-instance check"));
    EXPECT_FALSE(program.process().waitForFinished(1500)) << "the start must go on";
    // The other user's file is left alone.
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    ::close(fd);
}

TEST(SingleInstance, ASocketThatAnswersOtherwiseIsNotTrusted) {
    TempDir dir;
    QLocalServer other;
    ASSERT_TRUE(other.listen(QString::fromStdString(dir.File("Vemix_Test-offscreen"))));
    int asked = 0;
    QObject::connect(&other, &QLocalServer::newConnection, [&] {
        QLocalSocket* client = other.nextPendingConnection();
        QObject::connect(client, &QLocalSocket::readyRead, [&asked, client] {
            client->readAll();
            ++asked;
            client->write("ok\n"); // not what this program answers
        });
    });
    Program program(dir);
    EXPECT_TRUE(program.Says("answered \"ok\", not \"Vemix_Test shown\"", 10000))
        << program.Errors().toStdString();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(program.process().waitForFinished(1500)) << "the start must go on";
    EXPECT_TRUE(other.isListening());
    EXPECT_TRUE(std::filesystem::exists(dir.File("Vemix_Test-offscreen")));
}

TEST(SingleInstance, DisplayKeyAndPrivateFolder) {
    EXPECT_EQ(DisplayKey("xcb", ":0", ""), "x11:0");
    EXPECT_EQ(DisplayKey("xcb", ":0.1", ""), "x11:0");
    EXPECT_EQ(DisplayKey("xcb", "unix:3.0", ""), "x11:3");
    EXPECT_EQ(DisplayKey("xcb", "host.example:10.0", ""), "x11host.example:10");
    EXPECT_EQ(DisplayKey("wayland", ":0", "wayland-1"), "wayland-wayland-1");
    EXPECT_EQ(DisplayKey("wayland", "", ""), "wayland-wayland-0");
    EXPECT_EQ(DisplayKey("wayland", "", "/run/user/7/w"), "wayland-_run_user_7_w");
    EXPECT_EQ(DisplayKey("offscreen", ":0", ""), "offscreen");

    TempDir dir;
    const QString root = QString::fromStdString(dir.Path());
    QString why;
    // A private runtime folder is used as it is.
    EXPECT_EQ(PrivateFolder(root, "/nonexistent", &why), root);
    // One that others may enter, or none, falls back to a folder of the user's own.
    const QString open = root + "/open";
    ASSERT_EQ(::mkdir(open.toLocal8Bit().constData(), 0755), 0);
    ::chmod(open.toLocal8Bit().constData(), 0755);
    const QString own = root + "/vemix-" + QString::number(::getuid());
    EXPECT_EQ(PrivateFolder(open, root, &why), own);
    struct stat st {};
    ASSERT_EQ(::lstat(own.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(PrivateFolder("", root, &why), own);
    EXPECT_EQ(PrivateFolder("relative", root, &why), own);
    // A link in its place, or a fallback folder others may enter, is not trusted.
    const QString link = root + "/link";
    ASSERT_EQ(::symlink(root.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    EXPECT_EQ(PrivateFolder(link, root, &why), own);
    ::chmod(own.toLocal8Bit().constData(), 0777);
    why.clear();
    EXPECT_EQ(PrivateFolder(open, root, &why), "");
    EXPECT_TRUE(why.contains("is open to others (mode 777)")) << why.toStdString();
    EXPECT_TRUE(why.contains(open + " is open to others (mode 755)")) << why.toStdString();
    ::rmdir(own.toLocal8Bit().constData());
    ASSERT_EQ(::symlink(root.toLocal8Bit().constData(), own.toLocal8Bit().constData()), 0);
    EXPECT_EQ(PrivateFolder(open, root, &why), "");
    EXPECT_TRUE(why.contains("is not a directory")) << why.toStdString();
}
