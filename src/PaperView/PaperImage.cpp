#include "PaperView/PaperImage.h"

#include "PaperView/DotCanvas.h"
#include "PaperView/GlyphImages.h"

#include <algorithm>
#include <cstdio>

namespace {

// One character at x (where its advance starts), standing on the baseline.
void DrawGlyph(TDotCanvas& c, const TTextStyle& s, const TGlyph& g, int x, int baseline) {
    const TGlyphBox box = GlyphBox(s, g);
    const int top = baseline - box.Height;
    if (s.Reverse)
        c.Fill(x, top, box.Advance, box.Height);
    const bool ink = !s.Reverse;
    if (g.Valid && g.Code == ' ') {
        // Nothing but the underline.
    } else {
        const TGlyphDots& dots = GlyphImages().Dots(g, s.Font, s.Emphasis || s.DoubleStrike);
        const int w = s.Rotated ? dots.Height : dots.Width;
        const int h = s.Rotated ? dots.Width : dots.Height;
        const int sx = std::max(1, box.Width / w), sy = std::max(1, box.Height / h);
        for (int py = 0; py < h; ++py) {
            const int slant = s.Italic ? (h - 1 - py) / 5 * sx : 0;
            for (int px = 0; px < w; ++px) {
                // Turned clockwise: the picture's (px, py) is the cell's (py, h' - 1 - px).
                const bool dot = s.Rotated ? dots.Dot(py, dots.Height - 1 - px) : dots.Dot(px, py);
                if (dot)
                    c.Fill(x + box.Left + px * sx + slant, top + py * sy, sx, sy, ink);
            }
        }
    }
    if (box.Underline && !s.Reverse)
        c.Fill(x, baseline - box.Underline, box.Advance, box.Underline);
}

void DrawImage(TDotCanvas& c, const TImageData& image, int top) {
    for (int y = 0; y < image.Height; ++y) {
        const int row = top + y * image.ScaleY;
        if (row + image.ScaleY <= c.Top() || row >= c.Bottom())
            continue;
        for (int x = 0; x < image.Width;) {
            if (!image.Dot(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < image.Width && image.Dot(x, y))
                ++x;
            c.Fill(image.X + start * image.ScaleX, row, (x - start) * image.ScaleX, image.ScaleY);
        }
    }
}

void DrawText(TDotCanvas& c, const TPrintedLine& line, int baseline) {
    for (const TTextRun& run : line.Runs) {
        int x = run.X;
        for (const TGlyph& g : run.Glyphs) {
            DrawGlyph(c, run.Style, g, x, baseline);
            x += GlyphBox(run.Style, g).Advance;
        }
    }
    for (const TImageData& image : line.Images)
        DrawImage(c, image, baseline - image.Height * image.ScaleY);
}

void DrawLine(TDotCanvas& c, const TPaperItem& item, const TPrintedLine& line) {
    if (!line.UpsideDown) {
        DrawText(c, line, item.Top + line.Ascent);
        return;
    }
    // Upside down: the line turned half round on its own band.
    const int extent = PrintedExtent(item);
    TDotCanvas band(c.Width(), item.Top, extent);
    DrawText(band, line, item.Top + line.Ascent);
    for (int y = 0; y < extent; ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (band.Get(x, item.Top + y))
                c.Set(c.Width() - 1 - x, item.Top + extent - 1 - y);
}

void DrawBarcodeText(TDotCanvas& c, const TBarcodeData& b, int top) {
    const TFontCell cell = FontCell(b.TextFont);
    std::vector<TGlyph> glyphs;
    for (const char ch : b.Symbol->Text)
        glyphs.push_back(TGlyph{static_cast<unsigned char>(ch), 1, ch >= 0x20 && ch < 0x7F});
    const int width = static_cast<int>(glyphs.size()) * cell.Width;
    int x = b.X + (b.Symbol->Columns * b.ModuleWidth - width) / 2;
    TTextStyle style;
    style.Font = b.TextFont;
    for (const TGlyph& g : glyphs) {
        DrawGlyph(c, style, g, x, top + cell.Height);
        x += cell.Width;
    }
}

void DrawBarcode(TDotCanvas& c, const TPaperItem& item, const TBarcodeData& b) {
    const TSymbol& s = *b.Symbol;
    const bool text = !s.Text.empty();
    const int textHeight = FontCell(b.TextFont).Height + BarcodeTextGap;
    int y = item.Top;
    if (text && (b.TextPosition == 1 || b.TextPosition == 3)) {
        DrawBarcodeText(c, b, y);
        y += textHeight;
    }
    const int rows = std::max(1, s.Rows);
    for (int r = 0; r < s.Rows; ++r) {
        const int top = y + b.Height * r / rows, bottom = y + b.Height * (r + 1) / rows;
        for (int x = 0; x < s.Columns; ++x)
            if (s.Dark(x, r))
                c.Fill(b.X + x * b.ModuleWidth, top, b.ModuleWidth, bottom - top);
    }
    y += b.Height;
    if (text && (b.TextPosition == 2 || b.TextPosition == 3))
        DrawBarcodeText(c, b, y + BarcodeTextGap);
}

void DrawQr(TDotCanvas& c, const TPaperItem& item, const TQrData& q) {
    const TSymbol& s = *q.Symbol;
    for (int y = 0; y < s.Rows; ++y)
        for (int x = 0; x < s.Columns; ++x)
            if (s.Dark(x, y))
                c.Fill(q.X + x * q.ModuleSize, item.Top + y * q.ModuleSize, q.ModuleSize,
                       q.ModuleSize);
}

// A dashed line across the page; a partial cut leaves the middle uncut.
void DrawCut(TDotCanvas& c, const TPaperItem& item, const TCutMark& cut) {
    const int middle = c.Width() / 2;
    for (int x = 0; x < c.Width(); x += 10) {
        if (cut.Partial && x + 6 > middle - 16 && x < middle + 16)
            continue;
        c.Fill(x, item.Top, 6, 1);
    }
}

void DrawItem(TDotCanvas& c, const TPaperItem& item) {
    if (item.Top >= c.Bottom() || item.Top + PrintedExtent(item) <= c.Top())
        return;
    if (const auto* line = std::get_if<TPrintedLine>(&item.Data))
        DrawLine(c, item, *line);
    else if (const auto* image = std::get_if<TImageData>(&item.Data))
        DrawImage(c, *image, item.Top);
    else if (const auto* barcode = std::get_if<TBarcodeData>(&item.Data);
             barcode && barcode->Symbol)
        DrawBarcode(c, item, *barcode);
    else if (const auto* qr = std::get_if<TQrData>(&item.Data); qr && qr->Symbol)
        DrawQr(c, item, *qr);
    else if (const auto* cut = std::get_if<TCutMark>(&item.Data))
        DrawCut(c, item, *cut);
}

} // namespace

QImage DrawSheet(const TPaperSheet& sheet, int widthDots, const TStopCheck& stop) {
    TDotCanvas canvas(widthDots, sheet.Top, std::max(1, sheet.Length));
    std::size_t drawn = 0;
    for (const TPaperItem& item : sheet.Items) {
        if (stop && ++drawn % 64 == 0 && stop())
            return {};
        DrawItem(canvas, item);
    }
    if (stop && stop())
        return {};
    return canvas.Take();
}

QImage DrawReceipt(std::string_view bytes, const TReceiptSetup& setup) {
    const TCodePage codePage(setup.CodePage);
    TPaper paper(codePage, setup.WidthDots, setup.ChineseMode);
    TPaperRoll roll;
    // Only the first sheet is drawn.
    bool more = false;
    TPaperSheet first;
    roll.SetOnSheet([&](const TPaperSheet& sheet) {
        if (!more)
            first = sheet;
        more = true;
    });
    paper.AddObserver(roll);
    TPrinter printer(setup.Set, paper);
    printer.Feed(bytes);
    printer.Finish();
    return DrawSheet(more ? first : roll.Sheet(), setup.WidthDots);
}

bool SavePicture(const QImage& image, const QString& path) {
    if (!image.isNull() && image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "vemix-printer: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
}
