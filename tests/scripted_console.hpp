// A pipe front end for unit tests that drive single game operations
// (readCommand, describeRoom, playTurn, one handler) rather than a whole
// program run: input comes from a string, in chunks of a chosen size, every
// byte written is kept, the clock says what the test sets, and the place in
// the output of every wait for a key is noted.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"

namespace scripted {

inline std::string input;
inline std::size_t inputPosition = 0;
inline std::size_t chunkSize = 0;  // 0: hand over everything that is left
inline std::string output;

inline std::size_t source(char* buffer, std::size_t capacity) {
  std::size_t left = input.size() - inputPosition;
  std::size_t length = std::min(left, capacity);
  if (chunkSize != 0) length = std::min(length, chunkSize);
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

// Connects the game to this input; output captured from here on.
inline void start(const std::string& text, std::size_t chunk = 0) {
  flushOutput();  // what an earlier case left unsaid goes to its own front end
  input = text;
  inputPosition = 0;
  chunkSize = chunk;
  output.clear();
  keyWaits.clear();
  connectPipeInput(source);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = recordedReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = capture;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  frontEnd.clock = fixedClock;
  setFrontEnd(frontEnd);
}

// Everything printed since the last call.
inline std::string take() {
  flushOutput();
  std::string printed;
  printed.swap(output);
  return printed;
}

}  // namespace scripted
