#include "ChildRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

bool ChildResult::PassedOne() const {
    return ExitCode == 0 && Output.contains(QStringLiteral("[  PASSED  ] 1 test.")) &&
           !Output.contains(QStringLiteral("[  SKIPPED ]"));
}

ChildResult RunSelf(const QString& filter, const QProcessEnvironment& changes, int timeoutMs) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : changes.keys())
        env.insert(key, changes.value(key));
    env.insert(QStringLiteral("VEMIX_CHILD_RUN"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + filter});
    ChildResult result;
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished(5000);
        result.Output = QString::fromLocal8Bit(child.readAll()) + "\n(child timed out)";
        return result;
    }
    result.ExitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    result.Output = QString::fromLocal8Bit(child.readAll());
    return result;
}

bool InChildRun() {
    return std::getenv("VEMIX_CHILD_RUN") != nullptr;
}

Xvfb::Xvfb() {
    int fds[2];
    if (pipe(fds) != 0) {
        why_ = "pipe failed";
        return;
    }
    pid_ = fork();
    if (pid_ < 0) {
        why_ = "fork failed";
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    if (pid_ == 0) {
        // The server writes its display number to the pipe once it accepts clients.
        ::close(fds[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlives the test
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        why_ = "Xvfb did not start (scripts/setup installs package xvfb)";
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return;
    }
    display_ = QStringLiteral(":") + QString::fromStdString(number);
}

Xvfb::~Xvfb() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

QProcessEnvironment Xvfb::Environment() const {
    QProcessEnvironment env;
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}
