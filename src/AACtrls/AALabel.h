#pragma once
// The anti-aliased label: its caption in its font with the text effects, alignment, layout,
// background and transparency of its Effect. An opaque label renders its face once per change
// into a 24-bit buffer and every paint copies that buffer; a transparent label renders straight
// over its parent at every paint.
#include "AAText/GraphicControl.h"
#include "Graphics/Bitmap.h"

#include <memory>

class TAALabel;

// The label's display settings. Quality, FontEffect and BackColor are not held here: they are
// the renderer's quality and effect set and the control's colour.
class TAAFontEffect : public TCustomParam {
  public:
    static constexpr TAAQuality DefaultQuality = aqNormal;

    TAAFontEffect(TAAGraphicControl* Control, TNotifyEvent OnChanged);
    // The display values, and Quality, FontEffect and BackColor from the source's control.
    void Assign(const TPersistent* Source) override;

    TAAQuality Quality() const;
    void SetQuality(TAAQuality Value);
    // The renderer's effect set; setting copies the given one.
    TAAEffect* FontEffect() const;
    void SetFontEffect(const TAAEffect& Value);
    TColor BackColor() const;
    void SetBackColor(TColor Value);
    // A form description stores BackColor only when the control has a colour of its own.
    bool IsBackColorStored() const;

  private:
    TAAGraphicControl* FGraphic;
};

class TAALabel : public TAAGraphicControl {
    Q_OBJECT
    // What a form description sets by name; enumerations by their names.
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Border READ Border WRITE SetBorder)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(Controls::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(Controls::TTextLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(AATypes::TAAQuality Quality READ Quality WRITE SetQuality)
    Q_PROPERTY(AATypes::TBackGroundMode BackGroundMode READ BackGroundMode WRITE SetBackGroundMode)
    Q_PROPERTY(QColor BackColor READ BackQColor WRITE SetBackQColor)

  public:
    static constexpr int DefaultWidth = 46;
    static constexpr int DefaultHeight = 12;

    explicit TAALabel(QWidget* parent = nullptr);
    ~TAALabel() override;

    TAAFontEffect* Effect() { return &FEffect; }
    // Copies the given settings; the given object stays the caller's.
    void SetEffect(const TAAFontEffect& Value) { FEffect.Assign(&Value); }
    // The rendered face of an opaque label.
    const TBitmap& Buffer() const { return *FBuffer; }

    // Renders the opaque face into Buffer at Ratio device pixels per unit (the screen's).
    void DrawBuffer(double Ratio = 1);
    // The device pixel ratio Buffer was rendered for.
    double BufferRatio() const { return FBufferRatio; }
    // Renders the text straight onto Canvas, over the parent's pixels.
    void DrawTransparent();

  protected:
    void PaintCanvas() override;
    void Reset() override;

  private:
    struct TPlacement {
        int X = 0;
        int Y = 0;
    };
    // Measures the caption on the renderer's surface, sizes the control when AutoSize asks
    // for it and places the text by Alignment, Layout and Border.
    TPlacement PlaceText();

    bool Transparent() const { return FEffect.Transparent(); }
    void SetTransparent(bool Value) { FEffect.SetTransparent(Value); }
    TAlignment Alignment() const { return FEffect.Alignment(); }
    void SetAlignment(TAlignment Value) { FEffect.SetAlignment(Value); }
    TTextLayout Layout() const { return FEffect.Layout(); }
    void SetLayout(TTextLayout Value) { FEffect.SetLayout(Value); }
    TAAQuality Quality() const { return FEffect.Quality(); }
    void SetQuality(TAAQuality Value) { FEffect.SetQuality(Value); }
    TBackGroundMode BackGroundMode() const { return FEffect.BackGroundMode(); }
    void SetBackGroundMode(TBackGroundMode Value) { FEffect.SetBackGroundMode(Value); }
    QColor BackQColor() const { return ToQColor(ColorToRGB(FEffect.BackColor())); }
    void SetBackQColor(const QColor& Value) { FEffect.SetBackColor(FromQColor(Value)); }

    std::unique_ptr<TBitmap> FBuffer;
    double FBufferRatio = 1;
    TAAFontEffect FEffect;
};
