#pragma once
// The effect set of the anti-aliased text renderer: opacity, blur, rotation, noise, spray,
// outline and mirrors, with an owned shadow, gradient and texture. A change of an enabled child
// reaches this object's owner as a change of the effect.
#include "AAParams/Params.h"

#include <QMetaEnum>
#include <QString>
#include <span>

class QSettings;

// Which object of an effect set holds a field.
enum class TEffectPart : std::uint8_t { Effect, Shadow, Gradual, Texture };

// How a field is stored and what a value read from a settings file becomes: an integer keeps
// the bits of its field's width, a boolean reads numbers and true/false, and an enumeration
// outside its declared values becomes its first value.
enum class TFieldType : std::uint8_t { Byte, ShortInt, SmallInt, Bool, Color, Enumeration };

// One field of the effect set: its settings key, where it lives and its type. The table of
// them drives copying, loading and saving, so a new field is one row plus its renderer.
struct TEffectField {
    const char* Key;
    TEffectPart Part;
    TFieldType Type;
    QMetaEnum Enum; // the declared values of an enumeration
    void* (*At)(TNotifyClass& part);
};

class TAAEffect : public TNotifyClass {
  public:
    static constexpr TAlpha DefaultAlpha = 100;
    static constexpr TBlurStrength DefaultBlur = 0;
    static constexpr TAngle DefaultAngle = 0;
    static constexpr std::uint8_t DefaultNoise = 0;
    static constexpr TSprayRange DefaultSpray = 0;

    explicit TAAEffect(TNotifyEvent OnChanged = {});
    void Assign(const TPersistent* Source) override;

    // Every field of the effect and its children, in the order they are written.
    static std::span<const TEffectField> Fields();
    // Copies the fields of one part (not the texture's picture) without notifying.
    static void CopyFields(TEffectPart Part, TNotifyClass& Dest, const TNotifyClass& Source);

    // Reads every value of the effect and of its shadow, gradient and texture (not the
    // texture's picture) from one section. An absent key leaves its field as it is; loading
    // notifies nothing.
    virtual void LoadFromIniSection(QSettings& Ini, const QString& Section);
    // Writes the same twenty keys in the same order.
    virtual void SaveToIniSection(QSettings& Ini, const QString& Section) const;

    // The owned children. Their setters copy the given object and always notify once.
    TAAShadow& Shadow() { return FShadow; }
    const TAAShadow& Shadow() const { return FShadow; }
    void SetShadow(const TAAShadow& Value);
    TAAGradual& Gradual() { return FGradual; }
    const TAAGradual& Gradual() const { return FGradual; }
    void SetGradual(const TAAGradual& Value);
    TAATexture& Texture() { return FTexture; }
    const TAATexture& Texture() const { return FTexture; }
    void SetTexture(const TAATexture& Value);

    TAlpha Alpha() const { return FAlpha; }
    void SetAlpha(TAlpha Value);
    TBlurStrength Blur() const { return FBlur; }
    void SetBlur(TBlurStrength Value);
    TAngle Angle() const { return FAngle; }
    void SetAngle(TAngle Value);
    std::uint8_t Noise() const { return FNoise; }
    void SetNoise(std::uint8_t Value);
    TSprayRange Spray() const { return FSpray; }
    void SetSpray(TSprayRange Value);
    bool Outline() const { return FOutline; }
    void SetOutline(bool Value);
    bool HorzMirror() const { return FHorzMirror; }
    void SetHorzMirror(bool Value);
    bool VertMirror() const { return FVertMirror; }
    void SetVertMirror(bool Value);

  private:
    TNotifyClass& PartOf(TEffectPart Part);

    TAAShadow FShadow;
    TAAGradual FGradual;
    TAATexture FTexture;
    TAlpha FAlpha = DefaultAlpha;
    TBlurStrength FBlur = DefaultBlur;
    TAngle FAngle = DefaultAngle;
    std::uint8_t FNoise = DefaultNoise;
    TSprayRange FSpray = DefaultSpray;
    bool FOutline = false;
    bool FHorzMirror = false;
    bool FVertMirror = false;
};
