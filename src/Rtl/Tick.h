#pragma once
// The millisecond tick counter: 32 bits of the monotonic clock, wrapping like the original.
#include <chrono>
#include <cstdint>
#include <functional>

namespace TickDetail {
inline std::function<std::uint32_t()>& Source() {
    static std::function<std::uint32_t()> source;
    return source;
}
} // namespace TickDetail

// Milliseconds of the monotonic clock, 64 bits and never replaced: for timing real waits.
inline long long SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline std::uint32_t GetTickCount() {
    if (TickDetail::Source())
        return TickDetail::Source()();
    return static_cast<std::uint32_t>(SteadyMs());
}

// Replaces the clock behind GetTickCount (tests); an empty function restores the real one.
inline void SetTickSource(std::function<std::uint32_t()> source) {
    TickDetail::Source() = std::move(source);
}

// Milliseconds from `since` to `now`, taken modulo 2^32 so a wrap in between is harmless.
inline std::uint32_t TicksSince(std::uint32_t since, std::uint32_t now) {
    return now - since;
}
