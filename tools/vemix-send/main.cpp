// vemix-send: a test page to a printer from the command line, as the window's 測試頁… sends it.
#include "Send.h"
#include "Vemix/Policy.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    std::string error;
    const std::optional<TSendRequest> request = ParseSendOptions(argc, argv, error);
    if (!request) {
        std::fprintf(stderr, "vemix-send: %s (see vemix-send --help)\n", error.c_str());
        return SendBadInput;
    }
    if (request->Help) {
        std::printf("vemix-send %s: sends a test page or any command to an invoice or receipt "
                    "printer, or asks its status\n%s",
                    VEMIX_VERSION, SendUsage());
        return SendOk;
    }
    if (request->Version) {
        std::printf("vemix-send %s\n", VEMIX_VERSION);
        return SendOk;
    }
    QCoreApplication app(argc, argv);
    InstallPortVariables();
    return RunSend(*request, QDateTime::currentDateTime(), stderr);
}
