#include "Print/Glyphs.h"

#include <algorithm>

namespace {

bool Printable(char32_t cp) {
    return cp >= 0x20 && !(cp >= 0x7F && cp <= 0x9F) && cp != 0xFFFD;
}

TGlyph Invalid(unsigned char byte) {
    return TGlyph{byte, 1, false};
}

void PutUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

int UnicodeColumns(char32_t cp) {
    const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                      (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                      (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::vector<TGlyph> DecodeGlyphs(const TCodePage& codePage, std::string_view bytes) {
    using TRead = TCodePage::TRead;
    std::vector<TGlyph> glyphs;
    glyphs.reserve(bytes.size());
    const bool unicode = codePage.Unicode();
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const TCodePage::TCharRead& single = codePage.ByteRead(b);
        // Most text is one byte a character.
        if (single.Result == TRead::Char && single.Count == 1 && single.Code < 0x7F &&
            single.Code >= 0x20) {
            glyphs.push_back(TGlyph{single.Code, 1, true});
            ++i;
            continue;
        }
        const TCodePage::TCharRead read =
            single.Result == TRead::Incomplete ? codePage.ReadChar(bytes.substr(i)) : single;
        if (read.Result == TRead::Incomplete) {
            for (; i < bytes.size(); ++i)
                glyphs.push_back(Invalid(static_cast<unsigned char>(bytes[i])));
            break;
        }
        if (read.Result == TRead::Char && read.Count == 1 && Printable(read.Code)) {
            const int columns = unicode ? UnicodeColumns(read.Code) : std::min<int>(read.Length, 2);
            glyphs.push_back(TGlyph{read.Code, static_cast<std::uint8_t>(columns), true});
            i += read.Length;
            continue;
        }
        // A control character, several characters or none: the first byte starts nothing.
        glyphs.push_back(Invalid(static_cast<unsigned char>(bytes[i])));
        ++i;
    }
    return glyphs;
}

void AppendUtf8(std::string& out, const TGlyph& glyph) {
    if (glyph.Valid && glyph.Code < 0x80) {
        out.push_back(static_cast<char>(glyph.Code));
        return;
    }
    if (glyph.Valid) {
        PutUtf8(out, glyph.Code);
        return;
    }
    static const char digits[] = "0123456789ABCDEF";
    out += "\u27E8";
    out.push_back(digits[(glyph.Code >> 4) & 15]);
    out.push_back(digits[glyph.Code & 15]);
    out += "\u27E9";
}

std::string GlyphText(const std::vector<TGlyph>& glyphs) {
    std::string out;
    for (const TGlyph& g : glyphs)
        AppendUtf8(out, g);
    return out;
}
