#include "Vemix/CommandLine.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* Usage =
    "usage: vemix-test [--help | --version]\n"
    "Opens the invoice and receipt printer test window; it takes no other arguments.\n"
    "\n"
    "Environment:\n"
    "  VEMIX_COM1..VEMIX_COM4  device of COM1..COM4 (default /dev/ttyS0../dev/ttyS3)\n"
    "  VEMIX_LPT1, VEMIX_LPT2  device or file of LPT1, LPT2 (default /dev/lp0, /dev/lp1)\n"
    "  VEMIX_NET=HOST[:PORT]   network printer of NET (raw TCP, port 9100 unless given)\n"
    "These override for one run what the port settings (連接埠設定…) keep in\n"
    "~/.config/vemix/vemix-test.ini.\n"
    "  VEMIX_CODEPAGE          the printer's code page (default CP950, Big5)\n"
    "  VEMIX_TRACE=1           log every port cycle to standard error\n"
    "\n"
    "See vemix-test(1).\n";

bool IsHelp(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}
bool IsVersion(const char* arg) {
    return std::strcmp(arg, "--version") == 0;
}

// What is wrong with a command line that is not exactly one known option.
std::string Complaint(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        if (!IsHelp(argv[i]) && !IsVersion(argv[i]))
            return std::string("unknown argument ") + argv[i];
    return "one option at a time";
}

} // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::FILE* out,
                                     std::FILE* err) {
    if (argc <= 1)
        return std::nullopt;
    if (argc == 2 && IsVersion(argv[1])) {
        std::fprintf(out, "vemix-test %s\n", VEMIX_VERSION);
        return 0;
    }
    if (argc == 2 && IsHelp(argv[1])) {
        std::fprintf(out, "vemix-test %s: invoice and receipt printer test utility\n%s",
                     VEMIX_VERSION, Usage);
        return 0;
    }
    std::fprintf(err, "vemix-test: %s\n%s", Complaint(argc, argv).c_str(), Usage);
    return 2;
}
