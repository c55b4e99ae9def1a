#pragma once
// The one shared pseudo-random generator. Seeding it reproduces every image drawn with the
// spray and noise effects.
#include <cstdint>

namespace RandomDetail {
inline std::uint32_t Seed = 0;
}

inline std::uint32_t RandSeed() {
    return RandomDetail::Seed;
}
inline void SetRandSeed(std::uint32_t seed) {
    RandomDetail::Seed = seed;
}
// Seeds from the clock.
void Randomize();

// A uniform integer 0..n-1; 0 when n is 0 or less. Every call advances the generator once.
inline int Random(int n) {
    // Linear congruential step; the high 32 bits of seed * n are uniform over 0..n-1.
    RandomDetail::Seed = RandomDetail::Seed * 0x08088405u + 1u;
    if (n <= 0)
        return 0;
    return static_cast<int>(
        (static_cast<std::uint64_t>(RandomDetail::Seed) * static_cast<std::uint32_t>(n)) >> 32);
}

// The shared generator held in a local for a tight loop (the same sequence as Random); the
// generator is brought up to date when the run ends.
class TRandomRun {
  public:
    TRandomRun() : FSeed(RandomDetail::Seed) {}
    ~TRandomRun() { RandomDetail::Seed = FSeed; }
    TRandomRun(const TRandomRun&) = delete;
    TRandomRun& operator=(const TRandomRun&) = delete;
    int operator()(int n) {
        FSeed = FSeed * 0x08088405u + 1u;
        if (n <= 0)
            return 0;
        return static_cast<int>(
            (static_cast<std::uint64_t>(FSeed) * static_cast<std::uint32_t>(n)) >> 32);
    }

  private:
    std::uint32_t FSeed;
};
