// The command parser on arbitrary bytes: every line of the input is read as a
// command, and then again as the answer to a follow-up question. Whatever the
// bytes, each line must come out as one of the parser's outcomes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "parser/parser.hpp"

namespace {

const std::uint8_t* bytes = nullptr;
std::size_t byteCount = 0;
std::size_t position = 0;

// Hands the input out in small blocks, so that lines also cross block edges.
std::size_t fuzzSource(char* buffer, std::size_t capacity) {
  std::size_t length = byteCount - position;
  if (length > capacity) length = capacity;
  if (length > 7) length = 7;
  std::memcpy(buffer, bytes + position, length);
  position += length;
  return length;
}

void discard(const char*, std::size_t) {}
void noClear() {}
bool noKeyWaiting() { return false; }
std::uint32_t fixedClock() { return 1000; }

void startInput(const std::uint8_t* data, std::size_t size) {
  bytes = data;
  byteCount = size;
  position = 0;
  connectPipeInput(fuzzSource);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = noClear;
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = noKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = discard;
  frontEnd.clock = fixedClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  setFrontEnd(frontEnd);
}

void expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "parser: %s (verb %d, noun %d, rejected %d, line '%s')\n", what, game.verb,
               game.noun, game.commandRejected, inputLine);
  std::abort();
}

bool hasLowerCase(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') return true;
  }
  return false;
}

constexpr int MOST_LINES = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  resetProgramState();

  startInput(data, size);
  for (int line = 0; line < MOST_LINES; ++line) {
    game.commandRejected = 0;
    readCommand();
    if (inputEnded()) break;
    expect(std::strlen(inputLine) < LINE_CAPACITY, "line longer than its buffer");
    expect(game.verb >= 0 && game.verb <= VERB_COUNT, "verb out of range");
    expect(game.noun >= 0 && game.noun <= NOUN_COUNT, "noun out of range");
    if (game.commandRejected == 1) {
      expect(game.verb == 0 || game.noun == 0, "refused a verb with its noun");
    } else {
      expect(game.verb >= 1, "accepted without a verb");
      expect(game.noun < NORTH || game.noun > DOWN || game.verb == VERB_GO,
             "a direction that is not a move");
    }
  }

  startInput(data, size);
  for (int line = 0; line < MOST_LINES; ++line) {
    if (!readAnswer()) break;
    expect(std::strlen(answerLine) < LINE_CAPACITY, "answer longer than its buffer");
    expect(!hasLowerCase(answerLine), "answer not upper-cased");
  }
  flushOutput();
  return 0;
}
