// Chinese text and the single-byte code tables: what the printer makes of bytes above 0x7F.
#include "Commands/CodeTables.h"
#include "Rtl/CodePage.h"
#include "TestPages/PageWriter.h"
#include "TestPages/Pages.h"

namespace {

const TCodePage& Big5() {
    static const TCodePage codePage("CP950");
    return codePage;
}

// The seed's seller, its address, full-width digits and punctuation.
const QStringList& Big5Sample() {
    static const QStringList lines{
        QStringLiteral("Kavrilon股份有限公司"),
        QStringLiteral("台北市信義區松仁路100號12樓"),
        QStringLiteral("統編:24681357 電話:(02)2345-6789"),
        QStringLiteral("０１２３４５６７８９"),
        QStringLiteral("，。、；：？！（）「」"),
    };
    return lines;
}

void SampleLines(TPageWriter& page) {
    for (const QString& line : Big5Sample())
        page.Bytes(Big5().Encode(line)).Add(Cmd::LineFeed{});
}

QString Hex(int value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QChar('0')).toUpper();
}

bool Big5Trail(int b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
}

// Eight characters a row: the code of the first, then each character and a space; codes that
// are no trail byte stay blank.
void Big5Table(TPageWriter& page, int lead) {
    page.Line(QStringLiteral("     0  1  2  3  4  5  6  7"));
    // Trail bytes 40..7E and A1..FE.
    for (const auto& [from, to] : {std::pair{0x40, 0x80}, std::pair{0xA0, 0x100}})
        for (int first = from; first < to; first += 8) {
            std::string row = (Hex(lead, 2) + Hex(first, 2) + ' ').toStdString();
            for (int trail = first; trail < first + 8; ++trail) {
                if (Big5Trail(trail))
                    row += {static_cast<char>(lead), static_cast<char>(trail)};
                else
                    row += "  ";
                row += ' ';
            }
            page.Bytes(row).Add(Cmd::LineFeed{});
        }
}

} // namespace

std::vector<TCommand> ChinesePage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{true});
    page.Heading(QStringLiteral("中文 CHINESE"));
    page.Line(QStringLiteral("Chinese mode on (FS &), Big5:"));
    SampleLines(page);
    page.Add(Cmd::FeedLines{1}).Add(Cmd::ChineseMode{false});
    page.Line(QStringLiteral("Chinese mode off (FS .):"));
    page.Line(QStringLiteral("the same bytes, one by one"));
    SampleLines(page);
    page.Add(Cmd::FeedLines{1}).Add(Cmd::ChineseMode{true});
    page.Line(QStringLiteral("Big5 %1xx 字表").arg(Hex(options.Big5Lead, 2)));
    Big5Table(page, options.Big5Lead);
    page.End();
    return page.Take();
}

std::vector<TCommand> CodePagePage(const TPageOptions& options) {
    TPageWriter page(options.WidthDots);
    const int n = options.CodeTable;
    page.Add(Cmd::Init{}).Add(Cmd::ChineseMode{false}).Add(Cmd::CodeTable{options.CodeTable});
    page.Heading(QStringLiteral("CODE PAGE"));
    const std::optional<std::string_view> name = CodeTablePage(options.CodeTable);
    page.Line(QStringLiteral("ESC t %1 (%2)")
                  .arg(n)
                  .arg(name ? QString::fromLatin1(name->data(), static_cast<int>(name->size()))
                            : QStringLiteral("no known code page")));
    // Spaced, the grid takes 35 columns: font B on 58 mm paper.
    const bool fontB = page.Columns() < 35;
    page.Add(Cmd::Font{static_cast<std::uint8_t>(fontB)});
    page.Line(QStringLiteral("   0 1 2 3 4 5 6 7 8 9 A B C D E F"));
    for (int high = 8; high < 16; ++high) {
        std::string row = (Hex(high, 1) + "x ").toStdString();
        for (int low = 0; low < 16; ++low) {
            row += static_cast<char>(high * 16 + low);
            row += ' ';
        }
        page.Bytes(row).Add(Cmd::LineFeed{});
    }
    page.Add(Cmd::Font{0}).Add(Cmd::CodeTable{0}).Add(Cmd::ChineseMode{true});
    page.End();
    return page.Take();
}
