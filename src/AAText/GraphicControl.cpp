#include "AAText/GraphicControl.h"

#include "Graphics/Picture.h"
#include "Rtl/Application.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace {

// The logical font that a Qt font selects; the colour stays the target's.
void CopyQFont(TFont& Target, const QFont& Source) {
    TLogFont log = Target.LogFont();
    log.FaceName = Source.family();
    if (Source.pixelSize() > 0)
        log.Height = -Source.pixelSize();
    else
        log.Height =
            -static_cast<int>(std::lround(Source.pointSizeF() * TFont::PixelsPerInch / 72.0));
    log.Weight = Source.weight();
    log.Italic = Source.italic();
    log.Underline = Source.underline();
    log.StrikeOut = Source.strikeOut();
    Target.SetLogFont(log);
}

} // namespace

TAAGraphicControl::TAAGraphicControl(QWidget* parent)
    : QWidget(parent), FAAFont(std::make_unique<TAAFontEx>(nullptr)), FDrag(this),
      FParentEffect(this) {
    if (TFormLoading* form = TFormLoading::Active()) {
        FLoading = true;
        form->Register(this, [this] { Loaded(); });
    }
    FAAFont->Effect()->SetOnChanged([this](TPersistent* sender) { ParamChanged(sender); });
    FFont.SetOnChange([this] {
        if (!FSyncingFont)
            FParentFont = false;
        Changed();
    });
    SyncParentFont();
    WatchParent();
}

TAAGraphicControl::~TAAGraphicControl() {
    BeginDestroy();
    if (FWatchedParent)
        FWatchedParent->removeEventFilter(this);
}

// ---- properties

void TAAGraphicControl::SetBorder(TBorderWidth Value) {
    if (Value < 0)
        Value = 0;
    if (FBorder != Value) {
        FBorder = Value;
        Changed();
    }
}

void TAAGraphicControl::SetAutoSize(bool Value) {
    FAutoSize = Value;
    Changed();
}

void TAAGraphicControl::SetAlign(TAlign Value) {
    // A value outside the enumeration places the control nowhere in particular.
    if (!IsEnumValue<TAlign>(Value))
        Value = alNone;
    if (FAlign == Value)
        return;
    FAlign = Value;
    ApplyAlign();
    Changed();
}

TColor TAAGraphicControl::Color() const {
    if (FParentColor && parentWidget())
        return FromQColor(parentWidget()->palette().color(parentWidget()->backgroundRole()));
    return FColor;
}

void TAAGraphicControl::SetColor(TColor Value) {
    if (FColor == Value && !FParentColor)
        return;
    FColor = Value;
    FParentColor = false;
    Changed();
}

void TAAGraphicControl::SetCaption(const QString& Value) {
    if (FCaption == Value)
        return;
    FCaption = Value;
    Changed();
}

void TAAGraphicControl::SetShowHint(bool Value) {
    FParentShowHint = false;
    FShowHint = Value;
    ApplyHint();
}

void TAAGraphicControl::SetHint(const QString& Value) {
    FHint = Value;
    ApplyHint();
}

void TAAGraphicControl::ApplyHint() {
    setToolTip(FShowHint ? FHint : QString());
}

void TAAGraphicControl::SetDragMode(TDragMode Value) {
    // Automatic dragging is not offered on this platform; the mode is kept for the form.
    FDragMode = Value;
}

void TAAGraphicControl::SetParentColor(bool Value) {
    if (FParentColor == Value)
        return;
    if (!Value)
        FColor = Color(); // keep showing the colour taken from the parent
    FParentColor = Value;
    Changed();
}

void TAAGraphicControl::SetParentFont(bool Value) {
    if (FParentFont == Value)
        return;
    FParentFont = Value;
    if (Value) {
        setFont(QFont()); // inherit from the parent again
        SyncParentFont();
    }
}

void TAAGraphicControl::SetParentShowHint(bool Value) {
    if (FParentShowHint == Value)
        return;
    FParentShowHint = Value;
    if (Value && parentWidget()) {
        const QVariant parentValue = parentWidget()->property("ShowHint");
        if (parentValue.isValid())
            FShowHint = parentValue.toBool();
        ApplyHint();
    }
}

void TAAGraphicControl::SyncParentFont() {
    if (!FParentFont)
        return;
    FSyncingFont = true;
    CopyQFont(FFont, font());
    FSyncingFont = false;
}

// ---- loading and rebuilding

void TAAGraphicControl::Loaded() {
    FLoading = false;
    SetReady();
}

void TAAGraphicControl::SetReady() {
    // The size set while loading counts as seen: a hidden control hears of it only when shown.
    FLastHeight = height();
    FLastWidth = width();
    FLoaded = true;
    LoadedEx();
}

void TAAGraphicControl::LoadedEx() {
    Changed();
}

void TAAGraphicControl::Changed() {
    if (!FLoaded || FLoading || FDestroying)
        return;
    if (FResetting) {
        // Something changed while the display was being rebuilt: rebuild once more after.
        FResetPending = true;
        return;
    }
    FResetting = true;
    try {
        int rounds = 0;
        do {
            FResetPending = false;
            Reset();
        } while (FResetPending && ++rounds < 3); // a change that keeps changing stops here
    } catch (...) {
        FResetting = false;
        throw;
    }
    FResetting = false;
}

void TAAGraphicControl::ParamChanged(TPersistent*) {
    Changed();
}

void TAAGraphicControl::Reset() {
    update();
}

void TAAGraphicControl::RenderText(int X, int Y, const QString& Text) {
    ++FRenderCount;
    FAAFont->TextOut(X, Y, Text);
}

// ---- size and alignment

void TAAGraphicControl::SetClientSize(int Width, int Height) {
    if (Width == width() && Height == height())
        return;
    resize(std::max(Width, 0), std::max(Height, 0));
    // A hidden widget hears of its new size only when shown; the text placement must not wait.
    SizeChanged();
    ApplyAlign();
}

void TAAGraphicControl::SizeChanged() {
    if (height() == FLastHeight && width() == FLastWidth)
        return;
    FLastHeight = height();
    FLastWidth = width();
    // A rebuild that resizes the control already works at the new size.
    if (!FResetting)
        Changed();
    if (FOnResize)
        FOnResize(this);
}

void TAAGraphicControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guarded([this] { SizeChanged(); });
}

void TAAGraphicControl::ApplyAlign() {
    QWidget* parent = parentWidget();
    if (FAlign == alNone || !parent)
        return;
    const QRect area = parent->contentsRect();
    QRect r = geometry();
    switch (FAlign) {
    case alTop:
        r = QRect(area.left(), area.top(), area.width(), height());
        break;
    case alBottom:
        r = QRect(area.left(), area.bottom() + 1 - height(), area.width(), height());
        break;
    case alLeft:
        r = QRect(area.left(), area.top(), width(), area.height());
        break;
    case alRight:
        r = QRect(area.right() + 1 - width(), area.top(), width(), area.height());
        break;
    case alClient:
        r = area;
        break;
    case alNone:
        break;
    }
    if (r != geometry()) {
        setGeometry(r);
        SizeChanged();
    }
}

void TAAGraphicControl::WatchParent() {
    if (FWatchedParent == parentWidget())
        return;
    if (FWatchedParent)
        FWatchedParent->removeEventFilter(this);
    FWatchedParent = parentWidget();
    if (FWatchedParent)
        FWatchedParent->installEventFilter(this);
}

bool TAAGraphicControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWatchedParent && event->type() == QEvent::Resize)
        Guarded([this] { ApplyAlign(); });
    return QWidget::eventFilter(watched, event);
}

// ---- notifications from the window system

void TAAGraphicControl::changeEvent(QEvent* event) {
    Guarded([this, event] { Notified(event->type()); });
    QWidget::changeEvent(event);
}

void TAAGraphicControl::Notified(QEvent::Type Type) {
    switch (Type) {
    case QEvent::FontChange:
        if (testAttribute(Qt::WA_SetFont) && !FSyncingFont) {
            // A font set on the widget itself (the form's font property) is the control's own.
            FSyncingFont = true;
            CopyQFont(FFont, font());
            FSyncingFont = false;
            FParentFont = false;
        } else {
            SyncParentFont();
        }
        Changed();
        break;
    case QEvent::PaletteChange:
        Changed();
        break;
    case QEvent::ParentChange:
        WatchParent();
        SyncParentFont();
        Changed();
        break;
    default:
        break;
    }
}

void TAAGraphicControl::enterEvent(QEnterEvent* event) {
    if (FOnMouseEnter)
        Guarded([this] { FOnMouseEnter(this); });
    QWidget::enterEvent(event);
}

void TAAGraphicControl::leaveEvent(QEvent* event) {
    if (FOnMouseLeave)
        Guarded([this] { FOnMouseLeave(this); });
    QWidget::leaveEvent(event);
}

void TAAGraphicControl::mousePressEvent(QMouseEvent* event) {
    FPressed = event->button() == Qt::LeftButton;
    const QPoint at = event->position().toPoint();
    if (FOnMouseDown)
        Guarded([&] { FOnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y()); });
    QWidget::mousePressEvent(event);
}

void TAAGraphicControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (FOnMouseMove)
        Guarded([&] { FOnMouseMove(this, Qt::NoButton, event->modifiers(), at.x(), at.y()); });
    QWidget::mouseMoveEvent(event);
}

void TAAGraphicControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(at);
    FPressed = false;
    if (FOnMouseUp)
        Guarded([&] { FOnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y()); });
    if (click && FOnClick)
        Guarded([this] { FOnClick(this); });
    QWidget::mouseReleaseEvent(event);
}

void TAAGraphicControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && FOnDblClick)
        Guarded([this] { FOnDblClick(this); });
    QWidget::mouseDoubleClickEvent(event);
}

// ---- painting

void TAAGraphicControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TCanvas canvas(&painter);
    FCanvas = &canvas;
    Guarded([this] { Paint(); });
    FCanvas = nullptr;
}

void TAAGraphicControl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Created at run time: ready before its first paint, so that paint already has the size
    // that the text placement gives it.
    if (!FLoaded && !FLoading && !FDestroying)
        Guarded([this] { SetReady(); });
}

void TAAGraphicControl::Paint() {
    if (FLoading || FDestroying)
        return;
    if (!FLoaded) {
        // Created at run time: the first paint is the end of its setting up.
        SetReady();
    }
    if (isVisible() && !FPainting) {
        FPainting = true;
        try {
            PaintCanvas();
        } catch (...) {
            FPainting = false;
            throw;
        }
        FPainting = false;
    }
}

void TAAGraphicControl::DrawBackGround(TCanvas* Canvas, const TRect& R, TBackGroundMode Mode,
                                       const TGraphic* G) {
    if (!Canvas)
        return;
    const TBrushStyle style = Canvas->Brush()->Style();
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(R);
    Canvas->Brush()->SetStyle(style);
    if (!G || G->Empty())
        return;
    switch (Mode) {
    case bmTiled:
        DrawTiled(Canvas, R, G);
        break;
    case bmStretched:
        DrawStretched(Canvas, R, G, Canvas->Brush()->Color());
        break;
    case bmCenter:
        Canvas->Draw((R.Left + R.Right - G->Width()) / 2, (R.Top + R.Bottom - G->Height()) / 2, G);
        break;
    case bmNormal:
        Canvas->Draw(R.Left, R.Top, G);
        break;
    }
}

void TAAGraphicControl::DrawTiled(TCanvas* Canvas, const TRect& R, const TGraphic* G) {
    if (!Canvas || !G || G->Empty())
        return;
    const int rows = R.Height() / G->Height() + 1;
    const int columns = R.Width() / G->Width() + 1;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            Canvas->Draw(R.Left + column * G->Width(), R.Top + row * G->Height(), G);
}
