#include "AAParams/ParamsControl.h"

// ---- TCustomParam

TCustomParam::TCustomParam(TParamHost* Control, TNotifyEvent OnChanged)
    : TNotifyClass(std::move(OnChanged)), FControl(Control) {
    FBackGround.SetOnChange([this](TPicture*) { Changed(); });
}

void TCustomParam::Assign(const TPersistent* Source) {
    TNotifyClass::Assign(Source);
    if (auto* source = dynamic_cast<const TCustomParam*>(Source)) {
        FAlignment = source->FAlignment;
        FTransparent = source->FTransparent;
        FLayout = source->FLayout;
        FBackGroundMode = source->FBackGroundMode;
        FBackGround.Assign(&source->FBackGround); // reports as a picture change
    }
}

// Values from outside the enumerations (a form description, a cast) are refused, so the
// layout code never sees a value it does not know.
void TCustomParam::SetAlignment(TAlignment Value) {
    if (IsEnumValue<TAlignment>(Value))
        SetField(FAlignment, Value);
}
void TCustomParam::SetTransparent(bool Value) {
    SetField(FTransparent, Value);
}
void TCustomParam::SetLayout(TTextLayout Value) {
    if (IsEnumValue<TTextLayout>(Value))
        SetField(FLayout, Value);
}
void TCustomParam::SetBackGroundMode(TBackGroundMode Value) {
    if (IsEnumValue<TBackGroundMode>(Value))
        SetField(FBackGroundMode, Value);
}
void TCustomParam::SetBackGround(const TPicture& Value) {
    FBackGround.Assign(&Value);
}

bool TCustomParam::IsBackGroundEmpty() const {
    return FBackGround.Empty();
}

// ---- TControlParam

void TControlParam::Assign(const TPersistent* Source) {
    auto* source = dynamic_cast<const TControlParam*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source != this && FControl && source->FControl && FControl != source->FControl)
        AssignValues(*source);
}

// ---- TDragParam

TDragKind TDragParam::DragKind() const {
    return FControl ? FControl->DragKind() : DefaultDragKind;
}

void TDragParam::SetDragKind(TDragKind Value) {
    if (FControl)
        FControl->SetDragKind(Value);
}

TCursor TDragParam::DragCursor() const {
    return FControl ? FControl->DragCursor() : DefaultDragCursor;
}

void TDragParam::SetDragCursor(TCursor Value) {
    if (FControl)
        FControl->SetDragCursor(Value);
}

TDragMode TDragParam::DragMode() const {
    return FControl ? FControl->DragMode() : DefaultDragMode;
}

void TDragParam::SetDragMode(TDragMode Value) {
    if (FControl)
        FControl->SetDragMode(Value);
}

void TDragParam::AssignValues(const TControlParam& Source) {
    if (auto* source = dynamic_cast<const TDragParam*>(&Source)) {
        SetDragKind(source->DragKind());
        SetDragCursor(source->DragCursor());
        SetDragMode(source->DragMode());
    }
}

// ---- TParentEffect

bool TParentEffect::ParentColor() const {
    return FControl ? FControl->ParentColor() : DefaultParentColor;
}

void TParentEffect::SetParentColor(bool Value) {
    if (FControl)
        FControl->SetParentColor(Value);
}

bool TParentEffect::ParentFont() const {
    return FControl ? FControl->ParentFont() : DefaultParentFont;
}

void TParentEffect::SetParentFont(bool Value) {
    if (FControl)
        FControl->SetParentFont(Value);
}

bool TParentEffect::ParentShowHint() const {
    return FControl ? FControl->ParentShowHint() : DefaultParentShowHint;
}

void TParentEffect::SetParentShowHint(bool Value) {
    if (FControl)
        FControl->SetParentShowHint(Value);
}

void TParentEffect::AssignValues(const TControlParam& Source) {
    if (auto* source = dynamic_cast<const TParentEffect*>(&Source)) {
        SetParentColor(source->ParentColor());
        SetParentFont(source->ParentFont());
        SetParentShowHint(source->ParentShowHint());
    }
}
