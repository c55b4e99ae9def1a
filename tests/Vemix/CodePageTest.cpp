// An unknown VEMIX_CODEPAGE at start-up: said on standard error and once in the window, and
// the printer gets CP950.
#include "Recorder.h"
#include "Rtl/Strings.h"
#include "TempDir.h"
#include "Vemix/Policy.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// What the code under test writes to standard error while the object lives.
class StandardError {
  public:
    explicit StandardError(std::string path) : path_(std::move(path)), saved_(::dup(2)) {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StandardError() { Text(); }
    std::string Text() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
        return ReadFileBytes(path_);
    }

  private:
    std::string path_;
    int saved_;
};

} // namespace

TEST(CodePageAtStart, AnUnknownNameIsSaidOnStandardErrorAndInOneBoxAfterTheWindowIsUp) {
    TempDir dir;
    MessageRecorder rec;
    {
        ScopedEnv known("VEMIX_CODEPAGE", "CP437");
        StandardError err(dir.File("known"));
        ReportUnknownCodePage();
        QTest::qWait(20);
        EXPECT_EQ(err.Text(), "");
        EXPECT_TRUE(rec.Messages().empty());
    }
    ScopedEnv unknown("VEMIX_CODEPAGE", "BIG5-TYPO\x1B[2J");
    StandardError err(dir.File("unknown"));
    ReportUnknownCodePage();
    // Nothing in a box before the event loop runs, so the box comes over the window.
    EXPECT_TRUE(rec.Messages().empty());
    QTest::qWait(20);
    EXPECT_EQ(err.Text(), "vemix: VEMIX_CODEPAGE=BIG5-TYPO\\x1B[2J is not a code page iconv "
                          "knows; printing in CP950 (Big5) instead\n");
    ASSERT_EQ(rec.Messages().size(), 1u);
    EXPECT_EQ(rec.Messages()[0].kind, MessageKind::Warning);
    const QString box = rec.Messages()[0].text;
    EXPECT_TRUE(box.contains(QStringLiteral("VEMIX_CODEPAGE 的值「BIG5-TYPO\\x1B[2J」")))
        << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral("改用 CP950"))) << box.toStdString();
    EXPECT_EQ(ToAnsi(QStringLiteral("一AB\n")), std::string("\xA4\x40"
                                                            "AB\n"));
}

TEST(CodePageAtStart, TheProgramSaysSoOnStandardErrorAtStart) {
    TempDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
    env.insert("VEMIX_CODEPAGE", "NO-SUCH-PAGE");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(VEMIX_BIN_DIR "/vemix-test", QStringList{});
    ASSERT_TRUE(program.waitForStarted(10000));
    // The program waits in its box; its standard error has said why by then.
    QString err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains('\n') && clock.elapsed() < 20000 && program.state() == QProcess::Running) {
        program.waitForReadyRead(200);
        err += QString::fromUtf8(program.readAllStandardError());
    }
    EXPECT_EQ(program.state(), QProcess::Running) << err.toStdString();
    program.kill();
    program.waitForFinished(5000);
    EXPECT_TRUE(err.contains("vemix: VEMIX_CODEPAGE=NO-SUCH-PAGE is not a code page iconv knows"))
        << err.toStdString();
}
