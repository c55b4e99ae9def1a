#include "Graphics/Picture.h"

#include <QFileInfo>

// ---- TPicture

TPicture::~TPicture() {
    if (FGraphic)
        FGraphic->SetOnChange(nullptr);
}

void TPicture::Changed() {
    if (FOnChange)
        FOnChange(this);
}

void TPicture::Hold(std::unique_ptr<TGraphic> graphic) {
    if (FGraphic)
        FGraphic->SetOnChange(nullptr);
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->SetOnChange([this](TGraphic*) { Changed(); });
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
    if (graphic && graphic == FGraphic.get())
        return;
    Hold(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    Hold(std::move(graphic));
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(FGraphic.get()))
        Hold(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

int TPicture::Width() const {
    return FGraphic ? FGraphic->Width() : 0;
}
int TPicture::Height() const {
    return FGraphic ? FGraphic->Height() : 0;
}
bool TPicture::Empty() const {
    return !FGraphic || FGraphic->Empty();
}

void TPicture::Assign(const TPersistent* source) {
    if (source == this)
        return;
    if (!source) {
        Hold(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        Hold(picture->FGraphic ? picture->FGraphic->Clone() : nullptr);
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest) const {
    if (auto* graphic = dynamic_cast<TGraphic*>(dest); graphic && FGraphic) {
        graphic->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(dest);
}

bool TPicture::LoadFromFile(const QString& path) {
    std::unique_ptr<TGraphic> graphic;
    if (QFileInfo(path).suffix().compare(QStringLiteral("ico"), Qt::CaseInsensitive) == 0)
        graphic = std::make_unique<TIcon>();
    else
        graphic = std::make_unique<TBitmap>();
    if (!graphic->LoadFromFile(path))
        return false;
    Hold(std::move(graphic));
    return true;
}

bool TPicture::SaveToFile(const QString& path) const {
    return FGraphic && FGraphic->SaveToFile(path);
}
