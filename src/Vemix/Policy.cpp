#include "Vemix/Policy.h"

#include "DeviceIo/Devices.h"
#include "Graphics/FontSubstitutes.h"

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
