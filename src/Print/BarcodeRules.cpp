// What a receipt printer takes as barcode data, symbology by symbology.
#include "Print/Symbols.h"

#include <algorithm>

namespace {

bool AllOf(std::string_view data, bool (*ok)(unsigned char)) {
    return std::all_of(data.begin(), data.end(),
                       [ok](char c) { return ok(static_cast<unsigned char>(c)); });
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsCode39(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || c == ' ' || c == '$' || c == '%' || c == '+' ||
           c == '-' || c == '.' || c == '/' || c == '*';
}
bool IsCodabar(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd') || c == '$' || c == '+' ||
           c == '-' || c == '.' || c == '/' || c == ':';
}
bool IsStartStop(unsigned char c) {
    return (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}
bool IsAscii(unsigned char c) {
    return c < 0x80;
}

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// "takes 12 or 13 digits": lengths as the printer counts them.
std::string Digits(std::string_view data, std::initializer_list<std::size_t> lengths,
                   const char* takes) {
    if (!AllOf(data, IsDigit))
        return "it takes digits only";
    if (std::find(lengths.begin(), lengths.end(), data.size()) == lengths.end())
        return Count(data.size(), "digit") + ", it takes " + takes;
    return {};
}

std::string Code39Refusal(std::string_view data) {
    if (!AllOf(data, IsCode39))
        return "it takes 0-9, A-Z, space and $ % + - . / only";
    // An asterisk is the start and stop character: only at both ends.
    const std::string_view inner = data.size() >= 2 && data.front() == '*' && data.back() == '*'
                                       ? data.substr(1, data.size() - 2)
                                       : data;
    if (inner.find('*') != std::string_view::npos)
        return "an asterisk only starts and ends it";
    return inner.empty() ? "no data" : "";
}

std::string CodabarRefusal(std::string_view data) {
    if (!AllOf(data, IsCodabar))
        return "it takes 0-9, A-D and $ + - . / : only";
    if (data.size() < 2 || !IsStartStop(data.front()) || !IsStartStop(data.back()))
        return "it starts and ends with one of A to D";
    return {};
}

std::string Gs1Refusal(std::string_view data) {
    if (data.size() < 2)
        return "no data";
    return AllOf(data, [](unsigned char c) { return c >= 0x20 && c < 0x7F; })
               ? ""
               : "it takes printable ASCII only";
}

} // namespace

std::string BarcodeRefusal(TSymbology kind, std::string_view data) {
    if (data.empty())
        return "no data";
    switch (kind) {
    case syUpcA:
        return Digits(data, {11, 12}, "11 or 12");
    case syUpcE:
        return Digits(data, {6, 7, 8}, "6, 7 or 8");
    case syJan13:
        return Digits(data, {12, 13}, "12 or 13");
    case syJan8:
        return Digits(data, {7, 8}, "7 or 8");
    case syCode39:
        return Code39Refusal(data);
    case syItf:
        if (!AllOf(data, IsDigit))
            return "it takes digits only";
        return data.size() % 2 ? Count(data.size(), "digit") + ", it takes an even number" : "";
    case syCodabar:
        return CodabarRefusal(data);
    case syCode93:
    case syCode128Auto:
        return AllOf(data, IsAscii) ? "" : "it takes ASCII only";
    case syCode128: {
        std::string why;
        Code128Content(data, why);
        return why;
    }
    case syGs1_128:
    case syDataBarExpanded:
        return Gs1Refusal(data);
    case syDataBar:
    case syDataBarTruncated:
        return Digits(data, {13}, "13");
    case syDataBarLimited:
        if (std::string why = Digits(data, {13}, "13"); !why.empty())
            return why;
        return data[0] <= '1' ? "" : "it starts with 0 or 1";
    }
    return "no such barcode system";
}

// {A, {B, {C choose the code set, {S shifts one character between A and B, {{ is "{"; in
// code set C each byte is two digits, 0 to 99.
std::string Code128Content(std::string_view data, std::string& why) {
    why.clear();
    if (data.size() < 2 || data[0] != '{' || (data[1] != 'A' && data[1] != 'B' && data[1] != 'C')) {
        why = "it starts with a code set, {A, {B or {C";
        return {};
    }
    std::string content;
    char set = 'B';
    bool shift = false;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c == '{' && i + 1 < data.size() && data[i + 1] != '{') {
            const char code = data[++i];
            if (code == 'A' || code == 'B' || code == 'C') {
                set = code;
            } else if (code == 'S' && set != 'C') {
                shift = true;
            } else {
                why = std::string("{") + code + " is not drawn (function codes and shifts)";
                return {};
            }
            continue;
        }
        if (c == '{')
            ++i; // {{
        const char in = shift ? (set == 'A' ? 'B' : 'A') : set;
        shift = false;
        if (in == 'C') {
            if (c > 99) {
                why = "code set C takes values 0 to 99";
                return {};
            }
            content.push_back(static_cast<char>('0' + c / 10));
            content.push_back(static_cast<char>('0' + c % 10));
        } else if ((in == 'A' && c > 0x5F) || (in == 'B' && (c < 0x20 || c > 0x7F))) {
            why = std::string("code set ") + in + " has no byte " + std::to_string(c);
            return {};
        } else {
            content.push_back(static_cast<char>(c));
        }
    }
    if (content.empty())
        why = "no data";
    return content;
}

std::optional<TSymbology> StarSymbology(std::uint8_t n) {
    static const TSymbology kinds[] = {syUpcE, syUpcA,        syJan8,   syJan13,  syCode39,
                                       syItf,  syCode128Auto, syCode93, syCodabar};
    const int i = n >= '0' ? n - '0' : n;
    if (i < 0 || i >= static_cast<int>(std::size(kinds)))
        return std::nullopt;
    return kinds[i];
}
