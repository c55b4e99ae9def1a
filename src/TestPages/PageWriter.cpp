#include "TestPages/PageWriter.h"

#include "Rtl/Strings.h"

TPageWriter& TPageWriter::Add(TCommand command) {
    FCommands.push_back(std::move(command));
    return *this;
}

TPageWriter& TPageWriter::Text(const QString& text) {
    return Bytes(ToAnsi(text));
}

TPageWriter& TPageWriter::Bytes(std::string bytes) {
    if (!bytes.empty())
        FCommands.push_back(Cmd::Text{std::move(bytes)});
    return *this;
}

TPageWriter& TPageWriter::Line(const QString& text) {
    Text(text);
    return Add(Cmd::LineFeed{});
}

TPageWriter& TPageWriter::Heading(const QString& text) {
    Add(Cmd::Align{paCenter}).Add(Cmd::Emphasis{1}).Add(Cmd::CharSize{0x11});
    Line(text);
    return Add(Cmd::CharSize{0}).Add(Cmd::Emphasis{0}).Add(Cmd::Align{paLeft});
}

void TPageWriter::End() {
    Add(Cmd::FeedLines{4});
    Add(Cmd::Cut{true, std::nullopt});
}

int TextColumns(const QString& text) {
    int columns = 0;
    for (const QChar c : text)
        columns += c.unicode() < 0x80 ? 1 : 2;
    return columns;
}

QString Spread(const QString& left, const QString& right, int columns) {
    const int gap = std::max(1, columns - TextColumns(left) - TextColumns(right));
    return left + QString(gap, ' ') + right;
}
