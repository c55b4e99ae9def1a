#include "Rtl/Tick.h"

#include <chrono>

namespace {
std::function<std::uint32_t()>& Source() {
    static std::function<std::uint32_t()> source;
    return source;
}
} // namespace

long long SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint32_t GetTickCount() {
    if (Source())
        return Source()();
    return static_cast<std::uint32_t>(SteadyMs());
}

void SetTickSource(std::function<std::uint32_t()> source) {
    Source() = std::move(source);
}
