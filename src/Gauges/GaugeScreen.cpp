// Puts the gauge's picture on screen: one plain copy, each pixel of the picture on one device
// pixel of the screen it is painted for.
#include "Gauges/Gauge.h"
#include "Graphics/Canvas.h"

#include <QPaintEvent>
#include <QPainter>

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TCanvas canvas(&painter);
    const QImage frame = PaintFrame(canvas.PixelRatio());
    if (frame.isNull())
        return;
    canvas.PutPixels(0, 0, frame);
    ++FPaintCount;
}
