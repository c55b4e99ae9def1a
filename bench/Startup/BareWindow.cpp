// A bare Qt window: the yardstick of the main window's start-up. Shows one window with a
// button, then says its resident memory once the window was shown, and ends.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

namespace {
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    QPushButton button(QStringLiteral("OK"), &window);
    window.show();
    QTimer::singleShot(0, [] {
        std::printf("shown %ld\n", ResidentKb());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return app.exec();
}
