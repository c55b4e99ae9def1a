#pragma once
// A code page both ways through iconv: one conversion descriptor per direction, opened once and
// reset before each conversion. Not for two threads at once (a descriptor keeps state).
#include <QString>
#include <array>
#include <cstdint>
#include <iconv.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TCodePage {
  public:
    // Throws std::runtime_error ("unknown code page NAME") when iconv does not know the name.
    explicit TCodePage(std::string name);
    ~TCodePage();
    TCodePage(const TCodePage&) = delete;
    TCodePage& operator=(const TCodePage&) = delete;

    const std::string& Name() const { return FName; }
    // UTF-8 as the printer's code page.
    bool Unicode() const { return FUnicode; }

    // Text to bytes; a character the code page lacks becomes "?" and its index in text (UTF-16
    // units, as a line edit counts) is added to unmapped.
    std::string Encode(const QString& text, std::vector<qsizetype>* unmapped = nullptr) const;
    // Bytes to text; a byte that starts no character becomes U+FFFD and its offset is added to
    // invalid.
    QString Decode(std::string_view bytes, std::vector<std::size_t>* invalid = nullptr) const;

    enum class TRead : std::uint8_t { Char, Incomplete, Invalid };
    struct TCharRead {
        TRead Result = TRead::Invalid;
        std::uint8_t Length = 0; // bytes of the character
        std::uint8_t Count = 0;  // code points it converts to (a control or a pair is not one)
        char32_t Code = 0;       // the first of them
    };
    // The character at the start of bytes, the shortest run of at most four bytes that converts
    // as a whole. Incomplete: bytes end inside one (the next bytes may finish it).
    TCharRead ReadChar(std::string_view bytes) const;
    // What byte b alone reads as (Incomplete: it leads a longer character).
    const TCharRead& ByteRead(unsigned char b) const { return FSingle[b]; }

  private:
    TCharRead Convert(std::string_view bytes) const;

    std::string FName;
    bool FUnicode = false;
    iconv_t FTo;   // UTF-8 to the code page
    iconv_t FFrom; // the code page to UTF-8
    // What each byte alone converts to, found once: most text is single bytes. Pairs after a
    // lead byte are found when first met and kept (Length 0: not met yet).
    TCharRead FSingle[256];
    mutable std::unique_ptr<std::array<TCharRead, 256>> FPairs[256];
};
