#pragma once
// The millisecond tick counter: 32 bits of the monotonic clock, wrapping like the original.
#include <cstdint>
#include <functional>

std::uint32_t GetTickCount();

// Milliseconds of the monotonic clock, 64 bits and never replaced: for timing real waits.
long long SteadyMs();

// Replaces the clock behind GetTickCount (tests); an empty function restores the real one.
void SetTickSource(std::function<std::uint32_t()> source);

// Milliseconds from `since` to `now`, taken modulo 2^32 so a wrap in between is harmless.
inline std::uint32_t TicksSince(std::uint32_t since, std::uint32_t now) {
    return now - since;
}
