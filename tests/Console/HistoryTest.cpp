// The console's history: the last hundred lines, walked with Up and Down as in a shell, kept in
// the settings file without disturbing the port settings there.
#include "Console/History.h"
#include "Ports/PortSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// What the code writes to standard error while it runs.
template <class F> std::string StandardError(const QString& file, F run) {
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int fd = ::open(file.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 2);
    ::close(fd);
    run();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    return in.readAll().toStdString();
}

} // namespace

TEST(History, KeepsTheLastHundredAndWalksLikeAShell) {
    TCommandHistory history;
    QString line;
    EXPECT_FALSE(history.Older(QStringLiteral("typed"), line));
    for (int i = 0; i < 105; ++i)
        history.Add(QString::number(i));
    history.Add(QStringLiteral("104"));
    history.Add(QStringLiteral("  "));
    ASSERT_EQ(history.Lines().size(), TCommandHistory::Max);
    EXPECT_EQ(history.Lines().front(), QStringLiteral("5"));
    EXPECT_EQ(history.Lines().back(), QStringLiteral("104"));

    ASSERT_TRUE(history.Older(QStringLiteral("typed"), line));
    EXPECT_EQ(line, QStringLiteral("104"));
    ASSERT_TRUE(history.Older(line, line));
    EXPECT_EQ(line, QStringLiteral("103"));
    ASSERT_TRUE(history.Newer(line));
    EXPECT_EQ(line, QStringLiteral("104"));
    ASSERT_TRUE(history.Newer(line));
    EXPECT_EQ(line, QStringLiteral("typed"));
    EXPECT_FALSE(history.Newer(line));
    for (int i = 0; i < TCommandHistory::Max; ++i)
        ASSERT_TRUE(history.Older(line, line));
    EXPECT_EQ(line, QStringLiteral("5"));
    EXPECT_FALSE(history.Older(line, line));
    // A line sent starts the walk again from the newest.
    history.Add(QStringLiteral("new"));
    ASSERT_TRUE(history.Older(QString(), line));
    EXPECT_EQ(line, QStringLiteral("new"));
}

TEST(History, KeptInTheSettingsFileBesideThePorts) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("vemix/vemix-test.ini"));
    TPortSettings ports;
    ASSERT_TRUE(ports.SetStored(QStringLiteral("COM1"), "/dev/ttyUSB0"));
    ASSERT_TRUE(ports.Save(file));
    TCommandHistory history;
    const QStringList lines = {
        QStringLiteral("\"總計, 100\" LF"), QStringLiteral("\\x1b@ \\\\ \\\""),
        QStringLiteral("@Invalid() ; # [Ports] a=b"), QStringLiteral("ESC\t@")};
    for (const QString& line : lines)
        history.Add(line);
    ASSERT_TRUE(history.Save(file));
    // The ports are read as before, without a word, and keep their device.
    const QString said = dir.filePath(QStringLiteral("stderr"));
    TPortSettings back;
    EXPECT_EQ(StandardError(said, [&] { back = TPortSettings::Load(file); }), "");
    EXPECT_EQ(back.Stored(QStringLiteral("COM1")), "/dev/ttyUSB0");
    EXPECT_EQ(TCommandHistory::Load(file).Lines(), lines);
    // Saving the ports again keeps the history; one line alone comes back as one line.
    ASSERT_TRUE(back.Save(file));
    EXPECT_EQ(TCommandHistory::Load(file).Lines(), lines);
    TCommandHistory one;
    one.Add(QStringLiteral("DLE EOT 1"));
    ASSERT_TRUE(one.Save(file));
    EXPECT_EQ(TCommandHistory::Load(file).Lines(), QStringList{QStringLiteral("DLE EOT 1")});
    // Something else under the key is said and ignored.
    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Console]\nHistory=@ByteArray(ESC @)\n");
    ini.close();
    bool empty = false;
    const std::string warned =
        StandardError(said, [&] { empty = TCommandHistory::Load(file).Lines().isEmpty(); });
    EXPECT_TRUE(empty);
    EXPECT_NE(warned.find("[Console] History is not a list of lines"), std::string::npos) << warned;
}
