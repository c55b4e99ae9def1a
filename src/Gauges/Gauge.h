#pragma once
// The progress gauge: a percentage text, a horizontal or vertical bar, a pie or a needle dial.
// Every paint builds the picture in an off-screen bitmap and puts it on screen in one copy; the
// percentage text is combined by exclusive-or, so it shows in the inverse of what lies beneath.
#include "Forms/ControlTypes.h"
#include "Forms/FormLoading.h"
#include "Graphics/Bitmap.h"
#include "Graphics/Colors.h"
#include <QColor>
#include <QImage>
#include <QObject>
#include <QWidget>
#include <cstdint>

namespace Gauges {
Q_NAMESPACE
// The framework's border style of a framed control.
enum TBorderStyle : std::uint8_t { bsNone, bsSingle };
Q_ENUM_NS(TBorderStyle)
enum TGaugeKind : std::uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
Q_ENUM_NS(TGaugeKind)
} // namespace Gauges

#ifndef Q_MOC_RUN
using Gauges::TGaugeKind;
using enum Gauges::TGaugeKind;
#endif

// Extent x Percent x 0.01, truncated toward zero.
int ScaleByPercent(int Percent, int Extent);
// Part x 100 / Whole, truncated toward zero; 0 when Whole is 0.
int RatioToPercent(std::int64_t Part, std::int64_t Whole);

// The intermediate bitmaps of a gauge paint (32-bit RGB).
class TBltBitmap : public TBitmap {
  public:
    TBltBitmap() : TBitmap(0, 0, pfDevice) {}
    // Take the size of the template and fill the whole bitmap with the window frame colour.
    void MakeLike(const TBitmap& Template);
};

class TGauge : public QWidget {
    Q_OBJECT
    // What a form description sets by name; colours as QColor, enumerations by their names.
    Q_PROPERTY(QColor BackColor READ BackQColor WRITE SetBackColor)
    Q_PROPERTY(Gauges::TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QColor Color READ ColorQColor WRITE SetColor)
    Q_PROPERTY(QColor ForeColor READ ForeQColor WRITE SetForeColor)
    Q_PROPERTY(Gauges::TGaugeKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)
    Q_PROPERTY(bool ShowText READ ShowText WRITE SetShowText)
    Q_PROPERTY(int CurrentPercent READ CurrentPercent)

  public:
    explicit TGauge(QWidget* parent = nullptr);
    ~TGauge() override;

    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value);
    void SetBackColor(const QColor& value) { SetBackColor(FromQColor(value)); }
    Gauges::TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(Gauges::TBorderStyle value);
    // The control's own colour: the background of the pie and the needle.
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    void SetColor(const QColor& value) { SetColor(FromQColor(value)); }
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor value);
    void SetForeColor(const QColor& value) { SetForeColor(FromQColor(value)); }
    TGaugeKind Kind() const { return FKind; }
    void SetKind(TGaugeKind value);
    int MinValue() const { return FMinValue; }
    // Raises EInvalidOperation for a value above MaxValue, unless the gauge is loading.
    void SetMinValue(int value);
    int MaxValue() const { return FMaxValue; }
    // Raises EInvalidOperation for a value below MinValue, unless the gauge is loading.
    void SetMaxValue(int value);
    int Progress() const { return FCurValue; }
    // Clamped into MinValue .. MaxValue; repaints only when the whole percentage changes.
    void SetProgress(int value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool value);
    int CurrentPercent() const;

    // While loading from a form description, MinValue and MaxValue are taken without a check.
    bool Loading() const { return FLoading; }
    void SetLoading(bool value) { FLoading = value; }

    // Every gauge constructed during the life of a FormLoading is loading until it ends:
    //   { TGauge::FormLoading loading; ui.setupUi(this); }
    using FormLoading = TFormLoading;

    // The picture one paint puts on screen (Width x Height, 32-bit RGB).
    QImage PaintFrame() const;
    // The same for a screen of ratio device pixels per unit: the picture covers the control's
    // box in device pixels and the percentage text is set at device pixels.
    QImage PaintFrame(double ratio) const;
    // Number of paints that reached the screen; lets tests count repaints.
    int PaintCount() const { return FPaintCount; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct TPaintRect {
        int Left, Top, Right, Bottom;
    };

    void Changed();
    // The whole bitmap black, copy mode back to a plain copy.
    void FillBlack(TBitmap& bitmap) const;
    void DrawPlain(TCanvas& canvas, const TPaintRect& r) const;
    void DrawBar(TCanvas& canvas, const TPaintRect& r) const;
    void DrawPie(TCanvas& canvas, const TPaintRect& r) const;
    void DrawNeedle(TCanvas& canvas, const TPaintRect& r) const;
    void DrawPercentText(TBitmap& image, const TPaintRect& r, double ratio) const;

    QColor BackQColor() const;
    QColor ColorQColor() const;
    QColor ForeQColor() const;

    int FMinValue = 0;
    int FMaxValue = 100;
    int FCurValue = 0;
    TGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    Gauges::TBorderStyle FBorderStyle = Gauges::bsSingle;
    TColor FForeColor = clBlack;
    TColor FBackColor = clWhite;
    TColor FColor = clBtnFace;
    bool FLoading = false;
    int FPaintCount = 0;
};
