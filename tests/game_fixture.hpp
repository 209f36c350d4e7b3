// A game set up in memory for tests that call the game's operations one at a
// time (a handler through the verb dispatch, the world's clock, the room
// display): a fresh game, state arranged by hand, typed lines for the
// follow-up questions and key waits, a fixed clock, and everything printed
// kept for inspection. Whole sessions go through the harness instead.
#pragma once
#include <cstddef>
#include <string>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "parser/parser.hpp"
#include "tests/printed.hpp"
#include "tests/scene.hpp"
#include "tests/scripted_console.hpp"

namespace fixture {

using scripted::clockValue;
using scripted::keyWaits;

// Connects the game to these typed lines (each ending in "\n") and starts a
// fresh capture.
inline void type(const std::string& text) { scripted::start(text); }

// A new game as its first command finds it: standing on the shore on turn 1,
// the room already shown (so redrawPending is 0, as every action finds it),
// the clock at its usual value, and these lines typed in advance.
inline void freshGame(const std::string& typed = "") {
  resetProgramState();
  clearInputEnded();
  clockValue = 1000;
  startGame();
  game.commandRejected = 0;
  game.redrawPending = 0;
  type(typed);
}

// Carries out one accepted command as the dispatch would, reading its
// answers from what was typed before.
inline void command(int verb, int noun) {
  game.verb = verb;
  game.noun = noun;
  game.redrawPending = 0;
  dispatchCommand();
}

// Everything printed since the input was connected or since the last call.
// Key waits are counted from the same start, so read them before this.
inline std::string printed() { return scripted::take(); }

// One command with these answers typed in advance; what it printed.
inline std::string act(int verb, int noun, const std::string& answers = "") {
  type(answers);
  command(verb, noun);
  return printed();
}

// The next typed line the game left unread, or "<end>" when it read them
// all: shows how many lines a handler has consumed.
inline std::string nextLine() {
  char line[LINE_CAPACITY];
  if (!readLine(line, LINE_CAPACITY)) return "<end>";
  return line;
}

// Puts an object in the player's hands, as GET would.
inline void giveToPlayer(int object) { moveObject(object, CARRIED); }

inline std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t found = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++found;
  }
  return found;
}

// Where a cleared screen stands in captured output.
inline constexpr char CLEARED = '\f';

inline const std::string RULE(80, '_');

// The cleared screen and room display of a dark room.
inline std::string darkDisplay() {
  return "\f" + RULE + "\n\nYou are in total darkness.\n\n" + RULE + "\n";
}

// The cleared screen and display of a lit room, given what it lists.
inline std::string litDisplay(int room, const std::string& seen, const std::string& exitList) {
  return "\f" + RULE + "\n\nYou are " + asPrinted(roomDescription[room]) + "\n\nYou see: " + seen +
         "\nObvious exits are: " + exitList + "\n" + RULE + "\n";
}

}  // namespace fixture
