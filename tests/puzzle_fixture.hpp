// Runs single commands against a game state set up by hand: a fresh game,
// fields set directly, then one handler through the verb dispatch with the
// follow-up answers (if any) typed in advance and everything printed captured.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "console/console.hpp"
#include "console/pipe_console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"

namespace puzzle {

inline std::string typed;              // the lines still to be read
inline std::size_t typedPosition = 0;  // how far the game has read them
inline std::string printed;            // everything the game printed

inline std::size_t typedSource(char* buffer, std::size_t capacity) {
  std::size_t left = typed.size() - typedPosition;
  std::size_t length = left < capacity ? left : capacity;
  std::memcpy(buffer, typed.data() + typedPosition, length);
  typedPosition += length;
  return length;
}

inline void capture(const char* text, std::size_t length) { printed.append(text, length); }
inline std::uint32_t fixedClock() { return 1000; }

// Connects the pipe front end to `answers` (whole lines, each ending in
// "\n") and to an empty capture buffer.
inline void connect(const std::string& answers) {
  typed = answers;
  typedPosition = 0;
  printed.clear();
  connectPipeInput(typedSource);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = capture;
  frontEnd.clock = fixedClock;
  setFrontEnd(frontEnd);
}

// A new game as the loop starts it, standing on the shore on turn 1.
inline void freshGame() {
  resetProgramState();
  startGame();
  game.commandRejected = 0;
  game.redrawPending = 0;  // the loop has shown the room before the command
  connect("");
}

// Carries out one accepted command with these answers typed in advance and
// returns what it printed. The state is left as the handler left it.
inline std::string act(int verb, int noun, const std::string& answers = "") {
  connect(answers);
  game.verb = verb;
  game.noun = noun;
  game.redrawPending = 0;
  dispatchCommand();
  flushOutput();
  return printed;
}

// The next typed line the handler left unread, or "<end>" when it read them
// all.
inline std::string unreadLine() {
  char line[LINE_CAPACITY];
  if (!readLine(line, LINE_CAPACITY)) return "<end>";
  return line;
}

// Puts an object in the player's hands and counts it, as GET would.
inline void giveToPlayer(int object) {
  if (game.objectLocation[object] != CARRIED) game.carriedCount += 1;
  placeObject(object, CARRIED);
}

// Where a cleared screen stands in captured output.
inline constexpr char CLEARED = '\f';

}  // namespace puzzle
