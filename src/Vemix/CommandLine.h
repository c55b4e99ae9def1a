#pragma once
// The program's command line: --help and --version, nothing else. The window itself takes no
// arguments, so anything else is a mistake worth saying rather than ignoring.
#include <cstdio>
#include <optional>

// Answers --help, -h and --version (on out) or a wrong command line (usage on err); returns the
// exit status then, or nothing when the window should start.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::FILE* out,
                                     std::FILE* err);
