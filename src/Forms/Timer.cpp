#include "Forms/Timer.h"

#include "Rtl/Application.h"

TTimer::TTimer(QObject* owner) : QObject(owner) {
    FTimer.setSingleShot(false);
    connect(&FTimer, &QTimer::timeout, this, &TTimer::Fire);
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(int ms) {
    if (ms == FInterval)
        return;
    FInterval = ms;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    FTimer.stop();
    if (FEnabled && FInterval > 0 && FOnTimer)
        FTimer.start(FInterval);
}

void TTimer::Fire() {
    if (FEnabled && FOnTimer)
        Guarded(FOnTimer);
}
