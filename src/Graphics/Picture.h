#pragma once
// Persistent objects (Assign), graphics and pictures. A picture holds one graphic (a bitmap or
// an icon) and reports every change of it through OnChange, so that its holder can repaint.
#include <QImage>
#include <QString>
#include <functional>
#include <memory>

class TCanvas;
struct TRect;
class TBitmap;
class TIcon;

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
class TGraphic : public TPersistent {
  public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Draws into rect of the canvas (stretched where the graphic can stretch).
    virtual void Draw(TCanvas* canvas, const TRect& rect) const = 0;
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

class TPicture : public TPersistent {
  public:
    TPicture() = default;
    ~TPicture() override;

    // The graphic held, or null.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Holds a copy of graphic (null clears).
    void SetGraphic(const TGraphic* graphic);
    // Takes graphic over.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // The held bitmap; a picture holding something else gets a new empty bitmap.
    TBitmap* Bitmap();
    // The held icon; a picture holding something else gets a new empty icon.
    TIcon* Icon();
    int Width() const;
    int Height() const;
    // True when there is no graphic or an empty one.
    bool Empty() const;

    // A picture or a graphic source is copied; null clears.
    void Assign(const TPersistent* source) override;
    // ".ico" files become icons, every other image a bitmap. False when the file does not load.
    bool LoadFromFile(const QString& path);
    bool SaveToFile(const QString& path) const;

    void SetOnChange(std::function<void(TPicture*)> handler) { FOnChange = std::move(handler); }
    void Changed();

  protected:
    void AssignTo(TPersistent* dest) const override;

  private:
    void Hold(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> FGraphic;
    std::function<void(TPicture*)> FOnChange;
};
