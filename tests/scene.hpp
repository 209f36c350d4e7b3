// Arranging a scene for a test: an object put straight where the test wants
// it. Only the location changes; the carried count is the test's own to set,
// as a scene can be one that play itself would reach by other moves.
#pragma once
#include <cstdint>

#include "core/state.hpp"

inline void placeObject(int object, int location) {
  game.objectLocation[object] = static_cast<std::int8_t>(location);
}
