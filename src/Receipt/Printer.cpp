#include "Receipt/Printer.h"

#include "Receipt/Describe.h"
#include "Receipt/Trace.h"

TPrinter::TPrinter(TCommandSet set, TPaper& paper)
    : FPaper(paper),
      FDecoder(set, [this](const TCommand& command, std::uint64_t offset, std::string_view bytes) {
          Execute(command, offset, bytes);
      }) {}

void TPrinter::Execute(const TCommand& command, std::uint64_t offset, std::string_view bytes) {
    if (const auto* text = std::get_if<Cmd::Text>(&command)) {
        // Decoded once, for the trace and the paper alike.
        std::vector<TGlyph> glyphs = FPaper.Glyphs(text->Bytes);
        if (FTrace)
            FTrace(TraceLine(offset, bytes, "text \"" + GlyphText(glyphs) + "\""));
        FPaper.AddText(glyphs);
        return;
    }
    if (FTrace)
        FTrace(TraceLine(offset, bytes, Describe(command)));
    FPaper.Apply(command);
    Answer(command);
}

void TPrinter::Answer(const TCommand& command) {
    if (const auto* status = std::get_if<Cmd::RealTimeStatus>(&command)) {
        const auto request = static_cast<TStatusRequest>(status->N);
        Reply(std::string(1, static_cast<char>(RealTimeStatusByte(request, FactsOf(FState)))));
    } else if (const auto* sensor = std::get_if<Cmd::SensorStatus>(&command)) {
        const TStatusFacts facts = FactsOf(FState);
        const std::uint8_t b = sensor->Paper() ? PaperSensorByte(facts) : DrawerSensorByte(facts);
        Reply(std::string(1, static_cast<char>(b)));
    } else if (const auto* identity = std::get_if<Cmd::Identity>(&command)) {
        if (const std::optional<std::string> block =
                IdentityAnswer(identity->N, FPaper.CodePage().Name()))
            Reply(*block);
    } else if (std::holds_alternative<Cmd::QrSizeRequest>(command)) {
        Reply(QrSizeAnswer(FPaper.QrSize()));
    } else if (const auto* automatic = std::get_if<Cmd::AutoStatus>(&command)) {
        FAutoStatus = automatic->N != 0;
        SendAutoStatus(true);
    }
}

void TPrinter::Reply(const std::string& bytes) {
    if (!FState.Silent && FOnReply)
        FOnReply(bytes);
}

void TPrinter::SendAutoStatus(bool always) {
    if (!FAutoStatus)
        return;
    const std::string status = AutoStatusBlock(FactsOf(FState));
    if (always || status != FLastAutoStatus)
        Reply(status);
    FLastAutoStatus = status;
}

void TPrinter::SetState(const TPrinterState& state) {
    FState = state;
    SendAutoStatus(false);
}

void TPrinter::Finish() {
    FDecoder.Finish();
    FPaper.Finish();
}
