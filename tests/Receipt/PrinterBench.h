#pragma once
// A printer on a Big5 paper whose terminal lines, trace and answers a test reads.
#include "Receipt/Printer.h"
#include "Receipt/TerminalView.h"

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

struct TPrinterBench {
    Lines paper; // terminal lines and trace lines, in the order written
    std::string replies;
    TCodePage codePage{"CP950"};
    TPaper roll{codePage};
    TTerminalView view{[this](const std::string& l) { paper.push_back(l); }, 32};
    TPrinter printer;

    explicit TPrinterBench(TCommandSet set = csEPSON, const TPrinterState& state = {},
                           bool trace = false)
        : printer(set, roll) {
        roll.AddObserver(view);
        if (trace)
            printer.SetTrace([this](const std::string& l) { paper.push_back(l); });
        printer.SetOnReply([this](const std::string& b) { replies += b; });
        printer.SetState(state);
    }
    std::string Ask(const std::string& bytes) {
        replies.clear();
        printer.Feed(bytes);
        return replies;
    }
};

// Bytes of a literal, NULs included.
template <std::size_t N> std::string S(const char (&text)[N]) {
    return std::string(text, N - 1);
}
