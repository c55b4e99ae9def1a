#include "AAParams/Params.h"

#include "AAParams/Effect.h"

// ---- TNotifyClass

TNotifyClass::TNotifyClass(TNotifyEvent OnChanged) : FOnChanged(std::move(OnChanged)) {}

void TNotifyClass::Assign(const TPersistent* Source) {
    // Any notifying object is accepted; there is nothing of this level to copy.
    if (!dynamic_cast<const TNotifyClass*>(Source))
        TPersistent::Assign(Source);
}

void TNotifyClass::Changed() {
    Notify();
}

void TNotifyClass::ChildChanged(TPersistent*) {
    Changed();
}

// ---- TEnabledClass

TEnabledClass::TEnabledClass(TNotifyEvent OnChanged) : TNotifyClass(std::move(OnChanged)) {}

void TEnabledClass::Assign(const TPersistent* Source) {
    TNotifyClass::Assign(Source);
    if (auto* source = dynamic_cast<const TEnabledClass*>(Source))
        FEnabled = source->FEnabled;
}

void TEnabledClass::Changed() {
    if (FEnabled)
        Notify();
}

void TEnabledClass::SetEnabled(bool Value) {
    if (FEnabled != Value) {
        FEnabled = Value;
        Notify();
    }
}

// ---- TAAShadow

TAAShadow::TAAShadow(TNotifyEvent OnChanged) : TEnabledClass(std::move(OnChanged)) {}

void TAAShadow::Assign(const TPersistent* Source) {
    TEnabledClass::Assign(Source);
    if (auto* source = dynamic_cast<const TAAShadow*>(Source))
        TAAEffect::CopyFields(TEffectPart::Shadow, *this, *source);
}

void TAAShadow::SetBlur(TBlurStrength Value) {
    SetField(FBlur, Value);
}
void TAAShadow::SetAlpha(TAlpha Value) {
    SetField(FAlpha, Value);
}
void TAAShadow::SetColor(TColor Value) {
    SetField(FColor, Value);
}
void TAAShadow::SetOffsetX(TOffset Value) {
    SetField(FOffsetX, Value);
}
void TAAShadow::SetOffsetY(TOffset Value) {
    SetField(FOffsetY, Value);
}

// ---- TAAGradual

TAAGradual::TAAGradual(TNotifyEvent OnChanged) : TEnabledClass(std::move(OnChanged)) {}

void TAAGradual::Assign(const TPersistent* Source) {
    TEnabledClass::Assign(Source);
    if (auto* source = dynamic_cast<const TAAGradual*>(Source))
        TAAEffect::CopyFields(TEffectPart::Gradual, *this, *source);
}

void TAAGradual::SetStyle(TGradualStyle Value) {
    SetField(FStyle, Value);
}
void TAAGradual::SetStartColor(TColor Value) {
    SetField(FStartColor, Value);
}
void TAAGradual::SetEndColor(TColor Value) {
    SetField(FEndColor, Value);
}

// ---- TAATexture

TAATexture::TAATexture(TNotifyEvent OnChanged) : TEnabledClass(std::move(OnChanged)) {
    FPicture.SetOnChange([this](TPicture*) { Changed(); });
}

void TAATexture::Assign(const TPersistent* Source) {
    TEnabledClass::Assign(Source);
    if (auto* source = dynamic_cast<const TAATexture*>(Source)) {
        TAAEffect::CopyFields(TEffectPart::Texture, *this, *source);
        FPicture.Assign(&source->FPicture); // reports as a picture change
    }
}

void TAATexture::SetMode(TTextureMode Value) {
    SetField(FMode, Value);
}

void TAATexture::SetPicture(const TPicture& Value) {
    FPicture.Assign(&Value);
}
