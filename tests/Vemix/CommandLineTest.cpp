// The program's command line as a user meets it: --help and --version answer without a
// display; anything else is refused on standard error and never opens the window; without a
// display it says so in one line.
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    bool finished = false;
    int status = -1;
    QString out, err;
};

// Runs the program with no display at all, unless a platform or a display is given.
Outcome RunProgram(const QStringList& args, const QString& platform = {},
                   const QString& display = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        env.insert("QT_QPA_PLATFORM", platform);
    if (!display.isEmpty())
        env.insert("DISPLAY", display);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(VEMIX_BIN_DIR "/vemix-test", args);
    Outcome run;
    run.finished = process.waitForFinished(20000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(CommandLine, VersionAndHelpAnswerOnStandardOutputWithoutADisplay) {
    const Outcome version = RunProgram({"--version"});
    ASSERT_TRUE(version.finished);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(
        QRegularExpression("^vemix-test \\d+\\.\\d+\\.\\d+\\n$").match(version.out).hasMatch())
        << version.out.toStdString();
    EXPECT_EQ(version.err, "");

    for (const char* help : {"--help", "-h"}) {
        const Outcome run = RunProgram({help});
        ASSERT_TRUE(run.finished) << help;
        EXPECT_EQ(run.status, 0) << help;
        EXPECT_TRUE(run.out.startsWith(version.out.trimmed() + ": ")) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("usage: vemix-test [--help | --version]\n"));
        for (const char* variable : {"VEMIX_COM1", "VEMIX_COM4", "VEMIX_LPT1", "VEMIX_LPT2",
                                     "VEMIX_CODEPAGE", "VEMIX_TRACE"})
            EXPECT_TRUE(run.out.contains(variable)) << help << " lacks " << variable;
        EXPECT_EQ(run.err, "") << help;
    }
}

TEST(CommandLine, AnyOtherArgumentIsRefusedWithTheUsageAndStartsNoWindow) {
    // With a platform that needs no display the window would start and never end, so an
    // argument that slipped through shows as a time-out here.
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--bogus"}, "unknown argument --bogus"},
        {{"receipt.txt"}, "unknown argument receipt.txt"},
        {{"-platform", "offscreen"}, "unknown argument -platform"},
        {{"--version", "now"}, "unknown argument now"},
        {{"--help", "--version"}, "one option at a time"},
        {{""}, "unknown argument "},
    };
    for (const auto& [args, complaint] : cases) {
        const Outcome run = RunProgram(args, "offscreen");
        const std::string name = args.join(' ').toStdString();
        ASSERT_TRUE(run.finished) << name << ": the window started";
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_TRUE(run.err.startsWith("vemix-test: " + complaint + "\nusage: vemix-test"))
            << name << ": " << run.err.toStdString();
    }
}

TEST(CommandLine, WithoutADisplayOneLineSaysSoAndHowToGetOne) {
    // No display variable at all, and one that names a display nobody serves.
    const std::vector<std::pair<QString, QString>> cases = {
        {QString(), "DISPLAY is not set"},
        {":4711", "DISPLAY=:4711 does not answer"},
    };
    for (const auto& [display, reason] : cases) {
        const Outcome run = RunProgram({}, QString(), display);
        ASSERT_TRUE(run.finished) << reason.toStdString();
        EXPECT_EQ(run.status, 1) << run.err.toStdString();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "vemix-test: no display found (" + reason +
                               "); start it on a desktop, or in a virtual display with: "
                               "xvfb-run -a " VEMIX_BIN_DIR "/vemix-test\n");
    }
}
