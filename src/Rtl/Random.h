#pragma once
// The one shared pseudo-random generator. Seeding it reproduces every image drawn with the
// spray and noise effects.
#include <cstdint>

namespace RandomDetail {
inline std::uint32_t Seed = 0;
}

inline void SetRandSeed(std::uint32_t seed) {
    RandomDetail::Seed = seed;
}

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
        FSeed = FSeed * A + 1u;
        return Range(FSeed, n);
    }
    // The next count generator states, as count calls would leave them. Four states are
    // derived from one by jumping ahead, so the multiplications do not wait on each other.
    void States(std::uint32_t* out, int count) {
        int i = 0;
        for (; i + 4 <= count; i += 4) {
            out[i] = FSeed * A + 1u;
            out[i + 1] = FSeed * A2 + C2;
            out[i + 2] = FSeed * A3 + C3;
            out[i + 3] = FSeed = FSeed * A4 + C4;
        }
        for (; i < count; ++i)
            out[i] = FSeed = FSeed * A + 1u;
    }
    // The value Random(n) gives for a generator state.
    static int Range(std::uint32_t state, int n) {
        if (n <= 0)
            return 0;
        return static_cast<int>(
            (static_cast<std::uint64_t>(state) * static_cast<std::uint32_t>(n)) >> 32);
    }

  private:
    static constexpr std::uint32_t A = 0x08088405u;
    static constexpr std::uint32_t A2 = A * A, C2 = A + 1u;
    static constexpr std::uint32_t A3 = A2 * A, C3 = A * C2 + 1u;
    static constexpr std::uint32_t A4 = A3 * A, C4 = A * C3 + 1u;
    std::uint32_t FSeed;
};
