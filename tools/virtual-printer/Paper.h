#pragma once
// The paper roll: printed lines and markers, written out as text lines and kept for the image.
#include "CodePage.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class Paper {
  public:
    static constexpr int Columns = 32;
    // Entries kept for the image; older ones are dropped first.
    static constexpr std::size_t MaxEntries = 1000;

    enum class Kind { Line, Feed, PageEnd, Cut, Note };
    enum class Align { Left, Center, Right };
    struct Entry {
        Kind kind = Kind::Note;
        std::vector<Glyph> glyphs; // Line: its characters
        int columns = 0;           // Line: cells used
        int count = 0;             // Feed: lines fed
        std::string text;          // the text line as written out, or the marker
    };

    using Writer = std::function<void(const std::string& line)>;
    explicit Paper(Writer writer, bool trace = false);

    // Text waits in the line buffer until a command prints it.
    void AddText(const Glyph& glyph);
    // LF: prints the line buffer, an empty one as an empty line.
    void PrintLine();
    // Prints the line buffer if it holds anything (before a feed, a page end or a cut).
    void PrintPending();
    void FeedLines(int count);
    void PageEnd();
    void Cut(const std::string& how);
    // A marker line "[text]" that moves no paper.
    void Note(const std::string& text);
    void SetAlign(Align align) { align_ = align; }
    // ESC @: the buffer is discarded (and said so) and the settings return to their defaults.
    void Init();
    // One "# offset  hex  meaning" line when tracing.
    void Trace(std::uint64_t offset, const std::string& bytes, const std::string& meaning);
    // End of input: what never got printed is still shown.
    void Finish();

    std::string BufferText() const;
    const std::deque<Entry>& Entries() const { return entries_; }
    bool Dropped() const { return dropped_; }

  private:
    void Keep(Entry entry);
    void Emit(const std::string& line) { writer_(line); }

    Writer writer_;
    bool trace_;
    Align align_ = Align::Left;
    std::vector<Glyph> buffer_;
    std::deque<Entry> entries_;
    bool dropped_ = false;
};

// "[feed 1 line]", "[feed 3 lines]" and the other marker texts.
std::string FeedText(int count);
