#include "LinkEdit/LinkEditModel.h"

char16_t TLinkEditModel::FilterKey(char16_t key) const {
    if (IsPassingControlChar(key))
        return key;
    const QChar ch(key);
    // A sign only at the start, once.
    const bool signRefused = !AcceptNegative || Text.contains(u'-') || SelStart > 0;
    switch (TextType) {
    case IntegerText:
        if (ch == u'-')
            return signRefused ? 0 : key;
        return IsAsciiDigit(ch) ? key : 0;
    case FloatText:
        if (ch == u'-')
            return signRefused ? 0 : key;
        if (ch == u'.')
            return Text.contains(u'.') ? 0 : key;
        return IsAsciiDigit(ch) ? key : 0;
    case IdentText:
        if (!IsIdentifierChar(ch, SelStart == 0))
            return 0;
        break;
    case NormalText:
        break;
    }
    if (!AcceptCharList.isEmpty() && !AcceptCharList.contains(ch))
        return 0;
    return key;
}

QString TLinkEditModel::TypeFiltered(const QString& text) {
    Insert(QString());
    QString kept;
    for (const QChar c : text) {
        const char16_t k = FilterKey(c.unicode());
        if (k >= 32 && Insert(QString(QChar(k))))
            kept += QChar(k);
    }
    return kept;
}
