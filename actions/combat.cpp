// KILL and ATTACK: the shark, the sailor, and the fight with the gnome.
#include "actions/actions.hpp"
#include "console/console.hpp"
#include "console/random.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"
#include "parser/parser.hpp"

namespace {

constexpr int GNOME_KILLS_PLAYER = 0;
constexpr int PLAYER_KILLS_GNOME = 9;  // and 10

bool roomHasFoe() {
  int room = game.currentRoom;
  return room == SHORE || room == LAGOON_FLOOR || room == GNOME_ROOM;
}

}  // namespace

void doAttack() {
  if (!roomHasFoe()) {
    cant("%s attack that!\n");
    return;
  }
  say("Tell me in one word, with what? ");
  if (!readAnswer()) return;
  say("\n");
  int room = game.currentRoom;
  if (!answerBegins("AX")) {
    cant("%s use that!\n");
  } else if (!isCarried(AXE)) {
    say("You don't have the axe!\n");
  } else if (game.noun == SHARK && room == LAGOON_FLOOR) {
    say("Axes don't work underwater.\nThe shark kills you!\n");
    game.gameOver = 1;
  } else if (game.noun == GNOME && locationOf(GNOME) == GNOME_ROOM && room == GNOME_ROOM) {
    fightGnome();
  } else if (game.noun == SAILOR && locationOf(SAILOR) == SHORE && room == SHORE) {
    say("The sailor is quick.  Your blow misses him.  He cuts you in half with his sabre.\n");
    game.gameOver = 1;
  } else {
    say("That's not here!\n");
  }
}

void fightGnome() {
  clearScreen();
  seedRandom(clockSeconds());
  bool fightOver = false;
  while (!fightOver) {
    int outcome = randomBelow(EXCHANGE_OUTCOMES);
    say(gnomeExchangeText[outcome]);
    if (outcome == GNOME_KILLS_PLAYER) {
      game.gameOver = 1;
      fightOver = true;
    } else if (outcome >= PLAYER_KILLS_GNOME) {
      moveObject(GNOME, NOWHERE);
      game.exits[GNOME_ROOM][WEST - 1] = PILL_ROOM;
      game.redrawPending = 1;
      fightOver = true;
    }
    say("\n");
    readKey();
    if (inputEnded()) return;  // nobody left to press a key
  }
}
