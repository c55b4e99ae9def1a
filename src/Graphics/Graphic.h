#pragma once
// Persistent objects (Assign) and graphics: drawable images of some kind, and the icon.
#include "Graphics/Canvas.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

// Base of objects that copy their values from one another. Assigning an object of a class
// that the target does not know raises EConvertError "Cannot assign a <source> to a <target>".
class TPersistent {
  public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    // Copies the source's values; a null source or a class this one does not know raises.
    virtual void Assign(const TPersistent* source);
    // The dynamic class name, for messages.
    QString ClassName() const;

  protected:
    // Lets the source copy itself into a class it knows; the base raises.
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

// A drawable image of some kind.
class TGraphic : public TPersistent, public TCanvasGraphic {
  public:
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    virtual bool LoadFromFile(const QString& path) = 0;
    virtual bool SaveToFile(const QString& path) const = 0;

    void SetOnChange(std::function<void(TGraphic*)> handler) { FOnChange = std::move(handler); }

  protected:
    void Changed();

  private:
    std::function<void(TGraphic*)> FOnChange;
};

// An icon: a 32-bit image with transparency. Like the window system's icons it always draws
// at its own size at the top-left of the target rectangle; it never stretches.
class TIcon : public TGraphic {
  public:
    TIcon() = default;
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    bool Empty() const override { return FImage.isNull(); }
    void Draw(TCanvas* canvas, const TRect& rect) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    bool LoadFromFile(const QString& path) override;
    bool SaveToFile(const QString& path) const override;
    void Assign(const TPersistent* source) override;

    const QImage& Image() const { return FImage; }
    void SetImage(const QImage& image);

  private:
    QImage FImage;
};
