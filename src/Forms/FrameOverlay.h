#pragma once
// A frame drawn over the frame's own children. A text area (a memo's viewport) sits inside its
// frame; on a screen of fractional device pixels per unit its rounding covers the frame's right
// and bottom lines. Drawn again on top, the frame shows whole at every scale, and is the same
// pixels at whole ones.
#include <QWidget>

class QFrame;

class TFrameOverlay : public QWidget {
  public:
    // Owned by the frame, covering it; takes no input.
    explicit TFrameOverlay(QFrame* frame);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QFrame* FFrame;
};
