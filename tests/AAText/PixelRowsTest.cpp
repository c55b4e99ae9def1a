// The row loops that run several bytes at a time give exactly the formulas' bytes, for every
// value and for rows whose length is no multiple of the step.
#include "AAText/PixelRows.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(QRandomGenerator& rng, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng.bounded(256));
    // The ends of the range are where rounding goes wrong.
    for (std::size_t i = 0; i < n; i += 7)
        v[i] = i % 2 ? 255 : 0;
    return v;
}

} // namespace

TEST(PixelRows, MixMovesEachByteTowardItsTargetByTheWeight) {
    QRandomGenerator rng(1);
    for (std::size_t n : {1u, 15u, 16u, 17u, 100u, 1003u}) {
        auto p = Bytes(rng, n);
        const auto t = Bytes(rng, n), w = Bytes(rng, n);
        auto want = p;
        for (std::size_t i = 0; i < n; ++i)
            want[i] = w[i] == 255
                          ? t[i]
                          : static_cast<std::uint8_t>(
                                p[i] + static_cast<int>(std::floor((t[i] - p[i]) * w[i] / 256.0)));
        MixRow(p.data(), t.data(), w.data(), n);
        ASSERT_EQ(p, want) << n;
    }
}

TEST(PixelRows, BlurRowTakesTheRoundedMeanAndMixesByStrength) {
    QRandomGenerator rng(2);
    for (int t : {0, 1, 77, 128, 254, 255})
        for (std::size_t n : {3u, 8u, 9u, 257u}) {
            std::vector<std::uint16_t> rows[5];
            const std::uint16_t* ptrs[5];
            for (int k = 0; k < 5; ++k) {
                rows[k].resize(n);
                for (auto& v : rows[k])
                    v = static_cast<std::uint16_t>(rng.bounded(5 * 255 + 1));
                rows[k][0] = 5 * 255; // the largest sum
                ptrs[k] = rows[k].data();
            }
            auto p = Bytes(rng, n);
            auto want = p;
            for (std::size_t i = 0; i < n; ++i) {
                int sum = 0;
                for (int k = 0; k < 5; ++k)
                    sum += rows[k][i];
                const int mean = static_cast<int>(std::nearbyint(sum / 25.0));
                want[i] = static_cast<std::uint8_t>(
                    t == 255 ? mean
                             : p[i] + static_cast<int>(std::floor((mean - p[i]) * t / 256.0)));
            }
            BlurRow(p.data(), ptrs, t, n);
            ASSERT_EQ(p, want) << t << " " << n;
        }
}

TEST(PixelRows, RandomDrawsAreTheSharedGeneratorsClampedToAByte) {
    QRandomGenerator rng(3);
    for (int range : {1, 2, 30, 100, 255})
        for (std::size_t n : {5u, 16u, 31u, 640u}) {
            std::vector<std::uint32_t> states(n);
            for (auto& s : states)
                s = rng.generate();
            states[0] = 0xFFFFFFFFu;
            auto p = Bytes(rng, n);
            auto want = p;
            for (std::size_t i = 0; i < n; ++i) {
                // Random(range) from a state: the high half of state x range.
                const auto draw = static_cast<int>((std::uint64_t{states[i]} * range) >> 32);
                want[i] = static_cast<std::uint8_t>(std::clamp(p[i] + draw - range / 2, 0, 255));
            }
            AddRandomRow(p.data(), states.data(), range, range / 2, n);
            ASSERT_EQ(p, want) << range << " " << n;
        }
}

TEST(PixelRows, ShiftTakesTheBlockSumsDownToBytes) {
    for (int shift : {0, 2, 3, 4})
        for (std::size_t n : {1u, 16u, 45u}) {
            std::vector<std::uint16_t> sums(n);
            for (std::size_t i = 0; i < n; ++i)
                sums[i] = static_cast<std::uint16_t>(((i * 97) % 256) << shift);
            std::vector<std::uint8_t> p(n);
            ShiftRow(p.data(), sums.data(), shift, n);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(p[i], (i * 97) % 256) << shift << " " << i;
        }
}
