// Seeded random key, clipboard and focus sequences: the text stays a number, or is one of the
// two kinds of non-number the rules can leave behind, and nothing crashes.
#include "Forms/Beep.h"
#include "NumEdit/NumEdit.h"
#include "NumEdit/NumEditModel.h"
#include "QtPrint.h"
#include "Recorder.h"
#include "Rtl/Locale.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>

namespace {
// "number", or the kind of non-number: "no mantissa" (the sign or nothing before "E", as
// "-E" or "E-3"), or "beyond range" (a well-formed literal such as "9E99999" whose value the
// number type cannot hold). Anything else is a fault: an empty string is returned.
QString Kind(const QString& text, const TSeparators& s) {
    const QString stripped = StripThousands(text, s.Thousand);
    static const QString shape = QStringLiteral("^(-?)([0-9]*)(%1[0-9]*)?(E-?[0-9]*)?$");
    const QRegularExpression re(shape.arg(QRegularExpression::escape(QString(s.Decimal))));
    const auto m = re.match(stripped);
    if (!m.hasMatch())
        return {};
    if (TextToFloat(stripped, s.Decimal))
        return QStringLiteral("number");
    if (m.captured(2).isEmpty() && m.captured(3).isEmpty())
        return QStringLiteral("no mantissa");
    if (!m.captured(4).isEmpty())
        return QStringLiteral("beyond range");
    return {};
}

const int Formats[] = {Standard, Thousands, Scientific, Engineering};
const int DecimalSettings[] = {-1, 0, 1, 2, 5, 14};

QString RandomClip(std::mt19937& rng) {
    static const QString alphabet = QStringLiteral("0123456789.,-Eex \r\n\x16\x03\x18");
    QString s;
    const int n = rng() % 7;
    for (int i = 0; i < n; ++i)
        s += alphabet[rng() % alphabet.size()];
    return s;
}
} // namespace

TEST(NumEditRandom, ModelKeepsANumber) {
    std::mt19937 rng(20240601);
    std::map<QString, int> kinds;
    const QString keys = QStringLiteral("0123456789-.,Eex ");
    for (int format : Formats) {
        for (int decimals : DecimalSettings) {
            for (int run = 0; run < 40; ++run) {
                TNumEditModel m;
                m.Seps = run % 2 ? TSeparators{u',', u'.'} : TSeparators{u'.', u','};
                m.NumberFormat = static_cast<TNumberFormat>(format);
                m.Decimals = decimals;
                m.MaxLength = run % 5 == 0 ? 8 : 0;
                m.Text = m.FormatValue(0);
                QString trail;
                for (int step = 0; step < 60; ++step) {
                    const int op = rng() % 20;
                    const int len = m.Text.size();
                    if (op < 9) {
                        const QChar k = keys[rng() % keys.size()];
                        trail += k;
                        m.Type(k);
                        m.KeyUp(0);
                    } else if (op < 11) {
                        trail += op == 9 ? "<BS>" : "<DEL>";
                        m.KeyDown(op == 9 ? VK_BACK : VK_DELETE);
                        m.KeyUp(op == 9 ? VK_BACK : VK_DELETE);
                    } else if (op < 13) {
                        m.SelStart = rng() % (len + 1);
                        m.SelLength = op == 12 ? rng() % (len - m.SelStart + 1) : 0;
                        trail += QStringLiteral("<sel %1,%2>").arg(m.SelStart).arg(m.SelLength);
                    } else if (op == 13) {
                        m.SelStart = 0;
                        m.SelLength = len;
                        trail += "<all>";
                    } else if (op == 14) {
                        const QString clip = RandomClip(rng);
                        trail += "<paste " + clip + ">";
                        m.Paste(clip);
                        m.KeyUp(0);
                    } else if (op == 15) {
                        QString clip;
                        m.Cut(clip);
                        EXPECT_EQ(Kind(clip.isEmpty() ? "0" : clip, m.Seps).isEmpty(), false)
                            << clip.toStdString();
                        trail += "<cut>";
                    } else if (op == 16) {
                        m.KeyUp(rng() % 2 ? VK_RETURN : VK_SPACE);
                        trail += "<up>";
                    } else if (op == 17) {
                        // Leaving the box: the canonical text, when the text reads.
                        if (const auto v = TextToFloat(StripThousands(m.Text, m.Seps.Thousand),
                                                       m.Seps.Decimal))
                            m.Text = m.FormatValue(*v);
                        m.SelStart = m.Text.size(); // where a rewrite leaves the caret
                        m.SelLength = 0;
                        trail += "<exit>";
                    } else {
                        const long double v = std::ldexp(
                            static_cast<long double>(static_cast<int>(rng() % 2000001) - 1000000),
                            static_cast<int>(rng() % 40) - 20);
                        m.Text = m.FormatValue(v);
                        m.SelStart = m.SelLength = 0;
                        trail += "<value>";
                    }
                    ASSERT_GE(m.SelStart, 0);
                    ASSERT_GE(m.SelLength, 0);
                    ASSERT_LE(m.SelStart + m.SelLength, m.Text.size())
                        << m.Text.toStdString() << " after " << trail.toStdString();
                    const QString kind = Kind(m.Text, m.Seps);
                    ASSERT_FALSE(kind.isEmpty())
                        << "format " << format << " decimals " << decimals << ": "
                        << m.Text.toStdString() << " after " << trail.toStdString();
                    ++kinds[kind];
                }
            }
        }
    }
    for (const auto& [kind, count] : kinds)
        std::cout << "  " << kind.toStdString() << ": " << count << "\n";
    EXPECT_GT(kinds["number"], 0);
}

TEST(NumEditRandom, WidgetKeepsANumber) {
    MessageRecorder messages;
    const TSeparators previous = SetRegionalSeparators({u'.', u','});
    const auto previousBeep = SetBeepHook([] {});
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new TNumEdit(&window);
    auto* next = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(next);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QClipboard* clipboard = QGuiApplication::clipboard();

    std::mt19937 rng(7771);
    const QString chars = QStringLiteral("0123456789-.,Eea ");
    const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End};
    int steps = 0;
    for (int format : Formats) {
        for (int decimals : DecimalSettings) {
            box->setText("0");
            box->SetMinValue(0);
            box->SetMaxValue(0);
            box->SetDecimals(decimals);
            box->SetNumberFormat(static_cast<TNumberFormat>(format));
            if (rng() % 2) {
                box->SetMaxValue(250);
                box->SetMinValue(1);
            }
            box->SetEnterAsTab(rng() % 2);
            box->setFocus(Qt::TabFocusReason);
            for (int step = 0; step < 400; ++step, ++steps) {
                const int op = rng() % 24;
                if (op != 21 && !box->hasFocus())
                    box->setFocus(Qt::TabFocusReason); // keys go to the box with the focus
                const bool hadFocus = box->hasFocus();
                if (op < 10) {
                    QTest::keyClick(box, chars[rng() % chars.size()].toLatin1());
                } else if (op < 12) {
                    QTest::keyClick(box, op == 10 ? Qt::Key_Backspace : Qt::Key_Delete);
                } else if (op < 15) {
                    QTest::keyClick(box, moves[rng() % 4],
                                    rng() % 2 ? Qt::ShiftModifier : Qt::NoModifier);
                } else if (op == 15) {
                    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                } else if (op == 16) {
                    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
                } else if (op == 17) {
                    clipboard->setText(RandomClip(rng));
                    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                } else if (op == 18) {
                    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
                } else if (op == 19) {
                    QTest::keyClick(box, Qt::Key_Return);
                } else if (op == 20) {
                    next->setFocus(Qt::TabFocusReason);
                } else if (op == 21) {
                    box->setFocus(Qt::TabFocusReason);
                } else if (op == 22) {
                    QTest::mouseClick(box, Qt::LeftButton, {},
                                      QPoint(rng() % box->width(), box->height() / 2));
                } else {
                    QTest::keyClick(box, Qt::Key_Space);
                }
                const QString kind = Kind(box->text(), RegionalSeparators());
                ASSERT_FALSE(kind.isEmpty()) << box->text().toStdString();
                if (!hadFocus || box->hasFocus() || !box->RangeInForce() || kind != "number")
                    continue;
                // Left with a range in force: the value lies in it.
                EXPECT_GE(box->Value(), 1) << box->text().toStdString();
                EXPECT_LE(box->Value(), 250) << box->text().toStdString();
            }
        }
    }
    // The only message the sequences can bring up is the conversion error on leaving.
    for (const QString& text : messages.Texts())
        EXPECT_TRUE(text.endsWith("' is not a valid floating point value")) << text.toStdString();
    std::cout << "  " << steps << " steps, " << messages.Texts().size() << " conversion errors\n";
    SetRegionalSeparators(previous);
    SetBeepHook(previousBeep);
}
