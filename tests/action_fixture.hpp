// A game set up in memory for tests that call one handler, or the world's
// clock, directly: state arranged by hand, answers to follow-up questions
// from a string, and everything printed kept for inspection.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "console/console.hpp"
#include "console/pipe_console.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"

namespace handlerTest {

inline std::string answers;
inline std::size_t answerPosition = 0;
inline std::string printed;

inline std::size_t answerSource(char* buffer, std::size_t capacity) {
  std::size_t length = std::min(capacity, answers.size() - answerPosition);
  std::memcpy(buffer, answers.data() + answerPosition, length);
  answerPosition += length;
  return length;
}

inline void keep(const char* text, std::size_t length) { printed.append(text, length); }
inline std::uint32_t noClock() { return 1000; }

// A new game as the first turn finds it, before anything is shown: the room
// display already done, so redrawPending is 0 as every action finds it.
inline void newGame(const std::string& typedAnswers = "") {
  resetProgramState();
  startGame();
  game.redrawPending = 0;
  answers = typedAnswers;
  answerPosition = 0;
  printed.clear();
  connectPipeInput(answerSource);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = keep;
  frontEnd.clock = noClock;
  setFrontEnd(frontEnd);
}

// Carries out one command as the dispatch would.
inline void command(int verb, int noun) {
  game.verb = verb;
  game.noun = noun;
  dispatchCommand();
}

// Everything printed since the last call.
inline std::string output() {
  flushOutput();
  std::string text;
  text.swap(printed);
  return text;
}

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
