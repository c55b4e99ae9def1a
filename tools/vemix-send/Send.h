#pragma once
// Sending what a command line asks for: the page's or the given bytes on a port, one cycle as
// the window sends them, or into a file; with --answer what the printer sends back meanwhile;
// or the printer's status as the status box asks for it, in one line of words.
#include "SendOptions.h"

#include <QDateTime>
#include <cstdio>

// --status: 0 on line with paper (near its end too), 1 answered but cannot print, 3 the port
// opened but no answer came.
constexpr int SendOk = 0, SendCannotPrint = 1, SendBadInput = 2, SendNoAnswer = 3,
              SendPortFailed = 4;

// Builds the page (dated now, its random code random unless given) or takes the bytes and
// sends them, or asks for the status; says on err what went wrong, in one line; the status
// words and what the printer sent back go to out. Needs a QCoreApplication.
int RunSend(TSendRequest request, const QDateTime& now, std::FILE* err, std::FILE* out = stdout);
