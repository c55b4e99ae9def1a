#include "AACtrls/AALabel.h"

#include <QPainter>
#include <cmath>

namespace {

// Device pixels that cover a length of the control's units.
int DevicePixels(int length, double ratio) {
    return ratio == 1 ? length : static_cast<int>(std::ceil(length * ratio - 1e-9));
}

} // namespace

// ---- TAAFontEffect

TAAFontEffect::TAAFontEffect(TAAGraphicControl* Control, TNotifyEvent OnChanged)
    : TCustomParam(Control, std::move(OnChanged)), FGraphic(Control) {}

void TAAFontEffect::Assign(const TPersistent* Source) {
    TCustomParam::Assign(Source);
    auto* source = dynamic_cast<const TAAFontEffect*>(Source);
    if (!source || source == this || !FGraphic || !source->FGraphic || source->FGraphic == FGraphic)
        return;
    SetQuality(source->Quality());
    SetFontEffect(*source->FontEffect());
    // A source that shows its parent's colour passes that on, not a fixed copy of it.
    if (source->FGraphic->ParentColor())
        FGraphic->SetParentColor(true);
    else
        SetBackColor(source->BackColor());
}

TAAQuality TAAFontEffect::Quality() const {
    return FGraphic ? FGraphic->AAFont()->Quality() : DefaultQuality;
}

void TAAFontEffect::SetQuality(TAAQuality Value) {
    if (!FGraphic || Quality() == Value || !IsEnumValue<TAAQuality>(Value))
        return;
    FGraphic->AAFont()->SetQuality(Value);
    Changed();
}

TAAEffect* TAAFontEffect::FontEffect() const {
    return FGraphic ? FGraphic->AAFont()->Effect() : nullptr;
}

void TAAFontEffect::SetFontEffect(const TAAEffect& Value) {
    if (!FGraphic)
        return;
    FGraphic->AAFont()->Effect()->Assign(&Value);
    Changed();
}

TColor TAAFontEffect::BackColor() const {
    return FGraphic ? FGraphic->Color() : clBtnFace;
}

void TAAFontEffect::SetBackColor(TColor Value) {
    if (FGraphic)
        FGraphic->SetColor(Value);
}

bool TAAFontEffect::IsBackColorStored() const {
    return FGraphic && !FGraphic->ParentColor();
}

// ---- TAALabel

TAALabel::TAALabel(QWidget* parent)
    : TAAGraphicControl(parent), FBuffer(std::make_unique<TBitmap>(0, 0, pf24bit)),
      FEffect(this, [this](TPersistent* sender) { ParamChanged(sender); }) {
    resize(DefaultWidth, DefaultHeight);
}

TAALabel::~TAALabel() {
    BeginDestroy();
}

void TAALabel::Reset() {
    if (!FEffect.Transparent())
        DrawBuffer(devicePixelRatioF());
    TAAGraphicControl::Reset();
}

void TAALabel::PaintCanvas() {
    if (FEffect.Transparent()) {
        DrawTransparent();
        return;
    }
    if (!Canvas())
        return;
    // The face is kept at the device pixels of the screen it was last shown on; a paint for
    // another pixel ratio (another screen, a picture of the window) renders it anew once.
    const double ratio = Canvas()->PixelRatio();
    if (ratio != FBufferRatio)
        DrawBuffer(ratio);
    // One plain pixel copy of the face, whatever the painter was set to.
    if (!FBuffer->Empty())
        Canvas()->PutPixels(0, 0, FBuffer->Image());
}

TAALabel::TPlacement TAALabel::PlaceText() {
    const QString caption = Caption();
    const int h = AAFont()->TextHeight(caption);
    const int w = AAFont()->TextWidth(caption);
    int clientWidth = width(), clientHeight = height();
    if (AutoSize()) {
        if (Align() == alNone || Align() == alLeft || Align() == alRight)
            clientWidth = w + 2 * Border();
        if (Align() == alNone || Align() == alTop || Align() == alBottom)
            clientHeight = h + 2 * Border();
        SetClientSize(clientWidth, clientHeight);
        // Alignment against the parent may have given the control another size.
        clientWidth = width();
        clientHeight = height();
    }
    TPlacement at;
    switch (FEffect.Alignment()) {
    case taLeftJustify:
        at.X = Border();
        break;
    case taRightJustify:
        at.X = clientWidth - Border() - w;
        break;
    case taCenter:
        at.X = (clientWidth - w) / 2;
        break;
    }
    switch (FEffect.Layout()) {
    case tlTop:
        at.Y = Border();
        break;
    case tlCenter:
        at.Y = (clientHeight - h) / 2;
        break;
    case tlBottom:
        at.Y = clientHeight - Border() - h;
        break;
    }
    return at;
}

void TAALabel::DrawBuffer(double Ratio) {
    TCanvas* canvas = FBuffer->Canvas();
    canvas->SetPixelRatio(1);
    AAFont()->SetCanvas(canvas);
    canvas->SetFont(*Font());
    const TPlacement at = PlaceText();
    // The face covers the control's box in device pixels; the renderer places and sizes the
    // text by the ratio.
    FBufferRatio = Ratio > 0 ? Ratio : 1;
    FBuffer->SetSize(DevicePixels(width(), FBufferRatio), DevicePixels(height(), FBufferRatio));
    canvas = FBuffer->Canvas();
    canvas->SetPixelRatio(FBufferRatio);
    AAFont()->SetCanvas(canvas);
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    const TRect all = Rect(0, 0, FBuffer->Width(), FBuffer->Height());
    if (FEffect.IsBackGroundEmpty()) {
        canvas->FillRect(all);
    } else if (FBufferRatio == 1) {
        DrawBackGround(canvas, all, FEffect.BackGroundMode(), FEffect.BackGround().Graphic());
    } else {
        // Pictures keep their size in the control's units: laid out at the control's size,
        // then stretched onto the device pixels.
        TBitmap face(width(), height(), pf24bit);
        face.Canvas()->Brush()->SetColor(Color());
        face.Canvas()->Brush()->SetStyle(bsSolid);
        DrawBackGround(face.Canvas(), Rect(0, 0, face.Width(), face.Height()),
                       FEffect.BackGroundMode(), FEffect.BackGround().Graphic());
        canvas->StretchDraw(all, &face);
    }
    canvas->Brush()->SetStyle(bsClear);
    RenderText(at.X, at.Y, Caption());
    canvas->Release();
}

void TAALabel::DrawTransparent() {
    TCanvas* canvas = Canvas();
    if (!canvas)
        return;
    AAFont()->SetCanvas(canvas);
    canvas->SetFont(*Font());
    const TPlacement at = PlaceText();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsClear);
    RenderText(at.X, at.Y, Caption());
    // The surface ends with this paint.
    AAFont()->SetCanvas(nullptr);
}
