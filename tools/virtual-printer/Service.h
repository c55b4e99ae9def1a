#pragma once
// The printer's ports: a new pseudo-terminal, a file or FIFO, or a TCP port; and the command
// line.
#include "Receipt/PrinterState.h"

#include <optional>
#include <string>

struct Options {
    std::string mode = "EPSON";
    std::string codePage; // empty: the system's ANSI code page (CP950 unless VEMIX_CODEPAGE)
    std::string input;    // empty: a new pseudo-terminal
    std::string link;
    std::string listen; // [HOST:]PORT: a network printer (loopback unless a host is given)
    int idleMs = 10000; // --idle: a connection that sends nothing this long is closed
    bool idleGiven = false;
    std::string png;
    int widthDots = 384; // --width 58 or 80 (mm): 384 or 576 dots
    bool chinese = true; // --chinese on|off: the printer comes up in Chinese mode
    bool trace = false;
    bool follow = false;
    bool version = false; // --version: print it and end
    TPrinterState state;  // --paper, --cover, --drawer, --offline, --silent
};

// Parses the command line; on failure the reason is in error (empty for --help).
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error);
const char* Usage();

// Runs until the input ends or SIGINT/SIGTERM; returns the exit status. A SIGINT or SIGTERM
// while the picture is drawn ends it at once, without the picture.
int RunPrinter(const Options& options);
