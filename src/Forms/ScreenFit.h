#pragma once
// A window of fixed size on a screen that may be too small for it (a small screen, or a large
// scale factor): one that fits the screen's available area is placed at its centre; a larger
// one is hosted in a window that fits the screen and scrolls it.
#include <memory>

class QWidget;
class TScrollHost;

class TScreenFit {
  public:
    // Places the top-level window; it is shown with Show.
    explicit TScreenFit(QWidget& window);
    // Gives a hosted window back, hidden, before the host goes.
    ~TScreenFit();
    TScreenFit(const TScreenFit&) = delete;
    TScreenFit& operator=(const TScreenFit&) = delete;

    // Shows the window the desktop has: the host, or the window itself.
    void Show();
    // Shows it, raises it and makes it the active window.
    void BringForward();
    bool Scrolls() const { return FHost != nullptr; }

  private:
    QWidget& FWindow;
    std::unique_ptr<TScrollHost> FHost;
};
