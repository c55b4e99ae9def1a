#pragma once
// Running tests of this binary again in a child process: under another environment (an X
// server of its own, a scale factor, a locale), since those are fixed when the application
// object is made. Also a private X server (Xvfb) for what only a real window system has: the
// selection clipboard, two displays at once.
#include <QProcessEnvironment>
#include <QString>
#include <string>
#include <sys/types.h>

struct ChildResult {
    int ExitCode = -1;
    QString Output; // standard output and error together
    // True when the child ran exactly one test and it passed (not skipped).
    bool PassedOne() const;
};

// Runs this test binary with --gtest_filter=FILTER in ENV (the current environment plus the
// given entries), waiting at most TIMEOUTMS.
ChildResult RunSelf(const QString& filter, const QProcessEnvironment& changes,
                    int timeoutMs = 120000);

// True in a child that RunSelf started (the variable VEMIX_CHILD_RUN is set).
bool InChildRun();

class Xvfb {
  public:
    Xvfb(); // starts a server; Display() is empty when it could not, Why() says why
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const QString& Display() const { return display_; }
    const std::string& Why() const { return why_; }
    // The environment entries that put a program on this server.
    QProcessEnvironment Environment() const;

  private:
    pid_t pid_ = -1;
    QString display_;
    std::string why_;
};
