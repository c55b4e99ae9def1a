// The whole window started under a locale whose decimal mark is a comma: the window system
// sets the C library's locale from LANG, which must not change the number boxes.
#include "ChildRun.h"
#include "FormFixture.h"
#include "Locales.h"

#include "Forms/Beep.h"

#include <QApplication>
#include <clocale>
#include <cstdlib>

// Run as it is (any locale) and, below, again in a child under de_DE and fr_FR.
TEST_F(FormTest, NumberBoxesShowTheirValuesUnderTheProcessLocale) {
    if (const char* mark = std::getenv("VEMIX_EXPECT_DECIMAL_MARK")) {
        ASSERT_STREQ(std::localeconv()->decimal_point, mark) << "the locale is not in force";
    }
    ReloadRegionalSeparators(); // the user's, as at start-up
    TNumEdit* boxes[] = {form().NumEdit_delay, form().NumEdit_Page, form().NumEdit_LineFeed,
                         form().NumEdit_cut};
    QStringList shown;
    for (TNumEdit* box : boxes)
        shown << box->text();
    EXPECT_EQ(shown.join(' ').toStdString(), "900 1 1 1");
    EXPECT_EQ(form().NumEdit_delay->AsInteger(), 900);
    EXPECT_EQ(form().NumEdit_Page->AsInteger(), 1);

    // The page box can be left again: its value is in range.
    SetBeepHook([] {});
    form().show();
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    form().NumEdit_Page->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form().NumEdit_Page, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form().Button1);
    EXPECT_EQ(form().NumEdit_Page->text(), "1");
    EXPECT_EQ(BeepCount(), 0);
    SetBeepHook({});

    // The regional decimal separator is the one typed and shown.
    const QChar mark = RegionalSeparators().Decimal;
    form().NumEdit_delay->SetValue(2.5L);
    EXPECT_EQ(form().NumEdit_delay->text(), QString("2") + mark + "5");
}

TEST(LocaleWindow, UnderGermanAndFrenchLocales) {
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
        SCOPED_TRACE(name);
        const std::string why = PrepareLocale(name);
        if (!why.empty())
            GTEST_SKIP() << name << " cannot be made: " << why;
        QProcessEnvironment env;
        env.insert("LANG", name);
        env.insert("LC_ALL", name);
        env.insert("LOCPATH", QString::fromStdString(LocalePath()));
        env.insert("VEMIX_EXPECT_DECIMAL_MARK", ",");
        const ChildResult run =
            RunSelf("FormTest.NumberBoxesShowTheirValuesUnderTheProcessLocale", env);
        EXPECT_TRUE(run.PassedOne()) << run.Output.toStdString();
    }
}
