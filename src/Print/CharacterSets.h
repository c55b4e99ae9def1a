#pragma once
// The international character sets of ESC R: twelve ASCII positions print another character
// in each country's set.
#include <cstdint>

// The character byte b (an ASCII code) prints as in set n; b itself where the set keeps it or
// has no table here (sets past 13).
char32_t InternationalChar(std::uint8_t set, unsigned char b);
