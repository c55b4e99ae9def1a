#include "Rtl/Random.h"

#include <chrono>

void Randomize() {
    SetRandSeed(static_cast<std::uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFFFFu));
}
