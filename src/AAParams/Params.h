#pragma once
// Parameter objects of the anti-aliased text effects. Each setter compares, stores and reports
// the change through one callback (OnChanged) so that the owning control repaints; a shadow,
// gradient or texture that is switched off reports only its own switching.
#include "AAParams/ParamsTypes.h"
#include "Graphics/Colors.h"
#include "Graphics/Picture.h"

#include <functional>

// Change callback; Sender is the object that changed.
using TNotifyEvent = std::function<void(TPersistent* Sender)>;

class TNotifyClass : public TPersistent {
  public:
    explicit TNotifyClass(TNotifyEvent OnChanged = {});

    void Assign(const TPersistent* Source) override;
    // Calls OnChanged(this) when it is set.
    virtual void Changed();
    // Bound to the OnChanged of owned children: a child's change is a change of this object.
    virtual void ChildChanged(TPersistent* Sender);

    const TNotifyEvent& OnChanged() const { return FOnChanged; }
    void SetOnChanged(TNotifyEvent Value) { FOnChanged = std::move(Value); }

  protected:
    void Notify() {
        if (FOnChanged)
            FOnChanged(this);
    }
    // Compare, store, notify: the rule of every plain setter.
    template <typename T> void SetField(T& Field, T Value) {
        if (Field != Value) {
            Field = Value;
            Changed();
        }
    }

    TNotifyEvent FOnChanged;
};

// A parameter group that can be switched off: while off it keeps its values and reports
// nothing but the switching itself.
class TEnabledClass : public TNotifyClass {
  public:
    explicit TEnabledClass(TNotifyEvent OnChanged = {});

    void Assign(const TPersistent* Source) override;
    void Changed() override;

    bool Enabled() const { return FEnabled; }
    // Notifies in both directions, so switching off is still seen by the owner.
    virtual void SetEnabled(bool Value);

  protected:
    friend class TAAEffect; // its field table copies, loads and saves the switch
    bool FEnabled = false;
};

class TAAShadow : public TEnabledClass {
  public:
    static constexpr TBlurStrength DefaultBlur = 80;
    static constexpr TAlpha DefaultAlpha = 70;
    static constexpr TColor DefaultColor = 0x444444;
    static constexpr TOffset DefaultOffsetX = 2;
    static constexpr TOffset DefaultOffsetY = 2;

    explicit TAAShadow(TNotifyEvent OnChanged = {});
    void Assign(const TPersistent* Source) override;

    TBlurStrength Blur() const { return FBlur; }
    void SetBlur(TBlurStrength Value);
    TAlpha Alpha() const { return FAlpha; }
    void SetAlpha(TAlpha Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TOffset OffsetX() const { return FOffsetX; }
    void SetOffsetX(TOffset Value);
    TOffset OffsetY() const { return FOffsetY; }
    void SetOffsetY(TOffset Value);

  private:
    friend class TAAEffect; // loads its values without notifying
    TBlurStrength FBlur = DefaultBlur;
    TAlpha FAlpha = DefaultAlpha;
    TColor FColor = DefaultColor;
    TOffset FOffsetX = DefaultOffsetX;
    TOffset FOffsetY = DefaultOffsetY;
};

class TAAGradual : public TEnabledClass {
  public:
    static constexpr TGradualStyle DefaultStyle = gsLeftToRight;
    static constexpr TColor DefaultStartColor = 0xFFFFFF;
    static constexpr TColor DefaultEndColor = 0;

    explicit TAAGradual(TNotifyEvent OnChanged = {});
    void Assign(const TPersistent* Source) override;

    TGradualStyle Style() const { return FStyle; }
    void SetStyle(TGradualStyle Value);
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor Value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor Value);

  private:
    friend class TAAEffect;
    TGradualStyle FStyle = DefaultStyle;
    TColor FStartColor = DefaultStartColor;
    TColor FEndColor = DefaultEndColor;
};

class TAATexture : public TEnabledClass {
  public:
    static constexpr TTextureMode DefaultMode = tmTiled;

    explicit TAATexture(TNotifyEvent OnChanged = {});
    void Assign(const TPersistent* Source) override;

    TTextureMode Mode() const { return FMode; }
    void SetMode(TTextureMode Value);
    // The owned picture; any change of it (also through SetPicture) calls Changed.
    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }
    void SetPicture(const TPicture& Value);

  private:
    friend class TAAEffect;
    TTextureMode FMode = DefaultMode;
    TPicture FPicture;
};
