#pragma once
// Parameter groups that belong to an anti-aliased control: the display settings base of the
// label's effect group, and two groups that forward to standard properties of the control.
#include "AAParams/Params.h"

// The control side of TDragParam and TParentEffect: the control's own properties of these
// names, with their own side effects. The anti-aliased graphic control implements it.
class TParamHost {
  public:
    virtual TDragKind DragKind() const = 0;
    virtual void SetDragKind(TDragKind Value) = 0;
    virtual TCursor DragCursor() const = 0;
    virtual void SetDragCursor(TCursor Value) = 0;
    virtual TDragMode DragMode() const = 0;
    virtual void SetDragMode(TDragMode Value) = 0;
    virtual bool ParentColor() const = 0;
    virtual void SetParentColor(bool Value) = 0;
    virtual bool ParentFont() const = 0;
    virtual void SetParentFont(bool Value) = 0;
    virtual bool ParentShowHint() const = 0;
    virtual void SetParentShowHint(bool Value) = 0;

  protected:
    ~TParamHost() = default;
};

// Display settings of an anti-aliased control: text alignment and layout, transparency and a
// background picture with its mode. Control is the control it belongs to (not owned).
class TCustomParam : public TNotifyClass {
  public:
    static constexpr TAlignment DefaultAlignment = taLeftJustify;
    static constexpr bool DefaultTransparent = false;
    static constexpr TTextLayout DefaultLayout = tlTop;
    static constexpr TBackGroundMode DefaultBackGroundMode = bmCenter;

    TCustomParam(TParamHost* Control, TNotifyEvent OnChanged);
    // Copies the values of another group but stays with its own control: a copy must never
    // start acting on the source's control.
    void Assign(const TPersistent* Source) override;

    TParamHost* Control() const { return FControl; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    // The owned background; any change of it (also through SetBackGround) calls Changed.
    TPicture& BackGround() { return FBackGround; }
    const TPicture& BackGround() const { return FBackGround; }
    void SetBackGround(const TPicture& Value);
    TBackGroundMode BackGroundMode() const { return FBackGroundMode; }
    void SetBackGroundMode(TBackGroundMode Value);
    // True when the background holds no graphic or an empty one.
    bool IsBackGroundEmpty() const;

  protected:
    TAlignment FAlignment = DefaultAlignment;
    bool FTransparent = DefaultTransparent;
    TTextLayout FLayout = DefaultLayout;
    TParamHost* FControl;
    TPicture FBackGround;
    TBackGroundMode FBackGroundMode = DefaultBackGroundMode;
};

// A property group whose values live in its control. Without a control the getters give the
// declared defaults and the setters have nowhere to store.
class TControlParam : public TPersistent {
  public:
    explicit TControlParam(TParamHost* Control = nullptr) : FControl(Control) {}
    void Assign(const TPersistent* Source) override;

    TParamHost* Control() const { return FControl; }

  protected:
    // Copies the source's values into this group's control.
    virtual void AssignValues(const TControlParam&) {}

    TParamHost* FControl;
};

class TDragParam : public TControlParam {
  public:
    static constexpr TDragKind DefaultDragKind = dkDrag;
    static constexpr TCursor DefaultDragCursor = crDrag;
    static constexpr TDragMode DefaultDragMode = dmManual;

    using TControlParam::TControlParam;

    TDragKind DragKind() const;
    void SetDragKind(TDragKind Value);
    TCursor DragCursor() const;
    void SetDragCursor(TCursor Value);
    TDragMode DragMode() const;
    void SetDragMode(TDragMode Value);

  protected:
    void AssignValues(const TControlParam& Source) override;
};

class TParentEffect : public TControlParam {
  public:
    static constexpr bool DefaultParentColor = true;
    static constexpr bool DefaultParentFont = true;
    static constexpr bool DefaultParentShowHint = true;

    using TControlParam::TControlParam;

    bool ParentColor() const;
    void SetParentColor(bool Value);
    bool ParentFont() const;
    void SetParentFont(bool Value);
    bool ParentShowHint() const;
    void SetParentShowHint(bool Value);

  protected:
    void AssignValues(const TControlParam& Source) override;
};
