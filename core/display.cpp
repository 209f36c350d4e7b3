#include "console/console.hpp"
#include "core/game.hpp"
#include "core/prose.hpp"
#include "core/state.hpp"
#include "core/world.hpp"

namespace {
const char* const RULE =
    "________________________________________________________________________________";
}

bool roomIsLit() {
  if (roomTraits[game.currentRoom].lit) return true;
  if (game.matchLit == 1) return true;
  return game.torchLit == 1 && isAtHand(TORCH);
}

void describeRoom() {
  clearScreen();
  say(RULE);
  say("\n");
  if (!roomIsLit()) {
    say("\nYou are in total darkness.\n");
  } else {
    sayFormat("\nYou are %s\n", roomDescription[game.currentRoom]);
    if (game.currentRoom == CHASM_NORTH) {
      int mushrooms = locationOf(MUSHROOMS);
      if (mushrooms == NOWHERE) {
        say("A small sign reads 'For Tamsel, from Virro'.\n");
      } else if (mushrooms == CHASM_NORTH) {
        say("A small sign in a mushroom patch reads 'For Tamsel'.\n");
      } else {
        say("A small sign reads 'For Tamsel'.\n");
      }
    }
    say("\nYou see: ");
    bool sawSomething = false;
    for (int object = FIRST_OBJECT; object <= LAST_OBJECT; ++object) {
      if (isHere(object)) {
        sayFormat("%s. ", game.objectName[object]);
        sawSomething = true;
      }
    }
    if (!sawSomething) say("Nothing.");
    say("\nObvious exits are: ");
    for (int direction = NORTH; direction <= DOWN; ++direction) {
      if (game.exits[game.currentRoom][direction - 1] != 0) {
        sayFormat("%s ", game.objectName[direction]);
      }
    }
  }
  say("\n");
  say(RULE);
  say("\n");
}
