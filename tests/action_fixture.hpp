// A game set up in memory for tests that call one handler, or the world's
// clock, directly: state arranged by hand, answers to follow-up questions
// from a string, and everything printed kept for inspection.
#pragma once
#include <string>

#include "app/loop.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "tests/scripted_console.hpp"

namespace handlerTest {

// A new game as the first turn finds it, before anything is shown: the room
// display already done, so redrawPending is 0 as every action finds it.
inline void newGame(const std::string& typedAnswers = "") {
  resetProgramState();
  startGame();
  game.redrawPending = 0;
  scripted::start(typedAnswers);
}

// Carries out one command as the dispatch would.
inline void command(int verb, int noun) {
  game.verb = verb;
  game.noun = noun;
  dispatchCommand();
}

// Everything printed since the last call.
inline std::string output() { return scripted::take(); }

inline const std::string RULE(80, '_');

// The cleared screen and room display of a dark room.
inline std::string darkDisplay() {
  return "\f" + RULE + "\n\nYou are in total darkness.\n\n" + RULE + "\n";
}

// The cleared screen and display of a lit room, given what it lists.
inline std::string litDisplay(int room, const std::string& seen, const std::string& exitList) {
  return "\f" + RULE + "\n\nYou are " + roomDescription[room] + "\n\nYou see: " + seen +
         "\nObvious exits are: " + exitList + "\n" + RULE + "\n";
}

}  // namespace handlerTest
