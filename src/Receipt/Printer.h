#pragma once
// A receipt printer in software: the bytes it is sent are decoded in its command set, shown in
// the trace, put on its paper, and the status and identity requests answered as its condition
// says.
#include "Receipt/Decoder.h"
#include "Receipt/Paper.h"
#include "Receipt/PrinterState.h"

#include <functional>
#include <string>

class TPrinter {
  public:
    using TWriter = std::function<void(const std::string& line)>;

    // The paper outlives the printer.
    TPrinter(TCommandSet set, TPaper& paper);

    // One line per command read ("# offset  hex  meaning"); none: no trace.
    void SetTrace(TWriter writer) { FTrace = std::move(writer); }
    // What the printer sends back; none: nothing goes back.
    void SetOnReply(std::function<void(const std::string&)> handler) {
        FOnReply = std::move(handler);
    }

    // Any split of the stream prints the same paper and trace as feeding it whole.
    void Feed(const char* data, std::size_t size) { FDecoder.Feed(data, size); }
    void Feed(std::string_view bytes) { FDecoder.Feed(bytes); }
    // End of input: an unfinished command or character is shown, the line buffer too.
    void Finish();

    std::uint64_t Offset() const { return FDecoder.Offset(); }
    const TPrinterState& State() const { return FState; }
    // A new condition; with the automatic status back on, its status goes out when it changed.
    void SetState(const TPrinterState& state);
    bool AutoStatusOn() const { return FAutoStatus; }

  private:
    void Execute(const TCommand& command, std::uint64_t offset, std::string_view bytes);
    void Answer(const TCommand& command);
    void Reply(const std::string& bytes);
    void SendAutoStatus(bool always);

    TPaper& FPaper;
    TDecoder FDecoder;
    TWriter FTrace;
    std::function<void(const std::string&)> FOnReply;
    TPrinterState FState;
    bool FAutoStatus = false;
    std::string FLastAutoStatus;
};
