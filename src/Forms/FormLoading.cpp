#include "Forms/FormLoading.h"

#include "Rtl/Application.h"

namespace {
TFormLoading* ActiveLoading = nullptr;
} // namespace

TFormLoading::TFormLoading() : FOuter(ActiveLoading) {
    ActiveLoading = this;
}

TFormLoading::~TFormLoading() {
    ActiveLoading = FOuter;
    for (auto& [control, loaded] : FControls)
        if (control)
            Guarded(loaded);
}

TFormLoading* TFormLoading::Active() {
    return ActiveLoading;
}

void TFormLoading::Register(QObject* control, std::function<void()> loaded) {
    FControls.emplace_back(control, std::move(loaded));
}
