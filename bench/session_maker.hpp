// A reproducible long session for the measurements: a walker who wanders the
// island taking, dropping, examining and lighting things, and who never dies.
#pragma once
#include <cstdint>
#include <string>

struct MadeSession {
  std::string input;  // the lines to type, each ending in "\n"
  long commands = 0;  // lines read as commands
  long games = 0;     // games played (each starts with a key at the title)
};

// Plays the game in-process and writes down the commands it chose. Commands
// that would end the game by a death are taken back and replaced, so every
// game lasts until the ship sails past on turn 99, and the next game is
// started with "y". The same seed always gives the same session.
MadeSession makeSession(long commands, std::uint32_t seed);
