// Whole games on arbitrary bytes: the input is typed into the program in pipe
// mode, with the clock fixed so that a gnome fight is repeatable. Every read
// takes one line and the program ends at the end of its input, so a bound on
// the lines bounds the run.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/state.hpp"
#include "core/world.hpp"
#include "persistence/savefile.hpp"
#include "tests/harness.hpp"

namespace {

constexpr std::size_t MOST_BYTES = 16384;
constexpr int MOST_LINES = 400;

void expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "session: %s (room %d, turn %d)\n", what, game.currentRoom, game.turn);
  std::abort();
}

bool validLocation(int code) { return code >= WORN && code <= ROOM_COUNT; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t length = size < MOST_BYTES ? size : MOST_BYTES;
  int lines = 0;
  for (std::size_t at = 0; at < length; ++at) {
    if (data[at] == '\n' && ++lines == MOST_LINES) length = at + 1;
  }
  std::string input(reinterpret_cast<const char*>(data), length);

  std::remove(SAVE_FILE_NAME);  // a game saved by an earlier input stays out
  Session session = playSession(input);
  expect(session.status == 0, "the program ended with a failure status");
  expect(game.currentRoom >= 1 && game.currentRoom <= ROOM_COUNT, "the player is in no room");
  for (int object = 0; object < OBJECT_COUNT; ++object) {
    expect(validLocation(game.objectLocation[object]), "an object is in no place");
  }
  for (int room = 0; room <= ROOM_COUNT; ++room) {
    for (int direction = 0; direction < DIRECTION_COUNT; ++direction) {
      expect(game.exits[room][direction] <= ROOM_COUNT, "an exit leads to no room");
    }
  }
  return 0;
}
