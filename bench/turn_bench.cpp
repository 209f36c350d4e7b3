// A turn timed in-process, with everything printed going nowhere: the
// parser alone, the room display alone, and whole turns of the long session
// through the pipe front end.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "app/loop.hpp"
#include "bench/session_maker.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"
#include "frontends/pipe/pipe_console.hpp"
#include "parser/parser.hpp"
#include "tests/scene.hpp"

namespace {

void discard(const char*, std::size_t) {}
bool noKeyWaiting() { return false; }
std::uint32_t fixedClock() { return 1000; }

// Input handed to the pipe front end from memory, in blocks as a pipe would.
const std::string* input = nullptr;
std::size_t inputPosition = 0;

std::size_t memorySource(char* buffer, std::size_t capacity) {
  std::size_t length = std::min(capacity, input->size() - inputPosition);
  std::memcpy(buffer, input->data() + inputPosition, length);
  inputPosition += length;
  return length;
}

void useMemoryInput(const std::string& text) {
  input = &text;
  inputPosition = 0;
  connectPipeInput(memorySource);
  FrontEnd frontEnd{};
  frontEnd.clearScreen = formFeedClear;
  frontEnd.readKey = pipeReadKey;
  frontEnd.keyWaiting = noKeyWaiting;
  frontEnd.readLine = pipeReadLine;
  frontEnd.write = discard;
  frontEnd.clock = fixedClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  setFrontEnd(frontEnd);
}

const char* const sampleCommands[] = {
    "get torch",
    "LIGHT TORCH",
    "north",
    "go west",
    "examine chest",
    "lig mat",
    "drop goblet",
    "INVENTORY",
    "foo bar",
    "torch",
    "climb",
    "",
    "  take   the lantern",
    "read message",
    "DOWN",
    "extinguish torch",
};

void parserAlone(benchmark::State& state) {
  std::string lines;
  for (int round = 0; round < 64; ++round) {
    for (const char* command : sampleCommands) (lines += command) += '\n';
  }
  resetProgramState();
  useMemoryInput(lines);
  long parsed = 0;
  for (auto _ : state) {
    readCommand();
    if (inputEnded()) {
      state.PauseTiming();
      useMemoryInput(lines);
      state.ResumeTiming();
      continue;
    }
    benchmark::DoNotOptimize(game.verb);
    ++parsed;
  }
  state.SetItemsProcessed(parsed);
}
BENCHMARK(parserAlone);

void roomDisplay(benchmark::State& state) {
  resetProgramState();
  useMemoryInput("");
  startGame();
  game.torchLit = 1;
  placeObject(TORCH, CARRIED);  // every room lit
  int room = 1;
  for (auto _ : state) {
    game.currentRoom = room;
    describeRoom();
    room = room == ROOM_COUNT ? 1 : room + 1;
  }
  flushOutput();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(roomDisplay);

// The whole program on a session of 10,000 commands; time per command.
void wholeTurns(benchmark::State& state) {
  static const MadeSession session = makeSession(10000, 1);
  for (auto _ : state) {
    useMemoryInput(session.input);
    benchmark::DoNotOptimize(runProgram());
  }
  state.SetItemsProcessed(state.iterations() * session.commands);
}
BENCHMARK(wholeTurns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
