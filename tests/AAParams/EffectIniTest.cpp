#include "AAParams/Effect.h"
#include "Rtl/Exceptions.h"
#include "TempDir.h"

#include <QSettings>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Every value away from its default, the signed ones negative.
void SetAll(TAAEffect& e) {
    e.SetAlpha(55);
    e.SetBlur(12);
    e.SetNoise(200);
    e.SetSpray(33);
    e.SetAngle(-90);
    e.SetOutline(true);
    e.SetHorzMirror(true);
    e.SetVertMirror(true);
    e.Shadow().SetEnabled(true);
    e.Shadow().SetAlpha(40);
    e.Shadow().SetBlur(9);
    e.Shadow().SetColor(static_cast<TColor>(0x8000000F)); // a system colour, high bit set
    e.Shadow().SetOffsetX(-3);
    e.Shadow().SetOffsetY(-20);
    e.Gradual().SetEnabled(true);
    e.Gradual().SetStartColor(0x00FF8040);
    e.Gradual().SetEndColor(0x00123456);
    e.Gradual().SetStyle(gsCenterToTB);
    e.Texture().SetEnabled(true);
    e.Texture().SetMode(tmNormal);
}

// The twenty values of the settings section, in key order.
std::vector<long long> Values(const TAAEffect& e) {
    const TAAShadow& s = e.Shadow();
    const TAAGradual& g = e.Gradual();
    return {e.Alpha(),
            e.Blur(),
            e.Noise(),
            e.Spray(),
            e.Angle(),
            e.Outline(),
            e.HorzMirror(),
            e.VertMirror(),
            s.Enabled(),
            s.Alpha(),
            s.Blur(),
            s.Color(),
            s.OffsetX(),
            s.OffsetY(),
            g.Enabled(),
            g.StartColor(),
            g.EndColor(),
            g.Style(),
            e.Texture().Enabled(),
            e.Texture().Mode()};
}

void ExpectSame(const TAAEffect& a, const TAAEffect& b) {
    EXPECT_EQ(Values(a), Values(b));
}

} // namespace

TEST(EffectIni, RoundTripKeepsEveryValueAndWritesOffsetsSigned) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.File("fx.ini"));
    TAAEffect saved;
    SetAll(saved);
    {
        QSettings ini(path, QSettings::IniFormat);
        saved.SaveToIniSection(ini, QStringLiteral("Caption"));
    }
    const std::string text = ReadFileBytes(path.toStdString());
    EXPECT_NE(text.find("[Caption]"), std::string::npos);
    EXPECT_NE(text.find("ShadowOffsetX=-3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ShadowOffsetY=-20\n"), std::string::npos);
    EXPECT_NE(text.find("Angle=-90\n"), std::string::npos);
    EXPECT_NE(text.find("Noise=200\n"), std::string::npos);
    EXPECT_NE(text.find("ShadowColor=-2147483633\n"), std::string::npos);
    EXPECT_NE(text.find("Outline=1\n"), std::string::npos);
    for (const char* key : {"Alpha",           "Blur",          "Noise",      "Spray",
                            "Angle",           "Outline",       "HorzMirror", "VertMirror",
                            "Shadow",          "ShadowAlpha",   "ShadowBlur", "ShadowColor",
                            "ShadowOffsetX",   "ShadowOffsetY", "Gradual",    "GradualStartColor",
                            "GradualEndColor", "GradualStyle",  "Texture",    "TextureMode"})
        EXPECT_NE(text.find("\n" + std::string(key) + "="), std::string::npos) << key;

    int calls = 0;
    TAAEffect loaded([&](TPersistent*) { ++calls; });
    QSettings ini(path, QSettings::IniFormat);
    loaded.LoadFromIniSection(ini, QStringLiteral("Caption"));
    ExpectSame(saved, loaded);
    EXPECT_EQ(calls, 0) << "loading stores fields without notifying";

    // A second section in the same file leaves the first alone.
    TAAEffect plain;
    plain.SaveToIniSection(ini, QStringLiteral("Other"));
    TAAEffect again;
    again.LoadFromIniSection(ini, QStringLiteral("Caption"));
    ExpectSame(saved, again);
}

TEST(EffectIni, FieldWidthsAndOrdinalCorrections) {
    TempDir dir;
    const std::string path = dir.File("hand.ini");
    WriteText(path, "[S]\nAlpha=300\nAngle=65535\nShadowOffsetX=253\nShadowOffsetY=-300\n"
                    "ShadowColor=2147483663\nGradualStyle=9\nTextureMode=4\nNoise=-1\n"
                    "Shadow=true\nGradual=2\nTexture=0\nOutline=false\nSpray=0x20\n"
                    "GradualEndColor=$FF\n");
    TAAEffect e;
    e.Texture().SetEnabled(true);
    QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
    e.LoadFromIniSection(ini, QStringLiteral("S"));
    EXPECT_EQ(e.Alpha(), 44);  // low byte of 300
    EXPECT_EQ(e.Angle(), -1);  // low 16 bits, signed
    EXPECT_EQ(e.Noise(), 255); // low byte of -1
    EXPECT_EQ(e.Spray(), 0x20);
    EXPECT_EQ(e.Shadow().OffsetX(), -3); // signed byte
    EXPECT_EQ(e.Shadow().OffsetY(), -44);
    EXPECT_EQ(static_cast<quint32>(e.Shadow().Color()), 0x8000000Fu);
    EXPECT_EQ(e.Gradual().Style(), gsLeftToRight);
    EXPECT_EQ(e.Texture().Mode(), tmTiled);
    EXPECT_EQ(e.Gradual().EndColor(), TColor(0xFF));
    EXPECT_TRUE(e.Shadow().Enabled());
    EXPECT_TRUE(e.Gradual().Enabled());
    EXPECT_FALSE(e.Texture().Enabled());

    // The corrections hit any ordinal outside the enumeration, negative ones too; a valid
    // ordinal is taken as it is.
    WriteText(path, "[S]\nGradualStyle=-1\nTextureMode=3\n");
    QSettings again(QString::fromStdString(path), QSettings::IniFormat);
    e.Gradual().SetStyle(gsBottomToTop);
    e.LoadFromIniSection(again, QStringLiteral("S"));
    EXPECT_EQ(e.Gradual().Style(), gsLeftToRight);
    EXPECT_EQ(e.Texture().Mode(), tmNormal);
}

TEST(EffectIni, AbsentOrUnreadableKeysLeaveValuesAsTheyWere) {
    TempDir dir;
    const std::string path = dir.File("partial.ini");
    WriteText(path, "[Other]\nAlpha=1\n[S]\nBlur=abc\nAngle=99999999999\nShadow=\n");
    TAAEffect e;
    SetAll(e);
    TAAEffect expected;
    SetAll(expected);
    QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
    e.LoadFromIniSection(ini, QStringLiteral("Empty"));
    ExpectSame(expected, e);
    e.LoadFromIniSection(ini, QStringLiteral("S"));
    ExpectSame(expected, e);
}

TEST(EffectIni, GeneralSectionIsThePlainSection) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.File("g.ini"));
    TAAEffect e;
    e.SetAlpha(7);
    {
        QSettings ini(path, QSettings::IniFormat);
        e.SaveToIniSection(ini, QStringLiteral("General"));
    }
    const std::string text = ReadFileBytes(path.toStdString());
    EXPECT_EQ(text.rfind("[General]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nAlpha=7\n"), std::string::npos);
}

TEST(EffectIni, SaveThatCannotWriteIsReported) {
    TempDir dir;
    WriteText(dir.File("file"), "x");
    // A regular file in place of a folder cannot be written through, not even by root.
    QSettings ini(QString::fromStdString(dir.File("file/fx.ini")), QSettings::IniFormat);
    TAAEffect e;
    EXPECT_THROW(e.SaveToIniSection(ini, QStringLiteral("S")), Exception);
}
