#pragma once
// vemix-send's command line: the port, the command set, the speed and the paper, what to send
// (a test page and its options, command text, text, a file's bytes) or the status to ask for,
// where (a port, or a file), and how long to listen for what the printer sends back.
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
    // --hex (the console's command text), --text (a line in the code page) or --file.
    std::optional<std::string> Bytes;
    // --status: ask the printer how it is instead of sending.
    bool Status = false;
    // --answer: listen this long after sending and print what comes.
    std::optional<int> AnswerMs;
    TPageOptions Options;
    // Given on the command line, else random when the page is built.
    bool RandomCodeGiven = false;
    std::string Output; // a file to write instead of a port
};

// The request, or (error says what is wrong, in one line) none. The e-invoice's random code and
// date are left to the sender.
std::optional<TSendRequest> ParseSendOptions(int argc, const char* const* argv, std::string& error);

const char* SendUsage();
