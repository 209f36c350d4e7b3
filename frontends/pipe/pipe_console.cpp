#include "frontends/pipe/pipe_console.hpp"

#include <cstring>
#include <ctime>

#include "frontends/streams/standard_streams.hpp"

namespace {
LineReader pipeInput;
}  // namespace

void connectPipeInput(ByteSource source) { startReader(pipeInput, source); }

void readFromPipe(FrontEnd& frontEnd, ByteSource source) {
  connectPipeInput(source);
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = pipeKeyWaiting;
  frontEnd.readLine = pipeReadLine;
}

// Whatever the game has said is out before it takes the player's next line,
// even when that line was read in long ago along with others.
int pipeReadKey() {
  flushOutput();
  char line[2];
  if (!readLineFrom(pipeInput, line, sizeof line)) return -1;
  return line[0] == '\0' ? '\n' : static_cast<unsigned char>(line[0]);
}

bool pipeKeyWaiting() { return false; }

bool pipeReadLine(char* buffer, int capacity) {
  flushOutput();
  return readLineFrom(pipeInput, buffer, capacity);
}

namespace {
char heldOutput[65536];
std::size_t heldLength = 0;
}  // namespace

void holdStandardOutput(const char* text, std::size_t length) {
  if (heldLength + length > sizeof heldOutput) {
    writeHeldOutput();
    if (length > sizeof heldOutput) {
      writeStandardOutput(text, length);
      return;
    }
  }
  std::memcpy(heldOutput + heldLength, text, length);
  heldLength += length;
}

void writeHeldOutput() {
  if (heldLength == 0) return;
  writeStandardOutput(heldOutput, heldLength);
  heldLength = 0;
}

std::size_t readStandardInputAfterOutput(char* buffer, std::size_t capacity) {
  writeHeldOutput();
  return readStandardInput(buffer, capacity);
}

void formFeedClear() { say("\f"); }

std::uint32_t systemClock() { return static_cast<std::uint32_t>(std::time(nullptr)); }
