#pragma once
// A length of paper as one bit a dot (QImage::Format_Mono, 1 black), addressed in the roll's
// dots from Top; what falls outside is left out.
#include <QImage>

class TDotCanvas {
  public:
    TDotCanvas(int width, int top, int height);
    TDotCanvas(const TDotCanvas&) = delete;
    TDotCanvas& operator=(const TDotCanvas&) = delete;

    int Width() const { return FImage.width(); }
    int Top() const { return FTop; }
    int Bottom() const { return FTop + FImage.height(); }
    void Fill(int x, int y, int width, int height, bool black = true);
    void Set(int x, int y, bool black = true);
    bool Get(int x, int y) const;
    const QImage& Image() const { return FImage; }
    QImage Take() { return std::move(FImage); }

  private:
    uchar* Row(int row) { return FBits + row * FStride; }

    QImage FImage;
    int FTop;
    // The image's rows, taken once: scanLine() would ask whether to detach on every call.
    uchar* FBits;
    qsizetype FStride;
};
