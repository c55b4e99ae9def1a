// vemix-printer: a virtual receipt printer that shows what the commands would print.
#include "Service.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseOptions(argc, argv, error);
    if (!options) {
        if (!error.empty())
            std::fprintf(stderr, "vemix-printer: %s\n", error.c_str());
        std::fputs(Usage(), error.empty() ? stdout : stderr);
        return error.empty() ? 0 : 2;
    }
    if (options->version) {
        std::printf("vemix-printer %s\n", VEMIX_VERSION);
        return 0;
    }
    // Fonts for the picture need a GUI application; it never shows a window.
    std::unique_ptr<QGuiApplication> app;
    if (!options->png.empty()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    return RunPrinter(*options);
}
