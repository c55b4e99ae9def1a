#include "Commands/CodeTables.h"

#include <QString>

namespace {

struct TTable {
    std::uint8_t N;
    std::string_view Page;
};

constexpr TTable Tables[] = {
    {0, "CP437"},        {2, "CP850"},   {3, "CP860"},   {4, "CP863"},       {5, "CP865"},
    {11, "CP851"},       {13, "CP857"},  {14, "CP737"},  {15, "ISO-8859-7"}, {16, "CP1252"},
    {17, "CP866"},       {18, "CP852"},  {19, "CP858"},  {33, "CP775"},      {34, "CP855"},
    {35, "CP861"},       {36, "CP862"},  {37, "CP864"},  {38, "CP869"},      {39, "ISO-8859-2"},
    {40, "ISO-8859-15"}, {44, "CP1125"}, {45, "CP1250"}, {46, "CP1251"},     {47, "CP1253"},
    {48, "CP1254"},      {49, "CP1255"}, {50, "CP1256"}, {51, "CP1257"},     {52, "CP1258"},
};

constexpr TTable StarTables[] = {
    {0, "CP437"},  {1, "CP437"},  {3, "CP437"},   {4, "CP858"},   {5, "CP852"},
    {6, "CP860"},  {7, "CP861"},  {8, "CP863"},   {9, "CP865"},   {10, "CP866"},
    {11, "CP855"}, {12, "CP857"}, {13, "CP862"},  {14, "CP864"},  {15, "CP737"},
    {16, "CP851"}, {17, "CP869"}, {32, "CP1252"}, {33, "CP1250"}, {34, "CP1251"},
};

constexpr std::string_view DoubleByte[][2] = {
    {"CP950", "BIG5"}, {"BIG5", "BIG5"},       {"BIG5-HKSCS", "BIG5"}, {"CP936", "GBK"},
    {"GBK", "GBK"},    {"GB18030", "GB18030"}, {"CP932", "SJIS"},      {"CP949", "KSC5601"},
};

} // namespace

std::optional<std::string_view> CodeTablePage(std::uint8_t n) {
    for (const TTable& t : Tables)
        if (t.N == n)
            return t.Page;
    return std::nullopt;
}

std::optional<std::string_view> StarCodeTablePage(std::uint8_t n) {
    for (const TTable& t : StarTables)
        if (t.N == n)
            return t.Page;
    return std::nullopt;
}

std::optional<std::string_view> DoubleByteSet(std::string_view codePage) {
    const QString name =
        QString::fromLatin1(codePage.data(), static_cast<qsizetype>(codePage.size()));
    for (const auto& pair : DoubleByte)
        if (name.compare(QLatin1String(pair[0].data(), static_cast<qsizetype>(pair[0].size())),
                         Qt::CaseInsensitive) == 0)
            return pair[1];
    return std::nullopt;
}
