#include "Platform/Events.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

void ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Sleep(long long ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
