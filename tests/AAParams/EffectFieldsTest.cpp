// The effect set's field table drives copying, loading and saving: every field it lists must
// survive each of them, whatever part of the effect set holds it.
#include "AAParams/Effect.h"
#include "TempDir.h"

#include <QSettings>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

TNotifyClass& PartOf(TAAEffect& e, TEffectPart part) {
    switch (part) {
    case TEffectPart::Shadow:
        return e.Shadow();
    case TEffectPart::Gradual:
        return e.Gradual();
    case TEffectPart::Texture:
        return e.Texture();
    case TEffectPart::Effect:
        break;
    }
    return e;
}

// A value of the field's type that no field holds by default: the last enumerator, a negative
// number for the signed fields, a colour with the system-colour bit.
void SetOdd(const TEffectField& f, void* at) {
    switch (f.Type) {
    case TFieldType::Byte:
        *static_cast<std::uint8_t*>(at) = 0xAB;
        break;
    case TFieldType::ShortInt:
        *static_cast<std::int8_t*>(at) = -7;
        break;
    case TFieldType::SmallInt:
        *static_cast<std::int16_t*>(at) = -300;
        break;
    case TFieldType::Bool:
        *static_cast<bool*>(at) = !*static_cast<bool*>(at);
        break;
    case TFieldType::Color:
        *static_cast<TColor*>(at) = static_cast<TColor>(0x80123456u);
        break;
    case TFieldType::Enumeration:
        *static_cast<std::uint8_t*>(at) =
            static_cast<std::uint8_t>(f.Enum.value(f.Enum.keyCount() - 1));
        break;
    }
}

// The bytes of every field, in table order.
std::vector<std::string> Snapshot(TAAEffect& e) {
    std::vector<std::string> out;
    for (const TEffectField& f : TAAEffect::Fields()) {
        const auto* at = static_cast<const char*>(f.At(PartOf(e, f.Part)));
        const std::size_t size = f.Type == TFieldType::SmallInt ? 2
                                 : f.Type == TFieldType::Color  ? sizeof(TColor)
                                 : f.Type == TFieldType::Bool   ? sizeof(bool)
                                                                : 1;
        out.emplace_back(at, size);
    }
    return out;
}

} // namespace

TEST(EffectFields, TwentyKeysInWritingOrderEachOnce) {
    std::vector<std::string> keys;
    for (const TEffectField& f : TAAEffect::Fields())
        keys.emplace_back(f.Key);
    EXPECT_EQ(keys, (std::vector<std::string>{
                        "Alpha",           "Blur",          "Noise",      "Spray",
                        "Angle",           "Outline",       "HorzMirror", "VertMirror",
                        "Shadow",          "ShadowAlpha",   "ShadowBlur", "ShadowColor",
                        "ShadowOffsetX",   "ShadowOffsetY", "Gradual",    "GradualStartColor",
                        "GradualEndColor", "GradualStyle",  "Texture",    "TextureMode"}));
    for (const TEffectField& f : TAAEffect::Fields()) {
        if (f.Type == TFieldType::Enumeration) {
            EXPECT_TRUE(f.Enum.isValid() && f.Enum.keyCount() > 1) << f.Key;
        }
    }
}

TEST(EffectFields, EveryFieldIsCopiedLoadedAndSaved) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.File("fields.ini"));
    for (const TEffectField& f : TAAEffect::Fields()) {
        SCOPED_TRACE(f.Key);
        TAAEffect source;
        const std::vector<std::string> defaults = Snapshot(source);
        SetOdd(f, f.At(PartOf(source, f.Part)));
        const std::vector<std::string> changed = Snapshot(source);
        ASSERT_NE(changed, defaults);

        TAAEffect copy;
        copy.Assign(&source);
        EXPECT_EQ(Snapshot(copy), changed) << "copied by the effect set";

        // The part on its own copies its own fields too (the setters of the children).
        TAAEffect viaPart;
        switch (f.Part) {
        case TEffectPart::Shadow:
            viaPart.SetShadow(source.Shadow());
            break;
        case TEffectPart::Gradual:
            viaPart.SetGradual(source.Gradual());
            break;
        case TEffectPart::Texture:
            viaPart.SetTexture(source.Texture());
            break;
        case TEffectPart::Effect:
            viaPart.Assign(&source);
            break;
        }
        EXPECT_EQ(Snapshot(viaPart), changed) << "copied by its part";

        {
            QSettings ini(path, QSettings::IniFormat);
            ini.clear();
            source.SaveToIniSection(ini, QStringLiteral("F"));
        }
        int calls = 0;
        TAAEffect loaded([&](TPersistent*) { ++calls; });
        QSettings ini(path, QSettings::IniFormat);
        loaded.LoadFromIniSection(ini, QStringLiteral("F"));
        EXPECT_EQ(Snapshot(loaded), changed) << "saved and loaded";
        EXPECT_EQ(calls, 0);
    }
}

TEST(EffectFields, EnumerationOutsideItsValuesLoadsAsTheFirst) {
    TempDir dir;
    const std::string path = dir.File("enum.ini");
    // 259 would pass as gsBottomToTop if only its low byte were looked at.
    std::ofstream(path) << "[S]\nGradualStyle=259\nTextureMode=5\n";
    TAAEffect e;
    e.Gradual().SetStyle(gsCenterToTB);
    e.Texture().SetMode(tmCenter);
    QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
    e.LoadFromIniSection(ini, QStringLiteral("S"));
    EXPECT_EQ(e.Gradual().Style(), gsLeftToRight);
    EXPECT_EQ(e.Texture().Mode(), tmTiled);
}
