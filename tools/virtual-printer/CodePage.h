#pragma once
// Streaming decoder of printable bytes in a code page (Big5 by default).
#include <iconv.h>
#include <string>
#include <vector>

// One character of the printed line, or one byte that does not decode.
struct Glyph {
    std::string utf8;  // the character, or "⟨B3⟩" for a byte that does not decode
    std::string bytes; // the code-page bytes it came from
    int columns = 1;   // cells on the printer line (a double-byte character takes two)
    bool valid = true;
};

class TextCodec {
  public:
    // Throws std::runtime_error when iconv does not know the code page.
    explicit TextCodec(const std::string& codePage);
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    // Takes one printable byte (0x20 or above); appends the characters it completes.
    void Push(unsigned char byte, std::vector<Glyph>& out);
    // Pending bytes of an unfinished character become undecodable bytes.
    void Flush(std::vector<Glyph>& out);
    bool HasPending() const { return !pending_.empty(); }

    static Glyph Invalid(unsigned char byte);

  private:
    enum class Result { Done, NeedMore, Bad };
    Result Convert(std::string& utf8);

    iconv_t cd_;
    bool unicode_;
    std::string pending_;
};

// Cells a Unicode character takes on a printer line when the code page is Unicode.
int UnicodeColumns(char32_t cp);
