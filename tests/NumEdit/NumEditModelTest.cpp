// The key rules on the plain edit state, key by key. States are written with "|" for the
// caret and "[...]" for a selection.
#include "NumEdit/NumEditModel.h"
#include "QtPrint.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
TNumEditModel Box(const QString& marked, int decimals = -1, TNumberFormat format = Standard) {
    TNumEditModel m;
    m.Decimals = decimals;
    m.NumberFormat = format;
    m.Seps = {u'.', u','};
    QString text;
    for (QChar c : marked) {
        if (c == u'|' || c == u'[')
            m.SelStart = text.size();
        else if (c == u']')
            m.SelLength = text.size() - m.SelStart;
        else
            text += c;
    }
    m.Text = text;
    return m;
}

QString Shown(const TNumEditModel& m) {
    QString s = m.Text;
    if (m.SelLength > 0)
        return s.insert(m.SelStart + m.SelLength, u']').insert(m.SelStart, u'[');
    return s.insert(m.SelStart, u'|');
}

// Types the keys: characters, "\b" for Backspace, "\x7f" for Delete.
QString Keys(TNumEditModel m, const QString& keys) {
    for (QChar k : keys) {
        if (k == u'\b')
            m.KeyDown(VK_BACK);
        else if (k == QChar(0x7f))
            m.KeyDown(VK_DELETE);
        else
            m.Type(k);
        m.KeyUp(0);
    }
    return Shown(m);
}
} // namespace

TEST(NumEditKeys, DigitsReplaceALoneZeroAndTypeOverFixedDecimals) {
    EXPECT_EQ(Keys(Box("|0"), "5"), "5|");
    EXPECT_EQ(Keys(Box("0|"), "5"), "5|");
    EXPECT_EQ(Keys(Box("-0|"), "5"), "-5|");
    EXPECT_EQ(Keys(Box("|-0"), "5"), "-5|");
    EXPECT_EQ(Keys(Box("[250]"), "7"), "7|");
    EXPECT_EQ(Keys(Box("[2.50]", 2), "7"), "7|.00");
    EXPECT_EQ(Keys(Box("1.|50", 2), "7"), "1.7|0");
    EXPECT_EQ(Keys(Box("1.50|", 2), "7"), "1.50|");
    EXPECT_EQ(Keys(Box("1.5|0", 2), "98"), "1.59|");
    EXPECT_EQ(Keys(Box("1|.50", 2), "2"), "12|.50");
    EXPECT_EQ(Keys(Box("|1.50", 2), "9"), "9|1.50");
    EXPECT_EQ(Keys(Box("1.5E|0", -1, Scientific), "3"), "1.5E3|");
    EXPECT_EQ(Keys(Box("12|3"), "4"), "124|3");
    EXPECT_EQ(Keys(Box("|0.00", 2), "12.345"), "12.34|");
    EXPECT_EQ(Keys(Box("|0", 0), "12.5"), "12.5|");
}

TEST(NumEditKeys, MinusTogglesTheSignOfTheNumberOrTheExponent) {
    EXPECT_EQ(Keys(Box("12|"), "-"), "-12|");
    EXPECT_EQ(Keys(Box("12|"), "--"), "12|");
    EXPECT_EQ(Keys(Box("|12"), "-"), "-|12");
    EXPECT_EQ(Keys(Box("1.5E3|"), "-"), "1.5E-3|");
    EXPECT_EQ(Keys(Box("1.5E3|"), "--"), "1.5E3|");
    EXPECT_EQ(Keys(Box("1.5|E3"), "-"), "-1.5|E3");
    EXPECT_EQ(Keys(Box("1.5E|3"), "-"), "1.5E-|3");
    // The caret never lands before the sign or between "E" and its sign.
    EXPECT_EQ(Keys(Box("-|12"), "5"), "-5|12");
    EXPECT_EQ(Keys(Box("|-12"), "5"), "-5|12");
    EXPECT_EQ(Keys(Box("1E|-3"), "5"), "1E-5|3");
    EXPECT_EQ(Keys(Box("1E-|3"), "5"), "1E-5|3");
    // A selection goes first, then the sign toggles.
    EXPECT_EQ(Keys(Box("[250]"), "-"), "-|0");
}

TEST(NumEditKeys, DecimalSeparatorAndExponentOccurOnce) {
    EXPECT_EQ(Keys(Box("1|.5"), "."), "1.|5");
    EXPECT_EQ(Keys(Box("1.5|"), "."), "1.|5");
    EXPECT_EQ(Keys(Box("1|5"), "."), "15.|");
    EXPECT_EQ(Keys(Box("1|5E3"), "."), "15.|E3");
    EXPECT_EQ(Keys(Box("1|5", 2), "."), "1.|5");
    EXPECT_EQ(Keys(Box("[15]"), "."), "15.|");
    EXPECT_EQ(Keys(Box("1E|5", 0, Scientific), "."), "1.|E5");
    EXPECT_EQ(Keys(Box("1|E5", 0, Scientific), "."), "1.|E5");
    EXPECT_EQ(Keys(Box("|2", -1, Scientific), "E"), "2E|");
    EXPECT_EQ(Keys(Box("|2"), "e"), "2E|");
    EXPECT_EQ(Keys(Box("|2E5"), "E"), "2E|5");
    EXPECT_EQ(Keys(Box("[12]"), "E"), "12E|");
    // Everything else is swallowed.
    EXPECT_EQ(Keys(Box("1|2"), "a+ ,x\t"), "1|2");
    // The rules can leave texts that are not numbers: the sign alone and a lone exponent.
    EXPECT_EQ(Keys(Box("-7|"), "\bE"), "-E|");
    EXPECT_EQ(Keys(Box("-7|"), "\bE-3"), "-E-3|");
}

TEST(NumEditKeys, BackspaceAndDeleteStepOverSeparators) {
    EXPECT_EQ(Keys(Box("1.5|0", 2), "\b"), "1.|00");
    EXPECT_EQ(Keys(Box("1.|75", 2), "\x7f"), "1.|50");
    EXPECT_EQ(Keys(Box("12.|5"), "\b"), "1|.5");
    EXPECT_EQ(Keys(Box("12|.5"), "\x7f"), "12.|");
    EXPECT_EQ(Keys(Box("7|"), "\b"), "0|");
    EXPECT_EQ(Keys(Box("|7"), "\x7f"), "0|");
    EXPECT_EQ(Keys(Box("-|7"), "\b"), "|7");
    EXPECT_EQ(Keys(Box("-7|"), "\b"), "-|");
    EXPECT_EQ(Keys(Box("5|E-3"), "\b"), "0|E-3");
    EXPECT_EQ(Keys(Box("5E|3"), "\b"), "0|E3");
    EXPECT_EQ(Keys(Box("1.5E3|", -1, Scientific), "\b"), "1.5E|0");
    EXPECT_EQ(Keys(Box("1.5E3|"), "\b"), "1.5E|");
    EXPECT_EQ(Keys(Box("1.50E|3", 2, Scientific), "\b"), "1.5|0E3");
    EXPECT_EQ(Keys(Box("|0"), "\b"), "|0");
    EXPECT_EQ(Keys(Box("0|"), "\x7f"), "0|");
    EXPECT_EQ(Keys(Box("1,23|4", -1, Thousands), "\b"), "12|4");
    EXPECT_EQ(Keys(Box("1|,234", -1, Thousands), "\x7f"), "1|34");
}

TEST(NumEditKeys, DeletingASelectionKeepsANumber) {
    EXPECT_EQ(Keys(Box("[1.50]", 2), "\x7f"), "|0.00");
    EXPECT_EQ(Keys(Box("[1234]"), "\b"), "|0");
    EXPECT_EQ(Keys(Box("1[23]4"), "\b"), "1|4");
    EXPECT_EQ(Keys(Box("1[2.3]4"), "\b"), "1|.4");
    EXPECT_EQ(Keys(Box("1.[25]", 2), "\b"), "1.|00");
    EXPECT_EQ(Keys(Box("1[,23]4", -1, Thousands), "\b"), "1|4");
    // Only what Backspace can remove is counted: the "E" stays, no digit outside goes.
    EXPECT_EQ(Keys(Box("12[E-3]"), "\b"), "12E|");
    EXPECT_EQ(Keys(Box("1E[-]3"), "\b"), "1E|3");
    EXPECT_EQ(Keys(Box("1[,]234", -1, Thousands), "\x7f"), "1,|234");
    EXPECT_EQ(Keys(Box("1.5[E3]", -1, Scientific), "\b"), "1.5E|0");
    EXPECT_EQ(Keys(Box("[12]E-3"), "\x7f"), "0|E-3");
}

TEST(NumEditKeys, ThousandsRegroupWhileTyping) {
    TNumEditModel m = Box("|0", -1, Thousands);
    QStringList seen;
    for (QChar k : QStringLiteral("1234567")) {
        m.Type(k);
        m.KeyUp(k.unicode());
        seen << Shown(m);
    }
    EXPECT_EQ(seen,
              QStringList({"1|", "12|", "123|", "1,234|", "12,345|", "123,456|", "1,234,567|"}));
    EXPECT_EQ(Keys(Box("1,234,56|7", -1, Thousands), "\b\b"), "12,34|7");
    EXPECT_EQ(Keys(Box("1|,234", -1, Thousands), "5"), "15|,234");
    EXPECT_EQ(Keys(Box("1,234|", -1, Thousands), ".5"), "1,234.5|");
    EXPECT_EQ(Keys(Box("1,23|4.00", 2, Thousands), "9"), "12,39|4.00");
    // A text that does not read is left for leaving the box to complain about.
    EXPECT_EQ(Keys(Box("-|", -1, Thousands), "E"), "-E|");
}

TEST(NumEditKeys, CaseAndLengthLimit) {
    TNumEditModel m = Box("1|");
    m.CharCase = ecLowerCase;
    EXPECT_EQ(m.ApplyCharCase(u'E'), u'e');
    EXPECT_EQ(m.ApplyCharCase(QChar(0xC9)), QChar(0xC9)); // only A to Z
    m.Type(u'E');
    EXPECT_EQ(Shown(m), "1E|");
    m.CharCase = ecUpperCase;
    EXPECT_EQ(m.ApplyCharCase(QChar(0xE9)), QChar(0xC9));
    // The length limit refuses insertions, not the sign or a digit typed over a decimal.
    m = Box("12.3|4", 2);
    m.MaxLength = 5;
    m.Type(u'9');
    EXPECT_EQ(Shown(m), "12.39|");
    m = Box("12.34|", 2);
    m.MaxLength = 5;
    m.Type(u'-');
    EXPECT_EQ(Shown(m), "-12.34|");
    m.SelStart = 1;
    m.Type(u'5');
    EXPECT_EQ(Shown(m), "-|12.34");
}

TEST(NumEditKeys, CopyCutAndPasteThroughTheRules) {
    EXPECT_EQ(Box("|0").CopyText(), "0");
    EXPECT_EQ(Box("[1,234]", -1, Thousands).CopyText(), "1234");
    EXPECT_EQ(Box("[-]12").CopyText(), "-0");
    TNumEditModel m = Box("0|");
    m.Paste("1,2a34");
    EXPECT_EQ(Shown(m), "1234|");
    m = Box("[250]");
    m.Paste("-3.5e2\r\n\x16");
    EXPECT_EQ(Shown(m), "-3.5E2|");
    m = Box("1[23]4");
    QString clip;
    m.Cut(clip);
    EXPECT_EQ(clip, "23");
    EXPECT_EQ(Shown(m), "1|4");
}
