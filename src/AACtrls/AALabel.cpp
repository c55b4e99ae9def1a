#include "AACtrls/AALabel.h"

#include <QPainter>

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
    if (!FGraphic || Quality() == Value)
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

void TAALabel::SetAlignmentOrdinal(int Value) {
    if (Value >= taLeftJustify && Value <= taCenter)
        FEffect.SetAlignment(static_cast<TAlignment>(Value));
}

void TAALabel::SetLayoutOrdinal(int Value) {
    if (Value >= tlTop && Value <= tlBottom)
        FEffect.SetLayout(static_cast<TTextLayout>(Value));
}

void TAALabel::SetQualityOrdinal(int Value) {
    if (Value >= aqHigh && Value <= aqNone)
        FEffect.SetQuality(static_cast<TAAQuality>(Value));
}

void TAALabel::SetBackGroundModeOrdinal(int Value) {
    if (Value >= bmTiled && Value <= bmNormal)
        FEffect.SetBackGroundMode(static_cast<TBackGroundMode>(Value));
}

void TAALabel::Reset() {
    if (!FEffect.Transparent())
        DrawBuffer();
    TAAGraphicControl::Reset();
}

void TAALabel::PaintCanvas() {
    if (FEffect.Transparent()) {
        DrawTransparent();
        return;
    }
    QPainter* painter = Canvas() ? Canvas()->Painter() : nullptr;
    if (!painter || FBuffer->Empty())
        return;
    // One plain pixel copy of the face, whatever the painter was set to.
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(QPoint(0, 0), FBuffer->Image(), QRect(0, 0, width(), height()));
    painter->restore();
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

void TAALabel::DrawBuffer() {
    TCanvas* canvas = FBuffer->Canvas();
    AAFont()->SetCanvas(canvas);
    canvas->SetFont(*Font());
    const TPlacement at = PlaceText();
    FBuffer->SetSize(width(), height());
    canvas = FBuffer->Canvas();
    AAFont()->SetCanvas(canvas);
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    const TRect all = Rect(0, 0, FBuffer->Width(), FBuffer->Height());
    if (FEffect.IsBackGroundEmpty())
        canvas->FillRect(all);
    else
        DrawBackGround(canvas, all, FEffect.BackGroundMode(), FEffect.BackGround().Graphic());
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
