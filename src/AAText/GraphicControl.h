#pragma once
// The base of the controls that show text through the anti-aliased renderer. It owns the
// renderer and the drag and parent property groups, and funnels every change of text, font,
// colour, size, margin or effect settings into Changed, which rebuilds the display only once
// the control is loaded and not while it is loading or being destroyed.
#include "AAText/AAFontEx.h"
#include "AAParams/ParamsControl.h"
#include "Forms/FormLoading.h"
#include "Graphics/Canvas.h"
#include "Graphics/Font.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Aligns {
Q_NAMESPACE
// Where a control places itself inside its parent.
enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
Q_ENUM_NS(TAlign)
} // namespace Aligns

#ifndef Q_MOC_RUN
using Aligns::TAlign;
using enum Aligns::TAlign;
#endif

using TBorderWidth = int; // pixels, never negative

class TAAGraphicControl : public QWidget, public TParamHost {
    Q_OBJECT
    // What a form description sets by name; enumerations by their names, colours as QColor.
    Q_PROPERTY(Aligns::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(QColor Color READ ColorQColor WRITE SetColorQColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(QColor FontColor READ FontQColor WRITE SetFontQColor)

  public:
    using TNotify = std::function<void(TAAGraphicControl* Sender)>;
    using TMouse = std::function<void(TAAGraphicControl* Sender, Qt::MouseButton Button,
                                      Qt::KeyboardModifiers Shift, int X, int Y)>;

    explicit TAAGraphicControl(QWidget* parent = nullptr);
    ~TAAGraphicControl() override;

    // Every control constructed during the life of a FormLoading is loading until it ends;
    // then each one still alive runs Loaded. The window wraps its form setup in one:
    //   { TAAGraphicControl::FormLoading loading; setupUi(this); }
    using FormLoading = TFormLoading;

    // The renderer; its effect's change callback is this control's ParamChanged.
    TAAFontEx* AAFont() const { return FAAFont.get(); }

    TDragParam* Drag() { return &FDrag; }
    void SetDrag(const TDragParam& Value) { FDrag.Assign(&Value); }
    TParentEffect* ParentEffect() { return &FParentEffect; }
    void SetParentEffect(const TParentEffect& Value) { FParentEffect.Assign(&Value); }

    TBorderWidth Border() const { return FBorder; }
    void SetBorder(TBorderWidth Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    // The control's colour; while ParentColor is set, the parent's background colour.
    TColor Color() const;
    // Setting a colour takes the control off its parent's colour.
    void SetColor(TColor Value);
    // The control's font (a copy of the parent's while ParentFont is set); changing it takes
    // the control off its parent's font.
    TFont* Font() { return &FFont; }
    void SetFont(const TFont& Value) { FFont.Assign(Value); }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);

    // TParamHost: the properties that Drag and ParentEffect forward to.
    TDragKind DragKind() const override { return FDragKind; }
    void SetDragKind(TDragKind Value) override { FDragKind = Value; }
    TCursor DragCursor() const override { return FDragCursor; }
    void SetDragCursor(TCursor Value) override { FDragCursor = Value; }
    TDragMode DragMode() const override { return FDragMode; }
    void SetDragMode(TDragMode Value) override;
    bool ParentColor() const override { return FParentColor; }
    void SetParentColor(bool Value) override;
    bool ParentFont() const override { return FParentFont; }
    void SetParentFont(bool Value) override;
    bool ParentShowHint() const override { return FParentShowHint; }
    void SetParentShowHint(bool Value) override;

    void SetOnMouseEnter(TNotify Handler) { FOnMouseEnter = std::move(Handler); }
    void SetOnMouseLeave(TNotify Handler) { FOnMouseLeave = std::move(Handler); }
    void SetOnClick(TNotify Handler) { FOnClick = std::move(Handler); }
    void SetOnDblClick(TNotify Handler) { FOnDblClick = std::move(Handler); }
    void SetOnResize(TNotify Handler) { FOnResize = std::move(Handler); }
    void SetOnMouseDown(TMouse Handler) { FOnMouseDown = std::move(Handler); }
    void SetOnMouseMove(TMouse Handler) { FOnMouseMove = std::move(Handler); }
    void SetOnMouseUp(TMouse Handler) { FOnMouseUp = std::move(Handler); }

    // Loading from a form description: changes are only stored until Loaded.
    bool Loading() const { return FLoading; }
    void SetLoading(bool Value) { FLoading = Value; }
    bool IsLoaded() const { return FLoaded; }
    // The end of loading: the control is ready and builds its display once.
    void Loaded();

    // The rebuild request: Reset, but only when loaded and not loading or being destroyed.
    void Changed();
    // The callback handed to parameter objects.
    void ParamChanged(TPersistent* Sender);

    // How many times the control asked the renderer to draw; lets tests see renders.
    int RenderCount() const { return FRenderCount; }

    // The drawing surface, valid while the control paints.
    TCanvas* Canvas() const { return FCanvas; }

    // R filled with the surface's brush colour, then the graphic placed by mode.
    static void DrawBackGround(TCanvas* Canvas, const TRect& R, TBackGroundMode Mode,
                               const TGraphic* G);
    // The graphic repeated from R's top-left, one extra row and column; cut by the surface only.
    static void DrawTiled(TCanvas* Canvas, const TRect& R, const TGraphic* G);

  protected:
    // Draws the control's face on Canvas.
    virtual void PaintCanvas() {}
    // The control became ready (after loading or at its first paint).
    virtual void LoadedEx();
    // Rebuilds what is shown and asks for a repaint.
    virtual void Reset();
    // The control's own paint step, run inside paintEvent with Canvas set.
    void Paint();

    // The renderer draws text with all effects; every render goes through here.
    void RenderText(int X, int Y, const QString& Text);
    // Client size from the text placement: resizes and reports the new size at once.
    void SetClientSize(int Width, int Height);
    // Stops every rebuild; destructors of derived controls call it first.
    void BeginDestroy() { FDestroying = true; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SizeChanged();
    // The window system's notices of a new font, palette or parent.
    void Notified(QEvent::Type Type);
    void SetReady();
    void ApplyAlign();
    void SyncParentFont();
    void WatchParent();
    void ApplyHint();
    QColor ColorQColor() const { return ToQColor(ColorToRGB(Color())); }
    void SetColorQColor(const QColor& Value) { SetColor(FromQColor(Value)); }
    QColor FontQColor() const { return ToQColor(ColorToRGB(FFont.Color())); }
    void SetFontQColor(const QColor& Value) { FFont.SetColor(FromQColor(Value)); }

    std::unique_ptr<TAAFontEx> FAAFont;
    TDragParam FDrag;
    TParentEffect FParentEffect;
    TBorderWidth FBorder = 0;
    bool FAutoSize = true;
    TAlign FAlign = alNone;
    TColor FColor = clBtnFace;
    TFont FFont;
    QString FCaption;
    QString FHint;
    bool FShowHint = false;
    TDragKind FDragKind = TDragParam::DefaultDragKind;
    TCursor FDragCursor = TDragParam::DefaultDragCursor;
    TDragMode FDragMode = TDragParam::DefaultDragMode;
    bool FParentColor = TParentEffect::DefaultParentColor;
    bool FParentFont = TParentEffect::DefaultParentFont;
    bool FParentShowHint = TParentEffect::DefaultParentShowHint;
    bool FSyncingFont = false;

    bool FLoading = false;
    bool FLoaded = false;
    bool FPainting = false;
    bool FDestroying = false;
    bool FResetting = false;
    bool FResetPending = false;
    bool FPressed = false;
    int FLastHeight = 0;
    int FLastWidth = 0;
    int FRenderCount = 0;
    TCanvas* FCanvas = nullptr;
    QPointer<QWidget> FWatchedParent;

    TNotify FOnMouseEnter, FOnMouseLeave, FOnClick, FOnDblClick, FOnResize;
    TMouse FOnMouseDown, FOnMouseMove, FOnMouseUp;
};
