// The link edit's typed-text rule on its edit state: the caret and selection after each
// character, and the filter seeing what the characters before left.
#include "LinkEdit/LinkEditModel.h"

#include <gtest/gtest.h>

namespace {
TLinkEditModel Box(TTextType type, const QString& text, int selStart, int selLength = 0) {
    TLinkEditModel m;
    m.TextType = type;
    m.Text = text;
    m.Select(selStart, selLength);
    return m;
}
} // namespace

TEST(LinkEditModel, TypedTextReplacesTheSelectionAndMeetsTheFilterCharacterByCharacter) {
    TLinkEditModel m = Box(IntegerText, "12345", 2, 2);
    EXPECT_EQ(m.TypeFiltered("-9a8"), "98"); // no sign behind position 0
    EXPECT_EQ(m.Text, "12985");
    EXPECT_EQ(m.SelStart, 4);
    EXPECT_EQ(m.SelLength, 0);
    // The selection goes first: a sign at its start is at position 0 then.
    m = Box(IntegerText, "123", 0, 2);
    EXPECT_EQ(m.TypeFiltered("-4-"), "-4");
    EXPECT_EQ(m.Text, "-43");
    EXPECT_EQ(m.SelStart, 2);
    m = Box(FloatText, "1", 1);
    EXPECT_EQ(m.TypeFiltered(".5.6"), ".56"); // the second point meets the first
    m = Box(IdentText, "ab", 0, 2);
    EXPECT_EQ(m.TypeFiltered("1x2\t"), "x2"); // a digit only after the first position
    EXPECT_EQ(m.Text, "x2");
    m.AcceptCharList = "x";
    EXPECT_EQ(m.TypeFiltered("xy"), "x");
    EXPECT_EQ(m.Text, "x2x");
}
