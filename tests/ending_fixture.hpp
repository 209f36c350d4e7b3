// Support for the tests of the game's ending: the fight, the visions and the
// way home. Handlers are called one at a time against a pipe front end whose
// input is a string and whose output is kept; whole sessions go through the
// harness, and the two winning transcripts are read from their .play files.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "console/pipe_console.hpp"
#include "core/state.hpp"

namespace ending {

inline std::string input;
inline std::size_t inputPosition = 0;
inline std::string output;

inline std::size_t source(char* buffer, std::size_t capacity) {
  std::size_t length = std::min(capacity, input.size() - inputPosition);
  std::memcpy(buffer, input.data() + inputPosition, length);
  inputPosition += length;
  return length;
}

inline void capture(const char* text, std::size_t length) { output.append(text, length); }

// The clock the game sees, which seeds the gnome fight.
inline std::uint32_t clockValue = 1000;
inline std::uint32_t fixedClock() { return clockValue; }

// Where the output stood each time the game waited for a key, once the front
// end had put everything said so far on the screen, as it does before a wait.
inline std::vector<std::size_t> keyWaits;
inline int recordedReadKey() {
  flushOutput();
  keyWaits.push_back(output.size());
  return pipeReadKey();
}

// Connects the game to this typed input and starts a fresh capture.
inline void type(const std::string& text) {
  input = text;
  inputPosition = 0;
  output.clear();
  keyWaits.clear();
  connectPipeInput(source);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = recordedReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = capture;
  frontEnd.clock = fixedClock;
  setFrontEnd(frontEnd);
}

// Everything printed since the input was connected (or since the last call).
// Key waits are counted from the same start, so read them before this.
inline std::string printed() {
  flushOutput();
  std::string text;
  text.swap(output);
  return text;
}

// The next line the game would read, or "<end>" when none is left: shows how
// many lines a handler has consumed.
inline std::string nextLine() {
  char line[80];
  if (!readLine(line, sizeof line)) return "<end>";
  return line;
}

// A game as it stands at its first command, typed input connected, the
// clock back at its usual value.
inline void freshGame(const std::string& typed = "") {
  resetProgramState();
  clearInputEnded();
  clockValue = 1000;
  startGame();
  game.redrawPending = 0;  // the loop has shown the room
  type(typed);
}

// The typed lines and the clock of a scripted session in tests/scripts.
struct Script {
  std::string input;
  std::uint32_t clock = 1000;
};

inline Script readScript(const std::string& name) {
  Script script;
  std::ifstream file(std::string(TIDEWRACK_SOURCE_DIR) + "/tests/scripts/" + name);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("< ", 0) == 0) {
      script.input += line.substr(2) + "\n";
    } else if (line == "<") {
      script.input += "\n";
    } else if (line.rfind("clock ", 0) == 0) {
      script.clock = static_cast<std::uint32_t>(std::stoul(line.substr(6)));
    }
  }
  return script;
}

inline std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t found = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++found;
  }
  return found;
}

}  // namespace ending
