#include "Paper.h"

#include "DeviceIo/Devices.h"

#include <cstdio>

namespace {

int ColumnsOf(const std::vector<Glyph>& glyphs) {
    int cols = 0;
    for (const Glyph& g : glyphs)
        cols += g.columns;
    return cols;
}

std::string Join(const std::vector<Glyph>& glyphs) {
    std::string s;
    for (const Glyph& g : glyphs)
        s += g.utf8;
    return s;
}

} // namespace

std::string FeedText(int count) {
    return "feed " + std::to_string(count) + (count == 1 ? " line" : " lines");
}

Paper::Paper(Writer writer, bool trace) : writer_(std::move(writer)), trace_(trace) {}

void Paper::AddText(const Glyph& glyph) {
    buffer_.push_back(glyph);
}

std::string Paper::BufferText() const {
    return Join(buffer_);
}

void Paper::Keep(Entry entry) {
    entries_.push_back(std::move(entry));
    if (entries_.size() > MaxEntries) {
        entries_.pop_front();
        dropped_ = true;
    }
}

void Paper::PrintLine() {
    Entry e;
    e.kind = Kind::Line;
    e.columns = ColumnsOf(buffer_);
    const int room = Columns - e.columns;
    int left = 0;
    if (room > 0)
        left = align_ == Align::Center ? room / 2 : align_ == Align::Right ? room : 0;
    if (left > 0)
        e.glyphs.assign(static_cast<std::size_t>(left), Glyph{" ", " ", 1, true});
    e.glyphs.insert(e.glyphs.end(), buffer_.begin(), buffer_.end());
    std::string line = "|" + Join(e.glyphs);
    if (room >= 0)
        line += std::string(static_cast<std::size_t>(room - left), ' ') + "|";
    else
        line += "| [too wide: " + std::to_string(e.columns) + " columns]";
    e.text = line;
    buffer_.clear();
    Emit(line);
    Keep(std::move(e));
}

void Paper::PrintPending() {
    if (!buffer_.empty())
        PrintLine();
}

void Paper::FeedLines(int count) {
    PrintPending();
    Entry e;
    e.kind = Kind::Feed;
    e.count = count;
    e.text = "[" + FeedText(count) + "]";
    Emit(e.text);
    Keep(std::move(e));
}

void Paper::PageEnd() {
    PrintPending();
    Entry e;
    e.kind = Kind::PageEnd;
    e.text = "[page end]";
    Emit(e.text);
    Keep(std::move(e));
}

void Paper::Cut(const std::string& how) {
    PrintPending();
    Entry e;
    e.kind = Kind::Cut;
    e.text = "[cut " + how + "]";
    Emit(e.text);
    Keep(std::move(e));
}

void Paper::Note(const std::string& text) {
    Entry e;
    e.kind = Kind::Note;
    e.text = "[" + text + "]";
    Emit(e.text);
    Keep(std::move(e));
}

void Paper::Init() {
    std::string discarded = BufferText();
    buffer_.clear();
    align_ = Align::Left;
    Note(discarded.empty() ? "init" : "init, discarded \"" + discarded + "\"");
}

void Paper::Trace(std::uint64_t offset, const std::string& bytes, const std::string& meaning) {
    if (!trace_)
        return;
    char pos[32];
    std::snprintf(pos, sizeof pos, "# %06llu  ", static_cast<unsigned long long>(offset));
    Emit(pos + HexBytes(bytes) + "  " + meaning);
}

void Paper::Finish() {
    if (!buffer_.empty()) {
        Note("unprinted \"" + BufferText() + "\"");
        buffer_.clear();
    }
    Note("end");
}
