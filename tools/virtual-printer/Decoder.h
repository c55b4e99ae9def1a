#pragma once
// Streaming decoder of the printer command sets: bytes in, paper out, one byte at a time.
#include "CodePage.h"
#include "Commands/CommandTable.h"
#include "Paper.h"
#include "PrinterState.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class CommandSet { Epson, Start, Tp3688 };

// "EPSON", "START", "TP-3688" (any letter case); nothing for another name.
std::optional<CommandSet> CommandSetByName(const std::string& name);
const char* CommandSetName(CommandSet set);
// The program's command set that the printer's set reads.
TCommandSet TableSet(CommandSet set);

class Decoder {
  public:
    Decoder(CommandSet set, TextCodec& codec, Paper& paper);

    // Any split of the stream gives the same paper as feeding it whole.
    void Feed(const char* data, std::size_t size);
    void Feed(const std::string& bytes) { Feed(bytes.data(), bytes.size()); }
    // End of input: an unfinished command or character is shown, the buffer too.
    void Finish();

    std::uint64_t Offset() const { return offset_; }
    // Told the word of every command of the program's table that was read whole.
    void SetOnCommand(std::function<void(TCommandWord)> handler) {
        onCommand_ = std::move(handler);
    }

    // What the printer sends back (status, identity); none: nothing goes back.
    void SetOnReply(std::function<void(const std::string&)> handler) {
        onReply_ = std::move(handler);
    }
    const PrinterState& State() const { return state_; }
    // A new state; with automatic status back on, its status goes out when it changed.
    void SetState(const PrinterState& state);
    bool AutoStatusOn() const { return autoStatus_; }

    enum class Op;

  private:
    enum class Match { More, Done, Mismatch };
    struct Pattern;
    static const std::vector<Pattern>& Table(CommandSet set);
    static void AddEscPos(std::vector<Pattern>& patterns);

    void Byte(unsigned char b);
    void Control(unsigned char b, std::uint64_t at);
    void TextByte(unsigned char b, std::uint64_t at);
    void EndText();
    Match Check(const Pattern** found) const;
    void Execute(const Pattern& p, const std::string& seq);
    bool Perform(const Pattern& p, const std::string& seq);
    void Unknown(const std::string& bytes, std::uint64_t at);
    void Read(TCommandWord word);
    std::optional<TCommandWord> SingleByteCommand(unsigned char b) const;

    CommandSet set_;
    TextCodec& codec_;
    Paper& paper_;
    std::uint64_t offset_ = 0;
    std::string seq_; // the command being read
    std::uint64_t seqStart_ = 0;
    std::string runBytes_; // the text being read, for the trace
    std::string runText_;
    std::uint64_t runStart_ = 0;
    bool textPending_ = false; // text since the last printed line
    std::function<void(TCommandWord)> onCommand_;
    std::function<void(const std::string&)> onReply_;
    PrinterState state_;
    bool autoStatus_ = false;
    std::string lastAutoStatus_;

    void Reply(const std::string& bytes);
    void SendAutoStatus(bool always);
    bool StartsCommand(unsigned char b) const;
};
