#include "Rtl/Strings.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>

std::string ShortString(const std::string& bytes) {
    return bytes.substr(0, ShortStringMax);
}

int IndexOfText(const QStringList& list, const QString& text) {
    for (int i = 0; i < list.size(); ++i)
        if (QString::localeAwareCompare(list[i], text) == 0 && list[i] == text)
            return i;
    return -1;
}

namespace {

constexpr const char* DefaultCodePage = "CP950";

std::optional<std::string> CodePageVariable() {
    const char* env = std::getenv("VEMIX_CODEPAGE");
    if (!env || !*env)
        return std::nullopt;
    return std::string(env);
}

bool Converts(const std::string& to, const std::string& from) {
    const iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

} // namespace

bool KnownCodePage(const std::string& name) {
    return !name.empty() && Converts(name, "UTF-8") && Converts("UTF-8", name);
}

std::optional<std::string> UnknownCodePage() {
    const std::optional<std::string> name = CodePageVariable();
    if (name && !KnownCodePage(*name))
        return name;
    return std::nullopt;
}

std::string AnsiCodePage() {
    const std::optional<std::string> name = CodePageVariable();
    // An unknown name is said once at start-up; the printer never gets text in no code page.
    return name && KnownCodePage(*name) ? *name : std::string(DefaultCodePage);
}

namespace {

// One iconv conversion descriptor, closed on every path.
class Converter {
  public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts in as far as it goes; returns false at an input it cannot convert and leaves
    // in/left at it.
    bool run(char*& in, size_t& left, std::string& out) {
        char buf[256];
        while (left > 0) {
            char* o = buf;
            size_t room = sizeof buf;
            size_t r = iconv(cd_, &in, &left, &o, &room);
            out.append(buf, static_cast<size_t>(o - buf));
            if (r == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        char* o = buf;
        size_t room = sizeof buf;
        iconv(cd_, nullptr, nullptr, &o, &room);
        out.append(buf, static_cast<size_t>(o - buf));
        return true;
    }

  private:
    iconv_t cd_;
};

} // namespace

std::string ToAnsi(const QString& text) {
    std::string out;
    Converter conv(AnsiCodePage(), "UTF-8");
    QByteArray utf8 = text.toUtf8();
    if (!conv.ok()) {
        // Without the code page's tables only ASCII can be printed as it is.
        for (const char32_t c : text.toUcs4())
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return out;
    }
    char* in = utf8.data();
    size_t left = static_cast<size_t>(utf8.size());
    while (!conv.run(in, left, out)) {
        // Skip the whole UTF-8 sequence of the character the code page lacks.
        out.push_back('?');
        unsigned char lead = static_cast<unsigned char>(*in);
        size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        len = std::min(len, left);
        in += len;
        left -= len;
    }
    return out;
}

QString FromAnsi(const std::string& bytes) {
    std::string out;
    Converter conv("UTF-8", AnsiCodePage());
    if (!conv.ok())
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    std::string copy = bytes;
    char* in = copy.data();
    size_t left = copy.size();
    while (!conv.run(in, left, out)) {
        out.append("\xEF\xBF\xBD");
        ++in;
        --left;
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}
