#pragma once
// Logical fonts: face, height, width, weight, italic and escapement, as a drawing surface
// selects them, plus the text colour the surface draws with.
#include "Graphics/Colors.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

using TFontStyles = std::uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

enum TFontQuality : std::uint8_t {
    fqDefault,
    fqDraft,
    fqProof,
    fqNonAntialiased,
    fqAntialiased,
    fqClearType
};

// Height < 0: character height (em) in pixels; > 0: cell height (ascent + descent); 0: the
// default size. Width 0 keeps the face's own proportions, otherwise it is the average
// character width in pixels. Escapement is in tenths of a degree, counter-clockwise.
struct TLogFont {
    int Height = 0;
    int Width = 0;
    int Escapement = 0;
    int Orientation = 0;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TFontQuality Quality = fqDefault;
    QString FaceName;
    bool operator==(const TLogFont&) const = default;
};

class TFont {
  public:
    static constexpr int PixelsPerInch = 96;
    static constexpr int DefaultHeight = -11;

    TFont();

    QString Name() const { return FLog.FaceName; }
    void SetName(const QString& name);
    int Height() const { return FLog.Height; }
    void SetHeight(int height);
    // Points at PixelsPerInch; setting it sets Height negative.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const;
    void SetStyle(TFontStyles style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TFontQuality Quality() const { return FLog.Quality; }
    void SetQuality(TFontQuality quality);

    // The logical description behind the font; setting it replaces all of it but the colour.
    const TLogFont& LogFont() const { return FLog; }
    void SetLogFont(const TLogFont& log);

    void Assign(const TFont& source);
    bool operator==(const TFont& other) const {
        return FLog == other.FLog && FColor == other.FColor;
    }

    // The Qt font that draws this logical font: pixel size resolved from Height, stretch from
    // Width. The escapement is not part of it (the surface rotates).
    QFont ToQFont() const;
    // Pixel size of the em square that Height selects.
    int PixelSize() const;
    // Advance width and cell height (ascent + descent) of a text, unrotated. The last text's
    // extent is remembered until the font changes.
    std::pair<int, int> Extent(const QString& text) const;

    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

  private:
    void Changed();

    TLogFont FLog;
    TColor FColor = clWindowText;
    std::function<void()> FOnChange;
    mutable std::optional<QFont> FCache;
    mutable std::optional<std::pair<QString, std::pair<int, int>>> FLastExtent;
};
