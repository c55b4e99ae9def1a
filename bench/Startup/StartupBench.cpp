// The main window's start-up time and resident memory, as a ratio to a bare Qt window started
// the same way in the same run: each start is a process of its own (headless), timed from the
// spawn to its "shown" line, the two kinds taking turns.
#include "Rtl/Application.h"
#include "Unit1/Form1.h"
#include "Vemix/Policy.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// The program's own start-up, as main does it (the single-instance check aside).
int ShowMainWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallPortVariables();
    SetAppTitle(QStringLiteral("Vemix_Test"));
    InstallProgramFonts();
    TForm1 form;
    form.show();
    QTimer::singleShot(0, [] {
        std::printf("shown %ld\n", ResidentKb());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return app.exec();
}

struct TStart {
    double Ms = 0;
    long Kb = 0;
};

// Runs a program, timing it up to its "shown" line.
TStart Run(const std::string& program, const char* mode) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> args{const_cast<char*>(program.c_str())};
    if (mode)
        args.push_back(const_cast<char*>(mode));
    args.push_back(nullptr);
    const Clock::time_point t0 = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string out;
    char buf[256];
    TStart start;
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) {
        out.append(buf, static_cast<std::size_t>(n));
        if (out.find('\n') != std::string::npos && start.Ms == 0)
            start.Ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (out.rfind("shown ", 0) != 0) {
        std::fprintf(stderr, "%s did not show its window\n", program.c_str());
        std::exit(1);
    }
    start.Kb = std::stol(out.substr(6));
    return start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 2 && std::strcmp(argv[1], "--window") == 0)
        return ShowMainWindow(argc, argv);
    const int rounds = argc == 2 ? std::atoi(argv[1]) : 15;
    std::string self = argv[0];
    const std::string bare = self.substr(0, self.rfind('/') + 1) + "vemix-bench-bare-window";
    // Settings of a folder of their own, so the user's port settings change nothing.
    char config[] = "/tmp/vemix-bench-XXXXXX";
    if (!mkdtemp(config))
        std::abort();
    setenv("XDG_CONFIG_HOME", config, 1);
    // One start of each first, so both find the libraries in the page cache.
    Run(bare, nullptr);
    Run(self, "--window");
    std::vector<double> bareMs, bareKb, windowMs, windowKb;
    for (int i = 0; i < rounds; ++i) {
        const TStart b = Run(bare, nullptr);
        const TStart w = Run(self, "--window");
        bareMs.push_back(b.Ms);
        bareKb.push_back(static_cast<double>(b.Kb));
        windowMs.push_back(w.Ms);
        windowKb.push_back(static_cast<double>(w.Kb));
    }
    rmdir(config);
    std::printf("start-up to the first shown frame, median of %d starts each (headless)\n", rounds);
    std::printf("               time ms   resident MiB\n");
    std::printf("bare Qt window %7.1f   %8.1f\n", Median(bareMs), Median(bareKb) / 1024);
    std::printf("main window    %7.1f   %8.1f\n", Median(windowMs), Median(windowKb) / 1024);
    std::printf("ratio          %7.2f   %8.2f\n", Median(windowMs) / Median(bareMs),
                Median(windowKb) / Median(bareKb));
    return 0;
}
