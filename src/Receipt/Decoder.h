#pragma once
// Bytes to typed commands, by walking a command set's grammar. Streaming: any split of the
// stream gives the same commands as feeding it whole. Nothing is dropped: bytes the set does
// not know come out as raw bytes, a command the end cuts off as incomplete, and every byte is
// in exactly one command, in order.
#include "Commands/Grammar.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TDecoder {
  public:
    // A command, where its first byte was in the stream, and its bytes.
    using THandler =
        std::function<void(const TCommand& command, std::uint64_t offset, std::string_view bytes)>;

    // Text without a control byte comes out in pieces of about this many bytes, so that a
    // stream of text alone is printed as it comes and held in bounded memory.
    static constexpr std::size_t TextPiece = 4096;

    TDecoder(TCommandSet set, THandler handler);

    void Feed(const char* data, std::size_t size);
    void Feed(std::string_view bytes) { Feed(bytes.data(), bytes.size()); }
    // End of input: the command or text being read comes out as it is.
    void Finish();
    std::uint64_t Offset() const { return FOffset; }

  private:
    enum class TMatch { More, Found, Mismatch };

    std::size_t InCommand(const char* data, std::size_t size);
    std::size_t Prefix(unsigned char b);
    TMatch Match();
    void Control(unsigned char b);
    void Done();
    void Unknown(std::string bytes, std::uint64_t at);
    void EndText();
    void EndTextPiece();

    const TGrammar& FGrammar;
    THandler FHandler;
    std::uint64_t FOffset = 0;
    std::string FCommand; // the command being read
    std::uint64_t FCommandStart = 0;
    const TRule* FRule = nullptr; // its rule, once the prefix is read
    std::string FText;            // the text being read
    std::uint64_t FTextStart = 0;
};
