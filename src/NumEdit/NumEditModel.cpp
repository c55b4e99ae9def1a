#include "NumEdit/NumEditModel.h"

#include "EditCore/EditKeys.h"

#include <algorithm>

QString TNumEditModel::FormatValue(long double x) const {
    return ::FormatValue(x, NumberFormat, Decimals, Seps);
}

long double TNumEditModel::Value() const {
    return ReadNumber(Text, Seps);
}

QString TNumEditModel::CopyText() const {
    return StripThousands(SelectedText(), Seps.Thousand);
}

bool TNumEditModel::KeyDown(int key) {
    if (key != VK_BACK && key != VK_DELETE)
        return false;
    if (SelLength == 0)
        DeleteChar(key);
    else
        DeleteSelection();
    return true;
}

QChar TNumEditModel::ApplyCharCase(QChar key) const {
    if (CharCase == ecUpperCase)
        return key.toUpper();
    if (CharCase == ecLowerCase && key >= u'A' && key <= u'Z')
        return key.toLower();
    return key;
}

QChar TNumEditModel::FilterKey(QChar key) {
    const QChar dec = Seps.Decimal;
    const bool digit = key >= u'0' && key <= u'9';
    if (!digit && key != u'-' && key != u'E' && key != u'e' && key != dec)
        return {};
    ClampSelection();
    // Noted before anything changes; the rules below use these even after a deletion.
    const int c0 = SelStart;
    const int sepPos = Pos(dec);
    const int ePos = Pos(u'E');
    if (key == u'e')
        key = u'E';
    if (key == u'E' || key == dec)
        SelLength = 0;
    else
        DeleteSelection();
    const bool negative = Text.startsWith(u'-');
    const bool expNegative = ePos > 0 && Text.mid(ePos).contains(u'-');
    if (negative && SelStart == 0)
        SelStart = 1; // never before the sign
    if (expNegative && SelStart == ePos)
        ++SelStart; // never between "E" and its sign
    ClampSelection();

    if (key == u'-') {
        if (ePos > 0 && c0 >= ePos) {
            if (expNegative) {
                if (ePos < Text.size())
                    Text.remove(ePos, 1);
                SelStart = c0 - 1;
            } else {
                Text.insert(std::min<int>(ePos, Text.size()), u'-');
                SelStart = c0 + 1;
            }
        } else if (negative) {
            Text.remove(0, 1);
            SelStart = c0 - 1;
        } else {
            Text.prepend(u'-');
            SelStart = c0 + 1;
        }
        SelLength = 0;
        ClampSelection();
        return {};
    }
    if (key == dec) {
        if (sepPos > 0) {
            SelStart = sepPos;
            ClampSelection();
            return {};
        }
        if (Decimals < 0)
            SelStart = ePos > 0 ? ePos - 1 : Text.size();
        else if (ePos > 0 && SelStart >= ePos)
            SelStart = ePos - 1; // a separator in the exponent would spoil the number
        ClampSelection();
        return key;
    }
    if (key == u'E') {
        if (ePos > 0) {
            SelStart = ePos;
            ClampSelection();
            return {};
        }
        SelStart = Text.size();
        return key;
    }
    // A digit: replaces a lone leading zero, and types over fixed decimals.
    const int caret = SelStart;
    if (caret <= 2 && At(2) == u'0' && negative) {
        SelStart = 1;
        SelLength = 1;
    } else if (caret <= 1 && At(1) == u'0') {
        SelStart = 0;
        SelLength = 1;
    } else if (ePos > 0 && caret == ePos && At(ePos + 1) == u'0') {
        SelLength = 1;
    } else if (Decimals <= 0) {
        // inserted at the caret
    } else if (caret == Decimals + sepPos) {
        return {}; // behind the last allowed decimal
    } else if (caret >= sepPos) {
        SelLength = 1;
    } else if (caret < sepPos - 1) {
        SelLength = 0;
    }
    ClampSelection();
    return key;
}

void TNumEditModel::InsertKey(QChar key) {
    if (!key.isNull())
        Insert(QString(key));
}

void TNumEditModel::Type(QChar key) {
    InsertKey(FilterKey(ApplyCharCase(key)));
}

void TNumEditModel::KeyUp(int key) {
    if (SelLength != 0 || NumberFormat != Thousands)
        return;
    const QChar dec = Seps.Decimal;
    const QChar thou = Seps.Thousand;
    const int sepBefore = Pos(dec);
    const int caretBefore = SelStart;
    const auto value = TextToFloat(StripThousands(Text, thou), dec);
    if (!value) // nothing to regroup; the error belongs to leaving the box
        return;
    const QString fresh = FormatValue(*value);
    const int oldCount = Text.count(thou);
    const int newCount = fresh.count(thou);
    const int oldFirst = Pos(thou);
    const int newFirst = fresh.indexOf(thou) + 1;
    if (oldCount == newCount && oldFirst == newFirst && key != VK_RETURN && key != VK_SPACE)
        return;
    Text = fresh;
    SelStart = caretBefore + newCount - oldCount;
    if (Text.contains(dec) && sepBefore == 0)
        ++SelStart;
    else if (sepBefore > 0 && !Text.contains(dec))
        --SelStart;
    ClampSelection();
    if (At(SelStart + 1) == thou)
        ++SelStart;
    ClampSelection();
}

void TNumEditModel::DeleteChar(int key) {
    const QChar dec = Seps.Decimal;
    const QChar thou = Seps.Thousand;
    ClampSelection();
    const int len = Text.size();
    const int sepPos = Pos(dec);
    const int ePos = Pos(u'E') > 0 ? Pos(u'E') : len + 1;
    auto skipped = [&](QChar c) { return c == u'E' || c == thou || c == dec; };
    int p;
    if (key == VK_DELETE) {
        p = SelStart + 1;
        if (p > len)
            return;
        if (skipped(At(p)))
            ++p;
    } else if (key == VK_BACK) {
        p = SelStart;
        if (p == 0)
            return;
        if (skipped(At(p)))
            --p;
    } else {
        return;
    }
    const bool hasMinus = Text.startsWith(u'-');
    if (p == 0 || p > len)
        return;
    SelLength = 0;
    if (sepPos > 0 && sepPos < p && p < ePos) {
        // A decimal: fixed decimals keep their number, a zero comes in at their end.
        Text.remove(p - 1, 1);
        if (Decimals > 0)
            Text.insert(std::clamp(ePos - 2, 0, static_cast<int>(Text.size())), u'0');
        SelStart = p - 1;
    } else if (p == 1 && hasMinus) {
        Text.remove(0, 1);
        if (Text.isEmpty())
            Text = QStringLiteral("0");
        SelStart = 0;
    } else if (p == 1 && (sepPos == 2 || ePos == 2 || len == 1)) {
        Text.replace(0, 1, QStringLiteral("0"));
        SelStart = 1;
    } else {
        Text.remove(p - 1, 1);
        SelStart = p - 1;
        if ((NumberFormat == Scientific || NumberFormat == Engineering) && Text.endsWith(u'E'))
            Text += u'0';
    }
    ClampSelection();
}

void TNumEditModel::DeleteSelection() {
    ClampSelection();
    if (SelLength == 0)
        return;
    if (SelLength == Text.size()) {
        Text = FormatValue(0);
        SelStart = 0;
        SelLength = 0;
        return;
    }
    // One Backspace for each selected character that Backspace can remove: it steps over
    // separators and "E", so counting those would cost a digit outside the selection.
    int n = 0;
    for (QChar c : SelectedText())
        if (c != Seps.Thousand && c != Seps.Decimal && c != u'E')
            ++n;
    SelStart += SelLength;
    SelLength = 0;
    for (int i = 0; i < n; ++i)
        DeleteChar(VK_BACK);
}

void TNumEditModel::Paste(const QString& clip) {
    DeleteSelection();
    for (QChar c : clip) {
        const QChar key = ApplyCharCase(c);
        if (!IsClipboardChar(key) && key != CarriageReturn)
            Type(key);
    }
}

void TNumEditModel::Cut(QString& clip) {
    clip = CopyText();
    DeleteSelection();
}
