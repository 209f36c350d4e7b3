#include "bench/session_maker.hpp"

#include <cstring>
#include <vector>

#include "app/loop.hpp"
#include "console/console.hpp"
#include "core/game.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "disk/disk_files.hpp"

namespace {

// A small generator of its own, so that the game's dice are never touched.
struct Dice {
  std::uint64_t state;
  std::uint32_t next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 11);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
};

// Whole words as a player would type them, by noun number.
const char* const fullNoun[NOUN_COUNT + 1] = {
    "",        "north",  "south",    "east",      "west",   "up",      "down",      "wreckage",
    "matches", "shark",  "skeleton", "card",      "chest",  "gold",    "stone",     "driftwood",
    "paper",   "hut",    "bottle",   "sacks",     "ship",   "robe",    "goblet",    "statue",
    "scuba",   "amulet", "fire",     "preserver", "torch",  "rope",    "axe",       "gnome",
    "pill",    "anchor", "closet",   "key",       "sailor", "wine",    "cliff",     "runes",
    "bird",    "vines",  "message",  "watch",     "chart",  "neptune", "mushrooms",
};

// The line the walker is about to type, and every line handed to the game
// during the current try (a command and anything a question asks for).
std::string typing;
std::vector<std::string> handedOut;

bool giveLine(char* buffer, int capacity) {
  std::string line = handedOut.empty() ? typing : std::string();
  handedOut.push_back(line);
  std::size_t length = std::min(line.size(), static_cast<std::size_t>(capacity - 1));
  std::memcpy(buffer, line.data(), length);
  buffer[length] = '\0';
  return true;
}

// A key: "y" when a game has ended, any key (an empty line) at the title.
int giveKey() {
  bool again = game.gameOver == 1;
  handedOut.push_back(again ? "y" : "");
  return again ? 'y' : '\n';
}

bool noKeyWaiting() { return false; }
void nothing() {}
void discard(const char*, std::size_t) {}
std::uint32_t fixedClock() { return 1000; }

std::string spell(Dice& dice, const char* word) {
  std::string text = word;
  int style = dice.below(10);
  if (style < 2 && text.size() > 3) text.resize(3);  // LIG TOR
  for (char& c : text) {
    if (style >= 2 && style < 5) c = toUpper(c);  // GET TORCH
  }
  return text;
}

std::string twoWords(Dice& dice, const char* verb, const char* noun) {
  std::string line = spell(dice, verb);
  line += dice.chance(5) ? "  " : " ";
  line += spell(dice, noun);
  return line;
}

int randomObjectWhere(Dice& dice, int location) {
  int found[OBJECT_COUNT];
  int count = 0;
  for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
    if (game.objectLocation[object] == location) found[count++] = object;
  }
  return count == 0 ? 0 : found[dice.below(count)];
}

const char* nounOf(int object) {
  return fullNoun[object == MUSHROOMS ? static_cast<int>(NOUN_MUSHROOMS) : object];
}

std::string chooseCommand(Dice& dice) {
  int kind = dice.below(100);
  if (kind < 45) {  // walk: mostly a way that exists
    int room = game.currentRoom;
    if ((room == CLIFF_TOP || room == LEDGE) && dice.chance(30))
      return twoWords(dice, "climb", "cliff");
    if (room == OUTSIDE_HUT && dice.chance(30)) return twoWords(dice, "enter", "hut");
    if (room == INSIDE_HUT && dice.chance(50)) return twoWords(dice, "exit", "hut");
    int direction = 1 + dice.below(DIRECTION_COUNT);
    for (int tries = 0; tries < 6 && dice.chance(85); ++tries) {
      if (game.exits[game.currentRoom][direction - 1] != 0) break;
      direction = 1 + dice.below(DIRECTION_COUNT);
    }
    return dice.chance(60) ? spell(dice, fullNoun[direction])
                           : twoWords(dice, "go", fullNoun[direction]);
  }
  if (kind < 60) {  // take something that lies here, or try anything
    int object = randomObjectWhere(dice, game.currentRoom);
    const char* noun =
        object != 0 && dice.chance(80) ? nounOf(object) : fullNoun[7 + dice.below(NOUN_COUNT - 6)];
    return twoWords(dice, dice.chance(70) ? "get" : "take", noun);
  }
  if (kind < 72) {  // drop something carried
    int object = randomObjectWhere(dice, CARRIED);
    if (object == 0) return "inventory";
    return twoWords(dice, dice.chance(80) ? "drop" : "leave", nounOf(object));
  }
  if (kind < 87) {  // examine what is here, what is carried, or anything
    int object = randomObjectWhere(dice, dice.chance(50) ? game.currentRoom : CARRIED);
    const char* noun = object != 0 ? nounOf(object) : fullNoun[7 + dice.below(NOUN_COUNT - 6)];
    return twoWords(dice, dice.chance(85) ? "examine" : "read", noun);
  }
  if (kind < 95) {  // light a match, the torch, or the driftwood
    static const char* const lightable[] = {"matches", "matches", "torch", "driftwood"};
    bool torch = game.objectLocation[TORCH] == CARRIED && dice.chance(50);
    return twoWords(dice, "light", torch ? "torch" : lightable[dice.below(4)]);
  }
  if (kind < 98) return dice.chance(50) ? "inventory" : "inv";
  return dice.chance(50) ? "look around" : "";  // unknown words, an empty line
}

void commit(MadeSession& made) {
  for (const std::string& line : handedOut) {
    made.input += line;
    made.input += '\n';
  }
  handedOut.clear();
}

}  // namespace

MadeSession makeSession(long commands, std::uint32_t seed) {
  Dice dice{0x9E3779B97F4A7C15ULL ^ seed};
  MadeSession made;
  FrontEnd frontEnd{};
  frontEnd.clearScreen = nothing;
  frontEnd.readKey = giveKey;
  frontEnd.keyWaiting = noKeyWaiting;
  frontEnd.readLine = giveLine;
  frontEnd.write = discard;
  frontEnd.clock = fixedClock;
  frontEnd.readFile = readDiskFile;
  frontEnd.replaceFile = replaceDiskFile;
  setFrontEnd(frontEnd);

  // The game loop, taken apart so that a fatal command can be taken back.
  resetProgramState();
  clearInputEnded();
  handedOut.clear();
  while (made.commands < commands) {
    startGame();
    game.commandRejected = 0;
    showTitle();
    commit(made);
    made.games += 1;
    while (game.gameOver == 0 && made.commands < commands) {
      const GameState before = game;
      // The command of the turn before the ship sails is always a harmless
      // one, so that any game over after it is the missed ship.
      bool lastTurn = before.turn == SHIP_DEPARTURE_TURN - 1;
      for (int tries = 0;; ++tries) {
        typing = tries < 20 && !lastTurn ? chooseCommand(dice) : "inventory";
        playTurn();
        bool died = game.gameOver == 1 && !lastTurn;
        if (!died) break;
        game = before;
        handedOut.clear();
      }
      commit(made);
      made.commands += 1;
    }
    if (game.gameOver == 1 && made.commands < commands) {
      askPlayAgain();
      commit(made);
    }
  }
  flushOutput();
  return made;
}
