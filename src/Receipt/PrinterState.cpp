#include "Receipt/PrinterState.h"

#include "Commands/CodeTables.h"

#include <QString>

std::optional<TPaperLevel> PaperLevelByName(std::string_view name) {
    if (name == "ok")
        return TPaperLevel::Ok;
    if (name == "near-end")
        return TPaperLevel::NearEnd;
    if (name == "out")
        return TPaperLevel::Out;
    return std::nullopt;
}

TStatusFacts FactsOf(const TPrinterState& s) {
    TStatusFacts f;
    f.DrawerPin3 = s.DrawerOpen;
    f.Offline = s.IsOffline();
    f.CoverOpen = s.CoverOpen;
    f.StoppedByPaperEnd = s.Paper == TPaperLevel::Out;
    f.ErrorOccurred = s.CoverOpen;
    f.PaperNearEnd = s.Paper != TPaperLevel::Ok;
    f.PaperOut = s.Paper == TPaperLevel::Out;
    return f;
}

std::optional<std::string> IdentityAnswer(int n, std::string_view codePage) {
    switch (n) {
    case 1:
        return std::string(1, '\x56'); // model
    case 2:
        return std::string(1, '\x02'); // type: auto-cutter fitted
    case 3:
        return std::string(1, '\x10'); // version
    default:
        break;
    }
    if (n < 0x41 || n > 0x45)
        return std::nullopt;
    std::string text;
    if (n == 0x45) {
        const std::string page =
            QString::fromLatin1(codePage.data(), static_cast<qsizetype>(codePage.size()))
                .toUpper()
                .toStdString();
        const std::optional<std::string_view> set = DoubleByteSet(page);
        text = set ? std::string(*set) + " " + page : page;
    } else {
        static const char* const blocks[] = {"1.00 VP", "VEMIX", "VP-32 Virtual", "VP000001"};
        text = blocks[n - 0x41];
    }
    return std::string(1, '\x5F') + text + std::string(1, '\0');
}

std::string QrSizeAnswer(std::optional<std::pair<int, int>> size) {
    const auto [width, height] = size.value_or(std::pair(0, 0));
    std::string answer{'\x37', '\x76'};
    answer += std::to_string(width) + '\x1f' + std::to_string(height) + '\x1f';
    answer.push_back(size ? '0' : '1');
    answer.push_back('\0');
    return answer;
}
