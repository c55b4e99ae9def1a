#include "Platform/Random.h"

#include <chrono>

namespace {
std::uint32_t Seed = 0;
}

std::uint32_t RandSeed() {
    return Seed;
}

void SetRandSeed(std::uint32_t seed) {
    Seed = seed;
}

void Randomize() {
    Seed = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() &
                                      0xFFFFFFFFu);
}

int Random(int n) {
    // Linear congruential step; the high 32 bits of seed * n are uniform over 0..n-1.
    Seed = Seed * 0x08088405u + 1u;
    if (n <= 0)
        return 0;
    return static_cast<int>((static_cast<std::uint64_t>(Seed) * static_cast<std::uint32_t>(n)) >>
                            32);
}
