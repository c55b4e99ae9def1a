#include "Rtl/Strings.h"

#include "Rtl/CodePage.h"

#include <cstdlib>
#include <iconv.h>
#include <memory>
#include <stdexcept>

std::string ShortString(const std::string& bytes) {
    return bytes.substr(0, ShortStringMax);
}

std::string FormatHex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const unsigned char c : bytes) {
        if (!out.empty())
            out.push_back(' ');
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
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

namespace {

std::unique_ptr<TCodePage> Open(const std::string& name) {
    try {
        return std::make_unique<TCodePage>(name);
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

// The printer's code page, opened once for the name VEMIX_CODEPAGE gives and opened again only
// when that changes; an unknown name gets the default. One per thread: a descriptor keeps
// state. Null when not even the default opens.
const TCodePage* PrinterCodePage() {
    thread_local bool opened = false;
    thread_local std::optional<std::string> variable;
    thread_local std::unique_ptr<TCodePage> page;
    std::optional<std::string> now = CodePageVariable();
    if (opened && now == variable)
        return page.get();
    opened = true;
    page = now ? Open(*now) : nullptr;
    if (!page)
        page = Open(DefaultCodePage);
    variable = std::move(now);
    return page.get();
}

} // namespace

std::string AnsiCodePage() {
    // An unknown name is said once at start-up; the printer never gets text in no code page.
    const TCodePage* page = PrinterCodePage();
    return page ? page->Name() : std::string(DefaultCodePage);
}

std::string ToAnsi(const QString& text) {
    if (const TCodePage* page = PrinterCodePage())
        return page->Encode(text);
    // Without the code page's tables only ASCII can be printed as it is.
    std::string out;
    for (const char32_t c : text.toUcs4())
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

QString FromAnsi(const std::string& bytes) {
    if (const TCodePage* page = PrinterCodePage())
        return page->Decode(bytes);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
