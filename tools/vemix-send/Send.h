#pragma once
// Sending what a command line asks for: the page's bytes on a port, one cycle as the window
// sends them, or into a file.
#include "SendOptions.h"

#include <QDateTime>
#include <cstdio>

constexpr int SendOk = 0, SendBadInput = 2, SendPortFailed = 4;

// Builds the page (dated now, its random code random unless given) and sends it; says on err
// what went wrong, in one line. Needs a QCoreApplication.
int RunSend(TSendRequest request, const QDateTime& now, std::FILE* err);
