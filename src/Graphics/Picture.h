#pragma once
// A picture holds one graphic (a bitmap or an icon) and reports every change of it through
// OnChange, so that its holder can repaint.
#include "Graphics/Bitmap.h"
#include "Graphics/Graphic.h"

#include <functional>
#include <memory>

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
