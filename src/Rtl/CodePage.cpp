#include "Rtl/CodePage.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace {

constexpr std::size_t MaxCharBytes = 4;
const iconv_t NoDescriptor = reinterpret_cast<iconv_t>(-1);

// Converts as far as it goes into out; false at input it cannot convert (in, left at it).
bool Run(iconv_t cd, char*& in, std::size_t& left, std::string& out) {
    char buf[256];
    while (left > 0) {
        char* o = buf;
        std::size_t room = sizeof buf;
        const std::size_t r = iconv(cd, &in, &left, &o, &room);
        out.append(buf, static_cast<std::size_t>(o - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
            return false;
    }
    char* o = buf;
    std::size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &o, &room);
    out.append(buf, static_cast<std::size_t>(o - buf));
    return true;
}

std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// The code points of well-formed UTF-8 (what iconv writes).
std::vector<char32_t> CodePoints(std::string_view utf8) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = std::min(Utf8Length(lead), utf8.size() - i);
        char32_t cp = n == 1 ? lead : lead & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

// UTF-16 units of the UTF-8 text before offset.
qsizetype Utf16Units(std::string_view utf8, std::size_t offset) {
    qsizetype units = 0;
    for (std::size_t i = 0; i < offset;) {
        const std::size_t n = Utf8Length(static_cast<unsigned char>(utf8[i]));
        units += n == 4 ? 2 : 1;
        i += n;
    }
    return units;
}

} // namespace

TCodePage::TCodePage(std::string name)
    : FName(std::move(name)), FTo(iconv_open(FName.c_str(), "UTF-8")),
      FFrom(iconv_open("UTF-8", FName.c_str())) {
    if (FTo == NoDescriptor || FFrom == NoDescriptor) {
        if (FTo != NoDescriptor)
            iconv_close(FTo);
        if (FFrom != NoDescriptor)
            iconv_close(FFrom);
        throw std::runtime_error("unknown code page " + FName);
    }
    QString upper = QString::fromStdString(FName).toUpper();
    upper.remove('-').remove('_');
    FUnicode = upper == "UTF8";
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        FSingle[b] = Convert(std::string_view(&byte, 1));
    }
}

TCodePage::~TCodePage() {
    iconv_close(FTo);
    iconv_close(FFrom);
}

TCodePage::TCharRead TCodePage::Convert(std::string_view bytes) const {
    iconv(FFrom, nullptr, nullptr, nullptr, nullptr);
    char in[MaxCharBytes];
    std::copy(bytes.begin(), bytes.end(), in);
    char* ip = in;
    std::size_t left = bytes.size();
    char out[32];
    char* op = out;
    std::size_t room = sizeof out;
    TCharRead read;
    read.Length = static_cast<std::uint8_t>(bytes.size());
    if (iconv(FFrom, &ip, &left, &op, &room) == static_cast<std::size_t>(-1)) {
        read.Result = errno == EINVAL ? TRead::Incomplete : TRead::Invalid;
        return read;
    }
    const std::vector<char32_t> cps =
        CodePoints(std::string_view(out, static_cast<std::size_t>(op - out)));
    read.Result = TRead::Char;
    read.Count = static_cast<std::uint8_t>(std::min<std::size_t>(cps.size(), 255));
    read.Code = cps.empty() ? 0 : cps.front();
    return read;
}

TCodePage::TCharRead TCodePage::ReadChar(std::string_view bytes) const {
    if (bytes.empty())
        return {TRead::Incomplete, 0, 0, 0};
    const auto lead = static_cast<unsigned char>(bytes[0]);
    TCharRead read = FSingle[lead];
    if (read.Result != TRead::Incomplete || bytes.size() < 2)
        return read;
    auto& pairs = FPairs[lead];
    if (!pairs)
        pairs = std::make_unique<std::array<TCharRead, 256>>();
    TCharRead& pair = (*pairs)[static_cast<unsigned char>(bytes[1])];
    if (pair.Length == 0)
        pair = Convert(bytes.substr(0, 2));
    read = pair;
    for (std::size_t n = 3; read.Result == TRead::Incomplete && n <= MaxCharBytes; ++n) {
        if (bytes.size() < n)
            return read;
        read = Convert(bytes.substr(0, n));
    }
    // Four bytes that still end inside a character start none.
    if (read.Result == TRead::Incomplete)
        read.Result = TRead::Invalid;
    return read;
}

std::string TCodePage::Encode(const QString& text, std::vector<qsizetype>* unmapped) const {
    iconv(FTo, nullptr, nullptr, nullptr, nullptr);
    QByteArray utf8 = text.toUtf8();
    const std::string_view whole(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    std::string out;
    char* in = utf8.data();
    std::size_t left = static_cast<std::size_t>(utf8.size());
    while (!Run(FTo, in, left, out)) {
        // Skip the whole UTF-8 sequence of the character the code page lacks.
        const std::size_t at = static_cast<std::size_t>(in - utf8.data());
        if (unmapped)
            unmapped->push_back(Utf16Units(whole, at));
        out.push_back('?');
        const std::size_t n = std::min(Utf8Length(static_cast<unsigned char>(*in)), left);
        in += n;
        left -= n;
    }
    return out;
}

QString TCodePage::Decode(std::string_view bytes, std::vector<std::size_t>* invalid) const {
    iconv(FFrom, nullptr, nullptr, nullptr, nullptr);
    std::string copy(bytes);
    std::string out;
    char* in = copy.data();
    std::size_t left = copy.size();
    while (!Run(FFrom, in, left, out)) {
        if (invalid)
            invalid->push_back(static_cast<std::size_t>(in - copy.data()));
        out.append("\xEF\xBF\xBD");
        ++in;
        --left;
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}
