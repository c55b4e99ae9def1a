#include "Graphics/Font.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

TFont::TFont() {
    FLog.FaceName = QStringLiteral("DejaVu Sans");
    FLog.Height = DefaultHeight;
}

void TFont::Changed() {
    FCache.reset();
    FLastExtent.reset();
    if (FOnChange)
        FOnChange();
}

void TFont::SetName(const QString& name) {
    if (FLog.FaceName == name)
        return;
    FLog.FaceName = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (FLog.Height == height)
        return;
    FLog.Height = height;
    Changed();
}

int TFont::Size() const {
    return -static_cast<int>(std::lround(FLog.Height * 72.0 / PixelsPerInch));
}

void TFont::SetSize(int points) {
    SetHeight(-static_cast<int>(std::lround(points * static_cast<double>(PixelsPerInch) / 72.0)));
}

TFontStyles TFont::Style() const {
    TFontStyles s = 0;
    if (FLog.Weight >= 600)
        s |= fsBold;
    if (FLog.Italic)
        s |= fsItalic;
    if (FLog.Underline)
        s |= fsUnderline;
    if (FLog.StrikeOut)
        s |= fsStrikeOut;
    return s;
}

void TFont::SetStyle(TFontStyles style) {
    if (Style() == style)
        return;
    FLog.Weight = (style & fsBold) ? 700 : 400;
    FLog.Italic = (style & fsItalic) != 0;
    FLog.Underline = (style & fsUnderline) != 0;
    FLog.StrikeOut = (style & fsStrikeOut) != 0;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (FColor == color)
        return;
    FColor = color;
    if (FOnChange)
        FOnChange();
}

void TFont::SetQuality(TFontQuality quality) {
    if (FLog.Quality == quality)
        return;
    FLog.Quality = quality;
    Changed();
}

void TFont::SetLogFont(const TLogFont& log) {
    if (FLog == log)
        return;
    FLog = log;
    Changed();
}

void TFont::Assign(const TFont& source) {
    if (this == &source)
        return;
    const bool changed = !(*this == source);
    FLog = source.FLog;
    FColor = source.FColor;
    if (changed)
        Changed();
}

namespace {

QFont BaseFont(const TLogFont& log, int pixelSize) {
    QFont f(log.FaceName);
    f.setPixelSize(std::max(1, pixelSize));
    f.setWeight(
        static_cast<QFont::Weight>(std::clamp(log.Weight == 0 ? 400 : log.Weight, 1, 1000)));
    f.setItalic(log.Italic);
    f.setUnderline(log.Underline);
    f.setStrikeOut(log.StrikeOut);
    f.setKerning(false);
    if (log.Quality == fqNonAntialiased || log.Quality == fqDraft)
        f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    else
        f.setStyleStrategy(QFont::NoSubpixelAntialias);
    return f;
}

} // namespace

int TFont::PixelSize() const {
    const int h = FLog.Height;
    if (h < 0)
        return -h;
    if (h == 0)
        return -DefaultHeight;
    // A cell height: scale the em so that ascent + descent comes to h.
    const QFontMetricsF m(BaseFont(FLog, h));
    const double cell = m.ascent() + m.descent();
    if (cell <= 0)
        return h;
    return std::max(1, static_cast<int>(std::lround(h * h / cell)));
}

QFont TFont::ToQFont() const {
    if (FCache)
        return *FCache;
    QFont f = BaseFont(FLog, PixelSize());
    if (FLog.Width > 0) {
        const double avg = QFontMetricsF(f).averageCharWidth();
        if (avg > 0)
            f.setStretch(
                std::clamp(static_cast<int>(std::lround(100.0 * FLog.Width / avg)), 1, 4000));
    }
    FCache = f;
    return f;
}

std::pair<int, int> TFont::Extent(const QString& text) const {
    if (FLastExtent && FLastExtent->first == text)
        return FLastExtent->second;
    const QFontMetrics m(ToQFont());
    const std::pair<int, int> extent{m.horizontalAdvance(text), m.ascent() + m.descent()};
    FLastExtent.emplace(text, extent);
    return extent;
}
