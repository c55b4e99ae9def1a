#include "Vemix/Policy.h"

#include "DeviceIo/Devices.h"
#include "Graphics/FontSubstitutes.h"
#include "Rtl/Messages.h"
#include "Rtl/Strings.h"

#include <QTimer>
#include <cstdio>

namespace {

// A value as typed, safe to show: bytes outside printable ASCII as \xNN, cut to 80 bytes.
std::string Shown(const std::string& value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < value.size() && i < 80; ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\x";
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 15]);
        }
    }
    return value.size() > 80 ? out + "..." : out;
}

} // namespace

void InstallProgramFonts() {
    const QStringList ming{"AR PL UMing TW", "AR PL UMing CN", "AR PL UMing HK", "DejaVu Sans"};
    InstallFontSubstitutes({{QStringLiteral("新細明體"), ming},
                            {QStringLiteral("細明體"), ming},
                            {QStringLiteral("Arial Unicode MS"),
                             {"DejaVu Sans", "AR PL UMing TW", "AR PL UMing CN"}}});
}

void InstallPortVariables() {
    SetPortOverrideVariables([](const std::string& portName) { return "VEMIX_" + portName; });
}

void ReportUnknownCodePage() {
    const std::optional<std::string> name = UnknownCodePage();
    if (!name)
        return;
    const std::string value = Shown(*name);
    std::fprintf(stderr,
                 "vemix: VEMIX_CODEPAGE=%s is not a code page iconv knows; "
                 "printing in CP950 (Big5) instead\n",
                 value.c_str());
    const QString text = QStringLiteral("環境變數 VEMIX_CODEPAGE 的值「") +
                         QString::fromStdString(value) +
                         QStringLiteral("」不是可用的字碼頁，這次執行改用 CP950 (Big5) 列印。\n"
                                        "請改成系統認得的字碼頁名稱 (例如 CP950、GB18030)，"
                                        "或取消這個變數。");
    QTimer::singleShot(0, [text] { ShowWarning(text); });
}
