#pragma once
// The one shared pseudo-random generator. Seeding it reproduces every image drawn with the
// spray and noise effects.
#include <cstdint>

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);
// Seeds from the clock.
void Randomize();
// A uniform integer 0..n-1; 0 when n is 0 or less.
int Random(int n);
