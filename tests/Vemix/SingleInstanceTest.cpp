// Two real starts of the program: the second brings the first forward and ends.
#include "TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class Program {
  public:
    explicit Program(const TempDir& dir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VEMIX_TRACE", "1");
        // The instance socket lives in the temporary folder: keep it apart from a real run.
        env.insert("TMPDIR", QString::fromStdString(dir.Path()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir.Path()));
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

  private:
    QProcess process_;
};

bool ListeningWithin(const TempDir& dir, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            if (e.path().filename().string().rfind("Vemix_Test-", 0) == 0)
                return true;
        QTest::qWait(50);
    }
    return false;
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
        QTRY_VERIFY_WITH_TIMEOUT(
            first.process().readAllStandardError().contains("brought forward by a second start"),
            5000);
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
