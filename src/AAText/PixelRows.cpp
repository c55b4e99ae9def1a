#include "AAText/PixelRows.h"

#include "Rtl/Random.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// floor(d * w / 256) for signed d in -255..255 and w in 0..255, as (2d x 128w) >> 16.
inline __m128i Fraction(__m128i d, __m128i w) {
    return _mm_mulhi_epi16(_mm_slli_epi16(d, 1), _mm_slli_epi16(w, 7));
}

// The high halves of four 32 x 32-bit products: Random's range of four generator states.
inline __m128i RangeOf(__m128i states, __m128i range) {
    const __m128i even = _mm_mul_epu32(states, range);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(states, 32), range);
    return _mm_or_si128(_mm_srli_epi64(even, 32), _mm_and_si128(odd, _mm_set_epi32(-1, 0, -1, 0)));
}
#endif

} // namespace

void MixRow(std::uint8_t* p, const std::uint8_t* t, const std::uint8_t* w, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi8(static_cast<char>(0xFF));
    for (; i + 16 <= n; i += 16) {
        const __m128i pv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i wv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i));
        const __m128i plo = _mm_unpacklo_epi8(pv, zero), phi = _mm_unpackhi_epi8(pv, zero);
        const __m128i lo =
            _mm_add_epi16(plo, Fraction(_mm_sub_epi16(_mm_unpacklo_epi8(tv, zero), plo),
                                        _mm_unpacklo_epi8(wv, zero)));
        const __m128i hi =
            _mm_add_epi16(phi, Fraction(_mm_sub_epi16(_mm_unpackhi_epi8(tv, zero), phi),
                                        _mm_unpackhi_epi8(wv, zero)));
        const __m128i exact = _mm_cmpeq_epi8(wv, full);
        const __m128i mixed = _mm_packus_epi16(lo, hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i),
                         _mm_or_si128(_mm_and_si128(exact, tv), _mm_andnot_si128(exact, mixed)));
    }
#endif
    for (; i < n; ++i) {
        const int mixed = p[i] + (((t[i] - p[i]) * w[i]) >> 8);
        p[i] = static_cast<std::uint8_t>(w[i] == 255 ? t[i] : mixed);
    }
}

void BlurRow(std::uint8_t* p, const std::uint16_t* const rows[5], int t, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), twelve = _mm_set1_epi16(12);
    // (v * 5243) >> 17 is v / 25 for every v up to 6387 (five sums of five bytes, plus 12).
    const __m128i fifth = _mm_set1_epi16(5243);
    const __m128i strength = _mm_set1_epi16(static_cast<short>(t));
    for (; i + 8 <= n; i += 8) {
        __m128i sum = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[0] + i));
        for (int k = 1; k < 5; ++k)
            sum =
                _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + i)));
        const __m128i mean = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(sum, twelve), fifth), 1);
        __m128i out = mean;
        if (t != 255) {
            const __m128i pv =
                _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i)), zero);
            out = _mm_add_epi16(pv, Fraction(_mm_sub_epi16(mean, pv), strength));
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i), _mm_packus_epi16(out, zero));
    }
#endif
    for (; i < n; ++i) {
        const int sum = rows[0][i] + rows[1][i] + rows[2][i] + rows[3][i] + rows[4][i];
        // Round(sum / 25): 25 is odd, so a remainder is never exactly a half.
        const int mean = (sum + 12) / 25;
        const int v = p[i];
        p[i] = static_cast<std::uint8_t>(t == 255 ? mean : v + (((mean - v) * t) >> 8));
    }
}

void AddRandomRow(std::uint8_t* p, const std::uint32_t* states, int range, int half,
                  std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (range > 0) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i r = _mm_set1_epi32(range), h = _mm_set1_epi16(static_cast<short>(half));
        auto draws = [&](std::size_t at) {
            const __m128i a =
                RangeOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(states + at)), r);
            const __m128i b =
                RangeOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(states + at + 4)), r);
            return _mm_sub_epi16(_mm_packs_epi32(a, b), h);
        };
        for (; i + 16 <= n; i += 16) {
            const __m128i pv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(pv, zero), draws(i));
            const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(pv, zero), draws(i + 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_packus_epi16(lo, hi));
        }
    }
#endif
    for (; i < n; ++i)
        p[i] = static_cast<std::uint8_t>(
            std::clamp(p[i] + TRandomRun::Range(states[i], range) - half, 0, 255));
}

void ShiftRow(std::uint8_t* p, const std::uint16_t* sums, int shift, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i count = _mm_cvtsi32_si128(shift);
    for (; i + 16 <= n; i += 16) {
        const __m128i lo =
            _mm_srl_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i)), count);
        const __m128i hi =
            _mm_srl_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i + 8)), count);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i)
        p[i] = static_cast<std::uint8_t>(sums[i] >> shift);
}
