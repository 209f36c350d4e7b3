// The game's dice: a small linear congruential generator with 15-bit results.
#pragma once
#include <cstdint>

void seedRandom(std::uint32_t seed);
int nextRandom();
// floor(r * n / 32768) for the next result r: 0..n-1.
int randomBelow(int n);
