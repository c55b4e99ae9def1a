#include "Graphics/Graphic.h"

#include "Rtl/Exceptions.h"

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
