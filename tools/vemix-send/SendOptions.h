#pragma once
// vemix-send's command line: the port, the command set, the speed and the paper, what to send
// (a test page and its options), and where (a port, or a file).
#include "Commands/CommandSet.h"
#include "TestPages/TestPage.h"

#include <QString>
#include <optional>
#include <string>

struct TSendRequest {
    bool Help = false;
    bool Version = false;
    QString Port = QStringLiteral("COM1");
    TCommandSet Set = csEPSON;
    int Speed = 9600;
    std::optional<TTestPage> Page;
    TPageOptions Options;
    // Given on the command line, else random when the page is built.
    bool RandomCodeGiven = false;
    std::string Output; // a file to write instead of a port
};

// The request, or (error says what is wrong, in one line) none. The e-invoice's random code and
// date are left to the sender.
std::optional<TSendRequest> ParseSendOptions(int argc, const char* const* argv, std::string& error);

const char* SendUsage();
