#pragma once
// While a window is built from its form description, the controls it creates are loading:
// their setters take the stored values in any order, and each is told when the form is done.
#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>

class TFormLoading {
  public:
    TFormLoading();
    // Runs the Loaded step of every registered control that still exists, in creation order.
    ~TFormLoading();
    TFormLoading(const TFormLoading&) = delete;
    TFormLoading& operator=(const TFormLoading&) = delete;

    // The innermost form being loaded, or nullptr.
    static TFormLoading* Active();
    // A control created now asks to be told (through loaded) when the form is done.
    void Register(QObject* control, std::function<void()> loaded);

  private:
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> FControls;
    TFormLoading* FOuter;
};
