#include "Forms/Beep.h"

#include <QApplication>

namespace {
int beeps = 0;

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void Beep() {
    ++beeps;
    if (Hook())
        Hook()();
    else
        QApplication::beep();
}

int BeepCount() {
    return beeps;
}

std::function<void()> SetBeepHook(std::function<void()> hook) {
    std::function<void()> previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
