#include "AAText/Effect.h"

#include "Rtl/Exceptions.h"

#include <QSettings>
#include <limits>

namespace {

// An integer as the settings file holds it: decimal with an optional sign, or hexadecimal
// after "0x" or "$". Anything else, or a number that does not fit 32 bits (signed or
// unsigned), gives the default.
qint64 ReadInteger(const QSettings& ini, const QString& key, qint64 def) {
    const QVariant raw = ini.value(key);
    if (!raw.isValid())
        return def;
    QString text = raw.toString().trimmed();
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.startsWith(u'-');
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        text.remove(0, 2);
    } else if (text.startsWith(u'$')) {
        base = 16;
        text.remove(0, 1);
    }
    if (text.isEmpty() || !text.at(0).isLetterOrNumber())
        return def;
    bool ok = false;
    const qulonglong magnitude = text.toULongLong(&ok, base);
    if (!ok)
        return def;
    if (negative) {
        if (magnitude > 0x80000000ULL)
            return def;
        return -static_cast<qint64>(magnitude);
    }
    if (magnitude > std::numeric_limits<quint32>::max())
        return def;
    return static_cast<qint64>(magnitude);
}

// A boolean: a number (non-zero is true) or the words true and false.
bool ReadBool(const QSettings& ini, const QString& key, bool def) {
    const QVariant raw = ini.value(key);
    if (!raw.isValid())
        return def;
    const QString text = raw.toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return ReadInteger(ini, key, def ? 1 : 0) != 0;
}

void WriteBool(QSettings& ini, const QString& key, bool value) {
    ini.setValue(key, value ? 1 : 0);
}

// Field widths: a value read is kept to the bits its field holds.
std::uint8_t LowByte(qint64 v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
std::int8_t SignedByte(qint64 v) {
    return static_cast<std::int8_t>(LowByte(v));
}
std::int16_t SignedWord(qint64 v) {
    return static_cast<std::int16_t>(v & 0xFFFF);
}
TColor Color32(qint64 v) {
    return static_cast<TColor>(static_cast<quint32>(v & 0xFFFFFFFF));
}
qint64 ColorValue(TColor c) {
    return c;
}

// The section's keys live in a group of that name. QSettings keeps its own top-level keys in
// [General], so that section is the top level rather than a group named "General".
class SectionScope {
  public:
    SectionScope(QSettings& ini, const QString& section) : ini_(ini) {
        grouped_ = section.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0;
        if (grouped_)
            ini_.beginGroup(section);
    }
    ~SectionScope() {
        if (grouped_)
            ini_.endGroup();
    }
    SectionScope(const SectionScope&) = delete;
    SectionScope& operator=(const SectionScope&) = delete;

  private:
    QSettings& ini_;
    bool grouped_;
};

} // namespace

TAAEffect::TAAEffect(TNotifyEvent OnChanged)
    : TNotifyClass(std::move(OnChanged)), FShadow([this](TPersistent* s) { ChildChanged(s); }),
      FGradual([this](TPersistent* s) { ChildChanged(s); }),
      FTexture([this](TPersistent* s) { ChildChanged(s); }) {}

void TAAEffect::Assign(const TPersistent* Source) {
    TNotifyClass::Assign(Source);
    if (auto* source = dynamic_cast<const TAAEffect*>(Source)) {
        FAlpha = source->FAlpha;
        FBlur = source->FBlur;
        FNoise = source->FNoise;
        FOutline = source->FOutline;
        FHorzMirror = source->FHorzMirror;
        FVertMirror = source->FVertMirror;
        FSpray = source->FSpray;
        FAngle = source->FAngle;
        FShadow.Assign(&source->FShadow);
        FGradual.Assign(&source->FGradual);
        FTexture.Assign(&source->FTexture);
    }
}

void TAAEffect::SetShadow(const TAAShadow& Value) {
    FShadow.Assign(&Value);
    Changed();
}

void TAAEffect::SetGradual(const TAAGradual& Value) {
    FGradual.Assign(&Value);
    Changed();
}

void TAAEffect::SetTexture(const TAATexture& Value) {
    FTexture.Assign(&Value);
    Changed();
}

void TAAEffect::SetAlpha(TAlpha Value) {
    SetField(FAlpha, Value);
}
void TAAEffect::SetBlur(TBlurStrength Value) {
    SetField(FBlur, Value);
}
void TAAEffect::SetAngle(TAngle Value) {
    SetField(FAngle, Value);
}
void TAAEffect::SetNoise(std::uint8_t Value) {
    SetField(FNoise, Value);
}
void TAAEffect::SetSpray(TSprayRange Value) {
    SetField(FSpray, Value);
}
void TAAEffect::SetOutline(bool Value) {
    SetField(FOutline, Value);
}
void TAAEffect::SetHorzMirror(bool Value) {
    SetField(FHorzMirror, Value);
}
void TAAEffect::SetVertMirror(bool Value) {
    SetField(FVertMirror, Value);
}

void TAAEffect::LoadFromIniSection(QSettings& Ini, const QString& Section) {
    SectionScope scope(Ini, Section);
    FAlpha = LowByte(ReadInteger(Ini, QStringLiteral("Alpha"), FAlpha));
    FBlur = LowByte(ReadInteger(Ini, QStringLiteral("Blur"), FBlur));
    FNoise = LowByte(ReadInteger(Ini, QStringLiteral("Noise"), FNoise));
    FSpray = LowByte(ReadInteger(Ini, QStringLiteral("Spray"), FSpray));
    FAngle = SignedWord(ReadInteger(Ini, QStringLiteral("Angle"), FAngle));
    FOutline = ReadBool(Ini, QStringLiteral("Outline"), FOutline);
    FHorzMirror = ReadBool(Ini, QStringLiteral("HorzMirror"), FHorzMirror);
    FVertMirror = ReadBool(Ini, QStringLiteral("VertMirror"), FVertMirror);

    FShadow.FEnabled = ReadBool(Ini, QStringLiteral("Shadow"), FShadow.FEnabled);
    FShadow.FAlpha = LowByte(ReadInteger(Ini, QStringLiteral("ShadowAlpha"), FShadow.FAlpha));
    FShadow.FBlur = LowByte(ReadInteger(Ini, QStringLiteral("ShadowBlur"), FShadow.FBlur));
    FShadow.FColor =
        Color32(ReadInteger(Ini, QStringLiteral("ShadowColor"), ColorValue(FShadow.FColor)));
    FShadow.FOffsetX =
        SignedByte(ReadInteger(Ini, QStringLiteral("ShadowOffsetX"), FShadow.FOffsetX));
    FShadow.FOffsetY =
        SignedByte(ReadInteger(Ini, QStringLiteral("ShadowOffsetY"), FShadow.FOffsetY));

    FGradual.FEnabled = ReadBool(Ini, QStringLiteral("Gradual"), FGradual.FEnabled);
    FGradual.FStartColor = Color32(
        ReadInteger(Ini, QStringLiteral("GradualStartColor"), ColorValue(FGradual.FStartColor)));
    FGradual.FEndColor = Color32(
        ReadInteger(Ini, QStringLiteral("GradualEndColor"), ColorValue(FGradual.FEndColor)));
    // An ordinal outside the enumeration (negative ones too) falls back to the first value, so
    // the renderer never sees a style it does not know.
    const qint64 style = ReadInteger(Ini, QStringLiteral("GradualStyle"), FGradual.FStyle);
    FGradual.FStyle = style >= gsLeftToRight && style <= gsCenterToTB
                          ? static_cast<TGradualStyle>(style)
                          : gsLeftToRight;

    FTexture.FEnabled = ReadBool(Ini, QStringLiteral("Texture"), FTexture.FEnabled);
    const qint64 mode = ReadInteger(Ini, QStringLiteral("TextureMode"), FTexture.FMode);
    FTexture.FMode =
        mode >= tmTiled && mode <= tmNormal ? static_cast<TTextureMode>(mode) : tmTiled;
}

void TAAEffect::SaveToIniSection(QSettings& Ini, const QString& Section) const {
    {
        SectionScope scope(Ini, Section);
        Ini.setValue(QStringLiteral("Alpha"), unsigned{FAlpha});
        Ini.setValue(QStringLiteral("Blur"), unsigned{FBlur});
        Ini.setValue(QStringLiteral("Noise"), unsigned{FNoise});
        Ini.setValue(QStringLiteral("Spray"), unsigned{FSpray});
        Ini.setValue(QStringLiteral("Angle"), int{FAngle});
        WriteBool(Ini, QStringLiteral("Outline"), FOutline);
        WriteBool(Ini, QStringLiteral("HorzMirror"), FHorzMirror);
        WriteBool(Ini, QStringLiteral("VertMirror"), FVertMirror);

        WriteBool(Ini, QStringLiteral("Shadow"), FShadow.Enabled());
        Ini.setValue(QStringLiteral("ShadowAlpha"), unsigned{FShadow.Alpha()});
        Ini.setValue(QStringLiteral("ShadowBlur"), unsigned{FShadow.Blur()});
        Ini.setValue(QStringLiteral("ShadowColor"), ColorValue(FShadow.Color()));
        Ini.setValue(QStringLiteral("ShadowOffsetX"), int{FShadow.OffsetX()});
        Ini.setValue(QStringLiteral("ShadowOffsetY"), int{FShadow.OffsetY()});

        WriteBool(Ini, QStringLiteral("Gradual"), FGradual.Enabled());
        Ini.setValue(QStringLiteral("GradualStartColor"), ColorValue(FGradual.StartColor()));
        Ini.setValue(QStringLiteral("GradualEndColor"), ColorValue(FGradual.EndColor()));
        Ini.setValue(QStringLiteral("GradualStyle"), unsigned{FGradual.Style()});

        WriteBool(Ini, QStringLiteral("Texture"), FTexture.Enabled());
        Ini.setValue(QStringLiteral("TextureMode"), unsigned{FTexture.Mode()});
    }
    // Written through at once, so that a store that cannot be written is reported here.
    Ini.sync();
    if (Ini.status() == QSettings::AccessError)
        throw Exception(QStringLiteral("Unable to write to %1").arg(Ini.fileName()));
}
