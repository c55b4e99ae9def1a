#pragma once
// The progress gauge: a percentage text, a horizontal or vertical bar, a pie or a needle dial.
// Every paint builds the picture in an off-screen bitmap and puts it on screen in one copy; the
// percentage text is combined by exclusive-or, so it shows in the inverse of what lies beneath.
#include "Forms/FormLoading.h"
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace Gauges {

// The framework's colour value: red in the lowest byte, then green and blue. A value whose
// high byte is 0x80 names a system colour (its low byte is the system colour index).
enum class TColor : std::uint32_t {};

inline constexpr TColor clBlack{0x000000};
inline constexpr TColor clRed{0x0000FF};
inline constexpr TColor clLime{0x00FF00};
inline constexpr TColor clBlue{0xFF0000};
inline constexpr TColor clWhite{0xFFFFFF};
inline constexpr TColor clWindow{0x80000005};
inline constexpr TColor clWindowFrame{0x80000006};
inline constexpr TColor clWindowText{0x80000008};
inline constexpr TColor clBtnFace{0x8000000F};

// Red, green and blue of a colour value, system colours resolved (opaque QRgb).
QRgb ColorToRGB(TColor color);
// The plain colour value of a Qt colour (alpha dropped).
TColor ColorFromQColor(const QColor& color);

// The framework's border style of a framed control.
enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

} // namespace Gauges

enum TGaugeKind : std::uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// Extent x Percent x 0.01, truncated toward zero.
int ScaleByPercent(int Percent, int Extent);
// Part x 100 / Whole, truncated toward zero; 0 when Whole is 0.
int RatioToPercent(std::int64_t Part, std::int64_t Whole);

// The intermediate bitmaps of a gauge paint (32-bit RGB).
class TBltBitmap : public QImage {
  public:
    // Take the size of the template and fill the whole bitmap with the window frame colour.
    void MakeLike(const QImage& Template);
};

class TGauge : public QWidget {
    Q_OBJECT
    // What a form description sets by name; colours as QColor, enumerations as ordinals.
    Q_PROPERTY(QColor BackColor READ BackQColor WRITE SetBackColor)
    Q_PROPERTY(int BorderStyle READ BorderStyleOrdinal WRITE SetBorderStyleOrdinal)
    Q_PROPERTY(QColor Color READ ColorQColor WRITE SetColor)
    Q_PROPERTY(QColor ForeColor READ ForeQColor WRITE SetForeColor)
    Q_PROPERTY(int Kind READ KindOrdinal WRITE SetKindOrdinal)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)
    Q_PROPERTY(bool ShowText READ ShowText WRITE SetShowText)
    Q_PROPERTY(int CurrentPercent READ CurrentPercent)

  public:
    explicit TGauge(QWidget* parent = nullptr);
    ~TGauge() override;

    Gauges::TColor BackColor() const { return FBackColor; }
    void SetBackColor(Gauges::TColor value);
    void SetBackColor(const QColor& value) { SetBackColor(Gauges::ColorFromQColor(value)); }
    Gauges::TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(Gauges::TBorderStyle value);
    // The control's own colour: the background of the pie and the needle.
    Gauges::TColor Color() const { return FColor; }
    void SetColor(Gauges::TColor value);
    void SetColor(const QColor& value) { SetColor(Gauges::ColorFromQColor(value)); }
    Gauges::TColor ForeColor() const { return FForeColor; }
    void SetForeColor(Gauges::TColor value);
    void SetForeColor(const QColor& value) { SetForeColor(Gauges::ColorFromQColor(value)); }
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
    void FillBlack(QImage& bitmap) const;
    void DrawPlain(QImage& image, const TPaintRect& r) const;
    void DrawBar(QImage& image, const TPaintRect& r) const;
    void DrawPie(QImage& image, const TPaintRect& r) const;
    void DrawNeedle(QImage& image, const TPaintRect& r) const;
    void DrawPercentText(QImage& image, const TPaintRect& r, double ratio) const;

    QColor BackQColor() const;
    QColor ColorQColor() const;
    QColor ForeQColor() const;
    int BorderStyleOrdinal() const { return FBorderStyle; }
    void SetBorderStyleOrdinal(int value);
    int KindOrdinal() const { return FKind; }
    void SetKindOrdinal(int value);

    int FMinValue = 0;
    int FMaxValue = 100;
    int FCurValue = 0;
    TGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    Gauges::TBorderStyle FBorderStyle = Gauges::bsSingle;
    Gauges::TColor FForeColor = Gauges::clBlack;
    Gauges::TColor FBackColor = Gauges::clWhite;
    Gauges::TColor FColor = Gauges::clBtnFace;
    bool FLoading = false;
    int FPaintCount = 0;
};
