#include "console/random.hpp"

namespace {
std::uint32_t state = 22695478;  // as left by seedRandom(1)
}

int nextRandom() {
  state = state * 22695477U + 1U;
  return static_cast<int>((state >> 16) & 32767U);
}

void seedRandom(std::uint32_t seed) {
  state = seed;
  nextRandom();
}

int randomBelow(int n) { return nextRandom() * n / 32768; }
