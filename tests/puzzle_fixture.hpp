// Runs single commands against a game state set up by hand: a fresh game,
// fields set directly, then one handler through the verb dispatch with the
// follow-up answers (if any) typed in advance and everything printed captured.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"
#include "tests/scene.hpp"
#include "tests/scripted_console.hpp"

namespace puzzle {

// Connects the game to `answers` (whole lines, each ending in "\n") and to
// an empty capture.
inline void connect(const std::string& answers) { scripted::start(answers); }

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
  return scripted::take();
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
