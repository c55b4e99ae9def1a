#include "AAParams/Effect.h"

#include "Rtl/Exceptions.h"

#include <QSettings>
#include <cstring>
#include <limits>
#include <type_traits>

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

template <typename> struct MemberTraits;
template <typename P, typename T> struct MemberTraits<T P::*> { using Type = T; };

template <typename T> constexpr TFieldType FieldTypeOf() {
    if constexpr (std::is_enum_v<T>)
        return TFieldType::Enumeration;
    else if constexpr (std::is_same_v<T, bool>)
        return TFieldType::Bool;
    else if constexpr (std::is_same_v<T, std::uint8_t>)
        return TFieldType::Byte;
    else if constexpr (std::is_same_v<T, std::int8_t>)
        return TFieldType::ShortInt;
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return TFieldType::SmallInt;
    else {
        static_assert(std::is_same_v<T, TColor>, "a field type the settings file cannot hold");
        return TFieldType::Color;
    }
}

template <typename Owner> constexpr TEffectPart PartOfType() {
    if constexpr (std::is_same_v<Owner, TAAShadow>)
        return TEffectPart::Shadow;
    else if constexpr (std::is_same_v<Owner, TAAGradual>)
        return TEffectPart::Gradual;
    else if constexpr (std::is_same_v<Owner, TAATexture>)
        return TEffectPart::Texture;
    else
        return TEffectPart::Effect;
}

template <typename Owner, auto Member> void* FieldAt(TNotifyClass& part) {
    return &(static_cast<Owner&>(part).*Member);
}

// A row of the field table: the key and the member; type and part follow from the member.
template <typename Owner, auto Member> TEffectField Row(const char* key) {
    using T = typename MemberTraits<decltype(Member)>::Type;
    static_assert(!std::is_enum_v<T> || sizeof(T) == 1, "enumerations are stored in one byte");
    QMetaEnum meta;
    if constexpr (std::is_enum_v<T>)
        meta = QMetaEnum::fromType<T>();
    return TEffectField{key, PartOfType<Owner>(), FieldTypeOf<T>(), meta, &FieldAt<Owner, Member>};
}

std::size_t SizeOf(TFieldType type) {
    switch (type) {
    case TFieldType::Byte:
    case TFieldType::ShortInt:
    case TFieldType::Enumeration:
        return 1;
    case TFieldType::SmallInt:
        return 2;
    case TFieldType::Bool:
        return sizeof(bool);
    case TFieldType::Color:
        return sizeof(TColor);
    }
    return 0;
}

template <typename T> T& As(void* at) {
    return *static_cast<T*>(at);
}

void LoadField(const TEffectField& f, void* at, const QSettings& ini) {
    const QString key = QLatin1String(f.Key);
    switch (f.Type) {
    case TFieldType::Byte:
        As<std::uint8_t>(at) = LowByte(ReadInteger(ini, key, As<std::uint8_t>(at)));
        break;
    case TFieldType::ShortInt:
        As<std::int8_t>(at) = SignedByte(ReadInteger(ini, key, As<std::int8_t>(at)));
        break;
    case TFieldType::SmallInt:
        As<std::int16_t>(at) = SignedWord(ReadInteger(ini, key, As<std::int16_t>(at)));
        break;
    case TFieldType::Bool:
        As<bool>(at) = ReadBool(ini, key, As<bool>(at));
        break;
    case TFieldType::Color:
        As<TColor>(at) = Color32(ReadInteger(ini, key, ColorValue(As<TColor>(at))));
        break;
    case TFieldType::Enumeration: {
        // A value outside the enumeration (negative ones too) falls back to the first one, so
        // the renderer never sees a value it does not know.
        const qint64 v = ReadInteger(ini, key, As<std::uint8_t>(at));
        const bool known = v >= 0 && v <= 0xFF && f.Enum.valueToKey(int(v)) != nullptr;
        As<std::uint8_t>(at) = static_cast<std::uint8_t>(known ? v : f.Enum.value(0));
        break;
    }
    }
}

void SaveField(const TEffectField& f, const void* at, QSettings& ini) {
    const QString key = QLatin1String(f.Key);
    void* p = const_cast<void*>(at);
    switch (f.Type) {
    case TFieldType::Byte:
    case TFieldType::Enumeration:
        ini.setValue(key, unsigned{As<std::uint8_t>(p)});
        break;
    case TFieldType::ShortInt:
        ini.setValue(key, int{As<std::int8_t>(p)});
        break;
    case TFieldType::SmallInt:
        ini.setValue(key, int{As<std::int16_t>(p)});
        break;
    case TFieldType::Bool:
        WriteBool(ini, key, As<bool>(p));
        break;
    case TFieldType::Color:
        ini.setValue(key, ColorValue(As<TColor>(p)));
        break;
    }
}

} // namespace

TAAEffect::TAAEffect(TNotifyEvent OnChanged)
    : TNotifyClass(std::move(OnChanged)), FShadow([this](TPersistent* s) { ChildChanged(s); }),
      FGradual([this](TPersistent* s) { ChildChanged(s); }),
      FTexture([this](TPersistent* s) { ChildChanged(s); }) {}

std::span<const TEffectField> TAAEffect::Fields() {
    static const TEffectField table[] = {
        Row<TAAEffect, &TAAEffect::FAlpha>("Alpha"),
        Row<TAAEffect, &TAAEffect::FBlur>("Blur"),
        Row<TAAEffect, &TAAEffect::FNoise>("Noise"),
        Row<TAAEffect, &TAAEffect::FSpray>("Spray"),
        Row<TAAEffect, &TAAEffect::FAngle>("Angle"),
        Row<TAAEffect, &TAAEffect::FOutline>("Outline"),
        Row<TAAEffect, &TAAEffect::FHorzMirror>("HorzMirror"),
        Row<TAAEffect, &TAAEffect::FVertMirror>("VertMirror"),
        Row<TAAShadow, &TAAShadow::FEnabled>("Shadow"),
        Row<TAAShadow, &TAAShadow::FAlpha>("ShadowAlpha"),
        Row<TAAShadow, &TAAShadow::FBlur>("ShadowBlur"),
        Row<TAAShadow, &TAAShadow::FColor>("ShadowColor"),
        Row<TAAShadow, &TAAShadow::FOffsetX>("ShadowOffsetX"),
        Row<TAAShadow, &TAAShadow::FOffsetY>("ShadowOffsetY"),
        Row<TAAGradual, &TAAGradual::FEnabled>("Gradual"),
        Row<TAAGradual, &TAAGradual::FStartColor>("GradualStartColor"),
        Row<TAAGradual, &TAAGradual::FEndColor>("GradualEndColor"),
        Row<TAAGradual, &TAAGradual::FStyle>("GradualStyle"),
        Row<TAATexture, &TAATexture::FEnabled>("Texture"),
        Row<TAATexture, &TAATexture::FMode>("TextureMode"),
    };
    return table;
}

void TAAEffect::CopyFields(TEffectPart Part, TNotifyClass& Dest, const TNotifyClass& Source) {
    auto& source = const_cast<TNotifyClass&>(Source);
    for (const TEffectField& f : Fields())
        if (f.Part == Part)
            std::memcpy(f.At(Dest), f.At(source), SizeOf(f.Type));
}

TNotifyClass& TAAEffect::PartOf(TEffectPart Part) {
    switch (Part) {
    case TEffectPart::Shadow:
        return FShadow;
    case TEffectPart::Gradual:
        return FGradual;
    case TEffectPart::Texture:
        return FTexture;
    case TEffectPart::Effect:
        break;
    }
    return *this;
}

void TAAEffect::Assign(const TPersistent* Source) {
    TNotifyClass::Assign(Source);
    if (auto* source = dynamic_cast<const TAAEffect*>(Source)) {
        auto& from = const_cast<TAAEffect&>(*source);
        for (const TEffectField& f : Fields())
            std::memcpy(f.At(PartOf(f.Part)), f.At(from.PartOf(f.Part)), SizeOf(f.Type));
        FTexture.FPicture.Assign(&source->FTexture.FPicture); // reports as a picture change
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
    for (const TEffectField& f : Fields())
        LoadField(f, f.At(PartOf(f.Part)), Ini);
}

void TAAEffect::SaveToIniSection(QSettings& Ini, const QString& Section) const {
    {
        SectionScope scope(Ini, Section);
        auto& self = const_cast<TAAEffect&>(*this);
        for (const TEffectField& f : Fields())
            SaveField(f, f.At(self.PartOf(f.Part)), Ini);
    }
    // Written through at once, so that a store that cannot be written is reported here.
    Ini.sync();
    if (Ini.status() == QSettings::AccessError)
        throw Exception(QStringLiteral("Unable to write to %1").arg(Ini.fileName()));
}
