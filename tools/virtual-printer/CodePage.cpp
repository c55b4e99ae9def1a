#include "CodePage.h"

#include <QList>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr std::size_t MaxCharBytes = 4;

bool Printable(char32_t cp) {
    return cp >= 0x20 && !(cp >= 0x7F && cp <= 0x9F) && cp != 0xFFFD;
}

} // namespace

int UnicodeColumns(char32_t cp) {
    const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                      (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                      (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
    return wide ? 2 : 1;
}

TextCodec::TextCodec(const std::string& codePage) : cd_(iconv_open("UTF-8", codePage.c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("unknown code page " + codePage);
    QString name = QString::fromStdString(codePage).toUpper().remove('-').remove('_');
    unicode_ = name == "UTF8";
}

TextCodec::~TextCodec() {
    iconv_close(cd_);
}

Glyph TextCodec::Invalid(unsigned char byte) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "\u27E8%02X\u27E9", byte);
    return Glyph{hex, std::string(1, static_cast<char>(byte)), 1, false};
}

TextCodec::Result TextCodec::Convert(std::string& utf8) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string in = pending_;
    char* ip = in.data();
    size_t left = in.size();
    char buf[32];
    char* op = buf;
    size_t room = sizeof buf;
    if (iconv(cd_, &ip, &left, &op, &room) == static_cast<size_t>(-1)) {
        if (errno == EINVAL && pending_.size() < MaxCharBytes)
            return Result::NeedMore;
        return Result::Bad;
    }
    utf8.assign(buf, static_cast<size_t>(op - buf));
    return Result::Done;
}

void TextCodec::Push(unsigned char byte, std::vector<Glyph>& out) {
    pending_.push_back(static_cast<char>(byte));
    std::string utf8;
    switch (Convert(utf8)) {
    case Result::NeedMore:
        return;
    case Result::Done: {
        QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        auto cps = text.toUcs4();
        if (cps.size() == 1 && Printable(cps[0])) {
            int cols = unicode_ ? UnicodeColumns(cps[0])
                                : static_cast<int>(std::min<std::size_t>(pending_.size(), 2));
            out.push_back(Glyph{utf8, pending_, cols, true});
            pending_.clear();
            return;
        }
        break; // a control character or several: not printable text
    }
    case Result::Bad:
        break;
    }
    // The first byte starts no character; the rest may still start one.
    std::string rest = pending_.substr(1);
    out.push_back(Invalid(static_cast<unsigned char>(pending_[0])));
    pending_.clear();
    for (char c : rest)
        Push(static_cast<unsigned char>(c), out);
}

void TextCodec::Flush(std::vector<Glyph>& out) {
    for (char c : pending_)
        out.push_back(Invalid(static_cast<unsigned char>(c)));
    pending_.clear();
}
