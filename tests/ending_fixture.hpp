// Support for the tests of the game's ending: the fight, the visions and the
// way home. Handlers are called one at a time against a pipe front end whose
// input is a string and whose output is kept; whole sessions go through the
// harness, and the two winning transcripts are read from their .play files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "core/state.hpp"
#include "tests/scripted_console.hpp"

namespace ending {

using scripted::clockValue;
using scripted::keyWaits;

// Connects the game to this typed input and starts a fresh capture.
inline void type(const std::string& text) { scripted::start(text); }

// Everything printed since the input was connected (or since the last call).
// Key waits are counted from the same start, so read them before this.
inline std::string printed() { return scripted::take(); }

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
