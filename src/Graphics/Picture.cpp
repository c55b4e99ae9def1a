#include "Graphics/Picture.h"

#include "Graphics/Bitmap.h"
#include "Graphics/Canvas.h"
#include "Rtl/Exceptions.h"

#include <QFileInfo>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

// ---- TPersistent

void TPersistent::Assign(const TPersistent* source) {
    if (source)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    const QString sourceName = source ? source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, ClassName()));
}

QString TPersistent::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString result = QString::fromLatin1(status == 0 && name ? name : mangled);
    std::free(name);
    return result;
}

// ---- TGraphic

void TGraphic::Changed() {
    if (FOnChange)
        FOnChange(this);
}

// ---- TIcon

void TIcon::Draw(TCanvas* canvas, const TRect& rect) const {
    if (!canvas || FImage.isNull())
        return;
    canvas->DrawImage(QRect(rect.Left, rect.Top, FImage.width(), FImage.height()), FImage,
                      cmSrcCopy, true);
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
    auto icon = std::make_unique<TIcon>();
    icon->FImage = FImage;
    return icon;
}

bool TIcon::LoadFromFile(const QString& path) {
    QImage image(path);
    if (image.isNull())
        return false;
    SetImage(image);
    return true;
}

bool TIcon::SaveToFile(const QString& path) const {
    return !FImage.isNull() && FImage.save(path);
}

void TIcon::SetImage(const QImage& image) {
    FImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Changed();
}

void TIcon::Assign(const TPersistent* source) {
    if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
        if (icon != this)
            SetImage(icon->FImage);
        return;
    }
    TGraphic::Assign(source);
}

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

TIcon* TPicture::Icon() {
    if (!dynamic_cast<TIcon*>(FGraphic.get()))
        Hold(std::make_unique<TIcon>());
    return static_cast<TIcon*>(FGraphic.get());
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
