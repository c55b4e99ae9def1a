#pragma once
// Conversions of floating-point results to integers shared by the drawing code.
#include <cmath>

// Nearest integer, a half to the even neighbour (the default rounding mode).
inline int RoundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}
