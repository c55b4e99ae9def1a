#include "Graphics/FontSubstitutes.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutes() {
    const QStringList ming{"AR PL UMing TW", "AR PL UMing CN", "AR PL UMing HK", "DejaVu Sans"};
    QFont::insertSubstitutions(QStringLiteral("新細明體"), ming);
    QFont::insertSubstitutions(QStringLiteral("細明體"), ming);
    QFont::insertSubstitutions(QStringLiteral("Arial Unicode MS"),
                               {"DejaVu Sans", "AR PL UMing TW", "AR PL UMing CN"});
}
